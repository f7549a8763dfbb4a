// Helpers for Windows tests: Wine paths, message pumping, a Notepad log sink.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/text.h"

namespace tovalux::testing {

// A Linux path baked in at build time, as Wine sees it (Z:\...).
inline std::string winePath(const std::string& unixPath) {
  if (unixPath.empty() || unixPath[0] != '/') return unixPath;
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Processes pending messages for up to `milliseconds`.
inline void pumpMessages(DWORD milliseconds = 0) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (milliseconds) Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

// Serves this thread's messages until its queue is empty: what a step posted or sent (UI jobs
// included) has been handled. Answers false when the queue never emptied within `timeoutMs`.
inline bool serveQueuedMessages(DWORD timeoutMs = 5000);

// Pumps messages until `condition` holds or `timeoutMs` passes; answers the condition. Sleeps
// only while nothing arrives: on this thread's messages and on `wake` (an event that a
// condition's source sets, such as the journal's), and at most 5 ms at a time for conditions
// that nothing signals (another thread's or process's work).
inline bool pumpMessagesUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000, HANDLE wake = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    pumpMessages();
    if (condition()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    const DWORD slice = timeoutMs - elapsed < 5 ? timeoutMs - elapsed : 5;
    MsgWaitForMultipleObjects(wake ? 1 : 0, wake ? &wake : nullptr, FALSE, slice, QS_ALLINPUT);
  }
}

// The folder of the running test program.
inline std::string programDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(parentFolder(path));
}

// A window that looks like an open Notepad to the log: class "Notepad", an Edit as first child.
class NotepadSink {
 public:
  explicit NotepadSink(const char* title) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Notepad";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "Notepad", title, WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    edit_ = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 280, window_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  ~NotepadSink() { DestroyWindow(window_); }
  NotepadSink(const NotepadSink&) = delete;
  NotepadSink& operator=(const NotepadSink&) = delete;

  std::string text() const {
    const int length = GetWindowTextLengthA(edit_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(edit_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
  }
  void clear() { SetWindowTextA(edit_, ""); }
  HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

inline bool serveQueuedMessages(DWORD timeoutMs) {
  return pumpMessagesUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, timeoutMs);
}

}  // namespace tovalux::testing
