// Values by the ids a toolkit tree hands out: one apart in insertion order from some base, never
// reused. A table indexed from the smallest id keeps them with no hash node per id and, in a
// deque, without the slack a doubling vector leaves: a pane that mirrors a big project keeps
// one value per host item. UI thread only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

namespace tovalux {

template <class T>
class IdTable {
 public:
  T* find(int id) {
    Slot* slot = slotOf(id);
    return slot != nullptr && slot->used ? &slot->value : nullptr;
  }
  const T* find(int id) const { return const_cast<IdTable*>(this)->find(id); }

  // Adds or replaces the value of `id`; answers null for an id so far from the others that
  // taking it would reserve room for millions (ids come from the toolkit and never do that).
  T* put(int id, T value) {
    if (!reach(id)) return nullptr;
    Slot& slot = slots_[static_cast<size_t>(static_cast<int64_t>(id) - base_)];
    if (!slot.used) ++count_;
    slot.value = std::move(value);
    slot.used = true;
    return &slot.value;
  }

  bool erase(int id) {
    Slot* slot = slotOf(id);
    if (slot == nullptr || !slot->used) return false;
    *slot = Slot{};
    if (--count_ == 0) clear();  // the memory goes back; holes never outlive the last value
    return true;
  }

  void clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
  }

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // Calls f(id, value) for every value, smallest id first.
  template <class F>
  void forEach(F&& f) const {
    int64_t id = base_;
    for (const Slot& slot : slots_) {
      if (slot.used) f(static_cast<int>(id), slot.value);
      ++id;
    }
  }

 private:
  struct Slot {
    T value{};
    bool used = false;
  };
  static constexpr int64_t kFreeSpan = 1 << 16;

  Slot* slotOf(int id) {
    const int64_t at = static_cast<int64_t>(id) - base_;
    return at >= 0 && at < static_cast<int64_t>(slots_.size()) ? &slots_[static_cast<size_t>(at)] : nullptr;
  }

  // Makes room for `id`: the first id sets the base; an id before it is put in front.
  bool reach(int id) {
    if (slots_.empty()) {
      base_ = id;
      slots_.emplace_back();
      return true;
    }
    const int64_t low = std::min<int64_t>(base_, id);
    const int64_t high = std::max<int64_t>(base_ + static_cast<int64_t>(slots_.size()) - 1, id);
    if (high - low + 1 > 2 * static_cast<int64_t>(count_) + kFreeSpan) return false;
    while (id < base_) {
      slots_.emplace_front();
      --base_;
    }
    while (static_cast<int64_t>(id) - base_ >= static_cast<int64_t>(slots_.size())) slots_.emplace_back();
    return true;
  }

  std::deque<Slot> slots_;
  int64_t base_ = 0;
  size_t count_ = 0;
};

}  // namespace tovalux
