#include <windows.h>
#include <commctrl.h>

#include "base/ui_seams.h"
#include "commands/blackmoon.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/menu_drawing.h"
#include "host/host_protocol.h"
#include "host/host_text.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "shell/part.h"
#include "shell/run_state.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

// A caption longer than this is cut (the markers sit at its end only on absurd paths).
constexpr size_t kCaptionCap = 32 * 1024;

// The BlackMoon build watch reads every text the host appends to its output box, after the
// build-output pane copied it.
constexpr MirrorBinding kCommandsMirrors[] = {{HostMirror::kOutputScan, &watchBlackMoonOutput}};

}  // namespace

void clearBuildOutput() {
  if (const auto clear = peers().clearBuildOutput) clear();
}

const Part kCommandsPart{
    .name = "commands",
    .mirrors = kCommandsMirrors,
    .offers = {.buildToolBars = &buildToolBars,
               .buildMainMenu = &buildMainMenu,
               .mainMenuOpen = &mainMenuOpen,
               .syncToolBarState = &syncToolBarState,
               .syncDesignerToolBar = &syncDesignerToolBar,
               .attachContextMenuLook = &attachContextMenuLook},
    .progress = "开始创建框架...",
};

namespace commands {

void openSettingsDialog() {
  if (const auto open = peers().openSettingsDialog) open();
}

std::string hostCaption() { return windowTextCapped(getHostMainWindow(), kCaptionCap); }

// The host's program tree. Walking to it takes five GetDlgItem calls, which cost more than the
// whole sync that runs at every status-line message, so the last tree found is kept while it is
// still a window with its id under the same parent; a tree the host recreated is walked to anew.
HWND programTree() {
  static HWND tree = nullptr;
  static HWND parent = nullptr;
  if (tree && IsWindow(tree) && GetDlgCtrlID(tree) == 1019 && GetParent(tree) == parent) return tree;
  tree = hostWindows().leftPanelItem1019();
  parent = tree ? GetParent(tree) : nullptr;
  return tree;
}

RunState readRunState(bool withPageKind) {
  RunState state;
  HWND tree = programTree();
  state.projectLoaded = tree != nullptr && SendMessageA(tree, TVM_GETCOUNT, 0, 0) >= 2;
  state.debugging = debugging();
  if (withPageKind && state.projectLoaded) state.pageKind = queryIdeValue(ide::kQueryPageKind, 0);
  if (state.debugging) readCaptionMarkers(hostCaption(), state);
  return state;
}

void setDescriptor(HXCGUI element, std::string_view descriptor) { setBackground(element, descriptor); }

int messageBox(std::string_view text, UINT flags) {
  return showMessageBox(shellFrameHwnd(), std::string(text), "Tovalux", flags);
}

bool aboutBox(std::string_view app, std::string_view other) {
  return showAboutBox(shellFrameHwnd(), std::string(app), std::string(other));
}

bool openWebPage(std::string_view address) {
  LaunchRequest request;
  request.verb = "open";
  request.file = std::string(address);
  request.show = SW_SHOWNORMAL;
  return shellExecute(request);
}

}  // namespace commands
}  // namespace tovalux
