// The model's change listener: it keeps the id table in step with what dies and moves, and turns
// each change into notices while they are started (the rules are in notices.h).
#include "toolkit/model/access/notices.h"

#include <algorithm>
#include <unordered_set>

#include "toolkit/model/access/internal.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/dataview.h"
#include "toolkit/model/views/list.h"

namespace tovalux::tk::access {

const char* eventName(Event event) {
  switch (event) {
    case Event::focus: return "focus";
    case Event::selection: return "selection";
    case Event::selectionWithin: return "selection-within";
    case Event::stateChange: return "state";
    case Event::nameChange: return "name";
    case Event::valueChange: return "value";
    case Event::show: return "show";
    case Event::hide: return "hide";
    case Event::reorder: return "reorder";
    case Event::destroy: return "destroy";
  }
  return "";
}

namespace {

struct Queue {
  bool started = false;
  Wake wake = nullptr;
  std::vector<Notice> pending;
};

Queue& queue() {
  static Queue q;
  return q;
}

// Notices that only say "look again" collapse while they wait.
bool collapses(Event e) {
  return e == Event::stateChange || e == Event::nameChange || e == Event::valueChange || e == Event::reorder;
}

void post(Event event, const Ref& ref, bool allocate = true) {
  Queue& q = queue();
  if (!q.started) return;
  const HWINDOW window = windowOf(ref);
  if (window == 0) return;
  int32_t id = 0;
  if (ref.kind != Kind::window) {
    id = allocate ? idOf(ref) : detail::existingId(ref);
    if (id == 0) return;
  }
  const Notice notice{event, window, id};
  if (!q.pending.empty() && q.pending.back() == notice) return;
  if (collapses(event) && std::find(q.pending.begin(), q.pending.end(), notice) != q.pending.end()) return;
  if (q.pending.size() >= kMaxNotices) return;
  q.pending.push_back(notice);
  if (q.pending.size() == 1 && q.wake != nullptr) q.wake();
}

void onChildren(HXCGUI object) {
  if (getWindow(object) != nullptr) {
    post(Event::reorder, windowRef(object));
    return;
  }
  Element* e = getElement(object);
  // A view's element children are the rows it builds for its items (while painting, too) and
  // its scroll bars: its items report themselves (`items`).
  if (e == nullptr || context().registry.get<DataView>(object) != nullptr) return;
  // Inside a row or a header a view builds: not described either.
  if (e->itemPart) return;
  if (auto ref = nearestRef(object)) post(Event::reorder, *ref);
}

}  // namespace

namespace detail {

void ensureListening() {
  if (tk::detail::gAccessListener != &listen) setAccessListener(&listen);
}

void listen(AccessChange change, HXCGUI object, int32_t a, int32_t b) {
  Queue& q = queue();
  switch (change) {
    case AccessChange::exited:
      clearIds();
      q.pending.clear();
      return;
    case AccessChange::destroyed: {
      if (getWindow(object) == nullptr) {
        // What waits about the element (its children leaving it, say) says nothing any more.
        const Ref self{Kind::element, object, 0, 0};
        if (const int32_t id = existingId(self); id != 0) {
          std::erase_if(q.pending, [id](const Notice& n) { return n.id == id; });
          post(Event::destroy, self, false);
        }
      }
      forgetOwner(object);
      return;
    }
    case AccessChange::rowsRemoved: removeRows(rowsOwner(object), a, b); return;
    case AccessChange::itemsReset: resetItems(rowsOwner(object)); return;
    case AccessChange::itemsPruned: pruneItems(rowsOwner(object)); return;
    default: break;
  }
  if (!q.started) return;
  if (change == AccessChange::children) {
    onChildren(object);
    return;
  }
  if (change == AccessChange::selection && a == kWholeObject) {
    if (auto view = nearestRef(object)) post(Event::selectionWithin, *view);
    return;
  }
  std::optional<Ref> ref = refOfChange(object, a, b);
  if (!ref) return;
  switch (change) {
    case AccessChange::focus:
      // A focused view announces its current item.
      if (auto item = currentItem(*ref)) ref = item;
      post(Event::focus, *ref);
      break;
    case AccessChange::selection: {
      post(Event::selection, *ref);
      Element* view = getElement(rowsOwner(object));
      Window* w = view != nullptr ? view->window() : nullptr;
      if (w != nullptr && w->focused == view->handle()) post(Event::focus, *ref);
      break;
    }
    case AccessChange::state:
      post(Event::stateChange, *ref);
      if (isPageTab(*ref) && (states(*ref) & state_selected)) post(Event::selection, *ref);
      break;
    case AccessChange::name: post(Event::nameChange, *ref); break;
    case AccessChange::value: post(Event::valueChange, *ref); break;
    case AccessChange::items: post(Event::reorder, *ref); break;
    case AccessChange::shown: post(Event::show, *ref); break;
    case AccessChange::hidden: post(Event::hide, *ref); break;
    default: break;
  }
}

}  // namespace detail

void startNotices(Wake wake) {
  Queue& q = queue();
  q.started = true;
  q.wake = wake;
  q.pending.clear();
  detail::ensureListening();
}

void stopNotices() {
  Queue& q = queue();
  q.started = false;
  q.wake = nullptr;
  q.pending.clear();
}

bool noticesStarted() { return queue().started; }

std::vector<Notice> takeNotices() { return std::exchange(queue().pending, {}); }

}  // namespace tovalux::tk::access
