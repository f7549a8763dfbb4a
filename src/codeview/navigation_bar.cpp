// The navigation bar: "navMainComboBox" and "navVoidComboBox" mirror the host's unit and member
// combo boxes 629 and 630 whenever the host selects in them, and hand a choice made in the shell
// back to the host combo as if the user had picked it there. On table pages the member list is
// built from the host's program tree instead.
//
// A host reply can arrive inside the shell combo's own select event (our CB_SETCURSEL and
// CBN_SELCHANGE make the host select again); refilling a combo from inside its own event is put
// off until the event has returned. A table fill reads the tree in one go, without pumping, and
// then adds the items in time slices between which the host's messages run; it never sends a
// tree item again unless a fresh walk finds it still in its table.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/text.h"
#include "codeview/codeview.h"
#include "codeview/codeview_internal.h"
#include "codeview/codeview_rules.h"
#include "host/host_protocol.h"
#include "host/host_text.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "host/shell_state.h"
#include "host/ui_jobs.h"
#include "shell/descriptors.h"
#include "shell/host_mirrors.h"
#include "shell/shell.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::codeview {
namespace {

constexpr char kItemTemplate[] = "lib\\Tovalux\\Dark\\ComboBoxListBoxItem.xml";
constexpr uint32_t kUnitRefillKey = kFirstFreeUiJobKey;
constexpr uint32_t kMemberRefillKey = kFirstFreeUiJobKey + 1;
// A host list longer than this is cut: the shell's list is for picking, not a copy of any size.
constexpr int kMaxMirroredItems = 100000;
constexpr size_t kComboItemCap = 1024;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HELE unitCombo() { return frameObject("navMainComboBox", XC_COMBOBOX); }
HELE memberCombo() { return frameObject("navVoidComboBox", XC_COMBOBOX); }

int32_t pageKind() { return queryIdeValue(ide::kQueryPageKind, 0); }

// The shell combo whose select event is running (its host reply is put off until it returns).
HELE gInSelectEvent = 0;

struct SelectEventScope {
  explicit SelectEventScope(HELE combo) : previous_(gInSelectEvent) { gInSelectEvent = combo; }
  ~SelectEventScope() { gInSelectEvent = previous_; }
  SelectEventScope(const SelectEventScope&) = delete;
  SelectEventScope& operator=(const SelectEventScope&) = delete;

 private:
  HELE previous_;
};

// --- mirroring the host's lists ------------------------------------------------------------

void refill(HELE combo, HWND hostCombo) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX) || !IsWindow(hostCombo)) return;
  ++counters().comboRefills;
  XComboBox_SetText(combo, gbkToUtf16<XChar>(windowText(hostCombo)).c_str());
  if (XComboBox_GetAdapter(combo) == 0) XComboBox_CreateAdapter(combo);
  XComboBox_DeleteItemAll(combo);
  LRESULT count = SendMessageA(hostCombo, CB_GETCOUNT, 0, 0);
  if (count == CB_ERR || count < 0) count = 0;
  if (count > kMaxMirroredItems) count = kMaxMirroredItems;
  // An item the host cannot give (CB_ERR) stays as an empty one: indexes must match the host's.
  for (int i = 0; i < static_cast<int>(count); ++i)
    XComboBox_AddItemText(combo, gbkToUtf16<XChar>(comboItemText(hostCombo, i, kComboItemCap)).c_str());
  XEle_RedrawEle(combo);
}

// What the host selected in 629 or 630 (the router passed the message on and calls this after).
void mirrorHostComboSelection(const HostMessage& message, HELE combo, uint32_t deferKey) {
  if (message.message != CB_SETCURSEL) return;
  // Table pages keep the member list built from the program tree.
  if (isTableKind(pageKind())) return;
  const HWND hostCombo = message.window;
  if (combo != 0 && combo == gInSelectEvent) {
    ++counters().deferredRefills;
    postUiJob(
        [combo, hostCombo] {
          if (shellRunning()) refill(combo, hostCombo);
        },
        deferKey);
    return;
  }
  refill(combo, hostCombo);
}

void onUnitComboSelection(const HostMessage& message) {
  mirrorHostComboSelection(message, unitCombo(), kUnitRefillKey);
}

void onMemberComboSelection(const HostMessage& message) {
  mirrorHostComboSelection(message, memberCombo(), kMemberRefillKey);
}

// --- handing a choice to the host --------------------------------------------------------------

// The host combo selects `index` and hears CBN_SELCHANGE from its own list, as after a click.
void chooseInHostCombo(HWND hostCombo, int index) {
  if (!IsWindow(hostCombo)) return;
  SendMessageA(hostCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  COMBOBOXINFO info{};
  info.cbSize = 52;  // the host's record size on a 32-bit system
  SendMessageA(hostCombo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageA(hostCombo, WM_COMMAND, 0x000103E8, reinterpret_cast<LPARAM>(info.hwndList));
}

int onNavMainSelect(HELE combo, int index, bool*) {
  if (index == -1) return 0;
  SelectEventScope scope(combo);
  chooseInHostCombo(hostWindows().topBarItem629(), index);
  return 0;
}

// --- table member lists ------------------------------------------------------------------------

class HostTreeReader : public TreeReader {
 public:
  explicit HostTreeReader(HWND tree) : tree_(tree) {}
  TreeItem firstRoot() override { return id(treeRoot(tree_)); }
  TreeItem firstChild(TreeItem item) override { return id(treeChild(tree_, handle(item))); }
  TreeItem nextSibling(TreeItem item) override { return id(treeNext(tree_, handle(item))); }
  std::string text(TreeItem item) override { return treeItemText(tree_, handle(item)); }
  int32_t count() override { return treeCount(tree_); }

  static TreeItem id(HTREEITEM item) { return static_cast<TreeItem>(reinterpret_cast<uintptr_t>(item)); }
  static HTREEITEM handle(TreeItem item) { return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(item)); }

 private:
  HWND tree_;
};

// The fill in progress: the members still to add, and the generation that owns the combo.
struct TableFill {
  uint32_t generation = 0;
  std::vector<TableMember> members;
  size_t next = 0;
  HELE combo = 0;
  Clock::time_point started;
};
TableFill gFill;
// The category the member list was last built from (for checking a choice).
std::string gFilledCategory;

void cancelFill() {
  ++gFill.generation;
  gFill.members.clear();
  gFill.next = 0;
}

// Adds items until the slice's time is up; answers true when the fill is complete.
bool fillSlice() {
  const Clock::time_point start = Clock::now();
  const HELE combo = gFill.combo;
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return true;
  size_t added = 0;
  while (gFill.next < gFill.members.size()) {
    const TableMember& member = gFill.members[gFill.next++];
    const int index = XComboBox_AddItemText(combo, gbkToUtf16<XChar>(member.text).c_str());
    if (index >= 0) XComboBox_SetItemText(combo, index, 1, gbkToUtf16<XChar>(decimal(member.item)).c_str());
    if (++added % kFillCheckEvery == 0 && millisecondsSince(start) >= kFillSliceMs) break;
  }
  CodeViewCounters& c = counters();
  ++c.tableFillSlices;
  c.tableFillItems = static_cast<uint32_t>(gFill.next);
  const double slice = millisecondsSince(start);
  if (slice > c.longestFillSliceMs) c.longestFillSliceMs = slice;
  if (gFill.next < gFill.members.size()) return false;
  XEle_RedrawEle(combo);
  c.tableFillMs = millisecondsSince(gFill.started);
  gFill.members.clear();
  gFill.members.shrink_to_fit();
  return true;
}

void continueFill(uint32_t generation) {
  postUiJob([generation] {
    if (!shellRunning() || generation != gFill.generation) return;
    if (!fillSlice()) continueFill(generation);
  });
}

void fillTableMembers(HELE combo, std::string_view category) {
  const HWND tree = hostWindows().leftPanelItem1019();
  if (!IsWindow(tree)) return;
  HostTreeReader reader(tree);
  // Read in one go: nothing pumps between these sends, so no item can die under the walk.
  std::optional<std::vector<TableMember>> members = readTableMembers(reader, category);
  if (!members) return;  // not there, or the tree is changing: the list stays as it was

  cancelFill();
  const uint32_t generation = gFill.generation;
  gFill.members = std::move(*members);
  gFill.next = 0;
  gFill.combo = combo;
  gFill.started = Clock::now();
  gFilledCategory = std::string(category);
  CodeViewCounters& c = counters();
  ++c.tableFills;
  c.tableFillItems = 0;
  c.tableFillSlices = 0;
  c.tableFillMs = 0;
  c.longestFillSliceMs = 0;

  XComboBox_SetText(combo, L"");
  if (XComboBox_GetAdapter(combo) == 0) XComboBox_CreateAdapter(combo);
  XComboBox_DeleteItemAll(combo);
  XEle_RedrawEle(combo);
  // The first slice now, so the list opens with items; the rest between the host's messages.
  if (!fillSlice()) continueFill(generation);
}

bool gInPopup = false;

int onNavMemberPopup(HELE combo, HWINDOW popup, HELE list, bool*) {
  if (gInPopup) return 0;
  gInPopup = true;
  applyScrollViewLook(list);
  if (const HWND window = XWnd_GetHWND(popup)) {
    RECT r{};
    GetWindowRect(window, &r);
    RECT least{0, 0, 0, kMemberPopupMinHeight};
    XWnd_UnitsToDevice(popup, &least);
    if (r.bottom - r.top < least.bottom) {
      MoveWindow(window, r.left, r.top, r.right - r.left, least.bottom, FALSE);
      XEle_SetHeight(list, kMemberPopupMinHeight);
    }
  }
  const std::string_view category = tableCategoryFor(pageKind());
  if (!category.empty()) fillTableMembers(combo, category);
  if (XC_IsHXCGUI(list, XC_LISTBOX)) {
    XEle_RedrawEle(list);
    XWnd_AdjustLayout(popup);
    XWnd_RedrawWnd(popup);
  }
  gInPopup = false;
  return 0;
}

int onNavMemberSelect(HELE combo, int index, bool*) {
  const int32_t item = cAtoi(utf16ToGbk(XComboBox_GetItemText(combo, index, 1)));
  if (item > 0) {
    // A table entry: the host selects it in its tree and jumps there, but only while the item is
    // still in the table the list was filled from (the host may have deleted it since).
    const HWND tree = hostWindows().leftPanelItem1019();
    HostTreeReader reader(tree);
    if (!IsWindow(tree) || !isTableMember(reader, gFilledCategory, static_cast<TreeItem>(item))) {
      ++counters().staleMemberChoices;
      return 0;
    }
    if (!treeSelect(tree, HostTreeReader::handle(static_cast<TreeItem>(item)))) return 0;
    if (const HWND host = getHostMainWindow()) SendMessageA(host, WM_COMMAND, 0x8019, 0);
    XComboBox_SetText(combo, XComboBox_GetItemText(combo, index, 0).c_str());
    XEle_RedrawEle(combo);
    return 0;
  }
  if (index == -1) return 0;
  SelectEventScope scope(combo);
  chooseInHostCombo(hostWindows().topBarItem630(), index);
  return 0;
}

// --- looks ----------------------------------------------------------------------------------

int onNavHover(HELE combo, bool*) {
  setTextColor(combo, 255, 255, 255);
  setBackgroundAndRedraw(combo, descriptor::kNavComboBoxOver);
  return 0;
}

int onNavLeave(HELE combo, bool*) {
  setTextColor(combo, 241, 241, 241);
  setBackgroundAndRedraw(combo, descriptor::kNavComboBoxAway);
  return 0;
}

void setIcon(std::string_view element, std::string_view image) {
  const HXCGUI shape = frameObject(element, XC_SHAPE_PICTURE);
  if (shape == 0) return;
  XShapePic_SetImage(shape, XRes_GetImage(gbkToUtf16<XChar>(image).c_str()));
  XShape_Redraw(shape);
}

}  // namespace

void setupNavigationBar() {
  gInSelectEvent = 0;
  gInPopup = false;
  cancelFill();
  gFilledCategory.clear();
  const XString itemTemplate = gbkToUtf16<XChar>(kItemTemplate);
  for (const HELE combo : {unitCombo(), memberCombo()}) {
    if (combo == 0) continue;
    XComboBox_SetItemTemplateXML(combo, itemTemplate.c_str());
    XComboBox_EnableEdit(combo, false);
    XEle_RegEventC1(combo, XE_MOUSESTAY, &onNavHover);
    XEle_RegEventC1(combo, XE_MOUSELEAVE, &onNavLeave);
  }
  if (const HELE combo = unitCombo()) XEle_RegEventC1(combo, XE_COMBOBOX_SELECT, &onNavMainSelect);
  if (const HELE combo = memberCombo()) {
    XEle_RegEventC1(combo, XE_COMBOBOX_SELECT, &onNavMemberSelect);
    XEle_RegEventC1(combo, XE_COMBOBOX_POPUP_LIST, &onNavMemberPopup);
  }
}

const MirrorBinding kNavigationMirrors[2] = {{HostMirror::kUnitCombo, &onUnitComboSelection},
                                             {HostMirror::kMemberCombo, &onMemberComboSelection}};

void stopNavigation() {
  cancelFill();
  gFill.members.shrink_to_fit();
  gInSelectEvent = 0;
}

}  // namespace tovalux::codeview

namespace tovalux {

using namespace codeview;

void refreshNavigationForPage(HWND page) {
  const std::string title = windowTextCapped(page, 256);
  const NavigationLook look = navigationLookFor(title);
  setIcon("navMainIcon", look.unitIcon);
  setIcon("navVoidIcon", look.memberIcon);
  const HELE units = unitCombo();
  const HELE members = memberCombo();
  if (look.tablePage) {
    cancelFill();
    if (units != 0) XComboBox_SetText(units, gbkToUtf16<XChar>(title).c_str());
    if (members != 0) {
      XComboBox_SetText(members, L"");
      if (XComboBox_GetAdapter(members) != 0) XComboBox_DeleteItemAll(members);
    }
  }
  if (units != 0) XEle_RedrawEle(units);
  if (members != 0) XEle_RedrawEle(members);
}

}  // namespace tovalux
