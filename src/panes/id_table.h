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
#include <vector>

namespace tovalux {

template <class T>
class IdTable {
 public:
  T* find(int id) {
    const int64_t at = indexOf(id);
    return at >= 0 && used_[static_cast<size_t>(at)] ? &values_[static_cast<size_t>(at)] : nullptr;
  }
  const T* find(int id) const { return const_cast<IdTable*>(this)->find(id); }

  // Adds or replaces the value of `id`; answers null for an id so far from the others that
  // taking it would reserve room for millions (ids come from the toolkit and never do that).
  T* put(int id, T value) {
    if (!reach(id)) return nullptr;
    const auto at = static_cast<size_t>(static_cast<int64_t>(id) - base_);
    if (!used_[at]) ++count_;
    used_[at] = true;
    values_[at] = std::move(value);
    return &values_[at];
  }

  bool erase(int id) {
    const int64_t at = indexOf(id);
    if (at < 0 || !used_[static_cast<size_t>(at)]) return false;
    used_[static_cast<size_t>(at)] = false;
    values_[static_cast<size_t>(at)] = T{};
    if (--count_ == 0) clear();  // the memory goes back; holes never outlive the last value
    return true;
  }

  void clear() {
    values_.clear();
    values_.shrink_to_fit();
    used_.clear();
    used_.shrink_to_fit();
    count_ = 0;
  }

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // Calls f(id, value) for every value, smallest id first.
  template <class F>
  void forEach(F&& f) const {
    // Iterators, not indexes: a search walks every value on each keystroke, and a deque's
    // index is a division and two loads.
    auto used = used_.begin();
    int64_t id = base_;
    for (auto value = values_.begin(); value != values_.end(); ++value, ++used, ++id)
      if (*used) f(static_cast<int>(id), *value);
  }

 private:
  static constexpr int64_t kFreeSpan = 1 << 16;

  int64_t indexOf(int id) const {
    const int64_t at = static_cast<int64_t>(id) - base_;
    return at >= 0 && at < static_cast<int64_t>(values_.size()) ? at : -1;
  }

  // Makes room for `id`: the first id sets the base; an id before it is put in front.
  bool reach(int id) {
    if (values_.empty()) {
      base_ = id;
    } else {
      const int64_t low = std::min<int64_t>(base_, id);
      const int64_t high = std::max<int64_t>(base_ + static_cast<int64_t>(values_.size()) - 1, id);
      if (high - low + 1 > 2 * static_cast<int64_t>(count_) + kFreeSpan) return false;
      if (id < base_) {
        const auto gap = static_cast<size_t>(base_ - id);
        values_.insert(values_.begin(), gap, T{});
        used_.insert(used_.begin(), gap, false);
        base_ = id;
      }
    }
    const auto size = static_cast<size_t>(static_cast<int64_t>(id) - base_ + 1);
    if (size == values_.size() + 1) {  // the next id, as the toolkit hands them out
      values_.emplace_back();
      used_.push_back(false);
    } else if (size > values_.size()) {
      values_.resize(size);
      used_.resize(size, false);
    }
    return true;
  }

  // The values and, apart, a bit each for whether the id holds one: the values keep their own
  // size, with no flag and its padding beside each.
  std::deque<T> values_;
  std::vector<bool> used_;
  int64_t base_ = 0;
  size_t count_ = 0;
};

}  // namespace tovalux
