#include "debugging/debug_run.h"

#include <atomic>
#include <mutex>

#include "base/gbk.h"
#include "base/guard.h"
#include "debugging/debug_output.h"
#include "debugging/disassembly_pane.h"
#include "debugging/log_bounds.h"
#include "debugging/run_log_rules.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "host/shell_state.h"
#include "host/ui_jobs.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "shell/shell_rules.h"

namespace tovalux {
namespace {

// Never destroyed: the host's debugger thread may still ask for the name while the process's
// static destructors run at exit.
std::mutex& gNameLock = *new std::mutex;
std::string& gProgramName = *new std::string;

std::atomic<uint32_t> gRunsStarted{0};
std::atomic<uint32_t> gRunsStopped{0};
std::atomic<uint32_t> gExceptionLines{0};
std::atomic<uint32_t> gRefreshRequests{0};
std::atomic<uint32_t> gSaveRequests{0};

// Exception lines wait here for the UI thread, at most kMaxWaitingLines of them: a program that
// raises first-chance exceptions in a loop must not grow the IDE's memory. One UI job (coalesced)
// takes them all; lines past the bound are counted and reported in one line.
constexpr size_t kMaxWaitingLines = 256;
constexpr uint32_t kExceptionLinesKey = kFirstFreeUiJobKey + 12;
debuglog::PendingLines& waitingExceptionLines() {
  static debuglog::PendingLines* lines = new debuglog::PendingLines(kMaxWaitingLines);  // any thread, any time
  return *lines;
}

void appendWaitingExceptionLines() {
  for (const std::string& line : waitingExceptionLines().take()) appendDebugLine(line);
}

void setProgramName(std::string name) {
  std::lock_guard lock(gNameLock);
  gProgramName = std::move(name);
}

// Enables or disables every button of the designer tool bar "winToolBar1" (UI thread).
void enableDesignerButtons(bool enable) {
  const HXCGUI bar = frameElement("winToolBar1");
  if (!XC_IsHXCGUI(bar, XC_TOOLBAR)) return;
  const int count = XToolBar_GetEleCount(bar);
  for (int i = 0; i < count; ++i) {
    const HELE element = XToolBar_GetEle(bar, i);
    if (XC_IsHXCGUI(element, XC_BUTTON)) XEle_Enable(element, enable);
  }
  XEle_RedrawEle(bar, false);
}

// The title of the host's active code page (UI thread: the MDI client is the UI thread's).
std::string activePageTitle() {
  HWND mdiClient = hostWindows().mdiClient();
  if (!mdiClient) return {};
  HWND page = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
  if (!page) return {};
  char title[257] = {};
  GetWindowTextA(page, title, sizeof title);
  return title;
}

// The current project path from the host's caption, read without a message: the debugger
// thread must not wait for the UI thread, which may be waiting for the debugged program.
std::string projectPathFromHostCaption() {
  HWND host = hostWindows().mainWindow();
  if (!host) return {};
  wchar_t caption[4096] = {};
  const int length = InternalGetWindowText(host, caption, static_cast<int>(std::size(caption)));
  if (length <= 0) return {};
  const std::string gbk = utf16ToGbk(std::wstring_view(caption, static_cast<size_t>(length)));
  return shell_rules::projectPathFromCaption(gbk, [](const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  });
}

void requestToolBarRefresh() {
  void (*refresh)() = peers().syncToolBarState;
  if (!refresh) return;
  gRefreshRequests.fetch_add(1);
  postUiJob([refresh] { refresh(); }, kToolBarRefresh);
}

}  // namespace

void onProcessCreated(BOOL succeeded, LPCSTR commandLine, DWORD creationFlags,
                      const PROCESS_INFORMATION* processInformation) {
  guarded(GuardSite::kHookReplacement, [&] {
    if (!shellRunning() || commandLine == nullptr || processInformation == nullptr) return;
    std::string name = debuglog::programName(commandLine);
    const PROCESS_INFORMATION info = *processInformation;
    if (!debuglog::startsDebuggingRun(succeeded != FALSE, info.dwProcessId, creationFlags, name)) return;

    setDebuggedProcess({info.hProcess, info.hThread, info.dwProcessId, info.dwThreadId});
    setProgramName(name);
    setDebugging(true);
    gRunsStarted.fetch_add(1);
    waitingExceptionLines().clear();
    postUiJob([line = debuglog::startLine(info.dwProcessId, name)] {
      enableDesignerButtons(false);
      clearDebugLog();
      appendDebugLine(line);
      applyFrameLook(true);
    });
    if (!projectPathFromHostCaption().empty()) {
      gSaveRequests.fetch_add(1);
      runIdeFunction(ide::kSaveProject);
    }
  });
}

void onBeforeWaitForDebugEvent(const DEBUG_EVENT* held) {
  guarded(GuardSite::kHookReplacement, [&] {
    if (held == nullptr || !shellRunning()) return;
    const DEBUG_EVENT event = *held;
    if (!debuglog::eventOfRun(event.dwProcessId, event.dwThreadId, debuggedProcessId())) return;
    requestToolBarRefresh();
    if (event.dwDebugEventCode != debuglog::kExceptionDebugEvent) return;
    const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
    gExceptionLines.fetch_add(1);
    waitingExceptionLines().push(debuglog::exceptionLine(
        record.ExceptionCode, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record.ExceptionAddress))));
    postUiJob(&appendWaitingExceptionLines, kExceptionLinesKey);
  });
}

void onBeforeDebugStop(DWORD processId) {
  guarded(GuardSite::kHookReplacement, [&] {
    if (!shellRunning() || processId == 0 || processId != debuggedProcessId()) return;
    std::string line = debuglog::stopLine(processId, debuggedProgramName());
    clearDebuggedProcess();
    setProgramName({});
    setDebugging(false);
    gRunsStopped.fetch_add(1);
    postUiJob([line = std::move(line)] {
      appendWaitingExceptionLines();  // whatever is still waiting comes before the stop
      appendDebugLine(line);
      if (debuglog::designerPageTitle(activePageTitle())) enableDesignerButtons(true);
      applyFrameLook(false);
    });
  });
}

std::string debuggedProgramName() {
  std::lock_guard lock(gNameLock);
  return gProgramName;
}

const Part kDebuggingPart{
    .name = "debugging",
    .tearDown = &tearDownDebugRun,
    .offers = {.clearBuildOutput = &clearBuildOutputPane,
               .writeBuildOutput = &writeBuildOutput,
               .appendDebugLine = &appendDebugLine,
               .showDisassembly = &showDisassembly,
               .debugHooks = {
                   .processCreated =
                       [](const CreateProcessCall& call) {
                         onProcessCreated(call.result, call.commandLine, call.creationFlags, call.processInformation);
                       },
                   .beforeWaitForDebugEvent = [](const DEBUG_EVENT& held, DWORD) { onBeforeWaitForDebugEvent(&held); },
                   .beforeDebugStop = &onBeforeDebugStop}},
};

void tearDownDebugRun() {
  waitingExceptionLines().clear();
  clearDebuggedProcess();
  setDebugging(false);
  setProgramName({});
  gRunsStarted = gRunsStopped = gExceptionLines = gRefreshRequests = gSaveRequests = 0;
}

DebugRunCounters debugRunCounters() {
  return {gRunsStarted.load(), gRunsStopped.load(), gExceptionLines.load(), gRefreshRequests.load(),
          gSaveRequests.load()};
}

}  // namespace tovalux
