// The plug-in's screen read as a screen reader reads it: ereader.exe, a process of its own, gets
// the frame's accessible objects through AccessibleObjectFromWindow (every call crosses into
// ehost.exe and back) and writes them down; the user would hear the menus, the tool-bar buttons
// by their tips, the panes by their titles, the tabs and the status bar. The stand-in's own
// ui-find and ui-press act through the same interface: the File menu opened that way is read
// from outside as well.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux {
namespace {

using standin::JournalEntry;
using testing::EhostRun;
using testing::fieldIs;

// Runs ereader.exe on `window` and answers the entries it wrote (empty when it failed).
std::vector<JournalEntry> readFromOutside(HWND window, const std::string& out) {
  DeleteFileA(out.c_str());
  std::string command = "\"" + testing::winePath(TOVALUX_HOST_DIR "/ereader.exe") + "\" --window " +
                        std::to_string(reinterpret_cast<uintptr_t>(window)) + " --out \"" + out + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "ereader.exe did not start: " << GetLastError();
    return {};
  }
  // The reader's calls are served by ehost's UI thread, not by this process: waiting here blocks
  // nothing they need.
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_TRUE(ended) << "ereader.exe did not finish";
  EXPECT_EQ(code, 0u) << "ereader.exe could not read";
  std::vector<JournalEntry> entries;
  std::ifstream in(out, std::ios::binary);
  for (std::string line; std::getline(in, line);)
    if (auto entry = standin::parseJournalLine(line)) entries.push_back(*entry);
  return entries;
}

bool has(const std::vector<JournalEntry>& entries, const std::string& role, const std::string& name) {
  for (const JournalEntry& e : entries)
    if (e.kind == "ui" && e.get("role") == role && e.get("name") == name) return true;
  return false;
}

size_t countRole(const std::vector<JournalEntry>& entries, const std::string& role) {
  size_t n = 0;
  for (const JournalEntry& e : entries) n += e.kind == "ui" && e.get("role") == role;
  return n;
}

TEST(AccessEndToEnd, AnotherProcessReadsTheFrameAsAScreenReaderDoes) {
  EhostRun run({.name = "e2e_access"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  HWND main = run.mainWindow();
  ASSERT_NE(main, nullptr);

  std::vector<JournalEntry> frame = readFromOutside(main, run.artefact("e2e_access-frame.jsonl"));
  ASSERT_FALSE(frame.empty());
  // The frame first: its client object at depth 0, a window with the frame's title.
  EXPECT_EQ(frame.front().get("depth"), "0");
  EXPECT_EQ(frame.front().get("role"), "window");
  EXPECT_NE(frame.front().get("name").value_or("").find("Tovalux"), std::string::npos);
  // What the user sees of the shell, by role and name.
  EXPECT_TRUE(has(frame, "menu-bar", ""));
  for (const char* menu : {"文件(F)", "编辑(E)"}) EXPECT_TRUE(has(frame, "menu-item", menu)) << menu;
  EXPECT_TRUE(has(frame, "push-button", "新建")) << "a tool-bar button is named by its tip";
  for (const char* pane : {"易支持库", "项目结构", "调试输出"}) EXPECT_TRUE(has(frame, "pane", pane)) << pane;
  EXPECT_GE(countRole(frame, "page-tab"), 2u);
  EXPECT_EQ(countRole(frame, "status-bar"), 1u);
  // Places are on the screen, inside the frame.
  const JournalEntry& root = frame.front();
  for (const JournalEntry& e : frame)
    if (e.kind == "ui" && e.get("role") == "push-button" && e.get("name") == "新建") {
      EXPECT_GT(e.number("width", 0), 0);
      EXPECT_GT(e.number("height", 0), 0);
      EXPECT_GE(e.number("x", -1), root.number("x", 0));
      EXPECT_LE(e.number("x", 0) + e.number("width", 0), root.number("x", 0) + root.number("width", 0));
    }
  ASSERT_EQ(frame.back().kind, "ui-dump");
  EXPECT_GT(frame.back().number("objects", 0), 100);

  // The same objects, read inside the host by the stand-in's actions.
  ASSERT_TRUE(run.send("ui-find menu-item 文件(F)"));
  ASSERT_TRUE(run.waitForJournal("ui-found", fieldIs("name", "文件(F)")));
  EXPECT_FALSE(run.send("ui-find menu-item 没有这个菜单"));
  ASSERT_TRUE(run.send("ui-dump"));
  auto dump = run.waitForJournal("ui-dump");
  ASSERT_TRUE(dump);
  EXPECT_GE(dump->number("objects", 0), frame.back().number("objects", 0));

  // The File menu opened through its default action: its pop-up is read from outside too.
  ASSERT_TRUE(run.send("ui-press menu-item 文件(F)"));
  ASSERT_TRUE(run.waitForJournal("ui-pressed", fieldIs("hr", "0x00000000")));
  std::vector<JournalEntry> withMenu = readFromOutside(main, run.artefact("e2e_access-menu.jsonl"));
  bool popup = false;
  size_t items = 0;
  for (const JournalEntry& e : withMenu) {
    if (e.kind == "ui" && e.get("depth") == "0" && e.get("role") == "menu") popup = true;
    if (popup && e.kind == "ui" && e.get("depth") == "1" && e.get("role") == "menu-item") ++items;
  }
  EXPECT_TRUE(popup) << "the menu's pop-up is one of the toolkit's top-level windows";
  EXPECT_GE(items, 3u);
  ASSERT_TRUE(run.send("ui-press menu-item 文件(F)"));  // closes it again

  EXPECT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
}

}  // namespace
}  // namespace tovalux
