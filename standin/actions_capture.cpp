// Screenshots and the Notepad log sink, for scripts and end-to-end runs.
#include "base/screenshot.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kSinkClass[] = "Notepad";
HWND gSink = nullptr;
HWND gSinkEdit = nullptr;
WNDPROC gEditProcedure = nullptr;

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
  host.journal().record(EntryBuilder("screenshot").add("name", name).add("path", path).add("saved", saved ? 1 : 0));
  return saved ? ActionResult::success() : ActionResult::failure("could not save " + path);
}

// A real left click (system input, as a user's hand makes it) at X, Y of the captured window,
// counted from its top-left corner; the cursor stays there. Scripts use it to press what a
// library drew itself, such as its pane tabs.
ActionResult click(Host& host, const ActionArgs& args) {
  if (args.text(1).empty()) return ActionResult::failure("click X Y");
  RECT window;
  HWND target = captureTarget(host);
  if (!target || !GetWindowRect(target, &window)) return ActionResult::failure("no window to click");
  const int x = window.left + static_cast<int>(args.number(0));
  const int y = window.top + static_cast<int>(args.number(1));
  if (!SetCursorPos(x, y)) return ActionResult::failure("cannot move the cursor");
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  if (SendInput(2, input, sizeof input[0]) != 2) return ActionResult::failure("input refused");
  // The input comes back through the display server: serve messages until the button's release
  // has been dispatched, then what it set off, so the next line sees the click's outcome.
  bool released = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 5000) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (released) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (message.message == WM_LBUTTONUP) released = true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  host.journal().record(EntryBuilder("click").add("x", x).add("y", y).add("served", released ? 1 : 0));
  return released ? ActionResult::success() : ActionResult::failure("the click never arrived");
}

// Each line a library appends (EM_REPLACESEL) is journaled as "notepad".
LRESULT CALLBACK sinkEditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EM_REPLACESEL && lParam) {
    std::string text(reinterpret_cast<const char*>(lParam));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    Host::instance().journal().record(EntryBuilder("notepad").add("text", text));
  }
  return CallWindowProcA(gEditProcedure, window, message, wParam, lParam);
}

ActionResult openSink(Host& host, const ActionArgs& args) {
  if (gSink && IsWindow(gSink)) return ActionResult::failure("a Notepad sink is open");
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kSinkClass;
  RegisterClassA(&wc);
  const std::string title = args.text(0).empty() ? "TovaluxLog.txt - 记事本" : args.text(0);
  gSink = CreateWindowExA(0, kSinkClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
  gSinkEdit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 280, gSink, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!gSink || !gSinkEdit) return ActionResult::failure("cannot create the sink");
  gEditProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(gSinkEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&sinkEditProcedure)));
  host.journal().record(EntryBuilder("notepad-open").add("title", title));
  return ActionResult::success();
}

void destroySink(Host&) {
  if (gSink && IsWindow(gSink)) DestroyWindow(gSink);
  gSink = gSinkEdit = nullptr;
}

ActionResult closeSink(Host& host, const ActionArgs&) {
  if (!gSink || !IsWindow(gSink)) return ActionResult::failure("no Notepad sink");
  destroySink(host);
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"screenshot", "screenshot NAME: saves the window holding the main window as ARTEFACTS\\NAME.png", &screenshot},
    {"click", "click X Y: a real left click at X, Y of the window holding the main window (from its corner)", &click},
    {"notepad-open", "notepad-open [TITLE]: a Notepad log sink in the host; each line is journaled as \"notepad\"",
     &openSink},
    {"notepad-close", "notepad-close: destroys the Notepad sink", &closeSink},
};

const TeardownRegistration kTeardown{"notepad sink", &destroySink};

}  // namespace
}  // namespace standin
