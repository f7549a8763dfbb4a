// Adapters: the data behind the data views. A view shows its adapter's items through item
// templates; template objects name the value they show by column (FORMATS.md 2).
//
// Columns are numbers from 0; column k is also named "name" + (k + 1) and by its decimal text.
// Any other name ("icon") is given a column of its own on first use, numbered apart from the
// plain columns so that a named value never shares a cell with a numbered one.
// An item keeps only the cells that were set, so a wild column number costs one cell.
// UI thread only. An adapter knows nothing of views: views find their adapter by handle and
// follow its version counters to know what changed.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/model/core/object.h"

namespace tovalux::tk {

constexpr int kMaxColumn = 1 << 20;        // plain columns are 0 .. kMaxColumn-1
constexpr int kNamedColumnBase = 1 << 24;  // named columns count from here

// A cell's text: one heap block holding the count and the characters, none when empty. A tree
// mirroring a big project holds hundreds of thousands of cells; a std::u16string is six
// pointers wide before it holds anything and its short-text buffer fits no GBK label.
// A decimal number's text (digits only, no leading zero, below 2^31: the host handle every
// mirrored tree item carries) is kept in the word itself, with no block.
class CellText {
 public:
  CellText() = default;
  CellText(std::u16string_view text) { assign(text); }  // NOLINT(google-explicit-constructor)
  CellText(const CellText& other) { *this = other; }
  CellText(CellText&& other) noexcept : word_(std::exchange(other.word_, 0)) {}
  CellText& operator=(const CellText& other);
  CellText& operator=(CellText&& other) noexcept {
    if (this != &other) {
      release();
      word_ = std::exchange(other.word_, 0);
    }
    return *this;
  }
  CellText& operator=(std::u16string_view text) {
    assign(text);
    return *this;
  }
  ~CellText() { release(); }
  // A caller's null-terminated text (XChar is wchar_t on Windows), with no copy in between;
  // null is empty.
  void assignX(const XChar* text);
  std::u16string str() const;
  bool empty() const { return word_ == 0; }

 private:
  // word_: 0 when empty; odd: (number << 1) | 1; otherwise the block, whose first two code
  // units hold the count (blocks from operator new are never odd).
  static constexpr size_t kCountUnits = 2;
  bool holdsNumber() const { return (word_ & 1) != 0; }
  const char16_t* block() const { return reinterpret_cast<const char16_t*>(word_); }
  uint32_t count() const { return static_cast<uint32_t>(block()[0]) | static_cast<uint32_t>(block()[1]) << 16; }
  void assign(std::u16string_view text);
  // The word for a text that is a number kept in place; 0 for any other text.
  template <class Char>
  static uintptr_t numberWord(const Char* text, size_t count);
  // A block for `count` units with its count written (none for 0).
  static char16_t* fresh(size_t count);
  // The new word in place of the old one, freed after: the new text may have come from it.
  void replace(uintptr_t word);
  void release();
  uintptr_t word_ = 0;
};

struct Cell {
  int column = 0;
  CellText text;
  HIMAGE image = 0;
  int32_t data = 0;  // per-cell user value (XList_SetItemData)
};

// The values of one item (a row, a tree item, a list-view group or item): the cells set, in
// one block exactly their size up to a few cells (a tree item holds three: icon, label, host
// handle), in doubling blocks past that. A pointer and a count, where a vector is three words.
class Record {
 public:
  Record() = default;
  Record(const Record& other) { *this = other; }
  Record(Record&& other) noexcept
      : cells_(std::exchange(other.cells_, nullptr)), count_(std::exchange(other.count_, 0)) {}
  Record& operator=(const Record& other);
  Record& operator=(Record&& other) noexcept {
    if (this != &other) {
      release();
      cells_ = std::exchange(other.cells_, nullptr);
      count_ = std::exchange(other.count_, 0);
    }
    return *this;
  }
  ~Record() { release(); }

  std::span<const Cell> cells() const { return {cells_, count_}; }
  const Cell* find(int column) const;
  Cell& at(int column);  // created when missing
  std::u16string text(int column) const;
  HIMAGE image(int column) const;

 private:
  static uint32_t capacityFor(uint32_t count) { return count <= 4 ? count : std::bit_ceil(count); }
  // The block comes from an allocator, not new[], which would put a count before the cells.
  void release();
  Cell* cells_ = nullptr;
  uint32_t count_ = 0;
};

class Adapter : public Object {
 public:
  Adapter() : Object(XC_ADAPTER) {}
  // The column a template or a caller names; -1 for a malformed name, or an unknown one when
  // `create` is false.
  int column(std::string_view name, bool create);
  // Plain column numbers the public functions accept.
  static bool validColumn(int column) { return column >= 0 && column < kMaxColumn; }

 private:
  std::vector<std::string> named_;
};

// Rows addressed by index: list boxes, lists, combo boxes, a list's header (one row per column).
class TableAdapter : public Adapter {
 public:
  std::vector<Record> rows;
  Record* row(int index) {
    return index >= 0 && static_cast<size_t>(index) < rows.size() ? &rows[static_cast<size_t>(index)] : nullptr;
  }
  int count() const { return static_cast<int>(rows.size()); }
};

// Tree items. Ids are handed out from 1 in insertion order, one apart, whatever the position
// of the item; ids of deleted items are never handed out again.
class TreeAdapter : public Adapter {
 public:
  static constexpr int kRoot = 0;
  static constexpr int kFirst = -2;  // insert positions
  static constexpr int kLast = -3;

  struct Node {
    int parent = kRoot;
    int first = 0, last = 0;  // children
    int prev = 0, next = 0;   // siblings
    // One word for the three: a big project's tree holds hundreds of thousands of nodes.
    int depth : 30 = 0;
    unsigned alive : 1 = 0;
    unsigned expanded : 1 = 0;
    Record record;
    // The item's place among the items shown, kept by the tree (valid for its epoch).
    int order = -1;
    uint32_t orderEpoch = 0;
  };

  // Inserts under `parent` (0: top level) at `position` (kFirst, kLast, or after that child of
  // the parent); answers the new id, or -1 for an unknown parent or position.
  int insert(int parent, int position);
  // Removes the item and its descendants; answers whether it existed.
  bool remove(int id);
  void clear();
  Node* node(int id);
  const Node* node(int id) const;
  int firstRoot() const { return firstRoot_; }
  int count() const { return count_; }
  // Bumped by every change of the hierarchy or of an expanded state.
  uint64_t shapeVersion() const { return shape_; }
  void setExpanded(Node& n, bool expanded);

 private:
  void unlink(int id);
  // Node id - base_, in blocks of 64 that never move: a doubling vector would leave a third of a
  // 100,000-item tree's room unused, and a deque's index is a division where this is a shift.
  static constexpr unsigned kBlockBits = 6;
  using Block = std::array<Node, size_t{1} << kBlockBits>;
  Node& at(size_t index) { return (*blocks_[index >> kBlockBits])[index & ((size_t{1} << kBlockBits) - 1)]; }
  std::vector<std::unique_ptr<Block>> blocks_;
  size_t size_ = 0;  // nodes handed out since the last clear
  int base_ = 1;
  int firstRoot_ = 0, lastRoot_ = 0;
  int count_ = 0;
  uint64_t shape_ = 0;
};

// List-view groups, each with its own items.
class ListViewAdapter : public Adapter {
 public:
  struct Group {
    Record record;
    bool expanded = true;
    std::vector<Record> items;
  };
  std::vector<Group> groups;
  Group* group(int index) {
    return index >= 0 && static_cast<size_t>(index) < groups.size() ? &groups[static_cast<size_t>(index)] : nullptr;
  }
  Record* item(int g, int i) {
    Group* grp = group(g);
    if (grp == nullptr || i < 0 || static_cast<size_t>(i) >= grp->items.size()) return nullptr;
    return &grp->items[static_cast<size_t>(i)];
  }
};

}  // namespace tovalux::tk
