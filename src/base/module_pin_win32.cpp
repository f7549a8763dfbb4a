#include <windows.h>

#include <atomic>

#include "base/module_pin.h"

namespace tovalux {
namespace {
std::atomic<bool> gPinned{false};
}  // namespace

bool pinThisModule() noexcept {
  if (gPinned.load()) return true;
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN;
  if (GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&pinThisModule), &module)) gPinned.store(true);
  return gPinned.load();
}

bool thisModulePinned() noexcept { return gPinned.load(); }

}  // namespace tovalux
