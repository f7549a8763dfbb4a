// The BlackMoon compiler plug-in as the host holds it: the stand-in "BlackMoon.fne" loaded on
// request (blackmoon-load), its build command WM_COMMAND 0x9001 (posted by a library) answered on
// the UI thread with the build's lines in the output box 1011, ending with the result line the
// plug-in gives for its mode, and its routine's calls journaled as "blackmoon-routine".
#include <string>

#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kModuleName[] = "BlackMoon.fne";
constexpr int kBuildCommand = 0x9001;

using Listener = void(__stdcall*)(const char* path, int second);
using SetListener = void(__stdcall*)(Listener listener);
using SetMode = void(__stdcall*)(int mode);
using ResultLine = int(__stdcall*)(char* line, int room);

HMODULE gModule = nullptr;

template <typename F>
F exported(const char* name) {
  return gModule ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(gModule, name))) : nullptr;
}

void __stdcall routineCalled(const char* path, int second) {
  Host::instance().journal().record(EntryBuilder("blackmoon-routine")
                                        .add("path", path ? path : "")
                                        .add("second", second)
                                        .add("thread", threadLabel()));
}

void appendOutput(Host& host, const std::string& text) {
  HWND box = host.tree().outputBox;
  if (!box) return;
  const LRESULT end = hostSend(box, WM_GETTEXTLENGTH, 0, 0);
  hostSend(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  hostSend(box, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

ActionResult load(Host& host, const ActionArgs& args) {
  if (gModule) return ActionResult::failure("blackmoon-load: already loaded");
  const std::string version = args.option("version").value_or("3.66");
  const std::string from = args.option("from").value_or(host.directory());
  const std::string path = from + "\\blackmoon\\" + version + "\\" + kModuleName;
  gModule = LoadLibraryA(path.c_str());
  if (!gModule) return ActionResult::failure("blackmoon-load: cannot load " + path);
  if (auto set = exported<SetListener>("BlackMoonSetListener")) set(&routineCalled);
  const auto routine = reinterpret_cast<uintptr_t>(GetProcAddress(gModule, "BlackMoonRoutine"));
  host.journal().record(
      EntryBuilder("blackmoon-loaded")
          .add("version", version)
          .add("path", path)
          .addHex("routine-offset",
                  static_cast<uint32_t>(routine ? routine - reinterpret_cast<uintptr_t>(gModule) : 0)));
  return ActionResult::success();
}

void unloadModule() {
  if (!gModule) return;
  if (auto set = exported<SetListener>("BlackMoonSetListener")) set(nullptr);
  FreeLibrary(gModule);
  gModule = nullptr;
}

ActionResult unload(Host& host, const ActionArgs&) {
  if (!gModule) return ActionResult::failure("blackmoon-unload: not loaded");
  unloadModule();
  host.journal().record(EntryBuilder("blackmoon-unloaded"));
  return ActionResult::success();
}

ActionResult mode(Host&, const ActionArgs& args) {
  const std::string name = args.text(0);
  const int value = name == "normal" ? 0 : name == "no-quotes" ? 1 : name == "silent" ? 2 : -1;
  if (value < 0) return ActionResult::failure("blackmoon-mode normal|no-quotes|silent");
  auto set = exported<SetMode>("BlackMoonSetMode");
  if (!set) return ActionResult::failure("blackmoon-mode: the plug-in is not loaded");
  set(value);
  return ActionResult::success();
}

// WM_COMMAND 0x9001: the plug-in's build, as the host's main window runs it.
void build(Host& host, WPARAM) {
  const bool loaded = GetModuleHandleA(kModuleName) != nullptr;
  host.journal().record(EntryBuilder("blackmoon-build")
                            .add("loaded", loaded ? 1 : 0)
                            .add("sent", InSendMessage() ? 1 : 0)
                            .add("thread", threadLabel()));
  if (!loaded) return;
  appendOutput(host, "黑月编译: 开始静态编译\r\n");
  char line[1024] = {};
  auto resultLine = exported<ResultLine>("BlackMoonResultLine");
  if (resultLine && resultLine(line, sizeof line) > 0) appendOutput(host, line);
}

// Menus 808-810 of the shell: the plug-in's other commands.
void otherCommand(Host& host, WPARAM wParam) {
  host.journal().record(EntryBuilder("blackmoon-command")
                            .add("id", static_cast<int64_t>(LOWORD(wParam)))
                            .add("loaded", GetModuleHandleA(kModuleName) ? 1 : 0));
}

void teardown(Host&) { unloadModule(); }

const ActionRegistration kRegistrations[] = {
    {"blackmoon-load",
     "blackmoon-load [version=3.66|3.70|3.66-nocode] [from=DIR]: loads DIR\\blackmoon\\VERSION\\BlackMoon.fne (DIR: "
     "H), whose "
     "routine journals \"blackmoon-routine\"",
     &load},
    {"blackmoon-unload", "blackmoon-unload: frees the BlackMoon stand-in", &unload},
    {"blackmoon-mode", "blackmoon-mode normal|no-quotes|silent: the result line the next builds end with", &mode},
};

const CommandRegistration kCommands[] = {
    {kBuildCommand, &build},
    {0x2710, &otherCommand},
    {0x2711, &otherCommand},
    {0x2712, &otherCommand},
};

const TeardownRegistration kTeardown[] = {{"blackmoon", &teardown}};

}  // namespace
}  // namespace standin
