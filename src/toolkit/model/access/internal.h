// What the description (accessible.cpp) and the notices (notices.cpp) share: the id table's
// upkeep and the object a reported change names.
#pragma once

#include <optional>

#include "toolkit/model/access/accessible.h"
#include "toolkit/model/core/access_feed.h"

namespace tovalux::tk::access::detail {

// The id an object already has (0: none); never allocates.
int32_t existingId(const Ref& ref);
// Whether any item (row, tree item, group, group item) of `owner` has an id: a change to an item
// nobody holds by id has nothing to announce.
bool itemsHaveIds(HXCGUI owner);
// Every id of objects owned by `owner` (an element or window and its items) goes.
void forgetOwner(HXCGUI owner);
// Rows [from, from + count) of a view went; the later rows' ids follow them up.
void removeRows(HXCGUI view, int32_t from, int32_t count);
// Every item id of the view goes (the view itself keeps its id).
void resetItems(HXCGUI view);
// The view's item ids whose items died go.
void pruneItems(HXCGUI view);
void clearIds();

// The object a change report names (core/access_feed.h): the window, the element (or what
// describes it), or the item. Nothing when it is not described or gone.
std::optional<Ref> refOfChange(HXCGUI object, int32_t a, int32_t b);
// The view whose rows a report about `object` concerns (a combo box's drop-down list).
HXCGUI rowsOwner(HXCGUI object);
// The data view whose selected item stands for it in focus, when `ref` is a focused view.
std::optional<Ref> currentItem(const Ref& view);
bool isPageTab(const Ref& ref);

// The model's change listener: keeps the ids, and queues notices when they are started.
void listen(AccessChange change, HXCGUI object, int32_t a, int32_t b);
void ensureListening();

}  // namespace tovalux::tk::access::detail
