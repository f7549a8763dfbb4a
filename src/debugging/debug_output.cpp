#include "debugging/debug_output.h"

#include <windows.h>

#include <array>

#include "base/gbk.h"
#include "debugging/log_bounds.h"
#include "debugging/log_pane.h"
#include "debugging/output_tool_bar.h"
#include "debugging/run_log_rules.h"
#include "settings/settings.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

struct OutputPanes {
  HELE buildOutput = 0;
  HELE log = 0;
  HELE helpTip = 0;
  HELE toolBar = 0;
  // The edit's style index of each marker, in the order of debuglog::OutputStyle (0: default).
  std::array<int, 4> styles{};
};
OutputPanes gPanes;

// What the two log panes hold, kept within a size: past 1 MiB the oldest texts go until 768 KiB
// remain, and the pane is filled again from what stays (styles included).
constexpr size_t kPaneMaxBytes = 1u << 20;
constexpr size_t kPaneKeepBytes = 768u << 10;
debuglog::BoundedText gBuildOutputText(kPaneMaxBytes, kPaneKeepBytes);
debuglog::BoundedText gLogText(kPaneMaxBytes, kPaneKeepBytes);

bool isEdit(HELE edit) { return XC_IsHXCGUI(edit, XC_EDIT); }

HELE namedElement(const char* name) {
  const HXCGUI element = XC_GetObjectByName(gbkToUtf16<XChar>(name).c_str());
  return XC_IsHELE(element) ? element : 0;
}

// Loads a pane's layout and makes it the pane's view; the view, or 0 when the layout is missing.
void styleEdit(HELE edit, bool wrap) {
  if (!isEdit(edit)) return;
  XEdit_EnableAutoWrap(edit, wrap);
  XEdit_EnableReadOnly(edit, true);
  applyScrollViewLook(edit);
}

// One style per marker: the theme's font name and size, regular, the marker's colour.
void addMarkerStyles(HELE edit) {
  const XString face = gbkToUtf16<XChar>(fontNameSetting());
  const int size = fontSizeSetting();
  for (debuglog::OutputStyle style :
       {debuglog::OutputStyle::kSuccess, debuglog::OutputStyle::kWarning, debuglog::OutputStyle::kDebug}) {
    const debuglog::StyleColour c = debuglog::styleColour(style);
    gPanes.styles[static_cast<size_t>(style)] =
        XEdit_AddStyleEx(edit, face.c_str(), size, font_style_regular, XRGB(c.red, c.green, c.blue), true);
  }
}

void scrollToEnd(HELE edit) {
  XEdit_AutoScroll(edit);
  XEle_RedrawEle(edit, false);
}

// The host's output box: EM_REPLACESEL appends a text at the caret (the end), EM_SETSEL(-1, 0)
// is how the host empties it before a build. A text the router could not copy shows nothing.
void onHostOutput(const HostMessage& message) {
  if (message.message == EM_REPLACESEL) {
    if (message.hasText) writeBuildOutput(message.text);
  } else if (message.message == EM_SETSEL) {
    clearBuildOutputPane();
  }
}

// The host's tips box scrolled to its caret: its whole text is the tip of the moment.
void onHostTip(const HostMessage& message) {
  if (message.hasText) showHelpTip(message.text);
}

// Both handlers do nothing while their pane's edit does not exist.
constexpr MirrorBinding kOutputMirrors[] = {{HostMirror::kTipsText, &onHostTip},
                                            {HostMirror::kOutputText, &onHostOutput}};

}  // namespace

const Part kDebugOutputPart{
    .name = "debug output", .build = &buildOutputPanes, .mirrors = kOutputMirrors, .progress = "开始重新绘制..."};

void buildOutputPanes() {
  gPanes = {};
  gBuildOutputText.clear();
  gLogText.clear();
  if (loadPaneView(kPaneHelpTips, "OutHelpTipView.xml")) {
    gPanes.helpTip = namedElement("outTipHelpEdit");
    styleEdit(gPanes.helpTip, true);
    if (isEdit(gPanes.helpTip)) XEdit_EnableMultiLine(gPanes.helpTip, true);
  }
  if (!loadPaneView(kPaneDebugOutput, "OutDbugTipView.xml")) return;
  const HELE left = namedElement("outDbugTipEle");
  const HELE right = namedElement("outDbugHelpEle");
  for (HELE side : {left, right})
    if (side) XEle_SetMinSize(side, 80, 100);
  if (right) {
    // The log's left border is a 5-pixel handle that shares the width with the build output.
    XEle_SetBorderSize(right, 5, 0, 0, 0);
    XEle_SetDragBorder(right, edge_left);
    if (left) XEle_SetDragBorderBindEle(right, edge_left, left, 0);
  }
  gPanes.buildOutput = namedElement("outDbugTipEdit");
  gPanes.log = namedElement("outDbugHelpEdit");
  styleEdit(gPanes.buildOutput, true);
  styleEdit(gPanes.log, true);
  if (isEdit(gPanes.buildOutput)) addMarkerStyles(gPanes.buildOutput);
  gPanes.toolBar = namedElement("outDbugToolBar");
  fillOutputToolBar(gPanes.toolBar, gPanes.buildOutput);
}

void writeBuildOutput(std::string_view text) {
  const HELE edit = gPanes.buildOutput;
  if (!isEdit(edit)) return;
  const debuglog::OutputLine line = debuglog::classifyOutput(text);
  const int style = gPanes.styles[static_cast<size_t>(line.style)];
  debuglog::appendBounded(edit, gBuildOutputText, line.text, line.style != debuglog::OutputStyle::kDefault ? style : 0);
  scrollToEnd(edit);
}

void clearBuildOutputPane() {
  gBuildOutputText.clear();
  if (!isEdit(gPanes.buildOutput)) return;
  XEdit_SetText(gPanes.buildOutput, XString().c_str());
  XEle_RedrawEle(gPanes.buildOutput, false);
}

void appendDebugLine(std::string_view text) {
  if (!isEdit(gPanes.log)) return;
  debuglog::appendBounded(gPanes.log, gLogText, text, 0);
  scrollToEnd(gPanes.log);
}

void clearDebugLog() {
  gLogText.clear();
  if (!isEdit(gPanes.log)) return;
  XEdit_SetText(gPanes.log, XString().c_str());
  XEle_RedrawEle(gPanes.log, false);
}

void showHelpTip(std::string_view text) {
  if (!isEdit(gPanes.helpTip)) return;
  XEdit_SetText(gPanes.helpTip, gbkToUtf16<XChar>(text).c_str());
  XEle_RedrawEle(gPanes.helpTip, false);
}

HELE buildOutputEdit() { return isEdit(gPanes.buildOutput) ? gPanes.buildOutput : 0; }
HELE debugLogEdit() { return isEdit(gPanes.log) ? gPanes.log : 0; }
HELE helpTipEdit() { return isEdit(gPanes.helpTip) ? gPanes.helpTip : 0; }
HELE outputToolBar() { return XC_IsHXCGUI(gPanes.toolBar, XC_TOOLBAR) ? gPanes.toolBar : 0; }

std::string editText(HELE edit) {
  if (!isEdit(edit)) return {};
  return utf16ToGbk(XEdit_GetText(edit));
}

}  // namespace tovalux
