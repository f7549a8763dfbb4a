// The window layout between sessions: the file is read once per start-up (the frame takes its
// place from it when it is made, the panes their arrangement once every pane Part has built its
// view), the live arrangement is saved at shut-down, and the menu's reset puts the start-up
// arrangement back.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/files.h"
#include "base/os_info.h"
#include "host/host_paths.h"
#include "shell/layout_dock.h"
#include "shell/part.h"
#include "shell/shell_internal.h"
#include "toolkit/win32/monitors.h"

namespace tovalux {

using namespace shell_detail;

namespace {

// The file as read at this start-up; read on first use, forgotten at shut-down. UI thread only.
struct Pending {
  bool read = false;
  layout::ReadLayout layout;
};
Pending gPending;

const layout::ReadLayout& pendingLayout() {
  if (!gPending.read) {
    gPending.read = true;
    gPending.layout = layout::readLayout(readFileBytes(layoutFilePath()), layout::defaultDock());
    if (const std::string line = layout::problemLine(gPending.layout.problems); !line.empty()) logToNotepad(line);
  }
  return gPending.layout;
}

layout::Rect fromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::vector<layout::Rect> workAreas() {
  std::vector<layout::Rect> areas;
  for (const RECT& area : tk::win32::workAreas()) areas.push_back(fromRect(area));
  return areas;
}

layout::PaneHandles paneHandles() { return layout::PaneHandles(parts().panes); }

// Where undocking is refused (Windows 10 only), no pane comes back floating either; nor does one
// whose window would be off every screen.
layout::DockState forThisSystem(layout::DockState dock) {
  if (!isWindows10()) return layout::withoutFloating(std::move(dock));
  const std::vector<layout::Rect> areas = workAreas();
  return layout::dockUnreachableFloats(std::move(dock), areas);
}

// Arranges the frame's panes as `wanted` says; nothing changes when they already are.
void applyDock(const layout::DockState& wanted) {
  const HWINDOW frame = shellFrame();
  XDockLayout live;
  if (frame == 0 || !XFrameWnd_GetDockLayout(frame, &live)) return;
  if (layout::fromToolkit(live, paneHandles()) == wanted) return;
  const XDockLayout target = layout::toToolkit(wanted, paneHandles());
  XFrameWnd_SetDockLayout(frame, &target);
}

void restoreLayout() { applyDock(forThisSystem(pendingLayout().dock)); }

// The frame's normal rectangle (where it goes back to from maximised or minimised), whether it
// is maximised, and the work area of its monitor.
std::optional<layout::FramePlace> liveFramePlace() {
  HWND frame = shellFrameHwnd();
  if (frame == nullptr) return std::nullopt;
  layout::FramePlace place;
  RECT r{};
  if (IsZoomed(frame) || IsIconic(frame)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(frame, &placement)) return std::nullopt;
    r = placement.rcNormalPosition;
    // Workspace coordinates: they start at the primary monitor's work area, not at its corner.
    if (auto primary = tk::win32::monitorInfo(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)))
      OffsetRect(&r, primary->rcWork.left - primary->rcMonitor.left, primary->rcWork.top - primary->rcMonitor.top);
    place.maximized = IsZoomed(frame) || (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
  } else if (!GetWindowRect(frame, &r)) {
    return std::nullopt;
  }
  place.rect = fromRect(r);
  if (auto monitor = tk::win32::monitorInfo(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST)))
    place.monitor = fromRect(monitor->rcWork);
  return place;
}

bool folderExists(const std::string& file) {
  const size_t slash = file.find_last_of('\\');
  if (slash == std::string::npos) return false;
  const DWORD attributes = GetFileAttributesA(file.substr(0, slash).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void saveLayout() {
  gPending = {};  // the next start-up reads the file afresh
  const HWINDOW frame = shellFrame();
  XDockLayout live;
  if (frame == 0 || !XFrameWnd_GetDockLayout(frame, &live)) return;
  const std::string path = layoutFilePath();
  const std::string text = layout::layoutText(layout::fromToolkit(live, paneHandles()), liveFramePlace());
  // Without the plug-in's folder there is nowhere to keep it (as for the settings file).
  if (!saveFileAtomically(path, text) && folderExists(path))
    logToNotepad("Tovalux: Layout.json: the layout could not be saved");
}

}  // namespace

std::string layoutFilePath() { return hostPath("lib\\Tovalux\\Layout.json"); }

void resetWindowLayout() { applyDock(layout::defaultDock()); }

namespace shell_detail {

std::optional<layout::FramePlacement> savedFramePlacement() {
  const layout::ReadLayout& read = pendingLayout();
  if (!read.frame) return std::nullopt;
  const std::vector<layout::Rect> areas = workAreas();
  return layout::placeFrame(*read.frame, areas);
}

}  // namespace shell_detail

const Part kLayoutPart{.name = "window layout", .build = &restoreLayout, .tearDown = &saveLayout};

}  // namespace tovalux
