// Screenshots and the Notepad log sink, for scripts and end-to-end runs.
#include <algorithm>
#include <vector>

#include "base/screenshot.h"
#include "standin_host.h"

namespace standin {
namespace {

// The window to capture: the top-level window that holds the host's main window (a library
// may have placed it inside a frame of its own).
HWND captureTarget(Host& host) {
  HWND main = host.mainWindow();
  HWND root = main ? GetAncestor(main, GA_ROOT) : nullptr;
  return root ? root : main;
}

ActionResult screenshot(Host& host, const ActionArgs& args) {
  const std::string& name = args.text(0);
  if (name.empty()) return ActionResult::failure("screenshot NAME");
  const std::string path = host.artefactsFolder() + "\\" + name + ".png";
  // Paint what is pending first: the picture is read from the screen, which may still show
  // windows hidden since the last paint.
  HWND target = captureTarget(host);
  RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const bool saved = tovalux::saveWindowPng(target, path);
  // Where the picture lies on the screen, so that an object's place read through the accessible
  // tree (screen coordinates) can be found in it.
  RECT place{};
  GetWindowRect(target, &place);
  host.journal().record(EntryBuilder("screenshot")
                            .add("name", name)
                            .add("path", path)
                            .add("saved", saved ? 1 : 0)
                            .add("x", place.left)
                            .add("y", place.top));
  return saved ? ActionResult::success() : ActionResult::failure("could not save " + path);
}

// Counts the messages of one kind taken off this thread's queue by any loop: the loops here, or
// a modal loop that the input set off (a menu's, a page's wait for its script) which swallows
// the release before the loop here sees it.
class RemovedMessages {
 public:
  RemovedMessages(UINT first, UINT second, WPARAM key = 0) {
    watch_ = {first, second, key, 0};
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, &RemovedMessages::seen, nullptr, GetCurrentThreadId());
  }
  ~RemovedMessages() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  RemovedMessages(const RemovedMessages&) = delete;
  RemovedMessages& operator=(const RemovedMessages&) = delete;
  int count() const { return watch_.count; }

 private:
  struct Watch {
    UINT first, second;
    WPARAM key;
    int count;
  };
  static LRESULT CALLBACK seen(int code, WPARAM removal, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message != nullptr &&
        (message->message == watch_.first || message->message == watch_.second) &&
        (watch_.key == 0 || message->wParam == watch_.key))
      ++watch_.count;
    return CallNextHookEx(nullptr, code, removal, lParam);
  }
  static thread_local Watch watch_;
  HHOOK hook_ = nullptr;
};
thread_local RemovedMessages::Watch RemovedMessages::watch_{};

// Serves the UI thread until `wanted` of the watched messages have been taken off the queue, then
// what is queued behind them (what they set off), for at most 5 s. With `keys`, key messages go
// through the host's accelerators first, as its own loop does.
bool serveUntilArrived(const RemovedMessages& arrivals, int wanted = 1, Host* keys = nullptr) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 5000) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (arrivals.count() >= wanted) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (keys != nullptr && keys->translateKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return arrivals.count() >= wanted;
}
}  // namespace

namespace {

// A window coordinate of a script: scripts are written for a 96-dpi screen, and at another system
// DPI the frame draws everything that much larger, so the point the script means is scaled too.
int scriptCoordinate(const ActionArgs& args, int index) {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int found = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return found > 0 ? found : 96;
  }();
  const int64_t v = args.number(index);
  return static_cast<int>(v >= 0 ? (v * dpi + 48) / 96 : -((-v * dpi + 48) / 96));
}

}  // namespace

// Real left clicks (system input, as a user's hand makes them) at a screen point; the cursor
// stays there. The input comes back through the display server: messages are served until the
// last release has been dispatched, then what it set off, so the next line sees the outcome.
ActionResult clickOnScreen(Host& host, int x, int y, int clicks, bool right) {
  if (!SetCursorPos(x, y)) return ActionResult::failure("cannot move the cursor");
  clicks = clicks < 1 ? 1 : (clicks > 2 ? 2 : clicks);
  INPUT input[4]{};
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  for (int i = 0; i < clicks * 2; ++i) {
    input[i].type = INPUT_MOUSE;
    input[i].mi.dwFlags = i % 2 == 0 ? down : up;
  }
  const UINT count = static_cast<UINT>(clicks * 2);
  const UINT release = right ? WM_RBUTTONUP : WM_LBUTTONUP;
  RemovedMessages releases(release, release);
  if (SendInput(count, input, sizeof input[0]) != count) return ActionResult::failure("input refused");
  const bool released = serveUntilArrived(releases, clicks);
  host.journal().record(EntryBuilder("click").add("x", x).add("y", y).add("served", released ? 1 : 0));
  return released ? ActionResult::success() : ActionResult::failure("the click never arrived");
}

namespace {

// drag X1 Y1 X2 Y2 [steps=N]: the left button pressed at X1, Y1 of the window holding the main
// window, the mouse moved to X2, Y2 in N steps (each served), the button released there.
ActionResult drag(Host& host, const ActionArgs& args) {
  RECT window;
  HWND target = captureTarget(host);
  if (args.count() < 4) return ActionResult::failure("drag X1 Y1 X2 Y2 [steps=N]");
  if (!target || !GetWindowRect(target, &window)) return ActionResult::failure("no window to drag in");
  const int x1 = window.left + scriptCoordinate(args, 0), y1 = window.top + scriptCoordinate(args, 1);
  const int x2 = window.left + scriptCoordinate(args, 2), y2 = window.top + scriptCoordinate(args, 3);
  const int steps = std::max(1, static_cast<int>(args.optionNumber("steps", 8)));
  auto send = [](DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
      input.mi.dx = x * 65535 / std::max(1, GetSystemMetrics(SM_CXSCREEN) - 1);
      input.mi.dy = y * 65535 / std::max(1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    return SendInput(1, &input, sizeof input) == 1;
  };
  if (!SetCursorPos(x1, y1)) return ActionResult::failure("cannot move the cursor");
  {
    RemovedMessages presses(WM_LBUTTONDOWN, WM_LBUTTONDOWN);
    if (!send(MOUSEEVENTF_LEFTDOWN) || !serveUntilArrived(presses))
      return ActionResult::failure("the press never arrived");
  }
  for (int i = 1; i <= steps; ++i) {
    RemovedMessages moves(WM_MOUSEMOVE, WM_MOUSEMOVE);
    if (!send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps) ||
        !serveUntilArrived(moves))
      return ActionResult::failure("a move never arrived");
  }
  RemovedMessages releases(WM_LBUTTONUP, WM_LBUTTONUP);
  const bool released = send(MOUSEEVENTF_LEFTUP) && serveUntilArrived(releases);
  host.journal().record(EntryBuilder("drag").add("x", x2).add("y", y2).add("served", released ? 1 : 0));
  return released ? ActionResult::success() : ActionResult::failure("the release never arrived");
}

// A real key press (SendInput) to whichever window has the focus, with Ctrl, Shift or Alt held
// around it; served until its release has been dispatched, then what it set off.
ActionResult key(Host& host, const ActionArgs& args) {
  const int64_t code = args.number(0, 0);
  if (code <= 0 || code > 0xFE) return ActionResult::failure("key VK [ctrl=1] [shift=1] [alt=1]");
  std::vector<WORD> held;
  if (args.optionNumber("ctrl", 0)) held.push_back(VK_CONTROL);
  if (args.optionNumber("shift", 0)) held.push_back(VK_SHIFT);
  if (args.optionNumber("alt", 0)) held.push_back(VK_MENU);
  std::vector<INPUT> input;
  auto press = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(i);
  };
  for (WORD vk : held) press(vk, false);
  press(static_cast<WORD>(code), false);
  press(static_cast<WORD>(code), true);
  for (auto vk = held.rbegin(); vk != held.rend(); ++vk) press(*vk, true);
  RemovedMessages releases(WM_KEYUP, WM_SYSKEYUP, static_cast<WPARAM>(code));
  if (SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) != input.size())
    return ActionResult::failure("input refused");
  const bool released = serveUntilArrived(releases, 1, &host);
  host.journal().record(EntryBuilder("key").add("vk", code).add("served", released ? 1 : 0));
  return released ? ActionResult::success() : ActionResult::failure("the key never arrived");
}

// A click at X, Y of the captured window, counted from its top-left corner. Scripts use it to
// press what a library drew itself, such as its pane tabs.
ActionResult click(Host& host, const ActionArgs& args) {
  if (args.text(1).empty()) return ActionResult::failure("click X Y");
  RECT window;
  HWND target = captureTarget(host);
  if (!target || !GetWindowRect(target, &window)) return ActionResult::failure("no window to click");
  return clickOnScreen(host, window.left + scriptCoordinate(args, 0), window.top + scriptCoordinate(args, 1),
                       static_cast<int>(args.optionNumber("clicks", 1)), args.option("button") == "right");
}

// A drag with the left button held, from X1, Y1 to X2, Y2 of the captured window, given to the
// system in one go (a frame's edge moved by hand): a window that sizes or moves in a modal loop
// of its own takes the input there, where `drag` could not wait for each step; then what the
// drag set off is served.
ActionResult dragModal(Host& host, const ActionArgs& args) {
  if (args.count() < 4) return ActionResult::failure("drag-modal X1 Y1 X2 Y2");
  RECT window;
  HWND target = captureTarget(host);
  if (!target || !GetWindowRect(target, &window)) return ActionResult::failure("no window to drag on");
  const POINT from{window.left + scriptCoordinate(args, 0), window.top + scriptCoordinate(args, 1)};
  const POINT to{window.left + scriptCoordinate(args, 2), window.top + scriptCoordinate(args, 3)};
  if (!SetCursorPos(from.x, from.y)) return ActionResult::failure("cannot move the cursor");
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> input;
  auto mouse = [&](DWORD flags, int x, int y) {
    INPUT i{};
    i.type = INPUT_MOUSE;
    i.mi.dwFlags = flags;
    i.mi.dx = x * 65535 / (screenWidth - 1);
    i.mi.dy = y * 65535 / (screenHeight - 1);
    input.push_back(i);
  };
  mouse(MOUSEEVENTF_LEFTDOWN, 0, 0);
  constexpr int kSteps = 8;
  for (int step = 1; step <= kSteps; ++step)
    mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x + (to.x - from.x) * step / kSteps,
          from.y + (to.y - from.y) * step / kSteps);
  mouse(MOUSEEVENTF_LEFTUP, 0, 0);
  if (SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) != input.size())
    return ActionResult::failure("input refused");
  // Served until the queue has stayed empty for a moment.
  DWORD quietSince = GetTickCount();
  const DWORD start = quietSince;
  while (GetTickCount() - start < 5000 && GetTickCount() - quietSince < 300) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    quietSince = GetTickCount();
  }
  host.journal().record(EntryBuilder("drag").add("x1", from.x).add("y1", from.y).add("x2", to.x).add("y2", to.y));
  return ActionResult::success();
}

// The sink is H\notepad\notepad.exe (standin/notepad), a process of its own whose image is
// notepad.exe, as the plug-in requires of a log window. It hands each line it receives to the
// relay window below before taking it, so the line is journaled as "notepad" by the time the
// library's send returns. The relay lives on a thread of its own: the library's send may come
// from the UI thread and block it until the sink answers.
struct Sink {
  PROCESS_INFORMATION process{};
  HWND relay = nullptr;
  int opened = 0;
};
Sink gNotepad;

LRESULT CALLBACK relayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData == 1) {
      std::string text(static_cast<const char*>(data->lpData), data->cbData);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      Host::instance().journal().record(EntryBuilder("notepad").add("text", text));
      return 1;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI relayThread(void* ready) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &relayProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TovaluxNotepadRelay";
  RegisterClassA(&wc);
  gNotepad.relay = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

HWND relayWindow() {
  if (gNotepad.relay && IsWindow(gNotepad.relay)) return gNotepad.relay;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, &relayThread, ready, 0, nullptr);
  if (thread) {
    WaitForSingleObject(ready, 10000);
    CloseHandle(thread);  // it serves the relay for the rest of the process
  }
  CloseHandle(ready);
  return gNotepad.relay;
}

bool sinkOpen() {
  return gNotepad.process.hProcess && WaitForSingleObject(gNotepad.process.hProcess, 0) == WAIT_TIMEOUT;
}

std::string notepadProgram(Host& host) { return host.toolsDirectory() + "\\notepad\\notepad.exe"; }

ActionResult openSink(Host& host, const ActionArgs& args) {
  if (sinkOpen()) return ActionResult::failure("a Notepad sink is open");
  const std::string title = args.text(0).empty() ? "TovaluxLog.txt - 记事本" : args.text(0);
  HWND relay = relayWindow();
  if (!relay) return ActionResult::failure("cannot create the Notepad relay");
  const std::string readyName =
      "TovaluxNotepadSink-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++gNotepad.opened);
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  const std::string program = notepadProgram(host);
  std::string command = "\"" + program + "\" \"" + title + "\" " + readyName +
                        " relay=" + std::to_string(reinterpret_cast<intptr_t>(relay)) +
                        " parent=" + std::to_string(GetCurrentProcessId());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &process) != FALSE;
  HANDLE waits[2] = {ready, process.hProcess};
  const bool up = started && WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
  CloseHandle(ready);
  if (!up) {
    if (started) {
      TerminateProcess(process.hProcess, 1);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    return ActionResult::failure("cannot start " + program);
  }
  CloseHandle(process.hThread);
  process.hThread = nullptr;
  gNotepad.process = process;
  host.journal().record(EntryBuilder("notepad-open").add("title", title));
  return ActionResult::success();
}

void destroySink(Host&) {
  if (!gNotepad.process.hProcess) return;
  TerminateProcess(gNotepad.process.hProcess, 0);
  WaitForSingleObject(gNotepad.process.hProcess, 10000);
  CloseHandle(gNotepad.process.hProcess);
  gNotepad.process = {};
}

ActionResult closeSink(Host& host, const ActionArgs&) {
  if (!sinkOpen()) return ActionResult::failure("no Notepad sink");
  destroySink(host);
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"screenshot", "screenshot NAME: saves the window holding the main window as ARTEFACTS\\NAME.png", &screenshot},
    {"click",
     "click X Y [clicks=2] [button=right]: a real left click (SendInput) at X, Y of the window holding the main "
     "window, clicks=2 a double click, button=right with the right button",
     &click},
    {"drag", "drag X1 Y1 X2 Y2 [steps=N]: a real drag with the left button, at window coordinates as click", &drag},
    {"drag-modal",
     "drag-modal X1 Y1 X2 Y2: a real drag (SendInput) given in one go, for a frame edge or caption the system "
     "moves in a modal loop of its own, in window coordinates as click",
     &dragModal},
    {"key",
     "key VK [ctrl=1] [shift=1] [alt=1]: a real key press (SendInput) to the focused window, VK a number (0x1B "
     "Escape, 0x76 F7)",
     &key},
    {"notepad-open",
     "notepad-open [TITLE]: a Notepad log sink (H\\notepad\\notepad.exe); each line is journaled as \"notepad\"",
     &openSink},
    {"notepad-close", "notepad-close: destroys the Notepad sink", &closeSink},
};

const TeardownRegistration kTeardown{"notepad sink", &destroySink};

}  // namespace
}  // namespace standin
