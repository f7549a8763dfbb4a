// The update check and the settings dialog in ehost.exe with the real plug-in: the check the
// host's notification 18 starts goes out through a proxy on 127.0.0.1 (the test's own server),
// never to the network, and what it answers decides the tip; the settings dialog is opened from
// the menu with the mouse and saved.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/version.h"
#include "common/win32_support.h"
#include "scenario.h"
#include "update/update_rules.h"
#include "wine/update/update_server.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;
using testing::UpdateServer;

std::string answer(const std::string& version) {
  return R"({"versionCode":")" + version + R"(","des":"修复若干问题","url":"http://127.0.0.1/download"})";
}

// The server as the IDE's web proxy: the plug-in's request comes to it whole, address and all.
class UpdateScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listening());
    const std::string proxy = "http://127.0.0.1:" + server.address().substr(17, server.address().find('/', 17) - 17);
    SetEnvironmentVariableA("http_proxy", proxy.c_str());
  }
  void TearDown() override { SetEnvironmentVariableA("http_proxy", "http://127.0.0.1:9"); }

  // The update check has asked once (its request line), and the host has gone on.
  void waitForTheRequest() {
    ASSERT_TRUE(testing::pumpMessagesUntil([&] { return server.requestCount() != 0; }, 10000));
    ASSERT_EQ(server.requests().size(), 1u);
    // The product's own address, asked of the proxy on loopback and never of the network.
    EXPECT_EQ(server.requests()[0],
              std::string("GET http://") + update::kUpdateHost + ":80" + update::kUpdatePath + " HTTP/1.1");
  }

  UpdateServer server;
};

TEST_F(UpdateScenario, ANewerVersionShowsItsTipAtTheFramesLowerRightCorner) {
  server.answer(answer("9.9.9"));
  Session s("e2e_update_newer");
  ASSERT_TRUE(s.start());
  waitForTheRequest();
  const auto notified = s.waitFor("notify", fieldIs("code", 18));
  ASSERT_TRUE(notified);
  EXPECT_EQ(notified->get("answer"), "0");
  const auto title = s.find("text \"Tovalux IDE 更新\"", 10000);
  ASSERT_TRUE(title);
  EXPECT_TRUE(s.find("text 修复若干问题"));
  const auto frame = s.find("window *");
  ASSERT_TRUE(frame);
  ASSERT_TRUE(s.act("ui-dump"));
  // The tip's window: 400 x 106 at right - 418, bottom - 146 of the frame.
  std::optional<JournalEntry> tip;
  for (const JournalEntry& e : s.entries("ui"))
    if (e.get("depth") == "0" && e.get("window") == title->get("window")) tip = e;
  ASSERT_TRUE(tip);
  const long right = frame->number("x", 0) + frame->number("width", 0);
  const long bottom = frame->number("y", 0) + frame->number("height", 0);
  EXPECT_EQ(tip->number("x", 0), right - 418);
  EXPECT_EQ(tip->number("y", 0), bottom - 146);
  EXPECT_EQ(tip->number("width", 0), 400);
  EXPECT_EQ(tip->number("height", 0), 106);
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(UpdateScenario, TheOwnVersionShowsNothing) {
  server.answer(answer(TOVALUX_VERSION));
  Session s("e2e_update_own");
  ASSERT_TRUE(s.start());
  waitForTheRequest();
  // Once the answer is in, a tip would have come with the UI thread's next turn.
  ASSERT_TRUE(s.act("ui-find menu-item 文件(F) depth=2"));
  EXPECT_TRUE(s.act("ui-absent text \"Tovalux IDE 更新\""));
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(UpdateScenario, NoAnswerShowsNothingAndTheIdeStartsAtOnce) {
  server.hang();
  Session s("e2e_update_none");
  ASSERT_TRUE(s.start());
  const auto notified = s.waitFor("notify", fieldIs("code", 18));
  ASSERT_TRUE(notified);
  EXPECT_EQ(notified->get("answer"), "0");
  // The IDE answers while the request waits.
  ASSERT_TRUE(s.act("ui-click menu-item 文件(F) depth=2"));
  ASSERT_TRUE(s.act("key 0x1B"));
  EXPECT_TRUE(s.act("ui-absent text \"Tovalux IDE 更新\""));
  EXPECT_TRUE(s.closeNormally());
}

std::string setting(const std::string& file, const char* key) {
  char value[128] = {};
  GetPrivateProfileStringA("Theme", key, "(none)", value, sizeof value, file.c_str());
  return value;
}

TEST(SettingsScenario, TheDialogFromTheMenuSavesTheSevenKeysAndSaysARestartApplies) {
  const std::string ini = testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux/Tovalux.ini");
  DeleteFileA(ini.c_str());  // a first start: the defaults
  Session s("e2e_settings");
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("ui-click menu-item 设置(S) depth=2"));
  ASSERT_TRUE(s.act("ui-click menu-item Tovalux-主题设置 depth=1"));
  ASSERT_TRUE(s.find("text \"Tovalux 设置\"", 5000));
  const auto captionOwn = s.find("radio-button 独立的标题栏");
  ASSERT_TRUE(captionOwn);
  EXPECT_TRUE(Session::has(*captionOwn, "checked"));
  EXPECT_TRUE(s.find("editable-text * value=58"));

  // The user picks the caption on the menu bar's line, the full library browser and code tips.
  ASSERT_TRUE(s.act("ui-click radio-button 与菜单栏同一行"));
  ASSERT_TRUE(s.act("ui-click radio-button 树、成员列表和说明"));
  ASSERT_TRUE(s.act("ui-click check-box 代码提示"));
  const auto tips = s.find("check-box 代码提示");
  ASSERT_TRUE(tips);
  EXPECT_TRUE(Session::has(*tips, "checked"));
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 保存"));
  const auto told = s.waitFor("dialog", {}, 10000, mark);
  ASSERT_TRUE(told);
  EXPECT_EQ(told->get("text"), "Tovalux 设置已更新,重启易语言后即可生效!");

  EXPECT_EQ(setting(ini, "Caption"), "fasle");
  EXPECT_EQ(setting(ini, "LibTree"), "fasle");
  EXPECT_EQ(setting(ini, "CodeTip"), "true");
  EXPECT_EQ(setting(ini, "CodeTree"), "fasle");
  EXPECT_EQ(setting(ini, "FontName"), "微软雅黑");
  EXPECT_EQ(setting(ini, "FontSize"), "9");
  EXPECT_EQ(setting(ini, "MenuButtonWidth"), "58");
  EXPECT_TRUE(s.closeNormally());
  DeleteFileA(ini.c_str());
}

}  // namespace
}  // namespace tovalux::scenarios
