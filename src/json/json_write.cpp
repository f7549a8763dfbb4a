// Writing a tree as JSON text, GBK or UTF-16, compact or pretty, walking an explicit stack.
//
// Escaping writes every backslash as a pair, so every string reads back as it was: a path such as
// C:\temp\new.ec must not come back with a tab and a line feed in it. The reader still takes a
// single backslash before a character that is not an escape as itself, so older files load.
#include <algorithm>
#include <new>

#include "json/gbk_codec.h"
#include "json/json_internal.h"

namespace tovalux::json_detail {
namespace {

// The letter after the backslash for the characters escaping rewrites; 0 for the others.
struct EscapeTable {
  char letter[128];
  constexpr EscapeTable() : letter{} {
    letter[uint8_t('"')] = '"';
    letter[uint8_t('\\')] = '\\';
    letter[uint8_t('/')] = '/';
    letter[uint8_t('\b')] = 'b';
    letter[uint8_t('\t')] = 't';
    letter[uint8_t('\n')] = 'n';
    letter[uint8_t('\r')] = 'r';
    letter[uint8_t('\f')] = 'f';
  }
};
constexpr EscapeTable kEscapes;

template <class Text>
class Writer {
 public:
  using Char = typename Text::value_type;

  Writer(Text& out, const WriteOptions& options, JsonAllocator& stackAllocator)
      : out_(out), options_(options), stackAllocator_(stackAllocator), frames_(stackAllocator) {
    if constexpr (sizeof(Char) == 1) codec_ = &gbkCodec();
    capacity_ = std::max<size_t>(options.initialBytes / sizeof(Char), 16);
    out_.clear();
    out_.resize(capacity_);
    buffer_ = out_.data();
  }

  void write(const Value& root) {
    if (options_.pretty && indentationUnits(root) > kMaxUnits) throw std::bad_alloc();
    writeValue(root);
    while (!frames_.empty()) {
      const size_t top = frames_.size() - 1;
      const Value& container = *frames_[top].container;
      const uint32_t i = frames_[top].next;
      if (i == container.size) {
        if (container.kind == JsonKind::Object) {
          if (options_.pretty) newLine(--objectDepth_);
          put('}');
        } else {
          put(']');
        }
        frames_.pop();
        continue;
      }
      frames_[top].next = i + 1;
      if (i) put(',');
      if (container.kind == JsonKind::Array) {
        writeValue(container.array->items()[i]);  // may push: frames_[top] is not used after
      } else {
        const Member& member = container.object->members()[i];
        if (options_.pretty) newLine(objectDepth_);
        writeString(member.name, member.nameSize);
        put(':');
        writeValue(member.value);
      }
    }
    out_.resize(used_);
  }

 private:
  struct Frame {
    const Value* container;
    uint32_t next;
  };

  // No text beyond 1 GiB: the pretty form of objects nested a million deep would need terabytes
  // of tabs, and a host process must not be asked for them.
  static constexpr size_t kMaxUnits = (size_t(1) << 30) / sizeof(Char);

  // The line breaks and tabs of the pretty form alone (at least, once past the limit), counted
  // before anything is written: each member line of an object n objects deep takes n tabs.
  uint64_t indentationUnits(const Value& root) {
    struct Pending {
      const Value* container;
      uint64_t objects;  // objects enclosing it
    };
    Buffer<Pending> pending(stackAllocator_);
    uint64_t units = 0;
    if (root.isContainer() && root.size) pending.push({&root, 0});
    while (!pending.empty() && units <= kMaxUnits) {
      const Pending next = pending.back();
      pending.pop();
      const Value& container = *next.container;
      const bool object = container.kind == JsonKind::Object;
      const uint64_t depth = next.objects + object;
      if (object) units += uint64_t(container.size) * (depth + 2) + depth + 1;
      for (uint32_t i = 0; i < container.size; ++i) {
        const Value& child = object ? container.object->members()[i].value : container.array->items()[i];
        if (child.isContainer() && child.size) pending.push({&child, depth});
      }
    }
    return units;
  }

  Char* reserve(size_t units) {
    if (units > capacity_ - used_) {
      if (units > kMaxUnits - used_) throw std::bad_alloc();
      // Twice the size plus the piece plus two, so that a long text is copied few times.
      capacity_ = std::min(capacity_ * 2 + units + 2, kMaxUnits);
      out_.resize(capacity_);
      buffer_ = out_.data();
    }
    return buffer_ + used_;
  }

  void put(char c) {
    *reserve(1) = Char(c);
    ++used_;
  }

  void putAscii(const char* text, size_t size) {
    Char* o = reserve(size);
    for (size_t i = 0; i < size; ++i) o[i] = Char(text[i]);
    used_ += size;
  }

  void newLine(size_t depth) {
    Char* o = reserve(depth + 2);
    *o++ = '\r';
    *o++ = '\n';
    std::fill_n(o, depth, Char('\t'));
    used_ += depth + 2;
  }

  // The unit at units[i], not ASCII, as text: UTF-16 as it is, GBK through the encoder
  // (characters GBK lacks become '?'); answers the units taken.
  size_t putUnit(Char*& o, const char16_t* units, size_t i, size_t size) {
    if constexpr (sizeof(Char) == 1) {
      return codec_->encodeAt(units, i, size, o);
    } else {
      *o++ = units[i];
      return 1;
    }
  }

  // A raw token's text as it is.
  void writeUnits(const char16_t* units, size_t size) {
    Char* o = reserve(size * 2);
    if constexpr (sizeof(Char) == 1) {
      used_ += encodeGbk(*codec_, units, size, o);
    } else {
      std::copy_n(units, size, o);
      used_ += size;
    }
  }

  void writeString(const char16_t* units, size_t size) {
    Char* o = reserve(size * 2 + 2);  // every unit gives at most two
    *o++ = '"';
    for (size_t i = 0; i < size;) {
      const char16_t unit = units[i];
      if (unit >= 0x80) {
        i += putUnit(o, units, i, size);
        continue;
      }
      if (const char letter = kEscapes.letter[unit]; letter && options_.escape) {
        *o++ = '\\';
        *o++ = Char(letter);
      } else {
        *o++ = Char(unit);
      }
      ++i;
    }
    *o++ = '"';
    used_ = size_t(o - buffer_);
  }

  void writeValue(const Value& value) {
    switch (value.kind) {
      case JsonKind::None:
      case JsonKind::Null: putAscii("null", 4); break;
      case JsonKind::Boolean:
        if (value.boolean)
          putAscii("true", 4);
        else
          putAscii("false", 5);
        break;
      case JsonKind::Integer:
      case JsonKind::Floating:
        if (value.flags & kInlineNumber) {
          const size_t size = value.flags >> 3;
          unpackNumber(value, reserve(size + 1));
          used_ += size;
        } else {
          const NumberText text(value);
          putAscii(text.view().data(), text.view().size());
        }
        break;
      case JsonKind::Raw: writeUnits(value.units, value.size); break;
      case JsonKind::String: writeString(value.units, value.size); break;
      case JsonKind::Array:
        if (value.size == 0) {
          putAscii("[]", 2);
        } else {
          put('[');
          frames_.push({&value, 0});
        }
        break;
      case JsonKind::Object:
        if (value.size == 0) {
          putAscii("{}", 2);
        } else {
          put('{');
          ++objectDepth_;
          frames_.push({&value, 0});
        }
        break;
    }
  }

  Text& out_;
  const WriteOptions& options_;
  const GbkCodec* codec_ = nullptr;
  Char* buffer_ = nullptr;
  size_t used_ = 0;
  size_t capacity_ = 0;
  size_t objectDepth_ = 0;  // objects open: the indentation of their members
  JsonAllocator& stackAllocator_;
  Buffer<Frame> frames_;
};

}  // namespace

void writeGbk(const Value& value, const WriteOptions& options, JsonAllocator& stackAllocator, std::string& out) {
  Writer<std::string>(out, options, stackAllocator).write(value);
}

void writeUtf16(const Value& value, const WriteOptions& options, JsonAllocator& stackAllocator, std::u16string& out) {
  Writer<std::u16string>(out, options, stackAllocator).write(value);
}

}  // namespace tovalux::json_detail
