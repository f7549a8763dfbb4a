#include "host/host_memory.h"

#include <cstring>
#include <string_view>

#include "base/gbk_scan.h"

namespace tovalux {
namespace {

// The system's page size (4 KiB on every Windows this runs on): reads never cross a page inside
// one call, so a page that went away ends the read exactly there.
constexpr uintptr_t kPage = 4096;

// Whether every page of [address, address + size) is committed and readable now. Wine serves
// ReadProcessMemory on its own process from /proc/PID/mem, which reads reserved and no-access
// pages too, so its copy alone cannot tell them from text there.
bool pagesReadable(uintptr_t address, size_t size) {
  const uintptr_t end = address + size;
  if (end < address) return false;
  while (address < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) != sizeof info) return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0 || (info.Protect & kReadable) == 0) return false;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (regionEnd <= address) return false;
    address = regionEnd;
  }
  return true;
}

// Copies what lies at [address, address + size) in this process with ReadProcessMemory, which
// fails where a page is missing or unreadable instead of raising an access violation. No check
// comes before the copy: another thread may free the memory at any moment, and only the copy can
// tell. The check after it is for Wine, whose copy succeeds on pages that are gone (pages still
// there after the copy were there during it); Windows' own copy fails there, so the hooks' hot
// path pays no second system call on Windows.
bool copyOwnMemory(const void* address, void* out, size_t size) {
  static const bool copyReadsGonePages = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  SIZE_T read = 0;
  if (ReadProcessMemory(GetCurrentProcess(), address, out, size, &read) == FALSE || read != size) return false;
  return !copyReadsGonePages || pagesReadable(reinterpret_cast<uintptr_t>(address), size);
}

}  // namespace

bool readHostBytes(const void* address, void* out, size_t size) {
  if (address == nullptr || out == nullptr) return false;
  if (size == 0) return true;
  return copyOwnMemory(address, out, size);
}

std::optional<std::string> readHostText(const char* text, size_t capBytes) {
  // LPSTR_TEXTCALLBACKA is (LPSTR)-1: the control asks its parent for the text later.
  if (text == nullptr || text == LPSTR_TEXTCALLBACKA) return std::nullopt;
  std::string out;
  auto at = reinterpret_cast<uintptr_t>(text);
  char piece[kPage];
  while (out.size() < capBytes) {
    // Up to the end of the page (a NUL may end the text just before an unreadable one).
    const size_t toPageEnd = static_cast<size_t>(kPage - (at % kPage));
    const size_t take = toPageEnd < capBytes - out.size() ? toPageEnd : capBytes - out.size();
    if (!copyOwnMemory(reinterpret_cast<const void*>(at), piece, take)) return std::nullopt;
    if (const void* end = std::memchr(piece, 0, take)) {
      out.append(piece, static_cast<const char*>(end) - piece);
      return out;
    }
    out.append(piece, take);
    at += take;
  }
  // The byte after the cap tells whether the last character runs across it; a text that ends
  // exactly at an unreadable page has no such byte.
  char next = '\0';
  if (copyOwnMemory(reinterpret_cast<const void*>(at), &next, 1) && next != '\0') out.push_back(next);
  out.resize(gbkSafeCut(out, capBytes));
  return out;
}

}  // namespace tovalux
