// Reading what the host hands us by pointer (texts, item records, message blocks) without
// trusting it: a null, unreadable or unterminated pointer gives "nothing", never a fault. No read
// is a check followed by a plain copy: a page another thread frees between the two would fault
// inside a hook, where no C++ guard catches it. The copy itself is fault-proof (ReadProcessMemory
// on Windows; under Wine, a copy whose fault a vectored handler turns into "unreadable").
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

namespace tovalux {

// Copies `size` bytes at `address`; false (nothing usable) when any of them cannot be read.
bool readHostBytes(const void* address, void* out, size_t size);

template <class T>
std::optional<T> readHostRecord(const void* address) {
  T record{};
  if (!readHostBytes(address, &record, sizeof record)) return std::nullopt;
  return record;
}

// The NUL-terminated text at `text`, at most `capBytes` bytes (cut on a GBK character boundary);
// nullopt for null, LPSTR_TEXTCALLBACKA, an unreadable address, or a text that runs into
// unreadable memory before its NUL.
std::optional<std::string> readHostText(const char* text, size_t capBytes);

// The texts the router copies for a mirror are at most this long (a tree or list item holds
// 260; an output line may be long).
inline constexpr size_t kMirrorTextCap = 1u << 20;

}  // namespace tovalux
