#include "toolkit/win32/monitors.h"

namespace tovalux::tk::win32 {

std::optional<MONITORINFO> monitorInfo(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return std::nullopt;
  return info;
}

std::optional<RECT> workAreaAt(POINT point) {
  auto info = monitorInfo(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
  if (!info) return std::nullopt;
  return info->rcWork;
}

}  // namespace tovalux::tk::win32
