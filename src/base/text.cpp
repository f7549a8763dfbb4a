#include "base/text.h"

#include <limits>

#include "base/gbk.h"

namespace tovalux {

namespace {
constexpr bool isCBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

int32_t cAtoi(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isCBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate as a negative number so INT32_MIN is reachable without overflow.
  constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    const auto byte = static_cast<unsigned char>(out[i]);
    if (isGbkLeadByte(byte)) {
      ++i;  // skip the trail byte
    } else if (byte >= 'A' && byte <= 'Z') {
      out[i] = static_cast<char>(byte + ('a' - 'A'));
    }
  }
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

std::string decimal(int64_t value) { return std::to_string(value); }

}  // namespace tovalux
