// The host's model and the actions that change it: caption and run state, code pages and the
// queries answered from them, the refused close.
#include <gtest/gtest.h>

#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "host/host_protocol.h"
#include "host/ide_functions.h"

namespace tovalux::testing {
namespace {

// A project file for the caption: a full path without '-'.
std::string projectPath() { return programDirectory() + "\\demo_project.e"; }

TEST(HostModel, TheCaptionFollowsTheProjectAndTheRunState) {
  HostFixture host;
  DeleteFileA(projectPath().c_str());
  EXPECT_FALSE(host.action("project " + projectPath()).ok);  // no such file yet
  ASSERT_TRUE(host.action("project " + projectPath() + " create=1").ok);
  auto caption = [&] {
    char text[300] = {};
    GetWindowTextA(host.mainWindow(), text, sizeof text);
    return std::string(text);
  };
  EXPECT_EQ(caption(), "易语言 - " + projectPath());
  ASSERT_TRUE(host.action("run-state paused").ok);
  EXPECT_EQ(caption(), "易语言 - " + projectPath() + " - [运行暂停]");
  ASSERT_TRUE(host.action("run-state running").ok);
  ASSERT_TRUE(host.action("project " + projectPath() + " variant=test").ok);
  EXPECT_EQ(caption(), "易语言 - 测试 - " + projectPath() + " - [正在运行]");
  // Every change is followed by the status-line message the plug-in listens for.
  EXPECT_EQ(host.count("private", fieldIs("msg", "0x00000362")), 4u);

  EXPECT_FALSE(host.action("project C:\\a-b.e create=1").ok);  // a '-' would split the caption
  EXPECT_FALSE(host.action("run-state flying").ok);
  ASSERT_TRUE(host.action("project-close").ok);
  EXPECT_EQ(caption(), "易语言");
  DeleteFileA(projectPath().c_str());
}

TEST(HostModel, PagesAreMadeActivatedAndClosedAsTheHostDoes) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(host.action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
  const size_t beforeDesigner = host.journalSize();
  ASSERT_TRUE(host.action("page-open \"窗口: _启动窗口\"").ok);
  // The activation comes after WM_MDICREATE has returned, when a library's subclass can see it.
  bool created = false, activatedAfter = false;
  for (const standin::JournalEntry& entry : host.journal().entriesFrom(beforeDesigner)) {
    created = created || entry.kind == "page-created";
    activatedAfter = activatedAfter || (created && entry.kind == "page-activated");
  }
  EXPECT_TRUE(activatedAfter);
  EXPECT_FALSE(host.action("page-open \"窗口: _启动窗口\"").ok);  // already open

  const standin::PageRecord* code = host.model().pageByTitle("程序集: 窗口程序集_启动窗口");
  const standin::PageRecord* designer = host.model().pageByTitle("窗口: _启动窗口");
  ASSERT_TRUE(code && designer);
  EXPECT_EQ(code->kind, 1);
  EXPECT_EQ(designer->kind, 5);
  // page -> 0xE900 -> 0xE900 -> 1 for code; page -> 0xE900 -> 1 for the designer.
  EXPECT_EQ(GetDlgItem(GetDlgItem(GetDlgItem(code->window, 0xE900), 0xE900), 1), code->editor);
  EXPECT_NE(GetDlgItem(GetDlgItem(code->window, 0xE900), 0xEA10), nullptr);
  EXPECT_EQ(GetDlgItem(GetDlgItem(designer->window, 0xE900), 1), designer->editor);
  char title[64] = {};
  GetWindowTextA(designer->window, title, sizeof title);
  EXPECT_STREQ(title, "窗口: _启动窗口");

  // The active page answers the plug-in's queries.
  EXPECT_EQ(queryIdeValue(ide::kQueryPageKind, -1), ide::kPageWindowDesigner);
  ASSERT_TRUE(host.action("page-activate \"程序集: 窗口程序集_启动窗口\"").ok);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(host.tree().mdiClient, WM_MDIGETACTIVE, 0, 0)), code->window);
  EXPECT_EQ(queryIdeValue(ide::kQueryPageKind, -1), ide::kPageCode);
  PostMessageA(code->codeView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4 * 8 + 3, 11 * 16 + 5));
  ASSERT_TRUE(host.waitForJournal("caret"));
  EXPECT_EQ(queryIdeValue(ide::kQueryCaretRow, -1), 11);
  EXPECT_EQ(queryIdeValue(ide::kQueryCaretColumn, -1), 4);

  const HWND closing = code->window;
  ASSERT_TRUE(host.action("page-close \"程序集: 窗口程序集_启动窗口\" via=mdi").ok);
  EXPECT_FALSE(IsWindow(closing));
  EXPECT_EQ(host.count("page-ncdestroy", fieldIs("hwnd", reinterpret_cast<intptr_t>(closing))), 1u);
  EXPECT_EQ(host.model().pages.size(), 1u);
  ASSERT_TRUE(host.action("page-close \"窗口: _启动窗口\" via=destroy").ok);
  EXPECT_TRUE(host.model().pages.empty());
  EXPECT_EQ(queryIdeValue(ide::kQueryPageKind, -1), ide::kPageNone);
}

TEST(HostModel, ARefusedCloseKeepsTheHostAndTheShellRunning) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(host.action("mode refuse-close 1").ok);
  ASSERT_TRUE(host.action("close").ok);
  ASSERT_TRUE(host.waitForJournal("close-refused"));
  EXPECT_TRUE(IsWindow(host.mainWindow()));
  EXPECT_TRUE(host.host().librariesRunning());
  EXPECT_EQ(host.count("notify", fieldIs("code", 6)), 0u);

  ASSERT_TRUE(host.action("close").ok);  // the refusal was used up
  ASSERT_TRUE(host.waitForJournal("closed"));
  EXPECT_EQ(host.count("notify", fieldIs("code", 6)), 1u);
  EXPECT_EQ(host.mainWindow(), nullptr);
  EXPECT_FALSE(host.host().librariesRunning());
}

TEST(HostModel, WindowStateRecordsWhatALibraryChanged) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(host.action("window-state started").ok);
  const auto state = host.waitForJournal("window-state", fieldIs("label", "started"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("dock-bars"), "0000");
  EXPECT_EQ(state->number("grid-alive"), 1);
  EXPECT_EQ(state->number("grid-home"), 1);

  // A subclass and a new parent show up.
  SetParent(host.tree().eventCombo, nullptr);
  const LONG_PTR own =
      SetWindowLongPtrA(host.tree().mdiClient, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
  ASSERT_TRUE(host.action("window-state changed").ok);
  SetWindowLongPtrA(host.tree().mdiClient, GWLP_WNDPROC, own);
  const auto changed = host.waitForJournal("window-state", fieldIs("label", "changed"));
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->number("mdi-own-proc"), 0);
  EXPECT_EQ(changed->number("main-own-proc"), 0);  // start-up's hooks subclass the main window
  EXPECT_EQ(changed->number("combo1059-home"), 0);
  EXPECT_EQ(changed->number("combo1059-alive"), 1);
}

}  // namespace
}  // namespace tovalux::testing
