// The build-output markers, the launch filter and the exact lines of the debugging-run log.
#include <gtest/gtest.h>

#include "debugging/run_log_rules.h"

namespace tovalux::debuglog {
namespace {

TEST(BuildOutput, MarkedLinesShowTheirTextAfterTheMarkerInTheirStyle) {
  const OutputLine green = classifyOutput("* “tv.s” | 编译成功\r\n");
  EXPECT_EQ(green.style, OutputStyle::kSuccess);
  EXPECT_EQ(green.text, "* 编译成功\r\n");
  EXPECT_EQ(classifyOutput("* “tv.w” | 警告").style, OutputStyle::kWarning);
  EXPECT_EQ(classifyOutput("* “tv.d” | 调试").text, "* 调试");
  // The text after the last occurrence of the marker.
  EXPECT_EQ(classifyOutput("* “tv.s” | a * “tv.s” | b").text, "* b");
}

TEST(BuildOutput, CapitalMarkerShowsTheTextAfterItsThirteenBytes) {
  const OutputLine line = classifyOutput("* “TV.W” | 注意");
  EXPECT_EQ(line.style, OutputStyle::kWarning);
  EXPECT_EQ(line.text, "* 注意");
}

TEST(BuildOutput, UnmarkedAndShortTextsStayAsTheyAre) {
  for (const char* text : {"开始编译: C:\\demo.e\r\n", "", "* “tv", "* “tv.s”", "* “tv.x” | 其它"}) {
    const OutputLine line = classifyOutput(text);
    EXPECT_EQ(line.style, OutputStyle::kDefault) << text;
    EXPECT_EQ(line.text, text);
  }
  EXPECT_EQ(marker(OutputStyle::kSuccess).size(), kMarkerBytes);
  EXPECT_EQ(styleColour(OutputStyle::kDebug).green, 204);
}

TEST(Launch, OnlyASuccessfulDebugLaunchOfATmpProgramStartsARun) {
  EXPECT_TRUE(startsDebuggingRun(true, 1234, kDebugOnlyThisProcess, "e_123.tmp"));
  EXPECT_TRUE(startsDebuggingRun(true, 1234, kDebugProcess | 0x10, "PROGRAM.TMP"));
  EXPECT_FALSE(startsDebuggingRun(false, 0, kDebugOnlyThisProcess, "e_123.tmp"));  // missing file
  EXPECT_FALSE(startsDebuggingRun(true, 0, kDebugOnlyThisProcess, "e_123.tmp"));
  EXPECT_FALSE(startsDebuggingRun(true, 1234, 0, "e_123.tmp"));  // a .tmp program run plainly
  EXPECT_FALSE(startsDebuggingRun(true, 1234, kDebugProcess, "link.exe"));
}

TEST(Launch, ProgramNameIsTheFileNamePart) {
  EXPECT_EQ(programName("C:\\ehost\\temp\\e_123.tmp"), "e_123.tmp");
  EXPECT_EQ(programName("\"C:\\Program Files\\e\\e_1.tmp\" -x"), "e_1.tmp");
  EXPECT_EQ(programName("cmd.exe /c exit"), "c exit");  // as PathFindFileNameA, '/' separates
  EXPECT_EQ(programName("D:/a/b.tmp"), "b.tmp");
  EXPECT_EQ(programName("C:\\東京\\乗.tmp"), "乗.tmp");  // 0x5C and 0x7C trail bytes are not separators
}

TEST(Log, LinesAreExactlyTheHostsOwn) {
  EXPECT_EQ(startLine(1234, "e_123.tmp"), "程序 [1234] \"e_123.tmp\" 开始调试。\r\n");
  EXPECT_EQ(stopLine(1234, "e_123.tmp"), "程序 [1234] \"e_123.tmp\" 停止调试。\r\n");
  EXPECT_EQ(exceptionLine(0xC0000005, 0x00401000),
            "触发异常， 程序正在读写一个不可访问的地址。 目标地址 4198400 (0x401000)。\r\n");
  EXPECT_EQ(exceptionLine(0xE06D7363, 0x7C81EB33),
            "触发异常， 未记录的错误代码:-529697949。 目标地址 2088889139 (0x7c81eb33)。\r\n");
  EXPECT_EQ(exceptionLine(0x80000003, 0), "触发断点。 目标地址 0 (0x0)。\r\n");
  EXPECT_EQ(exceptionLine(0xC0000094, 0x80001000),
            "触发异常， 整数除法的除数是 0 。 目标地址 -2147479552 (0x80001000)。\r\n");
}

TEST(Log, ExceptionTableKeepsTheHostsWording) {
  EXPECT_EQ(exceptionText(0x80000002), "触发触发异常， 程序正在读取一个未经对齐的数据。");
  EXPECT_EQ(exceptionText(0xC000008D), "触发异常， 浮点数操作的操作数是非正常的。。");
  EXPECT_EQ(exceptionText(0x80000004), "触发单步。");
  EXPECT_EQ(exceptionText(0xC00000FD), "触发异常， 堆栈溢出。");
  EXPECT_EQ(exceptionText(0x00000001), "触发异常， 未记录的错误代码:1。");
  EXPECT_EQ(hexText(0), "0");
  EXPECT_EQ(hexText(0xABCDEF01), "ABCDEF01");
}

TEST(Log, EventsOfOtherProcessesOrAnEmptyBufferAreNotTheRuns) {
  EXPECT_TRUE(eventOfRun(1234, 88, 1234));
  EXPECT_FALSE(eventOfRun(0, 0, 1234));
  EXPECT_FALSE(eventOfRun(1234, 0, 1234));
  EXPECT_FALSE(eventOfRun(999, 88, 1234));
  EXPECT_FALSE(eventOfRun(0, 88, 0));
  EXPECT_TRUE(designerPageTitle("窗口: _启动窗口"));
  EXPECT_FALSE(designerPageTitle("程序集: 窗口程序集_启动窗口"));
}

}  // namespace
}  // namespace tovalux::debuglog
