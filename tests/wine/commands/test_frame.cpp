#include "test_frame.h"

#include "common/win32_support.h"
#include "shell/shell.h"
#include "toolkit/win32/gallery/gallery.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace testing {
namespace {

TestFrame* gFrame = nullptr;
FrameBuilders gBuilders;

const wchar_t* const kPaneTitles[12] = {L"易支持库", L"项目结构",  L"组件属性",  L"常用模块",
                                        L"系统组件", L"帮助提示",  L"调试输出",  L"断点栈堆",
                                        L"变量监视", L"搜寻结果1", L"搜寻结果2", L"反汇编显示"};

std::wstring themeFolder() {
  const std::string path = winePath(TOVALUX_HOST_DIR) + "\\lib\\Tovalux\\Dark";
  return std::wstring(path.begin(), path.end());
}

}  // namespace

TestFrame& createTestFrame() {
  destroyTestFrame();
  gFrame = new TestFrame;
  gallery::Gallery g = gallery::buildFrameLayouts(themeFolder());
  gFrame->frame = g.frame;
  for (int i = 0; i < 12; ++i) gFrame->panes[i] = XPane_Create(kPaneTitles[i], 200, 150, g.frame);
  HELE* p = gFrame->panes;
  XFrameWnd_AddPane(g.frame, 0, p[0], pane_align_left);
  for (int i : {1, 2, 3}) XFrameWnd_MergePane(g.frame, p[0], p[i]);
  XFrameWnd_AddPane(g.frame, 0, p[4], pane_align_right);
  XFrameWnd_AddPane(g.frame, 0, p[5], pane_align_bottom);
  for (int i : {6, 7, 8, 9, 10, 11}) XFrameWnd_MergePane(g.frame, p[5], p[i]);
  XWnd_RegEventC(g.frame, WM_CLOSE, [](bool* handled) {
    if (gFrame != nullptr) ++gFrame->closeRequests;
    *handled = true;  // the shell asks the user; the test frame stays
    return 0;
  });
  XWnd_AdjustLayout(g.frame);
  XWnd_ShowWindow(g.frame, SW_SHOW);
  SetForegroundWindow(XWnd_GetHWND(g.frame));
  UpdateWindow(XWnd_GetHWND(g.frame));
  return *gFrame;
}

void destroyTestFrame() {
  if (gFrame == nullptr) return;
  if (XC_IsHWINDOW(gFrame->frame)) XWnd_CloseWindow(gFrame->frame);
  delete gFrame;
  gFrame = nullptr;
}

TestFrame& testFrame() { return *gFrame; }

}  // namespace testing

// --- the shell's functions, answered from the test frame -------------------------------------

HWINDOW shellFrame() { return testing::gFrame != nullptr ? testing::gFrame->frame : 0; }
HWND shellFrameHwnd() { return XC_IsHWINDOW(shellFrame()) ? XWnd_GetHWND(shellFrame()) : nullptr; }

HXCGUI frameElement(std::string_view name) {
  if (!XC_IsHWINDOW(shellFrame())) return 0;
  return XC_GetObjectByName(XC_AnsiToUnicode(std::string(name).c_str()).c_str());
}

HELE pane(int index) {
  if (testing::gFrame == nullptr || index < 0 || index >= kPaneCount) return 0;
  return testing::gFrame->panes[index];
}

void activatePaneByTitle(std::string_view title) {
  if (testing::gFrame != nullptr) testing::gFrame->activatedPanes.emplace_back(title);
}

void styleTabBars() {
  if (testing::gFrame != nullptr) ++testing::gFrame->tabBarStylings;
}

void setBackground(HXCGUI element, std::string_view descriptor) {
  XBkM_SetBkInfo(XEle_GetBkManager(element), XC_AnsiToUnicode(std::string(descriptor).c_str()).c_str());
}

void setTextColor(HXCGUI element, int red, int green, int blue) {
  XEle_SetTextColor(element, static_cast<XColor>(red | green << 8 | blue << 16), 255);
}

void setFrameBuilders(const FrameBuilders& builders) { testing::gBuilders = builders; }
const FrameBuilders& frameBuilders() { return testing::gBuilders; }

}  // namespace tovalux
