// The shell's pure rules: the pane table, the frame size from the settings, the project path in
// the host's caption and the system checks.
#include <gtest/gtest.h>

#include <set>

#include "shell/shell_rules.h"

namespace tovalux::shell_rules {
namespace {

TEST(PaneTable, TwelvePanesWithConsecutiveIdsInTwoGroupsAndOneSinglePane) {
  std::set<std::string> titles;
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(kPanes[i].elementId, kFirstPaneId + i);
    titles.insert(kPanes[i].title);
    if (kPanes[i].dock == PaneDock::kMerged) {
      // Merged into the first pane of its group, which comes before it.
      ASSERT_GE(kPanes[i].mergeInto, 0);
      EXPECT_LT(kPanes[i].mergeInto, i);
      EXPECT_NE(kPanes[kPanes[i].mergeInto].dock, PaneDock::kMerged);
    }
  }
  EXPECT_EQ(titles.size(), 12u);
  EXPECT_EQ(kPanes[0].dock, PaneDock::kLeftGroup);
  EXPECT_EQ(kPanes[4].dock, PaneDock::kRightAlone);
  EXPECT_EQ(kPanes[5].dock, PaneDock::kBottomGroup);
  for (int i : {1, 2, 3}) EXPECT_EQ(kPanes[i].mergeInto, 0);
  for (int i = 6; i < 12; ++i) EXPECT_EQ(kPanes[i].mergeInto, 5);
  // Only the toolbox starts hidden; sizes by group.
  for (int i = 0; i < kPaneCount; ++i) EXPECT_EQ(kPanes[i].initiallyShown, i != 4) << i;
  EXPECT_EQ(kPanes[0].width * 1000 + kPanes[0].height, 320260);
  EXPECT_EQ(kPanes[4].width * 1000 + kPanes[4].height, 260260);
  EXPECT_EQ(kPanes[11].width * 1000 + kPanes[11].height, 260320);
  EXPECT_STREQ(kPanes[11].title, kDisassemblyPaneTitle);
  EXPECT_STREQ(kPanes[kPropertiesPane].title, "组件属性");
  // The style order names every pane once.
  EXPECT_EQ(std::set<int>(kPaneStyleOrder.begin(), kPaneStyleOrder.end()).size(), 12u);
}

TEST(FrameSize, MissingOrInvalidSizesOpenAtTheDefaultAndHugeOnesAreCutToTheScreen) {
  const Size screen{1600, 1000};
  EXPECT_EQ(frameSizeFromSettings(0, 0, screen), (Size{1100, 800}));
  EXPECT_EQ(frameSizeFromSettings(1300, 0, screen), (Size{1100, 800}));
  EXPECT_EQ(frameSizeFromSettings(0, 900, screen), (Size{1100, 800}));
  EXPECT_EQ(frameSizeFromSettings(-5, 700, screen), (Size{1100, 800}));
  EXPECT_EQ(frameSizeFromSettings(1300, 900, screen), (Size{1300, 900}));
  EXPECT_EQ(frameSizeFromSettings(2000000000, 50000, screen), (Size{1600, 1000}));
  // An unknown screen cuts nothing; a screen below the minimum cuts to the minimum only.
  EXPECT_EQ(frameSizeFromSettings(5000, 4000, {0, 0}), (Size{5000, 4000}));
  EXPECT_EQ(frameSizeFromSettings(5000, 4000, {400, 300}), (Size{600, 600}));
  EXPECT_EQ(frameSizeFromSettings(0, 0, {800, 600}), (Size{800, 600}));
}

TEST(FrameLayout, MarginsAndTipWindowPlace) {
  EXPECT_EQ(frameTopMargin(true), 117);
  EXPECT_EQ(frameTopMargin(false), 97);
  EXPECT_EQ(tipWindowPlacement(1100, 800), (Placement{682, 654, 400, 106}));
}

class ProjectPath : public ::testing::Test {
 protected:
  std::set<std::string> files_ = {"C:\\EProjects\\demo.e", "C:\\测试\\项目.e", "C:\\a b\\c,d.e"};
  std::string path(std::string_view caption) {
    return projectPathFromCaption(caption, [this](const std::string& p) { return files_.count(p) > 0; });
  }
};

TEST_F(ProjectPath, SecondPieceOrElseThirdWhenItNamesAFile) {
  EXPECT_EQ(path("易语言 - C:\\EProjects\\demo.e"), "C:\\EProjects\\demo.e");
  EXPECT_EQ(path("易语言 - C:\\EProjects\\demo.e - [正在运行]"), "C:\\EProjects\\demo.e");
  EXPECT_EQ(path("易语言 - C:\\EProjects\\demo.e - [运行暂停]"), "C:\\EProjects\\demo.e");
  EXPECT_EQ(path("易语言 - 测试 - C:\\测试\\项目.e"), "C:\\测试\\项目.e");
  EXPECT_EQ(path("易语言 -   C:\\a b\\c,d.e   "), "C:\\a b\\c,d.e");
}

TEST_F(ProjectPath, NothingWhenNoPieceNamesAFile) {
  EXPECT_EQ(path("易语言"), "");
  EXPECT_EQ(path(""), "");
  EXPECT_EQ(path("易语言 - C:\\EProjects\\missing.e"), "");
  EXPECT_EQ(path("易语言 - a - b - C:\\EProjects\\demo.e"), "");  // only the second and third pieces
  EXPECT_EQ(path("易语言 -  - "), "");
  // A path with "-" in it is split apart and so never found.
  files_.insert("C:\\my-project.e");
  EXPECT_EQ(path("易语言 - C:\\my-project.e"), "");
}

TEST(SystemChecks, Windows10CaptionAndElevationVersionGate) {
  EXPECT_TRUE(captionNamesWindows10("Microsoft Windows 10 Pro"));
  EXPECT_FALSE(captionNamesWindows10("Microsoft Windows 7 Professional"));
  EXPECT_FALSE(captionNamesWindows10(""));
  // GetVersion: low byte major, next byte minor.
  EXPECT_FALSE(versionHasElevation(0x0105));  // 5.1
  EXPECT_FALSE(versionHasElevation(0xFF05));  // 5.255 = 1535
  EXPECT_TRUE(versionHasElevation(0x0006));   // 6.0
  EXPECT_TRUE(versionHasElevation(0x0106));   // 6.1
  EXPECT_TRUE(versionHasElevation(0x1DB1000A));
}

}  // namespace
}  // namespace tovalux::shell_rules
