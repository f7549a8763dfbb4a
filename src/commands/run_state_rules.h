// What the menus and the main tool bar enable in each run state. The inputs are read afresh by
// the toolkit side at each evaluation; the rules here only turn them into item flags and
// element states, so every cell of both tables is tested without a host.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tovalux::commands {

struct RunState {
  bool projectLoaded = false;  // the host's program tree holds at least 2 items
  bool debugging = false;      // a debugged program runs (the run-state flag)
  bool paused = false;         // the caption carries "[运行暂停]" (read only while debugging)
  bool running = false;        // the caption carries "[正在运行]" (read only while debugging)
  int32_t pageKind = 0;        // the page-kind query's answer (asked only with a project)
};

inline constexpr std::string_view kPausedMarker = "[运行暂停]";
inline constexpr std::string_view kRunningMarker = "[正在运行]";
inline constexpr int32_t kWindowDesignerPage = 5;

// The markers of a caption, each looked for character by character (a GBK trail byte can equal
// '[' or ']').
void readCaptionMarkers(std::string_view caption, RunState& state);

// --- menus ---------------------------------------------------------------------------------

inline constexpr int kItemNormal = 0;
inline constexpr int kItemSubmenu = 4;
inline constexpr int kItemDisabled = 16;

struct ItemFlags {
  int menuIndex;  // bar index: 0 = 文件(F) ... 7 = 工具(T)
  int id;
  int flags;
};

// The five passes of the menu sync, in the order they are applied (a later assignment of an id
// overrides an earlier one). Applying them stops at the first entry whose menu is missing, so
// items of later menus keep their previous flags.
std::vector<ItemFlags> menuStatePasses(const RunState& state);

// The flags each listed id ends with (the last assignment wins); -1 for an id never assigned.
int finalItemFlags(std::span<const ItemFlags> passes, int id);

// --- main tool bar -----------------------------------------------------------------------------

enum class ToolElementKind : uint8_t { kOther, kButton, kComboBox };

inline constexpr uint32_t kComboTextLoaded = 0xD2D2D2;  // RGB(210,210,210)
inline constexpr uint32_t kToolTextDimmed = 0x463F3F;   // RGB(63,63,70) as 0x00BBGGRR

struct ToolElementState {
  bool touched = false;  // a button or combo box, or a position a rule names
  bool enabled = false;
  bool hasTextColor = false;
  uint32_t textColor = 0;  // 0x00BBGGRR
};

// The state of every position of "winToolBar0" given the kinds found there.
std::vector<ToolElementState> mainToolBarStates(std::span<const ToolElementKind> kinds, const RunState& state);

// The designer tool bar: every button enabled exactly when the page is a window page and no
// program is being debugged.
inline bool designerButtonsEnabled(bool windowPage, bool debugging) { return windowPage && !debugging; }

}  // namespace tovalux::commands
