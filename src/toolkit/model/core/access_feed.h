// The feed of changes that alter what a screen reader reads of the UI. The model reports each
// change where it happens (a focus move, a selection, a checked or expanded state, a text, a
// shown or hidden element, children added or removed); the accessibility layer (model/access)
// listens and turns the changes into the notices the platform raises. With nobody listening (the
// native tests, a backend without accessibility) a report costs the test of one pointer.
//
// A change names an object and, for an item of a data view or a menu pop-up, the item:
//   list boxes, lists    a = row                  trees         a = item id
//   list views           a = group, b = item (b -1: the group heading)
//   menu pop-ups         a = the item's key       combo boxes   a = row of the drop-down
// a = kWholeObject means the object itself. UI thread only.
#pragma once

#include <cstdint>

#include "toolkit/types.h"

namespace tovalux::tk {

enum class AccessChange : uint8_t {
  focus,        // the element took the focus, or the item became the current one
  selection,    // the view's selected item is now (a, b); a = -1: none
  state,        // checked, enabled, expanded... of the object or item
  name,         // its name or its description (tooltip)
  value,        // its value (an edit's or combo box's text, a scroll position)
  shown,        // the element became visible
  hidden,       // the element was hidden
  children,     // the element's or window's children changed
  items,        // the view's items changed (added, removed, shown or hidden under their parent)
  rowsRemoved,  // rows [a, a + b) of a list box or list went; the later rows moved up
  itemsReset,   // every item of the view went (emptied, or another adapter)
  itemsPruned,  // some items of the view went (a tree's deleted items)
  destroyed,    // the element or window is going
  exited,       // the toolkit exited: every object went
};

inline constexpr int32_t kWholeObject = -1;

using AccessListener = void (*)(AccessChange change, HXCGUI object, int32_t a, int32_t b);

// One listener at a time (the accessibility layer); null stops the feed.
void setAccessListener(AccessListener listener);

namespace detail {
extern AccessListener gAccessListener;
}

inline void accessChanged(AccessChange change, HXCGUI object, int32_t a = kWholeObject, int32_t b = 0) {
  if (AccessListener listener = detail::gAccessListener) listener(change, object, a, b);
}

}  // namespace tovalux::tk
