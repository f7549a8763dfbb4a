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
    {"notepad-open", "notepad-open [TITLE]: a Notepad log sink in the host; each line is journaled as \"notepad\"",
     &openSink},
    {"notepad-close", "notepad-close: destroys the Notepad sink", &closeSink},
};

const TeardownRegistration kTeardown{"notepad sink", &destroySink};

}  // namespace
}  // namespace standin
