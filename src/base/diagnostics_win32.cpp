#include "base/diagnostics.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "base/notepad_rules.h"

namespace tovalux {
namespace {

// The one thread whose lookups are kept (0: none); the rest is touched by that thread only.
std::atomic<DWORD> gScopeThread{0};
int gScopeDepth = 0;
bool gScopeLooked = false;
void* gScopeSink = nullptr;

notepad::SinkGate& sinkGate() {
  static notepad::SinkGate* gate = new notepad::SinkGate;  // never destroyed: any thread may log late
  return *gate;
}

// Whether the top-level window belongs to a Notepad process. The last answer is kept with the
// window and its process id, so a log line costs no process lookup while the same window is open.
bool ownedByNotepad(HWND window) {
  static std::mutex cacheLock;
  static HWND cachedWindow = nullptr;
  static DWORD cachedProcess = 0;
  static bool cachedAnswer = false;
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
  {
    std::lock_guard guard(cacheLock);
    if (window == cachedWindow && processId == cachedProcess) return cachedAnswer;
  }
  bool answer = false;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    if (QueryFullProcessImageNameA(process, 0, image, &size)) answer = notepad::isNotepadImage({image, size});
    CloseHandle(process);
  }
  std::lock_guard guard(cacheLock);
  cachedWindow = window;
  cachedProcess = processId;
  cachedAnswer = answer;
  return answer;
}

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
  // A window of that class and title that is not a Notepad's (any program can make one) gets
  // nothing: the log's paths and numbers go to Notepad only.
  if (!notepad || !ownedByNotepad(notepad)) return nullptr;
  return GetWindow(notepad, GW_CHILD);
}

// A send the window answers within `timeoutMs`; never waits longer, and never for a window the
// system already knows is hung.
bool sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result) != 0;
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
  HWND edit = static_cast<HWND>(sink);
  const auto key = reinterpret_cast<uintptr_t>(edit);
  notepad::SinkGate& gate = sinkGate();
  switch (gate.before(key, GetTickCount())) {
    case notepad::SinkGate::Step::kSkip: return;
    case notepad::SinkGate::Step::kProbe:
      if (!sendWithin(edit, WM_NULL, 0, 0, notepad::kProbeTimeoutMs)) return;
      gate.answered(key);
      break;
    case notepad::SinkGate::Step::kSend: break;
  }
  std::string line(text);
  line += "\r\n";
  // wParam 1: the insertion can be undone in Notepad.
  if (!sendWithin(edit, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(line.c_str()), notepad::kSendTimeoutMs))
    gate.timedOut(key, GetTickCount());
}

void logToNotepad(std::string_view text) { logToNotepadSink(notepadLogSink(), text); }

}  // namespace tovalux
