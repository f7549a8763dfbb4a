// Debugging runs as a user makes them in ehost.exe with the real plug-in: 运行 pressed on the
// tool bar, the host's debugger thread running e-sample, its exceptions and its pause seen in
// the panes and the frame, the run resumed and stopped from the IDE.
#include <windows.h>

#include <string>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

// The colour the screen shows at a point.
COLORREF screenColour(long x, long y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, static_cast<int>(x), static_cast<int>(y));
  ReleaseDC(nullptr, screen);
  return colour;
}

class DebuggingRun : public ::testing::Test {
 protected:
  // A project on its program set's page; 运行 starts the host's debugger on e-sample.
  void openProject(Session& s, const char* page = "程序集: 窗口程序集_启动窗口") {
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(s.act("start-page-close"));
    ASSERT_TRUE(s.act("project-open-sample"));
    ASSERT_TRUE(s.act("project \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\" create=1"));
    ASSERT_TRUE(s.act(std::string("page-open \"") + page + "\" maximized=1"));
    ASSERT_TRUE(s.act("mode real-runs 1"));
  }

  // 运行 pressed on the tool bar; true once the program stops at its next breakpoint.
  bool runToNextBreakpoint(Session& s) {
    const size_t mark = s.mark();
    return s.act("ui-click push-button 运行(F5)") && s.waitFor("debug-paused", {}, 20000, mark).has_value();
  }

  // The colour of the frame's bottom band (its status line) near its left end: the frame's look.
  COLORREF frameBand(Session& s) {
    const auto frame = s.find("window \"易语言 - Tovalux IDE\" depth=0");
    if (!frame) return CLR_INVALID;
    return screenColour(frame->number("x", 0) + 2, frame->number("y", 0) + frame->number("height", 0) - 12);
  }
  // The frame's band once it has been painted (a frame just shown may still be black).
  COLORREF paintedBand(Session& s) {
    COLORREF colour = CLR_INVALID;
    testing::pumpMessagesUntil(
        [&] {
          colour = frameBand(s);
          return colour != CLR_INVALID && colour != 0;
        },
        10000);
    return colour;
  }
  // The look comes back on the UI thread's next turn after the run's end.
  ::testing::AssertionResult bandBecomes(Session& s, COLORREF colour) {
    COLORREF seen = CLR_INVALID;
    if (testing::pumpMessagesUntil([&] { return (seen = frameBand(s)) == colour; }, 10000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the band stayed 0x" << std::hex << seen << ", not 0x" << colour;
  }
};

TEST_F(DebuggingRun, RunFromTheToolBarLogsStartExceptionsAndStopInOrderAndTheFrameFollows) {
  Session s("e2e_debug_run");
  openProject(s, "窗口: _启动窗口");
  ASSERT_TRUE(s.act("debuggee-script \"line * “tv.s” | 运行成功;av;raise 0xE06D7363;sleep 1500;exit 0\""));
  const COLORREF idleBand = paintedBand(s);
  const auto designerIdle = s.find("push-button 左对齐");
  ASSERT_TRUE(designerIdle);
  EXPECT_FALSE(Session::has(*designerIdle, "unavailable")) << "the designer bar on a designer page";

  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 运行(F5)"));
  ASSERT_TRUE(s.waitFor("debug-launch", {}, 20000, mark));
  // While it runs: the designer bar is off, the frame has its debugging look, 运行 is off and
  // 停止运行 on.
  ASSERT_TRUE(s.waitFor("debug-string", {}, 20000, mark));
  const auto designerRunning = s.find("push-button 左对齐");
  ASSERT_TRUE(designerRunning);
  EXPECT_TRUE(Session::has(*designerRunning, "unavailable"));
  const auto stopButton = s.find("push-button 停止运行(Ctrl+F5)");
  ASSERT_TRUE(stopButton);
  EXPECT_FALSE(Session::has(*stopButton, "unavailable"));
  // The look is painted on the UI thread's next turn: wait for it, as for its return below.
  EXPECT_TRUE(testing::pumpMessagesUntil([&] { return frameBand(s) != idleBand; }, 10000)) << "the debugging look";

  ASSERT_TRUE(s.waitFor("debug-ended", {}, 30000, mark));
  // The log, in order; the access violation and the C++ exception in words with their addresses.
  EXPECT_TRUE(
      s.act("ui-find editable-text 调试输出 value=\"程序 [*] ?e_*.tmp? 开始调试。*触发断点。 目标地址 *"
            "触发异常， 程序正在读写一个不可访问的地址。 目标地址 * (0x*)。*"
            "触发异常， 未记录的错误代码:-529697949。 目标地址 *停止调试。*\" timeout=10000"));
  // The program's marked line in the build output, the end of the run after it.
  EXPECT_TRUE(s.act("ui-find editable-text 调试输出 line=\"* 运行成功\""));
  EXPECT_TRUE(s.act("ui-find editable-text 调试输出 line=被调试程序已结束 timeout=10000"));
  // The project was saved from the debugger's thread as the run started.
  bool savedOffTheUiThread = false;
  for (const JournalEntry& e : s.entries("ide", mark))
    if (e.number("number", 0) == 0x03010004 && e.get("thread") != "ui") savedOffTheUiThread = true;
  EXPECT_TRUE(savedOffTheUiThread);
  // And back: the designer bar on again, the frame's normal look.
  const auto designerAfter = s.find("push-button 左对齐", 5000);
  ASSERT_TRUE(designerAfter);
  EXPECT_FALSE(Session::has(*designerAfter, "unavailable"));
  EXPECT_TRUE(bandBecomes(s, idleBand)) << "the normal look";
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(DebuggingRun, ABreakpointPausesWithTheStackAndTheChosenLevelsVariablesAndResumeEmptiesThem) {
  Session s("e2e_debug_pause");
  openProject(s);
  ASSERT_TRUE(s.act("debuggee-script \"int3;sleep 300;exit 0\""));
  const COLORREF idleBand = paintedBand(s);
  const size_t mark = s.mark();
  ASSERT_TRUE(runToNextBreakpoint(s));
  ASSERT_TRUE(s.waitFor(
      "caption",
      [](const JournalEntry& e) { return e.get("text").value_or("").find("[运行暂停]") != std::string::npos; }, 10000,
      mark));

  // The stack: three levels, the innermost first; the variables of that level under their
  // headings, with values and types, and the two kinds the host cannot show in words.
  ASSERT_TRUE(s.act("ui-click page-tab 断点栈堆"));
  ASSERT_TRUE(s.find("list-item \"窗口程序集_启动窗口._按钮1_被单击 (第 12 行)\"", 10000));
  EXPECT_TRUE(s.find("list-item \"窗口程序集_启动窗口._启动窗口_创建完毕 (第 5 行)\""));
  EXPECT_TRUE(s.find("list-item (系统入口)"));
  EXPECT_TRUE(s.find("list-item 子程序局部变量"));
  EXPECT_TRUE(s.find("list-item 局部整数 value=局部整数?5?整数型"));
  EXPECT_TRUE(s.find("list-item 局部数组 value=局部数组?数组类型不支持自动显示?整数型"));
  EXPECT_TRUE(s.find("list-item 全局坐标 value=全局坐标?自定义类型不支持自动显示?坐标"));
  // Paused: 运行 and stepping on, the frame in its paused look.
  const auto run = s.find("push-button 运行(F5)");
  ASSERT_TRUE(run);
  EXPECT_FALSE(Session::has(*run, "unavailable"));
  const auto step = s.find("push-button 单步(F8)");
  ASSERT_TRUE(step);
  EXPECT_FALSE(Session::has(*step, "unavailable"));
  EXPECT_TRUE(testing::pumpMessagesUntil([&] { return frameBand(s) != idleBand; }, 10000)) << "the paused look";

  // The user picks the outermost level: the host's stack moves down twice and the variables
  // follow; back to the innermost: up twice.
  size_t before = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item (系统入口)"));
  auto keysTo = [&](WPARAM key, size_t since) {
    size_t n = 0;
    for (const JournalEntry& e : s.entries("ctl-msg", since))
      if (e.get("control") == "1167" && e.number("msg", 0) == WM_KEYDOWN && e.number("wparam", 0) == key) ++n;
    return n;
  };
  ASSERT_TRUE(s.waitFor("variables-filled", fieldIs("level", 2), 10000, before));
  EXPECT_EQ(keysTo(VK_DOWN, before), 2u);
  before = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item \"窗口程序集_启动窗口._按钮1_被单击 (第 12 行)\""));
  ASSERT_TRUE(s.waitFor("variables-filled", fieldIs("level", 0), 10000, before));
  EXPECT_EQ(keysTo(VK_UP, before), 2u);

  // A double click on a level opens its place in the code.
  before = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item \"窗口程序集_启动窗口._启动窗口_创建完毕 (第 5 行)\" clicks=2"));
  const auto opened = s.waitFor("stack-open", {}, 10000, before);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->get("text"), "窗口程序集_启动窗口._启动窗口_创建完毕 (第 5 行)");

  // Resumed from the tool bar: both lists empty, the run goes on to its end.
  before = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 运行(F5)"));
  ASSERT_TRUE(s.waitFor("debug-ended", {}, 20000, before));
  EXPECT_TRUE(s.act("ui-absent list-item 局部整数"));
  EXPECT_TRUE(s.act("ui-absent list-item (系统入口)"));
  EXPECT_TRUE(bandBecomes(s, idleBand)) << "the normal look";
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(DebuggingRun, AWatchAddedFromThePaneFollowsTheHostAndIsDeletedByItsRow) {
  Session s("e2e_debug_watch");
  openProject(s);
  ASSERT_TRUE(s.act("debuggee-script \"int3;sleep 300;exit 0\""));
  ASSERT_TRUE(runToNextBreakpoint(s));
  ASSERT_TRUE(s.act("ui-click page-tab 变量监视"));
  // "添加变量": the host asks for the expression and inserts it; the pane shows its cells.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 添加变量"));
  const auto asked = s.waitFor("ide", fieldIs("number", "0x05010005"), 5000, mark);
  ASSERT_TRUE(asked);
  EXPECT_TRUE(s.find("list-item 全局计数 value=全局计数?*?整数型?3", 5000));
  // "删除选择" with nothing selected sends nothing; with the row selected the host deletes it.
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 删除选择"));
  EXPECT_TRUE(s.entries("watch-deleted", mark).empty());
  ASSERT_TRUE(s.act("ui-click list-item 全局计数"));
  ASSERT_TRUE(s.act("ui-click push-button 删除选择"));
  const auto deleted = s.waitFor("watch-deleted", {}, 5000, mark);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(deleted->get("text"), "全局计数");
  EXPECT_TRUE(s.act("ui-absent list-item 全局计数"));
  // A host insert at index 0 is appended after the rows already there; the host's clear empties it.
  ASSERT_TRUE(s.act("watch-add 计次 整数型 3"));
  ASSERT_TRUE(s.act("watch-add 标题 文本型 \"“演示”\""));
  EXPECT_TRUE(s.find("list-item 标题 value=标题?*?文本型?“演示”"));
  ASSERT_TRUE(s.act("watch-clear"));
  EXPECT_TRUE(s.act("ui-absent list-item 计次"));
  EXPECT_TRUE(s.act("ui-absent list-item 标题"));
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended"));
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(DebuggingRun, TheProgramsDisassemblyCallsFillThePaneEachReplacingTheLast) {
  Session s("e2e_debug_disasm");
  openProject(s);
  ASSERT_TRUE(s.act("notepad-open"));
  DeleteFileA(testing::winePath(TOVALUX_HOST_DIR "/temp/olly.dll").c_str());
  DeleteFileA(testing::winePath(TOVALUX_HOST_DIR "/temp/BeaEngine.dll").c_str());
  ASSERT_TRUE(s.act("debuggee-script \"load;olly code 3;int3;bea 7 code 3;int3;bea 0 bad 3;int3;exit 0\""));
  // Each call's rows, seen while the program waits at the breakpoint after it: address, bytes,
  // the instruction lower-cased; the second call's rows replace the first's.
  ASSERT_TRUE(runToNextBreakpoint(s));
  ASSERT_TRUE(s.act("ui-click page-tab 反汇编显示"));
  EXPECT_TRUE(s.find("list-item * value=\"*?55?push ebp\"", 5000));
  EXPECT_TRUE(s.find("list-item * value=\"*?8BEC?mov ebp,esp\""));
  // Blocks from a process that is not the one debugged are not shown.
  EXPECT_EQ(testing::sendDisassemblyBlock(s.run().mainWindow(), "64 64 pid=self fill=\"401000 | 90 | NOP\r\n\""), 0u);
  EXPECT_TRUE(s.act("ui-absent list-item * value=*?90?nop"));
  ASSERT_TRUE(runToNextBreakpoint(s));
  EXPECT_TRUE(s.find("list-item * value=\"*?8B EC?mov*ebp, esp\"", 5000)) << "syntax 7 is NASM";
  EXPECT_TRUE(s.act("ui-absent list-item * value=\"*?8BEC?mov ebp,esp\""));
  // A first byte no engine decodes: a block of the process id alone, and an empty list.
  ASSERT_TRUE(runToNextBreakpoint(s));
  EXPECT_TRUE(s.act("ui-absent list-item * value=\"*?8B EC?mov*ebp, esp\""));
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 运行(F5)"));
  ASSERT_TRUE(s.waitFor("debug-ended", {}, 20000, mark));
  // With no run, a block is not shown either.
  EXPECT_EQ(testing::sendDisassemblyBlock(s.run().mainWindow(), "64 64 pid=self fill=\"401000 | 90 | NOP\r\n\""), 0u);
  EXPECT_TRUE(s.act("ui-absent list-item * value=*?90?nop"));
  // The engines written beside the program, the IDE's process id in the log for each block.
  EXPECT_NE(GetFileAttributesA(testing::winePath(TOVALUX_HOST_DIR "/temp/olly.dll").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(testing::winePath(TOVALUX_HOST_DIR "/temp/BeaEngine.dll").c_str()),
            INVALID_FILE_ATTRIBUTES);
  const std::string pidLine = " 进程标识:" + std::to_string(s.run().processId());
  EXPECT_EQ(s.entries("notepad").size() >= 3 ? 1 : 0, 1);
  size_t pidLines = 0;
  for (const JournalEntry& e : s.entries("notepad"))
    if (e.get("text") == pidLine) ++pidLines;
  EXPECT_EQ(pidLines, 3u);
  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
