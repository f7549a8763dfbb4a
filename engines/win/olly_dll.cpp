// olly.dll: the OllyDbg disassembler library's exports over our decoder.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "tovalux/x86/olly.h"

namespace {
// The library's option globals: zero until VB_SetOptions. One atomic value, so a Disasm on
// another thread sees the flags of one VB_SetOptions call, never a mix of two.
std::atomic<tovalux::olly::Options> g_options{};
static_assert(std::atomic<tovalux::olly::Options>::is_always_lock_free);

// The order a caller drives the library in, for tests: with TOVALUX_ENGINE_LOG naming a file,
// each VB_SetOptions call and the first Disasm of the process append a line to it.
void recordCall(const char* what) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("TOVALUX_ENGINE_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[128];
  const int n = std::snprintf(line, sizeof line, "%lu %s\r\n", GetCurrentProcessId(), what);
  DWORD written = 0;
  if (n > 0) WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
}
std::atomic<bool> g_disasmRecorded{false};
}  // namespace

extern "C" {

uint32_t __stdcall Disasm(char* src, uint32_t srcsize, uint32_t srcip, tovalux::olly::TDisasm* disasm, int disasmmode) {
  if (!g_disasmRecorded.exchange(true)) recordCall("Disasm");
  const tovalux::olly::Options options = g_options.load(std::memory_order_relaxed);
  return tovalux::olly::disasm(reinterpret_cast<const uint8_t*>(src), srcsize, srcip, disasm, disasmmode, options);
}

// Any non-zero value switches a flag on: VB callers that pass an argument by reference send
// its address.
void __stdcall VB_SetOptions(int isIdeal, int isLower, int DoTabs, int DispSeg) {
  char call[64];
  std::snprintf(call, sizeof call, "VB_SetOptions %d %d %d %d", isIdeal, isLower, DoTabs, DispSeg);
  recordCall(call);
  g_options.store({isIdeal != 0, isLower != 0, DoTabs != 0, DispSeg != 0}, std::memory_order_relaxed);
}

}  // extern "C"
