// Arena, member lookup, and the walks over a tree (release, copy, compare), none of which recurse.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "json/json_internal.h"

namespace tovalux::json_detail {

// --- Arena -----------------------------------------------------------------------------------

void Arena::reset() noexcept {
  while (chunks_) {
    Chunk* next = chunks_->next;
    allocator_->deallocate(chunks_, chunks_->bytes);
    chunks_ = next;
  }
  next_ = end_ = nullptr;
  nextChunkBytes_ = kMinChunk;
  afterHint_ = 0;
  bytesHeld_ = 0;
  std::fill(std::begin(free_), std::end(free_), nullptr);
}

Arena::Chunk* Arena::newChunk(size_t payloadBytes) {
  const size_t bytes = kChunkHeader + payloadBytes;
  void* memory = allocator_->allocate(bytes);
  if (!memory) throw std::bad_alloc();
  Chunk* chunk = static_cast<Chunk*>(memory);
  chunk->next = chunks_;
  chunk->bytes = bytes;
  chunks_ = chunk;
  bytesHeld_ += bytes;
  return chunk;
}

void* Arena::allocateSlow(size_t rounded) {
  // A block larger than a quarter of the next chunk gets a chunk of its own, so the current
  // chunk's remainder is not thrown away for it.
  if (rounded > nextChunkBytes_ / 4) return reinterpret_cast<char*>(newChunk(rounded)) + kChunkHeader;
  Chunk* chunk = newChunk(nextChunkBytes_);
  next_ = reinterpret_cast<char*>(chunk) + kChunkHeader;
  end_ = next_ + nextChunkBytes_;
  if (afterHint_) {
    nextChunkBytes_ = afterHint_;
    afterHint_ = 0;
  } else {
    nextChunkBytes_ = std::min(nextChunkBytes_ + nextChunkBytes_ / 2, kMaxChunk);
  }
  char* block = next_;
  next_ += rounded;
  return block;
}

// --- Texts -----------------------------------------------------------------------------------

const char16_t* copyUnits(Arena& arena, std::u16string_view text) {
  if (text.empty()) return nullptr;
  auto* units = arena.allocateArray<char16_t>(text.size());
  std::memcpy(units, text.data(), text.size() * sizeof(char16_t));
  return units;
}

// --- Members ---------------------------------------------------------------------------------

uint32_t hashName(std::u16string_view name) {
  // Four units at a time, each step a multiply and a shift: names are short, so speed matters
  // more than the last bit of spread.
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  uint64_t hash = name.size() * kMultiplier;
  const char16_t* p = name.data();
  size_t left = name.size();
  for (; left >= 4; p += 4, left -= 4) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  if (left) {
    uint64_t word = 0;
    std::memcpy(&word, p, left * sizeof(char16_t));
    hash = (hash ^ word) * kMultiplier;
  }
  return uint32_t(hash ^ hash >> 32);
}

static bool sameName(const Member& member, std::u16string_view name) {
  return member.nameSize == name.size() &&
         (name.empty() || std::memcmp(member.name, name.data(), name.size() * sizeof(char16_t)) == 0);
}

uint32_t findMember(const Value& object, std::u16string_view name) {
  if (object.size == 0) return kNoMember;
  ObjectBlock* block = object.object;
  Member* members = block->members();
  if (block->bucketCount) {
    const uint32_t hash = hashName(name);
    const uint32_t* links = block->links();
    for (uint32_t i = block->heads()[hash & (block->bucketCount - 1)]; i != kNoMember; i = links[i])
      if (members[i].hash == hash && sameName(members[i], name)) return i;
    return kNoMember;
  }
  for (uint32_t i = 0; i < object.size; ++i)
    if (sameName(members[i], name)) return i;
  return kNoMember;
}

void indexMembers(Arena& arena, ObjectBlock* block, uint32_t size) {
  if (size <= kLinearMembers) {
    arena.release(block->index, ObjectBlock::indexBytes(block->bucketCount));
    block->index = nullptr;
    block->bucketCount = 0;
    return;
  }
  // At most one member per bucket on average; an existing table is kept when it is big enough,
  // so a removal never needs memory.
  if (block->bucketCount < size) {
    const uint32_t count = std::bit_ceil(size);
    uint32_t* index = arena.allocateArray<uint32_t>(size_t(count) * 2);
    arena.release(block->index, ObjectBlock::indexBytes(block->bucketCount));
    block->index = index;
    block->bucketCount = count;
  }
  uint32_t* heads = block->heads();
  uint32_t* links = block->links();
  std::fill_n(heads, block->bucketCount, kNoMember);
  const uint32_t mask = block->bucketCount - 1;
  Member* members = block->members();
  for (uint32_t i = 0; i < size; ++i) {
    members[i].hash = hashName(nameOf(members[i]));
    uint32_t& head = heads[members[i].hash & mask];
    links[i] = head;
    head = i;
  }
}

// Room for one more element: the list starts with 8 and grows to twice its capacity plus one.
static uint32_t grownCapacity(uint32_t capacity) {
  if (capacity == 0) return 8;
  if (capacity >= 0x7FFFFFFFu) throw std::bad_alloc();
  return capacity * 2 + 1;
}

Value& appendMember(Arena& arena, Value& object, std::u16string_view name) {
  const char16_t* copied = copyUnits(arena, name);
  ObjectBlock* block = object.object;
  const uint32_t size = object.size;
  if (!block || size == block->capacity) {
    const uint32_t capacity = grownCapacity(block ? block->capacity : 0);
    auto* grown = static_cast<ObjectBlock*>(arena.allocate(ObjectBlock::bytes(capacity)));
    grown->capacity = capacity;
    grown->bucketCount = block ? block->bucketCount : 0;
    grown->index = block ? block->index : nullptr;
    if (size) std::memcpy(static_cast<void*>(grown->members()), block->members(), size * sizeof(Member));
    if (block) arena.release(block, ObjectBlock::bytes(block->capacity));
    object.object = block = grown;
  }
  Member& member = block->members()[size];
  member.value = Value::of(JsonKind::Null);
  member.name = copied;
  member.nameSize = uint32_t(name.size());
  if (size + 1 > kLinearMembers) {
    if (block->bucketCount >= size + 1) {
      member.hash = hashName(name);
      uint32_t& head = block->heads()[member.hash & (block->bucketCount - 1)];
      block->links()[size] = head;
      head = size;
    } else {
      indexMembers(arena, block, size + 1);
    }
  }
  object.size = size + 1;
  return member.value;
}

Value& appendItem(Arena& arena, Value& array) {
  ArrayBlock* block = array.array;
  const uint32_t size = array.size;
  if (!block || size == block->capacity) {
    const uint32_t capacity = grownCapacity(block ? block->capacity : 0);
    auto* grown = static_cast<ArrayBlock*>(arena.allocate(ArrayBlock::bytes(capacity)));
    grown->capacity = capacity;
    grown->reserved = 0;
    if (size) std::memcpy(static_cast<void*>(grown->items()), block->items(), size * sizeof(Value));
    if (block) arena.release(block, ArrayBlock::bytes(block->capacity));
    array.array = block = grown;
  }
  Value& item = block->items()[size];
  item = Value::of(JsonKind::Null);
  array.size = size + 1;
  return item;
}

// --- Release ---------------------------------------------------------------------------------

void releaseValue(Arena& arena, Value& value) noexcept {
  Buffer<Value> pending(arena.allocator());  // containers whose elements are still to be released
  auto visit = [&](const Value& v) {
    switch (v.kind) {
      case JsonKind::String:
      case JsonKind::Raw: arena.release(const_cast<char16_t*>(v.units), v.size * sizeof(char16_t)); break;
      case JsonKind::Integer:
      case JsonKind::Floating:
        if (v.flags & kExplicitNumber)
          arena.release(v.box, NumberBox::bytes(v.size));
        else if (!(v.flags & kInlineNumber))
          arena.release(const_cast<char*>(v.text), v.size);
        break;
      case JsonKind::Array:
        if (v.array) pending.push(v);
        break;
      case JsonKind::Object:
        if (v.object) pending.push(v);
        break;
      default: break;
    }
  };
  try {
    visit(value);
    while (!pending.empty()) {
      const Value container = pending.back();
      pending.pop();
      if (container.kind == JsonKind::Array) {
        ArrayBlock* block = container.array;
        for (uint32_t i = 0; i < container.size; ++i) visit(block->items()[i]);
        arena.release(block, ArrayBlock::bytes(block->capacity));
      } else {
        ObjectBlock* block = container.object;
        Member* members = block->members();
        for (uint32_t i = 0; i < container.size; ++i) {
          arena.release(const_cast<char16_t*>(members[i].name), members[i].nameSize * sizeof(char16_t));
          visit(members[i].value);
        }
        arena.release(block->index, ObjectBlock::indexBytes(block->bucketCount));
        arena.release(block, ObjectBlock::bytes(block->capacity));
      }
    }
  } catch (...) {
    // No memory for the stack: what was not reached stays in the arena until the document goes.
  }
  value = Value::of(JsonKind::Null);
}

// --- Copy ------------------------------------------------------------------------------------

namespace {

struct CopyFrame {
  const Value* source;
  Value* target;
};

// Copies a value's own payload; a container gets a block of its size, to be filled by the walk.
Value copyShallow(Arena& arena, const Value& source, Buffer<CopyFrame>& pending, Value* target) {
  Value copy = source;
  switch (source.kind) {
    case JsonKind::String:
    case JsonKind::Raw: copy.units = copyUnits(arena, unitsOf(source)); break;
    case JsonKind::Integer:
    case JsonKind::Floating:
      if (source.flags & kExplicitNumber) {
        auto* box = static_cast<NumberBox*>(arena.allocate(NumberBox::bytes(source.size)));
        std::memcpy(static_cast<void*>(box), source.box, NumberBox::bytes(source.size));
        copy.box = box;
      } else if (!(source.flags & kInlineNumber)) {
        char* text = source.size ? static_cast<char*>(arena.allocate(source.size)) : nullptr;
        if (text) std::memcpy(text, source.text, source.size);
        copy.text = text;
      }
      break;
    case JsonKind::Array:
      copy.array = nullptr;
      if (source.size) {
        auto* block = static_cast<ArrayBlock*>(arena.allocate(ArrayBlock::bytes(source.size)));
        block->capacity = source.size;
        block->reserved = 0;
        copy.array = block;
      }
      break;
    case JsonKind::Object:
      copy.object = nullptr;
      if (source.size) {
        const ObjectBlock* from = source.object;
        auto* block = static_cast<ObjectBlock*>(arena.allocate(ObjectBlock::bytes(source.size)));
        block->capacity = source.size;
        block->bucketCount = 0;
        block->index = nullptr;
        if (from->bucketCount) {
          // Same members at the same positions: the index is copied as it stands.
          block->index = arena.allocateArray<uint32_t>(size_t(from->bucketCount) * 2);
          std::memcpy(block->index, from->index, ObjectBlock::indexBytes(from->bucketCount));
          block->bucketCount = from->bucketCount;
        }
        copy.object = block;
      }
      break;
    default: break;
  }
  if (copy.isContainer() && copy.size) {
    *target = copy;
    pending.push({&source, target});
  }
  return copy;
}

}  // namespace

Value copyValue(Arena& arena, const Value& source) {
  Buffer<CopyFrame> pending(arena.allocator());
  Value result;
  result = copyShallow(arena, source, pending, &result);
  while (!pending.empty()) {
    const CopyFrame frame = pending.back();
    pending.pop();
    const Value& from = *frame.source;
    if (from.kind == JsonKind::Array) {
      Value* sourceItems = from.array->items();
      Value* targetItems = frame.target->array->items();
      for (uint32_t i = 0; i < from.size; ++i)
        targetItems[i] = copyShallow(arena, sourceItems[i], pending, &targetItems[i]);
    } else {
      Member* sourceMembers = from.object->members();
      Member* targetMembers = frame.target->object->members();
      for (uint32_t i = 0; i < from.size; ++i) {
        Member& member = targetMembers[i];
        member = sourceMembers[i];
        member.name = copyUnits(arena, nameOf(sourceMembers[i]));
        member.value = copyShallow(arena, sourceMembers[i].value, pending, &member.value);
      }
    }
  }
  return result;
}

// --- Compare ---------------------------------------------------------------------------------

static bool sameShallow(const Value& a, const Value& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case JsonKind::Boolean: return a.boolean == b.boolean;
    case JsonKind::Integer:
    case JsonKind::Floating: return NumberText(a).view() == NumberText(b).view();
    case JsonKind::String:
    case JsonKind::Raw: return unitsOf(a) == unitsOf(b);
    case JsonKind::Array:
    case JsonKind::Object: return a.size == b.size;
    default: return true;
  }
}

bool equalValues(const Value& a, const Value& b, JsonAllocator& stackAllocator) {
  struct Pair {
    const Value* a;
    const Value* b;
  };
  if (!sameShallow(a, b)) return false;
  Buffer<Pair> pending(stackAllocator);
  if (a.isContainer() && a.size) pending.push({&a, &b});
  while (!pending.empty()) {
    const Pair pair = pending.back();
    pending.pop();
    const uint32_t size = pair.a->size;
    if (pair.a->kind == JsonKind::Array) {
      const Value* itemsA = pair.a->array->items();
      const Value* itemsB = pair.b->array->items();
      for (uint32_t i = 0; i < size; ++i) {
        if (!sameShallow(itemsA[i], itemsB[i])) return false;
        if (itemsA[i].isContainer() && itemsA[i].size) pending.push({&itemsA[i], &itemsB[i]});
      }
    } else {
      const Member* membersA = pair.a->object->members();
      const Member* membersB = pair.b->object->members();
      for (uint32_t i = 0; i < size; ++i) {
        if (nameOf(membersA[i]) != nameOf(membersB[i]) || !sameShallow(membersA[i].value, membersB[i].value))
          return false;
        if (membersA[i].value.isContainer() && membersA[i].value.size)
          pending.push({&membersA[i].value, &membersB[i].value});
      }
    }
  }
  return true;
}

// --- Numbers ---------------------------------------------------------------------------------

int64_t integerOfText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative number so that INT64_MIN is reachable; saturates beyond.
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t value = 0;
  bool saturated = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') continue;
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    if (value < (kMin + digit) / 10) {
      saturated = true;
      value = kMin;
    } else if (!saturated) {
      value = value * 10 - digit;
    }
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<int64_t>::max() : -value;
}

double floatingOfText(std::string_view text) {
  std::string compact;
  if (text.find(' ') != std::string_view::npos) {
    for (char c : text)
      if (c != ' ') compact.push_back(c);
    text = compact;
  }
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too large becomes an infinity, too small a zero, as strtod gives.
    const bool negative = !text.empty() && text[0] == '-';
    const size_t e = text.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
  }
  return error == std::errc() ? value : 0.0;
}

}  // namespace tovalux::json_detail
