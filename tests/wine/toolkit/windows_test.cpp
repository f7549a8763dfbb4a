// Real windows behind toolkit windows: class and styles, borderless frame hit-testing,
// minimum size, maximise and restore, closing with and without event 16, window messages
// reaching handlers first, layering, window alpha and the drop shadow.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/guard.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

using FrameWindow = ToolkitScreen;
using ToolkitWindow = ToolkitScreen;

RECT windowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// The windows below `window` in the z-order, nearest first, as "handle class" (for messages).
std::string windowsBelow(HWND window, int count = 4) {
  std::string out;
  for (HWND h = GetWindow(window, GW_HWNDNEXT); h != nullptr && count-- > 0; h = GetWindow(h, GW_HWNDNEXT)) {
    char line[96] = {}, name[64] = {};
    GetClassNameA(h, name, sizeof name);
    std::snprintf(line, sizeof line, "%p %s%s; ", static_cast<void*>(h), name, IsWindowVisible(h) ? "" : " (hidden)");
    out += line;
  }
  return out;
}

LRESULT hitTestAt(HWND window, POINT client) {
  POINT p = toScreen(window, client);
  return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

TEST_F(FrameWindow, IsABorderlessTopLevelWindowOfItsClass) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  ASSERT_TRUE(IsWindow(frame));
  wchar_t name[64] = {};
  GetClassNameW(frame, name, 64);
  EXPECT_STREQ(name, L"Tovalux");
  char ansiTitle[64] = {};
  GetWindowTextA(frame, ansiTitle, 64);
  EXPECT_STREQ(ansiTitle, "易语言 - Tovalux IDE");
  EXPECT_EQ(GetParent(frame), nullptr);
  const LONG style = GetWindowLongW(frame, GWL_STYLE);
  EXPECT_EQ(style & WS_CHILD, 0);
  EXPECT_EQ(style & WS_CAPTION, 0) << "the toolkit draws the caption";
  EXPECT_NE(style & WS_CLIPCHILDREN, 0) << "painting must leave native children alone";

  // The whole window is client area, and the toolkit's drawing rectangle is all of it.
  RECT window = windowRect(frame), client{};
  GetClientRect(frame, &client);
  EXPECT_EQ(client.right, window.right - window.left);
  EXPECT_EQ(client.bottom, window.bottom - window.top);
  RECT draw{};
  XWnd_GetDrawRect(g.frame, &draw);
  EXPECT_EQ(draw.right, client.right);
  EXPECT_EQ(draw.bottom, client.bottom);
  EXPECT_EQ(XEle_GetHWND(g.top), frame);

  // Style 47 centres the frame on its monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_NEAR((window.left + window.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

TEST_F(FrameWindow, EdgesResizeCaptionMovesControlsStayClickable) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  RECT c{};
  GetClientRect(frame, &c);
  const int midX = c.right / 2, midY = c.bottom / 2;
  EXPECT_EQ(hitTestAt(frame, {1, midY}), HTLEFT);
  EXPECT_EQ(hitTestAt(frame, {c.right - 2, midY}), HTRIGHT);
  EXPECT_EQ(hitTestAt(frame, {midX, 1}), HTTOP);
  EXPECT_EQ(hitTestAt(frame, {midX, c.bottom - 2}), HTBOTTOM);
  EXPECT_EQ(hitTestAt(frame, {2, 2}), HTTOPLEFT);
  EXPECT_EQ(hitTestAt(frame, {c.right - 3, 8}), HTTOPRIGHT);
  EXPECT_EQ(hitTestAt(frame, {4, c.bottom - 9}), HTBOTTOMLEFT);
  EXPECT_EQ(hitTestAt(frame, {c.right - 12, c.bottom - 12}), HTBOTTOMRIGHT) << "the resize grip";

  // The caption band moves the window from its empty parts and its title; its buttons, the
  // tool bars and everything below the band are controls.
  POINT title = centre(XC_GetObjectByName(L"winTitle"));
  EXPECT_EQ(hitTestAt(frame, title), HTCAPTION);
  EXPECT_EQ(hitTestAt(frame, centre(XC_GetObjectByName(L"winClose"))), HTCLIENT);
  EXPECT_EQ(hitTestAt(frame, centre(g.runButton)), HTCLIENT);
  EXPECT_EQ(hitTestAt(frame, centre(g.stopButton)), HTCLIENT) << "a disabled button is still a control";
  EXPECT_EQ(hitTestAt(frame, centre(g.codeTabs)), HTCLIENT);
  RECT status = clientRect(g.statusText);
  EXPECT_EQ(hitTestAt(frame, {status.left + 20, (status.top + status.bottom) / 2}), HTCLIENT)
      << "the status bar is below the caption band";

  XWnd_EnableDragCaption(g.frame, false);
  EXPECT_EQ(hitTestAt(frame, title), HTCLIENT);
  XWnd_EnableDragWindow(g.frame, true);
  EXPECT_EQ(hitTestAt(frame, title), HTCAPTION);
  EXPECT_EQ(hitTestAt(frame, {status.left + 20, (status.top + status.bottom) / 2}), HTCAPTION);
  EXPECT_EQ(hitTestAt(frame, centre(g.runButton)), HTCLIENT);

  // Maximised, the edges no longer resize.
  XWnd_EnableDragWindow(g.frame, false);
  ShowWindow(frame, SW_MAXIMIZE);
  waitFor("the frame maximised", [&] { return IsZoomed(frame) != FALSE; });
  GetClientRect(frame, &c);
  EXPECT_EQ(hitTestAt(frame, {c.right - 2, c.bottom / 2}), HTCLIENT);
}

TEST_F(FrameWindow, TheUserMovesItByTheCaptionThroughTheSystemsLoop) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  int exits = 0;
  XWnd_RegEventC(g.frame, 562, [&exits](WPARAM, LPARAM, bool*) {  // WM_EXITSIZEMOVE
    ++exits;
    return 0;
  });
  const RECT start = windowRect(frame);
  POINT title = centre(XC_GetObjectByName(L"winTitle"));
  drag(frame, title, {title.x + 40, title.y + 30});
  RECT moved = windowRect(frame);
  EXPECT_NEAR(moved.left - start.left, 40, 1);
  EXPECT_NEAR(moved.top - start.top, 30, 1);
  EXPECT_EQ(moved.right - moved.left, start.right - start.left);
  EXPECT_EQ(exits, 1) << "the end of the move reaches the handlers";

  // A double click on the caption maximises and restores.
  doubleClick(frame, centre(XC_GetObjectByName(L"winTitle")));
  EXPECT_TRUE(IsZoomed(frame));
  doubleClick(frame, centre(XC_GetObjectByName(L"winTitle")));
  EXPECT_FALSE(IsZoomed(frame));
}

TEST_F(FrameWindow, RefusesToBecomeSmallerThanItsMinimum) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  MINMAXINFO info{};
  SendMessageW(frame, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 600);
  EXPECT_EQ(info.ptMinTrackSize.y, 600);

  // The layout follows the window's real size, whatever the window made of the request.
  auto laidOut = [&] {
    const RECT real = windowRect(frame);
    return XEle_GetWidth(g.top) == real.right - real.left;
  };
  MoveWindow(frame, 40, 30, 300, 450, TRUE);
  waitFor("the layout at the frame's size", laidOut);
  RECT r = windowRect(frame);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_EQ(r.left, 40);
  RECT model{};
  XWnd_GetRect(g.frame, reinterpret_cast<XRect*>(&model));
  EXPECT_EQ(model.right - model.left, 600);
  // The layout follows the real size.
  EXPECT_EQ(XEle_GetWidth(g.top), 600);
  EXPECT_EQ(XEle_GetHeight(g.left), 600 - 117 - 32);

  MoveWindow(frame, 40, 30, 900, 700, TRUE);
  waitFor("the layout at the frame's size", laidOut);
  r = windowRect(frame);
  EXPECT_EQ(r.right - r.left, 900);
  EXPECT_EQ(XEle_GetWidth(g.top), 900);
}

TEST_F(FrameWindow, MaximiseButtonMaximisesAndRestores) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  const RECT before = windowRect(frame);
  HELE maximise = XC_GetObjectByName(L"winMax");
  ASSERT_TRUE(XC_IsHXCGUI(maximise, XC_BUTTON));

  click(frame, centre(maximise));
  EXPECT_TRUE(IsZoomed(frame));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT maximised = windowRect(frame);
  EXPECT_TRUE(EqualRect(&maximised, &monitor.rcWork)) << "a borderless maximised window covers the work area";
  EXPECT_EQ(XEle_GetWidth(g.top), monitor.rcWork.right - monitor.rcWork.left);

  // The button moved with the layout; click it where it is now.
  click(frame, centre(maximise));
  EXPECT_FALSE(IsZoomed(frame));
  RECT after = windowRect(frame);
  EXPECT_TRUE(EqualRect(&after, &before));
}

TEST_F(ToolkitWindow, CloseEventAndItsHandledFlag) {
  HWINDOW window = XWnd_CreateEx(0, L"", L"close test", 0, 100, 100, 300, 200, nullptr, 0);
  HELE child = XEle_Create(10, 10, 50, 50, window);
  HWND hwnd = XWnd_GetHWND(window);
  ASSERT_TRUE(IsWindow(hwnd));
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  EXPECT_STREQ(name, L"TovaluxWindow") << "an empty class name takes the toolkit's default";

  int closes = 0;
  bool keep = true;
  XWnd_RegEventC(window, WM_CLOSE, [&](WPARAM, LPARAM, bool* handled) {
    ++closes;
    *handled = keep;
    return 0;
  });
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(IsWindow(hwnd)) << "a handled close keeps the window";
  EXPECT_TRUE(XC_IsHWINDOW(window));

  keep = false;
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(XC_IsHWINDOW(window));
  EXPECT_FALSE(XC_IsHELE(child));

  // XWnd_CloseWindow destroys without asking.
  HWINDOW second = XWnd_CreateEx(0, L"", L"", 0, 0, 0, 200, 100, nullptr, 0);
  HWND secondHwnd = XWnd_GetHWND(second);
  int asked = 0;
  XWnd_RegEventC(second, WM_CLOSE, [&](WPARAM, LPARAM, bool* handled) {
    ++asked;
    *handled = true;
    return 0;
  });
  XWnd_CloseWindow(second);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(IsWindow(secondHwnd));
  EXPECT_FALSE(XC_IsHWINDOW(second));
  EXPECT_EQ(XWnd_GetHWND(second), nullptr);

  // A native window destroyed from outside takes its toolkit window and elements along.
  HWINDOW third = XWnd_CreateEx(0, L"", L"", 0, 0, 0, 200, 100, nullptr, 0);
  HELE thirdChild = XBtn_Create(0, 0, 40, 20, L"x", third);
  DestroyWindow(XWnd_GetHWND(third));
  EXPECT_FALSE(XC_IsHWINDOW(third));
  EXPECT_FALSE(XC_IsHELE(thirdChild));
}

TEST_F(ToolkitWindow, MessagesReachHandlersBeforeTheToolkit) {
  HWINDOW window = XWnd_CreateEx(0, L"", L"", 0, 50, 50, 300, 200, nullptr, 0);
  HELE filler = XEle_Create(0, 0, 10, 10, window);
  XEle_SetLayoutWidth(filler, layout_size_fill, 0);
  XEle_SetLayoutHeight(filler, layout_size_fill, 0);
  XWnd_AdjustLayout(window);
  HWND hwnd = XWnd_GetHWND(window);
  XWnd_ShowWindow(window, SW_SHOW);
  waitFor("the window shown", [&] { return IsWindowVisible(hwnd) != FALSE; });

  std::vector<std::pair<int, LPARAM>> seen;
  int sizeEvents = 0;
  XEle_RegEventC(filler, XE_SIZE, [&](int, bool*) {
    ++sizeEvents;
    return 0;
  });
  for (int message : {WM_MOVE, WM_SIZE, 562 /* WM_EXITSIZEMOVE */})
    XWnd_RegEventC(window, message, [&seen, message](WPARAM, LPARAM lParam, bool*) {
      seen.emplace_back(message, lParam);
      return 0;
    });
  MoveWindow(hwnd, 80, 60, 320, 240, TRUE);
  waitFor("WM_SIZE at the handlers",
          [&] { return std::any_of(seen.begin(), seen.end(), [](auto& s) { return s.first == WM_SIZE; }); });
  ASSERT_GE(seen.size(), 2u);
  auto sized = std::find_if(seen.begin(), seen.end(), [](auto& s) { return s.first == WM_SIZE; });
  ASSERT_NE(sized, seen.end());
  EXPECT_EQ(LOWORD(sized->second), 320);
  EXPECT_EQ(HIWORD(sized->second), 240);
  EXPECT_EQ(sizeEvents, 1) << "the toolkit laid out after the handlers";
  EXPECT_EQ(XEle_GetWidth(filler), 320);
  SendMessageW(hwnd, 562, 0, 0);
  EXPECT_EQ(seen.back().first, 562);

  // A handler that takes WM_SIZE stops the toolkit's own handling of it.
  XWnd_RegEventC(window, WM_SIZE, [](WPARAM, LPARAM, bool* handled) {
    *handled = true;
    return 0;
  });
  MoveWindow(hwnd, 80, 60, 400, 260, TRUE);
  waitFor("the window at its new size", [&] { return windowRect(hwnd).right - windowRect(hwnd).left == 400; });
  EXPECT_EQ(sizeEvents, 1);
  EXPECT_EQ(XEle_GetWidth(filler), 320);
}

TEST_F(ToolkitWindow, AFailureInsideItsProcedureIsRecordedAndTheWindowGoesOn) {
  HWINDOW window = XWnd_CreateEx(0, L"", L"", 0, 50, 50, 300, 200, nullptr, 0);
  HWND hwnd = XWnd_GetHWND(window);
  int seen = 0;
  XWnd_RegEventC(window, WM_USER + 7, [&seen](WPARAM, LPARAM, bool*) {
    ++seen;
    return 0;
  });
  resetFailuresForTests();
  armFailureInjection(GuardSite::kToolkit);
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 7, 0, 0), 0);  // answered the safe value, nothing unwound
  EXPECT_EQ(failureCount(GuardSite::kToolkit), 1u);
  EXPECT_EQ(seen, 0);
  SendMessageW(hwnd, WM_USER + 7, 0, 0);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(failureCount(GuardSite::kToolkit), 1u);
  XWnd_CloseWindow(window);
}

TEST_F(ToolkitWindow, ShowHideChildAndOwnedWindows) {
  HWINDOW owner = XWnd_CreateEx(0, L"", L"owner", 0, 100, 100, 400, 300, nullptr, 0);
  HWND ownerHwnd = XWnd_GetHWND(owner);
  EXPECT_FALSE(IsWindowVisible(ownerHwnd)) << "windows start hidden unless WS_VISIBLE is given";
  XWnd_ShowWindow(owner, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(ownerHwnd));
  XWnd_ShowWindow(owner, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(ownerHwnd));
  XWnd_ShowWindow(owner, SW_SHOW);

  HWINDOW child = XWnd_CreateEx(0, L"Tovalux", L"", WS_CHILD | WS_VISIBLE, 20, 30, 120, 80, ownerHwnd, 0);
  HWND childHwnd = XWnd_GetHWND(child);
  EXPECT_EQ(GetParent(childHwnd), ownerHwnd);
  EXPECT_TRUE(IsWindowVisible(childHwnd));
  RECT r = windowRect(childHwnd);
  MapWindowPoints(nullptr, ownerHwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 120);

  HWINDOW owned = XWnd_CreateEx(0, L"", L"", 0, 0, 0, 100, 60, ownerHwnd, 0);
  EXPECT_EQ(GetWindow(XWnd_GetHWND(owned), GW_OWNER), ownerHwnd);
  EXPECT_EQ(GetParent(XWnd_GetHWND(owned)), ownerHwnd) << "owned, not a child";
  EXPECT_EQ(GetWindowLongW(XWnd_GetHWND(owned), GWL_STYLE) & WS_CHILD, 0);

  // Closing the owner takes the child and the owned window along.
  XWnd_CloseWindow(owner);
  EXPECT_FALSE(XC_IsHWINDOW(child));
  EXPECT_FALSE(XC_IsHWINDOW(owned));
}

TEST_F(FrameWindow, LayeringAlphaAndShadowFollowTheirSettings) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  win32::WindowProbe probe;
  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  EXPECT_EQ(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_EQ(probe.shadow, nullptr) << "no shadow without the shadow transparency type";

  XWnd_SetTransparentType(g.frame, 2);
  XWnd_SetTransparentAlpha(g.frame, 255);
  XWnd_SetShadowInfo(g.frame, 10, 180, 10, true, RGB(0, 122, 204));
  waitFor("the shadow shown", [&] { return win32::probeWindow(g.frame, &probe) && probe.shadowVisible; });
  EXPECT_NE(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(frame, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_NE(flags & LWA_ALPHA, 0u);

  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  ASSERT_NE(probe.shadow, nullptr);
  EXPECT_TRUE(probe.shadowVisible);
  RECT r = windowRect(frame);
  EXPECT_EQ(probe.shadowRect.left, r.left - 10);
  EXPECT_EQ(probe.shadowRect.top, r.top - 10);
  EXPECT_EQ(probe.shadowRect.right, r.right + 10);
  EXPECT_EQ(probe.shadowRect.bottom, r.bottom + 10);
  EXPECT_NE(GetWindowLongW(probe.shadow, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_NE(GetWindowLongW(probe.shadow, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0) << "clicks go through the shadow";
  // Wine may restack windows when the X server's events about them come in, and may slip a
  // hidden window of its own (an IME window) in between, which shows nothing: the first shown
  // window below the frame is its shadow.
  auto shownBelow = [&] {
    HWND below = GetWindow(frame, GW_HWNDNEXT);
    while (below != nullptr && !IsWindowVisible(below)) below = GetWindow(below, GW_HWNDNEXT);
    return below;
  };
  waitFor("the shadow just below its window", [&] { return shownBelow() == probe.shadow; });
  EXPECT_EQ(shownBelow(), probe.shadow) << "below the frame: " << windowsBelow(frame);

  // Strongest at the window's edge, fading out over `size` pixels, in the shadow's colour.
  const int midY = (r.bottom - r.top) / 2 + 10;
  uint32_t edge = win32::shadowPixel(g.frame, 9, midY);
  uint32_t outer = win32::shadowPixel(g.frame, 1, midY);
  EXPECT_GE(edge >> 24, 150u);
  EXPECT_LE(edge >> 24, 180u);
  EXPECT_LT(outer >> 24, edge >> 24);
  EXPECT_EQ(win32::shadowPixel(g.frame, 0, midY) >> 24, 0u) << "gone at the outer edge";
  EXPECT_EQ(win32::shadowPixel(g.frame, 30, midY), 0u) << "nothing under the window";
  const uint32_t a = edge >> 24, red = (edge >> 16) & 0xFF, green = (edge >> 8) & 0xFF, blue = edge & 0xFF;
  EXPECT_EQ(red, 0u);
  EXPECT_NEAR(green, 122 * a / 255, 1);
  EXPECT_NEAR(blue, 204 * a / 255, 1);
  // Right-angle corners are as strong as the sides at the same distance.
  EXPECT_EQ(win32::shadowPixel(g.frame, 9, 9) >> 24, edge >> 24);

  // Rounded corners fade along the corner.
  XWnd_SetShadowInfo(g.frame, 10, 180, 10, false, RGB(0, 122, 204));
  serveQueued();
  EXPECT_LT(win32::shadowPixel(g.frame, 9, 9) >> 24, edge >> 24);

  // The shadow follows the window, and goes while it is maximised.
  MoveWindow(frame, 60, 40, 800, 640, TRUE);
  waitFor("the frame moved", [&] { return windowRect(frame).left == 60; });
  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  EXPECT_EQ(probe.shadowRect.left, 50);
  EXPECT_EQ(probe.shadowRect.bottom, 40 + 640 + 10);
  ShowWindow(frame, SW_MAXIMIZE);
  waitFor("the frame maximised", [&] { return IsZoomed(frame) != FALSE; });
  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  EXPECT_FALSE(probe.shadowVisible);
  ShowWindow(frame, SW_RESTORE);
  waitFor("the frame restored", [&] { return IsZoomed(frame) == FALSE; });
  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  EXPECT_TRUE(probe.shadowVisible);

  // Window alpha, and back to an opaque window without shadow.
  XWnd_SetTransparentAlpha(g.frame, 200);
  XWnd_RedrawWnd(g.frame, false);
  ASSERT_TRUE(GetLayeredWindowAttributes(frame, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 200);
  XWnd_SetTransparentType(g.frame, 0);
  XWnd_RedrawWnd(g.frame, false);
  serveQueued();
  EXPECT_EQ(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  ASSERT_TRUE(win32::probeWindow(g.frame, &probe));
  EXPECT_FALSE(probe.shadowVisible);
}

}  // namespace
}  // namespace tovalux::testing
