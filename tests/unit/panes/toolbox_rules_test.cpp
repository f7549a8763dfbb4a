// The toolbox's rules: group descriptions, icons by name in any letter case, and which host
// item a pick may name after the host refilled its tree.
#include <gtest/gtest.h>

#include "panes/toolbox_rules.h"

namespace tovalux::toolbox {
namespace {

TEST(ToolboxGroups, DescriptionsFollowTheFirstFourCharacters) {
  EXPECT_EQ(groupDescription("基本组件"), "核心支持库内的组件");
  EXPECT_EQ(groupDescription("扩展组件(12)"), "扩展支持库内的组件");
  EXPECT_EQ(groupDescription("外部组件"), "COM包装支持库所封装的Activex组件");
  EXPECT_EQ(groupDescription("其它"), "");
  EXPECT_EQ(groupDescription("基本"), "");
}

TEST(ToolboxIcons, MatchEitherNameInAnyLetterCase) {
  IconIndex icons;
  ASSERT_TRUE(icons.load(
      reinterpret_cast<const char*>(u8"\xEF\xBB\xBF[{\"eName\":\"Button\",\"cName\":\"按钮\",\"iCons\":\"Button.png\"},"
                                    u8"{\"eName\":\"EditBox\",\"cName\":\"编辑框\",\"iCons\":\"EditBox.png\"}]")));
  EXPECT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons.iconFor("BUTTON"), "Button.png");
  EXPECT_EQ(icons.iconFor("editbox"), "EditBox.png");
  EXPECT_EQ(icons.iconFor("按钮"), "Button.png");
  EXPECT_EQ(icons.iconFor("编辑框"), "EditBox.png");
  EXPECT_EQ(icons.iconFor("超级列表框"), "");
  EXPECT_EQ(icons.iconFor(""), "");
  EXPECT_EQ(lowerText("AbC\x81Z"), "abc\x81Z");  // "Z" is a trail byte here, not a letter
  EXPECT_FALSE(icons.load("{not json"));
  EXPECT_EQ(icons.size(), 0u);
}

TEST(ToolboxItems, APickNamesOnlyAnItemOfTheCurrentFill) {
  ToolItems items;
  items.beginFill(0);
  EXPECT_EQ(items.add(0x100, "指针").index, 0);
  EXPECT_EQ(items.add(0x101, "按钮").index, 1);
  EXPECT_EQ(items.liveItem(0, 1), 0x101u);

  items.beginFill(1);  // the host freed 0x100 and 0x101
  EXPECT_EQ(items.add(0x200, "指针").group, 1);
  EXPECT_EQ(items.add(0x201, "超级列表框").index, 1);
  EXPECT_EQ(items.liveItem(0, 1), 0u);
  EXPECT_EQ(items.liveItem(1, 1), 0x201u);
  EXPECT_EQ(items.text(0, 1), "按钮");

  // Group 0 filled again: its items are replaced in place, not listed twice.
  items.beginFill(0);
  EXPECT_TRUE(items.add(0x300, "指针").replaces);
  ToolItems::Placed placed = items.add(0x301, "按钮");
  EXPECT_TRUE(placed.replaces);
  EXPECT_EQ(items.count(0), 2);
  EXPECT_EQ(items.itemAfterRefill(0, 1, "按钮"), 0x301u);
  EXPECT_EQ(items.itemAfterRefill(0, 5, "按钮"), 0x301u);  // found by text
  EXPECT_EQ(items.itemAfterRefill(0, 1, "标签"), 0u);
  EXPECT_EQ(items.itemAfterRefill(1, 1, "超级列表框"), 0u);  // group 1 is not the current fill

  items.clear();
  EXPECT_EQ(items.count(0), 0);
  EXPECT_EQ(items.add(0x400, "x").group, -1);  // no fill begun
}

}  // namespace
}  // namespace tovalux::toolbox
