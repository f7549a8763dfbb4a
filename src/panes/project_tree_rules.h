// The rules of the project structure tree and the support-library browser that need no window:
// labels and icons of mirrored host items, the context menus per node kind and what their items
// do, the host-item map both panes keep, and the label search (GBK-aware). All texts are GBK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panes/handle_map.h"
#include "panes/id_table.h"

namespace tovalux::project {

// Host tree handles are 32-bit pointers; the panes keep them as unsigned numbers.
using HostHandle = uint32_t;
inline constexpr HostHandle kTviRoot = 0xFFFF0000u;

// --- labels and icons of the program tree -------------------------------------------------------
inline constexpr std::string_view kProgramDataText = "程序数据";
inline constexpr std::string_view kRootLabel = "解决方案项目结构";
inline constexpr std::string_view kExternalFilesText = "外部文件记录表";
inline constexpr std::string_view kViewConstantsLabel = "查看常量";
inline constexpr std::string_view kViewConstantsIcon = "Enumerator_left_16x.png";
inline constexpr std::string_view kRootIcon = "proE.png";

// The host's "外部文件记录表" branch is never shown.
bool isHiddenBranch(std::string_view hostText);
// The label a top-level item shows: "程序数据" becomes "解决方案项目结构".
std::string_view topLevelLabel(std::string_view hostText);
// The label of an item below the top level, and whether a "查看常量" child follows it.
struct ItemLabel {
  std::string_view label;
  bool viewConstantsChild = false;
};
ItemLabel childLabel(std::string_view hostText);
// The icon of an item below the top level by its host image, its host text and its pane
// parent's label (the rules apply in order, a later match replacing an earlier one); empty: none.
std::string_view programIcon(int hostImage, std::string_view hostText, std::string_view parentLabel);

// --- the library tree -----------------------------------------------------------------------
// The icon of a library-tree item by its host image; empty: none.
std::string_view libraryIcon(int hostImage);

// --- the item field that names the host item --------------------------------------------------
// A host handle written as decimal text; 0 for text that is not a whole number in 1..2^32-1.
HostHandle parseHandle(std::string_view text);
std::string handleText(HostHandle handle);

// --- context menus ----------------------------------------------------------------------------
inline constexpr int kMenuSeparatorFlag = 8;
inline constexpr int kMenuDisabledFlag = 16;

struct MenuRow {
  int id = -1;  // -1: a separator
  std::string_view text;
  std::string_view icon;  // empty: none
  bool disabled = false;
  bool disabledWithChildren = false;  // disabled when the pane item has children
};
// The menu for a host item of `hostImage`; `hostText` is the host item's text, `parentLabel`
// the pane parent's label. Empty: that kind has no menu.
std::vector<MenuRow> contextMenu(int hostImage, std::string_view hostText, std::string_view parentLabel);
// The toolkit flags of a row, given whether the pane item has children.
int menuFlags(const MenuRow& row, bool hasChildren);

// What a menu pick or tool-bar button does in the host.
struct HostAction {
  enum Kind : uint8_t { kNone, kIdeFunction, kCommand, kAddModuleReference, kNewFolder, kTidyFolders, kCollapseAll };
  Kind kind = kNone;
  uint32_t first = 0;   // the IDE function or WM_COMMAND id
  uint32_t second = 0;  // a second IDE function run after the first (0: none)
  bool operator==(const HostAction&) const = default;
};
HostAction menuAction(int menuId);

// IDE functions and host commands of the pane.
namespace ide {
inline constexpr uint32_t kNewDataType = 0x0202000A;
inline constexpr uint32_t kNewGlobal = 0x0202000B;
inline constexpr uint32_t kNewDllCommand = 0x0202000C;
inline constexpr uint32_t kNewAssembly = 0x0202000D;
inline constexpr uint32_t kNewPicture = 0x02020011;
inline constexpr uint32_t kNewWindow = 0x02020037;
inline constexpr uint32_t kNewClass = 0x0202006A;
inline constexpr uint32_t kLongTextFirst = 0x0402000B;
inline constexpr uint32_t kLongTextSecond = 0x0202007E;
inline constexpr uint32_t kAddModuleReference = 0x02020087;
}  // namespace ide
namespace command {
inline constexpr uint32_t kGoTo = 0x8019;
inline constexpr uint32_t kDelete = 0x801B;
inline constexpr uint32_t kRefreshModules = 0x80BB;
inline constexpr uint32_t kNewFolder = 0x80E6;
inline constexpr uint32_t kDeleteFolder = 0x80E7;
inline constexpr uint32_t kRenameFolder = 0x80E8;
inline constexpr uint32_t kTidyFolders = 0x80EA;
}  // namespace command

// --- the tool bar -----------------------------------------------------------------------------
struct ToolButton {
  std::string_view text;  // also the tooltip; "|" a separator
  std::string_view icon;
  HostAction action;
};
const std::vector<ToolButton>& projectToolButtons();
// The action of the button whose tooltip is `tooltip` (the click handler reads it back).
HostAction toolButtonAction(std::string_view tooltip);

// --- host item map --------------------------------------------------------------------------
// Host item handle <-> pane item id, both ways in constant time. A pane id is never mapped
// twice; inserting a handle again replaces its old entry.
class HostItemMap {
 public:
  void add(HostHandle host, int paneId);
  // The pane id of `host`; -1 when not mapped.
  int paneOf(HostHandle host) const;
  // The host handle mapped to `paneId`; 0 when none.
  HostHandle hostOf(int paneId) const;
  bool contains(HostHandle host) const { return forward_.find(host) != nullptr; }
  void removeHost(HostHandle host);
  void removePane(int paneId);
  void clear();
  size_t size() const { return forward_.size(); }

 private:
  HandleMap forward_;
  IdTable<HostHandle> reverse_;  // pane ids are the toolkit's: dense, in insertion order
};

// --- search -----------------------------------------------------------------------------------
// True when `query` occurs in `label` starting on a character boundary: GBK double-byte
// characters compare exactly, ASCII letters without regard to case. An empty query matches.
bool labelMatches(std::string_view label, std::string_view query);
// The query as typed, without leading and trailing blanks.
std::string_view trimQuery(std::string_view query);

}  // namespace tovalux::project
