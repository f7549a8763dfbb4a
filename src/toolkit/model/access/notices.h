// Notices for screen readers: the model's changes (core/access_feed.h) turned into what the
// platform announces (focus, selection, state, name, value, show, hide, reorder, destroy), each
// naming a window and an object's child id (0: the window itself).
//
// Notices wait in a queue until the glue takes them on the UI thread, outside the operation that
// caused them (a client answering one may read the tree, which must then be whole). The first
// notice of an empty queue calls the wake function, so the glue serves the queue once per burst.
// Repeats of "something changed" notices (state, name, value, reorder) collapse into one while
// they wait; focus, selection, show and hide keep their order and only a notice that repeats the
// one before it is dropped. The queue keeps at most kMaxNotices.
// UI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::tk::access {

enum class Event : uint8_t {
  focus,
  selection,
  selectionWithin,  // the view's selection cleared
  stateChange,
  nameChange,
  valueChange,
  show,
  hide,
  reorder,
  destroy,
};
const char* eventName(Event event);

struct Notice {
  Event event;
  HWINDOW window;
  int32_t id;  // 0: the window itself
  bool operator==(const Notice&) const = default;
};

inline constexpr size_t kMaxNotices = 4096;

using Wake = void (*)();

// Listens to the model's changes from now on (ids are kept up to date with or without this).
void startNotices(Wake wake);
// Stops listening and drops what waits.
void stopNotices();
bool noticesStarted();
std::vector<Notice> takeNotices();

}  // namespace tovalux::tk::access
