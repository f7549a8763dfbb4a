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

  // The free end of the current chunk, for a block whose size is known only once it is written:
  // write there, then take it with takeTail.
  char* tail(size_t& bytes) const noexcept {
    bytes = size_t(end_ - next_);
    return next_;
  }
  // Takes `bytes` written at the free end as a block; false (nothing taken) when its rounded size
  // does not fit there.
  bool takeTail(size_t bytes) noexcept {
    const size_t rounded = roundSize(bytes);
    if (rounded > size_t(end_ - next_)) return false;
    next_ += rounded;
    return true;
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

  // The next chunk's size: a reader passes about what its text will take. Chunks after it are a
  // quarter of that, then grow by half, so that little of the last one is left empty.
  void setChunkHint(size_t bytes) noexcept {
    nextChunkBytes_ = std::max(bytes, kMinChunk);
    afterHint_ = std::max(bytes / 4, kMinChunk);
  }

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
  size_t afterHint_ = 0;
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

  // A new last item, left for the caller to fill.
  T& pushSlot() {
    if (size_ == capacity_) grow();
    return items_[size_++];
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
// flags of objects.
inline constexpr uint8_t kRepeatedNames = 4;  // the text named a member twice; one value was kept

static_assert(std::endian::native == std::endian::little, "values are built from whole words");

struct Value {
  JsonKind kind;
  uint8_t flags;
  uint16_t spare;
  uint32_t size;  // string and raw: UTF-16 units; numbers: text bytes; containers: elements
  union {
    bool boolean;
    const char* text;       // integer and floating: the token (ASCII) in the arena
    NumberBox* box;         // integer and floating with kExplicitNumber
    const char16_t* units;  // string and raw
    ArrayBlock* array;
    ObjectBlock* object;
  };

  // Made of two whole words rather than zeroed and then given its kind: a value read back right
  // after a byte of it was written stalls the processor until the byte reaches memory.
  static Value of(JsonKind kind) {
    Value v;
    const uint64_t head = uint64_t(kind);  // kind, flags, spare and size
    const uintptr_t payload = 0;
    std::memcpy(static_cast<void*>(&v), &head, 8);
    std::memcpy(reinterpret_cast<char*>(&v) + 8, &payload, sizeof payload);
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
};

struct ArrayBlock {
  uint32_t capacity;
  uint32_t reserved;
  Value* items() { return reinterpret_cast<Value*>(this + 1); }
  static size_t bytes(size_t capacity) { return sizeof(ArrayBlock) + capacity * sizeof(Value); }
};
static_assert(sizeof(ArrayBlock) % alignof(Value) == 0);

// A large object's index is one block: the first member of each bucket, then for each member
// the next one in its bucket (bucketCount is never below the member count). Small objects have
// none, so a member costs no link.
struct ObjectBlock {
  uint32_t capacity;
  uint32_t bucketCount;  // 0: not indexed, members are compared in order
  uint32_t* index;
  Member* members() { return reinterpret_cast<Member*>(this + 1); }
  uint32_t* heads() { return index; }
  uint32_t* links() { return index + bucketCount; }
  static size_t indexBytes(uint32_t bucketCount) { return size_t(bucketCount) * 2 * sizeof(uint32_t); }
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
// every number without a block of its own. A character's four bits are mostly its own low four
// bits (digits, "+" 11, "-" 13, "." 14); "E" is 10, "e" 12 and space 15, so that eight characters
// pack with a few word operations.
inline constexpr size_t kInlineDigits = (sizeof(Value) - 2) * 2;
static_assert(kInlineDigits <= 31);

struct NumberSymbols {
  static constexpr uint8_t kNone = 0xFF;
  static constexpr char kSymbols[] = "0123456789E+e-. ";
  uint8_t nibble[128];  // kNone for the other characters
  char pair[256][2];    // the two characters of a packed byte
  constexpr NumberSymbols() : nibble{}, pair{} {
    for (auto& n : nibble) n = kNone;
    for (int i = 0; i < 16; ++i) nibble[uint8_t(kSymbols[i])] = uint8_t(i);
    for (int byte = 0; byte < 256; ++byte) {
      pair[byte][0] = kSymbols[byte & 15];
      pair[byte][1] = kSymbols[byte >> 4];
    }
  }
};
inline constexpr NumberSymbols kNumberSymbols;

// Eight four-bit codes, one in the low half of each byte, gathered into 32 bits.
constexpr uint32_t gatherCodes(uint64_t codes) {
  codes = (codes | codes >> 4) & 0x00FF00FF00FF00FFULL;
  codes = (codes | codes >> 8) & 0x0000FFFF0000FFFFULL;
  return uint32_t(codes | codes >> 16);
}

// Eight number characters (one a byte, the first lowest) as eight four-bit codes in 32 bits.
// Digits, signs and "." are their own low four bits; only "E", "e" and space need more.
constexpr uint32_t packEight(uint64_t chars, bool lettersOrSpaces = true) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  uint64_t codes = chars & 0x0F0F0F0F0F0F0F0FULL;
  if (!lettersOrSpaces) return gatherCodes(codes);
  // "E" and "e" (0x40 set): 10, and 12 for the lower case (0x20 set).
  const uint64_t letters = ((chars >> 6) & kOnes) * 0xFF;
  codes = (codes & ~letters) | ((0x0A * kOnes + ((chars >> 4) & 2 * kOnes)) & letters);
  // Space, the one symbol whose bits 0x5F are all clear: 15.
  const uint64_t kept = chars & 0x5F5F5F5F5F5F5F5FULL;
  const uint64_t nonzero = (kept | ((kept & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL)) & 0x8080808080808080ULL;
  codes |= ((~nonzero & 0x8080808080808080ULL) >> 7) * 0x0F;
  return gatherCodes(codes);
}
static_assert(packEight(0x3736353433323130ULL) == 0x76543210u);  // "01234567"
static_assert(packEight(0x20652E2D2B453938ULL) == 0xFCEDBA98u);  // "89E+-.e "

// `count` (at most eight) characters from text, one a byte.
template <class Unit>
uint64_t loadChars(const Unit* text, size_t count) {
  uint64_t chars = 0;
  if constexpr (sizeof(Unit) == 1) {
    if (count == 8) {
      std::memcpy(&chars, text, 8);
      return chars;
    }
  }
  for (size_t i = 0; i < count; ++i) chars |= uint64_t(uint8_t(text[i])) << i * 8;
  return chars;
}

inline uint8_t* packedDigits(Value& number) { return reinterpret_cast<uint8_t*>(&number) + 2; }
inline const uint8_t* packedDigits(const Value& number) { return reinterpret_cast<const uint8_t*>(&number) + 2; }

// Writes the characters of a packed number (flags >> 3 of them) to out, two per byte; out must
// have room for one more.
template <class Char>
void unpackNumber(const Value& number, Char* out) {
  const size_t size = number.flags >> 3;
  const uint8_t* digits = packedDigits(number);
  for (size_t i = 0; i < size; i += 2) {
    out[i] = Char(kNumberSymbols.pair[digits[i / 2]][0]);
    out[i + 1] = Char(kNumberSymbols.pair[digits[i / 2]][1]);
  }
}

// A number value of a valid token (only the sixteen characters); `plain` when it has no "e",
// "E" or space.
template <class Unit>
Value numberValue(Arena& arena, JsonKind kind, const Unit* text, size_t size, bool plain = false) {
  if (size <= kInlineDigits) {
    // The value's bytes as two words, built in registers and stored at once: written a byte at a
    // time, the value would be read back whole before the bytes reached memory, a stall. The
    // codes start at bit 16 of the first word, eight characters to 32 bits.
    uint64_t low = uint64_t(kind) | uint64_t(kInlineNumber | size << 3) << 8, high = 0;
    auto chunk = [&](size_t at) {
      const size_t count = std::min<size_t>(size - at, 8);
      return uint64_t(packEight(loadChars(text + at, count), !plain)) &
             (count == 8 ? 0xFFFFFFFFu : (1u << count * 4) - 1);
    };
    if (size > 0) low |= chunk(0) << 16;
    if (size > 8) {
      const uint64_t codes = chunk(8);
      low |= codes << 48;
      high |= codes >> 16;
    }
    if (size > 16) high |= chunk(16) << 16;
    if (size > 24) high |= chunk(24) << 48;
    Value value;
    std::memcpy(static_cast<void*>(&value), &low, 8);
    std::memcpy(reinterpret_cast<char*>(&value) + 8, &high, sizeof(Value) - 8);
    return value;
  }
  Value value = Value::of(kind);
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
      unpackNumber(number, buffer_);
      view_ = {buffer_, size};
    } else if (number.flags & kExplicitNumber) {
      view_ = {number.box->text(), number.size};
    } else {
      view_ = {number.text, number.size};
    }
  }
  std::string_view view() const { return view_; }

 private:
  char buffer_[kInlineDigits + 1];
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
  size_t position = 0;         // UTF-16 index where reading stopped
  bool repeatedNames = false;  // some object of the text named a member twice
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
