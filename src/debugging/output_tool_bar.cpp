#include "debugging/output_tool_bar.h"

#include "debugging/debug_output.h"
#include "shell/descriptors.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

HELE gBuildOutput = 0;

// A 20 x 20 icon button with its tooltip as its only label, in the tool-bar button look.
HELE addButton(HELE bar, const wchar_t* tooltip, const wchar_t* icon) {
  const HELE button = XBtn_Create(0, 0, 20, 20, L"", bar);
  if (!XC_IsHELE(button)) return 0;
  const HIMAGE image = XRes_GetImage(icon);
  XBtn_SetIcon(button, image);
  XBtn_SetIconDisable(button, image);
  XEle_SetToolTip(button, tooltip);
  setBackground(button, descriptor::kToolBarButton);
  XToolBar_InsertEle(bar, button, -1);
  return button;
}

}  // namespace

void fillOutputToolBar(HELE toolBar, HELE buildOutput) {
  if (!XC_IsHXCGUI(toolBar, XC_TOOLBAR)) return;
  gBuildOutput = buildOutput;
  const HELE clear = addButton(toolBar, L"全部清除", L"ClearWindowContent_16x.png");
  XEle_RegEventC(clear, XE_BNCLICK, [](bool*) {
    clearBuildOutput();
    return 0;
  });
  const HELE wrap = addButton(toolBar, L"切换自动换行", L"WordWrap_16x.png");
  XBtn_SetType(wrap, button_type_checkbox);
  XBtn_SetCheck(wrap, true);
  XEle_RegEventC(wrap, XE_BUTTON_CHECK, [](bool checked, bool*) {
    if (!XC_IsHXCGUI(gBuildOutput, XC_EDIT)) return 0;
    XEdit_EnableAutoWrap(gBuildOutput, checked);
    XEle_AdjustLayout(gBuildOutput);
    XEle_RedrawEle(gBuildOutput, false);
    return 0;
  });
  const HELE all = addButton(toolBar, L"全部选择", L"SelectAll_16x.png");
  XEle_RegEventC(all, XE_BNCLICK, [](bool*) {
    if (!XC_IsHXCGUI(gBuildOutput, XC_EDIT)) return 0;
    XEdit_SelectAll(gBuildOutput);
    XEle_RedrawEle(gBuildOutput, false);
    return 0;
  });
}

}  // namespace tovalux
