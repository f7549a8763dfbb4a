// ehost.exe: the stand-in IDE. It loads every H\lib\*.fne and behaves towards them as the host.
//
//   ehost.exe [--journal FILE] [--screenshot FILE] [--exit-after MS] [--demo]
//
// --screenshot saves a PNG of the window after start-up settles, then closes the host
// normally (so libraries see notification 6). --exit-after closes it after MS milliseconds.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/screenshot.h"
#include "base/text.h"
#include "host.h"

namespace {

struct Options {
  std::string journal;
  std::string screenshot;
  int exitAfterMs = -1;
  bool demo = false;
};

Options parseOptions(int argc, char** argv) {
  Options options;
  if (const char* journal = std::getenv("TOVALUX_JOURNAL")) options.journal = journal;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--journal" && hasValue)
      options.journal = argv[++i];
    else if (arg == "--screenshot" && hasValue)
      options.screenshot = argv[++i];
    else if (arg == "--exit-after" && hasValue)
      options.exitAfterMs = std::atoi(argv[++i]);
    else if (arg == "--demo")
      options.demo = true;
  }
  return options;
}

std::string executableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(tovalux::parentFolder(path));
}

constexpr int kSettleMs = 1500;
Options gOptions;
UINT_PTR gScreenshotTimer = 0;
UINT_PTR gExitTimer = 0;

// The window to capture: the top-level window that holds the host's main window (a library
// may have placed it inside a frame of its own).
HWND captureTarget() {
  HWND main = standin::Host::instance().mainWindow();
  HWND root = main ? GetAncestor(main, GA_ROOT) : nullptr;
  return root ? root : main;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  standin::Host& host = standin::Host::instance();
  if (timer == gScreenshotTimer) {
    const bool saved = tovalux::saveWindowPng(captureTarget(), gOptions.screenshot);
    host.journal().record(
        standin::EntryBuilder("screenshot").add("path", gOptions.screenshot).add("saved", saved ? 1 : 0));
    host.close();
  } else if (timer == gExitTimer) {
    host.close();
  }
}

}  // namespace

int main(int argc, char** argv) {
  gOptions = parseOptions(argc, argv);
  standin::Host& host = standin::Host::instance();
  const std::string directory = executableDirectory();
  host.setDirectory(directory);
  SetCurrentDirectoryA(directory.c_str());
  if (!gOptions.journal.empty()) host.journal().openFile(gOptions.journal);

  if (!host.createWindows()) return 1;
  host.loadLibraries();
  host.show(SW_SHOWNORMAL);
  UpdateWindow(host.mainWindow());
  host.startLibraries();

  if (!gOptions.screenshot.empty()) gScreenshotTimer = SetTimer(nullptr, 0, kSettleMs, &onTimer);
  if (gOptions.exitAfterMs >= 0) gExitTimer = SetTimer(nullptr, 0, static_cast<UINT>(gOptions.exitAfterMs), &onTimer);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  host.unloadLibraries();
  host.journal().record(standin::EntryBuilder("exit"));
  return 0;
}
