// The one record of what a command does, shared by the menu bar, both tool bars and the command
// box: the act, the number it passes to the host, its argument, and the steps around it (the
// build output emptied and brought forward first, the caption refreshed after). The tables
// (menu_table, toolbar_table) hold these records; the Win32 side runs them in one place
// (runCommand), whichever of the three the user went through.
#pragma once

#include <cstdint>

namespace tovalux::commands {

enum class CommandAct : uint8_t {
  kNothing,           // selectable, does nothing (submenu parents, 900, 105)
  kRunIdeFunction,    // value: the IDE function number, both parameters 0
  kSendCommand,       // value: the WM_COMMAND id sent to the host main window (lParam 0)
  kTogglePane,        // argument: the dock-pane index
  kSettingsDialog,    // the settings dialog (filled by its subsystem)
  kInsertByPageKind,  // 现行单元: what the current page kind inserts
  kBlackMoonBuild,    // 黑月静态编译
  kHelpPage,          // the product's help web page
  kContactLink,       // the maker's contact web link
  kAboutBox,          // the Windows About box
  kRecentFile,        // a recently used project (the menu opens it by its label)
  kExit,              // 退出(X)
  kRestart,           // 重新运行: stop, wait for the stop, run
  kHelpTip,           // 查看帮助提示: the help-tip sequence at the caret
  kResetLayout,       // 重置窗口布局: the panes back where start-up docks them
};

struct Command {
  CommandAct act = CommandAct::kNothing;
  uint32_t value = 0;    // the IDE function number or the WM_COMMAND id
  int32_t argument = 0;  // the dock-pane index
  // The build-output pane is emptied before the function runs (编译, 静态编译, 运行 of the tool
  // bar; 重新运行 empties it itself).
  bool clearsOutput = false;
  // "调试输出" is brought forward before the function runs (编译, 静态编译 of the tool bar).
  bool showsOutput = false;
  // After the host function ran, the frame's caption copies the host main window's title (关闭,
  // 另存为: the host changes its title while it runs them).
  bool refreshesCaption = false;

  constexpr bool operator==(const Command&) const = default;
};

// Whether running the command does anything at all (the command box lists only these).
constexpr bool actsAtAll(const Command& command) { return command.act != CommandAct::kNothing; }

}  // namespace tovalux::commands
