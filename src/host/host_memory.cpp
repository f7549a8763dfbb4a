#include "host/host_memory.h"

#include <cstring>
#include <string_view>

#include "base/gbk_scan.h"

namespace tovalux {
namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// How many bytes from `address` on lie in the readable region that holds it; 0 when unreadable.
size_t readableRun(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(address, &info, sizeof info) != sizeof info) return 0;
  if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 || (info.Protect & kReadable) == 0)
    return 0;
  const auto end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
  return end - reinterpret_cast<uintptr_t>(address);
}

}  // namespace

bool readHostBytes(const void* address, void* out, size_t size) {
  if (address == nullptr || out == nullptr) return false;
  const auto* from = static_cast<const uint8_t*>(address);
  auto* to = static_cast<uint8_t*>(out);
  while (size > 0) {
    const size_t run = readableRun(from);
    if (run == 0) return false;
    const size_t take = run < size ? run : size;
    std::memcpy(to, from, take);
    from += take;
    to += take;
    size -= take;
  }
  return true;
}

std::optional<std::string> readHostText(const char* text, size_t capBytes) {
  // LPSTR_TEXTCALLBACKA is (LPSTR)-1: the control asks its parent for the text later.
  if (text == nullptr || text == LPSTR_TEXTCALLBACKA) return std::nullopt;
  std::string out;
  const char* at = text;
  while (out.size() < capBytes) {
    const size_t run = readableRun(at);
    if (run == 0) return std::nullopt;
    const size_t take = run < capBytes - out.size() ? run : capBytes - out.size();
    if (const void* end = std::memchr(at, 0, take)) {
      out.append(at, static_cast<const char*>(end) - at);
      return out;
    }
    out.append(at, take);
    at += take;
  }
  out.resize(gbkSafeCut(out, capBytes));
  return out;
}

}  // namespace tovalux
