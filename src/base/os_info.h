// What the shell asks about the operating system: the WMI caption (Windows 10 decides layering,
// pane docking and transparency) and whether the process runs elevated.
#pragma once

#include <string>

namespace tovalux {

// Win32_OperatingSystem.Caption as GBK, e.g. "Microsoft Windows 10 Pro". Asked of WMI once per
// process (the first caller pays for the connection; later calls answer the stored text); empty
// when WMI could not answer. Safe from any thread.
const std::string& osCaption();

// The caption contains "Windows 10".
bool isWindows10();

// How many times this process connected to WMI (a test checks it stays at 1).
int wmiConnectCount();

// The process token's elevation, or the override a test set. Wine always reports elevated.
bool processIsElevated();
enum class ElevationOverride { kNone, kElevated, kNotElevated };
void setElevationOverride(ElevationOverride value);

}  // namespace tovalux
