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

// An open Notepad as the log looks for it: a notepad.exe process (H\notepad\notepad.exe, the
// stand-in's) with a top-level "Notepad" window of `title` and an Edit as its first child. With
// `hung`, its window thread serves nothing until release() (a Notepad that stopped answering).
class NotepadSink {
 public:
  explicit NotepadSink(const char* title, bool hung = false) {
    static int opened = 0;
    const std::string prefix =
        "TovaluxTestNotepad-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++opened);
    const std::string readyName = prefix + "-ready";
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    if (hung) release_ = CreateEventA(nullptr, TRUE, FALSE, (prefix + "-release").c_str());
    const std::string program = winePath(TOVALUX_HOST_DIR "/notepad/notepad.exe");
    std::string command = "\"" + program + "\" \"" + std::string(title) + "\" " + readyName +
                          " parent=" + std::to_string(GetCurrentProcessId()) +
                          (hung ? " hang=" + prefix + "-release" : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process_)) {
      HANDLE waits[2] = {ready, process_.hProcess};
      if (WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0) {
        EnumWindows(&NotepadSink::findFrame, reinterpret_cast<LPARAM>(this));
        edit_ = window_ ? GetWindow(window_, GW_CHILD) : nullptr;
      }
    }
    CloseHandle(ready);
  }
  ~NotepadSink() {
    release();
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 10000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    if (release_) CloseHandle(release_);
  }
  NotepadSink(const NotepadSink&) = delete;
  NotepadSink& operator=(const NotepadSink&) = delete;

  // The edit's text, read with messages (another process's control).
  std::string text() const {
    const LRESULT length = SendMessageA(edit_, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT copied = SendMessageA(edit_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
  }
  void clear() { SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("")); }
  HWND window() const { return window_; }
  DWORD processId() const { return process_.dwProcessId; }
  // A hung sink serves its messages again.
  void release() {
    if (release_) SetEvent(release_);
  }

 private:
  static BOOL CALLBACK findFrame(HWND window, LPARAM self) {
    auto* sink = reinterpret_cast<NotepadSink*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process != sink->process_.dwProcessId || std::string(className) != "Notepad") return TRUE;
    sink->window_ = window;
    return FALSE;
  }

  PROCESS_INFORMATION process_{};
  HANDLE release_ = nullptr;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

inline bool serveQueuedMessages(DWORD timeoutMs) {
  return pumpMessagesUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, timeoutMs);
}

}  // namespace tovalux::testing
