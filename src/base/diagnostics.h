// Diagnostics: start-up progress (compiled in, writes nothing) and a line log appended to an
// open Notepad window, so a developer sees what the shell does inside a running host.
#pragma once

#include <string_view>

namespace tovalux {

// Names a start-up phase. Writes nothing.
void logProgress(std::string_view text);

// Appends text + "\r\n" at the caret of an open Notepad window titled "TovaluxLog.txt - 记事本",
// "*TovaluxLog.txt - 记事本" or "TovaluxLog - 记事本" (tried in that order) whose process is a
// Notepad (notepad.exe). Does nothing when none is open; never opens, creates or writes a file.
// Safe from any thread. A window that does not answer within a few hundred milliseconds is
// skipped until it answers a probe again (base/notepad_rules.h): the caller never hangs on it.
void logToNotepad(std::string_view text);

// The same log in two steps, for callers that build their line only when someone reads it: the
// Notepad window's edit, looked up now (null when no log window is open), and the write to it.
void* notepadLogSink();
void logToNotepadSink(void* sink, std::string_view text);

// While one lives on a thread, that thread looks the Notepad window up once: a host call that
// sends thousands of notifications to a logging window (a tree delete sends one per item) logs
// them all to the window found first instead of searching the desktop for each. Nests; a scope
// on another thread at the same time leaves this thread looking up as usual.
class NotepadLookupScope {
 public:
  NotepadLookupScope();
  ~NotepadLookupScope();
  NotepadLookupScope(const NotepadLookupScope&) = delete;
  NotepadLookupScope& operator=(const NotepadLookupScope&) = delete;

 private:
  bool owner_ = false;
};

}  // namespace tovalux
