#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hooks/host/hook_rules.h"

namespace tovalux::hostrules {
namespace {

TEST(HostColours, SubstitutesOnlyTheHostsOwnColours) {
  EXPECT_EQ(substituteBkColor(0xFFF1EB), 0x262525u);
  EXPECT_EQ(substituteBkColor(0xE1FFFF), 0x454242u);
  EXPECT_EQ(substituteBkColor(0xFFF1EC), 0xFFF1ECu);
  EXPECT_EQ(substituteBkColor(0), 0u);
  EXPECT_EQ(substituteTextColor(0xFF0000), 0xB0C94Eu);
  EXPECT_EQ(substituteTextColor(0x808080), 0x7F7F7Fu);
  EXPECT_EQ(substituteTextColor(0), 0u);
  EXPECT_EQ(substituteTextColor(0x0000FF), 0x0000FFu);
  EXPECT_EQ(substituteSysColor(24), 0x454242u);
  EXPECT_EQ(substituteSysColor(6), 0x302D2Du);
  EXPECT_FALSE(substituteSysColor(5).has_value());
  EXPECT_EQ(tipTextColor(0), 0xC8C8C8u);
  EXPECT_EQ(tipTextColor(0x0000FF), 0x0014E4u);
  EXPECT_FALSE(tipTextColor(0xFF0000).has_value());
}

TEST(CodePageRect, StartPageGrowsByTwoOtherPagesByTwentyDownAndRight) {
  EXPECT_EQ(pageClientRect({0, 0, 800, 600}, true), (Rect32{-2, -2, 802, 602}));
  EXPECT_EQ(pageClientRect({0, 0, 800, 600}, false), (Rect32{-2, -2, 820, 620}));
  EXPECT_TRUE(isStartPageTitle("起始页"));
  EXPECT_FALSE(isStartPageTitle("起始页 "));
  EXPECT_FALSE(isStartPageTitle("程序集: 窗口程序集_启动窗口"));
}

TEST(TaskComment, NeedsTenBytesWithinTheCount) {
  const char line[] = "' // TODO: x";
  EXPECT_TRUE(isTaskCommentLine(line, 12));
  EXPECT_TRUE(isTaskCommentLine(line, 10));
  EXPECT_FALSE(isTaskCommentLine(line, 9));  // the count ends before the prefix does
  EXPECT_FALSE(isTaskCommentLine(line, 0));
  EXPECT_FALSE(isTaskCommentLine(line, -1));
  EXPECT_FALSE(isTaskCommentLine(nullptr, 12));
  EXPECT_FALSE(isTaskCommentLine("' // TODO", 9));
  EXPECT_FALSE(isTaskCommentLine("' // todo: x", 12));
}

TEST(CreationRules, FirstMatchDecidesWithEachRulesOwnCase) {
  using R = CreationRule;
  EXPECT_EQ(classifyCreation("MyHyperLinker", 10, 10), R::kLink);
  EXPECT_EQ(classifyCreation("myhyperlinker", 10, 10), R::kOther);
  EXPECT_EQ(classifyCreation("STATIC", 10, 10), R::kStatic);
  EXPECT_EQ(classifyCreation("Static", 400, 280), R::kStatic);  // rule 2 before rule 3
  EXPECT_EQ(classifyCreation("ESplash", 400, 280), R::kSplash);
  EXPECT_EQ(classifyCreation("ESplash", 400, 281), R::kOther);
  EXPECT_EQ(classifyCreation("_EL_PicWnd", 400, 280), R::kPicture);
  EXPECT_EQ(classifyCreation("_EL_PicWnd", 10, 10), R::kPicture);
  EXPECT_EQ(classifyCreation("_el_picwnd", 10, 10), R::kOther);
  EXPECT_EQ(classifyCreation("SysListView32", 10, 10), R::kRecentList);
  EXPECT_EQ(classifyCreation("SYSLISTVIEW32", 10, 10), R::kOther);
  EXPECT_EQ(classifyCreation("BUTTON", 10, 10), R::kButton);
  EXPECT_EQ(classifyCreation("Button", 400, 280), R::kSplash);
  // An atom names no class: only the size rule and the code-view test can apply.
  EXPECT_EQ(classifyCreation(std::nullopt, 400, 280), R::kSplash);
  EXPECT_EQ(classifyCreation(std::nullopt, 10, 10), R::kOther);
}

TEST(CreationRules, OnlyTheFourLinksArePaintedAndOnlyClearStartsTheWatcher) {
  for (const char* caption : {"新建", "打开...", "最近", "清空"}) EXPECT_TRUE(isPaintedLink(caption)) << caption;
  EXPECT_FALSE(isPaintedLink("帮助"));
  EXPECT_FALSE(isPaintedLink("打开"));
  EXPECT_TRUE(startsWatcher("清空"));
  EXPECT_FALSE(startsWatcher("新建"));
}

TEST(DisassemblyBlock, AcceptsFromTheIdAloneUpToTheCap) {
  constexpr uint32_t cap = 4u << 20;
  EXPECT_FALSE(blockLengthAccepted(0, cap));
  EXPECT_FALSE(blockLengthAccepted(3, cap));
  EXPECT_FALSE(blockLengthAccepted(-1, cap));
  EXPECT_TRUE(blockLengthAccepted(4, cap));
  EXPECT_TRUE(blockLengthAccepted(cap, cap));
  EXPECT_FALSE(blockLengthAccepted(int64_t(cap) + 1, cap));
  EXPECT_FALSE(blockLengthAccepted(1 << 30, cap));
}

TEST(FrameTitle, CutsAt256BytesOnACharacterBoundary) {
  const std::string ascii(300, 'a');
  EXPECT_EQ(frameTitle(ascii).size(), 256u);
  EXPECT_EQ(frameTitle("易语言 - C:\\a.e"), "易语言 - C:\\a.e");
  // 255 ASCII bytes then a double-byte character: the character would straddle byte 256.
  const std::string straddling = std::string(255, 'a') + "易";
  EXPECT_EQ(frameTitle(straddling), std::string(255, 'a'));
  // A trail byte 0x5C ('\\') must not be mistaken for the end of a character.
  std::string trail;
  for (int i = 0; i < 127; ++i) trail += "乗";  // 81 5C
  trail += "ab";                                // 256 bytes exactly
  EXPECT_EQ(frameTitle(trail), trail);
}

TEST(LogLines, AreTheHostMainWindowsExactTexts) {
  EXPECT_EQ(moduleReloadLine(65630), "65630 收到模块管理");
  EXPECT_EQ(notifyLine(1019, -12, 131234), "WM_NOTIFY： idFrom 1019 code -12 hwndFrom 131234");
  EXPECT_EQ(commandLine(32963, -1), " 菜单选择： wParam 32963 lParam -1");
}

TEST(CompletionList, LeavesRoomForTheStripOnlyWithCodeTree) {
  const CompletionLayout plain = completionLayout(false, 17);
  EXPECT_EQ(plain.list, (Rect32{0, 0, 501, 221}));
  EXPECT_FALSE(plain.strip);
  const CompletionLayout tree = completionLayout(true, 17);
  EXPECT_EQ(tree.list, (Rect32{0, 0, 522, 191}));
  EXPECT_TRUE(tree.strip);
  EXPECT_EQ(tree.stripRect, (Rect32{0, 191, 501, 30}));
}

std::vector<uint8_t> dibHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                               uint32_t colours = 0) {
  std::vector<uint8_t> dib(40, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&dib[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&dib[at], &v, 2); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  put16(12, 1);
  put16(14, bits);
  put32(16, compression);
  put32(32, colours);
  return dib;
}

TEST(BannerBitmap, FindsThePixelsOfAPackedDibAndRefusesShortOrOddOnes) {
  auto dib = dibHeader(500, 300, 24);
  dib.resize(40 + 1500 * 300);
  const auto layout = packedDibLayout(dib.data(), dib.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->bitsOffset, 40u);
  EXPECT_EQ(layout->bitsSize, 1500u * 300u);
  EXPECT_FALSE(packedDibLayout(dib.data(), dib.size() - 1));  // one byte of pixels missing

  auto palette = dibHeader(3, -2, 8);  // top-down, 256 colours, rows of 4 bytes
  palette.resize(40 + 1024 + 8);
  const auto paletted = packedDibLayout(palette.data(), palette.size());
  ASSERT_TRUE(paletted);
  EXPECT_EQ(paletted->bitsOffset, 40u + 1024u);
  EXPECT_EQ(paletted->height, -2);

  auto masks = dibHeader(1, 1, 32, 3);
  masks.resize(40 + 12 + 4);
  ASSERT_TRUE(packedDibLayout(masks.data(), masks.size()));
  EXPECT_EQ(packedDibLayout(masks.data(), masks.size())->bitsOffset, 52u);

  auto compressed = dibHeader(4, 4, 8, 1);  // RLE8
  compressed.resize(4096);
  EXPECT_FALSE(packedDibLayout(compressed.data(), compressed.size()));
  auto huge = dibHeader(0x7FFFFFFF, 0x7FFFFFFF, 32);
  EXPECT_FALSE(packedDibLayout(huge.data(), huge.size()));
  EXPECT_FALSE(packedDibLayout(nullptr, 100));
}

TEST(HookTable, OrderConditionsAndWhatShutDownRemoves) {
  std::vector<std::string> always, codeTip, gridFont, removed;
  for (const HookEntry& hook : kHostHooks) {
    (hook.when == HookWhen::kAlways    ? always
     : hook.when == HookWhen::kCodeTip ? codeTip
                                       : gridFont)
        .push_back(hook.function);
    if (hook.removedAtShutdown) removed.push_back(hook.function);
  }
  EXPECT_EQ(always,
            (std::vector<std::string>{"GetClientRect", "SendMessageA", "LoadBitmapA", "SetBkColor", "CreateWindowExA",
                                      "CreateProcessA", "WaitForDebugEvent", "DebugActiveProcessStop"}));
  EXPECT_EQ(codeTip, (std::vector<std::string>{"TextOutA", "SetTextColor", "GetSysColor"}));
  EXPECT_EQ(gridFont, (std::vector<std::string>{"SelectObject"}));
  EXPECT_EQ(removed, (std::vector<std::string>{"GetClientRect", "SendMessageA", "LoadBitmapA", "SetBkColor",
                                               "CreateWindowExA", "TextOutA", "SetTextColor", "GetSysColor"}));
  EXPECT_EQ(kHostHooks[0].byteCount, 7);
  EXPECT_TRUE(hookWanted(kHostHooks[11], false, 1));
  EXPECT_FALSE(hookWanted(kHostHooks[11], true, 0));
  EXPECT_FALSE(hookWanted(kHostHooks[8], false, 5));
}

}  // namespace
}  // namespace tovalux::hostrules
