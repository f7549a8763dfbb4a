// ehost.exe loads the real Tovalux.fne from its lib folder and plays start-up and closing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "journal.h"

namespace tovalux {
namespace {

using standin::JournalEntry;

std::string artefact(const std::string& name) {
  const char* folder = std::getenv("TOVALUX_ARTEFACTS");
  return testing::winePath(std::string(folder ? folder : TOVALUX_BUILD_DIR "/artefacts") + "/" + name);
}

PROCESS_INFORMATION startHost(const std::string& arguments) {
  const std::string exe = testing::winePath(TOVALUX_HOST_DIR "/ehost.exe");
  std::string command = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return PROCESS_INFORMATION{};
  return process;
}

DWORD waitForHost(PROCESS_INFORMATION& process, DWORD timeoutMs = 60000) {
  if (!process.hProcess) return 0xFFFFFFFF;
  // Keep pumping: the host may send to this process's windows (the log sink) while it closes.
  DWORD code = 0xFFFFFFFE;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    const DWORD waited = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &code);
      break;
    }
    testing::pumpMessages();
  }
  if (code == 0xFFFFFFFE) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// Runs ehost.exe with the given arguments and waits for it to end; answers its exit code.
DWORD runHost(const std::string& arguments) {
  PROCESS_INFORMATION process = startHost(arguments);
  return waitForHost(process);
}

// A scripted user action, as the stand-in's control channel takes it.
void sendControl(HWND host, const std::string& command) {
  COPYDATASTRUCT data{0, static_cast<DWORD>(command.size()), const_cast<char*>(command.data())};
  SendMessageA(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

std::vector<JournalEntry> readJournal(const std::string& path) {
  std::vector<JournalEntry> entries;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  while (std::getline(file, line))
    if (auto entry = standin::parseJournalLine(line)) entries.push_back(*entry);
  return entries;
}

// Index of the first entry of `kind` whose field `name` equals `value`, at or after `from`.
size_t find(const std::vector<JournalEntry>& entries, const std::string& kind, const std::string& name,
            const std::string& value, size_t from = 0) {
  for (size_t i = from; i < entries.size(); ++i)
    if (entries[i].kind == kind && entries[i].get(name) == value) return i;
  return entries.size();
}

TEST(HostStartup, LoadsThePluginHidesTheDockBarsAndRestoresThemOnClose) {
  const std::string journal = artefact("e2e_startup_journal.txt");
  ASSERT_EQ(runHost("--journal \"" + journal + "\" --exit-after 800"), 0u);
  const std::vector<JournalEntry> entries = readJournal(journal);
  ASSERT_FALSE(entries.empty());

  const size_t library = find(entries, "library", "name", "Tovalux.fne");
  ASSERT_LT(library, entries.size());
  EXPECT_EQ(entries[library].get("title"), "Tovalux IDE");
  EXPECT_EQ(entries[library].number("commands"), 2);

  const size_t sent = find(entries, "notify-sent", "code", "1");
  const size_t answered = find(entries, "notify", "code", "1");
  ASSERT_LT(answered, entries.size());
  EXPECT_EQ(entries[answered].number("answer"), 1);
  // The plug-in asked for the main window during the notification.
  const size_t ask = find(entries, "host-call", "code", "1", sent);
  EXPECT_LT(ask, answered);
  EXPECT_NE(entries[ask].number("answer"), 0);

  const size_t hidden = find(entries, "dock-bars", "moment", "after-notify-1");
  ASSERT_LT(hidden, entries.size());
  EXPECT_EQ(entries[hidden].get("visible"), "0000");

  const size_t closed = find(entries, "notify", "code", "6");
  ASSERT_LT(closed, entries.size());
  EXPECT_EQ(entries[closed].number("answer"), 0);
  const size_t shown = find(entries, "dock-bars", "moment", "after-notify-6");
  ASSERT_LT(shown, entries.size());
  EXPECT_EQ(entries[shown].get("visible"), "1111");
  EXPECT_EQ(entries.back().kind, "exit");  // the host ended its loop normally
}

TEST(HostStartup, SavesAScreenshotAndClosesNormally) {
  const std::string journal = artefact("e2e_screenshot_journal.txt");
  const std::string picture = artefact("e2e_startup.png");
  DeleteFileA(picture.c_str());
  ASSERT_EQ(runHost("--journal \"" + journal + "\" --screenshot \"" + picture + "\""), 0u);
  const std::vector<JournalEntry> entries = readJournal(journal);
  const size_t shot = find(entries, "screenshot", "saved", "1");
  ASSERT_LT(shot, entries.size());
  EXPECT_LT(shot, find(entries, "notify", "code", "6"));
  std::ifstream file(picture, std::ios::binary);
  char signature[8] = {};
  file.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST(HostStartup, PopupMenusAreAnnouncedAndLogged) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  const std::string journal = artefact("e2e_popup_journal.txt");
  PROCESS_INFORMATION process = startHost("--journal \"" + journal + "\"");
  ASSERT_NE(process.hProcess, nullptr);
  WaitForInputIdle(process.hProcess, 20000);
  HWND main = nullptr;
  for (int i = 0; i < 400 && !main; ++i) {
    // The host's main window becomes visible once start-up has run.
    main = FindWindowA("ENewFrame", nullptr);
    if (!main || !IsWindowVisible(main)) {
      main = nullptr;
      Sleep(25);
    }
  }
  ASSERT_NE(main, nullptr);
  sendControl(main, "popup");
  // The scripted menu closes itself; wait for the host to record it before closing the host.
  auto menuClosed = [&] {
    const auto entries = readJournal(journal);
    return find(entries, "popup-menu", "p1", "3") < entries.size();
  };
  for (int i = 0; i < 200 && !menuClosed(); ++i) testing::pumpMessages(25);
  sendControl(main, "close");
  ASSERT_EQ(waitForHost(process), 0u);

  EXPECT_EQ(log.text(), "弹出菜单 : 3,7\r\n#NL_FREE_LIB_DATA\r\n");
  const std::vector<JournalEntry> entries = readJournal(journal);
  const size_t announced = find(entries, "notify", "code", "19");
  ASSERT_LT(announced, entries.size());
  EXPECT_EQ(entries[announced].number("p1"), 3);
  EXPECT_EQ(entries[announced].number("p2"), 7);
  EXPECT_EQ(entries[announced].number("answer"), 1);
  const size_t menu = find(entries, "popup-menu", "p1", "3");
  ASSERT_LT(menu, entries.size());
  EXPECT_LT(announced, menu);
}

}  // namespace
}  // namespace tovalux
