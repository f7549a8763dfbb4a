#include "panes/toolbox.h"

#include <commctrl.h>

#include <map>
#include <string>

#include "base/gbk.h"
#include "host/host_paths.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/subclasses.h"
#include "panes/module_manager_file.h"
#include "panes/toolbox_rules.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using toolbox::IconIndex;
using toolbox::ToolItems;

struct State {
  pane_kit::PaneElement<XC_LISTVIEW> list;
  std::map<HWND, int> buttons;  // host group button -> group index
  int currentGroup = 0;
  ToolItems items;
  IconIndex icons;
  bool iconsRead = false;  // for the current fill
  int iconReads = 0;
  std::map<std::string, HIMAGE> images;  // icon file -> image, loaded once
};

State& state() {
  static State s;
  return s;
}

bool listLive() { return state().list.live(); }

void readIcons() {
  State& s = state();
  s.iconsRead = true;
  ++s.iconReads;
  const modules::FileBytes file = modules::readFileBytes(hostPath("lib\\Tovalux\\Control\\icon.json"));
  if (!file.exists || file.readFailed || !s.icons.load(file.bytes)) s.icons = IconIndex{};
}

HIMAGE iconImage(const std::string& component) {
  State& s = state();
  if (!s.iconsRead) readIcons();
  const std::string file = s.icons.iconFor(component);
  if (file.empty()) return 0;
  const auto found = s.images.find(file);
  if (found != s.images.end() && XC_IsHXCGUI(found->second, XC_IMAGE)) return found->second;
  const HIMAGE image =
      XImage_LoadFile(gbkToUtf16<XChar>(hostPath("lib\\Tovalux\\Control\\DarkIcons\\" + file)).c_str());
  if (image) s.images[file] = image;
  return image;
}

void beginFill() {
  State& s = state();
  s.items.beginFill(s.currentGroup);
  s.iconsRead = false;
}

void mirrorInsert(const HostMessage& message) {
  State& s = state();
  const auto hostItem = static_cast<uintptr_t>(message.answer);
  if (hostItem == 0) return;
  if (s.items.fillGroup() != s.currentGroup) beginFill();
  const std::string text =
      message.hasText ? message.text : treeItemText(message.window, reinterpret_cast<HTREEITEM>(hostItem));
  const ToolItems::Placed placed = s.items.add(hostItem, text);
  if (!listLive() || placed.group < 0 || placed.group >= XListView_Group_GetCount(s.list)) return;
  const HIMAGE image = iconImage(text);
  int index = placed.index;
  if (!placed.replaces || placed.index >= XListView_Item_GetCount(s.list, placed.group))
    index = XListView_Item_AddItemText(s.list, placed.group, L"");
  if (index < 0) return;
  XListView_Item_SetImage(s.list, placed.group, index, 0, image);
  XListView_Item_SetText(s.list, placed.group, index, 1, gbkToUtf16<XChar>(text).c_str());
  XListView_RefreshData(s.list);
}

void pointerChosen() {
  State& s = state();
  if (!listLive()) return;
  XListView_SetSelectItem(s.list, -1, -1);
  XListView_RefreshData(s.list);
  XEle_RedrawEle(s.list, false);
  if (HELE target = pane(kPaneToolbox)) XEle_RedrawEle(target, false);
}

HWND buttonOf(int group) {
  for (const auto& [button, mapped] : state().buttons)
    if (mapped == group && IsWindow(button)) return button;
  return nullptr;
}

// The host fills its tree with the button's group while the button handles the click.
bool clickGroupButton(int group) {
  HWND button = buttonOf(group);
  if (button == nullptr) return false;
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  return true;
}

void groupText(HWND button, const std::string& text) {
  State& s = state();
  if (!listLive()) return;
  const std::string description = toolbox::groupDescription(text);
  const auto mapped = s.buttons.find(button);
  if (mapped != s.buttons.end()) {
    // A button renamed: its group follows, no second group.
    XListView_Group_SetText(s.list, mapped->second, 0, gbkToUtf16<XChar>(text).c_str());
    XListView_Group_SetText(s.list, mapped->second, 1, gbkToUtf16<XChar>(description).c_str());
    XListView_RefreshData(s.list);
    return;
  }
  if (description.empty()) return;
  const int group = XListView_Group_AddItemText(s.list, gbkToUtf16<XChar>(text).c_str());
  if (group < 0) return;
  XListView_Group_SetText(s.list, group, 1, gbkToUtf16<XChar>(description).c_str());
  s.buttons[button] = group;
  XListView_ExpandGroup(s.list, group, group == s.currentGroup);
  XListView_RefreshData(s.list);
}

LRESULT handleButton(SubclassCall& call) {
  State& s = state();
  switch (call.message) {
    case WM_SETTEXT:
      if (call.lParam != 0) groupText(call.window, reinterpret_cast<const char*>(call.lParam));
      break;
    case WM_DESTROY:
      if (s.buttons.count(call.window) != 0) {
        // Every group goes: no other button may keep pointing at one.
        if (listLive()) {
          XListView_DeleteGroupAll(s.list);
          XListView_RefreshData(s.list);
        }
        s.buttons.clear();
        s.items.clear();
      }
      break;
    case WM_LBUTTONUP: {
      const auto mapped = s.buttons.find(call.window);
      if (mapped != s.buttons.end()) s.currentGroup = mapped->second;
      break;
    }
    default: break;
  }
  return call.forward();
}

}  // namespace

LRESULT CALLBACK toolboxButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&toolboxButtonProcedure, &handleButton, window, message, wParam, lParam);
}

void mirrorToolboxTree(const HostMessage& message) {
  if (!listLive()) return;  // the pane has no list
  switch (message.message) {
    case TVM_INSERTITEMA: mirrorInsert(message); break;
    case TVM_DELETEITEM:
      if (message.lParam == 0 || message.lParam == reinterpret_cast<LPARAM>(TVI_ROOT)) beginFill();
      break;
    case TVM_SELECTITEM:
      if (message.wParam == TVGN_CARET && message.hasText && message.text == "指针") pointerChosen();
      break;
    default: break;
  }
}

void onToolSelected(int group, int item) {
  State& s = state();
  HWND tree = hostWindows().rightPanelItem1225();
  if (tree == nullptr) return;
  uintptr_t hostItem = s.items.liveItem(group, item);
  if (hostItem == 0) {
    // The item came from an older fill of the host's tree, whose handles the host has freed:
    // fill that group again and select the component in the fresh tree.
    const std::string text = s.items.text(group, item);
    if (text.empty() || !clickGroupButton(group)) return;
    hostItem = s.items.itemAfterRefill(group, item, text);
  }
  if (hostItem != 0) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, static_cast<LPARAM>(hostItem));
}

void onToolGroupExpanded(int group) { clickGroupButton(group); }

void buildToolboxPane() {
  State& s = state();
  s.list.forget();
  if (!loadPaneView(kPaneToolbox, "ControlBoxView.xml")) return;
  const HELE target = pane(kPaneToolbox);
  if (!s.list.adopt(XC_GetObjectByName(L"ControlListView"))) return;
  XListView_SetItemTemplateXML(s.list, pane_kit::themeFile("ControlListViewItem.xml").c_str());
  XListView_EnableMultiSel(s.list, false);
  XListView_SetItemSize(s.list, 120, 26);
  XListView_CreateAdapter(s.list);
  applyScrollViewLook(s.list);
  pane_kit::onEvent(s.list, XE_LISTVIEW_SELECT, &onToolSelected);
  pane_kit::onEvent(s.list, XE_LISTVIEW_EXPAND, [](int group, int expanded) {
    if (expanded) onToolGroupExpanded(group);
  });
  XEle_AdjustLayout(target);
}

HELE toolboxList() { return state().list.get(); }
int toolboxCurrentGroup() { return state().currentGroup; }
int toolboxIconReads() { return state().iconReads; }

void tearDownToolbox() { state() = State{}; }

namespace {
constexpr MirrorBinding kToolboxMirrors[] = {{HostMirror::kToolboxTree, &mirrorToolboxTree}};
constexpr ProcedureBinding kToolboxProcedures[] = {{HostProcedure::kToolboxButton, &toolboxButtonProcedure}};
}  // namespace

const Part kToolboxPart{.name = "toolbox",
                        .build = &buildToolboxPane,
                        .tearDown = &tearDownToolbox,
                        .mirrors = kToolboxMirrors,
                        .procedures = kToolboxProcedures};

}  // namespace tovalux
