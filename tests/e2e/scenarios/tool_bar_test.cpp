// Both tool bars pressed with the mouse in ehost.exe with the real plug-in: every button makes
// exactly the host call its name stands for, and writes its name to the Notepad log. The numbers
// are the host's, written out here from its function table.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

struct Button {
  const char* tooltip;  // the button's only label
  std::vector<uint32_t> calls;
};

// With a project on a program set's page.
const Button kMainBar[] = {
    {"跳回前跳转处", {0x01010043}}, {"跳到调用命令处", {0x0101002F}},    {"新建", {0x03010001}},
    {"打开(Ctrl+O)", {0x03010002}}, {"保存(Ctrl+S)", {0x03010004}},      {"剪切(Ctrl+X)", {0x02020004}},
    {"复制(Ctrl+C)", {0x02030001}}, {"粘贴(Ctrl+V)", {0x02020005}},      {"撤销(Ctrl+Z)", {0x02020032}},
    {"重做", {0x02020033}},         {"整体搜寻", {0x0402002C}},          {"设置断点(F9)", {0x05010006}},
    {"删除全部断点", {0x05010007}}, {"设置书签(Ctrl+F6)", {0x04020034}}, {"到上一个书签", {0x04020036}},
    {"到下一个书签", {0x04020037}}, {"跳转书签", {0x04020035}},          {"程序配置", {0x02020059}},
    {"系统设置", {0x04020010}},
};
// Those that clear the build output first.
const Button kBuilds[] = {
    {"编译(F7)", {0x05020001}},
    {"静态编译(Shift+F7)", {0x05020007}},
    {"运行(F5)", {0x05020002}},
};
// On while a debugged program is paused.
const Button kPaused[] = {
    {"查看(Shift+F9)", {0x05010005}},
    {"执行到光标处(Ctrl+F8)", {0x05010004}},
    {"单步(F8)", {0x05010002}},
    {"单步进入(Shift+F8)", {0x05010001}},
    {"跟踪返回(Ctrl+Shift+F8)", {0x05010003}},
    {"停止运行(Ctrl+F5)", {0x05020003}},
};
// On a window-designer page.
const Button kDesignerBar[] = {
    {"预览窗口设计", {0x0402000E}}, {"左对齐", {0x0202005D}},       {"右对齐", {0x0202005F}},
    {"顶对齐", {0x0202005E}},       {"底对齐", {0x02020060}},       {"窗口水平居中", {0x0202004F}},
    {"窗口垂直居中", {0x02020050}}, {"组件水平居中", {0x02020061}}, {"组件垂直居中", {0x02020064}},
    {"水平平均分布", {0x02020063}}, {"垂直平均分布", {0x02020064}}, {"使宽度相同", {0x02020065}},
    {"使高度相同", {0x02020066}},   {"使高宽全等", {0x02020067}},
};

// The name a button logs: its tooltip up to the first "(".
std::string nameOf(const std::string& tooltip) { return tooltip.substr(0, tooltip.find('(')); }

class ToolBarScenario : public ::testing::Test {
 protected:
  Session s{journalName()};

  std::vector<uint32_t> callsSince(size_t mark, bool queries = false) {
    std::vector<uint32_t> out;
    for (const JournalEntry& e : s.entries("ide", mark)) {
      const auto number = static_cast<uint32_t>(e.number("number", 0));
      if (queries || (number & 0xFFFF0000u) != 0x05030000u) out.push_back(number);
    }
    return out;
  }

  // Pressed with the mouse: its name in the Notepad log, its calls at the host. Returns the
  // journal's mark from before the press.
  size_t press(const Button& b) {
    const size_t mark = s.mark();
    const std::string what = b.tooltip;
    const auto button = s.find("push-button \"" + what + "\"");
    if (!button) {
      ADD_FAILURE() << "no button " << what;
      return mark;
    }
    EXPECT_FALSE(Session::has(*button, "unavailable")) << what << " is off";
    EXPECT_TRUE(s.act("ui-click push-button \"" + what + "\""));
    EXPECT_TRUE(s.waitFor("notepad", fieldIs("text", nameOf(what)), 5000, mark)) << what << " logged nothing";
    EXPECT_EQ(callsSince(mark), b.calls) << what;
    return mark;
  }
};

TEST_F(ToolBarScenario, EveryButtonPressedWithTheMouseMakesItsHostCallAndLogsItsName) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("notepad-open"));
  ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));
  ASSERT_TRUE(s.find("page-tab 窗口程序集_启动窗口", 5000));

  for (const Button& b : kMainBar) press(b);

  // A build or a run clears the build output before the host writes to it; a build also brings
  // the output pane forward.
  for (const Button& b : kBuilds) {
    const bool build = nameOf(b.tooltip) != "运行";
    ASSERT_TRUE(s.act("output-line 上一次的输出"));
    ASSERT_TRUE(s.act(build ? "ui-click page-tab 帮助提示" : "ui-click page-tab 调试输出"));
    press(b);
    const auto tab = s.find("page-tab 调试输出");
    ASSERT_TRUE(tab);
    EXPECT_TRUE(Session::has(*tab, "selected")) << b.tooltip << " left the output pane behind";
    ASSERT_TRUE(s.find("editable-text 调试输出"));
    EXPECT_TRUE(s.act("ui-absent editable-text 调试输出 line=上一次的输出")) << b.tooltip << " left the output";
    ASSERT_TRUE(s.act("run-state idle"));
  }

  // The help tip: the word's length, the word, the caret, then the tip for that place.
  {
    ASSERT_TRUE(s.act("caret 11 4"));
    const size_t mark = press({"查看帮助提示(F1)", {0x01010042}});
    EXPECT_EQ(callsSince(mark, true),
              (std::vector<uint32_t>{0x0503000B, 0x0503000B, 0x05030008, 0x05030009, 0x01010042}));
    const auto tip = s.waitFor("ide", fieldIs("number", 0x01010042), 1000, mark);
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->number("p1"), 11);
    EXPECT_EQ(tip->number("p2"), 4);
  }

  // Restarting a run: the stop first, the run once the stop is handled.
  {
    ASSERT_TRUE(s.act("run-state running"));
    const size_t mark = press({"重新运行", {0x05020003, 0x05020002}});
    ASSERT_TRUE(s.waitFor("run-started", {}, 5000, mark));
    const auto& journal = s.run().journal();
    size_t ended = 0, started = 0;
    for (size_t i = journal.size(); i > mark; --i) {
      if (journal[i - 1].kind == "run-ended") ended = i;
      if (journal[i - 1].kind == "run-started") started = i;
    }
    EXPECT_TRUE(ended != 0 && ended < started) << "the run started again before the stop was handled";
    ASSERT_TRUE(s.act("run-state idle"));
  }

  // The BlackMoon build without its plug-in: a message box, nothing for the host.
  {
    ASSERT_TRUE(s.act("dialog-answer 未检测到黑月编译插件 ok"));
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click push-button 黑月静态编译"));
    EXPECT_TRUE(
        s.waitFor("dialog", fieldIs("text", "未检测到黑月编译插件,黑月编译插件支持库未安装或未启用"), 5000, mark));
    EXPECT_TRUE(s.waitFor("notepad", fieldIs("text", "黑月静态编译"), 5000, mark));
    EXPECT_TRUE(callsSince(mark).empty());
  }

  // Paused in a debugging run.
  // A stepping button lets the program go on to its next breakpoint: one for each.
  ASSERT_TRUE(s.act("debuggee-script \"load;int3;int3;int3;int3;int3;int3;sleep 30000;exit 0\""));
  ASSERT_TRUE(s.act("debug-run pause=1"));
  ASSERT_TRUE(s.waitFor("debug-paused"));
  ASSERT_TRUE(s.waitFor("caption", [](const JournalEntry& e) {
    return e.get("text").value_or("").find("[运行暂停]") != std::string::npos;
  }));
  ASSERT_TRUE(s.act("pause-page"));
  for (const Button& b : kPaused) {
    const size_t mark = press(b);
    if (b.calls.size() == 1 && b.calls[0] >= 0x05010001 && b.calls[0] <= 0x05010004) {
      ASSERT_TRUE(s.waitFor("debug-paused", {}, 20000, mark)) << b.tooltip << ": the next breakpoint";
      ASSERT_TRUE(s.waitFor(
          "caption",
          [](const JournalEntry& e) { return e.get("text").value_or("").find("[运行暂停]") != std::string::npos; },
          20000, mark));
    }
  }
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended"));
  ASSERT_TRUE(s.act("run-state idle"));

  // The designer bar on a designer page.
  ASSERT_TRUE(s.act("page-activate \"窗口: _启动窗口\""));
  for (const Button& b : kDesignerBar) press(b);

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
