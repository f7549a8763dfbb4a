// Objects, the handle registry and event dispatch.
//
// Every toolkit object lives in the registry under a 32-bit handle. Handles are handed out from
// a counter that is never reset while the library is loaded, so a stale handle can never name a
// newer object; every public function resolves its handle here first and does nothing when the
// lookup fails, so a stale or foreign value is never dereferenced.
//
// The bottom of the model: it includes only the public types. UI thread only (the registry and
// the handler tables have no lock; XC_CallUiThread is how other threads get here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::tk {

// Arguments of one event, each widened to a pointer-sized integer (XCGUI passes them on the
// stack; the handler wrapper converts each back to the handler's parameter type).
struct EventArgs {
  static constexpr int kMax = 8;
  int count = 0;
  intptr_t v[kMax] = {};
  intptr_t operator[](int i) const { return i >= 0 && i < count ? v[i] : 0; }
};

// A registered handler: receives the object it was registered on, the event's arguments and
// the handled flag; answers the handler's int result.
using Handler = std::function<int(HXCGUI self, const EventArgs& args, bool* handled)>;

class EventTable {
 public:
  void add(int event, Handler handler);
  // The handlers of `event`, newest first, as a snapshot that stays valid if handlers register
  // or the object dies while they run.
  std::vector<std::shared_ptr<Handler>> snapshot(int event) const;
  bool has(int event) const;

 private:
  std::map<int, std::vector<std::shared_ptr<Handler>>> handlers_;
};

class Object {
 public:
  explicit Object(int type) : type_(type) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HXCGUI handle() const { return handle_; }
  int type() const { return type_; }
  // True when this object is of kind `type` or derives from it (an edit is a scroll view).
  virtual bool isA(int type) const { return type == type_; }
  virtual EventTable* events() { return nullptr; }
  // The toolkit's own behaviour for an event nobody marked handled.
  virtual void defaultAction(int /*event*/, const EventArgs& /*args*/) {}

 private:
  friend class Registry;
  HXCGUI handle_ = 0;
  int type_;
};

// dynamic_cast<T*>(object), with the answers kept for the last few most-derived types asked
// about. Every public function casts the object behind its handle, and where type_info objects
// compare by name (mingw), each cast walks the class hierarchy comparing strings. From a given
// most-derived type the way to T is always the same offset (or none). The answers are kept by
// the type's address for a few dozen types, as the casts of one loop often alternate between
// kinds (a tree and its rows, a template's texts and pictures). UI thread only, like the
// registry.
template <class T>
T* kindCast(Object* object) {
  if (object == nullptr) return nullptr;
  struct Known {
    const std::type_info* type = nullptr;
    ptrdiff_t offset = 0;
    bool is = false;
  };
  // Sets of two answers, the latest first, so that two kinds meeting in one set both stay.
  constexpr unsigned kSetBits = 4;
  static Known known[2u << kSetBits];
  const std::type_info* type = &typeid(*object);
  // The type_info objects lie side by side: the product's high bits spread them over the sets.
  const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(type));
  Known* set = &known[2 * ((address * 0x9E3779B1u) >> (32 - kSetBits))];
  if (set[0].type != type) {
    if (set[1].type == type) {
      std::swap(set[0], set[1]);
    } else {
      T* cast = dynamic_cast<T*>(object);
      set[1] = set[0];
      set[0] = {type, cast != nullptr ? reinterpret_cast<char*>(cast) - reinterpret_cast<char*>(object) : 0,
                cast != nullptr};
      return cast;
    }
  }
  return set[0].is ? reinterpret_cast<T*>(reinterpret_cast<char*>(object) + set[0].offset) : nullptr;
}
template <class T>
const T* kindCast(const Object* object) {
  return kindCast<T>(const_cast<Object*>(object));
}

class Registry {
 public:
  // Registers a new object and answers it; the registry owns it.
  template <class T, class... A>
  T* create(A&&... args) {
    auto object = std::make_unique<T>(std::forward<A>(args)...);
    T* raw = object.get();
    adopt(std::move(object));
    return raw;
  }
  Object* find(HXCGUI handle) const;
  template <class T>
  T* get(HXCGUI handle) const {
    return kindCast<T>(find(handle));
  }
  bool alive(HXCGUI handle) const { return find(handle) != nullptr; }
  // Destroys the object now. Objects that own others destroy those in their destructor path
  // (see Element::destroy); this only drops the one entry.
  void erase(HXCGUI handle);
  void clear();
  size_t size() const { return objects_.size(); }
  // Objects in creation order (handles grow monotonically).
  std::vector<HXCGUI> handles() const;

 private:
  void adopt(std::unique_ptr<Object> object);
  std::unordered_map<HXCGUI, std::unique_ptr<Object>> objects_;
};

// Runs the handlers of `event` on `handle`, newest first; a handler that sets *handled stops
// the later ones and the default action. Answers true when the event was handled. Safe when a
// handler destroys the object: dispatch stops at once.
bool raiseEvent(HXCGUI handle, int event, const EventArgs& args);

}  // namespace tovalux::tk
