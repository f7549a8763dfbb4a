// The model's change listener: it keeps the id table in step with what dies and moves, and turns
// each change into notices while they are started (the rules are in notices.h).
#include "toolkit/model/access/notices.h"

#include <algorithm>
#include <functional>
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

struct NoticeHash {
  size_t operator()(const Notice& n) const {
    return std::hash<uint64_t>()((static_cast<uint64_t>(n.window) << 36) ^ (static_cast<uint64_t>(n.event) << 32) ^
                                 static_cast<uint32_t>(n.id));
  }
};

struct Queue {
  bool started = false;
  Wake wake = nullptr;
  std::vector<Notice> pending;
  // The collapsing notices among `pending`: a burst of thousands of inserts asks "is this one
  // waiting already?" once per change, which a scan of the queue made quadratic.
  std::unordered_set<Notice, NoticeHash> collapsing;
  // The objects whose "items changed" waits already: the next change to the same object's items
  // is answered before its object is even looked up.
  std::unordered_set<HXCGUI> itemsPending;

  void clear() {
    pending.clear();
    collapsing.clear();
    itemsPending.clear();
  }
};

Queue& queue() {
  static Queue q;
  return q;
}

// Notices that only say "look again" collapse while they wait.
bool collapses(Event e) {
  return e == Event::stateChange || e == Event::nameChange || e == Event::valueChange || e == Event::reorder;
}

bool isItem(Kind kind) { return kind == Kind::row || kind == Kind::treeItem || kind == Kind::groupItem; }

// Whether the notice waits now (queued before or now).
bool post(Event event, const Ref& ref, bool allocate = true) {
  Queue& q = queue();
  if (!q.started) return false;
  // "Look again" about an item no client was ever given: nobody holds it, and the view's own
  // reorder already says there is something new. Giving each such item an id would cost every
  // insert of a big fill an id and a notice.
  if (collapses(event) && event != Event::reorder && isItem(ref.kind)) allocate = false;
  const HWINDOW window = windowOf(ref);
  if (window == 0) return false;
  int32_t id = 0;
  if (ref.kind != Kind::window) {
    id = allocate ? idOf(ref) : detail::existingId(ref);
    if (id == 0) return false;
  }
  const Notice notice{event, window, id};
  if (!q.pending.empty() && q.pending.back() == notice) return true;
  if (collapses(event) && q.collapsing.contains(notice)) return true;
  if (q.pending.size() >= kMaxNotices) return false;
  q.pending.push_back(notice);
  if (collapses(event)) q.collapsing.insert(notice);
  if (q.pending.size() == 1 && q.wake != nullptr) q.wake();
  return true;
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
      q.clear();
      return;
    case AccessChange::destroyed: {
      if (getWindow(object) == nullptr) {
        // What waits about the element (its children leaving it, say) says nothing any more.
        const Ref self{Kind::element, object, 0, 0};
        if (const int32_t id = existingId(self); id != 0) {
          std::erase_if(q.pending, [id](const Notice& n) { return n.id == id; });
          std::erase_if(q.collapsing, [id](const Notice& n) { return n.id == id; });
          post(Event::destroy, self, false);
        }
      }
      q.itemsPending.erase(object);
      forgetOwner(object);
      return;
    }
    case AccessChange::rowsRemoved: removeRows(rowsOwner(object), a, b); return;
    case AccessChange::itemsReset: resetItems(rowsOwner(object)); return;
    case AccessChange::itemsPruned: pruneItems(rowsOwner(object)); return;
    default: break;
  }
  if (!q.started) return;
  // Per item of a big fill: an item nobody holds by id has no name or value to re-announce, and
  // the view's "items changed" is said once per burst.
  if ((change == AccessChange::name || change == AccessChange::value) && a != kWholeObject &&
      getWindow(object) == nullptr && !itemsHaveIds(rowsOwner(object)))
    return;
  if (change == AccessChange::items && q.itemsPending.contains(object)) return;
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
    case AccessChange::items:
      if (post(Event::reorder, *ref)) q.itemsPending.insert(object);
      break;
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
  q.clear();
  detail::ensureListening();
}

void stopNotices() {
  Queue& q = queue();
  q.started = false;
  q.wake = nullptr;
  q.clear();
}

bool noticesStarted() { return queue().started; }

std::vector<Notice> takeNotices() {
  Queue& q = queue();
  std::vector<Notice> taken = std::exchange(q.pending, {});
  q.clear();
  return taken;
}

}  // namespace tovalux::tk::access
