// Handles, the registry and event dispatch. Dispatch re-finds the object after every handler:
// a handler may destroy it (or anything else), and nothing here may touch it afterwards.
#include "toolkit/model/core/object.h"

#include <algorithm>

#include "toolkit/model/core/context.h"

namespace tovalux::tk {

namespace {
// Starts well above small integers so that ids, indexes and counts passed by mistake are never
// taken for live handles. Never reset: XExitXCGUI followed by XInitXCGUI goes on counting.
HXCGUI gNextHandle = 0x00010000;
}  // namespace

void EventTable::add(int event, Handler handler) {
  handlers_[event].push_back(std::make_shared<Handler>(std::move(handler)));
}

std::vector<std::shared_ptr<Handler>> EventTable::snapshot(int event) const {
  auto it = handlers_.find(event);
  if (it == handlers_.end()) return {};
  return {it->second.rbegin(), it->second.rend()};
}

bool EventTable::has(int event) const { return handlers_.count(event) != 0; }

Object* Registry::find(HXCGUI handle) const {
  if (handle == 0) return nullptr;
  auto it = objects_.find(handle);
  return it == objects_.end() ? nullptr : it->second.get();
}

void Registry::adopt(std::unique_ptr<Object> object) {
  HXCGUI handle;
  do {
    handle = gNextHandle++;
  } while (handle == 0 || objects_.count(handle) != 0);  // only after 2^32 handles
  object->handle_ = handle;
  objects_.emplace(handle, std::move(object));
}

void Registry::erase(HXCGUI handle) {
  auto it = objects_.find(handle);
  if (it == objects_.end()) return;
  // Move out first: a destructor that looks up its own handle must already miss it.
  std::unique_ptr<Object> dying = std::move(it->second);
  objects_.erase(it);
  dying.reset();
}

// Newest first: an object made by another (a pane's buttons, a view's rows) dies before its maker.
void Registry::clear() {
  std::vector<HXCGUI> all = handles();
  for (auto it = all.rbegin(); it != all.rend(); ++it) erase(*it);
}

std::vector<HXCGUI> Registry::handles() const {
  std::vector<HXCGUI> out;
  out.reserve(objects_.size());
  for (const auto& [handle, object] : objects_) out.push_back(handle);
  std::sort(out.begin(), out.end());
  return out;
}

// The handlers run from a snapshot, so one that registers or removes handlers does not disturb
// this dispatch; after each, the object is looked up again.
bool raiseEvent(HXCGUI handle, int event, const EventArgs& args) {
  Registry& registry = context().registry;
  Object* object = registry.find(handle);
  if (object == nullptr) return false;
  bool handled = false;
  if (EventTable* table = object->events()) {
    for (const auto& handler : table->snapshot(event)) {
      (*handler)(handle, args, &handled);
      if (handled || !registry.alive(handle)) return handled;
    }
  }
  object = registry.find(handle);
  if (object != nullptr) object->defaultAction(event, args);
  return false;
}

}  // namespace tovalux::tk
