#include "panes/properties_pane.h"

#include <string>

#include "base/gbk.h"
#include "base/pump_wait.h"
#include "base/ui_seams.h"
#include "host/host_text.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "panes/properties_pane_rules.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_menus.h"
#include "toolkit/xcgui_views.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace {

using pane_kit::onEvent;
using pane_kit::themeFile;
using properties::EventRows;

constexpr DWORD kHostReactionWait = 120;           // ms the host gets to react before the simulated pick
constexpr WPARAM kListSelectionChanged = 0x103E8;  // control 1000, notification 1

struct State {
  pane_kit::PaneElement<XC_COMBOBOX> combo;
  pane_kit::PaneElement<XC_COMBOBOX> events;
  EventRows rows;
  bool choosing = false;  // a choice is waiting for the host: another one is not started
};

State& state() {
  static State s;
  return s;
}

// Gives the host time to react while its messages (and ours) keep flowing. False when the shell
// closed meanwhile or the control is gone: the caller then stops.
bool waitForHost(HWND control) {
  pumpingWait(kHostReactionWait);
  return shellRunning() && IsWindow(control);
}

// The rest of a list choice the host's own drop-down would make: the combo's list box tells it
// the selection changed, and the combo tells its owner.
void simulateListChoice(HWND hostCombo, bool sendWithoutList) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!SendMessageA(hostCombo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info))) {
    const DWORD error = GetLastError();
    showMessageBox(nullptr, "无法根据组件自动生成事件\r\n错误代码: " + std::to_string(error), "", MB_OK | MB_ICONSTOP);
    if (!sendWithoutList) return;
    info.hwndList = nullptr;
  }
  SendMessageA(hostCombo, WM_COMMAND, kListSelectionChanged, reinterpret_cast<LPARAM>(info.hwndList));
}

void redraw(HELE element) {
  if (XC_IsHELE(element)) XEle_RedrawEle(element, false);
}

struct ChoiceScope {
  ChoiceScope() { state().choosing = true; }
  ~ChoiceScope() { state().choosing = false; }
};

void registerCombo(HELE combo, std::string_view itemTemplate) {
  XComboBox_SetItemTemplateXML(combo, themeFile(itemTemplate).c_str());
  XComboBox_CreateAdapter(combo);
  XComboBox_SetDropHeight(combo, 200);
  XComboBox_EnableEdit(combo, false);
  registerComboBoxHover(combo);
}

void onCaptionClicked() {
  if (propertyForm() == nullptr) return;
  const int paneState = XPane_GetState(pane(kPaneProperties));
  if (paneState == 1) {
    showPropertyForm(false);
    return;
  }
  showPropertyForm(true);
  if (paneState != 2) setPropertyFormOneShot();
}

}  // namespace

void mirrorComponentCombo(const HostMessage& message) {
  State& s = state();
  if (!s.combo.live()) return;
  switch (message.message) {
    case CB_ADDSTRING:
      if (message.hasText) XComboBox_AddItemText(s.combo, gbkToUtf16<XChar>(message.text).c_str());
      break;
    case CB_RESETCONTENT: XComboBox_DeleteItemAll(s.combo); break;
    case CB_SETCURSEL: XComboBox_SetText(s.combo, gbkToUtf16<XChar>(message.text).c_str()); break;
    default: return;
  }
  redraw(s.combo);
}

void mirrorEventCombo(const HostMessage& message) {
  State& s = state();
  if (message.message != CB_SETCURSEL || !s.events.live()) return;
  XComboBox_SetText(s.events, gbkToUtf16<XChar>(message.text).c_str());
  redraw(s.events);
  if (message.text == properties::kNoEvents && s.combo.live()) {
    XComboBox_SetText(s.combo, gbkToUtf16<XChar>(properties::kNoComponent).c_str());
    redraw(s.combo);
  }
}

void onComponentChosen(int row) {
  State& s = state();
  if (s.choosing || !s.combo.live() || row < 0) return;
  const std::string text = utf16ToGbk(XComboBox_GetItemText(s.combo, row, 0));
  HWND host = hostWindows().leftPanelItem1058();
  if (host == nullptr || text.empty()) return;
  ChoiceScope scope;
  // The exact name first: "按钮1" must not pick an earlier "按钮10".
  LRESULT index =
      SendMessageA(host, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR)
    index = SendMessageA(host, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return;
  SendMessageA(host, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (!waitForHost(host)) return;
  simulateListChoice(host, false);
}

void onEventListPopup(HWINDOW popup, HELE list) {
  State& s = state();
  if (!s.events.live()) return;
  if (XC_IsHELE(list)) applyScrollViewLook(list);
  const std::string current = utf16ToGbk(XComboBox_GetText(s.events));
  if (current == properties::kNoEvents) {
    if (XComboBox_GetCount(s.events) > 0) {
      XComboBox_DeleteItemAll(s.events);
      s.rows.clear();
      redraw(s.events);
    }
    return;
  }
  XComboBox_SetText(s.events, gbkToUtf16<XChar>(properties::kLoadingEvents).c_str());
  XComboBox_DeleteItemAll(s.events);
  s.rows.clear();
  redraw(s.events);

  HWND host = hostWindows().leftPanelItem1059();
  if (host == nullptr) return;
  HWND frame = shellFrameHwnd();
  if (frame != nullptr && GetParent(host) != frame) {
    // Given back at shut-down, before the frame closes.
    borrowHostControl(host);
    SetParent(host, frame);
  }
  MoveWindow(host, -5000, -5000, 0, 0, FALSE);

  // The host fills its event list when the list opens.
  SendMessageA(host, CB_SHOWDROPDOWN, TRUE, 0);
  const LRESULT count = SendMessageA(host, CB_GETCOUNT, 0, 0);
  const HIMAGE icon = XRes_GetImage(L"Event_left_16x.png");
  for (LRESULT i = 0; i < count && i < 100000; ++i) {
    if (SendMessageA(host, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) == CB_ERR) continue;
    const std::string text = comboItemText(host, static_cast<int>(i));
    const int row = XComboBox_AddItemText(s.events, L"");
    if (row < 0) continue;
    XComboBox_SetItemText(s.events, row, 1, gbkToUtf16<XChar>(text).c_str());
    if (!properties::isSeparatorEntry(text) && icon) XComboBox_SetItemImage(s.events, row, 0, icon);
    s.rows.add(static_cast<int>(i));
  }
  SendMessageA(host, CB_SHOWDROPDOWN, FALSE, 0);
  XComboBox_SetText(s.events, gbkToUtf16<XChar>(current).c_str());

  if (XC_IsHWINDOW(popup) && XC_IsHELE(list) && XEle_GetHeight(list) != 200) {
    if (HWND window = XWnd_GetHWND(popup)) {
      RECT at{};
      GetWindowRect(window, &at);
      RECT size{0, 0, 318, 200};
      XWnd_UnitsToDevice(popup, &size);
      MoveWindow(window, at.left, at.top, size.right, size.bottom, TRUE);
    }
    XEle_SetWidth(list, 318);
    XEle_SetHeight(list, 200);
    XWnd_AdjustLayout(popup);
  }
}

void onEventChosen(int row) {
  State& s = state();
  if (s.choosing || row < 0) return;
  const int hostIndex = s.rows.hostIndex(row);
  HWND host = hostWindows().leftPanelItem1059();
  if (host == nullptr || hostIndex < 0) return;
  ChoiceScope scope;
  SendMessageA(host, CB_SHOWDROPDOWN, TRUE, 0);
  if (!waitForHost(host)) return;
  SendMessageA(host, CB_SETCURSEL, static_cast<WPARAM>(hostIndex), 0);
  simulateListChoice(host, true);
  redraw(s.events);
}

void buildPropertiesPane() {
  State& s = state();
  s.combo.forget();
  s.events.forget();
  s.rows.clear();
  if (!loadPaneView(kPaneProperties, "CtrlProView.xml")) return;
  const HELE target = pane(kPaneProperties);
  const HXCGUI caption = XEle_GetChildByIndex(target, 1);
  if (XC_IsHELE(caption)) onEvent(caption, XE_BNCLICK, &onCaptionClicked);
  if (s.combo.adopt(XC_GetObjectByName(L"CtrlComboBox"))) {
    registerCombo(s.combo, "ComboBoxListBoxItem.xml");
    onEvent(s.combo, XE_COMBOBOX_SELECT, &onComponentChosen);
    onEvent(s.combo, XE_COMBOBOX_POPUP_LIST, [](HWINDOW, HELE list) {
      if (XC_IsHELE(list)) applyScrollViewLook(list);
    });
  }
  if (s.events.adopt(XC_GetObjectByName(L"CtrlEventComboBox"))) {
    registerCombo(s.events, "EventListBoxItem.xml");
    onEvent(s.events, XE_COMBOBOX_POPUP_LIST, &onEventListPopup);
    onEvent(s.events, XE_COMBOBOX_SELECT, &onEventChosen);
  }
  const HXCGUI layout = XC_GetObjectByName(L"CtrlProLayout");
  createPropertyForm(XC_IsHELE(layout) ? static_cast<HELE>(layout) : 0);
  XEle_AdjustLayout(target);
  XEle_RedrawEle(target, false);
}

HELE componentCombo() { return state().combo.get(); }
HELE eventCombo() { return state().events.get(); }

void tearDownPropertiesPane() {
  // The host's grid and event combo box go home before the form and the frame close.
  returnHostControls();
  releasePropertyForm(false);
  state() = State{};
}

namespace {
// Both do nothing while their combo does not exist.
constexpr MirrorBinding kPropertiesMirrors[] = {{HostMirror::kComponentCombo, &mirrorComponentCombo},
                                                {HostMirror::kEventCombo, &mirrorEventCombo}};
}  // namespace

const Part kPropertiesPanePart{.name = "properties and events pane",
                               .build = &buildPropertiesPane,
                               .tearDown = &tearDownPropertiesPane,
                               .mirrors = kPropertiesMirrors};

}  // namespace tovalux
