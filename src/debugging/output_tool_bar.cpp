#include "debugging/output_tool_bar.h"

#include "debugging/debug_output.h"
#include "shell/toolbar_builder.h"

namespace tovalux {
namespace {

HELE gBuildOutput = 0;

bool buildOutputAlive() { return XC_IsHXCGUI(gBuildOutput, XC_EDIT); }

}  // namespace

void fillOutputToolBar(HELE toolBar, HELE buildOutput) {
  ToolBarBuilder bar;
  if (!bar.attach(toolBar)) return;
  gBuildOutput = buildOutput;
  // The icons are named in the theme's resource package; each serves both looks.
  const auto icon = [](const wchar_t* name) { return XRes_GetImage(name); };
  const HIMAGE clear = icon(L"ClearWindowContent_16x.png");
  bar.addButton("全部清除", clear, clear, true, [](HELE) { clearBuildOutputPane(); });
  const HIMAGE wrapIcon = icon(L"WordWrap_16x.png");
  const HELE wrap = bar.addButton("切换自动换行", wrapIcon, wrapIcon, true);
  XBtn_SetType(wrap, button_type_checkbox);
  XBtn_SetCheck(wrap, true);
  XEle_RegEventC(wrap, XE_BUTTON_CHECK, [](bool checked, bool*) {
    if (!buildOutputAlive()) return 0;
    XEdit_EnableAutoWrap(gBuildOutput, checked);
    XEle_AdjustLayout(gBuildOutput);
    XEle_RedrawEle(gBuildOutput, false);
    return 0;
  });
  const HIMAGE all = icon(L"SelectAll_16x.png");
  bar.addButton("全部选择", all, all, true, [](HELE) {
    if (!buildOutputAlive()) return;
    XEdit_SelectAll(gBuildOutput);
    XEle_RedrawEle(gBuildOutput, false);
  });
}

}  // namespace tovalux
