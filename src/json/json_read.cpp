// Reading JSON text into a tree. One reader serves GBK bytes and UTF-16 units: GBK is scanned as
// it stands, a lead byte taking the next byte with it exactly as the GBK converter pairs them, so
// the result (and every error position, counted in UTF-16 characters) is that of converting the
// whole text first and reading the UTF-16, without the converted copy.
//
// The grammar is lenient on purpose (files written by hand and by older versions must load):
//   - blanks are space, tab, CR, LF and NUL;
//   - names and strings take double or single quotes; a backslash skips the character after it
//     (six for \u and four hex digits) while the closing quote is looked for;
//   - an unquoted value runs to the next ",", "]" or "}"; without its blanks it is null, true,
//     false, a number (first character a digit, sign or "."; then digits, at most one ".", one
//     "e"/"E" and one further sign; spaces ignored), or else a raw token kept as text;
//   - a name repeated inside one object keeps the later value at the first name's place, and the
//     object (and the read) remember that it happened: writing such a tree back loses a value;
//   - containers are tracked on explicit stacks, so depth is limited only by memory.
#include <algorithm>
#include <bit>
#include <new>

#include "json/gbk_codec.h"
#include "json/json_internal.h"

namespace tovalux::json_detail {
namespace {

enum : uint8_t {
  kBlank = 1,
  kTokenStop = 2,  // , ] }
  kLead = 4,       // a byte that may start a two-byte GBK character
};

struct CharClasses {
  uint8_t of[256];
  constexpr CharClasses() : of{} {
    for (char c : {' ', '\t', '\r', '\n', '\0'}) of[uint8_t(c)] |= kBlank;
    for (char c : {',', ']', '}'}) of[uint8_t(c)] |= kTokenStop;
    for (int c = 0x81; c <= 0xFE; ++c) of[c] |= kLead;
  }
};
constexpr CharClasses kClasses;

constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;
constexpr uint64_t kEveryUnit = 0x0001000100010001ULL;
constexpr uint64_t kHighUnitBits = 0x8000800080008000ULL;

struct GbkInput {
  using Unit = unsigned char;
  const GbkCodec& codec;

  static uint8_t classOf(Unit unit) { return kClasses.of[unit]; }
  // Units taken by the character at p (p < end).
  size_t width(const Unit* p, const Unit* end) const { return codec.widthAt(p, end); }
  // The first byte from p that is not a digit, eight at a time: the bytes at or above 0x30,
  // those at or above 0x3A, and those not ASCII, compared as whole words.
  static const Unit* skipDigits(const Unit* p, const Unit* end) {
    for (; end - p >= 8; p += 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      const uint64_t low7 = word & 0x7F7F7F7F7F7F7F7FULL;
      const uint64_t from0 = low7 + 0x5050505050505050ULL;  // high bit: at least '0'
      const uint64_t past9 = low7 + 0x4646464646464646ULL;  // high bit: above '9'
      const uint64_t other = (~from0 | past9 | word) & kHighBits;
      if (other) return p + std::countr_zero(other) / 8;
    }
    while (p < end && *p >= '0' && *p <= '9') ++p;
    return p;
  }
  // Past the spaces of an indentation, eight at a time.
  static const Unit* skipSpaces(const Unit* p, const Unit* end) {
    for (uint64_t word; end - p >= 8; p += 8) {
      std::memcpy(&word, p, 8);
      if (word != kEveryByte * ' ') break;
    }
    return p;
  }
  // Copies the characters from p up to the quote, a backslash, a byte that is not ASCII or
  // `limit`, eight bytes at a time while none of them is one of those.
  static const Unit* copyPlain(const Unit* p, const Unit* limit, Unit quote, char16_t*& out) {
    const uint64_t quotes = kEveryByte * quote, backslashes = kEveryByte * '\\';
    char16_t* o = out;
    for (; limit - p >= 8; p += 8, o += 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      const uint64_t q = word ^ quotes, b = word ^ backslashes;
      if ((((q - kEveryByte) & ~q) | ((b - kEveryByte) & ~b) | word) & kHighBits) break;
      for (int i = 0; i < 8; ++i) o[i] = p[i];
    }
    while (p < limit && *p != quote && *p != '\\' && *p < 0x80) *o++ = *p++;
    out = o;
    return p;
  }
  // Decodes the one character at p (p < end) and steps past it.
  void decodeChar(const Unit*& p, const Unit* end, char16_t*& out) const {
    if (*p < 0x80)
      *out++ = *p++;
    else
      p += codec.decodeAt(p, end, *out++);
  }
  size_t decode(const Unit* begin, const Unit* end, char16_t* out) const {
    return decodeGbk(codec, reinterpret_cast<const char*>(begin), reinterpret_cast<const char*>(end), out);
  }
  size_t position(const Unit* begin, const Unit* at) const {
    return countGbkUnits(codec, reinterpret_cast<const char*>(begin), reinterpret_cast<const char*>(at));
  }
};

struct Utf16Input {
  using Unit = char16_t;

  static uint8_t classOf(Unit unit) { return unit < 0x80 ? kClasses.of[unit] : 0; }
  size_t width(const Unit*, const Unit*) const { return 1; }
  static const Unit* skipDigits(const Unit* p, const Unit* end) {
    while (p < end && *p >= u'0' && *p <= u'9') ++p;
    return p;
  }
  static const Unit* skipSpaces(const Unit* p, const Unit* end) {
    for (uint64_t word; end - p >= 4; p += 4) {
      std::memcpy(&word, p, 8);
      if (word != kEveryUnit * u' ') break;
    }
    return p;
  }
  static const Unit* copyPlain(const Unit* p, const Unit* limit, Unit quote, char16_t*& out) {
    const uint64_t quotes = kEveryUnit * quote, backslashes = kEveryUnit * u'\\';
    char16_t* o = out;
    for (; limit - p >= 4; p += 4, o += 4) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      const uint64_t q = word ^ quotes, b = word ^ backslashes;
      if ((((q - kEveryUnit) & ~q) | ((b - kEveryUnit) & ~b)) & kHighUnitBits) break;
      std::memcpy(o, p, 8);
    }
    while (p < limit && *p != quote && *p != u'\\') *o++ = *p++;
    out = o;
    return p;
  }
  void decodeChar(const Unit*& p, const Unit*, char16_t*& out) const { *out++ = *p++; }
  size_t decode(const Unit* begin, const Unit* end, char16_t* out) const {
    std::memcpy(out, begin, size_t(end - begin) * sizeof(char16_t));
    return size_t(end - begin);
  }
  size_t position(const Unit* begin, const Unit* at) const { return size_t(at - begin); }
};

template <class Unit>
int hexValue(Unit c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of four hex digits at p, or -1.
template <class Unit>
int hex4(const Unit* p, const Unit* end) {
  if (end - p < 4) return -1;
  int value = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = hexValue(p[i]);
    if (digit < 0) return -1;
    value = value << 4 | digit;
  }
  return value;
}

template <class Unit>
bool classify(const Unit* begin, const Unit* end, bool& floating) {
  const Unit* p = begin;
  while (p < end && *p == ' ') ++p;
  if (p == end) return false;
  const Unit first = *p++;
  int dots = first == '.', exponents = 0, signs = 0;
  if (!dots && !(first >= '0' && first <= '9') && first != '+' && first != '-') return false;
  for (; p < end; ++p) {
    const Unit c = *p;
    if ((c >= '0' && c <= '9') || c == ' ') continue;
    if (c == '.') {
      if (++dots > 1) return false;
    } else if (c == 'e' || c == 'E') {
      if (++exponents > 1) return false;
    } else if (c == '+' || c == '-') {
      if (++signs > 1) return false;
    } else {
      return false;
    }
  }
  floating = dots || exponents || signs;
  return true;
}

template <class Unit, size_t N>
bool isWord(const Unit* begin, size_t size, const char (&word)[N]) {
  if (size != N - 1) return false;
  for (size_t i = 0; i < size; ++i)
    if (begin[i] != Unit(word[i])) return false;
  return true;
}

template <class Input>
class Reader {
 public:
  using Unit = typename Input::Unit;

  Reader(Arena& arena, const Unit* text, size_t size, int flags, Input input)
      : arena_(arena),
        input_(input),
        begin_(text),
        p_(text),
        end_(text + size),
        decodeUnicode_(flags != 0),
        values_(arena.allocator()),
        members_(arena.allocator()),
        frames_(arena.allocator()),
        scratch_(arena.allocator()) {}

  ReadResult read(Value& root) {
    root_ = &root;
    try {
      const int error = run();
      if (error == kJsonOk) return {kJsonOk, 0, repeatedNames_};
      return {error, input_.position(begin_, p_)};
    } catch (const std::bad_alloc&) {
      return {kJsonOutOfMemory, input_.position(begin_, p_)};
    }
  }

 private:
  struct Frame {
    bool object;
    size_t base;  // first entry of this container on values_ or members_
  };

  static uint8_t classOf(Unit unit) { return Input::classOf(unit); }

  void skipBlanks() {
    while (p_ < end_ && (classOf(*p_) & kBlank)) {
      ++p_;
      p_ = Input::skipSpaces(p_, end_);
    }
  }

  int run() {
    skipBlanks();
    if (p_ == end_) return kJsonNoText;
    if (*p_ != '{' && *p_ != '[') return kJsonValueSyntax;
    for (;;) {
      // A value starts here.
      skipBlanks();
      if (p_ == end_) return kJsonUnclosed;
      const Unit c = *p_;
      if (c == '{') {
        ++p_;
        frames_.push({true, members_.size()});
        skipBlanks();
        if (p_ == end_) return kJsonUnclosed;
        if (*p_ != '}') {
          if (const int error = readMemberName()) return error;
          continue;
        }
        ++p_;
        closeObject();
      } else if (c == '[') {
        ++p_;
        frames_.push({false, values_.size()});
        skipBlanks();
        if (p_ == end_) return kJsonUnclosed;
        if (*p_ != ']') continue;
        ++p_;
        closeArray();
      } else if (c == '"' || c == '\'') {
        Value& value = slot();
        value = Value::of(JsonKind::String);
        if (!readString(value.units, value.size)) return kJsonUnclosed;
      } else {
        if (const int error = readToken(slot())) return error;
      }
      // A value is complete: a separator or a closing bracket follows, or the end after the root.
      for (;;) {
        skipBlanks();
        if (frames_.empty()) return p_ == end_ ? kJsonOk : kJsonValueSyntax;
        if (p_ == end_) return kJsonUnclosed;
        const Unit next = *p_;
        if (frames_.back().object) {
          if (next == ',') {
            ++p_;
            if (const int error = readMemberName()) return error;
            break;
          }
          if (next != '}') return kJsonObjectSyntax;
          ++p_;
          closeObject();
        } else {
          if (next == ',') {
            ++p_;
            break;
          }
          if (next != ']') return kJsonValueSyntax;
          ++p_;
          closeArray();
        }
      }
    }
  }

  // Where the value being read goes. Values are written in place: one built elsewhere and
  // copied as a whole would be read back before its parts had reached memory.
  Value& slot() {
    if (frames_.empty()) return *root_;
    if (frames_.back().object) return members_.back().value;
    return values_.pushSlot();
  }

  int readMemberName() {
    skipBlanks();
    if (p_ == end_) return kJsonUnclosed;
    if (*p_ != '"' && *p_ != '\'') return kJsonObjectSyntax;
    Member& member = members_.pushSlot();
    member.value = Value::of(JsonKind::Null);
    member.hash = 0;
    if (!readString(member.name, member.nameSize)) return kJsonUnclosed;
    skipBlanks();
    if (p_ == end_) return kJsonUnclosed;
    if (*p_ != ':') return kJsonObjectSyntax;
    ++p_;
    return kJsonOk;
  }

  // p_ is on the opening quote. False when the text ends before the closing one. The string is
  // decoded as it is scanned, straight into the free end of the arena's chunk, or into scratch_
  // when that runs out (then copied at its final size). A backslash takes the character after
  // it: a known escape is decoded, any other character is kept with its backslash, and "\uXXXX"
  // is six characters (one unit when decoding them).
  bool readString(const char16_t*& units, uint32_t& size) {
    const Unit quote = *p_++;
    const Unit* p = p_;
    size_t tailBytes = 0;
    char16_t* base = reinterpret_cast<char16_t*>(arena_.tail(tailBytes));
    size_t room = tailBytes / sizeof(char16_t);
    bool inArena = true;
    size_t used = 0;
    for (;;) {
      // Each character read gives at most one unit, so a piece of the text never overruns room
      // reserved for it; an escape or GBK pair at its end may take up to six more.
      const size_t piece = std::min<size_t>(size_t(end_ - p), 256);
      if (used + piece + 8 > room) {
        char16_t* scratch = scratch_.room(used + piece + 8);
        if (inArena && used) std::memcpy(scratch, base, used * sizeof(char16_t));
        base = scratch;
        room = used + piece + 8;
        inArena = false;
      }
      char16_t* o = base + used;
      const Unit* const limit = p + piece;
      while (p < limit) {
        p = Input::copyPlain(p, limit, quote, o);
        if (p >= limit) break;
        const Unit c = *p;
        if (c == quote) {
          p_ = p + 1;
          finishString(base, size_t(o - base), inArena, units, size);
          return true;
        }
        if (c != '\\') {
          input_.decodeChar(p, end_, o);
          continue;
        }
        if (p + 1 >= end_) {
          p = end_;  // a backslash as the last character: the string never closes
          break;
        }
        switch (const Unit next = p[1]) {
          case '\\':
          case '/':
          case '"':
            *o++ = char16_t(next);
            p += 2;
            break;
          case 'b':
            *o++ = u'\b';
            p += 2;
            break;
          case 't':
            *o++ = u'\t';
            p += 2;
            break;
          case 'n':
            *o++ = u'\n';
            p += 2;
            break;
          case 'r':
            *o++ = u'\r';
            p += 2;
            break;
          case 'f':
            *o++ = u'\f';
            p += 2;
            break;
          case 'u':
            if (const int unit = hex4(p + 2, end_); unit >= 0) {
              if (decodeUnicode_) {
                *o++ = char16_t(unit);
              } else {
                for (int i = 0; i < 6; ++i) *o++ = char16_t(p[i]);
              }
              p += 6;
              break;
            }
            [[fallthrough]];
          default:
            *o++ = u'\\';
            ++p;
            input_.decodeChar(p, end_, o);  // taken as it is, even a quote
            break;
        }
      }
      used = size_t(o - base);
      if (p >= end_) {
        p_ = end_;
        return false;
      }
    }
  }

  void finishString(const char16_t* text, size_t length, bool inArena, const char16_t*& units, uint32_t& size) {
    if (length > 0xFFFFFFFFu) throw std::bad_alloc();
    size = uint32_t(length);
    units = nullptr;
    if (length == 0) return;
    if (inArena && arena_.takeTail(length * sizeof(char16_t))) {
      units = text;
      return;
    }
    char16_t* copy = arena_.allocateArray<char16_t>(length);
    std::memcpy(copy, text, length * sizeof(char16_t));
    units = copy;
  }

  int readToken(Value& out) {
    if (const Unit first = *p_; (first >= '0' && first <= '9') || first == '-') {
      if (readPlainNumber(out)) return kJsonOk;
    }
    const Unit* const start = p_;
    const Unit* p = p_;
    for (;;) {
      while (p < end_ && !(classOf(*p) & (kTokenStop | kLead))) ++p;
      if (p == end_) {
        p_ = end_;
        return kJsonUnclosed;
      }
      if (classOf(*p) & kTokenStop) break;
      p += input_.width(p, end_);
    }
    p_ = p;
    const Unit* begin = start;
    const Unit* end = trimmedEnd(start, p);
    while (begin < end && (classOf(*begin) & kBlank)) ++begin;
    if (begin == end) return frames_.back().object ? kJsonObjectSyntax : kJsonValueSyntax;
    const size_t size = size_t(end - begin);
    if (size > 0xFFFFFFFFu) throw std::bad_alloc();

    bool floating = false;
    if (isWord(begin, size, "null")) {
      out = Value::of(JsonKind::Null);
    } else if (isWord(begin, size, "true") || isWord(begin, size, "false")) {
      out = Value::of(JsonKind::Boolean);
      out.boolean = *begin == 't';
    } else if (classify(begin, end, floating)) {
      out = numberValue(arena_, floating ? JsonKind::Floating : JsonKind::Integer, begin, size);
    } else {
      out = Value::of(JsonKind::Raw);
      char16_t* units = arena_.allocateArray<char16_t>(size);
      const size_t used = input_.decode(begin, end, units);
      arena_.shrink(units, size * sizeof(char16_t), used * sizeof(char16_t));
      out.units = units;
      out.size = uint32_t(used);
    }
    return kJsonOk;
  }

  // The common number, without spaces inside and followed by a separator, read in one pass;
  // false leaves anything else to readToken.
  bool readPlainNumber(Value& out) {
    const Unit* p = p_ + 1;
    unsigned dots = 0, exponents = 0, signs = 0;
    for (; p < end_; ++p) {
      p = Input::skipDigits(p, end_);
      if (p == end_) break;
      const Unit c = *p;
      if (c == '.')
        ++dots;
      else if (c == 'e' || c == 'E')
        ++exponents;
      else if (c == '+' || c == '-')
        ++signs;
      else
        break;
    }
    if (dots > 1 || exponents > 1 || signs > 1) return false;
    const Unit* const end = p;
    while (p < end_ && (classOf(*p) & kBlank)) ++p;
    if (p == end_ || !(classOf(*p) & kTokenStop)) return false;
    out = numberValue(arena_, dots | exponents | signs ? JsonKind::Floating : JsonKind::Integer, p_, size_t(end - p_),
                      exponents == 0);
    p_ = p;
    return true;
  }

  // The end of [begin, end) without trailing blanks. A blank byte can be the second byte of a
  // GBK character, so that case walks the token character by character.
  const Unit* trimmedEnd(const Unit* begin, const Unit* end) const {
    if (begin == end || !(classOf(end[-1]) & kBlank)) return end;
    const Unit* last = begin;
    for (const Unit* p = begin; p < end;) {
      const size_t width = input_.width(p, end);
      if (width > 1 || !(classOf(*p) & kBlank)) last = p + width;
      p += width;
    }
    return last;
  }

  void closeArray() {
    const Frame frame = frames_.back();
    frames_.pop();
    const size_t size = values_.size() - frame.base;
    ArrayBlock* block = nullptr;
    if (size) {
      if (size > 0x7FFFFFFFu) throw std::bad_alloc();
      block = static_cast<ArrayBlock*>(arena_.allocate(ArrayBlock::bytes(size)));
      block->capacity = uint32_t(size);
      block->reserved = 0;
      std::memcpy(static_cast<void*>(block->items()), &values_[frame.base], size * sizeof(Value));
      values_.resize(frame.base);
    }
    Value& array = slot();
    array = Value::of(JsonKind::Array);
    array.size = uint32_t(size);
    array.array = block;
  }

  void closeObject() {
    const Frame frame = frames_.back();
    frames_.pop();
    const size_t count = members_.size() - frame.base;
    ObjectBlock* block = nullptr;
    uint32_t size = 0;
    if (count) {
      if (count > 0x7FFFFFFFu) throw std::bad_alloc();
      Member* read = &members_[frame.base];
      block = static_cast<ObjectBlock*>(arena_.allocate(ObjectBlock::bytes(count)));
      block->capacity = uint32_t(count);
      block->bucketCount = 0;
      block->index = nullptr;
      size =
          count > kLinearMembers ? keepIndexed(block, read, uint32_t(count)) : keepLinear(block, read, uint32_t(count));
      members_.resize(frame.base);
    }
    Value& object = slot();
    object = Value::of(JsonKind::Object);
    object.size = size;
    object.object = block;
    if (size < count) {
      object.flags = kRepeatedNames;
      repeatedNames_ = true;
    }
  }

  // A repeated name keeps the later value at the first member's position.
  void replaceValue(Member& kept, Member& repeated) {
    releaseValue(arena_, kept.value);
    kept.value = repeated.value;
    arena_.release(const_cast<char16_t*>(repeated.name), repeated.nameSize * sizeof(char16_t));
  }

  uint32_t keepLinear(ObjectBlock* block, Member* read, uint32_t count) {
    Member* members = block->members();
    uint32_t size = 0;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t j = 0;
      while (j < size && nameOf(members[j]) != nameOf(read[i])) ++j;
      if (j < size)
        replaceValue(members[j], read[i]);
      else
        members[size++] = read[i];
    }
    return size;
  }

  uint32_t keepIndexed(ObjectBlock* block, Member* read, uint32_t count) {
    const uint32_t bucketCount = std::bit_ceil(count);
    block->index = arena_.allocateArray<uint32_t>(size_t(bucketCount) * 2);
    block->bucketCount = bucketCount;
    uint32_t* heads = block->heads();
    uint32_t* links = block->links();
    std::fill_n(heads, bucketCount, kNoMember);
    Member* members = block->members();
    uint32_t size = 0;
    for (uint32_t i = 0; i < count; ++i) {
      const std::u16string_view name = nameOf(read[i]);
      const uint32_t hash = hashName(name);
      uint32_t& head = heads[hash & (bucketCount - 1)];
      uint32_t j = head;
      while (j != kNoMember && !(members[j].hash == hash && nameOf(members[j]) == name)) j = links[j];
      if (j != kNoMember) {
        replaceValue(members[j], read[i]);
        continue;
      }
      members[size] = read[i];
      members[size].hash = hash;
      links[size] = head;
      head = size++;
    }
    if (size <= kLinearMembers) indexMembers(arena_, block, size);  // repeats made it small
    return size;
  }

  Arena& arena_;
  Input input_;
  const Unit* const begin_;
  const Unit* p_;
  const Unit* const end_;
  const bool decodeUnicode_;
  Value* root_ = nullptr;
  bool repeatedNames_ = false;
  Buffer<Value> values_;      // elements of the open arrays
  Buffer<Member> members_;    // members of the open objects
  Buffer<Frame> frames_;      // the open containers
  Buffer<char16_t> scratch_;  // the string being read
};

}  // namespace

ReadResult readGbk(Arena& arena, std::string_view text, int flags, Value& root) {
  GbkInput input{gbkCodec()};
  // UTF-16 strings and the values take about one and a half times the text.
  arena.setChunkHint(text.size() + text.size() / 2);
  Reader<GbkInput> reader(arena, reinterpret_cast<const unsigned char*>(text.data()), text.size(), flags, input);
  return reader.read(root);
}

ReadResult readUtf16(Arena& arena, std::u16string_view text, int flags, Value& root) {
  arena.setChunkHint(text.size() * 2 + text.size() / 2);
  Reader<Utf16Input> reader(arena, text.data(), text.size(), flags, Utf16Input{});
  return reader.read(root);
}

bool classifyNumber(std::string_view token, bool& floating) {
  return classify(token.data(), token.data() + token.size(), floating);
}

}  // namespace tovalux::json_detail
