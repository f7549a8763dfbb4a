// The stand-in IDE: towards a support library it is the host. It owns the main window
// "ENewFrame" with the whole window tree at the ids the library walks, loads libraries from
// H\lib\*.fne, sends the notifications, answers the library's calls and runs IDE functions,
// recording everything in its journal. What it can be made to do is a table of named actions
// (actions.h); its data is the model (host_model.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "actions.h"
#include "dialog_watchdog.h"
#include "host/library_info.h"
#include "host_model.h"
#include "journal.h"
#include "window_tree.h"

namespace standin {

using GetNewInfFunction = const tovalux::LibraryInfo*(__stdcall*)();

// The host's own version, checked against a library's required host version.
constexpr int32_t kHostMajorVersion = 5;
constexpr int32_t kHostMinorVersion = 9;

// The host's private messages to its own main window (never journaled as "private").
constexpr UINT kFirstInternalMessage = WM_APP;
constexpr UINT kLastInternalMessage = WM_APP + 0xFF;
constexpr UINT kShowPopupMessage = WM_APP + 1;
// kRelayoutMessage (window_tree.h) is WM_APP + 2.

// The MFC status-line message the host sends its main window after every caption or run-state
// change.
constexpr UINT kStatusLineMessage = 0x0362;

// The host's build keys, translated for its main window whichever of its thread's windows has
// the focus: F7 compiles, Shift+F7 compiles statically (the WM_COMMAND ids they become).
constexpr int kCompileKeyCommand = 0x8071;
constexpr int kStaticCompileKeyCommand = 0x8072;

struct LoadedLibrary {
  std::string name;          // file name, or a label for an in-process library
  HMODULE module = nullptr;  // null for an in-process library
  const tovalux::LibraryInfo* info = nullptr;
};

class Host;

// IDE functions (hostNotify(2, number, {p1, p2})): a handler per number, registered by area
// files like actions. An unregistered number is accepted (answers 1) and journaled.
using IdeFunction = int32_t (*)(Host& host, int32_t param1, int32_t param2);
struct IdeFunctionInfo {
  std::string name;
  IdeFunction run = nullptr;
};
using IdeFunctionTable = Registry<uint32_t, IdeFunctionInfo>;
struct IdeFunctionRegistration {
  IdeFunctionRegistration(uint32_t number, const char* name, IdeFunction run) {
    IdeFunctionTable::instance().add(number, IdeFunctionInfo{name, run});
  }
};

// WM_COMMAND ids (lParam 0) the main window acts on, after journaling them as "command".
using CommandHandler = void (*)(Host& host, WPARAM wParam);
using CommandTable = Registry<int, CommandHandler>;
struct CommandRegistration {
  CommandRegistration(int id, CommandHandler run) { CommandTable::instance().add(id, run); }
};

// Other main-window messages an area handles. Set `handled` to answer instead of the default.
using MainMessageHandler = LRESULT (*)(Host& host, WPARAM wParam, LPARAM lParam, bool& handled);
using MainMessageTable = Registry<UINT, MainMessageHandler>;
struct MainMessageRegistration {
  MainMessageRegistration(UINT message, MainMessageHandler run) { MainMessageTable::instance().add(message, run); }
};

// What an area must undo when the host's windows go (its own windows, threads, files): run by
// destroyWindows, after the main window is destroyed, so a test's next host starts clean.
using TeardownHandler = void (*)(Host& host);
using TeardownTable = Registry<std::string, TeardownHandler>;
struct TeardownRegistration {
  TeardownRegistration(const char* area, TeardownHandler run) { TeardownTable::instance().add(area, run); }
};

// What an area sets up on the host's windows once the tree exists, before any library sees it
// (a subclass of the host's own on one of its controls): run by createWindows.
// (The handlers are wrapped: a table is its entry type, and the teardown table holds the same
// function type.)
struct TreeSetup {
  void (*run)(Host& host) = nullptr;
};
using TreeSetupTable = Registry<std::string, TreeSetup>;
struct TreeSetupRegistration {
  TreeSetupRegistration(const char* area, void (*run)(Host& host)) { TreeSetupTable::instance().add(area, {run}); }
};

// What an area does when a code page has become the active one (the host's follow-up of an
// activation: its combo boxes, its caret): run by the page's own procedure.
struct PageActivated {
  void (*run)(Host& host, HWND page) = nullptr;
};
using PageActivatedTable = Registry<std::string, PageActivated>;
struct PageActivatedRegistration {
  PageActivatedRegistration(const char* area, void (*run)(Host& host, HWND page)) {
    PageActivatedTable::instance().add(area, {run});
  }
};

class Host {
 public:
  static Host& instance();

  // H, the folder of the host's executable (the current directory during the run).
  const std::string& directory() const { return directory_; }
  void setDirectory(const std::string& directory) { directory_ = directory; }
  // The folder holding notepad\notepad.exe: H for ehost.exe; an in-process test names ehost's folder,
  // since its own H is the test program's folder.
  std::string toolsDirectory() const { return toolsDirectory_.empty() ? directory_ : toolsDirectory_; }
  void setToolsDirectory(const std::string& directory) { toolsDirectory_ = directory; }
  // Where screenshots go.
  const std::string& artefactsFolder() const { return artefacts_; }
  void setArtefactsFolder(const std::string& folder) { artefacts_ = folder; }
  // ehost.exe ends its message loop when the main window is destroyed; in-process tests do not.
  void setQuitOnClose(bool quit) { quitOnClose_ = quit; }

  Journal& journal() { return journal_; }
  HostModel& model() { return model_; }
  // Answers real dialog boxes of the process (started by ehost --watchdog, the test fixture, or
  // the dialog-answer action).
  DialogWatchdog& watchdog() { return watchdog_; }

  // Back to a fresh host (in-process tests): no windows, libraries, modes, model or journal
  // entries. Libraries loaded from files are freed.
  void reset();

  // Hostile and test modes: named switches the actions read ("refuse-close", ...). 0 = off.
  int64_t mode(const std::string& name) const;
  void setMode(const std::string& name, int64_t value);
  // For counted modes: true (and one less) while the mode is above 0.
  bool consumeMode(const std::string& name);

  // Registers the classes and creates the main window with the whole tree (hidden until show()).
  bool createWindows();
  void show(int command = SW_SHOWNORMAL);
  // Destroys the tree without notifications, then runs every area's teardown.
  void destroyWindows();
  HWND mainWindow() const { return tree_.main; }
  const WindowTree& tree() const { return tree_; }
  WindowTree& mutableTree() { return tree_; }
  // The message-only window of the control channel (WM_COPYDATA with an action line).
  HWND controlWindow() const { return controlWindow_; }
  // The GWL_WNDPROC a window had when the host finished making it (a library's subclass shows
  // as a different value).
  LONG_PTR ownProcedure(HWND window) const;
  void rememberOwnProcedure(HWND window);
  int mainPaintCount() const { return mainPaints_; }

  // Libraries: every H\lib\*.fne, or one linked into the process.
  int loadLibraries();
  bool addLibrary(GetNewInfFunction getNewInf, const std::string& label);
  void unloadLibraries();
  const std::vector<LoadedLibrary>& libraries() const { return libraries_; }

  // Sends a notification to every library, recording each answer; answers the last one.
  int32_t notifyAll(int32_t code, int32_t param1 = 0, int32_t param2 = 0);
  // Notification 1 with the host's function.
  int32_t notifyStart();
  // True from a notification 1 sent while the main window existed until notification 6 or 17.
  bool librariesRunning() const { return librariesRunning_; }
  // Shows one of the host's pop-up menus (sends notification 19 first).
  void showPopupMenu(int32_t first, int32_t second, POINT screen);

  // The host's start-up after its windows exist: notification 1, then 18. With `asTheHost` the
  // steps between them run as the host runs them: the library tree filled, the toolbox group
  // buttons made, the start page opened as the page "起始页", the main tool bar shown. Tests that
  // stage those steps themselves start without them.
  void startLibraries(bool asTheHost = false);
  // The host's own close (WM_CLOSE on the main window): notification 6 while the main window
  // exists, destroy it, then end the loop (ehost) - unless a refusal mode keeps it open.
  void close();
  bool closing() const { return closing_; }
  // What ehost.exe answers at exit.
  int exitCode() const { return exitCode_; }
  void setExitCode(int code) { exitCode_ = code; }

  // What the library's calls reach (hostNotify).
  int32_t onLibraryCall(int32_t code, int32_t param1, int32_t param2);
  // IDE functions: a registered handler answers; other numbers are accepted.
  int32_t runIdeFunction(uint32_t number, const int32_t* block);

  // Runs one action line (journaled as "action", a failure as "action-failed").
  ActionResult runAction(const std::string& line);

  // The host's keyboard accelerators, applied to a message its thread's loop (or a loop of an
  // action) took: true when the key became a WM_COMMAND to the main window and is done.
  bool translateKeys(MSG& message);

  // Sets the main-window caption from the model and sends the status-line message, as the host
  // does after every caption or run-state change.
  void updateCaption();

  // The visibility of the four dock bars (top, left, bottom, right) as "1010"; recorded with
  // the moment it was taken.
  std::string dockBarsVisible() const;
  void recordDockBars(const char* moment);

  // Main window procedure pieces.
  LRESULT handleMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

 private:
  Host() = default;

  std::string directory_ = ".";
  std::string toolsDirectory_;
  std::string artefacts_ = ".";
  bool quitOnClose_ = false;
  Journal journal_;
  DialogWatchdog watchdog_{journal_};
  HostModel model_;
  WindowTree tree_;
  HWND controlWindow_ = nullptr;
  std::map<HWND, LONG_PTR> ownProcedures_;
  std::map<std::string, int64_t> modes_;
  std::vector<LoadedLibrary> libraries_;
  bool closing_ = false;
  bool librariesRunning_ = false;
  int exitCode_ = 0;
  int mainPaints_ = 0;
};

// The host's function handed to libraries with notification 1.
int32_t __stdcall hostNotifyEntry(int32_t code, int32_t param1, int32_t param2);

// "ui" on the thread that created the main window, "other" elsewhere.
std::string threadLabel();

// A window handle as a journal number.
inline int64_t handleNumber(const void* handle) { return static_cast<int64_t>(reinterpret_cast<intptr_t>(handle)); }

// A "resources" journal entry: the process's GDI, USER, handle and thread counts and private
// bytes, with a label (the action "resources", ehost's --resources-every).
void recordResources(Host& host, const std::string& label);

}  // namespace standin
