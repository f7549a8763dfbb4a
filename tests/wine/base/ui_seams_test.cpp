// The seams for the plug-in's own modal UI: answered by a script in tests, by the real APIs
// otherwise (a real box answered here by the dialog watchdog).
#include "base/ui_seams.h"

#include <gtest/gtest.h>

#include "common/scripted_ui.h"
#include "dialog_watchdog.h"
#include "journal.h"

namespace tovalux {
namespace {

using testing::ScopedUiSeams;
using testing::ScriptedUi;

TEST(UiSeams, AScriptAnswersMessageBoxesAndRecordsWhatWasAsked) {
  ScriptedUi ui;
  ScopedUiSeams installed(ui);
  ui.answerMessageBox(IDYES);
  EXPECT_EQ(showMessageBox(nullptr, "你确定退出并关闭易语言吗?", "Tovalux 提示", MB_YESNO | MB_ICONQUESTION), IDYES);
  // Nothing queued: the safe answer, and the call shows as unscripted.
  EXPECT_EQ(showMessageBox(nullptr, "目前停靠功能仅 Windows 10 操作系统支持", "提示", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(showMessageBox(nullptr, "x", "", MB_OK), IDOK);

  const auto calls = ui.calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[0].scripted);
  EXPECT_EQ(calls[0].text, "你确定退出并关闭易语言吗?");
  EXPECT_EQ(calls[0].title, "Tovalux 提示");
  EXPECT_EQ(calls[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_FALSE(calls[1].scripted);
  EXPECT_EQ(ui.unscriptedCount(), 2u);
}

TEST(UiSeams, FileFontAndLaunchRequestsAreAnsweredFromTheScript) {
  ScriptedUi ui;
  ScopedUiSeams installed(ui);
  ui.answerOpenFiles({"C:\\模块\\a.ec", "C:\\模块\\b.ec"});
  ui.answerOpenFiles({"C:\\模块\\a.ec", "C:\\模块\\b.ec"});
  OpenFileRequest request;
  request.title = "添加模块";
  request.multiSelect = true;
  EXPECT_EQ(askOpenFiles(request).paths.size(), 2u);
  request.multiSelect = false;  // one file whatever the script queued
  EXPECT_EQ(askOpenFiles(request).paths, std::vector<std::string>{"C:\\模块\\a.ec"});
  EXPECT_FALSE(askOpenFiles(request).accepted);  // unscripted: cancelled

  LOGFONTA font{};
  lstrcpyA(font.lfFaceName, "微软雅黑");
  ui.answerFont(font, 120);
  FontRequest fontRequest;
  lstrcpyA(fontRequest.initial.lfFaceName, "宋体");
  const FontAnswer chosen = askFont(fontRequest);
  EXPECT_TRUE(chosen.accepted);
  EXPECT_STREQ(chosen.font.lfFaceName, "微软雅黑");
  EXPECT_EQ(chosen.pointSizeTenths, 120);
  ui.cancelFont();
  EXPECT_STREQ(askFont(fontRequest).font.lfFaceName, "宋体");  // cancelled: the initial font

  // A path with a comma stays one argument of explorer.
  EXPECT_TRUE(startExplorer(explorerSelectArguments("C:\\项目,1\\demo.e")));
  ui.answerShellExecute(false);
  EXPECT_FALSE(shellExecute(LaunchRequest{nullptr, "open", "https://example.invalid/", "", "", SW_SHOW}));
  const auto launches = ui.calls(ScriptedUi::Kind::kShellExecute);
  ASSERT_EQ(launches.size(), 2u);
  // By its full path from the Windows directory: an explorer.exe beside the IDE or in the current
  // directory is never the one started.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(launches[0].text, std::string(windows) + "\\explorer.exe");
  EXPECT_EQ(launches[0].text, explorerPath());
  EXPECT_EQ(launches[0].parameters, "/select,\"C:\\项目,1\\demo.e\"");
  EXPECT_FALSE(launches[0].scripted);
  EXPECT_TRUE(launches[1].scripted);
}

TEST(UiSeams, AMultiSelectionBecomesFullPaths) {
  const char several[] = "C:\\模块\0a.ec\0b.ec\0";
  EXPECT_EQ(splitOpenFileBuffer(several, sizeof several),
            (std::vector<std::string>{"C:\\模块\\a.ec", "C:\\模块\\b.ec"}));
  const char root[] = "C:\\\0a.ec\0b.ec\0";
  EXPECT_EQ(splitOpenFileBuffer(root, sizeof root), (std::vector<std::string>{"C:\\a.ec", "C:\\b.ec"}));
  // The folder's last character is double-byte with '\' as its second byte: still a separator.
  const char gbk[] = "C:\\乗\0a.ec\0b.ec\0";
  EXPECT_EQ(splitOpenFileBuffer(gbk, sizeof gbk), (std::vector<std::string>{"C:\\乗\\a.ec", "C:\\乗\\b.ec"}));
  const char one[] = "C:\\模块\\a.ec\0";
  EXPECT_EQ(splitOpenFileBuffer(one, sizeof one), std::vector<std::string>{"C:\\模块\\a.ec"});
  EXPECT_TRUE(splitOpenFileBuffer("\0", 2).empty());
}

TEST(UiSeams, TheRealMessageBoxRunsWhenNoScriptIsInstalled) {
  ASSERT_EQ(installUiSeams(nullptr), nullptr);
  standin::Journal journal;
  standin::DialogWatchdog watchdog(journal);
  watchdog.expect("退出", IDYES);
  watchdog.start();
  EXPECT_EQ(showMessageBox(nullptr, "你确定退出并关闭易语言吗?", "Tovalux 提示", MB_YESNO), IDYES);
  watchdog.stop();
  ASSERT_EQ(journal.entriesOfKind("dialog").size(), 1u);
  EXPECT_EQ(journal.entriesOfKind("dialog")[0].get("answered"), "script");
}

}  // namespace
}  // namespace tovalux
