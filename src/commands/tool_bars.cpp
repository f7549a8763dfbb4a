// The main and designer tool bars: built from the table, clicks dispatched by the button's
// name, enabled states following the run state (redrawn only when one changed).
#include <windows.h>

#include <vector>

#include "base/diagnostics.h"
#include "base/gbk.h"
#include "base/guard.h"
#include "base/last_error.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/linker_selector.h"
#include "shell/toolbar_builder.h"
#include "commands/toolbar_table.h"
#include "host/host_protocol.h"
#include "host/ui_jobs.h"
#include "shell/descriptors.h"
#include "shell/run_state.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

using namespace commands;

constexpr char kMainToolBar[] = "winToolBar0";
constexpr char kDesignerToolBarName[] = "winToolBar1";
constexpr XColor kNoColor = 0xFFFFFFFF;

struct ToolBarsState {
  HELE main = 0;
  HELE designer = 0;
  HELE slot13 = 0;
  // What the main tool bar holds, position by position, and the text colour last set on each:
  // taken again when the bar or its element count changes (the sync runs at every status-line
  // message, so it does not walk the bar each time).
  HELE layoutBar = 0;
  std::vector<HELE> elements;
  std::vector<ToolElementKind> kinds;
  std::vector<XColor> textColors;  // kNoColor: none set yet
  int redraws = 0;
};

ToolBarsState& bars() {
  static ToolBarsState s;
  return s;
}

int onToolButtonClick(HELE button, bool*);

void addGroup(ToolBarBuilder& builder, std::span<const ToolButton> group) {
  for (const ToolButton& entry : group) {
    if (entry.tooltip == kToolSeparator) {
      builder.addSeparator();
      continue;
    }
    HELE button = builder.addButton(entry.tooltip, loadToolIcon(entry.icon), loadToolIconDisabled(entry.icon), true);
    if (button != 0) XEle_RegEventC1(button, XE_BNCLICK, &onToolButtonClick);
  }
}

// Keeps position 13 until the linker selector takes it: a combo box, so the state rules treat
// the position as they treat the selector.
HELE makePlaceholder(HELE toolBar) {
  HELE combo = XComboBox_Create(0, 0, 160, 22, toolBar);
  if (combo == 0) return 0;
  XComboBox_EnableEdit(combo, false);
  XEle_SetPadding(combo, 2, 0, 2, 0);
  setDescriptor(combo, descriptor::kComboBoxAway);
  return combo;
}

void applyElementState(HXCGUI element, const ToolElementState& state, XColor& lastColor, bool& changed) {
  if (!state.touched) return;
  if (XEle_IsEnable(element) != state.enabled) {
    XEle_Enable(element, state.enabled);
    changed = true;
  }
  if (state.hasTextColor && lastColor != state.textColor) {
    lastColor = state.textColor;
    XEle_SetTextColor(element, state.textColor, 255);
    changed = true;
  }
}

// The main bar's positions as they are now (after a build, a replacement, an insert).
void refreshLayout(HELE bar) {
  ToolBarsState& s = bars();
  const int count = XToolBar_GetEleCount(bar);
  if (bar == s.layoutBar && static_cast<size_t>(count) == s.elements.size()) return;
  s.layoutBar = bar;
  s.elements.assign(static_cast<size_t>(count), 0);
  s.kinds.assign(static_cast<size_t>(count), ToolElementKind::kOther);
  s.textColors.assign(static_cast<size_t>(count), kNoColor);
  for (int i = 0; i < count; ++i) {
    s.elements[i] = XToolBar_GetEle(bar, i);
    if (XC_IsHXCGUI(s.elements[i], XC_BUTTON)) s.kinds[i] = ToolElementKind::kButton;
    if (XC_IsHXCGUI(s.elements[i], XC_COMBOBOX)) s.kinds[i] = ToolElementKind::kComboBox;
  }
}

int onToolButtonClick(HELE button, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    const std::string tooltip = utf16ToGbk(XEle_GetToolTip(button));
    const std::string_view name = toolButtonName(tooltip);
    logToNotepad(name);
    runCommand(toolCommandFor(name));
  });
  return 0;
}

}  // namespace

void buildToolBars() {
  guarded(GuardSite::kToolkit, [] {
    ToolBarsState& s = bars();
    // Built once per frame: bars that are still alive keep their buttons.
    if (!XC_IsHXCGUI(s.main, XC_TOOLBAR)) s.main = 0, s.slot13 = 0, s.layoutBar = 0;
    if (!XC_IsHXCGUI(s.designer, XC_TOOLBAR)) s.designer = 0;
    ToolBarBuilder main;
    if (s.main == 0 && main.attach(frameElement(kMainToolBar))) {
      s.main = main.toolBar();
      addGroup(main, mainToolBarFirstGroup());
      HELE selector = createLinkerSelector(s.main);
      if (!XC_IsHELE(selector)) selector = makePlaceholder(s.main);
      s.slot13 = main.addElement(selector);
      addGroup(main, mainToolBarSecondGroup());
    }
    ToolBarBuilder designer;
    if (s.designer == 0 && designer.attach(frameElement(kDesignerToolBarName))) {
      s.designer = designer.toolBar();
      addGroup(designer, designerToolBar());
    }
  });
  // The bars start in the state the host is in (no page is active yet).
  syncToolBarState();
  syncDesignerToolBar(false);
}

void syncToolBarState() {
  // Called from the host main window's subclass: the host's last error stays as it was.
  LastErrorGuard lastError;
  guarded(GuardSite::kToolkit, [] {
    HXCGUI bar = frameElement(kMainToolBar);
    if (!XC_IsHXCGUI(bar, XC_TOOLBAR)) return;
    ToolBarsState& s = bars();
    refreshLayout(static_cast<HELE>(bar));
    const std::vector<ToolElementState> states = mainToolBarStates(s.kinds, readRunState(false));
    bool changed = false;
    for (size_t i = 0; i < states.size(); ++i) applyElementState(s.elements[i], states[i], s.textColors[i], changed);
    if (changed) {
      XEle_RedrawEle(bar, false);
      ++bars().redraws;
    }
  });
}

void requestToolBarSync() {
  LastErrorGuard lastError;  // the debugger thread's hooks call it
  postUiJob([] { syncToolBarState(); }, kToolBarRefresh);
}

void syncDesignerToolBar(bool windowPage) {
  LastErrorGuard lastError;
  guarded(GuardSite::kToolkit, [&] {
    HXCGUI bar = frameElement(kDesignerToolBarName);
    if (!XC_IsHXCGUI(bar, XC_TOOLBAR)) return;
    const bool enabled = designerButtonsEnabled(windowPage, debugging());
    bool changed = false;
    for (int i = 0; i < XToolBar_GetEleCount(static_cast<HELE>(bar)); ++i) {
      HELE element = XToolBar_GetEle(static_cast<HELE>(bar), i);
      if (!XC_IsHXCGUI(element, XC_BUTTON) || XEle_IsEnable(element) == enabled) continue;
      XEle_Enable(element, enabled);
      changed = true;
    }
    if (changed) {
      XEle_RedrawEle(bar, false);
      ++bars().redraws;
    }
  });
}

int toolBarRedrawCount() { return bars().redraws; }

HELE toolBarSlot13() {
  HELE element = toolBarElement(bars().main, kLinkerPosition);
  return XC_IsHELE(element) ? element : 0;
}

bool replaceToolBarPosition13(HELE element) {
  ToolBarsState& s = bars();
  if (!XC_IsHXCGUI(s.main, XC_TOOLBAR) || !XC_IsHELE(element)) return false;
  HELE previous = toolBarElement(s.main, kLinkerPosition);
  if (previous == element) return true;
  if (XToolBar_InsertEle(s.main, element, kLinkerPosition) != kLinkerPosition) return false;
  if (XC_IsHELE(previous)) XEle_Destroy(previous);
  s.slot13 = element;
  s.layoutBar = 0;  // the positions are taken again
  syncToolBarState();
  XEle_AdjustLayout(s.main);
  XEle_RedrawEle(s.main, false);
  return true;
}

}  // namespace tovalux
