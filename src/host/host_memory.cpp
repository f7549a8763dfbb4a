#include "host/host_memory.h"

#include <cstring>
#include <string_view>

#include "base/gbk_scan.h"

namespace tovalux {
namespace {

// The system's page size (4 KiB on every Windows this runs on): reads never cross a page inside
// one call, so a page that went away ends the read exactly there.
constexpr uintptr_t kPage = 4096;

// Whether [address, address + size) lies in this thread's stack above the caller's frame: those
// pages are committed and no guard page is among them (the guard sits below the lowest frame).
// The host's TVINSERTSTRUCT, LVITEMA and short texts are locals of the code that sent them, so
// most reads need no VirtualQuery, which under Wine is a system call.
bool onOwnStackAboveHere(uintptr_t address, size_t size) {
#if defined(__i386__)
  const NT_TIB* tib;  // NtCurrentTeb's intrinsic draws an array-bounds warning from GCC 12
  asm("movl %%fs:0x18, %0" : "=r"(tib));
#else
  const auto* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
#endif
  volatile char here = 0;
  const auto low = reinterpret_cast<uintptr_t>(&here);
  const auto base = reinterpret_cast<uintptr_t>(tib->StackBase);
  // Code running on a stack the thread block does not describe gets the full check.
  if (low < reinterpret_cast<uintptr_t>(tib->StackLimit) || low >= base) return false;
  return address >= low && address < base && size <= base - address;
}

// Whether every page of [address, address + size) is committed and readable now. Wine serves
// ReadProcessMemory on its own process from /proc/PID/mem, which reads reserved and no-access
// pages too, so its copy alone cannot tell them from text there.
bool pagesReadable(uintptr_t address, size_t size) {
  const uintptr_t end = address + size;
  if (end < address) return false;
  if (onOwnStackAboveHere(address, size)) return true;
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

#if defined(__i386__)
// A copy that cannot kill the process: `rep movsb` at a known address, and a vectored handler
// that, when that one instruction faults, resumes at the landing, which answers 0. Wine serves
// ReadProcessMemory on its own process through the wine server (tens of microseconds a call,
// paid by every host insert the router copies); this costs a plain copy.
extern "C" int tovalux_fault_safe_copy(void* out, const void* from, size_t size);
extern "C" char tovalux_fault_safe_copy_at[];
extern "C" char tovalux_fault_safe_copy_landing[];
asm(R"(
    .text
    .globl _tovalux_fault_safe_copy
    .globl _tovalux_fault_safe_copy_at
    .globl _tovalux_fault_safe_copy_landing
_tovalux_fault_safe_copy:
    pushl %esi
    pushl %edi
    movl 12(%esp), %edi
    movl 16(%esp), %esi
    movl 20(%esp), %ecx
    cld
_tovalux_fault_safe_copy_at:
    rep movsb
    popl %edi
    popl %esi
    movl $1, %eax
    ret
_tovalux_fault_safe_copy_landing:
    popl %edi
    popl %esi
    xorl %eax, %eax
    ret
)");

LONG CALLBACK resumeFaultedCopy(EXCEPTION_POINTERS* fault) {
  const DWORD code = fault->ExceptionRecord->ExceptionCode;
  if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_IN_PAGE_ERROR && code != STATUS_GUARD_PAGE_VIOLATION)
    return EXCEPTION_CONTINUE_SEARCH;
  if (fault->ContextRecord->Eip != reinterpret_cast<DWORD>(tovalux_fault_safe_copy_at))
    return EXCEPTION_CONTINUE_SEARCH;
  fault->ContextRecord->Eip = reinterpret_cast<DWORD>(tovalux_fault_safe_copy_landing);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Installed at the first read, first in the chain (a handler of the host's must not see a fault
// that is ours), and removed when the library goes, so that no handler points into freed code.
struct FaultedCopyHandler {
  PVOID handle = AddVectoredExceptionHandler(1, &resumeFaultedCopy);
  FaultedCopyHandler() = default;
  FaultedCopyHandler(const FaultedCopyHandler&) = delete;
  FaultedCopyHandler& operator=(const FaultedCopyHandler&) = delete;
  ~FaultedCopyHandler() {
    if (handle) RemoveVectoredExceptionHandler(handle);
  }
};
#endif

// Copies what lies at [address, address + size) in this process so that no fault can come of
// it. On Windows ReadProcessMemory does that in one system call. Wine's copies through the wine
// server, slowly, and succeeds on pages that are gone; there the pages are checked (which also
// keeps guard pages, another thread's stack growth, untouched) and the copy is one that a fault
// ends with "unreadable": another thread may free the memory between the check and the copy.
bool copyOwnMemory(const void* address, void* out, size_t size) {
  static const bool onWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#if defined(__i386__)
  if (onWine) {
    static const FaultedCopyHandler handler;
    if (handler.handle != nullptr) {
      if (!pagesReadable(reinterpret_cast<uintptr_t>(address), size)) return false;
      return tovalux_fault_safe_copy(out, address, size) != 0;
    }
  }
#endif
  SIZE_T read = 0;
  if (ReadProcessMemory(GetCurrentProcess(), address, out, size, &read) == FALSE || read != size) return false;
  return !onWine || pagesReadable(reinterpret_cast<uintptr_t>(address), size);
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
