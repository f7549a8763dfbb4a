// Tool-bar names and their actions; the help-tip buffer a host fills (length + 1, capped,
// freed: the sanitizers see any overrun or leak); recent-file values of any registry type.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "commands/host_queries.h"
#include "commands/toolbar_table.h"

namespace tovalux::commands {
namespace {

TEST(ToolBarTable, NamesAreTheTextBeforeTheFirstParenthesis) {
  EXPECT_EQ(toolButtonName("查看(Shift+F9)"), "查看");
  EXPECT_EQ(toolButtonName("查看帮助提示(F1)"), "查看帮助提示");
  EXPECT_EQ(toolButtonName("新建"), "新建");
  EXPECT_EQ(toolButtonName("(F1)"), "(F1)");
  EXPECT_EQ(toolButtonName(""), "");
  // Whole names: the watch button and the help-tip button do different things.
  EXPECT_EQ(toolCommandFor("查看").act, CommandAct::kRunIdeFunction);
  EXPECT_EQ(toolCommandFor("查看").value, 0x05010005u);
  EXPECT_EQ(toolCommandFor("查看帮助提示").act, CommandAct::kHelpTip);
  EXPECT_EQ(toolCommandFor("查看帮助").act, CommandAct::kNothing);
}

TEST(ToolBarTable, EveryButtonHasAnActionAndTheGroupsHaveTheirPositions) {
  size_t count = 0;
  std::set<std::string_view> names;
  auto walk = [&](std::span<const ToolButton> group) {
    for (const ToolButton& b : group) {
      ++count;
      if (b.tooltip == kToolSeparator) {
        EXPECT_EQ(b.icon, kToolSeparator);
        continue;
      }
      EXPECT_NE(toolCommandFor(toolButtonName(b.tooltip)).act, CommandAct::kNothing) << b.tooltip;
      EXPECT_TRUE(names.insert(toolButtonName(b.tooltip)).second) << b.tooltip;
      EXPECT_TRUE(b.icon.ends_with("_16x.png")) << b.icon;
    }
  };
  walk(mainToolBarFirstGroup());
  EXPECT_EQ(count, 13u);  // the linker selector is position 13
  walk(mainToolBarSecondGroup());
  EXPECT_EQ(count + 1, static_cast<size_t>(kMainToolBarCount));
  count = 0;
  walk(designerToolBar());
  EXPECT_EQ(count, static_cast<size_t>(kDesignerToolBarCount));
  // Positions the state rules name.
  EXPECT_EQ(mainToolBarSecondGroup()[26 - 14].tooltip, "重新运行");
  EXPECT_EQ(mainToolBarSecondGroup()[40 - 14].tooltip, "系统设置");
  EXPECT_EQ(mainToolBarFirstGroup()[4].tooltip, "打开(Ctrl+O)");
  // The click table has no entry that no button reaches.
  EXPECT_EQ(names.size(), toolCommandNames().size());
  EXPECT_EQ(toolCommandFor("组件垂直居中").value, 0x02020064u);
  // 编译 and 静态编译 empty the output and bring it forward; 运行 only empties it.
  EXPECT_EQ(
      toolCommandFor("编译"),
      (Command{.act = CommandAct::kRunIdeFunction, .value = 0x05020001, .clearsOutput = true, .showsOutput = true}));
  EXPECT_EQ(toolCommandFor("静态编译").value, 0x05020007u);
  EXPECT_TRUE(toolCommandFor("静态编译").showsOutput);
  EXPECT_EQ(toolCommandFor("运行"),
            (Command{.act = CommandAct::kRunIdeFunction, .value = 0x05020002, .clearsOutput = true}));
  EXPECT_FALSE(toolCommandFor("停止运行").clearsOutput);
  EXPECT_EQ(toolCommandFor("重新运行").act, CommandAct::kRestart);
}

// A host answering the help-tip query: the text's length on the first call, the text on the
// second, optionally followed by the NUL a C host writes.
struct FakeHelpHost {
  std::string text;
  std::optional<int32_t> reportLength;  // default: the text's length
  bool writeNul = true;
  std::vector<HelpTipQuery> calls;

  void operator()(HelpTipQuery& q) {
    calls.push_back(q);
    if (q.text == nullptr) {
      q.length = reportLength.value_or(static_cast<int32_t>(text.size()));
      return;
    }
    const size_t n = std::min(text.size(), static_cast<size_t>(q.length));
    std::memcpy(q.text, text.data(), n);
    if (writeNul) q.text[q.length < static_cast<int32_t>(text.size()) ? q.length : n] = '\0';
  }
};

TEST(HelpTip, TheBufferHoldsTheTextAndTheHostsNul) {
  FakeHelpHost host;
  host.text = "如果";
  EXPECT_EQ(readHelpTipText(std::ref(host)), "如果");
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].first, -1);
  EXPECT_EQ(host.calls[0].second, -1);
  EXPECT_EQ(host.calls[0].text, nullptr);
  EXPECT_EQ(host.calls[1].first, -1);
  EXPECT_EQ(host.calls[1].second, -1);
  EXPECT_EQ(host.calls[1].length, 4);
}

TEST(HelpTip, NoLengthNoSecondCall) {
  for (int32_t length : {0, -5}) {
    FakeHelpHost host;
    host.text = "x";
    host.reportLength = length;
    EXPECT_EQ(readHelpTipText(std::ref(host)), "");
    EXPECT_EQ(host.calls.size(), 1u);
  }
}

TEST(HelpTip, AHugeLengthIsCappedAndAShortTextEndsAtItsNul) {
  FakeHelpHost host;
  host.text = std::string(5000, 'a');
  host.reportLength = 0x7FFFFFFF;
  EXPECT_EQ(readHelpTipText(std::ref(host), 1000), std::string(1000, 'a'));
  EXPECT_EQ(host.calls.back().length, 1000);  // the host is told the capped length

  FakeHelpHost shorter;
  shorter.text = "ab";
  shorter.reportLength = 10;
  EXPECT_EQ(readHelpTipText(std::ref(shorter)), "ab");

  FakeHelpHost silent;  // reports a length, then writes nothing
  silent.text = "";
  silent.reportLength = 8;
  silent.writeNul = false;
  EXPECT_EQ(readHelpTipText(std::ref(silent)), "");

  FakeHelpHost unterminated;  // fills every byte it was given, no NUL of its own
  unterminated.text = "abcdef";
  unterminated.reportLength = 4;
  unterminated.writeNul = false;
  EXPECT_EQ(readHelpTipText(std::ref(unterminated)), "abcd");
}

TEST(RecentFiles, ValuesOfAnyShape) {
  using std::string_literals::operator""s;
  EXPECT_EQ(recentPathFromValue(kRegString, "C:\\a.e\0"s), "C:\\a.e");
  EXPECT_EQ(recentPathFromValue(kRegString, "C:\\a.e"), "C:\\a.e");  // stored without its NUL
  EXPECT_EQ(recentPathFromValue(kRegString, "C:\\a.e\0junk"s), "C:\\a.e");
  EXPECT_EQ(recentPathFromValue(kRegExpandString, "C:\\b.e"), "C:\\b.e");
  EXPECT_FALSE(recentPathFromValue(4, "\x01\0\0\0"s));  // REG_DWORD
  EXPECT_FALSE(recentPathFromValue(3, "C:\\a.e"));      // REG_BINARY
  EXPECT_EQ(recentPathFromValue(kRegString, ""), "");
  const std::string thousand = "C:\\" + std::string(1000, 'x') + ".e";
  EXPECT_EQ(recentPathFromValue(kRegString, thousand), thousand);
  // A cap never cuts a character in half.
  EXPECT_EQ(recentPathFromValue(kRegString, "ab\x81\x5C", 3), "ab");
}

}  // namespace
}  // namespace tovalux::commands
