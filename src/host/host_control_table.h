// Every host control the plug-in names, in one table: its role, the accessor HostWindows gives it,
// the dialog-item ids walked with GetDlgItem from the host main window, where it may have moved
// when that walk fails, the window class the host gives it and the mirror slots the router feeds
// when the host sends it a watched message. Everything else is derived from this table: the
// HostControl and MirrorSlot enums, HostWindows' accessors (host_windows.h), the router's control
// ids (hooks/host/router_rules.h), the kept handles (hooks/host/host_controls.h) and the slots the
// shell's mirrors are filled in (shell/host_mirrors.h). Free of Win32: the router's rules use it
// natively too. The stand-in IDE's window tree (standin/window_tree.h) is built independently and
// checked against this table (tests/wine/host/host_control_table_test.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovalux {

// The host's ids on the way to its controls.
namespace host_id {
inline constexpr int32_t kTopDockBar = 59419;
inline constexpr int32_t kLeftDockBar = 59420;
inline constexpr int32_t kRightDockBar = 59421;
inline constexpr int32_t kBottomDockBar = 59422;
inline constexpr int32_t kToolBar = 59392;  // in the top dock bar and, again, under the main window
inline constexpr int32_t kMdiClient = 59648;
inline constexpr int32_t kTopBar = 135;
inline constexpr int32_t kLeftPanel = 129;
inline constexpr int32_t kBottomPanel = 130;
inline constexpr int32_t kRightPanel = 110;
inline constexpr int32_t kPanelInner = 0;
inline constexpr int32_t kPanelContainer = 1000;  // of the bottom path: the output tab strip
}  // namespace host_id

// The ids walked from the main window, the control's own id last. A control that is not under
// the main window (a pop-up the host makes) has an empty path and still its own id.
struct IdPath {
  std::array<int32_t, 5> ids{};
  uint8_t length = 0;
  int32_t id = 0;  // the control's own id: what GetDlgCtrlID answers for it
};

template <class... Ids>
constexpr IdPath path(Ids... ids) {
  static_assert(sizeof...(Ids) >= 1 && sizeof...(Ids) <= 5);
  IdPath result{{static_cast<int32_t>(ids)...}, static_cast<uint8_t>(sizeof...(Ids)), 0};
  result.id = result.ids[result.length - 1];
  return result;
}
constexpr IdPath topBar(int32_t id) { return path(host_id::kTopDockBar, host_id::kTopBar, id); }
constexpr IdPath leftPanel(int32_t id) {
  return path(host_id::kLeftDockBar, host_id::kLeftPanel, host_id::kPanelInner, host_id::kPanelContainer, id);
}
constexpr IdPath bottomPanel() {
  return path(host_id::kBottomDockBar, host_id::kBottomPanel, host_id::kPanelInner, host_id::kPanelContainer);
}
constexpr IdPath bottomPanel(int32_t id) {
  return path(host_id::kBottomDockBar, host_id::kBottomPanel, host_id::kPanelInner, host_id::kPanelContainer, id);
}
constexpr IdPath rightPanel(int32_t id) {
  return path(host_id::kRightDockBar, host_id::kRightPanel, host_id::kPanelInner, id);
}
constexpr IdPath notUnderTheMainWindow(int32_t id) { return {{}, 0, id}; }

// Where a control the shell re-parents is found when its path no longer reaches it: the item of
// that id in the shell frame's window, or in the property form.
enum class MovedTo : uint8_t { kNowhere, kShellFrame, kPropertyForm };

// One row per host control. Columns:
//   role       the HostControl (and, when it feeds one, the MirrorSlot) of the control
//   accessor   HostWindows' accessor, ACCESSOR(name), or NO_ACCESSOR for a control no path finds
//   path       the id path from the main window (helpers above)
//   moved to   where the shell may have moved it (MovedTo)
//   class      the window class the host gives it; nullptr where the host's own class is open
//   mirror     MIRROR when a pane mirrors what the host sends it, NO_MIRROR otherwise
//   second     SECOND(slot): a second consumer told right after the first; NO_SECOND otherwise
// The order is the order of the enums; nothing else depends on it.
// clang-format off
#define TOVALUX_HOST_CONTROLS(X) \
  /* the frame of the host main window */ \
  X(kTopDockBar,     ACCESSOR(topDockBar),    path(host_id::kTopDockBar),                    kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kTopToolBar,     ACCESSOR(topToolBar),    path(host_id::kTopDockBar, host_id::kToolBar), kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kLeftDockBar,    ACCESSOR(leftDockBar),   path(host_id::kLeftDockBar),                   kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kBottomDockBar,  ACCESSOR(bottomDockBar), path(host_id::kBottomDockBar),                 kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kRightDockBar,   ACCESSOR(rightDockBar),  path(host_id::kRightDockBar),                  kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kMainToolBar,    ACCESSOR(mainToolBar),   path(host_id::kToolBar),                       kNowhere, nullptr,     NO_MIRROR, NO_SECOND) \
  X(kMdiClient,      ACCESSOR(mdiClient),     path(host_id::kMdiClient),                     kNowhere, "MDIClient", NO_MIRROR, NO_SECOND) \
  /* the navigation bar's combo boxes: CB_SETCURSEL, after the host (text: the combo's window text) */ \
  X(kUnitCombo,      ACCESSOR(topBarItem629),      topBar(629),       kNowhere,      "ComboBox",      MIRROR,    NO_SECOND) \
  X(kMemberCombo,    ACCESSOR(topBarItem630),      topBar(630),       kNowhere,      "ComboBox",      MIRROR,    NO_SECOND) \
  /* TVM_INSERTITEMA after; TVM_DELETEITEM of TVI_ROOT or 0; TVM_SELECTITEM with TVGN_CARET */ \
  X(kToolboxTree,    ACCESSOR(rightPanelItem1225), rightPanel(1225),  kNowhere,      "SysTreeView32", MIRROR,    NO_SECOND) \
  /* the designer's combo boxes: CB_ADDSTRING and CB_RESETCONTENT (1058 only), CB_SETCURSEL after */ \
  X(kComponentCombo, ACCESSOR(leftPanelItem1058),  leftPanel(1058),   kNowhere,      "ComboBox",      MIRROR,    NO_SECOND) \
  X(kEventCombo,     ACCESSOR(leftPanelItem1059),  leftPanel(1059),   kShellFrame,   "ComboBox",      MIRROR,    NO_SECOND) \
  /* the component-property grid: re-hosted into the property form; hook 12 gives it its font */ \
  X(kPropertyGrid,   ACCESSOR(leftPanelItem118),   leftPanel(118),    kPropertyForm, nullptr,         NO_MIRROR, NO_SECOND) \
  X(kLibraryTree,    ACCESSOR(leftPanelItem1022),  leftPanel(1022),   kNowhere,      "SysTreeView32", MIRROR,    NO_SECOND) \
  /* TVM_INSERTITEMA after; TVM_DELETEITEM; TVM_EXPAND with 1 or 2 */ \
  X(kProgramTree,    ACCESSOR(leftPanelItem1019),  leftPanel(1019),   kNowhere,      "SysTreeView32", MIRROR,    NO_SECOND) \
  /* the code-completion list: a pop-up "#32770" without a title holds it; TVM_SETIMAGELIST restyles it */ \
  X(kCompletionList, NO_ACCESSOR, notUnderTheMainWindow(1109),        kNowhere,      "SysTreeView32", NO_MIRROR, NO_SECOND) \
  /* the output tab strip, parent of every bottom control: TCM_SETCURSEL brings a pane forward */ \
  X(kOutputTabs,     NO_ACCESSOR,                  bottomPanel(),     kNowhere,      "SysTabControl32", MIRROR,  NO_SECOND) \
  /* EM_SCROLLCARET (text: the box's window text): the help-tip pane, then the status text */ \
  X(kTipsText,       ACCESSOR(bottomPanelItem1001), bottomPanel(1001), kNowhere,     "Edit",          MIRROR,    SECOND(kTipsStatus)) \
  /* EM_REPLACESEL and EM_SETSEL(-1, 0): the build output, then the BlackMoon build watch */ \
  X(kOutputText,     ACCESSOR(bottomPanelItem1011), bottomPanel(1011), kNowhere,     "Edit",          MIRROR,    SECOND(kOutputScan)) \
  /* TVM_INSERTITEMA after; TVM_DELETEITEM */ \
  X(kCallStack,      ACCESSOR(bottomPanelItem1224), bottomPanel(1224), kNowhere,     "SysTreeView32", MIRROR,    NO_SECOND) \
  X(kVariables,      ACCESSOR(bottomPanelItem1109), bottomPanel(1109), kNowhere,     "SysTreeView32", MIRROR,    NO_SECOND) \
  X(kVariableDescription, ACCESSOR(bottomPanelItem1115), bottomPanel(1115), kNowhere, nullptr,       NO_MIRROR, NO_SECOND) \
  X(kVariableValue,  ACCESSOR(bottomPanelItem1010), bottomPanel(1010), kNowhere,     nullptr,         NO_MIRROR, NO_SECOND) \
  X(kStackLevelCombo, ACCESSOR(bottomPanelItem1167), bottomPanel(1167), kNowhere,    "ComboBox",      NO_MIRROR, NO_SECOND) \
  /* LVM_INSERTITEMA, LVM_SETITEMA (lParam > 0), LVM_DELETEALLITEMS, LVM_DELETEITEM */ \
  X(kWatchList,      ACCESSOR(bottomPanelItem1187), bottomPanel(1187), kNowhere,     "SysListView32", MIRROR,    NO_SECOND) \
  /* LB_ADDSTRING, LB_RESETCONTENT */ \
  X(kSearchResults1, ACCESSOR(bottomPanelItem1182), bottomPanel(1182), kNowhere,     "ListBox",       MIRROR,    NO_SECOND) \
  X(kSearchResults2, ACCESSOR(bottomPanelItem1183), bottomPanel(1183), kNowhere,     "ListBox",       MIRROR,    NO_SECOND)
// clang-format on

// The enums and the rows as data, generated from the table.
// clang-format off
// The host controls, one value per row.
enum class HostControl : uint8_t {
#define TOVALUX_CONTROL_ROLE(role, ...) role,
  TOVALUX_HOST_CONTROLS(TOVALUX_CONTROL_ROLE)
#undef TOVALUX_CONTROL_ROLE
  kCount
};

// The mirror slots: the first consumer of every row marked MIRROR (named after its control), then
// the second consumers. The Part that mirrors a control declares its slot (shell/part.h).
enum class MirrorSlot : uint8_t {
#define TOVALUX_FIRST_SLOT(role, accessor, path, movedTo, className, mirror, second) TOVALUX_FIRST_SLOT_##mirror(role)
#define TOVALUX_FIRST_SLOT_MIRROR(role) role,
#define TOVALUX_FIRST_SLOT_NO_MIRROR(role)
#define TOVALUX_SECOND_SLOT(role, accessor, path, movedTo, className, mirror, second) TOVALUX_SECOND_SLOT_##second
#define TOVALUX_SECOND_SLOT_SECOND(slot) slot,
#define TOVALUX_SECOND_SLOT_NO_SECOND
  TOVALUX_HOST_CONTROLS(TOVALUX_FIRST_SLOT)
  TOVALUX_HOST_CONTROLS(TOVALUX_SECOND_SLOT)
#undef TOVALUX_FIRST_SLOT
#undef TOVALUX_FIRST_SLOT_MIRROR
#undef TOVALUX_FIRST_SLOT_NO_MIRROR
#undef TOVALUX_SECOND_SLOT
#undef TOVALUX_SECOND_SLOT_SECOND
#undef TOVALUX_SECOND_SLOT_NO_SECOND
  kCount  // also "no slot"
};

// One row of the table, as data.
struct HostControlRow {
  HostControl control;
  const char* role;       // the enumerator's name
  const char* accessor;   // HostWindows' accessor; empty when no path finds the control
  IdPath path;
  MovedTo movedTo;
  const char* className;  // nullptr: the host's own class, open
  MirrorSlot first;       // MirrorSlot::kCount when no pane mirrors it
  MirrorSlot second;      // MirrorSlot::kCount when there is no second consumer
};

inline constexpr HostControlRow kHostControls[] = {
#define TOVALUX_ROW_ACCESSOR_ACCESSOR(name) #name
#define TOVALUX_ROW_ACCESSOR_NO_ACCESSOR ""
#define TOVALUX_ROW_FIRST_MIRROR(role) MirrorSlot::role
#define TOVALUX_ROW_FIRST_NO_MIRROR(role) MirrorSlot::kCount
#define TOVALUX_ROW_SECOND_SECOND(slot) MirrorSlot::slot
#define TOVALUX_ROW_SECOND_NO_SECOND MirrorSlot::kCount
#define TOVALUX_CONTROL_ROW(role, accessor, path, movedTo, className, mirror, second)                 \
  HostControlRow{HostControl::role, #role, TOVALUX_ROW_ACCESSOR_##accessor, path, MovedTo::movedTo, \
                 className, TOVALUX_ROW_FIRST_##mirror(role), TOVALUX_ROW_SECOND_##second},
  TOVALUX_HOST_CONTROLS(TOVALUX_CONTROL_ROW)
#undef TOVALUX_CONTROL_ROW
#undef TOVALUX_ROW_ACCESSOR_ACCESSOR
#undef TOVALUX_ROW_ACCESSOR_NO_ACCESSOR
#undef TOVALUX_ROW_FIRST_MIRROR
#undef TOVALUX_ROW_FIRST_NO_MIRROR
#undef TOVALUX_ROW_SECOND_SECOND
#undef TOVALUX_ROW_SECOND_NO_SECOND
};
// clang-format on
static_assert(std::size(kHostControls) == static_cast<size_t>(HostControl::kCount));

// The row of `control`, which must be below HostControl::kCount.
constexpr const HostControlRow& hostControlRow(HostControl control) {
  return kHostControls[static_cast<size_t>(control)];
}
// The id the control's window carries (the last step of its path).
constexpr int32_t hostControlId(HostControl control) { return hostControlRow(control).path.id; }
// The slots the router tells, in this order, when the host sends the control a matching message.
constexpr MirrorSlot firstMirror(HostControl control) { return hostControlRow(control).first; }
constexpr MirrorSlot secondMirror(HostControl control) { return hostControlRow(control).second; }

}  // namespace tovalux
