#include "standin_host.h"

#include "ui_reader.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "control_traffic.h"

namespace standin {
namespace {

constexpr char kControlWindowClass[] = "EHostControl";
DWORD gUiThread = 0;

LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const LRESULT result = Host::instance().handleMainMessage(window, message, wParam, lParam, handled);
  if (handled) return result;
  // The caption stays exactly what the host sets: the default frame procedure would append the
  // title of a maximised page.
  if (message == WM_SETTEXT) return DefWindowProcA(window, message, wParam, lParam);
  return DefFrameProcA(window, Host::instance().tree().mdiClient, message, wParam, lParam);
}

// The control channel: WM_COPYDATA with an action line; answers 1 when the action succeeded.
LRESULT CALLBACK controlWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || !data->lpData || data->cbData == 0 || data->cbData >= 65536) return 0;
    const std::string line(static_cast<const char*>(data->lpData), data->cbData);
    Host::instance().journal().record(EntryBuilder("control").add("command", line));
    return Host::instance().runAction(line).ok ? 1 : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CALLBACK endMenuTimer(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

bool isPrivateMessage(UINT message) {
  if (message >= kFirstInternalMessage && message <= kLastInternalMessage) return false;
  return message == kStatusLineMessage || message >= WM_USER;
}

}  // namespace

Host& Host::instance() {
  static Host host;
  return host;
}

std::string threadLabel() { return GetCurrentThreadId() == gUiThread ? "ui" : "other"; }

void Host::reset() {
  watchdog_.stop();
  watchdog_.clear();
  destroyWindows();
  unloadLibraries();
  model_ = HostModel{};
  modes_.clear();
  ownProcedures_.clear();
  closing_ = false;
  librariesRunning_ = false;
  exitCode_ = 0;
  mainPaints_ = 0;
  journal_.clear();
}

int64_t Host::mode(const std::string& name) const {
  const auto found = modes_.find(name);
  return found == modes_.end() ? 0 : found->second;
}

void Host::setMode(const std::string& name, int64_t value) {
  modes_[name] = value;
  journal_.record(EntryBuilder("mode").add("name", name).add("value", value));
}

bool Host::consumeMode(const std::string& name) {
  const auto found = modes_.find(name);
  if (found == modes_.end() || found->second <= 0) return false;
  --found->second;
  return true;
}

bool Host::createWindows() {
  if (tree_.main) return true;
  gUiThread = GetCurrentThreadId();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registerHostClasses(instance, &mainWindowProcedure)) return false;
  if (!createWindowTree(instance, tree_)) return false;
  for (const auto& [area, setup] : TreeSetupTable::instance().entries()) setup.run(*this);
  for (HWND window : {tree_.main, tree_.mainToolBar, tree_.mdiClient, tree_.propertyGrid, tree_.eventCombo})
    rememberOwnProcedure(window);

  WNDCLASSA control{};
  control.lpfnWndProc = &controlWindowProcedure;
  control.hInstance = instance;
  control.lpszClassName = kControlWindowClass;
  RegisterClassA(&control);
  controlWindow_ = CreateWindowExA(0, kControlWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);

  journal_.record(EntryBuilder("main-window").add("hwnd", handleNumber(tree_.main)));
  journal_.record(EntryBuilder("control-window").add("hwnd", handleNumber(controlWindow_)));
  return true;
}

bool Host::translateKeys(MSG& message) {
  static const HACCEL keys = [] {
    ACCEL table[] = {
        {FVIRTKEY, VK_F7, static_cast<WORD>(kCompileKeyCommand)},
        {FVIRTKEY | FSHIFT, VK_F7, static_cast<WORD>(kStaticCompileKeyCommand)},
    };
    return CreateAcceleratorTableA(table, static_cast<int>(std::size(table)));
  }();
  return tree_.main && keys && TranslateAcceleratorA(tree_.main, keys, &message) != 0;
}

void Host::show(int command) {
  if (tree_.main) ShowWindow(tree_.main, command);
}

void Host::destroyWindows() {
  if (tree_.main && IsWindow(tree_.main)) DestroyWindow(tree_.main);
  if (controlWindow_ && IsWindow(controlWindow_)) DestroyWindow(controlWindow_);
  controlWindow_ = nullptr;
  tree_ = WindowTree{};
  model_.pages.clear();
  model_.activePage = nullptr;
  for (const auto& [area, teardown] : TeardownTable::instance().entries()) teardown(*this);
}

LONG_PTR Host::ownProcedure(HWND window) const {
  const auto found = ownProcedures_.find(window);
  return found == ownProcedures_.end() ? 0 : found->second;
}

void Host::rememberOwnProcedure(HWND window) {
  if (window) ownProcedures_[window] = GetWindowLongPtrA(window, GWLP_WNDPROC);
}

int Host::loadLibraries() {
  int loaded = 0;
  const std::string pattern = directory_ + "\\lib\\*.fne";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string path = directory_ + "\\lib\\" + found.cFileName;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
      journal_.record(EntryBuilder("library-rejected").add("name", found.cFileName).add("reason", "load"));
      continue;
    }
    auto getNewInf = reinterpret_cast<GetNewInfFunction>(reinterpret_cast<void*>(GetProcAddress(module, "GetNewInf")));
    if (!getNewInf) {
      journal_.record(EntryBuilder("library-rejected").add("name", found.cFileName).add("reason", "no GetNewInf"));
      FreeLibrary(module);
      continue;
    }
    if (addLibrary(getNewInf, found.cFileName)) {
      libraries_.back().module = module;
      ++loaded;
    } else {
      FreeLibrary(module);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return loaded;
}

bool Host::addLibrary(GetNewInfFunction getNewInf, const std::string& label) {
  const tovalux::LibraryInfo* info = getNewInf();
  const char* reason = nullptr;
  if (!info)
    reason = "no descriptor";
  else if (info->formatVersion != tovalux::kLibraryFormatVersion)
    reason = "format";
  else if (info->requiredHostMajor > kHostMajorVersion ||
           (info->requiredHostMajor == kHostMajorVersion && info->requiredHostMinor > kHostMinorVersion))
    reason = "host version";
  if (reason) {
    journal_.record(EntryBuilder("library-rejected").add("name", label).add("reason", reason));
    return false;
  }
  libraries_.push_back(LoadedLibrary{label, nullptr, info});
  journal_.record(EntryBuilder("library")
                      .add("name", label)
                      .add("title", info->name ? info->name : "")
                      .add("guid", info->guid ? info->guid : "")
                      .add("commands", info->commandCount));
  return true;
}

void Host::unloadLibraries() {
  ui::forgetWindowObjects();
  for (LoadedLibrary& library : libraries_) {
    if (!library.module) continue;
    FreeLibrary(library.module);
    journal_.record(EntryBuilder("library-freed").add("name", library.name));
  }
  libraries_.clear();
  librariesRunning_ = false;
}

int32_t Host::notifyAll(int32_t code, int32_t param1, int32_t param2) {
  int32_t answer = 0;
  // Copy: a notification may make the host load or drop nothing, but stay safe if it does.
  const std::vector<LoadedLibrary> libraries = libraries_;
  for (const LoadedLibrary& library : libraries) {
    if (!library.info || !library.info->notify) continue;
    journal_.record(
        EntryBuilder("notify-sent").add("library", library.name).add("code", code).add("p1", param1).add("p2", param2));
    answer = library.info->notify(code, param1, param2);
    journal_.record(EntryBuilder("notify")
                        .add("library", library.name)
                        .add("code", code)
                        .add("p1", param1)
                        .add("p2", param2)
                        .add("answer", answer));
  }
  if (code == 1 && tree_.main && !libraries.empty()) librariesRunning_ = true;
  if (code == 6 || code == 17) librariesRunning_ = false;
  return answer;
}

int32_t Host::notifyStart() {
  return notifyAll(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&hostNotifyEntry)), 0);
}

void Host::showPopupMenu(int32_t first, int32_t second, POINT screen) {
  notifyAll(19, first, second);
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 40001, "剪切(&T)");
  AppendMenuA(menu, MF_STRING, 40002, "复制(&C)");
  AppendMenuA(menu, MF_STRING, 40003, "粘贴(&P)");
  const int choice = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0, tree_.main, nullptr);
  DestroyMenu(menu);
  journal_.record(EntryBuilder("popup-menu").add("p1", first).add("p2", second).add("choice", choice));
}

void Host::startLibraries(bool asTheHost) {
  notifyStart();
  recordDockBars("after-notify-1");
  if (asTheHost) {
    // The library mirror sees only inserts made after notification 1, the group buttons' texts
    // come by SetWindowTextA after they exist, the start page is an MDI page with its title
    // set afterwards: the host's own order.
    for (const char* step :
         {"library-tree-fill", "toolbox-buttons", "page-open \"起始页\"", "start-page", "toolbar show"}) {
      const ActionResult result = runAction(step);
      if (!result.ok) journal_.record(EntryBuilder("start-step-failed").add("step", step).add("error", result.error));
    }
  }
  notifyAll(18, 0, 0);
}

void Host::close() {
  if (closing_ || !tree_.main) return;
  if (consumeMode("refuse-close")) {
    // The user answered Cancel to the host's save prompt: nothing closes.
    journal_.record(EntryBuilder("close-refused"));
    return;
  }
  closing_ = true;
  // Libraries free their data while the main window still exists and is still answered.
  notifyAll(6, 0, 0);
  recordDockBars("after-notify-6");
  runAction("window-state after-notify-6");
  destroyWindows();
  journal_.record(EntryBuilder("closed"));
}

int32_t Host::onLibraryCall(int32_t code, int32_t param1, int32_t param2) {
  int32_t answer = 0;
  if (code == 1) {
    answer = static_cast<int32_t>(reinterpret_cast<intptr_t>(tree_.main));
  } else if (code == 2) {
    answer =
        runIdeFunction(static_cast<uint32_t>(param1), reinterpret_cast<const int32_t*>(static_cast<intptr_t>(param2)));
  }
  journal_.record(EntryBuilder("host-call")
                      .add("code", code)
                      .add("p1", param1)
                      .add("p2", param2)
                      .add("answer", answer)
                      .add("thread", threadLabel()));
  return answer;
}

int32_t Host::runIdeFunction(uint32_t number, const int32_t* block) {
  if (!block) {
    journal_.record(EntryBuilder("ide").addHex("number", number).add("error", "no parameter block"));
    return 0;
  }
  const int32_t param1 = block[0];
  const int32_t param2 = block[1];
  const IdeFunctionInfo* function = IdeFunctionTable::instance().find(number);
  EntryBuilder entry("ide");
  entry.addHex("number", number).add("p1", param1).add("p2", param2).add("thread", threadLabel());
  if (function) entry.add("name", function->name);
  journal_.record(entry);
  return function ? function->run(*this, param1, param2) : 1;  // other numbers are accepted
}

ActionResult Host::runAction(const std::string& line) {
  std::string error;
  const std::optional<ActionArgs> args = ActionArgs::parse(line, &error);
  ActionResult result;
  if (!args) {
    result = ActionResult::failure(error);
  } else {
    const ActionInfo* action = ActionTable::instance().find(args->name());
    journal_.record(EntryBuilder("action").add("name", args->name()).add("line", line));
    result = action ? action->run(*this, *args) : ActionResult::failure("unknown action \"" + args->name() + "\"");
  }
  if (!result.ok) journal_.record(EntryBuilder("action-failed").add("line", line).add("error", result.error));
  return result;
}

void Host::updateCaption() {
  if (!tree_.main) return;
  const std::string caption = model_.caption();
  SetWindowTextA(tree_.main, caption.c_str());
  journal_.record(EntryBuilder("caption").add("text", caption));
  hostSend(tree_.main, kStatusLineMessage, 0xE001, 0);
}

std::string Host::dockBarsVisible() const {
  std::string visible;
  for (HWND bar : {tree_.topDockBar, tree_.leftDockBar, tree_.bottomDockBar, tree_.rightDockBar})
    visible += hasVisibleStyle(bar) ? '1' : '0';
  return visible;
}

void Host::recordDockBars(const char* moment) {
  journal_.record(EntryBuilder("dock-bars").add("moment", moment).add("visible", dockBarsVisible()));
}

LRESULT Host::handleMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  if (window == tree_.main && isPrivateMessage(message)) {
    journal_.record(EntryBuilder("private")
                        .addHex("msg", message)
                        .add("wparam", static_cast<int64_t>(static_cast<intptr_t>(wParam)))
                        .add("lparam", static_cast<int64_t>(lParam))
                        .add("thread", threadLabel()));
  }
  switch (message) {
    case WM_PAINT:
      if (window == tree_.main) ++mainPaints_;
      handled = false;
      return 0;
    case WM_SIZE:
      if (window == tree_.main) layoutMainWindow(tree_);
      handled = false;
      return 0;
    case kRelayoutMessage: layoutMainWindow(tree_); return 0;
    case WM_CLOSE: close(); return 0;
    case WM_DESTROY:
      if (closing_ && quitOnClose_) PostQuitMessage(0);
      handled = false;
      return 0;
    case WM_COMMAND:
      if (lParam == 0) {
        journal_.record(EntryBuilder("command")
                            .add("id", static_cast<int64_t>(LOWORD(wParam)))
                            .add("wparam", static_cast<int64_t>(wParam))
                            .add("thread", threadLabel()));
        if (const CommandHandler* handler = CommandTable::instance().find(LOWORD(wParam))) {
          (*handler)(*this, wParam);
          return 0;
        }
      }
      handled = false;
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == tree_.mdiClient) {
        showPopupMenu(3, 7, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
      }
      handled = false;
      return 0;
    case kShowPopupMessage: {
      // Scripted pop-ups close themselves so a test never waits on the menu's modal loop.
      SetTimer(tree_.main, 1, 300, &endMenuTimer);
      POINT point{200, 200};
      showPopupMenu(static_cast<int32_t>(wParam), static_cast<int32_t>(lParam), point);
      KillTimer(tree_.main, 1);
      return 0;
    }
    case WM_COPYDATA:
      // The channel's first home; the control window is the one to use (a library subclasses
      // the main window).
      return controlWindowProcedure(window, message, wParam, lParam);
    default:
      handled = false;
      if (const MainMessageHandler* handler = MainMessageTable::instance().find(message))
        return (*handler)(*this, wParam, lParam, handled);
      return 0;
  }
}

int32_t __stdcall hostNotifyEntry(int32_t code, int32_t param1, int32_t param2) {
  return Host::instance().onLibraryCall(code, param1, param2);
}

}  // namespace standin
