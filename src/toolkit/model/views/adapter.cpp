// Adapters: records of cells, column names, the table's rows, the tree's nodes (ids never
// reused, sibling links instead of vectors so inserting in the middle is cheap) and the grouped
// adapter of list views. Each change bumps a version the views compare against.
#include "toolkit/model/views/adapter.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

const Cell* Record::find(int column) const {
  for (const Cell& c : cells())
    if (c.column == column) return &c;
  return nullptr;
}

Record& Record::operator=(const Record& other) {
  if (this == &other) return *this;
  Cell* cells = other.count_ == 0 ? nullptr : std::allocator<Cell>().allocate(capacityFor(other.count_));
  try {
    std::uninitialized_copy_n(other.cells_, other.count_, cells);
  } catch (...) {
    if (cells != nullptr) std::allocator<Cell>().deallocate(cells, capacityFor(other.count_));
    throw;
  }
  release();
  cells_ = cells;
  count_ = other.count_;
  return *this;
}

void Record::release() {
  if (cells_ == nullptr) return;
  std::destroy_n(cells_, count_);
  std::allocator<Cell>().deallocate(cells_, capacityFor(count_));
  cells_ = nullptr;
  count_ = 0;
}

template <class Char>
uintptr_t CellText::numberWord(const Char* text, size_t count) {
  // Ten digits reach past 2^31; a leading zero or a sign would not come back the same.
  if (count == 0 || count > 10 || (text[0] == '0' && count > 1)) return 0;
  uint64_t value = 0;
  for (size_t k = 0; k < count; ++k) {
    if (text[k] < '0' || text[k] > '9') return 0;
    value = value * 10 + static_cast<uint64_t>(text[k] - '0');
  }
  return value <= INT32_MAX ? static_cast<uintptr_t>(value) << 1 | 1 : 0;
}

CellText& CellText::operator=(const CellText& other) {
  if (this == &other) return *this;
  if (other.word_ == 0 || other.holdsNumber()) {
    replace(other.word_);
  } else {
    const size_t count = other.count();
    char16_t* block = fresh(count);
    std::copy_n(other.block() + kCountUnits, count, block + kCountUnits);
    replace(reinterpret_cast<uintptr_t>(block));
  }
  return *this;
}

void CellText::assign(std::u16string_view text) {
  if (uintptr_t number = numberWord(text.data(), text.size())) return replace(number);
  // Callers bound what reaches a cell far below 4 G units; a longer text is cut, not wrapped.
  const size_t count = std::min<size_t>(text.size(), UINT32_MAX);
  char16_t* block = fresh(count);
  if (block != nullptr) std::copy_n(text.data(), count, block + kCountUnits);
  replace(reinterpret_cast<uintptr_t>(block));
}

void CellText::assignX(const XChar* text) {
  size_t count = 0;
  if (text != nullptr)
    while (text[count] != 0 && count < UINT32_MAX) ++count;
  if (uintptr_t number = numberWord(text, count)) return replace(number);
  char16_t* block = fresh(count);
  for (size_t k = 0; k < count; ++k) block[kCountUnits + k] = static_cast<char16_t>(text[k]);
  replace(reinterpret_cast<uintptr_t>(block));
}

std::u16string CellText::str() const {
  if (word_ == 0) return {};
  if (!holdsNumber()) return std::u16string(block() + kCountUnits, count());
  char16_t digits[10];
  size_t start = std::size(digits);
  for (uintptr_t value = word_ >> 1; start == std::size(digits) || value != 0; value /= 10)
    digits[--start] = static_cast<char16_t>(u'0' + value % 10);
  return std::u16string(digits + start, digits + std::size(digits));
}

char16_t* CellText::fresh(size_t count) {
  if (count == 0) return nullptr;
  char16_t* block = new char16_t[kCountUnits + count];
  block[0] = static_cast<char16_t>(count & 0xFFFF);
  block[1] = static_cast<char16_t>(count >> 16);
  return block;
}

void CellText::replace(uintptr_t word) {
  release();
  word_ = word;
}

void CellText::release() {
  if (word_ != 0 && !holdsNumber()) delete[] block();
  word_ = 0;
}

Cell& Record::at(int column) {
  for (Cell& c : std::span<Cell>(cells_, count_))
    if (c.column == column) return c;
  if (count_ == capacityFor(count_)) {
    const uint32_t count = count_;
    Cell* cells = std::allocator<Cell>().allocate(capacityFor(count + 1));
    std::uninitialized_move_n(cells_, count, cells);
    release();
    cells_ = cells;
    count_ = count;
  }
  std::construct_at(cells_ + count_, Cell{column, {}, 0, 0});
  return cells_[count_++];
}

std::u16string Record::text(int column) const {
  const Cell* c = find(column);
  return c != nullptr ? c->text.str() : std::u16string();
}

HIMAGE Record::image(int column) const {
  const Cell* c = find(column);
  return c != nullptr ? c->image : 0;
}

int Adapter::column(std::string_view name, bool create) {
  name = trim(name);
  if (name.empty()) return -1;
  auto number = [](std::string_view digits) -> int {
    if (digits.empty() || digits.size() > 7) return -1;
    int v = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return -1;
      v = v * 10 + (c - '0');
    }
    return v;
  };
  if (int n = number(name); n >= 0) return n < kMaxColumn ? n : -1;
  if (name.size() > 4 && equalsNoCase(name.substr(0, 4), "name"))
    if (int n = number(name.substr(4)); n >= 1 && n <= kMaxColumn) return n - 1;
  for (size_t i = 0; i < named_.size(); ++i)
    if (equalsNoCase(named_[i], name)) return kNamedColumnBase + static_cast<int>(i);
  if (!create || named_.size() >= 4096) return -1;
  named_.emplace_back(name);
  return kNamedColumnBase + static_cast<int>(named_.size() - 1);
}

// --- tree --------------------------------------------------------------------------------

TreeAdapter::Node* TreeAdapter::node(int id) {
  if (id < base_ || static_cast<size_t>(id - base_) >= size_) return nullptr;
  Node& n = at(static_cast<size_t>(id - base_));
  return n.alive ? &n : nullptr;
}

const TreeAdapter::Node* TreeAdapter::node(int id) const { return const_cast<TreeAdapter*>(this)->node(id); }

int TreeAdapter::insert(int parent, int position) {
  Node* p = parent == kRoot ? nullptr : node(parent);
  if (parent != kRoot && p == nullptr) return -1;
  int after;  // the sibling the new item follows; 0: none (it becomes the first)
  if (position == kLast)
    after = p != nullptr ? p->last : lastRoot_;
  else if (position == kFirst)
    after = 0;
  else if (Node* s = node(position); s != nullptr && s->parent == parent)
    after = position;
  else
    return -1;
  if (base_ + static_cast<int64_t>(size_) >= INT32_MAX) return -1;
  const int id = base_ + static_cast<int>(size_);
  if ((size_ >> kBlockBits) == blocks_.size()) blocks_.push_back(std::make_unique<Block>());
  Node& n = at(size_++);
  int& first = p != nullptr ? p->first : firstRoot_;
  int& last = p != nullptr ? p->last : lastRoot_;
  n.alive = true;
  n.parent = parent;
  n.depth = p != nullptr ? p->depth + 1 : 0;
  n.prev = after;
  n.next = after != 0 ? node(after)->next : first;
  if (n.prev != 0)
    node(n.prev)->next = id;
  else
    first = id;
  if (n.next != 0)
    node(n.next)->prev = id;
  else
    last = id;
  ++count_;
  ++shape_;
  return id;
}

void TreeAdapter::unlink(int id) {
  Node& n = *node(id);
  Node* p = n.parent == kRoot ? nullptr : node(n.parent);
  int& first = p != nullptr ? p->first : firstRoot_;
  int& last = p != nullptr ? p->last : lastRoot_;
  if (n.prev != 0)
    node(n.prev)->next = n.next;
  else
    first = n.next;
  if (n.next != 0)
    node(n.next)->prev = n.prev;
  else
    last = n.prev;
  n.prev = n.next = 0;
}

bool TreeAdapter::remove(int id) {
  if (node(id) == nullptr) return false;
  unlink(id);
  // Iterative: a chain of 100,000 nested items must not exhaust the stack.
  std::vector<int> pending{id};
  while (!pending.empty()) {
    int at = pending.back();
    pending.pop_back();
    Node* n = node(at);
    if (n == nullptr) continue;
    for (int c = n->first; c != 0;) {
      pending.push_back(c);
      c = node(c)->next;
    }
    *n = Node{};
    --count_;
  }
  if (count_ == 0) clear();  // gives the memory back; ids go on counting
  ++shape_;
  return true;
}

void TreeAdapter::clear() {
  base_ += static_cast<int>(size_);
  blocks_.clear();
  blocks_.shrink_to_fit();
  size_ = 0;
  firstRoot_ = lastRoot_ = 0;
  count_ = 0;
  ++shape_;
}

void TreeAdapter::setExpanded(Node& n, bool expanded) {
  if (n.expanded == expanded) return;
  n.expanded = expanded;
  ++shape_;
}

}  // namespace tovalux::tk
