// Compiling and debugging: the host's output box during a compile, and its debugger thread.
//
// The debugger runs on a thread of its own, as the host's does: it copies e-sample.exe to
// H\temp\e_<n>.tmp, starts it with CreateProcessA (DEBUG_ONLY_THIS_PROCESS, the command line
// the bare path in a writable buffer, the current directory H), waits with WaitForDebugEvent on
// one zero-filled DEBUG_EVENT buffer with INFINITE, and ends with DebugActiveProcessStop. Every
// window change an event causes (caption and 0x362, output lines) is posted to the UI thread; the
// debugger thread never sends to a host control and never waits for the UI thread. The UI thread
// never waits for the debugger thread either: stop terminates the program and returns at once.
//
// The debuggee's actions come from `debuggee-script`; it finds the plug-in through
// ESTANDIN_PLUGIN. A run is started with `debug-run` and ended with `debug-stop` (the IDE
// functions 运行 and 终止 keep the commands area's simulated run, which no program backs).
#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/pump_wait.h"
#include "control_traffic.h"
#include "debugger.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr UINT kDebuggerJobMessage = WM_APP + 0x21;  // lParam: a std::function<void()>* to run
constexpr UINT kHangMessage = WM_APP + 0x22;         // wParam: milliseconds the UI thread sleeps
constexpr UINT kDisasmTextMessage = 89963;
constexpr char kFrameStandInClass[] = "Tovalux";

enum class Launch { kDebug, kPlain, kMissing };

struct Session {
  HANDLE thread = nullptr;
  HANDLE resume = nullptr;  // auto-reset: the UI thread lets a paused run go on
  std::atomic<HANDLE> process{nullptr};
  std::atomic<DWORD> processId{0};
  std::atomic<bool> paused{false};
  std::atomic<bool> stopping{false};
  std::atomic<bool> ended{false};
  // Fixed at launch (the debugger thread reads no host state).
  std::string directory;
  std::string script;
  std::string plugin;
  int number = 0;  // names the temporary file
  Launch launch = Launch::kDebug;
  bool pauseOnBreak = false;
  bool quiet = false;  // quiet-traffic: no journal entry per event (benchmarks)
  HWND main = nullptr;
  Journal* journal = nullptr;
};

std::shared_ptr<Session> gSession;
std::string gDebuggeeScript;
int gRunNumber = 0;
HWND gFrameStandIn = nullptr;

void postToUi(const Session& session, std::function<void()> job) {
  auto* owned = new std::function<void()>(std::move(job));
  if (!PostMessageA(session.main, kDebuggerJobMessage, 0, reinterpret_cast<LPARAM>(owned))) delete owned;
}

void setRunState(RunState state) {
  Host& host = Host::instance();
  host.model().runState = state;
  host.updateCaption();
}

// The host's own output line: the caret to the end, then the text replaces the selection.
void appendOutput(const std::string& text) {
  HWND box = Host::instance().tree().outputBox;
  if (!box) return;
  const LRESULT end = hostSend(box, WM_GETTEXTLENGTH, 0, 0);
  hostSend(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  hostSend(box, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void clearOutput() {
  HWND box = Host::instance().tree().outputBox;
  if (!box) return;
  hostSetText(box, "");
  hostSend(box, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

std::string linkerPath(const Host& host) {
  char value[MAX_PATH] = {};
  const std::string ini = host.directory() + "\\tools\\link.ini";
  GetPrivateProfileStringA("linker", "linker", "", value, sizeof value, ini.c_str());
  return value;
}

// The compile sequence: the "输出" tab, the clear signal, the lines (and a tool the host starts
// that is not the program it debugs), then 0x362.
void compile(Host& host, bool staticBuild) {
  const WindowTree& t = host.tree();
  if (t.bottomTabs) hostSend(t.bottomTabs, TCM_SETCURSEL, 1, 0);
  clearOutput();
  appendOutput("开始编译: " + host.model().projectPath + "\r\n");
  appendOutput("使用链接器: " + linkerPath(host) + "\r\n");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION tool{};
  char commandLine[] = "cmd.exe /c exit";
  if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                     &tool)) {
    WaitForSingleObject(tool.hProcess, 10000);
    CloseHandle(tool.hThread);
    CloseHandle(tool.hProcess);
  }
  appendOutput("编译成功\r\n");
  if (staticBuild) appendOutput("写出可执行文件\"" + host.directory() + "\\out\\demo.exe\"成功\r\n");
  if (t.main) hostSend(t.main, kStatusLineMessage, 0xE001, 0);
}

// The process's environment with the debuggee's variables set, as a UTF-16 block (an ANSI block
// with double-byte texts comes out of Wine's conversion cut short at its end).
std::wstring debuggeeEnvironment(const Session& session) {
  auto wide = [](const std::string& text) {
    std::wstring result(text.size(), L'\0');
    result.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                          result.data(), static_cast<int>(result.size()))));
    return result;
  };
  std::wstring block;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
      const std::wstring text = entry;
      if (text.rfind(L"ESTANDIN_PLUGIN=", 0) == 0 || text.rfind(L"ESTANDIN_SCRIPT=", 0) == 0) continue;
      block += text;
      block += L'\0';
    }
    FreeEnvironmentStringsW(strings);
  }
  block += wide("ESTANDIN_PLUGIN=" + session.plugin);
  block += L'\0';
  block += wide("ESTANDIN_SCRIPT=" + session.script);
  block += L'\0';
  block += L'\0';
  return block;
}

std::string readDebuggeeString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  const size_t units = std::min<size_t>(info.nDebugStringLength, 65536);
  if (units == 0 || !info.lpDebugStringData) return {};
  if (info.fUnicode) {
    std::wstring wide(units, L'\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, info.lpDebugStringData, wide.data(), units * 2, &read);
    wide.resize(read / 2);
    while (!wide.empty() && wide.back() == 0) wide.pop_back();
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), bytes, nullptr, nullptr);
    return text;
  }
  std::string text(units, '\0');
  SIZE_T read = 0;
  ReadProcessMemory(process, info.lpDebugStringData, text.data(), units, &read);
  text.resize(read);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

void record(const Session& session, EntryBuilder entry) { session.journal->record(entry); }

// The host's debugger thread.
DWORD WINAPI debuggerThread(void* parameter) {
  std::shared_ptr<Session> session = *static_cast<std::shared_ptr<Session>*>(parameter);
  delete static_cast<std::shared_ptr<Session>*>(parameter);
  Session& s = *session;

  CreateDirectoryA((s.directory + "\\temp").c_str(), nullptr);
  const std::string path = s.directory + "\\temp\\" + (s.launch == Launch::kMissing ? "missing_" : "e_") +
                           std::to_string(GetCurrentProcessId()) + "_" + std::to_string(s.number) + ".tmp";
  if (s.launch != Launch::kMissing) CopyFileA((s.directory + "\\e-sample.exe").c_str(), path.c_str(), FALSE);
  std::string commandLine = path;  // writable, unquoted, no arguments
  std::wstring environment = debuggeeEnvironment(s);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const DWORD flags = s.launch == Launch::kPlain ? 0 : DEBUG_ONLY_THIS_PROCESS;
  const BOOL started =
      CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags | CREATE_UNICODE_ENVIRONMENT,
                     environment.data(), s.directory.c_str(), &startup, &info);
  record(s, EntryBuilder("debug-launch")
                .add("ok", started ? 1 : 0)
                .add("pid", static_cast<int64_t>(info.dwProcessId))
                .add("path", path)
                .add("name", path.substr(path.rfind('\\') + 1))
                .addHex("flags", flags)
                .add("error", started ? 0 : static_cast<int64_t>(GetLastError())));
  if (!started) {
    s.ended = true;
    return 0;
  }
  s.process = info.hProcess;
  s.processId = info.dwProcessId;
  CloseHandle(info.hThread);

  DWORD exitCode = 0;
  if (s.launch == Launch::kPlain) {
    WaitForSingleObject(info.hProcess, 60000);
    GetExitCodeProcess(info.hProcess, &exitCode);
  } else {
    DEBUG_EVENT event;
    std::memset(&event, 0, sizeof event);  // one buffer for the whole run
    bool loaderBreakSeen = false;
    // The process and thread handles the events hand over. Windows closes them when the exit
    // events are continued; Wine leaves them open, so whatever is still open after the run's end
    // is closed here (2 handles a run otherwise, which a long run would see as growth).
    std::vector<HANDLE> handedOver;
    for (;;) {
      if (!WaitForDebugEvent(&event, INFINITE)) break;
      DWORD status = DBG_CONTINUE;
      switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
          if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
          handedOver.push_back(event.u.CreateProcessInfo.hProcess);
          handedOver.push_back(event.u.CreateProcessInfo.hThread);
          postToUi(s, [] { setRunState(RunState::kRunning); });
          break;
        case CREATE_THREAD_DEBUG_EVENT: handedOver.push_back(event.u.CreateThread.hThread); break;
        case LOAD_DLL_DEBUG_EVENT:
          if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
          break;
        case OUTPUT_DEBUG_STRING_EVENT: {
          std::string text = readDebuggeeString(info.hProcess, event.u.DebugString);
          if (!s.quiet) record(s, EntryBuilder("debug-string").add("text", text));
          postToUi(s, [text = std::move(text)] { appendOutput(text); });
          break;
        }
        case EXCEPTION_DEBUG_EVENT: {
          const EXCEPTION_RECORD& exception = event.u.Exception.ExceptionRecord;
          const bool breakpoint = exception.ExceptionCode == EXCEPTION_BREAKPOINT;
          if (!s.quiet)
            record(s, EntryBuilder("debug-exception")
                          .addHex("code", exception.ExceptionCode)
                          .addHex("address",
                                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(exception.ExceptionAddress)))
                          .add("first-chance", static_cast<int64_t>(event.u.Exception.dwFirstChance))
                          .add("tid", static_cast<int64_t>(event.dwThreadId)));
          if (breakpoint && !loaderBreakSeen) {
            loaderBreakSeen = true;  // the loader's: go on
          } else if (breakpoint && s.pauseOnBreak && !s.stopping) {
            s.paused = true;
            record(s, EntryBuilder("debug-paused").add("tid", static_cast<int64_t>(event.dwThreadId)));
            // S-PAUSE on the UI thread: the caption, then the paused page.
            postToUi(s, [] {
              setRunState(RunState::kPaused);
              showPausedPage(Host::instance());
            });
            WaitForSingleObject(s.resume, INFINITE);
            s.paused = false;
            status = DBG_EXCEPTION_NOT_HANDLED;  // the program's handler steps over its int3
          } else {
            status = DBG_EXCEPTION_NOT_HANDLED;  // the program handles its own exceptions
          }
          break;
        }
        case EXIT_PROCESS_DEBUG_EVENT: exitCode = event.u.ExitProcess.dwExitCode; break;
        default: break;
      }
      const DWORD code = event.dwDebugEventCode;
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
      if (code == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    DebugActiveProcessStop(info.dwProcessId);
    for (HANDLE handed : handedOver) {
      DWORD flags = 0;
      if (handed && GetHandleInformation(handed, &flags)) CloseHandle(handed);
    }
  }
  record(s, EntryBuilder("debug-ended")
                .add("pid", static_cast<int64_t>(info.dwProcessId))
                .add("exit-code", static_cast<int64_t>(exitCode)));
  s.ended = true;
  if (s.launch == Launch::kDebug)
    postToUi(s, [] {
      setRunState(RunState::kIdle);
      appendOutput("被调试程序已结束\r\n");
    });
  return 0;
}

bool runActive() { return gSession && !gSession->ended; }

ActionResult launch(Host& host, Launch kind, bool pauseOnBreak) {
  if (runActive()) return ActionResult::failure("a run is active");
  if (!host.mainWindow()) return ActionResult::failure("no main window");
  if (gSession && gSession->thread) {
    WaitForSingleObject(gSession->thread, 5000);
    CloseHandle(gSession->thread);
    CloseHandle(gSession->resume);
    if (HANDLE process = gSession->process.exchange(nullptr)) CloseHandle(process);
  }
  auto session = std::make_shared<Session>();
  session->directory = host.directory();
  session->script = gDebuggeeScript;
  session->plugin = host.directory() + "\\lib\\Tovalux.fne";
  session->launch = kind;
  session->number = ++gRunNumber;
  session->pauseOnBreak = pauseOnBreak;
  session->quiet = host.mode("quiet-traffic") != 0;
  session->main = host.mainWindow();
  session->journal = &host.journal();
  session->resume = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  gSession = session;
  if (kind == Launch::kDebug) appendOutput("开始运行被调试程序\r\n");
  auto* parameter = new std::shared_ptr<Session>(session);
  session->thread = CreateThread(nullptr, 0, &debuggerThread, parameter, 0, nullptr);
  if (!session->thread) {
    delete parameter;
    session->ended = true;
    return ActionResult::failure("no debugger thread");
  }
  return ActionResult::success();
}

// S-STOP: the program is terminated and a paused run let go; the debugger thread then sees the
// program's end and goes through its last steps. Never waits.
void stop() {
  if (!runActive()) return;
  gSession->stopping = true;
  if (HANDLE process = gSession->process.load()) TerminateProcess(process, 0);
  SetEvent(gSession->resume);
}

// S-RESUME.
bool resume() {
  if (!runActive() || !gSession->paused) return false;
  clearPausedPage(Host::instance());
  setRunState(RunState::kRunning);
  SetEvent(gSession->resume);
  return true;
}

ActionResult debuggeeScript(Host&, const ActionArgs& args) {
  gDebuggeeScript = args.text(0);
  return ActionResult::success();
}

ActionResult debugRun(Host& host, const ActionArgs& args) {
  const std::string how = args.option("launch").value_or("debug");
  const Launch kind = how == "plain" ? Launch::kPlain : how == "missing" ? Launch::kMissing : Launch::kDebug;
  if (how != "debug" && how != "plain" && how != "missing")
    return ActionResult::failure("debug-run [launch=debug|plain|missing] [pause=1]");
  return launch(host, kind, args.optionNumber("pause") == 1);
}

ActionResult debugStop(Host&, const ActionArgs&) {
  stop();
  return ActionResult::success();
}

ActionResult debugResume(Host&, const ActionArgs&) {
  return resume() ? ActionResult::success() : ActionResult::failure("no paused run");
}

ActionResult compileAction(Host& host, const ActionArgs& args) {
  compile(host, args.text(0) == "static");
  return ActionResult::success();
}

// F7 and Shift+F7: the host runs its compile itself, nothing of a library's in between.
void compileKey(Host& host, WPARAM wParam) { compile(host, LOWORD(wParam) == kStaticCompileKeyCommand); }

ActionResult outputLine(Host&, const ActionArgs& args) {
  appendOutput(args.text(0) + (args.optionNumber("crlf", 1) ? "\r\n" : ""));
  return ActionResult::success();
}

ActionResult outputClear(Host&, const ActionArgs&) {
  clearOutput();
  return ActionResult::success();
}

// A hung IDE: its user-interface thread stops answering for MS milliseconds (posted, so the
// control channel's caller is answered first).
ActionResult hang(Host& host, const ActionArgs& args) {
  if (!host.mainWindow()) return ActionResult::failure("no main window");
  PostMessageA(host.mainWindow(), kHangMessage, static_cast<WPARAM>(args.number(0, 30000)), 0);
  return ActionResult::success();
}

LRESULT CALLBACK frameStandInProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// For runs without the plug-in: a top-level "Tovalux" window holding the host main window, the
// way the shell's frame does, so a debugged program's commands find this IDE and send to it.
ActionResult frameStandIn(Host& host, const ActionArgs&) {
  if (!host.libraries().empty()) return ActionResult::failure("frame-stand-in: only without libraries");
  if (gFrameStandIn) return ActionResult::success();
  WNDCLASSA frameClass{};
  frameClass.lpfnWndProc = &frameStandInProcedure;
  frameClass.hInstance = GetModuleHandleA(nullptr);
  frameClass.lpszClassName = kFrameStandInClass;
  RegisterClassA(&frameClass);
  gFrameStandIn = CreateWindowExA(0, kFrameStandInClass, "Tovalux", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                  nullptr, frameClass.hInstance, nullptr);
  if (!gFrameStandIn) return ActionResult::failure("cannot create the frame stand-in");
  SetParent(host.mainWindow(), gFrameStandIn);
  return ActionResult::success();
}

LRESULT runDebuggerJob(Host&, WPARAM, LPARAM lParam, bool& handled) {
  handled = true;
  std::unique_ptr<std::function<void()>> job(reinterpret_cast<std::function<void()>*>(lParam));
  if (job && *job) (*job)();
  return 0;
}

LRESULT hangNow(Host& host, WPARAM wParam, LPARAM, bool& handled) {
  handled = true;
  host.journal().record(EntryBuilder("hang").add("ms", static_cast<int64_t>(wParam)));
  Sleep(static_cast<DWORD>(wParam));
  return 0;
}

// A disassembly block that reached the host itself: the plug-in's subclass answers it before
// the host sees it, so this is only ever recorded when no plug-in stands in between.
LRESULT recordDisassemblyBlock(Host& host, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  EntryBuilder entry("disasm-block");
  entry.add("bytes", static_cast<int64_t>(lParam)).add("thread", threadLabel());
  std::string block(static_cast<size_t>(std::clamp<LPARAM>(lParam, 0, 8 << 20)), '\0');
  SIZE_T read = 0;
  if (lParam >= 4 &&
      ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(wParam), block.data(), block.size(),
                        &read) &&
      read == block.size()) {
    uint32_t pid = 0;
    std::memcpy(&pid, block.data(), 4);
    const std::string text = block.substr(4);
    size_t lines = text.empty() ? 0 : 1;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    const size_t firstEnd = text.find("\r\n");
    const size_t lastStart = text.rfind("\r\n");
    entry.add("pid", static_cast<int64_t>(pid))
        .add("lines", static_cast<int64_t>(lines))
        .add("first", text.substr(0, std::min<size_t>(firstEnd, 200)))
        .add("last", lastStart == std::string::npos ? text.substr(0, 200) : text.substr(lastStart + 2, 200))
        .add("ends-with-crlf", text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 ? 1 : 0);
  } else {
    entry.add("unreadable", 1);
  }
  host.journal().record(entry);
  return 0;
}

void teardown(Host&) {
  if (gSession) {
    stop();
    if (gSession->thread) {
      tovalux::pumpingWait(10000, [] { return WaitForSingleObject(gSession->thread, 0) == WAIT_OBJECT_0; });
      CloseHandle(gSession->thread);
    }
    if (gSession->resume) CloseHandle(gSession->resume);
    if (HANDLE process = gSession->process.exchange(nullptr)) CloseHandle(process);
    gSession.reset();
  }
  gDebuggeeScript.clear();
  if (gFrameStandIn) DestroyWindow(gFrameStandIn);
  gFrameStandIn = nullptr;
}

const ActionRegistration kRegistrations[] = {
    {"debuggee-script", "debuggee-script \"ACTIONS\": e-sample's actions (';'-separated) for the next debug-run",
     &debuggeeScript},
    {"debug-run",
     "debug-run [launch=debug|plain|missing] [pause=1]: the debugger thread starts e-sample as H\\temp\\e_<n>.tmp "
     "(plain: without debug flags; missing: a .tmp that does not exist); pause=1 pauses at its breakpoints",
     &debugRun},
    {"debug-stop", "debug-stop: terminates the debugged program (a paused run is let go); returns at once", &debugStop},
    {"debug-resume", "debug-resume: a paused run goes on (caption back to running)", &debugResume},
    {"compile", "compile [static]: the compile sequence in the output box (tab, clear, lines, a tool, 0x362)",
     &compileAction},
    {"output-line", "output-line TEXT [crlf=0]: one line to the output box (EM_SETSEL to the end, EM_REPLACESEL)",
     &outputLine},
    {"output-clear", "output-clear: empties the output box (SetWindowText \"\", then EM_SETSEL -1 0)", &outputClear},
    {"hang", "hang [MS]: the UI thread sleeps MS milliseconds (30000), posted so the caller is answered first", &hang},
    {"frame-stand-in",
     "frame-stand-in: (no libraries) a top-level \"Tovalux\" window holding the main window, as the shell's frame",
     &frameStandIn},
};

const CommandRegistration kCommands[] = {
    {kCompileKeyCommand, &compileKey},
    {kStaticCompileKeyCommand, &compileKey},
};

const MainMessageRegistration kMessages[] = {
    {kDebuggerJobMessage, &runDebuggerJob},
    {kHangMessage, &hangNow},
    {kDisasmTextMessage, &recordDisassemblyBlock},
};

const TeardownRegistration kTeardown[] = {{"debugging", &teardown}};

}  // namespace

bool debuggerRunActive() { return runActive(); }
bool debuggerResume() { return resume(); }
void debuggerStop() { stop(); }

bool debuggerStartRun(Host& host) {
  if (runActive()) return false;
  compile(host, false);
  return launch(host, Launch::kDebug, true).ok;
}

}  // namespace standin
