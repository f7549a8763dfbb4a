// ToolBarBuilder on a real tool bar: what each button and separator is made of, the positions
// they take, clicks reaching the handler once, and a builder that refuses anything but a tool bar.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

#include "shell/toolbar_builder.h"
#include "common/win32_support.h"
#include "shell/descriptors.h"
#include "toolkit/model/controls/button.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::testing {
namespace {

class ToolBarBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    window_ = XWnd_CreateEx(0, L"TovaluxTest", L"tool bar", WS_POPUP, 0, 0, 400, 40, nullptr, 0);
    bar_ = XToolBar_Create(0, 0, 400, 26, window_);
    folder_ = winePath(TOVALUX_HOST_DIR) + "\\lib\\Tovalux\\Dark\\Images\\wintools\\";
  }
  void TearDown() override { XExitXCGUI(); }

  HIMAGE image(const std::string& path) { return XImage_LoadFile(XC_AnsiToUnicode(path.c_str()).c_str(), false); }

  HWINDOW window_ = 0;
  HELE bar_ = 0;
  std::string folder_;
};

TEST_F(ToolBarBuilderTest, ButtonsAndSeparatorsInOrder) {
  ToolBarBuilder builder;
  ASSERT_TRUE(builder.attach(bar_));
  HIMAGE icon = image(folder_ + "Run_16x.png");
  HIMAGE grey = image(folder_ + "displayIcon\\Run_16x.png");
  ASSERT_NE(icon, 0u);
  ASSERT_NE(grey, 0u);

  HELE run = builder.addButton("运行(F5)", icon, grey, true);
  HELE separator = builder.addSeparator();
  HELE plain = builder.addButton("无图", 0, grey, false);
  ASSERT_TRUE(XC_IsHXCGUI(run, XC_BUTTON));
  EXPECT_EQ(builder.count(), 3);
  EXPECT_EQ(toolBarElement(bar_, 0), run);
  EXPECT_EQ(toolBarElement(bar_, 1), separator);
  EXPECT_EQ(toolBarElement(bar_, 2), plain);
  EXPECT_EQ(toolBarElement(bar_, 3), 0u);

  EXPECT_EQ(XEle_GetWidth(run), 20);
  EXPECT_EQ(XEle_GetHeight(run), 20);
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(run).c_str()), "运行(F5)");
  EXPECT_TRUE(XBtn_GetText(run).empty());
  auto* button = tk::context().registry.get<tk::Button>(run);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->icon, icon);
  EXPECT_EQ(button->iconDisable, grey);
  EXPECT_EQ(tk::context().registry.get<tk::Button>(plain)->iconDisable, 0u) << "the flag was not set";
  EXPECT_EQ(tk::context().registry.get<tk::Button>(plain)->icon, 0u);

  // The theme's descriptors, unchanged.
  auto descriptorOf = [](HXCGUI e) {
    auto* bkm = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(e));
    return bkm != nullptr ? XC_wtoa(reinterpret_cast<const XChar*>(bkm->text().c_str())) : std::string();
  };
  EXPECT_EQ(descriptorOf(run), descriptor::kToolBarButton);
  EXPECT_EQ(descriptorOf(separator), descriptor::kToolBarSeparator);
  EXPECT_EQ(XEle_GetWidth(separator), 2);
  EXPECT_EQ(XEle_GetHeight(separator), 21);
  EXPECT_TRUE(XC_IsHXCGUI(separator, XC_ELE));
  EXPECT_FALSE(XC_IsHXCGUI(separator, XC_BUTTON));
}

TEST_F(ToolBarBuilderTest, ClicksReachTheHandlerOnceAndAttachRefusesOtherElements) {
  ToolBarBuilder builder(bar_);
  int clicks = 0;
  HELE seen = 0;
  HELE button = builder.addButton("x", 0, 0, false, [&](HELE self) {
    ++clicks;
    seen = self;
  });
  XEle_SendEvent(button, XE_BNCLICK);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(seen, button);
  // A handler that throws is stopped at the barrier.
  HELE throwing = builder.addButton("y", 0, 0, false, [](HELE) { throw std::runtime_error("boom"); });
  XEle_SendEvent(throwing, XE_BNCLICK);

  HELE combo = XComboBox_Create(0, 0, 160, 22, bar_);
  EXPECT_EQ(builder.addElement(combo), combo);
  EXPECT_EQ(toolBarElement(bar_, 2), combo);
  EXPECT_EQ(builder.addElement(12345), 0u);

  ToolBarBuilder other;
  EXPECT_FALSE(other.attach(button));
  EXPECT_FALSE(other.attach(0));
  EXPECT_FALSE(other.attached());
  EXPECT_EQ(other.addButton("z", 0), 0u);
  EXPECT_EQ(other.addSeparator(), 0u);
  EXPECT_EQ(other.count(), 0);
  EXPECT_EQ(XToolBar_GetEleCount(bar_), 3) << "a refused builder added nothing";
}

TEST_F(ToolBarBuilderTest, ThemeImagePaths) {
  EXPECT_EQ(themeImagePath("winMenu", "Logo3.png"), "lib\\Tovalux\\Dark\\Images\\winMenu\\Logo3.png");
  EXPECT_EQ(themeImagePath("wintools\\displayIcon", "a.png"),
            "lib\\Tovalux\\Dark\\Images\\wintools\\displayIcon\\a.png");
  EXPECT_EQ(loadThemeImage("wintools", ""), 0u);
  EXPECT_EQ(loadToolIcon("NoSuchIcon.png"), 0u);
}

}  // namespace
}  // namespace tovalux::testing
