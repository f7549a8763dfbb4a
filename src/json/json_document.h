// JsonDocument: one JSON tree in memory, read from and written to GBK text, addressed by paths.
//
// Texts at this interface are GBK (code page 936) unless a function says UTF-16; inside, every
// string is UTF-16. Numbers and unquoted tokens keep the text they were read from, so "1.50",
// "1e3" or "0x10" are written back exactly. Members keep their insertion order.
//
// Paths name a value below the root; the empty path is the root.
//   "." ends a name, "[" starts an index, "]" ends it; empty names are dropped, so "name.[2]",
//   "name[2]", "[0].eName" and "[0]eName" are the same. A backslash before ".", "[", "]" or "\"
//   makes that character part of the name. An index is 0-based; on an object it selects the
//   member at that position.
//   Setters and the two removals create what is missing: a name on something that is not an
//   object makes it an empty object first, a missing member is added as null, an index on
//   something that is not an array makes it an empty array first, and an index at or past the
//   end pads the array with nulls (65,536 at most: a path such as "a.[4000000000]" fails). An
//   index on an object that has members selects a member and never turns the object into an
//   array; past its last member the path fails. A negative index fails. A path that fails
//   changes nothing.
//
// Nothing recurses on depth: a tree nested a million deep reads, writes, copies, compares and
// frees on a small stack. No function throws; out of memory makes an operation fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux {

enum class JsonKind : uint8_t {
  None,  // no value: the path does not resolve, or the document has no root
  Null,
  Boolean,
  Integer,   // 64-bit value plus the text it was read from
  Floating,  // double plus the text it was read from
  Raw,       // an unquoted token that is neither a literal nor a number: only its text
  String,
  Array,
  Object,
};

// Answers of JsonDocument::parse.
enum JsonError : int {
  kJsonOk = 0,
  kJsonNoText = -2,  // no text, or nothing but blanks
  kJsonOutOfMemory = -3,
  kJsonObjectSyntax = -4,  // syntax error inside an object
  kJsonUnclosed = -5,      // the text ended inside a string or with an object or array open
  kJsonValueSyntax = -6,   // syntax error inside an array, in a value, or around the root
};

const char* jsonErrorName(int code);

// parse flags.
inline constexpr int kJsonDecodeUnicodeEscapes = 1;  // "\u4e2d" becomes one character

// Where a document's memory comes from. The default is the C++ heap; a host (or a test) may give
// its own, which must outlive every document made with it.
class JsonAllocator {
 public:
  // nullptr when the memory cannot be had.
  virtual void* allocate(size_t bytes) noexcept = 0;
  virtual void deallocate(void* block, size_t bytes) noexcept = 0;
  static JsonAllocator& heap() noexcept;

 protected:
  ~JsonAllocator() = default;
};

class JsonDocument {
 public:
  JsonDocument() noexcept;
  explicit JsonDocument(JsonAllocator& allocator) noexcept;
  ~JsonDocument();
  JsonDocument(JsonDocument&& other) noexcept;
  JsonDocument& operator=(JsonDocument&& other) noexcept;
  // Copies are explicit (copyOf, setDocument): a deep copy can run out of memory.
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;

  // A document whose root is a fresh value of the kind: {}, [], null, false, "", 0.0 or 0.
  // None and Raw give a document without a root.
  static JsonDocument withRoot(JsonKind kind, JsonAllocator& allocator = JsonAllocator::heap()) noexcept;
  // A deep copy (a document without a root when memory runs out).
  static JsonDocument copyOf(const JsonDocument& source) noexcept;

  // --- Reading text. Replaces the whole tree; on failure the root is an empty object.
  // errorPosition is the UTF-16 character index at which reading stopped (0 on success).
  bool parse(std::string_view gbk, int flags, int& errorCode, int& errorPosition) noexcept;
  bool parse(std::string_view gbk, int flags = 0) noexcept;
  bool parseUtf16(std::u16string_view text, int flags, int& errorCode, int& errorPosition) noexcept;
  bool parseUtf16(std::u16string_view text, int flags = 0) noexcept;

  // --- Writing text: the value at path, or an empty text when the path does not resolve.
  // Pretty form: objects break after "{" and after each member (CR LF), members indented by one
  // TAB per enclosing object; arrays stay on one line. initialBufferSize <= 0 means 1024 bytes.
  std::string toText(std::string_view path = {}, bool pretty = false, bool escape = true,
                     int initialBufferSize = 1024) const noexcept;
  std::u16string toUtf16Text(std::string_view path = {}, bool pretty = false, bool escape = true) const noexcept;

  // --- Questions by path.
  bool hasRoot() const noexcept;
  JsonKind kind(std::string_view path) const noexcept;
  // The string at path; empty for anything that is not a string.
  std::string getText(std::string_view path) const noexcept;
  std::u16string getUtf16Text(std::string_view path) const noexcept;
  // True only for a true boolean.
  bool getBool(std::string_view path) const noexcept;
  // Numbers convert between the two numeric kinds: getInteger truncates a floating value
  // towards zero and saturates, and so does it with an integer beyond 64 bits; getFloat answers
  // the double nearest to an integer's text (also beyond 64 bits; "-0" is -0.0). Anything else
  // gives 0.
  int64_t getInteger(std::string_view path) const noexcept;
  double getFloat(std::string_view path) const noexcept;
  // The text of an integer or floating value as it will be written; empty for other kinds.
  std::string getNumberText(std::string_view path) const noexcept;
  // Elements of an array or members of an object; 0 for anything else.
  int count(std::string_view path) const noexcept;
  // Whether the object at path named a member twice in the text it was read from (the reader
  // keeps one value per name, so writing it back loses the other), and whether any object of the
  // last parse did. Only a parse sets them; a copy keeps the object's.
  bool repeatsNames(std::string_view path) const noexcept;
  bool readRepeatedNames() const noexcept;
  // The member names of the object at path in order, and their number; 0 and none otherwise.
  int memberNames(std::string_view path, std::vector<std::string>& names) const noexcept;
  // Copies of the value at path and of the container holding it (no root when there is none).
  JsonDocument valueAt(std::string_view path) const noexcept;
  JsonDocument parentOf(std::string_view path) const noexcept;
  // Same kinds, same texts, same members in the same order.
  bool operator==(const JsonDocument& other) const noexcept;

  // --- Changes by path. Each creates the path first (see above) and answers false when it
  // cannot be created or memory runs out.
  bool setText(std::string_view path, std::string_view gbk) noexcept;
  bool setUtf16Text(std::string_view path, std::u16string_view text) noexcept;
  bool setNull(std::string_view path) noexcept;
  bool setBool(std::string_view path, bool value) noexcept;
  bool setInteger(std::string_view path, int64_t value) noexcept;
  bool setFloat(std::string_view path, double value) noexcept;  // false for NaN and infinities
  // A number that is written as `text` and read back as `value`; `text` must be a number token.
  bool setInteger(std::string_view path, int64_t value, std::string_view text) noexcept;
  bool setFloat(std::string_view path, double value, std::string_view text) noexcept;
  bool setEmptyObject(std::string_view path) noexcept;
  bool setEmptyArray(std::string_view path) noexcept;
  // A copy of source's root (which may be this document's own).
  bool setDocument(std::string_view path, const JsonDocument& source) noexcept;
  // GBK JSON text read as parse reads it; nothing changes when it does not read.
  bool setJson(std::string_view path, std::string_view gbk, int flags = 0) noexcept;

  // Removes the member `name` of the object at path; false when there is none.
  bool removeMember(std::string_view path, std::string_view name) noexcept;
  // Removes element `index` of the array at path, later ones moving down; false when out of range.
  bool removeAt(std::string_view path, int index) noexcept;
  // Removes the value at path from its container (no creation); the root cannot be removed.
  bool remove(std::string_view path) noexcept;
  // Drops the root and everything below it.
  void clear() noexcept;

  struct Impl;  // the tree and its arena; opaque outside json_document.cpp

 private:
  Impl* ensureImpl() noexcept;
  void dropImpl() noexcept;

  JsonAllocator* allocator_;
  Impl* impl_ = nullptr;  // none until something is stored
};

}  // namespace tovalux
