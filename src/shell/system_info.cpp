// The operating-system and elevation checks the frame shows and uses.
#include <windows.h>

#include <mutex>

#include "shell/shell_internal.h"

namespace tovalux {

namespace {

// Until the WMI caption reader lands in base, the caption is formed from the version the system
// reports ("Windows 10" for 10.0, as WMI words it).
std::string systemCaption() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto getVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (getVersion == nullptr || getVersion(&info) != 0) return {};
  if (info.dwMajorVersion == 10) return "Microsoft Windows 10";
  if (info.dwMajorVersion == 6 && info.dwMinorVersion == 1) return "Microsoft Windows 7";
  return "Microsoft Windows";
}

}  // namespace

bool isWindows10() {
  static std::once_flag once;
  static bool answer = false;
  std::call_once(once, [] { answer = shell_rules::captionNamesWindows10(systemCaption()); });
  return answer;
}

bool isElevated() {
  if (!shell_rules::versionHasElevation(GetVersion())) return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD returned = 0;
  const bool read = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &returned) != FALSE;
  CloseHandle(token);
  return read && returned == sizeof elevation && elevation.TokenIsElevated != 0;
}

}  // namespace tovalux
