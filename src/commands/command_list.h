// Every command the command box offers, built from the same tables as the menu bar and the two
// tool bars: each menu item that does something (with the recent files and 退出(X) of the File
// menu, and the pane items of 视图(W)), then each tool-bar button that is not already a menu item
// of the same name doing the same (the tool bar's 复制 is the menu's 复制(C); its 编译, which
// empties the output first, and its 停止运行 are commands of their own). Each entry has its menu
// path, shortcut, icon, the command record it runs, the key the usage record knows it by, and
// whether the run state allows it now (the same rules that enable menu items and buttons).
// Portable: names are GBK; the path is kept in pieces, joined for display by the caller.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command.h"
#include "commands/run_state_rules.h"

namespace tovalux::commands {

enum class CommandSource : uint8_t { kMenu, kMainToolBar, kDesignerToolBar };

inline constexpr char kMainToolBarTitle[] = "工具栏";
inline constexpr char kDesignerToolBarTitle[] = "窗口设计工具栏";

struct CommandEntry {
  std::string name;               // "静态编译(S)", the button's name "静态编译", a recent file's name
  std::vector<std::string> path;  // what leads to it: {"生成(C)"}, {"调试(R)", "以指定类型运行(M)"}, {"工具栏"}
  std::string shortcut;           // "Shift+F7"; empty when none
  std::string icon;               // file name in the menu (kMenu) or tool (tool bars) icon folder
  CommandSource source = CommandSource::kMenu;
  int menuId = 0;     // kMenu: the id a pick of the item reports
  int position = -1;  // tool bars: the button's position on its bar
  Command command;
  std::string usageKey;  // "m701", "t0.21", "d2", "f" + 8 hex digits for a recent file, "x" for 退出
  bool enabled = true;
};

// The list for a File menu showing `recentNames` (in menu order, as layoutMenu takes them).
std::vector<CommandEntry> buildCommandList(std::span<const std::string> recentNames = {});

// Sets each entry's `enabled` from the run state: menu items by the menu sync's flags (an id the
// sync never names stays enabled), main tool-bar buttons by the tool-bar table, designer
// buttons on a window page (pageKind 5) without debugging.
void applyRunState(std::vector<CommandEntry>& entries, const RunState& state);

// The path and the name joined with `separator` ("生成(C) > 静态编译(S)" with " > ").
std::string pathText(const CommandEntry& entry, std::string_view separator);

// The usage key of a recent file's name (stable across starts; the name's FNV-1a hash).
std::string recentUsageKey(std::string_view name);

}  // namespace tovalux::commands
