// The contract every Part of the plug-in follows, and the walk over the table of Parts that
// start-up and shut-down run (lifecycle.cpp holds the table).
//
// A Part is one row: its name, its start-up step (`build`), the exact reverse of that step
// (`tearDown`), the mirror slots it fills and the host-window procedures it installs (both
// declared here, wired by the walk), and the peer functions it offers other Parts of its own
// layer, which cannot include each other. Start-up offers every Part's peers and procedures
// first (so the frame, the hooks and the other Parts find them however the rows are ordered),
// then builds the Parts in table order and fills each Part's mirror slots once its build ran.
// Shut-down walks the table backwards: each Part's mirror slots are emptied, then its tearDown
// runs; at the end the procedures and peers are withdrawn and every mirror slot is empty.
// Every step runs under its own guard: a step that throws is written to the Notepad log with
// the Part's name and the walk goes on (a Part whose build failed has no mirrors, but its
// tearDown still runs, to give back whatever the build took before it failed).
//
// UI thread only (the notifications run there). peers() may be read from any thread.
#pragma once

#include <span>
#include <string_view>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// What one Part offers the others. A field no Part offers stays null, and its caller skips the
// call. Grouped by the Part that offers it; the comment says who calls it.
struct Peers {
  // commands
  void (*buildToolBars)() = nullptr;                       // the frame fills "winToolBar0/1" while it is made
  void (*buildMainMenu)() = nullptr;                       // the frame fills its menu bar
  bool (*mainMenuOpen)() = nullptr;                        // the bar buttons' hover looks wait while a menu is open
  void (*syncToolBarState)() = nullptr;                    // hooks (0x362), debugging: re-apply the main tool bar
  void (*syncDesignerToolBar)(bool windowPage) = nullptr;  // codeview, on a page's activation
  void (*attachContextMenuLook)(HELE receiver) = nullptr;  // panes: the project tree's context menu
  // debugging
  void (*clearBuildOutput)() = nullptr;                       // commands: the build buttons empty the output first
  void (*writeBuildOutput)(std::string_view line) = nullptr;  // commands: the BlackMoon build watch's lines
  void (*appendDebugLine)(std::string_view line) = nullptr;   // panes: the module manager's log lines
  void (*showDisassembly)(std::string_view text) = nullptr;   // hooks: message 89963's block (UI thread)
  DebugHookRules debugHooks = {};                             // hooks: the rules run on the host's debugger thread
  // panes
  void (*reloadModules)() = nullptr;  // hooks: message 9909 with (1, 1)
  // the start page (hooks/host)
  StartPageHooks startPage = {};  // hooks: creation rules 1 and 3, message 99999
  // settings dialog
  void (*openSettingsDialog)() = nullptr;  // commands: menu 1200
  // update
  HWINDOW (*updateTipWindow)() = nullptr;  // the frame keeps the update tip in its lower right corner
};

// The peers of the Parts start-up built; every field null before start-up and after shut-down.
// Any thread: a reference stays valid for the life of the process.
const Peers& peers();

struct MirrorBinding {
  HostMirror slot;
  MirrorHandler handler;
};

struct ProcedureBinding {
  HostProcedure slot;
  WNDPROC procedure;
};

struct Part {
  const char* name;
  void (*build)() = nullptr;                    // start-up step; null when the Part only declares
  void (*tearDown)() = nullptr;                 // the exact reverse of build; null when there is nothing to give back
  std::span<const MirrorBinding> mirrors = {};  // filled after build, emptied before tearDown
  std::span<const ProcedureBinding> procedures = {};  // registered before any build (the hooks read them)
  Peers offers = {};                                  // offered before any build
  const char* progress = nullptr;                     // the progress line logged before build
};

// Start-up: offers every Part's peers and procedures, then builds each Part in order. Answers how
// many builds failed.
int startParts(std::span<const Part* const> parts);
// Shut-down: every Part backwards, then procedures, peers and mirror slots withdrawn. Answers how
// many tearDowns failed.
int stopParts(std::span<const Part* const> parts);

// How long each Part's build took at the last start-up, in build order: where start-up time goes,
// measured by the program itself.
struct PartTiming {
  const char* name;
  double milliseconds;
};
std::span<const PartTiming> lastStartTimings();

// Tests: the next `build` or `tearDown` of the Part of that name throws (once).
enum class PartStep : uint8_t { kBuild, kTearDown };
void armPartFailureForTests(std::string_view partName, PartStep step);
// Tests: replaces some peers of the running shell (the edit gets a copy of the current ones).
void editPeersForTests(void (*edit)(Peers& peers));

}  // namespace tovalux
