// The XML reader: a recursive-descent parser over the whole text. Its depth and node count are
// bounded (XmlLimits), so a hostile or broken theme file fails cleanly instead of exhausting the
// stack or the memory. Pure: reads the text it is given, nothing else.
#include "toolkit/model/theme/xml.h"

#include "base/gbk.h"
#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

const std::string* XmlNode::attribute(std::string_view key) const {
  for (const auto& [k, v] : attributes)
    if (k == key) return &v;
  return nullptr;
}

namespace {

class Parser {
 public:
  Parser(std::string_view text, const XmlLimits& limits) : s_(text), limits_(limits) {}

  std::optional<XmlNode> document() {
    if (!prolog()) return std::nullopt;
    XmlNode root;
    if (!element(root, 1)) return std::nullopt;
    if (!misc()) return std::nullopt;
    if (pos_ != s_.size()) return std::nullopt;
    return root;
  }

 private:
  bool eof() const { return pos_ >= s_.size(); }
  char peek(size_t k = 0) const { return pos_ + k < s_.size() ? s_[pos_ + k] : '\0'; }
  bool startsWith(std::string_view t) const { return s_.substr(pos_).starts_with(t); }
  static bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  void skipSpace() {
    while (!eof() && space(s_[pos_])) ++pos_;
  }
  static bool nameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || (unsigned char)c >= 0x80;
  }
  static bool nameChar(char c) { return nameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

  bool name(std::string& out) {
    if (eof() || !nameStart(s_[pos_])) return false;
    size_t start = pos_;
    while (!eof() && nameChar(s_[pos_])) ++pos_;
    out.assign(s_.substr(start, pos_ - start));
    return true;
  }

  bool skipPast(std::string_view terminator) {
    size_t end = s_.find(terminator, pos_);
    if (end == std::string_view::npos) return false;
    pos_ = end + terminator.size();
    return true;
  }

  // Comments, processing instructions and blanks between markup.
  bool misc() {
    while (true) {
      skipSpace();
      if (startsWith("<!--")) {
        pos_ += 4;
        if (!skipPast("-->")) return false;
      } else if (startsWith("<?")) {
        pos_ += 2;
        if (!skipPast("?>")) return false;
      } else {
        return true;
      }
    }
  }

  bool prolog() {
    if (!misc()) return false;
    if (startsWith("<!DOCTYPE")) {
      // No internal subset: entities other than the predefined ones are not supported.
      size_t end = s_.find('>', pos_);
      if (end == std::string_view::npos || s_.substr(pos_, end - pos_).find('[') != std::string_view::npos)
        return false;
      pos_ = end + 1;
      if (!misc()) return false;
    }
    return true;
  }

  // An entity or character reference, at '&'. Character references become UTF-8; NUL and
  // surrogate code points are refused, as no text of the model could hold them.
  bool reference(std::string& out) {
    size_t end = s_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 12) return false;
    std::string_view ref = s_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    if (ref == "lt")
      out += '<';
    else if (ref == "gt")
      out += '>';
    else if (ref == "amp")
      out += '&';
    else if (ref == "quot")
      out += '"';
    else if (ref == "apos")
      out += '\'';
    else if (ref.size() > 1 && ref[0] == '#') {
      uint32_t cp = 0;
      bool hex = ref[1] == 'x';
      std::string_view digits = ref.substr(hex ? 2 : 1);
      if (digits.empty()) return false;
      for (char c : digits) {
        int d = (c >= '0' && c <= '9')        ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
        if (d < 0) return false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        if (cp > 0x10FFFF) return false;
      }
      if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
      std::u16string unit;
      if (cp >= 0x10000) {
        unit.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        unit.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        unit.push_back(static_cast<char16_t>(cp));
      }
      out += utf16ToUtf8(unit);
    } else {
      return false;
    }
    return true;
  }

  bool attributeValue(std::string& out) {
    char quote = peek();
    if (quote != '"' && quote != '\'') return false;
    ++pos_;
    while (true) {
      if (eof()) return false;
      char c = s_[pos_];
      if (c == quote) {
        ++pos_;
        return true;
      }
      if (c == '<') return false;
      if (c == '&') {
        if (!reference(out)) return false;
        continue;
      }
      // Attribute-value normalisation: white space becomes a space.
      out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
      ++pos_;
    }
  }

  // One element with its attributes and content, at '<'. The limits are checked on entry, before
  // any recursion.
  bool element(XmlNode& node, int depth) {
    if (depth > limits_.maxDepth || ++nodes_ > limits_.maxNodes) return false;
    if (peek() != '<') return false;
    ++pos_;
    if (!name(node.name)) return false;
    bool closed = false;
    if (!attributes(node, closed)) return false;
    return closed || content(node, depth);
  }

  // The attributes of a start tag, up to its '>'; `closed` when it was '/>' (no content).
  bool attributes(XmlNode& node, bool& closed) {
    while (true) {
      bool hadSpace = !eof() && space(peek());
      skipSpace();
      if (eof()) return false;
      if (startsWith("/>")) {
        pos_ += 2;
        closed = true;
        return true;
      }
      if (peek() == '>') {
        ++pos_;
        return true;
      }
      if (!hadSpace) return false;  // attributes are separated by white space
      std::string key, value;
      if (!name(key)) return false;
      skipSpace();
      if (peek() != '=') return false;
      ++pos_;
      skipSpace();
      if (!attributeValue(value)) return false;
      if (node.attribute(key) != nullptr) return false;  // duplicate attribute
      node.attributes.emplace_back(std::move(key), std::move(value));
    }
  }

  // What lies between the start tag and the matching end tag: text, references, CDATA,
  // comments, processing instructions and child elements.
  bool content(XmlNode& node, int depth) {
    while (true) {
      if (eof()) return false;
      if (startsWith("</")) {
        pos_ += 2;
        std::string closing;
        if (!name(closing) || closing != node.name) return false;
        skipSpace();
        if (peek() != '>') return false;
        ++pos_;
        return true;
      }
      if (startsWith("<!--")) {
        pos_ += 4;
        if (!skipPast("-->")) return false;
        continue;
      }
      if (startsWith("<![CDATA[")) {
        size_t start = pos_ + 9;
        size_t end = s_.find("]]>", start);
        if (end == std::string_view::npos) return false;
        node.text.append(s_.substr(start, end - start));
        pos_ = end + 3;
        continue;
      }
      if (startsWith("<?")) {
        pos_ += 2;
        if (!skipPast("?>")) return false;
        continue;
      }
      if (peek() == '<') {
        node.children.emplace_back();
        if (!element(node.children.back(), depth + 1)) return false;
        continue;
      }
      if (peek() == '&') {
        if (!reference(node.text)) return false;
        continue;
      }
      node.text += s_[pos_++];
    }
  }

  std::string_view s_;
  const XmlLimits& limits_;
  size_t pos_ = 0;
  size_t nodes_ = 0;
};

// The encoding named by the declaration, lower-cased; empty when none.
std::string declaredEncoding(std::string_view text) {
  if (!text.starts_with("<?xml")) return {};
  size_t end = text.find("?>");
  if (end == std::string_view::npos) return {};
  std::string_view decl = text.substr(0, end);
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return {};
  size_t q = decl.find_first_of("\"'", at);
  if (q == std::string_view::npos) return {};
  size_t q2 = decl.find(decl[q], q + 1);
  if (q2 == std::string_view::npos) return {};
  return asciiLower(decl.substr(q + 1, q2 - q - 1));
}

}  // namespace

std::optional<XmlNode> parseXml(std::string_view text, const XmlLimits& limits) {
  if (text.size() > limits.maxBytes) return std::nullopt;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  // Converted first, so every text of the tree is UTF-8 whatever the file was written in.
  std::string converted;
  std::string enc = declaredEncoding(text);
  if (enc == "gbk" || enc == "gb2312" || enc == "gb18030" || enc == "cp936") {
    converted = utf16ToUtf8(gbkToUtf16(text));
    text = converted;
  }
  Parser parser(text, limits);
  return parser.document();
}

}  // namespace tovalux::tk
