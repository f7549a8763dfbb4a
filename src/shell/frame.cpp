// The frame window: creation, its handlers, keeping the host main window over the code view,
// closing from the frame, and the current project path.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "base/gbk.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/ui_jobs.h"
#include "settings/settings.h"
#include "shell/descriptors.h"
#include "shell/part.h"
#include "shell/shell_internal.h"

namespace tovalux {

using namespace shell_detail;

namespace shell_detail {

FrameParts& parts() {
  static FrameParts instance;
  return instance;
}

HXCGUI named(const char* name) { return XC_GetObjectByName(gbkToUtf16<XChar>(name).c_str()); }

bool isEdge(HXCGUI element) {
  const FrameParts& p = parts();
  return element != 0 && (element == p.top || element == p.left || element == p.right || element == p.bottom);
}

HWND hostMainWindow() {
  HWND window = getHostMainWindow();
  return handleValue(window) >= 1 ? window : nullptr;
}

}  // namespace shell_detail

namespace {

constexpr char kFrameTitle[] = "易语言 - Tovalux IDE";
constexpr char kExitQuestion[] = "你确定退出并关闭易语言吗?";
constexpr char kFrameCloseTitle[] = "Tovalux 提示";
constexpr char kButtonCloseTitle[] = "提示";
constexpr char kNoFeedbackAddressTip[] = "未设置反馈地址 (Tovalux.ini [Help] FeedbackUrl)";
constexpr char kAdministrator[] = "管理员";
constexpr char kNotAdministrator[] = "非管理员";
constexpr int kWindowStyleFrame = 47;

std::atomic<bool> gDarkTheme{false};

struct Counters {
  std::atomic<uint32_t> moves{0}, syncs{0}, undockRefusals{0}, closeRequests{0}, refusedCloses{0};
};
Counters gCounters;

HWINDOW gAuxiliary = 0;

// The frame's native window, for threads other than the UI thread: the toolkit, which knows it
// too, may be asked on the UI thread only. Set when the frame is made, cleared as it closes.
std::atomic<HWND> gFrameWindow{nullptr};

// The size of the screen area all monitors cover together.
shell_rules::Size virtualScreen() {
  return {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The host main window's rectangle in its parent's client coordinates.
RECT placeInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HWND parent = GetParent(window);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void keepTipWindowInCorner() {
  HWINDOW (*source)() = peers().updateTipWindow;
  if (source == nullptr || !shellExists()) return;
  HWINDOW tip = source();
  if (!XC_IsHWINDOW(tip)) return;
  RECT frame{};
  if (!GetWindowRect(shellFrameHwnd(), &frame)) return;
  // The tip's size and its distance from the corner are units of the frame.
  XWnd_DeviceToUnits(parts().frame, &frame);
  const shell_rules::Placement place = shell_rules::tipWindowPlacement(frame.right, frame.bottom);
  RECT r{place.x, place.y, place.x + place.width, place.y + place.height};
  XWnd_UnitsToDevice(parts().frame, &r);
  MoveWindow(XWnd_GetHWND(tip), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

// Focus on the frame goes on to the host's active code page, unless the mouse is over the
// frame itself (a click on the frame's own elements keeps it).
void handFocusToActivePage() {
  if (!shellExists()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  if (WindowFromPoint(cursor) == shellFrameHwnd()) return;
  HWND mdiClient = hostWindows().mdiClient();
  if (mdiClient == nullptr) return;
  HWND active = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
  if (active != nullptr && IsWindow(active)) SendMessageA(active, WM_SETFOCUS, 0, 0);
}

void saveFrameSize() {
  if (!shellExists()) return;
  RECT r{};
  if (!GetWindowRect(shellFrameHwnd(), &r)) return;
  writeWindowSizeSetting({r.right - r.left, r.bottom - r.top});
}

void openProjectFolder() {
  const std::string path = currentProjectPath();
  if (!path.empty()) selectInExplorer(path);
}

void registerFrameHandlers(HWINDOW frame) {
  XWnd_RegEventC(frame, WM_CLOSE, [](WPARAM, LPARAM, bool* handled) {
    *handled = true;  // the frame never closes itself: the host's close takes it down
    if (confirmExit(kFrameCloseTitle)) closeFromFrame();
    return 0;
  });
  XWnd_RegEventC(frame, WM_SIZE, [](WPARAM, LPARAM, bool*) {
    keepTipWindowInCorner();
    return 0;
  });
  XWnd_RegEventC(frame, WM_MOVE, [](WPARAM, LPARAM, bool*) {
    keepTipWindowInCorner();
    return 0;
  });
  XWnd_RegEventC(frame, WM_SETFOCUS, [](WPARAM, LPARAM, bool*) {
    handFocusToActivePage();
    return 0;
  });
  XWnd_RegEventC(frame, XWM_FLOAT_PANE, [](HWINDOW window, HELE pane, bool*) { return onPaneFloated(window, pane); });
  XWnd_RegEventC(frame, XWM_DOCK_LAYOUT_CHANGE, [](bool*) {
    styleTabBars();
    return 0;
  });
  XWnd_RegEventC(frame, WM_EXITSIZEMOVE, [](WPARAM, LPARAM, bool*) {
    saveFrameSize();
    return 0;
  });
}

void registerElementHandlers() {
  FrameParts& p = parts();
  if (XC_IsHELE(p.codeView))
    XEle_RegEventC(p.codeView, XE_SIZE, [](bool*) {
      syncHostWindow();
      return 0;
    });
  HXCGUI projectButton = named("proJectNameBtn");
  if (XC_IsHXCGUI(projectButton, XC_BUTTON))
    XEle_RegEventC(projectButton, XE_BNCLICK, [](bool*) {
      openProjectFolder();
      return 0;
    });
  HXCGUI groupButton = named("JoinQQGroup");
  if (XC_IsHXCGUI(groupButton, XC_BUTTON)) {
    XEle_RegEventC(groupButton, XE_BNCLICK, [](bool*) {
      if (const std::string address = feedbackAddress(); !address.empty()) openInBrowser(address);
      return 0;
    });
    // With no address set the button stays, disabled, and says why.
    if (feedbackAddress().empty()) {
      XEle_Enable(groupButton, false);
      XEle_SetToolTip(groupButton, gbkToUtf16<XChar>(kNoFeedbackAddressTip).c_str());
    }
  }
  // Maximise and restore are the button's own role in the layout.
  HXCGUI maxButton = named("winMax");
  if (XC_IsHXCGUI(maxButton, XC_BUTTON)) XEle_RegEventC(maxButton, XE_BNCLICK, [](bool*) { return 0; });
  HXCGUI closeButton = named("winClose");
  if (XC_IsHXCGUI(closeButton, XC_BUTTON))
    XEle_RegEventC(closeButton, XE_BNCLICK, [](bool* handled) {
      *handled = true;
      if (confirmExit(kButtonCloseTitle)) closeFromFrame();
      return 0;
    });
}

// After the host handled the WM_CLOSE we posted: a host that is still there refused to close
// (its save question was cancelled), so its window goes back into the frame.
void takeBackRefusedHost(HWND host) {
  if (!shellRunning() || !shellExists() || !IsWindow(host)) return;
  if (GetParent(host) == shellFrameHwnd()) return;
  if (!attachWindow(shellFrameHwnd(), host, 0, 0)) return;
  gCounters.refusedCloses++;
  syncHostWindow();
}

}  // namespace

HWINDOW shellFrame() { return XC_IsHWINDOW(parts().frame) ? parts().frame : 0; }
bool shellExists() { return XC_IsHWINDOW(parts().frame); }
HWND shellFrameHwnd() { return shellExists() ? XWnd_GetHWND(parts().frame) : nullptr; }
HWND shellFrameHwndAnyThread() { return gFrameWindow.load(std::memory_order_acquire); }
HXCGUI frameElement(std::string_view name) { return shellExists() ? named(std::string(name).c_str()) : 0; }

bool darkTheme() { return gDarkTheme.load(); }
void setDarkTheme(bool dark) { gDarkTheme.store(dark); }

bool createFrame() {
  if (shellExists()) return true;
  FrameParts& p = parts();
  p = FrameParts{};

  // The stored size is the screen's pixels (as the frame measured it), the default a 96-dpi
  // size; the frame takes units, and neither may outgrow the screen.
  const std::optional<WindowSize> stored = storedWindowSize();
  const shell_rules::Size screen = virtualScreen();
  RECT units{0, 0, screen.width, screen.height};
  if (stored) {
    const shell_rules::Size size = shell_rules::frameSizeFromSettings(stored->width, stored->height, screen);
    units = {0, 0, size.width, size.height};
    XWnd_DeviceToUnits(0, &units);
  } else {
    XWnd_DeviceToUnits(0, &units);
    const shell_rules::Size size = shell_rules::frameSizeFromSettings(0, 0, {units.right, units.bottom});
    units = {0, 0, size.width, size.height};
  }
  p.frame = XFrameWnd_CreateEx(0, L"Tovalux", gbkToUtf16<XChar>(kFrameTitle).c_str(), 0, 0, 0, units.right,
                               units.bottom, nullptr, kWindowStyleFrame);
  if (!XC_IsHWINDOW(p.frame)) return false;
  gFrameWindow.store(XWnd_GetHWND(p.frame), std::memory_order_release);
  XWnd_SetMinimumSize(p.frame, shell_rules::kMinimumFrameSize, shell_rules::kMinimumFrameSize);
  // The place the layout file kept, before the frame is shown.
  const std::optional<layout::FramePlacement> place = savedFramePlacement();
  if (place) {
    RECT device{place->rect.left, place->rect.top, place->rect.right, place->rect.bottom};
    XWnd_DeviceToUnits(p.frame, &device);
    const XRect rect{device.left, device.top, device.right, device.bottom};
    XWnd_SetRect(p.frame, &rect);
  }
  if (isWindows10()) {
    XWnd_SetTransparentType(p.frame, 2);
    XWnd_SetTransparentAlpha(p.frame, 255);
  }

  const bool caption = captionSetting();  // an empty value is written back as "true"
  p.top = XC_LoadLayout(themeFile(caption ? "LayoutWindowTop3.xml" : "LayoutWindowTop2.xml").c_str(), p.frame);
  XWnd_SetLayoutSize(p.frame, shell_rules::kFrameSideMargin, shell_rules::frameTopMargin(caption),
                     shell_rules::kFrameSideMargin, shell_rules::kFrameBottomMargin);

  HXCGUI userType = named("userType");
  if (XC_IsHXCGUI(userType, XC_BUTTON))
    XBtn_SetText(userType, gbkToUtf16<XChar>(isElevated() ? kAdministrator : kNotAdministrator).c_str());

  p.left = XC_LoadLayout(themeFile("LayoutWindowLeft.xml").c_str(), p.frame);
  p.right = XC_LoadLayout(themeFile("LayoutWindowRight.xml").c_str(), p.frame);
  p.bottom = XC_LoadLayout(themeFile("LayoutWindowBottom.xml").c_str(), p.frame);
  if (XC_IsHELE(p.top)) XWnd_BindLayoutEle(p.frame, bind_top, p.top);
  if (XC_IsHELE(p.left)) XWnd_BindLayoutEle(p.frame, bind_left, p.left);
  if (XC_IsHELE(p.right)) XWnd_BindLayoutEle(p.frame, bind_right, p.right);
  if (XC_IsHELE(p.bottom)) XWnd_BindLayoutEle(p.frame, bind_bottom, p.bottom);

  HXCGUI view = XC_LoadLayout(themeFile("ViewMainLayout.xml").c_str(), p.frame);
  if (XC_IsHELE(view)) XFrameWnd_SetView(p.frame, view);
  p.codeView = named("eCodeView");
  p.mainView = named("codeMainView");

  applyFrameLook(false);
  buildPaneTable();
  if (darkTheme()) {
    XFrameWnd_SetPaneSplitBarColor(p.frame, XRes_GetColor(L"ID_COLOR_WinBg"), 255);
    applyPaneLook();
    styleTabBars();
  }
  if (const auto build = peers().buildToolBars) build();
  if (const auto build = peers().buildMainMenu) build();

  XWnd_AdjustLayout(p.frame);
  XWnd_ShowWindow(p.frame, place && place->maximized ? SW_SHOWMAXIMIZED : SW_SHOW);
  registerFrameHandlers(p.frame);
  registerElementHandlers();
  return true;
}

void syncHostWindow() {
  const FrameParts& p = parts();
  if (!XC_IsHELE(p.codeView) || !shellExists()) return;
  HWND host = hostMainWindow();
  if (host == nullptr || GetParent(host) != shellFrameHwnd()) return;
  gCounters.syncs++;
  RECT target{};
  XEle_GetClientRect(p.codeView, &target);
  XEle_RectClientToWndClient(p.codeView, &target);
  // The host's window draws itself in device pixels: it gets the code view's place scaled.
  XWnd_UnitsToDevice(p.frame, &target);
  const int width = target.right - target.left, height = target.bottom - target.top;
  const RECT current = placeInParent(host);
  // Moving to where it already stands would still repaint it, and the host's paint re-fits it
  // (main-window subclass): only a real change moves it.
  if (current.left == target.left && current.top == target.top && current.right - current.left == width &&
      current.bottom - current.top == height)
    return;
  gCounters.moves++;
  MoveWindow(host, target.left, target.top, width, height, TRUE);
}

bool confirmExit(const std::string& title) {
  return askUser(shellFrameHwnd(), kExitQuestion, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void closeFromFrame() {
  // The exit question is modal: the host may have shut the shell down while it was open.
  if (!shellRunning() || !shellExists()) return;
  HWND host = hostMainWindow();
  if (host == nullptr) return;
  detachWindow(host, 0, 0);
  gCounters.closeRequests++;
  // Posted, not sent: the host answers WM_CLOSE with notification 6, which closes the frame and
  // the toolkit; that must not happen under the frame's own handler.
  if (!PostMessageA(host, WM_CLOSE, 0, 0)) {
    takeBackRefusedHost(host);
    return;
  }
  // Runs after the host's WM_CLOSE (posted messages keep their order); after a real close the
  // queue is closed and the job is dropped.
  postUiJob([host] { takeBackRefusedHost(host); });
}

std::string currentProjectPath() {
  HWND host = hostMainWindow();
  if (host == nullptr) return {};
  const LRESULT length = SendMessageA(host, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  const size_t capped = std::min<size_t>(static_cast<size_t>(length), shell_rules::kCaptionCap);
  std::string caption(capped + 1, '\0');
  const int got = GetWindowTextA(host, caption.data(), static_cast<int>(capped + 1));
  caption.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return shell_rules::projectPathFromCaption(caption, [](const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  });
}

void detachHostMainWindow() {
  HWND host = hostMainWindow();
  if (host == nullptr || !shellExists() || GetParent(host) != shellFrameHwnd()) return;
  detachWindow(host, 0, 0);
}

void closeFrame() {
  gFrameWindow.store(nullptr, std::memory_order_release);
  if (shellExists()) XWnd_CloseWindow(parts().frame);
  parts() = FrameParts{};
}

void createAuxiliaryWindow() {
  gAuxiliary = XWnd_CreateEx(0, L"Tovalux", L"Tovalux", 0, 0, 0, 501, 221, nullptr, kWindowStyleFrame);
  if (XC_IsHWINDOW(gAuxiliary)) XWnd_AdjustLayout(gAuxiliary);
}

void closeAuxiliaryWindow() {
  if (XC_IsHWINDOW(gAuxiliary)) XWnd_CloseWindow(gAuxiliary);
  gAuxiliary = 0;
}

namespace {
// Whether start-up set WS_EX_LAYERED on the host main window (and so shut-down clears it).
std::atomic<HWND> gLayeredHost{nullptr};
}  // namespace

void layerHostMainWindow() {
  HWND host = hostMainWindow();
  if (host == nullptr || !isWindows10()) return;
  const LONG exStyle = GetWindowLongA(host, GWL_EXSTYLE);
  // Or-ed in rather than toggled: a second start-up must not take the bit away again.
  if ((exStyle & WS_EX_LAYERED) == 0) {
    SetWindowLongA(host, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    gLayeredHost.store(host);
  }
  SetLayeredWindowAttributes(host, 0, 0, LWA_COLORKEY);
}

void unlayerHostMainWindow() {
  HWND host = gLayeredHost.exchange(nullptr);
  if (host == nullptr || !IsWindow(host)) return;
  SetWindowLongA(host, GWL_EXSTYLE, GetWindowLongA(host, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

ShellCounters shellCounters() {
  return {gCounters.moves.load(), gCounters.syncs.load(), gCounters.undockRefusals.load(),
          gCounters.closeRequests.load(), gCounters.refusedCloses.load()};
}

void resetShellCountersForTests() {
  gCounters.moves = 0;
  gCounters.syncs = 0;
  gCounters.undockRefusals = 0;
  gCounters.closeRequests = 0;
  gCounters.refusedCloses = 0;
}

namespace shell_detail {
void countUndockRefusal() { gCounters.undockRefusals++; }
}  // namespace shell_detail

}  // namespace tovalux
