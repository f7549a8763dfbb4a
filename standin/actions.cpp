#include "actions.h"

#include <cerrno>
#include <cstdlib>

#include "base/gbk.h"

namespace standin {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Copies a double-byte GBK character whole: its trail byte may be 0x5C ('\\'), which must not
// escape the quote after it.
bool copyDoubleByte(const std::string& line, size_t& i, std::string& word) {
  if (!tovalux::isGbkLeadByte(static_cast<unsigned char>(line[i])) || i + 1 >= line.size()) return false;
  word += line[i++];
  word += line[i++];
  return true;
}

// Reads one word at `i`: plain characters up to a blank, or a quoted part with \" and \\.
// A word may mix both (name="a b").
bool readWord(const std::string& line, size_t& i, std::string& word, bool& hadQuote, std::string* error) {
  hadQuote = false;
  while (i < line.size() && !isBlank(line[i])) {
    if (copyDoubleByte(line, i, word)) continue;
    if (line[i] != '"') {
      word += line[i++];
      continue;
    }
    hadQuote = true;
    ++i;
    bool closed = false;
    while (i < line.size()) {
      if (copyDoubleByte(line, i, word)) continue;
      const char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
        word += line[i++];
        continue;
      }
      word += c;
    }
    if (!closed) {
      if (error) *error = "unterminated quote";
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<int64_t> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  // Base 0: decimal, 0x-hex; a leading 0 alone stays decimal (no octal surprise for "010").
  const bool hex = text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0 ||
                                       text.compare(0, 3, "-0x") == 0 || text.compare(0, 3, "-0X") == 0);
  const long long value = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
  if (errno == ERANGE || !end || *end != '\0') return std::nullopt;
  return value;
}

std::optional<ActionArgs> ActionArgs::parse(const std::string& line, std::string* error) {
  ActionArgs args;
  args.line_ = line;
  size_t i = 0;
  bool first = true;
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    const size_t start = i;
    std::string word;
    bool hadQuote = false;
    if (!readWord(line, i, word, hadQuote, error)) return std::nullopt;
    if (first) {
      args.name_ = word;
      first = false;
      continue;
    }
    // name=value, where the name is written plainly before the '='.
    const size_t equals = line.find('=', start);
    const size_t quote = line.find('"', start);
    if (equals != std::string::npos && equals < i && (quote == std::string::npos || equals < quote) && equals > start) {
      const std::string name = line.substr(start, equals - start);
      args.options_.emplace_back(name, word.substr(name.size() + 1));
    } else {
      args.positional_.push_back(word);
    }
  }
  if (args.name_.empty()) {
    if (error) *error = "empty action line";
    return std::nullopt;
  }
  return args;
}

const std::string& ActionArgs::text(size_t i) const {
  static const std::string kNone;
  return i < positional_.size() ? positional_[i] : kNone;
}

int64_t ActionArgs::number(size_t i, int64_t fallback) const {
  if (i >= positional_.size()) return fallback;
  return parseNumber(positional_[i]).value_or(fallback);
}

bool ActionArgs::isNumber(size_t i) const { return i < positional_.size() && parseNumber(positional_[i]).has_value(); }

std::optional<std::string> ActionArgs::option(const std::string& name) const {
  for (const auto& [key, value] : options_)
    if (key == name) return value;
  return std::nullopt;
}

int64_t ActionArgs::optionNumber(const std::string& name, int64_t fallback) const {
  const std::optional<std::string> value = option(name);
  if (!value) return fallback;
  return parseNumber(*value).value_or(fallback);
}

}  // namespace standin
