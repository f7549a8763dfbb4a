// ehost.exe with the real Tovalux.fne: the shell stands around the host, the user closes the IDE
// from the frame, and a screenshot of the shell is kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "common/e2e_runner.h"

namespace tovalux {
namespace {

using standin::JournalEntry;

using testing::EhostRun;
using testing::fieldIs;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ShellEndToEnd, ThePluginCarriesTheEnginesAndPictures) {
  HMODULE plugin =
      LoadLibraryExA(testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux.fne").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr);
  auto rcdata = [plugin](int id) {
    HRSRC info = FindResourceA(plugin, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    HGLOBAL data = info ? LoadResource(plugin, info) : nullptr;
    return data ? std::string(static_cast<const char*>(LockResource(data)), SizeofResource(plugin, info)) : "";
  };
  EXPECT_EQ(rcdata(101), readAll(testing::winePath(TOVALUX_BUILD_DIR "/engines/olly.dll")));
  EXPECT_EQ(rcdata(102), readAll(testing::winePath(TOVALUX_BUILD_DIR "/engines/BeaEngine.dll")));
  EXPECT_EQ(rcdata(103).substr(1, 3), "PNG");
  HBITMAP banner = LoadBitmapA(plugin, MAKEINTRESOURCEA(620));
  ASSERT_NE(banner, nullptr);
  BITMAP info{};
  GetObjectA(banner, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 500);
  EXPECT_EQ(info.bmHeight, 300);
  DeleteObject(banner);
  FreeLibrary(plugin);
}

TEST(ShellEndToEnd, TheHostStandsInsideTheFrameAndClosesThroughIt) {
  // Start-up writes the engine beside the host when it is missing.
  const std::string olly = testing::winePath(TOVALUX_HOST_DIR "/olly.dll");
  DeleteFileA(olly.c_str());
  DeleteFileA(testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux/Tovalux.ini").c_str());  // a first start
  EhostRun run({.name = "e2e_shell"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  HWND main = run.mainWindow();
  HWND frame = GetParent(main);
  ASSERT_NE(frame, nullptr);
  char name[32] = {};
  GetClassNameA(frame, name, sizeof name);
  EXPECT_STREQ(name, "Tovalux");
  ASSERT_TRUE(run.send("window-state started"));
  auto state = run.waitForJournal("window-state", fieldIs("label", "started"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent-class"), "Tovalux");
  EXPECT_EQ(state->get("dock-bars"), "0000");
  EXPECT_TRUE(run.screenshot("shell"));  // artefacts/e2e_shell-shell.png

  // The user closes the frame and answers No: nothing changes.
  ASSERT_TRUE(run.send("dialog-answer 退出 no"));
  PostMessageA(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(run.waitForJournal("dialog", fieldIs("answered", "script")));
  EXPECT_EQ(GetParent(main), frame);

  // Yes, but the host refuses (its save prompt cancelled): the host goes back into the frame.
  ASSERT_TRUE(run.send("mode refuse-close 1"));
  ASSERT_TRUE(run.send("dialog-answer 退出 yes"));
  PostMessageA(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(run.waitForJournal("close-refused"));
  ASSERT_TRUE(run.send("window-state refused"));
  state = run.waitForJournal("window-state", fieldIs("label", "refused"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent-class"), "Tovalux");

  // Yes again: the host closes, the shell goes with one notification 6, the program ends normally.
  ASSERT_TRUE(run.send("dialog-answer 退出 yes"));
  PostMessageA(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(run.waitForExit(), 0);
  EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);
  EXPECT_EQ(run.count("notify", fieldIs("code", 1)), 1u);
  EXPECT_EQ(run.count("close-refused"), 1u);
  EXPECT_EQ(run.count("closed"), 1u);
  EXPECT_EQ(readAll(olly), readAll(testing::winePath(TOVALUX_BUILD_DIR "/engines/olly.dll")));

  std::ifstream file(run.artefact("e2e_shell-shell.png"), std::ios::binary);
  unsigned char header[24] = {};
  file.read(reinterpret_cast<char*>(header), sizeof header);
  ASSERT_EQ(std::string(reinterpret_cast<char*>(header) + 1, 3), "PNG");
  // The picture is the frame (1100 x 800 on a first start), not the bare host window.
  auto bigEndian = [](const unsigned char* b) {
    return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
  };
  EXPECT_EQ(bigEndian(header + 16), 1100u);
  EXPECT_EQ(bigEndian(header + 20), 800u);
}

TEST(ShellEndToEnd, AfterSeventeenTheHostRunsOnAndANewStartBuildsNothing) {
  EhostRun run({.name = "e2e_shell17"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  HWND main = run.mainWindow();
  ASSERT_TRUE(run.send("notify 17"));
  ASSERT_TRUE(run.send("window-state after-17"));
  auto state = run.waitForJournal("window-state", fieldIs("label", "after-17"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent"), "0");
  EXPECT_EQ(state->get("main-style"), "0x14CF0000");
  EXPECT_EQ(state->get("main-layered"), "0");
  EXPECT_EQ(state->get("grid-alive"), "1");
  EXPECT_EQ(state->get("combo1059-alive"), "1");
  EXPECT_EQ(state->get("dock-bars"), "1111");

  // Two seconds of the host's own traffic, then notification 1 again: answered, nothing built.
  const DWORD until = GetTickCount() + 2000;
  while (GetTickCount() < until) {
    ASSERT_TRUE(run.send("page-open \"程序集: 窗口程序集_启动窗口\""));
    ASSERT_TRUE(run.send("run-state running"));
    ASSERT_TRUE(run.send("run-state idle"));
    ASSERT_TRUE(run.send("page-close \"程序集: 窗口程序集_启动窗口\""));
  }
  ASSERT_TRUE(run.send("start"));
  ASSERT_TRUE(run.send("window-state restarted"));
  state = run.waitForJournal("window-state", fieldIs("label", "restarted"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent"), "0");
  EXPECT_EQ(FindWindowA("Tovalux", "易语言 - Tovalux IDE"), nullptr);
  EXPECT_EQ(GetParent(main), nullptr);
  ASSERT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
  EXPECT_EQ(run.count("notify", fieldIs("code", 1)), 2u);
}

}  // namespace
}  // namespace tovalux
