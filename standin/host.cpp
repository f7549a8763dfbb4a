#include "host.h"

#include <cstdio>
#include <string>

#include "host/ide_functions.h"

namespace standin {
namespace {

constexpr UINT kShowPopupMessage = WM_APP + 1;
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

void CALLBACK endMenuTimer(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

}  // namespace

Host& Host::instance() {
  static Host host;
  return host;
}

std::string threadLabel() { return GetCurrentThreadId() == gUiThread ? "ui" : "other"; }

bool Host::createWindows() {
  if (tree_.main) return true;
  gUiThread = GetCurrentThreadId();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registerHostClasses(instance, &mainWindowProcedure)) return false;
  if (!createWindowTree(instance, tree_)) return false;
  journal_.record(
      EntryBuilder("main-window").add("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(tree_.main))));
  return true;
}

void Host::show(int command) {
  if (tree_.main) ShowWindow(tree_.main, command);
}

void Host::destroyWindows() {
  if (tree_.main && IsWindow(tree_.main)) DestroyWindow(tree_.main);
  tree_ = WindowTree{};
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
  for (LoadedLibrary& library : libraries_)
    if (library.module) FreeLibrary(library.module);
  libraries_.clear();
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
  return answer;
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

void Host::startLibraries() {
  notifyAll(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&hostNotifyEntry)), 0);
  recordDockBars("after-notify-1");
  notifyAll(18, 0, 0);
}

void Host::close() {
  if (closing_ || !tree_.main) return;
  closing_ = true;
  // Libraries free their data while the main window still exists and is still answered.
  notifyAll(6, 0, 0);
  recordDockBars("after-notify-6");
  DestroyWindow(tree_.main);
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

int32_t Host::onLibraryCall(int32_t code, int32_t param1, int32_t param2) {
  int32_t answer = 0;
  if (code == 1) {
    answer = static_cast<int32_t>(reinterpret_cast<intptr_t>(mainWindowForLibraries()));
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
  journal_.record(
      EntryBuilder("ide").addHex("number", number).add("p1", param1).add("p2", param2).add("thread", threadLabel()));
  auto writeSlot = [&](int32_t value) {
    if (auto* slot = reinterpret_cast<int32_t*>(static_cast<intptr_t>(param1))) *slot = value;
  };
  switch (number) {
    case tovalux::ide::kQueryPageKind:  // no page is open
    case tovalux::ide::kQueryCaretRow:
    case tovalux::ide::kQueryCaretColumn: writeSlot(0); return 1;
    default: return 1;  // accepted
  }
}

void Host::runControlCommand(const std::string& command) {
  journal_.record(EntryBuilder("control").add("command", command));
  int code = 0, first = 0, second = 0;
  if (command == "close") {
    PostMessageA(tree_.main, WM_CLOSE, 0, 0);
  } else if (command == "popup") {
    PostMessageA(tree_.main, kShowPopupMessage, 3, 7);
  } else if (std::sscanf(command.c_str(), "notify %d %d %d", &code, &first, &second) >= 1) {
    notifyAll(code, first, second);
  }
}

LRESULT Host::handleMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_SIZE:
      if (window == tree_.main) layoutMainWindow(tree_);
      handled = false;
      return 0;
    case kRelayoutMessage: layoutMainWindow(tree_); return 0;
    case WM_CLOSE: close(); return 0;
    case WM_DESTROY:
      if (closing_) PostQuitMessage(0);
      handled = false;
      return 0;
    case WM_COMMAND:
      if (lParam == 0)
        journal_.record(EntryBuilder("command")
                            .add("id", static_cast<int64_t>(LOWORD(wParam)))
                            .add("wparam", static_cast<int64_t>(wParam)));
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
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data && data->lpData && data->cbData > 0 && data->cbData < 65536) {
        runControlCommand(std::string(static_cast<const char*>(data->lpData), data->cbData));
        return 1;
      }
      return 0;
    }
    default: handled = false; return 0;
  }
}

int32_t __stdcall hostNotifyEntry(int32_t code, int32_t param1, int32_t param2) {
  return Host::instance().onLibraryCall(code, param1, param2);
}

}  // namespace standin
