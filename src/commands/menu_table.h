// The main menu as data: the thirteen bar menus, every item string as the bar shows it (label,
// shortcut and icon separated by '|'), the id each item gets, and what picking it does. The
// toolkit side (main_menu.cpp) builds the bar from this and dispatches picks through it; the
// rules here are plain text and numbers, so they are tested without a window.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command.h"

namespace tovalux::commands {

struct MenuEntry {
  std::string_view item;  // "打开(O)|Ctrl+O|OpenFileFromProject_16x.png"; "-" is a separator
  Command command;
  std::span<const MenuEntry> submenu;  // empty for every item but the three "...指定类型" parents
};

struct BarMenu {
  std::string_view name;  // "文件(F)"
  std::span<const MenuEntry> items;
};

inline constexpr int kMenuCount = 13;
inline constexpr int kFileMenu = 1;
inline constexpr int kExtensionMenu = 9;  // "扩展(X)": one plain item
inline constexpr int kViewMenu = 10;      // "视图(W)": the pane toggles
inline constexpr int kFirstRecentFileId = 108;
inline constexpr int kMaxRecentFiles = 20;
inline constexpr int kPaneToggleFirstId = 1000;
inline constexpr int kPaneToggleLastId = 1010;
inline constexpr int kSettingsDialogId = 1200;
inline constexpr int kBlackMoonBuildId = 707;
inline constexpr int kDisplayWidthBytes = 34;  // text + spaces + shortcut, in GBK bytes

inline constexpr std::string_view kSeparator = "-";
inline constexpr std::string_view kExitItem = "退出(X)|||";
inline constexpr std::string_view kExitLabel = "退出(X)";
inline constexpr std::string_view kRecentFileIcon = "Logo3.png";
inline constexpr std::string_view kExtensionItem = "需要什么呢？反馈一下？";

// Menu number m (1..13) is bar button m - 1.
const BarMenu& barMenu(int m);
std::span<const BarMenu> barMenus();

// An item string cut into its three fields. `pieces` is how many pieces the split gave (an
// empty piece after the last bar dropped); only three-piece items are reformatted for display.
struct MenuItemText {
  std::string text;
  std::string shortcut;
  std::string icon;
  size_t pieces = 0;
};
// Splits at every '|' that is a character of its own (a GBK trail byte 0x7C is not a bar).
MenuItemText splitMenuItem(std::string_view item);

// text, then 34 - bytes(text + shortcut) spaces (none when that is below 1), then shortcut: the
// label the toolkit shows, whose last word the item painter draws right-aligned.
std::string paddedLabel(std::string_view text, std::string_view shortcut);

// The label the bar gets for an item string: the padded label for a three-piece item, else the
// text before the first bar (the whole string when it has none).
std::string displayLabel(std::string_view item);

// The name of a recent entry: the file-name part of the path (after the last '\\', walked by
// characters), every space removed; empty when the path ends with '\\'.
std::string recentEntryName(std::string_view path);

// One item of a built menu, in bar order, as the toolkit gets it.
struct MenuRow {
  int id = 0;        // 0 for separators
  int parentId = 0;  // 0: top level
  int flags = 0;     // 0, 4 (submenu parent) or 8 (separator)
  std::string label;
  std::string icon;  // file name in the menu image folder; empty when none
  Command command;
  int recentIndex = -1;  // for a recent entry, its index in `recentNames`
};

// The rows of menu m. For the File menu, `recentNames` (non-empty names, in registry order)
// become ids 108, 109, ... followed by a separator and 退出(X); other menus ignore them.
std::vector<MenuRow> layoutMenu(int m, std::span<const std::string> recentNames = {});

// The exit id of a File menu holding `recentCount` recent entries.
inline int exitItemId(size_t recentCount) { return kFirstRecentFileId + static_cast<int>(recentCount); }

// The table command of a fixed id (not a recent entry, not 退出); kNothing for an unknown id.
Command menuCommandFor(int id);
// The item string of a fixed id as the table stores it ("静态编译(S)|Shift+F7|BuildSolution_16x.png");
// empty for an unknown id.
std::string_view menuItemString(int id);

// The insert command for a page kind (现行单元); 0 when the kind inserts nothing.
uint32_t insertCommandForPageKind(int32_t pageKind);

// Bar index (0-based) of the menu an item id belongs to: 102 -> 0, 6010 -> 5, 1003 -> 9.
int menuIndexOfId(int id);

// The two parts the item painter draws: the name (before the first space) and the shortcut
// (after the last space), each trimmed; an empty shortcut means "draw the label whole".
struct LabelParts {
  std::string name;
  std::string shortcut;
};
LabelParts splitLabelForDrawing(std::string_view label);

}  // namespace tovalux::commands
