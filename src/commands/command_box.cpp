// The command box: the editable combo box "winCommandBox" of the frame's caption. Its key (the
// INI's CommandBox/FocusKey, Ctrl+Shift+P unless set) or a click gives it the keyboard and lists
// every command; typing filters the list (command_search.h), Up and Down move in it, Enter runs
// the chosen command as its menu item or tool button runs it (the same command record, one
// host call), Escape gives the keyboard back to the code page. What the user runs from it goes
// into the INI's usage record, which orders the list next time.
//
// The list is taken when the box gets the keyboard: the menu's recent files, and the run state
// (so opening the box asks the host for the page kind once; typing asks nothing). Disabled
// commands are listed greyed and do not run.
//
// UI thread. The focus key is seen by a WH_GETMESSAGE hook of the UI thread, installed by the
// Part's build and removed by its tearDown; it takes only keys meant for the frame or a window
// inside it (the host's own dialogs keep theirs) and passes everything else on untouched.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/diagnostics.h"
#include "base/guard.h"
#include "base/last_error.h"
#include "commands/command_box.h"
#include "commands/command_list.h"
#include "commands/command_search.h"
#include "commands/command_usage.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "settings/settings.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"

namespace tovalux {
namespace {

using namespace commands;

constexpr char kBoxName[] = "winCommandBox";
constexpr char kMenuIconFolder[] = "winMenu";
constexpr char kLogPrefix[] = "命令框: ";
constexpr wchar_t kPathSeparator[] = L" \u203A ";  // "生成(C) › 静态编译(S)"
constexpr int kPopupWidth = 460;
constexpr int kRowHeight = 24;  // CommandBoxItem.xml
constexpr int kMaxPopupHeight = 360;

// The template objects of a row (CommandBoxItem.xml) and the adapter columns they show.
constexpr int kNameObject = 2, kPathObject = 3, kShortcutObject = 4;
constexpr int kIconColumn = 0, kNameColumn = 1, kPathColumn = 2, kShortcutColumn = 3;
constexpr XColor kNameColor = XRGB(241, 241, 241);
constexpr XColor kDimColor = XRGB(153, 153, 153);
constexpr XColor kDisabledColor = XRGB(101, 101, 101);

struct BoxState {
  HELE box = 0;
  HHOOK keys = nullptr;
  HotKey focusKey;
  bool active = false;  // the box has the keyboard
  std::vector<CommandEntry> entries;
  std::vector<PreparedText> names;
  std::vector<uint32_t> scores;
  std::vector<UsageEntry> usage;
  std::vector<size_t> shown;  // entries in list order
  CommandBoxCounters counters;
};

BoxState& box() {
  static BoxState s;
  return s;
}

bool boxAlive() { return XC_IsHXCGUI(box().box, XC_COMBOBOX); }

XString wide(std::string_view gbk) { return gbkToUtf16<XChar>(gbk); }

// --- the list ----------------------------------------------------------------------------------

// The commands as they are now: the menu's recent files, the run state, the usage record.
void takeList() {
  BoxState& s = box();
  s.entries = buildCommandList(shownRecentNames());
  applyRunState(s.entries, readRunState(true));
  s.usage = parseUsage(readSetting(kCommandBoxSection, kUsageKey));
  s.names.clear();
  s.scores.clear();
  for (const CommandEntry& e : s.entries) {
    s.names.push_back(prepareName(e.name));
    s.scores.push_back(usageScore(s.usage, e.usageKey));
  }
}

std::string queryText() { return utf16ToGbk(XComboBox_GetText(box().box)); }

HIMAGE iconOf(const CommandEntry& e) {
  if (e.icon.empty()) return 0;
  return e.source == CommandSource::kMenu ? loadThemeImage(kMenuIconFolder, e.icon) : loadToolIcon(e.icon);
}

XString pathOf(const CommandEntry& e) {
  XString text;
  for (const std::string& piece : e.path) {
    if (!text.empty()) text += kPathSeparator;
    text += wide(piece);
  }
  return text;
}

HELE popupList() {
  const HWINDOW popup = XComboBox_GetPopupWindow(box().box);
  if (popup == 0) return 0;
  HXCGUI list = XWnd_GetChildByIndex(popup, 0);
  return XC_IsHXCGUI(list, XC_LISTBOX) ? static_cast<HELE>(list) : 0;
}

// The drop-down: wider than the box, its right edge under the box's, as tall as its rows.
void placePopup(HWINDOW popup, HELE list) {
  XRect r{};
  XWnd_GetRect(popup, &r);
  const int width = std::max(kPopupWidth, XEle_GetWidth(box().box));
  const int rows = std::max<int>(1, static_cast<int>(box().shown.size()));
  const int height = std::min(kMaxPopupHeight, rows * kRowHeight);
  r.left = r.right - width;
  r.bottom = r.top + height;
  XWnd_SetRect(popup, &r);
  XEle_SetWidth(list, width);
  XEle_SetHeight(list, height);
  XWnd_AdjustLayout(popup);
}

// The rows for the text typed so far, the first one chosen.
void fillRows() {
  BoxState& s = box();
  s.shown = rankCommands(s.names, s.scores, prepareQuery(queryText()));
  XComboBox_DeleteItemAll(s.box);
  for (size_t i : s.shown) {
    const CommandEntry& e = s.entries[i];
    const int row = XComboBox_AddItemText(s.box, L"");
    if (HIMAGE icon = iconOf(e)) XComboBox_SetItemImage(s.box, row, kIconColumn, icon);
    XComboBox_SetItemText(s.box, row, kNameColumn, wide(e.name).c_str());
    XComboBox_SetItemText(s.box, row, kPathColumn, pathOf(e).c_str());
    XComboBox_SetItemText(s.box, row, kShortcutColumn, wide(e.shortcut).c_str());
  }
  ++s.counters.filters;
}

void chooseFirstRow() {
  if (HELE list = popupList(); list != 0 && !box().shown.empty()) {
    XListBox_SetSelectItem(list, 0);
    XListBox_VisibleItem(list, 0);
  }
}

// Filters and shows the list (opening the drop-down when it is closed).
void showRows() {
  BoxState& s = box();
  if (XComboBox_GetPopupWindow(s.box) == 0) {
    XComboBox_PopupDropList(s.box);  // event 72 fills and places it
  } else {
    fillRows();
    if (HELE list = popupList()) placePopup(XComboBox_GetPopupWindow(s.box), list);
  }
  chooseFirstRow();
}

// A row's texts: greyed when the run state does not allow its command.
void colourRow(HELE list, int row) {
  const BoxState& s = box();
  if (row < 0 || static_cast<size_t>(row) >= s.shown.size()) return;
  const bool enabled = s.entries[s.shown[static_cast<size_t>(row)]].enabled;
  const std::pair<int, XColor> objects[] = {{kNameObject, enabled ? kNameColor : kDisabledColor},
                                            {kPathObject, enabled ? kDimColor : kDisabledColor},
                                            {kShortcutObject, enabled ? kDimColor : kDisabledColor}};
  for (const auto& [id, colour] : objects) {
    HXCGUI text = XListBox_GetTemplateObject(list, row, id);
    if (XC_IsHXCGUI(text, XC_SHAPE_TEXT)) XShapeText_SetTextColor(text, colour, 255);
  }
}

// --- leaving and running -----------------------------------------------------------------------

// The keyboard goes back to the host's active code page.
void focusCodePage() {
  HWND mdiClient = hostWindows().mdiClient();
  if (mdiClient == nullptr) return;
  HWND active = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
  if (active != nullptr && IsWindow(active)) SetFocus(active);
}

void leaveBox(bool toCodePage) {
  BoxState& s = box();
  s.active = false;
  if (!boxAlive()) return;
  XComboBox_CloseDropList(s.box);
  XComboBox_SetText(s.box, L"");
  XComboBox_DeleteItemAll(s.box);
  s.shown.clear();
  if (toCodePage) focusCodePage();
}

void runRow(int row) {
  BoxState& s = box();
  if (row < 0 || static_cast<size_t>(row) >= s.shown.size()) return;
  const CommandEntry entry = s.entries[s.shown[static_cast<size_t>(row)]];
  if (!entry.enabled) {
    ++s.counters.refused;
    return;
  }
  // Out of the box first: the command may open a dialog or move the keyboard itself.
  leaveBox(true);
  s.usage = recordUse(s.usage, entry.usageKey);
  writeSetting(kCommandBoxSection, kUsageKey, formatUsage(s.usage));
  logToNotepad(kLogPrefix + pathText(entry, " > "));
  ++s.counters.runs;
  // Run after the key or click that chose it is done with (a command may open a dialog, or wait
  // for the host, with its own message loop).
  postUiJob([entry] {
    guarded(GuardSite::kUiJob, [&] {
      if (entry.source == CommandSource::kMenu) {
        // Exactly the menu bar's pick of that item (recent files found by their label, 退出 asking).
        if (HELE bar = menuBar()) onMenuSelect(bar, entry.menuId, nullptr);
      } else {
        runCommand(entry.command);
      }
    });
  });
}

// --- events ------------------------------------------------------------------------------------

int onKey(int key, int, bool* handled) {
  guarded(GuardSite::kToolkit, [&] {
    BoxState& s = box();
    const bool open = XComboBox_GetPopupWindow(s.box) != 0;
    switch (key) {
      case key_escape:
        *handled = true;
        leaveBox(true);
        break;
      case key_return:
        *handled = true;
        if (!open) {
          showRows();
          break;
        }
        if (HELE list = popupList()) runRow(std::max(0, XListBox_GetSelectItem(list)));
        break;
      case key_down:
      case key_up:
        // The open drop-down moves its own selection; a closed one opens.
        if (!open) {
          *handled = true;
          showRows();
        }
        break;
      default: break;
    }
  });
  return 0;
}

void takeKeyboard() {
  BoxState& s = box();
  if (s.active) return;
  s.active = true;
  takeList();
}

void registerBoxEvents(HELE combo) {
  XEle_RegEventC(combo, XE_SETFOCUS, [](bool*) {
    guarded(GuardSite::kToolkit, [] { takeKeyboard(); });
    return 0;
  });
  XEle_RegEventC(combo, XE_KILLFOCUS, [](bool*) {
    guarded(GuardSite::kToolkit, [] { leaveBox(false); });
    return 0;
  });
  XEle_RegEventC(combo, XE_EDIT_CHANGED, [](bool*) {
    guarded(GuardSite::kToolkit, [] {
      takeKeyboard();
      showRows();
    });
    return 0;
  });
  XEle_RegEventC(combo, XE_KEYDOWN, &onKey);
  // The drop-down opens (a click on the box, or showRows): fill it for the text, then size it.
  XEle_RegEventC(combo, XE_COMBOBOX_POPUP_LIST, [](HWINDOW popup, HELE list, bool*) {
    guarded(GuardSite::kToolkit, [&] {
      takeKeyboard();
      fillRows();
      XEle_RegEventC1(list, XE_LISTBOX_TEMP_CREATE_END, [](HELE self, XListBoxItemRecord* item, bool*) {
        if (item != nullptr) colourRow(self, item->index);
        return 0;
      });
      placePopup(popup, list);
      if (!box().shown.empty()) XListBox_SetSelectItem(list, 0);
    });
    return 0;
  });
  // A row clicked: its command runs; the box's text stays the query (handled: no default).
  XEle_RegEventC(combo, XE_COMBOBOX_SELECT, [](int index, bool* handled) {
    *handled = true;
    guarded(GuardSite::kToolkit, [&] { runRow(index); });
    return 0;
  });
}

// The frame keeps the keyboard while the box has it (its own focus handler would hand it to the
// code page), and the box lets it go when the frame loses it.
void registerFrameEvents(HWINDOW frame) {
  XWnd_RegEventC(frame, WM_SETFOCUS, [](WPARAM, LPARAM, bool* handled) {
    if (box().active && boxAlive()) *handled = true;
    return 0;
  });
  XWnd_RegEventC(frame, WM_KILLFOCUS, [](WPARAM, LPARAM, bool*) {
    guarded(GuardSite::kToolkit, [] {
      if (box().active) leaveBox(false);
    });
    return 0;
  });
}

// --- the focus key -----------------------------------------------------------------------------

bool keyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool isFocusKey(const MSG& m) {
  const HotKey& k = box().focusKey;
  return (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam == k.key &&
         keyDown(VK_CONTROL) == k.ctrl && keyDown(VK_SHIFT) == k.shift && keyDown(VK_MENU) == k.alt;
}

// The frame or a window inside it (the host main window and its code pages are).
bool insideFrame(HWND window) {
  HWND frame = shellFrameHwnd();
  return frame != nullptr && window != nullptr && (window == frame || IsChild(frame, window));
}

LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    LastErrorGuard lastError;
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (isFocusKey(*message) && insideFrame(message->hwnd)) {
      bool taken = false;
      guarded(GuardSite::kWindowProcedure, [&] { taken = focusCommandBox(); });
      if (taken) message->message = WM_NULL;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void buildCommandBox() {
  BoxState& s = box();
  s = BoxState{};
  HXCGUI found = frameElement(kBoxName);
  // A layout set without the box has none: nothing else to do.
  if (!XC_IsHXCGUI(found, XC_COMBOBOX)) return;
  s.box = static_cast<HELE>(found);
  std::string key = readSetting(kCommandBoxSection, kFocusKeyKey);
  if (key.empty()) writeSetting(kCommandBoxSection, kFocusKeyKey, key = kDefaultFocusKey);
  s.focusKey = focusKeyFromSetting(key);
  XComboBox_EnableEdit(s.box, true);
  XEle_SetToolTip(s.box, wide("搜索命令 (" + hotKeyText(s.focusKey) + ")").c_str());
  registerBoxEvents(s.box);
  registerFrameEvents(shellFrame());
  s.keys = SetWindowsHookExW(WH_GETMESSAGE, keyHook, nullptr, GetCurrentThreadId());
}

void tearDownCommandBox() {
  BoxState& s = box();
  if (s.keys != nullptr) UnhookWindowsHookEx(s.keys);
  s.keys = nullptr;
  if (boxAlive()) XComboBox_CloseDropList(s.box);
  s = BoxState{};
}

}  // namespace

bool focusCommandBox() {
  BoxState& s = box();
  HWND frame = shellFrameHwnd();
  if (!boxAlive() || frame == nullptr || !XEle_IsShow(s.box) || !XEle_IsEnable(s.box)) return false;
  takeKeyboard();
  XEle_SetFocus(s.box);
  SetFocus(frame);
  ++s.counters.focused;
  showRows();
  return true;
}

HELE commandBox() { return boxAlive() ? box().box : 0; }

bool commandBoxActive() { return box().active && boxAlive(); }

std::vector<std::string> commandBoxRows() {
  std::vector<std::string> rows;
  const BoxState& s = box();
  for (size_t i : s.shown) rows.push_back(pathText(s.entries[i], " > "));
  return rows;
}

std::vector<bool> commandBoxRowsEnabled() {
  std::vector<bool> rows;
  const BoxState& s = box();
  for (size_t i : s.shown) rows.push_back(s.entries[i].enabled);
  return rows;
}

CommandBoxCounters commandBoxCounters() { return box().counters; }

bool commandBoxKeyHookInstalled() { return box().keys != nullptr; }

const Part kCommandBoxPart{
    .name = "command box",
    .build = &buildCommandBox,
    .tearDown = &tearDownCommandBox,
    .progress = "开始创建命令框...",
};

}  // namespace tovalux
