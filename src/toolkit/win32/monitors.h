// The monitors' work areas (a monitor less its taskbar): where pop-ups and tooltips are kept,
// where a centred window opens and what a maximised one covers. Only asks the system, so any
// thread may call it.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace tovalux::tk::win32 {

// The monitor's whole rectangle (rcMonitor) and work area (rcWork); nothing when the system
// cannot say (the monitor went away).
std::optional<MONITORINFO> monitorInfo(HMONITOR monitor);
// The work area of the monitor nearest `point` (screen coordinates).
std::optional<RECT> workAreaAt(POINT point);
// Every monitor's work area, the primary monitor's first; empty when the system cannot say.
std::vector<RECT> workAreas();

}  // namespace tovalux::tk::win32
