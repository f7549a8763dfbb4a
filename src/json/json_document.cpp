// JsonDocument: paths, questions and changes. Every entry point is noexcept and turns an
// exception (out of memory) into its failure answer: the code runs inside the host's process.
#include "json/json_document.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/text.h"
#include "json/gbk_codec.h"
#include "json/json_internal.h"

namespace tovalux {

using namespace json_detail;

const char* jsonErrorName(int code) {
  switch (code) {
    case kJsonOk: return "ok";
    case kJsonNoText: return "no text";
    case kJsonOutOfMemory: return "out of memory";
    case kJsonObjectSyntax: return "syntax error in an object";
    case kJsonUnclosed: return "text ended inside a string, object or array";
    case kJsonValueSyntax: return "syntax error in an array or value";
    default: return "unknown";
  }
}

namespace {

class HeapAllocator final : public JsonAllocator {
 public:
  void* allocate(size_t bytes) noexcept override { return ::operator new(bytes, std::nothrow); }
  void deallocate(void* block, size_t) noexcept override { ::operator delete(block); }
};

}  // namespace

JsonAllocator& JsonAllocator::heap() noexcept {
  static HeapAllocator heap;
  return heap;
}

struct JsonDocument::Impl {
  explicit Impl(JsonAllocator& allocator) : arena(allocator) {}
  Arena arena;
  Value root = Value::of(JsonKind::None);
  bool readRepeatedNames = false;  // the last parse met an object that named a member twice
};

namespace {

// --- Paths -----------------------------------------------------------------------------------

struct Segment {
  bool isIndex;
  int32_t index;
  std::u16string name;
};

// The C library's atoi over the text between brackets. Only ASCII blanks, signs and digits
// count there, so every other unit becomes a byte at which atoi stops.
int32_t indexOf(std::u16string_view text) {
  std::string ascii(text.size(), '\x7F');
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] < 0x80) ascii[i] = char(text[i]);
  return cAtoi(ascii);
}

std::vector<Segment> splitPath(std::string_view gbkPath) {
  std::vector<Segment> segments;
  const std::u16string path = gbkToUtf16Fast(gbkPath);
  std::u16string name;
  auto endName = [&] {
    if (!name.empty()) segments.push_back({false, 0, std::move(name)});
    name.clear();
  };
  for (size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c == u'\\' && i + 1 < path.size() &&
        (path[i + 1] == u'.' || path[i + 1] == u'[' || path[i + 1] == u']' || path[i + 1] == u'\\')) {
      name.push_back(path[++i]);
    } else if (c == u'.' || c == u']') {
      endName();
    } else if (c == u'[') {
      endName();
      size_t close = path.find(u']', i + 1);
      if (close == std::u16string::npos) close = path.size();
      segments.push_back({true, indexOf(std::u16string_view(path).substr(i + 1, close - i - 1)), {}});
      i = close;
    } else {
      name.push_back(c);
    }
  }
  endName();
  return segments;
}

struct Resolved {
  Value* value = nullptr;
  Value* parent = nullptr;
  uint32_t position = 0;  // of value in parent
};

Resolved resolve(JsonDocument::Impl* impl, std::string_view path) {
  if (!impl || impl->root.kind == JsonKind::None) return {};
  Resolved at{&impl->root, nullptr, 0};
  for (const Segment& segment : splitPath(path)) {
    Value& current = *at.value;
    if (!segment.isIndex) {
      if (current.kind != JsonKind::Object) return {};
      const uint32_t i = findMember(current, segment.name);
      if (i == kNoMember) return {};
      at = {&membersOf(current)[i].value, &current, i};
    } else {
      if (segment.index < 0 || uint32_t(segment.index) >= current.size) return {};
      const uint32_t i = uint32_t(segment.index);
      if (current.kind == JsonKind::Array)
        at = {&itemsOf(current)[i], &current, i};
      else if (current.kind == JsonKind::Object)
        at = {&membersOf(current)[i].value, &current, i};
      else
        return {};
    }
  }
  return at;
}

// Whether resolveCreating will succeed, decided before anything changes, so that a path failing
// at its end does not leave its beginning created.
bool creatable(const JsonDocument::Impl& impl, const std::vector<Segment>& segments) {
  const Value* current = impl.root.kind == JsonKind::None ? nullptr : &impl.root;  // nullptr: made new
  for (const Segment& segment : segments) {
    if (!segment.isIndex) {
      uint32_t i = kNoMember;
      if (current && current->kind == JsonKind::Object) i = findMember(*current, segment.name);
      current = i == kNoMember ? nullptr : &membersOf(*current)[i].value;
      continue;
    }
    if (segment.index < 0) return false;
    const uint32_t index = uint32_t(segment.index);
    if (current && current->kind == JsonKind::Object && current->size) {
      if (index >= current->size) return false;
      current = &membersOf(*current)[index].value;
      continue;
    }
    const uint32_t size = current && current->kind == JsonKind::Array ? current->size : 0;
    if (index >= size && index - size >= kMaxPadding) return false;
    current = index < size ? &itemsOf(*current)[index] : nullptr;
  }
  return true;
}

// Resolution that creates what is missing; nullptr when the path cannot be made.
Value* resolveCreating(JsonDocument::Impl& impl, std::string_view path) {
  const std::vector<Segment> segments = splitPath(path);
  if (!creatable(impl, segments)) return nullptr;
  Arena& arena = impl.arena;
  if (impl.root.kind == JsonKind::None) impl.root = Value::of(JsonKind::Object);
  Value* current = &impl.root;
  for (const Segment& segment : segments) {
    if (!segment.isIndex) {
      if (current->kind != JsonKind::Object) {
        releaseValue(arena, *current);
        *current = Value::of(JsonKind::Object);
      }
      const uint32_t i = findMember(*current, segment.name);
      current = i == kNoMember ? &appendMember(arena, *current, segment.name) : &membersOf(*current)[i].value;
      continue;
    }
    const uint32_t index = uint32_t(segment.index);
    if (current->kind == JsonKind::Object && current->size) {
      // Reading takes an index on an object as a member position; so does writing, rather than
      // throwing the members away for an array.
      current = &membersOf(*current)[index].value;
      continue;
    }
    if (current->kind != JsonKind::Array) {
      releaseValue(arena, *current);
      *current = Value::of(JsonKind::Array);
    }
    while (current->size <= index) appendItem(arena, *current);  // at most kMaxPadding nulls
    current = &itemsOf(*current)[index];
  }
  return current;
}

// Puts a prepared value at path: the old one is released only once the path exists.
bool store(JsonDocument::Impl& impl, std::string_view path, Value value) {
  Value* target = resolveCreating(impl, path);
  if (!target) {
    releaseValue(impl.arena, value);
    return false;
  }
  releaseValue(impl.arena, *target);
  *target = value;
  return true;
}

void removeMemberAt(Arena& arena, Value& object, uint32_t i) noexcept {
  Member* members = membersOf(object);
  releaseValue(arena, members[i].value);
  arena.release(const_cast<char16_t*>(members[i].name), members[i].nameSize * sizeof(char16_t));
  std::memmove(static_cast<void*>(members + i), members + i + 1, (object.size - i - 1) * sizeof(Member));
  --object.size;
  indexMembers(arena, object.object, object.size);  // keeps its table, so it needs no memory
}

void removeItemAt(Arena& arena, Value& array, uint32_t i) noexcept {
  Value* items = itemsOf(array);
  releaseValue(arena, items[i]);
  std::memmove(static_cast<void*>(items + i), items + i + 1, (array.size - i - 1) * sizeof(Value));
  --array.size;
}

Value stringValue(Arena& arena, std::u16string_view text) {
  if (text.size() > 0xFFFFFFFFu) throw std::bad_alloc();
  Value value = Value::of(JsonKind::String);
  value.units = copyUnits(arena, text);
  value.size = uint32_t(text.size());
  return value;
}

Value textNumber(Arena& arena, JsonKind kind, std::string_view text) {
  return numberValue(arena, kind, text.data(), text.size());
}

// A number written as `text` and read back as the value the box holds.
Value boxedNumber(Arena& arena, JsonKind kind, std::string_view text) {
  Value value = Value::of(kind);
  auto* box = static_cast<NumberBox*>(arena.allocate(NumberBox::bytes(text.size())));
  std::memcpy(box->text(), text.data(), text.size());
  value.flags = kExplicitNumber;
  value.box = box;
  value.size = uint32_t(text.size());
  return value;
}

bool isNumberToken(std::string_view text) {
  bool floating = false;
  return text.size() < 4096 && classifyNumber(text, floating);
}

// The shortest text that reads back as the same double, always with "." or an exponent so that
// it reads back as a floating value.
std::string floatingText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  std::string out(text, result.ptr);
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

int64_t toInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return int64_t(value);
}

}  // namespace

// --- Construction ------------------------------------------------------------------------------

JsonDocument::JsonDocument() noexcept : allocator_(&JsonAllocator::heap()) {}

JsonDocument::JsonDocument(JsonAllocator& allocator) noexcept : allocator_(&allocator) {}

JsonDocument::~JsonDocument() { dropImpl(); }

void JsonDocument::dropImpl() noexcept {
  if (impl_) {
    impl_->~Impl();
    allocator_->deallocate(impl_, sizeof(Impl));
    impl_ = nullptr;
  }
}

JsonDocument::JsonDocument(JsonDocument&& other) noexcept : allocator_(other.allocator_), impl_(other.impl_) {
  other.impl_ = nullptr;
}

JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept {
  if (this != &other) {
    dropImpl();
    allocator_ = other.allocator_;
    impl_ = other.impl_;
    other.impl_ = nullptr;
  }
  return *this;
}

JsonDocument::Impl* JsonDocument::ensureImpl() noexcept {
  if (!impl_) {
    void* memory = allocator_->allocate(sizeof(Impl));
    if (memory) impl_ = new (memory) Impl(*allocator_);
  }
  return impl_;
}

JsonDocument JsonDocument::withRoot(JsonKind kind, JsonAllocator& allocator) noexcept {
  JsonDocument document(allocator);
  switch (kind) {
    case JsonKind::Null: document.setNull({}); break;
    case JsonKind::Boolean: document.setBool({}, false); break;
    case JsonKind::Integer: document.setInteger({}, 0); break;
    case JsonKind::Floating: document.setFloat({}, 0.0); break;
    case JsonKind::String: document.setText({}, {}); break;
    case JsonKind::Array: document.setEmptyArray({}); break;
    case JsonKind::Object: document.setEmptyObject({}); break;
    default: break;
  }
  return document;
}

JsonDocument JsonDocument::copyOf(const JsonDocument& source) noexcept { return source.valueAt({}); }

// --- Reading and writing text ------------------------------------------------------------------

namespace {

template <class Read>
bool parseWith(JsonDocument::Impl* impl, Read read, int& errorCode, int& errorPosition) {
  errorCode = kJsonOk;
  errorPosition = 0;
  if (!impl) {
    errorCode = kJsonOutOfMemory;
    return false;
  }
  impl->arena.reset();
  impl->root = Value::of(JsonKind::None);
  impl->readRepeatedNames = false;
  ReadResult result;
  try {
    result = read(impl->arena, impl->root);
  } catch (...) {
    result.error = kJsonOutOfMemory;
  }
  if (result.error == kJsonOk) {
    impl->readRepeatedNames = result.repeatedNames;
    return true;
  }
  // A failed read leaves an empty object, which takes no memory.
  impl->arena.reset();
  impl->root = Value::of(JsonKind::Object);
  errorCode = result.error;
  errorPosition = int(std::min<size_t>(result.position, size_t(std::numeric_limits<int>::max())));
  return false;
}

}  // namespace

bool JsonDocument::parse(std::string_view gbk, int flags, int& errorCode, int& errorPosition) noexcept {
  return parseWith(
      ensureImpl(), [&](Arena& arena, Value& root) { return readGbk(arena, gbk, flags, root); }, errorCode,
      errorPosition);
}

bool JsonDocument::parse(std::string_view gbk, int flags) noexcept {
  int code = 0, position = 0;
  return parse(gbk, flags, code, position);
}

bool JsonDocument::parseUtf16(std::u16string_view text, int flags, int& errorCode, int& errorPosition) noexcept {
  return parseWith(
      ensureImpl(), [&](Arena& arena, Value& root) { return readUtf16(arena, text, flags, root); }, errorCode,
      errorPosition);
}

bool JsonDocument::parseUtf16(std::u16string_view text, int flags) noexcept {
  int code = 0, position = 0;
  return parseUtf16(text, flags, code, position);
}

std::string JsonDocument::toText(std::string_view path, bool pretty, bool escape,
                                 int initialBufferSize) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value) return {};
    std::string out;
    writeGbk(*at.value, {pretty, escape, initialBufferSize > 0 ? size_t(initialBufferSize) : 1024}, *allocator_, out);
    return out;
  } catch (...) {
    return {};
  }
}

std::u16string JsonDocument::toUtf16Text(std::string_view path, bool pretty, bool escape) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value) return {};
    std::u16string out;
    writeUtf16(*at.value, {pretty, escape, 1024}, *allocator_, out);
    return out;
  } catch (...) {
    return {};
  }
}

// --- Questions ---------------------------------------------------------------------------------

bool JsonDocument::hasRoot() const noexcept { return impl_ && impl_->root.kind != JsonKind::None; }

JsonKind JsonDocument::kind(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    return at.value ? at.value->kind : JsonKind::None;
  } catch (...) {
    return JsonKind::None;
  }
}

std::string JsonDocument::getText(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value || at.value->kind != JsonKind::String) return {};
    return utf16ToGbkFast(unitsOf(*at.value));
  } catch (...) {
    return {};
  }
}

std::u16string JsonDocument::getUtf16Text(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value || at.value->kind != JsonKind::String) return {};
    return std::u16string(unitsOf(*at.value));
  } catch (...) {
    return {};
  }
}

bool JsonDocument::getBool(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    return at.value && at.value->kind == JsonKind::Boolean && at.value->boolean;
  } catch (...) {
    return false;
  }
}

int64_t JsonDocument::getInteger(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value) return 0;
    const Value& v = *at.value;
    const bool boxed = v.flags & kExplicitNumber;
    if (v.kind == JsonKind::Integer) return boxed ? v.box->integer : integerOfText(NumberText(v).view());
    if (v.kind == JsonKind::Floating) return toInteger(boxed ? v.box->floating : floatingOfText(NumberText(v).view()));
    return 0;
  } catch (...) {
    return 0;
  }
}

double JsonDocument::getFloat(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value) return 0;
    const Value& v = *at.value;
    const bool boxed = v.flags & kExplicitNumber;
    if (v.kind == JsonKind::Floating) return boxed ? v.box->floating : floatingOfText(NumberText(v).view());
    // An integer's text is read as a double directly: beyond the 64-bit range it still gives the
    // nearest double (not the saturated integer), and "-0" keeps its sign.
    if (v.kind == JsonKind::Integer) return boxed ? double(v.box->integer) : floatingOfText(NumberText(v).view());
    return 0;
  } catch (...) {
    return 0;
  }
}

std::string JsonDocument::getNumberText(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value || (at.value->kind != JsonKind::Integer && at.value->kind != JsonKind::Floating)) return {};
    return std::string(NumberText(*at.value).view());
  } catch (...) {
    return {};
  }
}

bool JsonDocument::repeatsNames(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    return at.value && at.value->kind == JsonKind::Object && (at.value->flags & kRepeatedNames) != 0;
  } catch (...) {
    return false;
  }
}

bool JsonDocument::readRepeatedNames() const noexcept { return impl_ && impl_->readRepeatedNames; }

int JsonDocument::count(std::string_view path) const noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value || !at.value->isContainer()) return 0;
    return int(std::min<uint32_t>(at.value->size, uint32_t(std::numeric_limits<int>::max())));
  } catch (...) {
    return 0;
  }
}

int JsonDocument::memberNames(std::string_view path, std::vector<std::string>& names) const noexcept {
  names.clear();
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.value || at.value->kind != JsonKind::Object) return 0;
    names.reserve(at.value->size);
    const Member* members = membersOf(*at.value);
    for (uint32_t i = 0; i < at.value->size; ++i) names.push_back(utf16ToGbkFast(nameOf(members[i])));
    return int(names.size());
  } catch (...) {
    names.clear();
    return 0;
  }
}

JsonDocument JsonDocument::valueAt(std::string_view path) const noexcept {
  JsonDocument copy(*allocator_);
  try {
    const Resolved at = resolve(impl_, path);
    if (at.value && copy.ensureImpl()) copy.impl_->root = copyValue(copy.impl_->arena, *at.value);
  } catch (...) {
    copy.clear();
  }
  return copy;
}

JsonDocument JsonDocument::parentOf(std::string_view path) const noexcept {
  JsonDocument copy(*allocator_);
  try {
    const Resolved at = resolve(impl_, path);
    if (at.parent && copy.ensureImpl()) copy.impl_->root = copyValue(copy.impl_->arena, *at.parent);
  } catch (...) {
    copy.clear();
  }
  return copy;
}

bool JsonDocument::operator==(const JsonDocument& other) const noexcept {
  const Value none = Value::of(JsonKind::None);
  const Value& a = impl_ ? impl_->root : none;
  const Value& b = other.impl_ ? other.impl_->root : none;
  try {
    return equalValues(a, b, *allocator_);
  } catch (...) {
    return false;  // out of memory for the walk: not known to be equal
  }
}

// --- Changes -----------------------------------------------------------------------------------

namespace {

// Runs a change that builds its value first, then stores it at path.
template <class Make>
bool setWith(JsonDocument::Impl* impl, std::string_view path, Make make) noexcept {
  if (!impl) return false;
  try {
    return store(*impl, path, make(impl->arena));
  } catch (...) {
    return false;
  }
}

}  // namespace

bool JsonDocument::setText(std::string_view path, std::string_view gbk) noexcept {
  return setWith(ensureImpl(), path, [&](Arena& arena) { return stringValue(arena, gbkToUtf16Fast(gbk)); });
}

bool JsonDocument::setUtf16Text(std::string_view path, std::u16string_view text) noexcept {
  return setWith(ensureImpl(), path, [&](Arena& arena) { return stringValue(arena, text); });
}

bool JsonDocument::setNull(std::string_view path) noexcept {
  return setWith(ensureImpl(), path, [](Arena&) { return Value::of(JsonKind::Null); });
}

bool JsonDocument::setBool(std::string_view path, bool value) noexcept {
  return setWith(ensureImpl(), path, [&](Arena&) {
    Value v = Value::of(JsonKind::Boolean);
    v.boolean = value;
    return v;
  });
}

bool JsonDocument::setInteger(std::string_view path, int64_t value) noexcept {
  return setWith(ensureImpl(), path,
                 [&](Arena& arena) { return textNumber(arena, JsonKind::Integer, std::to_string(value)); });
}

bool JsonDocument::setFloat(std::string_view path, double value) noexcept {
  if (!std::isfinite(value)) return false;  // JSON has no text for them
  return setWith(ensureImpl(), path,
                 [&](Arena& arena) { return textNumber(arena, JsonKind::Floating, floatingText(value)); });
}

bool JsonDocument::setInteger(std::string_view path, int64_t value, std::string_view text) noexcept {
  if (!isNumberToken(text)) return false;
  return setWith(ensureImpl(), path, [&](Arena& arena) {
    Value v = boxedNumber(arena, JsonKind::Integer, text);
    v.box->integer = value;
    return v;
  });
}

bool JsonDocument::setFloat(std::string_view path, double value, std::string_view text) noexcept {
  if (!isNumberToken(text)) return false;
  return setWith(ensureImpl(), path, [&](Arena& arena) {
    Value v = boxedNumber(arena, JsonKind::Floating, text);
    v.box->floating = value;
    return v;
  });
}

bool JsonDocument::setEmptyObject(std::string_view path) noexcept {
  return setWith(ensureImpl(), path, [](Arena&) { return Value::of(JsonKind::Object); });
}

bool JsonDocument::setEmptyArray(std::string_view path) noexcept {
  return setWith(ensureImpl(), path, [](Arena&) { return Value::of(JsonKind::Array); });
}

bool JsonDocument::setDocument(std::string_view path, const JsonDocument& source) noexcept {
  if (!source.hasRoot()) return false;
  // The copy is made before the path is created, since creating it may change the source when
  // the source is this document.
  return setWith(ensureImpl(), path, [&](Arena& arena) { return copyValue(arena, source.impl_->root); });
}

bool JsonDocument::setJson(std::string_view path, std::string_view gbk, int flags) noexcept {
  JsonDocument parsed(*allocator_);
  return parsed.parse(gbk, flags) && setDocument(path, parsed);
}

bool JsonDocument::removeMember(std::string_view path, std::string_view name) noexcept {
  Impl* impl = ensureImpl();
  if (!impl) return false;
  try {
    const std::u16string wanted = gbkToUtf16Fast(name);
    Value* object = resolveCreating(*impl, path);
    if (!object || object->kind != JsonKind::Object) return false;
    const uint32_t i = findMember(*object, wanted);
    if (i == kNoMember) return false;
    removeMemberAt(impl->arena, *object, i);
    return true;
  } catch (...) {
    return false;
  }
}

bool JsonDocument::removeAt(std::string_view path, int index) noexcept {
  Impl* impl = ensureImpl();
  if (!impl) return false;
  try {
    Value* array = resolveCreating(*impl, path);
    if (!array || array->kind != JsonKind::Array || index < 0 || uint32_t(index) >= array->size) return false;
    removeItemAt(impl->arena, *array, uint32_t(index));
    return true;
  } catch (...) {
    return false;
  }
}

bool JsonDocument::remove(std::string_view path) noexcept {
  try {
    const Resolved at = resolve(impl_, path);
    if (!at.parent) return false;
    if (at.parent->kind == JsonKind::Object)
      removeMemberAt(impl_->arena, *at.parent, at.position);
    else
      removeItemAt(impl_->arena, *at.parent, at.position);
    return true;
  } catch (...) {
    return false;
  }
}

void JsonDocument::clear() noexcept {
  if (!impl_) return;
  impl_->arena.reset();
  impl_->root = Value::of(JsonKind::None);
  impl_->readRepeatedNames = false;
}

}  // namespace tovalux
