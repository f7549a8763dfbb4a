#include "base/diagnostics.h"

#include <windows.h>

#include <string>

namespace tovalux {

void logProgress(std::string_view) {}

void* notepadLogSink() {
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

void logToNotepadSink(void* sink, std::string_view text) {
  if (!sink) return;
  std::string line(text);
  line += "\r\n";
  // wParam 1: the insertion can be undone in Notepad.
  SendMessageA(static_cast<HWND>(sink), EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(line.c_str()));
}

void logToNotepad(std::string_view text) { logToNotepadSink(notepadLogSink(), text); }

}  // namespace tovalux
