// A bounded text writer for the formatters: never writes past its buffer, always leaves it
// NUL-terminated, and records whether anything was cut.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovalux::x86::detail {

class Text {
 public:
  Text(char* buf, size_t cap) : buf_(buf), cap_(cap) {
    if (cap_) buf_[0] = 0;
  }

  void put(char c) {
    if (len_ + 1 < cap_) {
      buf_[len_++] = c;
      buf_[len_] = 0;
    } else {
      cut_ = true;
    }
  }
  void put(const char* s) {
    while (*s) put(*s++);
  }
  // Letters in the case asked for (keywords, registers); other characters as they are.
  void word(const char* s, bool upper) {
    for (; *s; ++s) {
      char c = *s;
      if (upper && c >= 'a' && c <= 'z') c = char(c - 32);
      if (!upper && c >= 'A' && c <= 'Z') c = char(c + 32);
      put(c);
    }
  }
  // Upper-case hex; `digits` = minimum digits (zero-padded), 0 = no padding.
  void hex(uint32_t v, unsigned digits = 0) {
    char tmp[8];
    unsigned n = 0;
    do {
      tmp[n++] = "0123456789ABCDEF"[v & 15];
      v >>= 4;
    } while (v && n < 8);
    while (n < digits && n < 8) tmp[n++] = '0';
    while (n) put(tmp[--n]);
  }
  void padTo(size_t column) {
    while (len_ < column && !cut_) put(' ');
  }

  size_t size() const { return len_; }
  bool cut() const { return cut_; }
  char last() const { return len_ ? buf_[len_ - 1] : 0; }
  void truncate(size_t n) {
    if (n < len_) {
      len_ = n;
      buf_[len_] = 0;
    }
  }

 private:
  char* buf_;
  size_t cap_;
  size_t len_ = 0;
  bool cut_ = false;
};

}  // namespace tovalux::x86::detail
