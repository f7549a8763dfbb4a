#include "toolkit/win32/dpi.h"

#include "base/win32_handles.h"

namespace tovalux::tk::win32 {

namespace {

// Awareness contexts and hosting behaviours as winuser.h numbers them (older SDKs lack them).
const auto kPerMonitorAwareV2 = reinterpret_cast<void*>(static_cast<intptr_t>(-4));
constexpr int kHostingMixed = 1;

struct DpiCalls {
  UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
  UINT(WINAPI* dpiForSystem)() = nullptr;
  void*(WINAPI* setThreadContext)(void*) = nullptr;
  int(WINAPI* setThreadHosting)(int) = nullptr;
  DpiCalls() {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (user == nullptr) return;
    dpiForWindow = reinterpret_cast<decltype(dpiForWindow)>(GetProcAddress(user, "GetDpiForWindow"));
    dpiForSystem = reinterpret_cast<decltype(dpiForSystem)>(GetProcAddress(user, "GetDpiForSystem"));
    setThreadContext =
        reinterpret_cast<decltype(setThreadContext)>(GetProcAddress(user, "SetThreadDpiAwarenessContext"));
    setThreadHosting =
        reinterpret_cast<decltype(setThreadHosting)>(GetProcAddress(user, "SetThreadDpiHostingBehavior"));
  }
};

const DpiCalls& calls() {
  static const DpiCalls found;
  return found;
}

int gMeasuringDpi = 0;

}  // namespace

int systemDpi() {
  if (calls().dpiForSystem != nullptr)
    if (const UINT dpi = calls().dpiForSystem(); dpi > 0) return static_cast<int>(dpi);
  WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kBaseDpi;
  return dpi > 0 ? dpi : kBaseDpi;
}

int windowDpi(HWND hwnd) {
  if (hwnd == nullptr) return kBaseDpi;
  if (calls().dpiForWindow != nullptr)
    if (const UINT dpi = calls().dpiForWindow(hwnd); dpi > 0) return static_cast<int>(dpi);
  return systemDpi();
}

bool perMonitorWindows() { return calls().setThreadContext != nullptr && calls().setThreadHosting != nullptr; }

PerMonitorScope::PerMonitorScope() {
  if (!perMonitorWindows()) return;
  const DWORD lastError = GetLastError();
  oldHosting_ = calls().setThreadHosting(kHostingMixed);
  oldContext_ = calls().setThreadContext(kPerMonitorAwareV2);
  active_ = oldContext_ != nullptr;
  if (!active_ && oldHosting_ >= 0) calls().setThreadHosting(oldHosting_);
  SetLastError(lastError);
}

PerMonitorScope::~PerMonitorScope() {
  if (!active_) return;
  const DWORD lastError = GetLastError();
  calls().setThreadContext(oldContext_);
  if (oldHosting_ >= 0) calls().setThreadHosting(oldHosting_);
  SetLastError(lastError);
}

Scale measuringScale() { return Scale(gMeasuringDpi > 0 ? gMeasuringDpi : (gMeasuringDpi = systemDpi())); }

void setMeasuringScale(Scale scale) { gMeasuringDpi = scale.dpi(); }

void forgetMeasuringScale() { gMeasuringDpi = 0; }

}  // namespace tovalux::tk::win32
