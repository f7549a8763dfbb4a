// The menu bar: built once from the table, recent files read from the registry at that moment;
// picks dispatched to the host (IDE functions, WM_COMMAND) or acted on inside the shell.
#include <windows.h>

#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/guard.h"
#include "base/text.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/menu_table.h"
#include "commands/recent_files.h"
#include "shell/toolbar_builder.h"
#include "host/host_protocol.h"
#include "host/ide_functions.h"
#include "settings/settings.h"
#include "shell/shell.h"

namespace tovalux {

namespace {

using namespace commands;

constexpr char kMenuBarName[] = "winMainTopMenu";
constexpr int kButtonHeight = 18;
constexpr int kItemHeight = 22;
constexpr int kWideButtonExtra = 16;  // "数据库(B)"
constexpr int kDatabaseMenu = 5;

// The recent entries the File menu shows: which FileN each id came from, and its name.
struct RecentEntry {
  int number = 0;
  std::string name;
};

struct MenuBarState {
  HELE bar = 0;
  std::vector<RecentEntry> recent;
  int exitId = kFirstRecentFileId;
};

MenuBarState& state() {
  static MenuBarState s;
  return s;
}

void addRows(HMENUX menu, const std::vector<MenuRow>& rows) {
  const bool feedbackAvailable = !feedbackAddress().empty();
  for (const MenuRow& row : rows) {
    if (row.flags == 8) {
      XMenu_AddItem(menu, 0, L"", row.parentId, 8);
      continue;
    }
    const XString label = gbkToUtf16<XChar>(row.label);
    if (!row.icon.empty()) {
      // A missing image leaves the item without one; the item is still added.
      XMenu_AddItemIcon(menu, row.id, label.c_str(), row.parentId, loadThemeImage("winMenu", row.icon), 0);
    } else {
      XMenu_AddItem(menu, row.id, label.c_str(), row.parentId, 0);
    }
    if (row.flags == 4) XMenu_SetItemFlags(menu, row.id, 4);
    // With no feedback address set, 建议反馈 and 联系作者 would open nothing: they are shown disabled.
    if (row.command.act == CommandAct::kContactLink && !feedbackAvailable)
      XMenu_SetItemFlags(menu, row.id, menu_item_flag_disable);
  }
}

// The recent entries shown: files that still exist, with a name to show.
std::vector<RecentEntry> shownRecentEntries() {
  std::vector<RecentEntry> entries;
  for (const RecentFile& file : readRecentFiles()) {
    if (!projectFileExists(file.path)) continue;
    std::string name = recentEntryName(file.path);
    // A path that names a folder (ends with '\\') or only blanks has nothing to show or open.
    if (name.empty()) continue;
    entries.push_back({file.number, std::move(name)});
  }
  return entries;
}

void openProject(const std::string& path) {
  runIdeFunction(ide::kOpenProjectByName, static_cast<int32_t>(reinterpret_cast<intptr_t>(path.c_str())));
}

// Ids 108 .. exit id - 1. Answers whether a project was opened.
bool openRecentEntry(HELE bar, int id) {
  const MenuBarState& s = state();
  const size_t index = static_cast<size_t>(id - kFirstRecentFileId);
  if (id < kFirstRecentFileId || id >= s.exitId || index >= s.recent.size()) return false;
  HMENUX fileMenu = XMenuBar_GetMenu(bar, 0);
  if (!XC_IsHXCGUI(fileMenu, XC_MENU)) return false;
  const std::string label(trim(utf16ToGbk(XMenu_GetItemText(fileMenu, id))));
  if (label.empty() || label == kExitLabel) return false;

  // The value this entry came from, if it still names the same file.
  const RecentEntry& entry = s.recent[index];
  if (std::optional<std::string> path = readRecentFile(entry.number);
      path && recentEntryName(*path) == label && projectFileExists(*path)) {
    openProject(*path);
    return true;
  }
  // The list changed since start-up: the first value with that name.
  for (const RecentFile& file : readRecentFiles()) {
    if (recentEntryName(file.path) != label) continue;
    openProject(file.path);
    return true;
  }
  return false;
}

}  // namespace

void buildMainMenu() {
  guarded(GuardSite::kToolkit, [] {
    MenuBarState& s = state();
    HXCGUI found = frameElement(kMenuBarName);
    // Built once per frame: a bar that is still alive keeps its menus.
    if (!XC_IsHXCGUI(found, XC_MENUBAR) || found == s.bar) return;
    HELE bar = static_cast<HELE>(found);
    s = MenuBarState{};
    s.bar = bar;
    resetMenuOpen();
    const int width = menuButtonWidthSetting();

    XEle_EnableCSS(bar, false);
    XMenuBar_SetButtonHeight(bar, kButtonHeight);
    registerBarMenuDrawing(bar);
    XEle_RegEventC1(bar, XE_MENU_SELECT, &onMenuSelect);

    for (const BarMenu& menu : barMenus()) XMenuBar_AddButton(bar, gbkToUtf16<XChar>(menu.name).c_str());
    for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
      HXCGUI button = XEle_GetChildByIndex(bar, i);
      if (XC_IsHXCGUI(button, XC_MENUBAR_BUTTON))
        XEle_SetWidth(button, i == kDatabaseMenu - 1 ? width + kWideButtonExtra : width);
    }
    XEle_AdjustLayout(bar);

    s.recent = shownRecentEntries();
    s.exitId = exitItemId(s.recent.size());
    std::vector<std::string> names;
    for (const RecentEntry& entry : s.recent) names.push_back(entry.name);

    for (int m = 1; m <= kMenuCount; ++m) {
      HMENUX menu = XMenuBar_GetMenu(bar, m - 1);
      if (!XC_IsHXCGUI(menu, XC_MENU)) continue;
      XMenu_SetItemHeight(menu, kItemHeight);
      XMenu_EnableDrawBackground(menu, true);
      XMenu_EnableDrawItem(menu, true);
      addRows(menu, layoutMenu(m, names));
    }

    for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
      HXCGUI button = XEle_GetChildByIndex(bar, i);
      if (XC_IsHXCGUI(button, XC_MENUBAR_BUTTON)) styleBarButton(static_cast<HELE>(button));
    }
  });
}

namespace commands {

HELE menuBar() { return XC_IsHXCGUI(state().bar, XC_MENUBAR) ? state().bar : 0; }

std::vector<std::string> shownRecentNames() {
  std::vector<std::string> names;
  for (const RecentEntry& entry : state().recent) names.push_back(entry.name);
  return names;
}

int onMenuSelect(HELE bar, int id, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    if (id >= kPaneToggleFirstId && id <= kPaneToggleLastId) {
      runCommand({.act = CommandAct::kTogglePane, .argument = id - kPaneToggleFirstId});
      return;
    }
    if (id == kSettingsDialogId) {
      runCommand({.act = CommandAct::kSettingsDialog});
      return;
    }
    if (id >= kFirstRecentFileId && id < state().exitId) {
      // A recent entry opens its project; one whose file left the list does nothing.
      openRecentEntry(bar, id);
      return;
    }
    if (id == state().exitId) {
      runCommand({.act = CommandAct::kExit});
      return;
    }
    runCommand(menuCommandFor(id));
  });
  return 0;
}

}  // namespace commands
}  // namespace tovalux
