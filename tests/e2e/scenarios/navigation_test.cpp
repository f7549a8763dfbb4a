// The navigation bar above the code as the user works it in ehost.exe with the real plug-in: its
// two lists copy the host's unit and member combo boxes, a pick made with the mouse reaches the
// host's combo as the host's own list would report it, and on a table page the members come from
// the host's program tree and a pick makes the host go to the entry.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::both;
using testing::fieldIs;

constexpr int64_t kSelectItem = 0x110B;  // TVM_SELECTITEM
constexpr int64_t kCaret = 9;            // TVGN_CARET
constexpr int64_t kSetCurSel = 0x014E;   // CB_SETCURSEL

class NavigationScenario : public ::testing::Test {
 protected:
  Session s{journalName()};

  // Picks `item` from the drop-down of the bar's combo box that shows `value` (the bar's two
  // boxes are the only combo boxes without a name).
  void pick(const std::string& value, const std::string& item) {
    ASSERT_TRUE(s.act("ui-click combo-box \"\" value=\"" + value + "\""));
    ASSERT_TRUE(s.act("ui-click list-item \"" + item + "\""));
  }
};

TEST_F(NavigationScenario, TheBarCopiesTheHostsListsAndHandsThePicksBack) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));

  // On the start window's program set: its name, and its first sub-program.
  ASSERT_TRUE(s.find("combo-box \"\" value=窗口程序集_启动窗口", 5000));
  ASSERT_TRUE(s.find("combo-box \"\" value=_启动窗口_创建完毕"));

  // A member picked: the host's member list reports it, the host selects it again.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click combo-box \"\" value=_启动窗口_创建完毕"));
  EXPECT_TRUE(s.find("list-item _启动窗口_创建完毕"));
  ASSERT_TRUE(s.act("ui-click list-item _按钮1_被单击"));
  const auto member = s.waitFor("nav-choice", fieldIs("combo", "630"), 5000, mark);
  ASSERT_TRUE(member) << "the host's member list never reported the pick";
  EXPECT_EQ(member->number("index"), 1);
  EXPECT_TRUE(s.find("combo-box \"\" value=_按钮1_被单击"));

  // A unit picked from the host's whole list: the host opens its page.
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click combo-box \"\" value=窗口程序集_启动窗口"));
  for (const char* unit : {"窗口程序集_启动窗口", "程序集1", "类_演示", "程序集2"})
    EXPECT_TRUE(s.find(std::string("list-item ") + unit)) << unit << " is not in the unit list";
  ASSERT_TRUE(s.act("ui-click list-item 程序集1"));
  const auto unit = s.waitFor("nav-choice", fieldIs("combo", "629"), 5000, mark);
  ASSERT_TRUE(unit) << "the host's unit list never reported the pick";
  EXPECT_EQ(unit->get("text"), "程序集1");
  // Handed over as the host's own list would: its combo box selects the same row first.
  const auto chosen = s.waitFor("ctl-msg", both(fieldIs("control", "629"), fieldIs("msg", kSetCurSel)), 1000, mark);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->number("wparam"), 1);
  EXPECT_TRUE(s.waitFor("page-created", fieldIs("title", "程序集: 程序集1"), 5000, mark));
  EXPECT_TRUE(s.find("page-tab 程序集1"));
  EXPECT_TRUE(s.find("combo-box \"\" value=程序集1"));
  EXPECT_TRUE(s.find("combo-box \"\" value=子程序1"));

  // The global-variable table: its title as the unit, its entries from the program tree as the
  // members, each with the host's tree item.
  ASSERT_TRUE(s.act("page-open 全局变量表"));
  ASSERT_TRUE(s.find("combo-box \"\" value=全局变量表", 5000));
  ASSERT_TRUE(s.act("ui-click combo-box \"\" value="));
  EXPECT_TRUE(s.find("list-item 全局计数"));
  const auto entry = s.find("list-item 全局名称");
  ASSERT_TRUE(entry) << "the member list does not hold the table's entries";
  // The row's value is its columns: the name, then the host's tree item in decimal.
  const std::string cells = entry->get("value").value_or("");
  const size_t digits = cells.find_first_of("0123456789");
  ASSERT_NE(digits, std::string::npos) << cells;
  const int64_t item = std::strtoll(cells.c_str() + digits, nullptr, 10);
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item 全局名称"));
  // The tree item selected, then the host told to go there: it brings the table forward with
  // the caret on the entry.
  const auto selected = s.waitFor("ctl-msg", both(fieldIs("control", "1019"), fieldIs("msg", kSelectItem)), 5000, mark);
  ASSERT_TRUE(selected) << "the host's tree item was never selected";
  EXPECT_EQ(selected->number("wparam"), kCaret);
  EXPECT_EQ(selected->number("lparam"), item);
  const auto command = s.waitFor("program-command", fieldIs("id", 0x8019), 5000, mark);
  ASSERT_TRUE(command);
  EXPECT_EQ(command->get("selected"), "全局名称");
  const auto went = s.waitFor("go-to", {}, 5000, mark);
  ASSERT_TRUE(went);
  EXPECT_EQ(went->get("page"), "全局变量表");
  EXPECT_EQ(went->number("row"), 1);
  EXPECT_TRUE(s.find("combo-box \"\" value=全局名称"));

  EXPECT_TRUE(s.closeNormally());
}

// The code view's scroll bars and caret: the shell's bars follow the host's and hand arrow clicks
// back; a click in the code shows the host's caret in the status line.
TEST_F(NavigationScenario, TheCodeBarsFollowTheHostAndTheStatusLineShowsTheCaret) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("notepad-open"));
  ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));
  ASSERT_TRUE(s.find("page-tab 窗口程序集_启动窗口", 5000));

  // 200 lines, the view at line 40: the shell's bar shows the same place (its value is percent).
  ASSERT_TRUE(s.act("page-scroll \"程序集: 窗口程序集_启动窗口\" v range=199 pos=40"));
  const auto bar = s.find("scroll-bar \"\" value=20 depth=1", 5000);
  ASSERT_TRUE(bar) << "the shell's bar does not show the host's position";

  // A click in the track moves nothing in the host; the arrows move it by a line.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click scroll-bar \"\" value=20 depth=1"));
  ASSERT_TRUE(s.act("ui-click push-button 下移 depth=2"));
  auto moved = s.waitFor("scroll", fieldIs("bar", "v"), 5000, mark);
  ASSERT_TRUE(moved) << "the down arrow did not reach the host";
  EXPECT_EQ(moved->number("pos"), 41);
  EXPECT_EQ(s.entries("scroll", mark).size(), 1u) << "the track click scrolled the host";
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 上移 depth=2"));
  moved = s.waitFor("scroll", fieldIs("bar", "v"), 5000, mark);
  ASSERT_TRUE(moved) << "the up arrow did not reach the host";
  EXPECT_EQ(moved->number("pos"), 40);

  // The thumb dragged down: the host's view follows; released, a click in the track moves
  // nothing again.
  const auto frame = s.find("window *");
  const auto topEnd = s.find("push-button 上移 depth=2");
  const auto bottomEnd = s.find("push-button 下移 depth=2");
  ASSERT_TRUE(frame && topEnd && bottomEnd);
  const int64_t trackTop = topEnd->number("y") + topEnd->number("height");
  const int64_t trackLength = bottomEnd->number("y") - trackTop;
  const int64_t barX = bar->number("x") + bar->number("width") / 2 - frame->number("x");
  const int64_t thumbY = trackTop + trackLength * 40 / 199 + 2 - frame->number("y");
  mark = s.mark();
  ASSERT_TRUE(s.act("drag " + std::to_string(barX) + " " + std::to_string(thumbY) + " " + std::to_string(barX) + " " +
                    std::to_string(thumbY + 60)));
  const std::vector<JournalEntry> dragged = s.entries("scroll", mark);
  ASSERT_FALSE(dragged.empty()) << "the drag did not reach the host";
  EXPECT_GT(dragged.back().number("pos"), 40);
  for (const JournalEntry& e : dragged) EXPECT_GE(e.number("pos"), 40) << "the view went back while dragging down";
  mark = s.mark();
  ASSERT_TRUE(
      s.act("click " + std::to_string(barX) + " " + std::to_string(bottomEnd->number("y") - 3 - frame->number("y"))));
  ASSERT_TRUE(s.act("ui-click push-button 上移 depth=2"));
  ASSERT_TRUE(s.waitFor("scroll", fieldIs("bar", "v"), 5000, mark));
  EXPECT_EQ(s.entries("scroll", mark).size(), 1u) << "a track click after the drag scrolled the host";

  // A click in the code on the twelfth line, fifth column (16-pixel lines, 8-pixel columns),
  // counted from the code's corner: where the horizontal bar starts and the vertical one begins.
  const auto leftEnd = s.find("push-button 左移 depth=2");
  ASSERT_TRUE(leftEnd);
  const int64_t x = leftEnd->number("x") + 4 * 8 + 4 - frame->number("x");
  const int64_t y = topEnd->number("y") + 11 * 16 + 8 - frame->number("y");
  mark = s.mark();
  ASSERT_TRUE(s.act("click " + std::to_string(x) + " " + std::to_string(y)));
  const auto caret = s.waitFor("caret", {}, 5000, mark);
  ASSERT_TRUE(caret) << "the click did not reach the host's code view";
  const int64_t row = caret->number("row") + 1, column = caret->number("column") + 1;
  EXPECT_EQ(row, 12);
  EXPECT_EQ(column, 5);
  EXPECT_TRUE(s.find("text \"行 " + std::to_string(row) + "\"", 5000));
  EXPECT_TRUE(s.find("text \"列 " + std::to_string(column) + "\""));
  // The host's caret text is "代码第<row>行": 8 bytes and the digits.
  EXPECT_TRUE(s.find("text \"字符 " + std::to_string(8 + std::to_string(row).size()) + "\""));

  // The designer page's paint is logged with its window.
  mark = s.mark();
  ASSERT_TRUE(s.act("page-activate \"窗口: _启动窗口\""));
  EXPECT_TRUE(s.waitFor(
      "notepad", [](const JournalEntry& e) { return e.get("text").value_or("").rfind("窗口设计器:", 0) == 0; }, 5000,
      mark));

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
