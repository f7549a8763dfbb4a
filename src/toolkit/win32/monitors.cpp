#include "toolkit/win32/monitors.h"

#include <algorithm>

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

namespace {

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM into) {
  if (auto info = monitorInfo(monitor)) reinterpret_cast<std::vector<MONITORINFO>*>(into)->push_back(*info);
  return TRUE;
}

}  // namespace

std::vector<RECT> workAreas() {
  std::vector<MONITORINFO> found;
  EnumDisplayMonitors(nullptr, nullptr, &collectMonitor, reinterpret_cast<LPARAM>(&found));
  std::stable_partition(found.begin(), found.end(),
                        [](const MONITORINFO& info) { return (info.dwFlags & MONITORINFOF_PRIMARY) != 0; });
  std::vector<RECT> areas;
  for (const MONITORINFO& info : found) areas.push_back(info.rcWork);
  return areas;
}

}  // namespace tovalux::tk::win32
