#include "base/diagnostics.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace tovalux {
namespace {

// The one thread whose lookups are kept (0: none); the rest is touched by that thread only.
std::atomic<DWORD> gScopeThread{0};
int gScopeDepth = 0;
bool gScopeLooked = false;
void* gScopeSink = nullptr;

void* findNotepadSink() {
  constexpr const char* kTitles[] = {"TovaluxLog.txt - 记事本", "*TovaluxLog.txt - 记事本", "TovaluxLog - 记事本"};
  // The host's notifications come through here by the thousand (a tree delete sends one per
  // item): without any Notepad window, one lookup answers instead of one per title.
  if (FindWindowA("Notepad", nullptr) == nullptr) return nullptr;
  HWND notepad = nullptr;
  for (const char* title : kTitles) {
    notepad = FindWindowA("Notepad", title);
    if (notepad) break;
  }
  return notepad ? GetWindow(notepad, GW_CHILD) : nullptr;
}

}  // namespace

void logProgress(std::string_view) {}

NotepadLookupScope::NotepadLookupScope() {
  const DWORD me = GetCurrentThreadId();
  DWORD none = 0;
  if (gScopeThread.load(std::memory_order_acquire) == me) {
    ++gScopeDepth;
    owner_ = true;
  } else if (gScopeThread.compare_exchange_strong(none, me, std::memory_order_acq_rel)) {
    gScopeDepth = 1;
    gScopeLooked = false;
    owner_ = true;
  }
}

NotepadLookupScope::~NotepadLookupScope() {
  if (owner_ && --gScopeDepth == 0) gScopeThread.store(0, std::memory_order_release);
}

void* notepadLogSink() {
  if (gScopeThread.load(std::memory_order_acquire) != GetCurrentThreadId()) return findNotepadSink();
  if (!gScopeLooked) {
    gScopeSink = findNotepadSink();
    gScopeLooked = true;
  }
  return gScopeSink;
}

void logToNotepadSink(void* sink, std::string_view text) {
  if (!sink) return;
  std::string line(text);
  line += "\r\n";
  // wParam 1: the insertion can be undone in Notepad.
  SendMessageA(static_cast<HWND>(sink), EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(line.c_str()));
}

void logToNotepad(std::string_view text) { logToNotepadSink(notepadLogSink(), text); }

}  // namespace tovalux
