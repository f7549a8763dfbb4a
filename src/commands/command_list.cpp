#include "commands/command_list.h"

#include <cstdio>
#include <map>

#include "commands/command_match.h"
#include "commands/menu_table.h"
#include "commands/toolbar_table.h"

namespace tovalux::commands {
namespace {

// "m" + the number (built by appending: GCC 12 warns falsely about operator+ on a literal).
std::string usageKey(char prefix, int number) {
  std::string key(1, prefix);
  key += std::to_string(number);
  return key;
}

void addMenu(int m, std::span<const std::string> recentNames, std::vector<CommandEntry>& out) {
  const std::vector<MenuRow> rows = layoutMenu(m, recentNames);
  std::map<int, std::string> parents;  // submenu parents' texts by id
  const int exitId = exitItemId(recentNames.size());
  for (const MenuRow& row : rows) {
    if (row.id == 0) continue;
    CommandEntry entry;
    entry.source = CommandSource::kMenu;
    entry.menuId = row.id;
    entry.icon = row.icon;
    entry.command = row.command;
    entry.path.emplace_back(barMenu(m).name);
    if (row.parentId != 0) entry.path.push_back(parents[row.parentId]);
    if (m == kFileMenu && row.recentIndex >= 0) {
      entry.name = recentNames[static_cast<size_t>(row.recentIndex)];
      entry.usageKey = recentUsageKey(entry.name);
    } else {
      const MenuItemText fields =
          splitMenuItem(m == kFileMenu && row.id == exitId ? kExitItem : menuItemString(row.id));
      entry.name = fields.text;
      if (fields.pieces == 3) entry.shortcut = fields.shortcut;
      entry.usageKey = m == kFileMenu && row.id == exitId ? "x" : usageKey('m', row.id);
    }
    if (row.flags == kItemSubmenu) parents[row.id] = entry.name;
    // Submenu parents, 打印 and the extension menu's label do nothing when run.
    if (!actsAtAll(entry.command)) continue;
    out.push_back(std::move(entry));
  }
}

// "打开(Ctrl+O)" -> "Ctrl+O"; empty when the tooltip carries no shortcut.
std::string toolShortcut(std::string_view tooltip) {
  const std::string_view name = toolButtonName(tooltip);
  if (name.size() == tooltip.size()) return {};
  std::string_view rest = tooltip.substr(name.size() + 1);
  if (!rest.empty() && rest.back() == ')') rest.remove_suffix(1);
  return std::string(rest);
}

// A button the menu already offers: a menu item of the same name running the same command.
bool offeredByMenu(const std::vector<CommandEntry>& entries, const std::string& name, const Command& command) {
  const std::string normalized = normalizedName(name);
  for (const CommandEntry& e : entries)
    if (e.source == CommandSource::kMenu && e.command == command && normalizedName(e.name) == normalized) return true;
  return false;
}

void addToolButton(CommandSource source, int position, const ToolButton& button, std::vector<CommandEntry>& out) {
  if (button.tooltip == kToolSeparator) return;
  CommandEntry entry;
  entry.source = source;
  entry.position = position;
  entry.name = std::string(toolButtonName(button.tooltip));
  entry.shortcut = toolShortcut(button.tooltip);
  entry.icon = std::string(button.icon);
  entry.command = toolCommandFor(entry.name);
  if (!actsAtAll(entry.command) || offeredByMenu(out, entry.name, entry.command)) return;
  const bool main = source == CommandSource::kMainToolBar;
  entry.path.emplace_back(main ? kMainToolBarTitle : kDesignerToolBarTitle);
  entry.usageKey = usageKey(main ? 't' : 'd', position);
  out.push_back(std::move(entry));
}

// The kinds the main tool bar holds at each position, as its sync finds them.
std::vector<ToolElementKind> mainToolBarKinds() {
  std::vector<ToolElementKind> kinds;
  for (const ToolButton& b : mainToolBarFirstGroup())
    kinds.push_back(b.tooltip == kToolSeparator ? ToolElementKind::kOther : ToolElementKind::kButton);
  kinds.push_back(ToolElementKind::kComboBox);  // the linker selector
  for (const ToolButton& b : mainToolBarSecondGroup())
    kinds.push_back(b.tooltip == kToolSeparator ? ToolElementKind::kOther : ToolElementKind::kButton);
  return kinds;
}

}  // namespace

std::vector<CommandEntry> buildCommandList(std::span<const std::string> recentNames) {
  std::vector<CommandEntry> entries;
  for (int m = 1; m <= kMenuCount; ++m) addMenu(m, recentNames, entries);
  int position = 0;
  for (const ToolButton& b : mainToolBarFirstGroup())
    addToolButton(CommandSource::kMainToolBar, position++, b, entries);
  position = kLinkerPosition + 1;
  for (const ToolButton& b : mainToolBarSecondGroup())
    addToolButton(CommandSource::kMainToolBar, position++, b, entries);
  position = 0;
  for (const ToolButton& b : designerToolBar()) addToolButton(CommandSource::kDesignerToolBar, position++, b, entries);
  return entries;
}

void applyRunState(std::vector<CommandEntry>& entries, const RunState& state) {
  const std::vector<ItemFlags> passes = menuStatePasses(state);
  const std::vector<ToolElementState> tools = mainToolBarStates(mainToolBarKinds(), state);
  const bool designer = designerButtonsEnabled(state.pageKind == kWindowDesignerPage, state.debugging);
  for (CommandEntry& e : entries) {
    switch (e.source) {
      case CommandSource::kMenu: {
        const int flags = finalItemFlags(passes, e.menuId);
        e.enabled = flags < 0 || (flags & kItemDisabled) == 0;
        break;
      }
      case CommandSource::kMainToolBar: {
        const size_t at = static_cast<size_t>(e.position);
        e.enabled = at >= tools.size() || !tools[at].touched || tools[at].enabled;
        break;
      }
      case CommandSource::kDesignerToolBar: e.enabled = designer; break;
    }
  }
}

std::string pathText(const CommandEntry& entry, std::string_view separator) {
  std::string text;
  for (const std::string& piece : entry.path) {
    text += piece;
    text += separator;
  }
  return text + entry.name;
}

std::string recentUsageKey(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  char text[16];
  std::snprintf(text, sizeof text, "f%08x", hash);
  return text;
}

}  // namespace tovalux::commands
