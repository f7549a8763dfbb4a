// Pane ids by host item handle, for a pane that mirrors a big host tree: open addressing with
// linear probing in one array of 8-byte slots, kept at most three quarters full, where a hash
// map spends a node and a bucket on every entry. UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovalux {

class HandleMap {
 public:
  // The value of `key`; null when it has none.
  const int* find(uint32_t key) const {
    if (key == 0) return hasZero_ ? &zeroValue_ : nullptr;
    if (slots_.empty()) return nullptr;
    for (size_t at = home(key);; at = next(at)) {
      if (slots_[at].key == key) return &slots_[at].value;
      if (slots_[at].key == 0) return nullptr;
    }
  }

  void put(uint32_t key, int value) {
    if (key == 0) {
      hasZero_ = true;
      zeroValue_ = value;
      return;
    }
    if ((stored_ + 1) * 4 > slots_.size() * 3) grow();
    size_t at = home(key);
    while (slots_[at].key != 0 && slots_[at].key != key) at = next(at);
    if (slots_[at].key == 0) ++stored_;
    slots_[at] = {key, value};
  }

  bool erase(uint32_t key) {
    if (key == 0) {
      if (!hasZero_) return false;
      hasZero_ = false;
      return true;
    }
    if (slots_.empty()) return false;
    size_t hole = home(key);
    while (slots_[hole].key != key) {
      if (slots_[hole].key == 0) return false;
      hole = next(hole);
    }
    // Entries after the hole whose probe passed through it move back into it, so that no probe
    // meets an empty slot before its key (no tombstones).
    for (size_t at = next(hole); slots_[at].key != 0; at = next(at)) {
      const size_t want = home(slots_[at].key);
      const bool passesHole = hole <= at ? (want <= hole || want > at) : (want <= hole && want > at);
      if (passesHole) {
        slots_[hole] = slots_[at];
        hole = at;
      }
    }
    slots_[hole] = {};
    --stored_;
    return true;
  }

  void clear() {
    std::vector<Slot>().swap(slots_);
    stored_ = 0;
    hasZero_ = false;
  }

  size_t size() const { return stored_ + (hasZero_ ? 1 : 0); }

 private:
  struct Slot {
    uint32_t key = 0;  // 0: empty (key 0 is kept apart)
    int value = 0;
  };

  size_t home(uint32_t key) const {
    // Fibonacci hashing: handles are pointers, alike in their low bits; the product's high bits
    // are not.
    return static_cast<size_t>((key * 0x9E3779B1u) >> (32 - bits_));
  }
  size_t next(size_t at) const { return (at + 1) & (slots_.size() - 1); }

  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    bits_ = old.empty() ? 4 : bits_ + 1;
    slots_.assign(size_t{1} << bits_, Slot{});
    for (const Slot& slot : old) {
      if (slot.key == 0) continue;
      size_t at = home(slot.key);
      while (slots_[at].key != 0) at = next(at);
      slots_[at] = slot;
    }
  }

  std::vector<Slot> slots_;
  unsigned bits_ = 0;
  size_t stored_ = 0;  // entries in slots_ (key 0 is not among them)
  bool hasZero_ = false;
  int zeroValue_ = 0;
};

}  // namespace tovalux
