// The document's memory and value layout, shared by the reader, the writer and the tree
// operations. Not part of the interface.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "json/json_document.h"

namespace tovalux::json_detail {

// ---------------------------------------------------------------------------------------------
// Size classes. Every block the arena hands out has the rounded size of its request, and a block
// given back is filed under that same size, so a value replaced again and again reuses one block
// instead of growing the document. Up to 128 bytes the classes are 8 bytes apart, above that four
// per power of two (at most a quarter wasted).

inline constexpr size_t kSmallLimit = 128;
inline constexpr unsigned kSizeClasses = 16 + 4 * (sizeof(size_t) * 8 - 7);

constexpr size_t roundSize(size_t bytes) {
  if (bytes <= kSmallLimit) return bytes <= 8 ? 8 : (bytes + 7) & ~size_t(7);
  const unsigned width = std::bit_width(bytes - 1);  // 2^(width-1) < bytes <= 2^width
  const size_t step = size_t(1) << (width - 3);
  return (bytes + step - 1) & ~(step - 1);
}

// The class of a size that roundSize already rounded.
constexpr unsigned sizeClass(size_t rounded) {
  if (rounded <= kSmallLimit) return unsigned(rounded / 8 - 1);
  const unsigned width = std::bit_width(rounded - 1);
  const size_t step = size_t(1) << (width - 3);
  return 16 + (width - 8) * 4 + unsigned(rounded / step - 5);
}

// ---------------------------------------------------------------------------------------------
// Arena: chunks taken from the document's allocator and handed out front to back, plus free lists
// by size class for blocks a change gives back. Dropping the document drops the chunks, so freeing
// a tree of any depth costs nothing per value. Out of memory throws std::bad_alloc, which every
// public operation catches.

class Arena {
 public:
  explicit Arena(JsonAllocator& allocator) noexcept : allocator_(&allocator) {}
  ~Arena() { reset(); }
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  JsonAllocator& allocator() const { return *allocator_; }

  void* allocate(size_t bytes) {
    if (bytes > kMaxBlock) throw std::bad_alloc();
    const size_t rounded = roundSize(bytes);
    FreeBlock*& list = free_[sizeClass(rounded)];
    if (list) {
      FreeBlock* block = list;
      list = block->next;
      return block;
    }
    if (rounded <= size_t(end_ - next_)) {
      char* block = next_;
      next_ += rounded;
      return block;
    }
    return allocateSlow(rounded);
  }

  static constexpr size_t kMaxBlock = size_t(-1) >> 2;

  template <class T>
  T* allocateArray(size_t count) {
    if (count > kMaxBlock / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocate(count * sizeof(T)));
  }

  // Gives back the unused end of the most recent block handed out, when it still is the last.
  void shrink(void* block, size_t allocatedBytes, size_t usedBytes) noexcept {
    char* start = static_cast<char*>(block);
    if (start + roundSize(allocatedBytes) == next_) next_ = start + roundSize(usedBytes);
  }

  void release(void* block, size_t bytes) noexcept {
    if (!block || bytes == 0) return;
    FreeBlock* freed = static_cast<FreeBlock*>(block);
    FreeBlock*& list = free_[sizeClass(roundSize(bytes))];
    freed->next = list;
    list = freed;
  }

  // The first chunk's size: a reader passes its text's length so that a typical document fits
  // in one or two chunks.
  void setChunkHint(size_t bytes) noexcept { nextChunkBytes_ = bytes < kMinChunk ? kMinChunk : bytes; }

  void reset() noexcept;
  size_t bytesHeld() const noexcept { return bytesHeld_; }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Chunk {
    Chunk* next;
    size_t bytes;  // including this header
  };
  static constexpr size_t kChunkHeader = (sizeof(Chunk) + 15) & ~size_t(15);
  static constexpr size_t kMinChunk = 4096;
  static constexpr size_t kMaxChunk = size_t(64) << 20;

  void* allocateSlow(size_t rounded);
  Chunk* newChunk(size_t payloadBytes);

  JsonAllocator* allocator_;
  Chunk* chunks_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
  size_t nextChunkBytes_ = kMinChunk;
  size_t bytesHeld_ = 0;
  FreeBlock* free_[kSizeClasses] = {};
};

// ---------------------------------------------------------------------------------------------
// A growable array of trivially copyable items on the document's allocator, for the stacks of
// the reader, the writer and the tree walks (which must not recurse).

template <class T>
class Buffer {
 public:
  explicit Buffer(JsonAllocator& allocator) noexcept : allocator_(&allocator) {}
  ~Buffer() {
    if (items_) allocator_->deallocate(items_, capacity_ * sizeof(T));
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return items_; }
  T& operator[](size_t i) { return items_[i]; }
  T& back() { return items_[size_ - 1]; }
  void pop() { --size_; }
  void resize(size_t size) { size_ = size; }  // only to shrink

  // Room for at least `capacity` items, as a scratch area: all that was in it is kept.
  T* room(size_t capacity) {
    if (capacity > capacity_) {
      const size_t size = size_;
      size_ = capacity_;
      grow(capacity);
      size_ = size;
    }
    return items_;
  }

  T& push(const T& item) {
    if (size_ == capacity_) grow();
    items_[size_] = item;
    return items_[size_++];
  }

 private:
  void grow(size_t needed = 0) {
    const size_t capacity = std::max(capacity_ ? capacity_ * 2 : 64, needed);
    if (capacity > (size_t(-1) >> 2) / sizeof(T)) throw std::bad_alloc();
    T* items = static_cast<T*>(allocator_->allocate(capacity * sizeof(T)));
    if (!items) throw std::bad_alloc();
    if (size_) std::memcpy(static_cast<void*>(items), items_, size_ * sizeof(T));
    if (items_) allocator_->deallocate(items_, capacity_ * sizeof(T));
    items_ = items;
    capacity_ = capacity;
  }

  JsonAllocator* allocator_;
  T* items_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Values. A value is 16 bytes on a 64-bit build and 12 on the 32-bit one; containers keep their
// elements in one block, so a value moves freely (nothing points back at it). Every block belongs
// to the document's arena.

struct ArrayBlock;
struct ObjectBlock;
struct NumberBox;

// flags of integer and floating values.
inline constexpr uint8_t kExplicitNumber = 1;  // set with a value of its own: `box`
inline constexpr uint8_t kInlineNumber = 2;    // text packed into the value itself, see below

struct Value {
  JsonKind kind;
  uint8_t flags;
  uint16_t spare;
  uint32_t size;  // string and raw: UTF-16 units; numbers: text bytes; containers: elements
  union {
    bool boolean;
    const char* text;        // integer and floating: the token (ASCII) in the arena
    NumberBox* box;          // integer and floating with kExplicitNumber
    const char16_t* units;   // string and raw
    ArrayBlock* array;
    ObjectBlock* object;
  };

  static Value of(JsonKind kind) {
    Value v;
    std::memset(static_cast<void*>(&v), 0, sizeof v);
    v.kind = kind;
    return v;
  }
  bool isContainer() const { return kind == JsonKind::Array || kind == JsonKind::Object; }
};

inline constexpr uint32_t kNoMember = 0xFFFFFFFFu;

struct Member {
  Value value;
  const char16_t* name;
  uint32_t nameSize;
  uint32_t hash;  // valid while the object is indexed
  uint32_t next;  // next member in the same bucket
};

struct ArrayBlock {
  uint32_t capacity;
  uint32_t reserved;
  Value* items() { return reinterpret_cast<Value*>(this + 1); }
  static size_t bytes(size_t capacity) { return sizeof(ArrayBlock) + capacity * sizeof(Value); }
};
static_assert(sizeof(ArrayBlock) % alignof(Value) == 0);

struct ObjectBlock {
  uint32_t capacity;
  uint32_t bucketCount;  // 0: not indexed, members are compared in order
  uint32_t* buckets;     // first member of each bucket
  Member* members() { return reinterpret_cast<Member*>(this + 1); }
  static size_t bytes(size_t capacity) { return sizeof(ObjectBlock) + capacity * sizeof(Member); }
};
static_assert(sizeof(ObjectBlock) % alignof(Member) == 0);

struct NumberBox {
  union {
    int64_t integer;
    double floating;
  };
  char* text() { return reinterpret_cast<char*>(this + 1); }
  static size_t bytes(size_t textBytes) { return sizeof(NumberBox) + textBytes; }
};

// A number token uses sixteen characters at most (digits, ". e E + -" and space), so a short one
// is kept four bits a character in the value's bytes after kind and flags, its length in the top
// five bits of flags: 28 characters on a 64-bit build, 20 on the 32-bit one, which holds nearly
// every number without a block of its own.
inline constexpr size_t kInlineDigits = (sizeof(Value) - 2) * 2;
static_assert(kInlineDigits <= 31);

struct NumberSymbols {
  uint8_t nibble[128];
  char symbol[16];
  constexpr NumberSymbols() : nibble{}, symbol{} {
    const char symbols[] = "0123456789.eE+- ";
    for (int i = 0; i < 16; ++i) {
      symbol[i] = symbols[i];
      nibble[uint8_t(symbols[i])] = uint8_t(i);
    }
  }
};
inline constexpr NumberSymbols kNumberSymbols;

// A number value of a valid token (only the sixteen characters).
template <class Unit>
Value numberValue(Arena& arena, JsonKind kind, const Unit* text, size_t size) {
  Value value = Value::of(kind);
  if (size <= kInlineDigits) {
    uint8_t* digits = reinterpret_cast<uint8_t*>(&value) + 2;
    for (size_t i = 0; i + 1 < size; i += 2)
      digits[i / 2] = uint8_t(kNumberSymbols.nibble[text[i] & 0x7F] | kNumberSymbols.nibble[text[i + 1] & 0x7F] << 4);
    if (size & 1) digits[size / 2] = kNumberSymbols.nibble[text[size - 1] & 0x7F];
    value.flags = uint8_t(kInlineNumber | size << 3);
    return value;
  }
  if (size > 0xFFFFFFFFu) throw std::bad_alloc();
  char* copy = static_cast<char*>(arena.allocate(size));
  for (size_t i = 0; i < size; ++i) copy[i] = char(text[i]);
  value.text = copy;
  value.size = uint32_t(size);
  return value;
}

// The text of an integer or floating value, unpacked when it is kept in the value.
class NumberText {
 public:
  explicit NumberText(const Value& number) {
    if (number.flags & kInlineNumber) {
      const size_t size = number.flags >> 3;
      const uint8_t* digits = reinterpret_cast<const uint8_t*>(&number) + 2;
      for (size_t i = 0; i < size; ++i) buffer_[i] = kNumberSymbols.symbol[(digits[i / 2] >> (i & 1) * 4) & 15];
      view_ = {buffer_, size};
    } else if (number.flags & kExplicitNumber) {
      view_ = {number.box->text(), number.size};
    } else {
      view_ = {number.text, number.size};
    }
  }
  std::string_view view() const { return view_; }

 private:
  char buffer_[kInlineDigits];
  std::string_view view_;
};

// Objects up to this many members are searched in order; larger ones keep a hash index.
inline constexpr uint32_t kLinearMembers = 8;
// An index may pad an array with at most this many nulls in one step.
inline constexpr uint32_t kMaxPadding = 1u << 16;

inline Value* itemsOf(const Value& array) { return array.size ? array.array->items() : nullptr; }
inline Member* membersOf(const Value& object) { return object.size ? object.object->members() : nullptr; }

inline std::u16string_view nameOf(const Member& member) { return {member.name, member.nameSize}; }
inline std::u16string_view unitsOf(const Value& value) { return {value.units, value.size}; }

uint32_t hashName(std::u16string_view name);

// The position of the member called `name`, or kNoMember.
uint32_t findMember(const Value& object, std::u16string_view name);
// Makes the members [0, size) of a block searchable by hash (after a read or a removal).
void indexMembers(Arena& arena, ObjectBlock* block, uint32_t size);
// Appends a null member (the name is copied) or element and gives its value.
Value& appendMember(Arena& arena, Value& object, std::u16string_view name);
Value& appendItem(Arena& arena, Value& array);

const char16_t* copyUnits(Arena& arena, std::u16string_view text);

// Gives every block below `value` and its own payload back to the arena, without recursion;
// `value` becomes null. Without memory for its stack it leaves the rest to the arena, which
// frees it with the document.
void releaseValue(Arena& arena, Value& value) noexcept;
// A deep copy of `source` (any arena) into `arena`, without recursion.
Value copyValue(Arena& arena, const Value& source);
// Deep equality without recursion; `stackAllocator` holds the walk's stack.
bool equalValues(const Value& a, const Value& b, JsonAllocator& stackAllocator);

// Reader and writer (json_read.cpp, json_write.cpp).
struct ReadResult {
  int error = kJsonOk;
  size_t position = 0;  // UTF-16 index where reading stopped
};
ReadResult readGbk(Arena& arena, std::string_view text, int flags, Value& root);
ReadResult readUtf16(Arena& arena, std::u16string_view text, int flags, Value& root);

struct WriteOptions {
  bool pretty = false;
  bool escape = true;
  size_t initialBytes = 1024;
};
void writeGbk(const Value& value, const WriteOptions& options, JsonAllocator& stackAllocator, std::string& out);
void writeUtf16(const Value& value, const WriteOptions& options, JsonAllocator& stackAllocator, std::u16string& out);

// A valid number token (spaces inside ignored); sets `floating` when it has ".", "e"/"E" or a sign
// after the first position.
bool classifyNumber(std::string_view token, bool& floating);
int64_t integerOfText(std::string_view text);
double floatingOfText(std::string_view text);

}  // namespace tovalux::json_detail
