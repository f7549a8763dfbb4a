// Shared setup of the on-screen toolkit tests: an initialised toolkit per test, the theme
// folder, real input (the cursor moves, buttons go down through the system's input queue),
// reading back what a window shows, and screenshots kept as test artefacts.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/screenshot.h"
#include "common/win32_support.h"
#include "toolkit/win32/gallery/gallery.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::testing {

namespace win32 = tk::win32;

// Serves messages until `done` answers true or `limit` milliseconds passed; answers `done()`.
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

// Serves what is queued now, and what the system delivers in response, until it is quiet.
inline void settle() {
  for (int quiet = 0; quiet < 3;) {
    MSG message;
    bool any = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      any = true;
    }
    quiet = any ? 0 : quiet + 1;
    if (!any) Sleep(5);
  }
}

inline std::wstring themeFolder() {
  std::string path = winePath(TOVALUX_HOST_DIR) + "\\lib\\Tovalux\\Dark";
  return std::wstring(path.begin(), path.end());
}

// --- real input ---------------------------------------------------------------------------

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

// Moves the cursor to a client point of `window` (the system then sends the moves).
inline void moveTo(HWND window, POINT client) {
  POINT p = toScreen(window, client);
  SetCursorPos(p.x, p.y);
  settle();
}

inline void press(HWND window, POINT client) {
  moveTo(window, client);
  sendMouse(MOUSEEVENTF_LEFTDOWN);
  settle();
}

inline void release() {
  sendMouse(MOUSEEVENTF_LEFTUP);
  settle();
}

inline void click(HWND window, POINT client) {
  press(window, client);
  release();
}

inline void doubleClick(HWND window, POINT client) {
  moveTo(window, client);
  for (int i = 0; i < 2; ++i) {
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
  }
  settle();
}

inline void rightClick(HWND window, POINT client) {
  moveTo(window, client);
  sendMouse(MOUSEEVENTF_RIGHTDOWN);
  sendMouse(MOUSEEVENTF_RIGHTUP);
  settle();
}

inline void wheel(HWND window, POINT client, int notches) {
  moveTo(window, client);
  sendMouse(MOUSEEVENTF_WHEEL, notches * WHEEL_DELTA);
  settle();
}

inline void key(WORD vk) {
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = vk;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
  settle();
}

inline void type(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
  }
  settle();
}

// A drag with the left button from one client point of `window` to another, queued as one
// gesture before anything is served: a move or size loop of the system then runs through it.
inline void drag(HWND window, POINT from, POINT to) {
  moveTo(window, from);
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
  SendInput(3, input, sizeof input[0]);
  settle();
}

// Parks the cursor where no test window is.
inline void parkCursor() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
  settle();
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

// Lays a test window out, shows it in front and serves messages until it has painted.
inline void show(HWINDOW w) {
  XWnd_AdjustLayout(w);
  XWnd_ShowWindow(w, SW_SHOW);
  SetForegroundWindow(XWnd_GetHWND(w));
  UpdateWindow(XWnd_GetHWND(w));
  settle();
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
    settle();
  }

  // The gallery frame, shown and painted.
  gallery::Gallery showGallery(bool compact = false) {
    gallery::Gallery g = gallery::buildGallery(themeFolder(), compact);
    EXPECT_TRUE(XC_IsHWINDOW(g.frame));
    XWnd_ShowWindow(g.frame, SW_SHOW);
    HWND frame = XWnd_GetHWND(g.frame);
    SetForegroundWindow(frame);
    UpdateWindow(frame);
    settle();
    return g;
  }
};

}  // namespace tovalux::testing
