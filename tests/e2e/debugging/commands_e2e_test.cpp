// The library commands end to end: ehost.exe debugs e-sample.exe, which loads Tovalux.fne and
// calls both commands on its own code. Here the IDE side is the stand-in alone, holding its main
// window in a "Tovalux" frame of its own (frame-stand-in), so every block the commands send is
// recorded as it arrives ("disasm-block"): what the program decodes, cuts and delivers, apart
// from what the IDE's shell then shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "debugging_e2e.h"

namespace tovalux::testing {
namespace {

constexpr int64_t kBlockCap = 4 << 20;

TEST(Commands, BothEnginesListTheSamplesCodeAndEachCallSendsItsOwnBlock) {
  EhostRun ide({.name = "e2e_dbg_engines", .plugins = false});
  ASSERT_TRUE(ide.start());
  ASSERT_TRUE(ide.send("frame-stand-in"));
  ASSERT_TRUE(ide.send("notepad-open"));
  // Written when missing: the engines beside the temporary program.
  DeleteFileA(hostFile("temp\\olly.dll").c_str());
  DeleteFileA(hostFile("temp\\BeaEngine.dll").c_str());
  const DebugRun run = debugSample(ide, "load;symbols;olly code 3;bea 7 code 3;bea 0 bad 3;olly code 2;exit 0");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0);

  const auto blocks = entriesOf(ide, "disasm-block");
  ASSERT_EQ(blocks.size(), 4u);
  const std::string code = hexAddress(run.symbol("code"));
  for (const auto& block : blocks) EXPECT_EQ(block.number("pid"), run.pid);
  EXPECT_EQ(blocks[0].get("first"), code + " | 55                       | PUSH EBP");
  EXPECT_EQ(blocks[0].get("last"), hexAddress(run.symbol("code") + 1) + " | 8BEC                     | MOV EBP,ESP");
  EXPECT_EQ(blocks[0].number("lines"), 2);
  EXPECT_EQ(blocks[0].number("ends-with-crlf"), 0);
  // Syntax 7 is taken as NASM; the machine code is built from the bytes.
  EXPECT_EQ(blocks[1].get("last"),
            hexAddress(run.symbol("code") + 1) + " | 8B EC                    | mov        ebp, esp");
  // A first byte BeaEngine cannot decode: the block holds the process id alone.
  EXPECT_EQ(blocks[2].number("bytes"), 4);
  // A length that ends inside an instruction decodes it whole.
  EXPECT_EQ(blocks[3].number("lines"), 2);

  EXPECT_TRUE(fileExists(hostFile("temp\\olly.dll")));
  EXPECT_TRUE(fileExists(hostFile("temp\\BeaEngine.dll")));
  EXPECT_EQ(ide.count("notepad", fieldIs("text", " 进程标识:" + std::to_string(hostPid(ide)))), 4u);
  EXPECT_TRUE(ide.send("close"));
  EXPECT_EQ(ide.waitForExit(), 0);
}

TEST(Commands, UnreadableMemoryAndBadArgumentsNeverHurtTheProgram) {
  EhostRun ide({.name = "e2e_dbg_unreadable", .plugins = false});
  ASSERT_TRUE(ide.start());
  ASSERT_TRUE(ide.send("frame-stand-in"));
  const DebugRun run = debugSample(ide,
                                   "load;noaccess;olly edge 256;bea 0 edge 256;"
                                   "olly 0x7FFFFFF0 0x100;olly 1 0x7FFFFFFF;bea 0 0x7FFFFFF0 0x100;"
                                   "olly 0 5;olly -5 5;olly code 0;bea 0 code -1;"
                                   "call olly count=1;call olly null;call bea count=2;call bea null;exit 0");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0);

  // A range that runs into a no-access page: the twelve NOPs before the page's last three bytes
  // and the MOV that starts there is left out, with either engine.
  const auto blocks = entriesOf(ide, "disasm-block");
  ASSERT_EQ(blocks.size(), 5u);  // nothing at all for arguments below 1 or a bad argument array
  for (size_t i : {0, 1}) {
    EXPECT_EQ(blocks[i].number("lines"), 13) << i;
    EXPECT_EQ(addressOf(*blocks[i].get("last")), hexAddress(run.symbol("edge") + 12));
  }
  // A range whose int32 end would overflow, from an address the program cannot read: an empty
  // text, sent at once.
  for (size_t i : {2, 3, 4}) EXPECT_EQ(blocks[i].number("bytes"), 4) << i;
  for (double ms : run.commandMilliseconds()) EXPECT_LT(ms, 1000.0);
  EXPECT_EQ(run.commandMilliseconds().size(), 13u);
  // The commands never made the program fault: the loader's breakpoint is the only exception.
  EXPECT_EQ(ide.count("debug-exception"), 1u);
  EXPECT_TRUE(ide.send("close"));
  EXPECT_EQ(ide.waitForExit(), 0);
}

TEST(Commands, TheTextIsCutAtALineBoundaryToTheSharedCap) {
  EhostRun ide({.name = "e2e_dbg_cap", .plugins = false});
  ASSERT_TRUE(ide.start());
  ASSERT_TRUE(ide.send("frame-stand-in"));
  const DebugRun run = debugSample(
      ide,
      "load;buffer 1048576 sample;olly buf 1048576;bea 0 buf 1048576;buffer 65536 sample;olly buf 65536;bea 0 buf "
      "65536;exit 0");
  ASSERT_TRUE(run.ended);
  const auto blocks = entriesOf(ide, "disasm-block");
  ASSERT_EQ(blocks.size(), 4u);
  const std::regex whole("[0-9A-F]+ \\| .{24} \\| .+");
  for (const auto& block : blocks) {
    EXPECT_LE(block.number("bytes"), kBlockCap);
    EXPECT_EQ(block.number("ends-with-crlf"), 0);
    EXPECT_TRUE(std::regex_match(*block.get("last"), whole)) << *block.get("last");
  }
  // A megabyte of code is more text than a block holds: it stops within one line of the cap.
  EXPECT_GT(blocks[0].number("bytes"), kBlockCap - 200);
  EXPECT_GT(blocks[1].number("bytes"), kBlockCap - 200);
  // 64 KB fits whole: its last line is the last instruction that starts in the range.
  EXPECT_LT(blocks[2].number("bytes"), kBlockCap / 2);
  const auto ms = run.commandMilliseconds();
  ASSERT_EQ(ms.size(), 4u);
  std::printf(
      "commands, decode and deliver: 1 MB olly %.0f ms (%lld lines), bea %.0f ms; 64 KB olly %.0f ms (%lld "
      "lines), bea %.0f ms\n",
      ms[0], static_cast<long long>(blocks[0].number("lines")), ms[1], ms[2],
      static_cast<long long>(blocks[2].number("lines")), ms[3]);
  EXPECT_TRUE(ide.send("close"));
  EXPECT_EQ(ide.waitForExit(), 0);
}

TEST(Commands, OllysOptionsAreSetOnceBeforeItsFirstDisasmInTheProgram) {
  const std::string log = artefactsFolder() + "\\e2e_dbg_engine_log.txt";
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("TOVALUX_ENGINE_LOG", log.c_str());
  DeleteFileA(hostFile("temp\\olly.dll").c_str());  // the plug-in's own, written afresh
  EhostRun ide({.name = "e2e_dbg_options", .plugins = false});
  const bool started = ide.start();
  SetEnvironmentVariableA("TOVALUX_ENGINE_LOG", nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(ide.send("frame-stand-in"));
  const DebugRun run = debugSample(ide, "load;olly code 3;olly code 3;bea 0 code 3;exit 0");
  ASSERT_TRUE(run.ended);
  std::ifstream in(log);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string prefix = std::to_string(run.pid) + " ";
    if (line.rfind(prefix, 0) == 0) calls.push_back(line.substr(prefix.size()));
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"VB_SetOptions 0 0 0 1", "Disasm"}));
  EXPECT_TRUE(ide.send("close"));
  EXPECT_EQ(ide.waitForExit(), 0);
}

TEST(Commands, EveryIdeGetsTheBlockAndAHungOneIsSkippedAfterTheTimeout) {
  EhostRun debugger({.name = "e2e_dbg_ide_a", .plugins = false});
  EhostRun other({.name = "e2e_dbg_ide_b", .plugins = false});
  ASSERT_TRUE(debugger.start());
  ASSERT_TRUE(other.start());
  ASSERT_TRUE(debugger.send("frame-stand-in"));
  ASSERT_TRUE(other.send("frame-stand-in"));

  const DebugRun first = debugSample(debugger, "load;olly code 3;exit 0");
  ASSERT_TRUE(first.ended);
  EXPECT_TRUE(other.waitForJournal("disasm-block", fieldIs("pid", first.pid)));
  EXPECT_EQ(debugger.count("disasm-block", fieldIs("pid", first.pid)), 1u);

  // The other IDE stops answering for 30 s: the command gives up on it after the timeout and the
  // debugging IDE still gets its block.
  ASSERT_TRUE(other.send("hang 30000"));
  ASSERT_TRUE(other.waitForJournal("hang"));
  const DebugRun second = debugSample(debugger, "load;olly code 3;exit 0");
  ASSERT_TRUE(second.ended);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(debugger.count("disasm-block", fieldIs("pid", second.pid)), 1u);
  const auto ms = second.commandMilliseconds();
  ASSERT_EQ(ms.size(), 1u);
  EXPECT_LT(ms[0], 6000.0);
  std::printf("command with one hung IDE: returned after %.0f ms\n", ms[0]);
  EXPECT_TRUE(debugger.send("close"));
  EXPECT_EQ(debugger.waitForExit(), 0);
}

}  // namespace
}  // namespace tovalux::testing
