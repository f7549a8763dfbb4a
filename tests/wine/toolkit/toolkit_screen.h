// Shared setup of the on-screen toolkit tests: an initialised toolkit per test, the theme
// folder, real input (the cursor moves, buttons go down through the system's input queue),
// reading back what a window shows, and screenshots kept as test artefacts.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <source_location>
#include <string>
#include <vector>

#include "base/screenshot.h"
#include "common/win32_support.h"
#include "toolkit/win32/gallery/gallery.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::testing {

namespace win32 = tk::win32;

// --- waiting on conditions ------------------------------------------------------------------
// The helpers below wait for what they caused to be seen (the input they sent taken from the
// queue, a window shown) and then for the queue to be empty, so that what that set off is
// served as well.

// Serves messages (as wide messages: the toolkit's windows are) until `done` answers true or
// `limit` milliseconds passed; answers `done()`.
inline bool pumpUntil(const std::function<bool()>& done, DWORD limit = 5000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start > limit) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Nothing waits in this thread's queue: no input, posted or sent message, paint or due timer.
inline bool queueEmpty() { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }

// Serves messages until `done()` holds and the queue is empty; a test failure naming `what`
// (at the caller's line) when that does not happen within `limit` milliseconds.
inline bool waitFor(const char* what, const std::function<bool()>& done, DWORD limit = 5000,
                    std::source_location where = std::source_location::current()) {
  if (pumpUntil([&] { return done() && queueEmpty(); }, limit)) return true;
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << "waited in vain for " << what;
  return false;
}

// Serves the queue until it is empty: what is queued now, and what serving it queues in turn
// (layout, paints, posted messages).
inline bool serveQueued(std::source_location where = std::source_location::current()) {
  return waitFor(
      "an empty message queue", [] { return true; }, 5000, where);
}

// What the UI thread took from its queue, seen by a message hook: what the test's pump and the
// modal loops of windows (moving, sizing) retrieve, whenever the system delivers it. (Wine's
// caption handling takes some button messages without calling hooks; awaitInput copes.)
struct Retrieved {
  unsigned moves = 0;  // mouse moves, client or non-client
  POINT lastMove{-1, -1};
  unsigned buttonDowns = 0, buttonUps = 0, wheels = 0, keyUps = 0;
};

inline Retrieved& retrieved() {
  static Retrieved seen;
  return seen;
}

inline LRESULT CALLBACK retrievalHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG& m = *reinterpret_cast<const MSG*>(lParam);
    Retrieved& seen = retrieved();
    switch (m.message) {
      case WM_MOUSEMOVE:
      case WM_NCMOUSEMOVE:
        ++seen.moves;
        seen.lastMove = m.pt;
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK:
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONDBLCLK:
      case WM_NCRBUTTONDOWN:
      case WM_NCRBUTTONDBLCLK: ++seen.buttonDowns; break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_NCLBUTTONUP:
      case WM_NCRBUTTONUP: ++seen.buttonUps; break;
      case WM_MOUSEWHEEL: ++seen.wheels; break;
      case WM_KEYUP:
      case WM_SYSKEYUP: ++seen.keyUps; break;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the UI thread has retrieved so far; the hook goes in on the first call (on the UI thread).
inline Retrieved seenSoFar() {
  static const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, retrievalHook, nullptr, GetCurrentThreadId());
  EXPECT_NE(hook, nullptr) << "no message hook: input waits cannot see anything";
  return retrieved();
}

inline std::wstring themeFolder() {
  std::string path = winePath(TOVALUX_HOST_DIR) + "\\lib\\Tovalux\\Dark";
  return std::wstring(path.begin(), path.end());
}

// --- real input ---------------------------------------------------------------------------
// Each helper sends real input and returns once the UI thread has taken it and served what it
// set off.

inline POINT toScreen(HWND window, POINT client) {
  ClientToScreen(window, &client);
  return client;
}

inline void sendMouse(DWORD flags, int wheel = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = static_cast<DWORD>(wheel);
  SendInput(1, &input, sizeof input);
}

// Waits until the input just sent has been taken by the UI thread, and what it set off served.
// Input the send put into this thread's queue at once (`bits` present now) has been taken once
// the queue is empty, also when a loop of the system took it without calling hooks (Wine's
// caption handling does so with some button messages); input that arrives later must be seen
// by the message hook.
inline void awaitInput(const char* what, UINT bits, const std::function<bool()>& seen, std::source_location where) {
  const bool queued = (HIWORD(GetQueueStatus(bits)) & bits) != 0;
  waitFor(
      what, [&] { return queued || seen(); }, 5000, where);
}

// Moves the cursor to a screen point (no move comes when it is there already).
inline void moveToScreen(POINT p, std::source_location where = std::source_location::current()) {
  POINT now{};
  GetCursorPos(&now);
  const bool there = now.x == p.x && now.y == p.y;
  const Retrieved before = seenSoFar();
  SetCursorPos(p.x, p.y);
  awaitInput(
      "the mouse move", QS_MOUSEMOVE,
      [&] {
        const Retrieved seen = seenSoFar();
        return there || (seen.moves != before.moves && seen.lastMove.x == p.x && seen.lastMove.y == p.y);
      },
      where);
}

// Moves the cursor to a client point of `window`.
inline void moveTo(HWND window, POINT client, std::source_location where = std::source_location::current()) {
  moveToScreen(toScreen(window, client), where);
}

// Mouse buttons going down or up where the cursor is; done when `ups` of them came up (when
// 0: when one went down).
inline void sendButtons(std::initializer_list<DWORD> flags, unsigned ups, const char* what,
                        std::source_location where) {
  const Retrieved before = seenSoFar();
  for (DWORD f : flags) sendMouse(f);
  awaitInput(
      what, QS_MOUSEBUTTON,
      [&] {
        const Retrieved seen = seenSoFar();
        return ups != 0 ? seen.buttonUps - before.buttonUps >= ups : seen.buttonDowns != before.buttonDowns;
      },
      where);
}

inline void buttonDown(std::source_location where = std::source_location::current()) {
  sendButtons({MOUSEEVENTF_LEFTDOWN}, 0, "the button going down", where);
}

inline void release(std::source_location where = std::source_location::current()) {
  sendButtons({MOUSEEVENTF_LEFTUP}, 1, "the button going up", where);
}

inline void press(HWND window, POINT client, std::source_location where = std::source_location::current()) {
  moveTo(window, client, where);
  buttonDown(where);
}

inline void click(HWND window, POINT client, std::source_location where = std::source_location::current()) {
  press(window, client, where);
  release(where);
}

inline void doubleClick(HWND window, POINT client, std::source_location where = std::source_location::current()) {
  moveTo(window, client, where);
  sendButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}, 2, "both clicks",
              where);
}

inline void rightClick(HWND window, POINT client, std::source_location where = std::source_location::current()) {
  moveTo(window, client, where);
  sendButtons({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}, 1, "the right click", where);
}

inline void wheel(HWND window, POINT client, int notches,
                  std::source_location where = std::source_location::current()) {
  moveTo(window, client, where);
  const unsigned before = seenSoFar().wheels;
  sendMouse(MOUSEEVENTF_WHEEL, notches * WHEEL_DELTA);
  awaitInput(
      "the wheel", QS_MOUSEBUTTON, [&] { return seenSoFar().wheels != before; }, where);
}

inline void key(WORD vk, std::source_location where = std::source_location::current()) {
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = vk;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  const unsigned before = seenSoFar().keyUps;
  SendInput(2, input, sizeof input[0]);
  awaitInput(
      "the key", QS_KEY, [&] { return seenSoFar().keyUps != before; }, where);
}

inline void type(const std::wstring& text, std::source_location where = std::source_location::current()) {
  const unsigned before = seenSoFar().keyUps;
  for (wchar_t c : text) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
  }
  awaitInput(
      "the typed text", QS_KEY, [&] { return seenSoFar().keyUps - before >= text.size(); }, where);
}

// A drag with the left button from one client point of `window` to another, queued as one
// gesture before anything is served: a move or size loop of the system then runs through it.
inline void drag(HWND window, POINT from, POINT to, std::source_location where = std::source_location::current()) {
  moveTo(window, from, where);
  POINT end = toScreen(window, to);
  INPUT input[3]{};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dx =
      static_cast<LONG>((end.x * 65536 + GetSystemMetrics(SM_CXSCREEN) / 2) / GetSystemMetrics(SM_CXSCREEN));
  input[1].mi.dy =
      static_cast<LONG>((end.y * 65536 + GetSystemMetrics(SM_CYSCREEN) / 2) / GetSystemMetrics(SM_CYSCREEN));
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  const unsigned before = seenSoFar().buttonUps;
  SendInput(3, input, sizeof input[0]);
  awaitInput(
      "the end of the drag", QS_MOUSEBUTTON, [&] { return seenSoFar().buttonUps != before; }, where);
}

// Parks the cursor where no test window is. The windows it leaves hear of it later (their leave
// messages); tests that care wait for those.
inline void parkCursor(std::source_location where = std::source_location::current()) {
  const POINT corner{GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
  SetCursorPos(corner.x, corner.y);
  waitFor(
      "the cursor in its corner",
      [&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == corner.x && now.y == corner.y;
      },
      5000, where);
}

// --- what a window shows ----------------------------------------------------------------------

// The client area of a window as it is on screen (read from the window's own DC).
class Capture {
 public:
  explicit Capture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right, height_ = client.bottom;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    GdiFlush();
    pixels_.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + width_ * height_);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
  }
  // COLORREF (0x00BBGGRR) at a client point; 0xFFFFFFFF outside.
  COLORREF at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
    uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  COLORREF at(POINT p) const { return at(p.x, p.y); }
  // How many pixels of `area` have `color`.
  int count(const RECT& area, COLORREF color) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += at(x, y) == color;
    return n;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

inline std::string colorText(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// Where the PNG test artefact `name` goes: TOVALUX_ARTEFACTS, else beside the test program.
inline std::string artefactPath(const std::string& name) {
  const char* folder = std::getenv("TOVALUX_ARTEFACTS");
  return (folder != nullptr ? winePath(folder) : programDirectory()) + "\\" + name + ".png";
}

// Saves the window as a PNG test artefact; answers the file's path (empty when not saved).
inline std::string saveArtefact(HWND window, const std::string& name) {
  const std::string path = artefactPath(name);
  return saveWindowPng(window, path) ? path : std::string();
}

// Recorded events as one line, separated by spaces, for comparing a sequence at once.
inline std::string spaced(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : " ") + item;
  return out;
}

// --- element geometry ---------------------------------------------------------------------

// The element's rectangle in its window's client coordinates.
inline RECT clientRect(HELE element) {
  RECT r{0, 0, XEle_GetWidth(element), XEle_GetHeight(element)};
  XEle_RectClientToWndClient(element, &r);
  return r;
}

inline POINT centre(HELE element) {
  RECT r = clientRect(element);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A plain element filling `window`: its children keep the positions they are created at (a
// window's own body lines its children up in a row).
inline HELE board(HWINDOW window) {
  HELE e = XEle_Create(0, 0, 10, 10, window);
  XEle_SetLayoutWidth(e, layout_size_fill, 0);
  XEle_SetLayoutHeight(e, layout_size_fill, 0);
  XEle_EnableBkTransparent(e, true);
  return e;
}

// Shows a window in front, painted: it is visible, the foreground window, and nothing (its
// paint included) is left in the queue.
inline void showInFront(HWND window, std::source_location where = std::source_location::current()) {
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  UpdateWindow(window);
  waitFor(
      "the window shown in front", [&] { return IsWindowVisible(window) && GetForegroundWindow() == window; }, 5000,
      where);
}

// Lays a test window out and shows it in front, painted.
inline void show(HWINDOW w, std::source_location where = std::source_location::current()) {
  XWnd_AdjustLayout(w);
  XWnd_ShowWindow(w, SW_SHOW);
  showInFront(XWnd_GetHWND(w), where);
}

// An initialised toolkit for each test; XExitXCGUI afterwards, so that start and exit run
// every time.
class ToolkitScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    parkCursor();
  }
  void TearDown() override {
    XExitXCGUI();
    serveQueued();
  }

  // The gallery frame, shown and painted.
  gallery::Gallery showGallery(bool compact = false) {
    gallery::Gallery g = gallery::buildGallery(themeFolder(), compact);
    EXPECT_TRUE(XC_IsHWINDOW(g.frame));
    XWnd_ShowWindow(g.frame, SW_SHOW);
    showInFront(XWnd_GetHWND(g.frame));
    return g;
  }
};

}  // namespace tovalux::testing
