// ehost.exe: the stand-in IDE. It loads every H\lib\*.fne and behaves towards them as the host.
//
//   ehost.exe [--journal FILE] [--script FILE] [--no-plugins] [--artefacts DIR] [--watchdog]
//             [--screenshot FILE] [--exit-after MS] [--demo] [--host-start] [--resources-every MS]
//             [--notify-before-windows] [--list-actions] [--journal-keep N]
//
// --host-start starts as the host does (library tree, toolbox groups, start page, main tool bar
//   between notifications 1 and 18); --demo implies it. Without it the script stages those steps.
// --script runs a host script (script.h) once start-up is done; a failing script closes the
//   host normally and ends it with exit code 3.
// --no-plugins loads no library: the same run without the plug-in, for ratio benchmarks.
// --artefacts is where the screenshot action writes (default: the journal's folder).
// --watchdog answers dialog boxes nobody expected (journaled as "dialog", answered=watchdog).
// --screenshot saves a PNG of the window after start-up settles, then closes the host
//   normally (so libraries see notification 6). --exit-after closes it after MS milliseconds.
// --resources-every journals the process's resource counts every MS milliseconds ("resources"),
//   for long runs that must stay flat.
// --notify-before-windows loads the libraries and sends notification 1 before the window tree
//   exists (hostNotify(1) answers 0 then), records the main window's state once the tree is
//   made ("window-state before-start"), then starts as usual: a host that tells its libraries
//   too early.
// --journal-keep keeps only the newest N journal entries in memory (the file gets them all): a
//   long run whose resources are read must not grow by its own journal.
// --list-actions prints every action with its usage, and the IDE functions the host answers, and
//   exits.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <string>

#include "base/screenshot.h"
#include "base/text.h"
#include "script.h"
#include "standin_host.h"

namespace {

struct Options {
  std::string journal;
  std::string script;
  std::string artefacts;
  std::string screenshot;
  int exitAfterMs = -1;
  int resourcesEveryMs = 0;
  int journalKeep = 0;
  bool plugins = true;
  bool watchdog = false;
  bool demo = false;
  bool hostStart = false;
  bool listActions = false;
  bool notifyBeforeWindows = false;
};

Options parseOptions(int argc, char** argv) {
  Options options;
  if (const char* journal = std::getenv("TOVALUX_JOURNAL")) options.journal = journal;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--journal" && hasValue)
      options.journal = argv[++i];
    else if (arg == "--script" && hasValue)
      options.script = argv[++i];
    else if (arg == "--artefacts" && hasValue)
      options.artefacts = argv[++i];
    else if (arg == "--screenshot" && hasValue)
      options.screenshot = argv[++i];
    else if (arg == "--exit-after" && hasValue)
      options.exitAfterMs = std::atoi(argv[++i]);
    else if (arg == "--resources-every" && hasValue)
      options.resourcesEveryMs = std::atoi(argv[++i]);
    else if (arg == "--journal-keep" && hasValue)
      options.journalKeep = std::atoi(argv[++i]);
    else if (arg == "--no-plugins")
      options.plugins = false;
    else if (arg == "--watchdog")
      options.watchdog = true;
    else if (arg == "--demo")
      options.demo = true;
    else if (arg == "--host-start")
      options.hostStart = true;
    else if (arg == "--list-actions")
      options.listActions = true;
    else if (arg == "--notify-before-windows")
      options.notifyBeforeWindows = true;
  }
  return options;
}

std::string executableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(tovalux::parentFolder(path));
}

constexpr int kSettleMs = 1500;
constexpr UINT kScriptTickMs = 10;
Options gOptions;
UINT_PTR gScreenshotTimer = 0;
UINT_PTR gExitTimer = 0;
UINT_PTR gResourcesTimer = 0;
int gResourcesTaken = 0;
UINT_PTR gScriptTimer = 0;
bool gTimeUp = false;  // --exit-after has fired: the script stops where it is, and that is no failure
std::unique_ptr<standin::ScriptRunner> gScript;

HWND captureTarget() {
  HWND main = standin::Host::instance().mainWindow();
  HWND root = main ? GetAncestor(main, GA_ROOT) : nullptr;
  return root ? root : main;
}

void failScript(standin::Host& host) {
  host.setExitCode(3);
  host.close();
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  standin::Host& host = standin::Host::instance();
  if (timer == gScriptTimer) {
    // A thread timer: modal loops a library runs dispatch it too, so the script goes on while a
    // menu or dialog of the library is open.
    const auto state = gScript->advance();
    if (gScript->finished()) {
      KillTimer(nullptr, gScriptTimer);
      gScriptTimer = 0;
      if (state == standin::ScriptRunner::State::kFailed && !gTimeUp) failScript(host);
    }
    return;
  }
  if (timer == gResourcesTimer) {
    standin::recordResources(host, "every " + std::to_string(++gResourcesTaken));
    return;
  }
  KillTimer(nullptr, timer);
  if (timer == gScreenshotTimer) {
    const bool saved = tovalux::saveWindowPng(captureTarget(), gOptions.screenshot);
    host.journal().record(
        standin::EntryBuilder("screenshot").add("path", gOptions.screenshot).add("saved", saved ? 1 : 0));
    host.close();
  } else if (timer == gExitTimer) {
    gTimeUp = true;
    if (gScriptTimer) KillTimer(nullptr, gScriptTimer);
    gScriptTimer = 0;
    host.close();
  }
}

void listActions() {
  for (const auto& [name, action] : standin::ActionTable::instance().entries())
    std::printf("%s\n", action.usage.c_str());
  std::printf("wait-journal KIND [field=value ...] [timeout=MS]: (scripts) waits for a journal entry\n");
  std::printf("journal-absent KIND [field=value ...]: (scripts) fails when such an entry came after the last wait\n");
  std::printf("sleep-ms MS: (scripts) pauses, for demo pacing only\n");
  for (const auto& [number, function] : standin::IdeFunctionTable::instance().entries())
    std::printf("IDE function 0x%08X: %s\n", number, function.name.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  gOptions = parseOptions(argc, argv);
  if (gOptions.listActions) {
    listActions();
    return 0;
  }
  standin::Host& host = standin::Host::instance();
  const std::string directory = executableDirectory();
  host.setDirectory(directory);
  host.setQuitOnClose(true);
  SetCurrentDirectoryA(directory.c_str());
  if (!gOptions.journal.empty()) host.journal().openFile(gOptions.journal);
  if (gOptions.journalKeep > 0) host.journal().keepAtMost(static_cast<size_t>(gOptions.journalKeep));
  std::string artefacts = gOptions.artefacts;
  if (artefacts.empty())
    artefacts = gOptions.journal.empty() ? directory : std::string(tovalux::parentFolder(gOptions.journal));
  host.setArtefactsFolder(artefacts);
  host.journal().record(standin::EntryBuilder("host-start")
                            .add("plugins", gOptions.plugins ? 1 : 0)
                            .add("script", gOptions.script)
                            .add("pid", static_cast<int64_t>(GetCurrentProcessId())));
  if (gOptions.watchdog) host.watchdog().start();

  if (gOptions.notifyBeforeWindows && gOptions.plugins) {
    host.loadLibraries();
    host.notifyStart();
  }
  if (!host.createWindows()) return 1;
  if (gOptions.notifyBeforeWindows)
    host.runAction("window-state before-start");
  else if (gOptions.plugins)
    host.loadLibraries();
  host.show(SW_SHOWNORMAL);
  UpdateWindow(host.mainWindow());
  host.startLibraries(gOptions.hostStart || gOptions.demo);
  host.journal().record(standin::EntryBuilder("started"));

  if (gOptions.demo && gOptions.script.empty()) {
    // The demo opens a sample project with a code page, so the shell has something to show.
    CreateDirectoryA((directory + "\\samples").c_str(), nullptr);
    std::vector<std::string> lines = {
        "project \"" + directory + "\\samples\\演示.e\" create=1",
        "page-open \"程序集: 窗口程序集_启动窗口\"",
    };
    gScript = std::make_unique<standin::ScriptRunner>(host, std::move(lines));
    gScriptTimer = SetTimer(nullptr, 0, kScriptTickMs, &onTimer);
  } else if (!gOptions.script.empty()) {
    if (auto lines = standin::ScriptRunner::readFile(gOptions.script)) {
      gScript = std::make_unique<standin::ScriptRunner>(host, std::move(*lines));
      gScriptTimer = SetTimer(nullptr, 0, kScriptTickMs, &onTimer);
    } else {
      host.journal().record(standin::EntryBuilder("script-failed").add("error", "cannot read " + gOptions.script));
      failScript(host);
    }
  }
  if (!gOptions.screenshot.empty()) gScreenshotTimer = SetTimer(nullptr, 0, kSettleMs, &onTimer);
  if (gOptions.exitAfterMs >= 0) gExitTimer = SetTimer(nullptr, 0, static_cast<UINT>(gOptions.exitAfterMs), &onTimer);
  if (gOptions.resourcesEveryMs > 0) {
    standin::recordResources(host, "start");
    gResourcesTimer = SetTimer(nullptr, 0, static_cast<UINT>(gOptions.resourcesEveryMs), &onTimer);
  }

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (host.translateKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  host.watchdog().stop();
  host.unloadLibraries();
  host.journal().record(standin::EntryBuilder("exit").add("code", host.exitCode()));
  return host.exitCode();
}
