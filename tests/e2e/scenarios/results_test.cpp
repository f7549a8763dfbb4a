// What the host reports in its bottom panels, as the user finds it in the shell: search results
// that come forward and open their row on a double click, and the tips box in the help pane and
// the status line.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

constexpr uint32_t kSetCurSel = 0x0186;    // LB_SETCURSEL
constexpr uint32_t kGetItemRect = 0x0198;  // LB_GETITEMRECT
constexpr uint32_t kDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK

class ResultsScenario : public ::testing::Test {
 protected:
  Session s{journalName()};

  void openProject() {
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
    ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));
    ASSERT_TRUE(s.find("page-tab 窗口程序集_启动窗口", 5000));
  }

  // What a double click hands to one of the host's lists since `mark`, in order (the plug-in's
  // reads of the list's count aside).
  std::vector<uint32_t> doubleClickTo(const std::string& control, size_t mark) {
    std::vector<uint32_t> out;
    for (const JournalEntry& e : s.entries("ctl-msg", mark)) {
      const auto message = static_cast<uint32_t>(e.number("msg", 0));
      if (e.get("control") == control && (message == kSetCurSel || message == kGetItemRect || message == kDoubleClick))
        out.push_back(message);
    }
    return out;
  }
};

TEST_F(ResultsScenario, SearchResultsComeForwardAndADoubleClickOpensTheirRow) {
  openProject();

  // A search over the whole project: 500 lines and the summary in the first list.
  ASSERT_TRUE(s.act("search 1 500 窗口"));
  EXPECT_TRUE(s.find("list-item \"程序集: 窗口程序集_启动窗口 (1): 窗口 第0处\"", 5000))
      << "the first results did not come forward";
  EXPECT_TRUE(s.act("ui-find list-item \"--- 共找到 500 处 ---\" timeout=3000"));
  const auto tab1 = s.find("page-tab 搜寻结果1");
  ASSERT_TRUE(tab1);
  EXPECT_TRUE(Session::has(*tab1, "selected"));

  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item \"程序集: 窗口程序集_启动窗口 (2): 窗口 第1处\" clicks=2"));
  auto opened = s.waitFor("search-open", fieldIs("list", "1182"), 5000, mark);
  ASSERT_TRUE(opened) << "the host never opened the row";
  EXPECT_EQ(opened->number("index"), 1);
  EXPECT_EQ(doubleClickTo("1182", mark), (std::vector<uint32_t>{kSetCurSel, kGetItemRect, kDoubleClick}));

  // A search in the modules, from the menu: the second list comes forward.
  ASSERT_TRUE(s.act("ui-click menu-item 工具(T) depth=2"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click menu-item 在模块或支持库搜索(F) depth=1"));
  ASSERT_TRUE(s.waitFor("command", fieldIs("id", 0x80F5), 5000, mark));
  EXPECT_TRUE(s.find("list-item \"程序集: 窗口程序集_启动窗口 (1): 取文本长度 第0处\"", 5000))
      << "the second results did not come forward";
  const auto tab2 = s.find("page-tab 搜寻结果2");
  ASSERT_TRUE(tab2);
  EXPECT_TRUE(Session::has(*tab2, "selected"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item \"程序集: 窗口程序集_启动窗口 (1): 取文本长度 第0处\" clicks=2"));
  opened = s.waitFor("search-open", fieldIs("list", "1183"), 5000, mark);
  ASSERT_TRUE(opened) << "the host never opened the row";
  EXPECT_EQ(opened->number("index"), 0);
  EXPECT_EQ(doubleClickTo("1183", mark), (std::vector<uint32_t>{kSetCurSel, kGetItemRect, kDoubleClick}));

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(ResultsScenario, TheHostsTipShowsInTheHelpPaneAndTheStatusLine) {
  openProject();
  ASSERT_TRUE(s.act("tip \"如果 (条件)\" 说明"));
  // The status line shows it on one line: the line break becomes two blanks.
  const auto state = s.find("text \"如果 (条件)  说明\"", 5000);
  const auto line = s.find("status-bar \"\"");
  ASSERT_TRUE(state && line) << "the status line does not show the tip";
  EXPECT_GE(state->number("y"), line->number("y"));
  EXPECT_LE(state->number("y") + state->number("height"), line->number("y") + line->number("height"));
  ASSERT_TRUE(s.act("ui-click page-tab 帮助提示"));
  EXPECT_TRUE(s.find("editable-text 帮助提示 line=\"如果 (条件)\"", 5000));
  EXPECT_TRUE(s.find("editable-text 帮助提示 line=说明"));
  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
