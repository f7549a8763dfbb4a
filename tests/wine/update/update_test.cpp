// The update check in the stand-in IDE against the test's own HTTP server: notification 18
// answers at once, the own version shows nothing, any other one tip (a second replaces it) whose
// button opens exactly that answer's address; hostile addresses open nothing; huge or broken
// answers show nothing; a hanging server does not hold up shut-down.
// winsock2.h before windows.h (the server's header needs it).
#include <winsock2.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include <winhttp.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/workers.h"
#include "hooks/engine/api_hook.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "lifecycle/lifecycle.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"
#include "update/update_check.h"
#include "update_server.h"
#include "base/version.h"

namespace tovalux {
namespace {

using testing::HostFixture;
using testing::ScriptedUi;
using testing::UpdateServer;

const bool kResets = (HostFixture::setAfterTeardown([] {
                        resetLifecycleForTests();
                        setUpdateAddressForTests("");
                      }),
                      true);

std::string jsonText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string answer(const std::string& version, const std::string& url, const std::string& des = "修复若干问题") {
  return "{\"versionCode\":\"" + jsonText(version) + "\",\"versionName\":\"Tovalux " + jsonText(version) +
         "\",\"versionTime\":\"2026-12-01\",\"url\":\"" + jsonText(url) + "\",\"des\":\"" + jsonText(des) + "\"}";
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
    ASSERT_TRUE(server.listening());
    setUpdateAddressForTests(server.address());
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    testing::serveQueuedMessages();
  }

  // Sends notification 18 and waits until that check's worker has finished and what it handed
  // to the UI thread has run.
  void runCheck() {
    const uint32_t before = finishedUpdateChecks();
    EXPECT_EQ(host.checkForUpdate(), 0);
    ASSERT_TRUE(host.pumpUntil([&] { return finishedUpdateChecks() > before; }, 30000)) << "the check never ended";
    testing::serveQueuedMessages();
  }

  HWINDOW runCheckForTip(const std::string& body) {
    server.answer(body);
    runCheck();
    return updateTipWindow();
  }

  static std::string tipText(HWINDOW tip, int id) {
    return XC_wtoa(XShapeText_GetText(static_cast<HSHAPE>(XC_GetObjectByID(tip, id))).c_str());
  }
  void clickTipButton(HWINDOW tip) {
    XEle_SendEvent(XC_GetObjectByID(tip, 3), XE_BNCLICK);
    testing::serveQueuedMessages();
  }
  std::vector<ScriptedUi::Call> launches() { return host.ui().calls(ScriptedUi::Kind::kShellExecute); }

  UpdateServer server;
  HostFixture host;
};

TEST_F(UpdateTest, OwnVersionShowsNothingAndTheRequestGoesToTheUpdatePath) {
  EXPECT_EQ(runCheckForTip(answer(TOVALUX_VERSION, "https://127.0.0.1/dl")), 0u);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], "GET /tovalux/getversion.php HTTP/1.1");
}

TEST_F(UpdateTest, AnyOtherVersionShowsOneTipASecondReplacesItAndTheButtonOpensThatAnswersUrl) {
  HWINDOW first = runCheckForTip(answer("1.0.4", "https://example.org/download/1.0.4", "新版本说明"));
  ASSERT_TRUE(XC_IsHWINDOW(first));
  EXPECT_EQ(tipText(first, 1), "Tovalux IDE 更新");
  EXPECT_EQ(tipText(first, 2), "新版本说明");
  RECT frame{}, tip{};
  GetWindowRect(shellFrameHwnd(), &frame);
  GetWindowRect(XWnd_GetHWND(first), &tip);
  EXPECT_EQ(tip.left, frame.right - 418);
  EXPECT_EQ(tip.top, frame.bottom - 146);
  EXPECT_EQ(tip.right - tip.left, 400);
  EXPECT_EQ(tip.bottom - tip.top, 106);
  // The frame keeps it in its corner when it moves.
  const RECT before = frame;
  SetWindowPos(shellFrameHwnd(), nullptr, frame.left + 40, frame.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  testing::serveQueuedMessages();
  GetWindowRect(shellFrameHwnd(), &frame);
  ASSERT_EQ(frame.left, before.left + 40);
  GetWindowRect(XWnd_GetHWND(first), &tip);
  EXPECT_EQ(tip.left, frame.right - 418);
  EXPECT_EQ(tip.top, frame.bottom - 146);

  host.ui().answerShellExecute(true);
  clickTipButton(first);
  ASSERT_EQ(launches().size(), 1u);
  EXPECT_EQ(launches()[0].text, "https://example.org/download/1.0.4");
  EXPECT_EQ(launches()[0].title, "open");

  // An older version on the server asks for the tip as well (the text is compared).
  HWINDOW second = runCheckForTip(answer("1.0.2", "HTTP://example.org/older"));
  ASSERT_TRUE(XC_IsHWINDOW(second));
  EXPECT_FALSE(XC_IsHWINDOW(first)) << "the first tip was closed";
  EXPECT_EQ(tipText(second, 2), "修复若干问题");
  host.ui().answerShellExecute(true);
  clickTipButton(second);
  ASSERT_EQ(launches().size(), 2u);
  EXPECT_EQ(launches()[1].text, "HTTP://example.org/older");

  // An answer without a version leaves the tip as it is.
  EXPECT_EQ(runCheckForTip(R"({"url":"https://example.org/x","des":"x"})"), second);
}

// Every option the check sets on its request, as WinHTTP is asked for it.
ApiHook gSetOptionHook;
std::vector<std::pair<DWORD, DWORD>> gOptionsSet;  // option, first DWORD of its value
BOOL WINAPI recordSetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
  DWORD value = 0;
  if (buffer && length >= sizeof value) std::memcpy(&value, buffer, sizeof value);
  gOptionsSet.emplace_back(option, value);
  return gSetOptionHook.original<decltype(&WinHttpSetOption)>()(handle, option, buffer, length);
}

// Certificate errors are never ignored (an https address or redirect with a bad certificate then
// fails, and no tip comes), and the server's text is shown as plain text, a bounded amount of it.
TEST_F(UpdateTest, CertificateErrorsAreNeverIgnoredAndTheTipShowsPlainText) {
  ASSERT_TRUE(
      gSetOptionHook.installHook("winhttp.dll", "WinHttpSetOption", reinterpret_cast<const void*>(&recordSetOption)));
  gOptionsSet.clear();
  std::string description = "第一行\r\n第二行\x01\x1B[31m\x07";
  while (description.size() < 5000) description += "很长的说明";
  HWINDOW tip = runCheckForTip(answer("9.9.9", "https://example.org/dl", description));
  gSetOptionHook.removeHook();
  for (const auto& [option, value] : gOptionsSet) {
    EXPECT_NE(option, static_cast<DWORD>(WINHTTP_OPTION_SECURITY_FLAGS)) << "value " << value;
  }
  ASSERT_TRUE(XC_IsHWINDOW(tip));
  const std::string shown = tipText(tip, 2);
  EXPECT_EQ(shown.rfind("第一行\r\n第二行  [31m ", 0), 0u) << shown.substr(0, 40);
  EXPECT_LE(shown.size(), 1024u);
  EXPECT_EQ(shown.substr(shown.size() - 2), "…");
}

TEST_F(UpdateTest, HostileAddressesOpenNothing) {
  const std::string hostile[] = {"file:///C:/Windows/System32/calc.exe",
                                 "C:\\Windows\\notepad.exe",
                                 "\\\\127.0.0.1\\share\\setup.exe",
                                 "javascript:alert(1)",
                                 "ms-settings:",
                                 "https://example.org/" + std::string(5000, 'a'),
                                 "https://example.org/\r\ncalc.exe"};
  for (const std::string& url : hostile) {
    HWINDOW tip = runCheckForTip(answer("1.0.4", url));
    ASSERT_TRUE(XC_IsHWINDOW(tip)) << url;
    clickTipButton(tip);
    EXPECT_TRUE(launches().empty()) << url;
  }
  EXPECT_EQ(host.ui().unscriptedCount(), 0u);
}

TEST_F(UpdateTest, HugeBrokenAndFailedAnswersShowNothing) {
  // 10 MB that would ask for a tip if it were read.
  std::string huge = answer("1.0.4", "https://example.org/huge");
  huge.insert(huge.size() - 1, ",\"pad\":\"" + std::string(10 * 1024 * 1024, 'x') + "\"");
  EXPECT_EQ(runCheckForTip(huge), 0u);
  // The same without a declared length: reading stops one byte past the cap.
  server.answer(huge, 200, false);
  runCheck();
  EXPECT_EQ(updateTipWindow(), 0u);
  // A small answer without a declared length reads to the connection's end.
  server.answer(answer("1.0.5", "https://example.org/undeclared"), 200, false);
  runCheck();
  ASSERT_TRUE(XC_IsHWINDOW(updateTipWindow()));
  closeUpdateTip();
  EXPECT_EQ(runCheckForTip(R"({"versionCode":"1.0.4","url":"https://example.org/broken",)"), 0u);
  EXPECT_EQ(runCheckForTip("<html>not json</html>"), 0u);
  EXPECT_EQ(runCheckForTip(""), 0u);
  server.answer(answer("1.0.4", "https://example.org/error"), 500);
  runCheck();
  EXPECT_EQ(updateTipWindow(), 0u);
  EXPECT_EQ(server.requestCount(), 7u);
}

TEST_F(UpdateTest, AHangingServerIsGivenUpOnWithoutAnyStopRequest) {
  server.hang();
  const DWORD start = GetTickCount();
  runCheck();  // fails the test when the check has not ended after 30 s (the request gives up after 10)
  std::printf("a request the server never answers was given up after %lu ms\n", GetTickCount() - start);
  EXPECT_EQ(updateTipWindow(), 0u);
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(UpdateTest, NotificationAnswersWithoutWaitingAndAHangingServerDoesNotHoldUpShutDown) {
  server.hang();
  const uint32_t finished = finishedUpdateChecks();
  LARGE_INTEGER frequency, start, answered;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  EXPECT_EQ(host.checkForUpdate(), 0);
  QueryPerformanceCounter(&answered);
  ASSERT_TRUE(host.pumpUntil([&] { return server.requestCount() == 1; }, 10000)) << "the request never arrived";
  // The server holds the request: the notification came back before any answer existed.
  EXPECT_EQ(finishedUpdateChecks(), finished);
  EXPECT_EQ(runningWorkers(), 1u);

  LARGE_INTEGER stopping, stopped;
  QueryPerformanceCounter(&stopping);
  EXPECT_EQ(host.freeLibraryData(), 0);
  const bool ended = waitForWorkers(10000);
  QueryPerformanceCounter(&stopped);
  auto ms = [&](LARGE_INTEGER from, LARGE_INTEGER to) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
  };
  std::printf(
      "notification 18 answered in %.2f ms; shut-down with a hanging update server: %.1f ms until the "
      "worker ended\n",
      ms(start, answered), ms(stopping, stopped));
  // The worker must not outlive shut-down (the host frees the plug-in right after it).
  EXPECT_TRUE(ended);
  EXPECT_EQ(finishedUpdateChecks(), finished + 1);
  EXPECT_EQ(updateTipWindow(), 0u);
}

}  // namespace
}  // namespace tovalux
