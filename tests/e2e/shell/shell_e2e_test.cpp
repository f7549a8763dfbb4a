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
#include "journal.h"

namespace tovalux {
namespace {

using standin::JournalEntry;

std::string artefact(const std::string& name) {
  const char* folder = std::getenv("TOVALUX_ARTEFACTS");
  return testing::winePath(std::string(folder ? folder : TOVALUX_BUILD_DIR "/artefacts") + "/" + name);
}

PROCESS_INFORMATION startHost(const std::string& arguments) {
  std::string command = "\"" + testing::winePath(TOVALUX_HOST_DIR "/ehost.exe") + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return PROCESS_INFORMATION{};
  return process;
}

DWORD waitForHost(PROCESS_INFORMATION& process, DWORD timeoutMs = 60000) {
  if (!process.hProcess) return 0xFFFFFFFF;
  DWORD code = 0xFFFFFFFE;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
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

std::vector<JournalEntry> readJournal(const std::string& path) {
  std::vector<JournalEntry> entries;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  while (std::getline(file, line))
    if (auto entry = standin::parseJournalLine(line)) entries.push_back(*entry);
  return entries;
}

size_t count(const std::vector<JournalEntry>& entries, const std::string& kind, const std::string& name,
             const std::string& value) {
  size_t n = 0;
  for (const JournalEntry& entry : entries) n += entry.kind == kind && entry.get(name) == value;
  return n;
}

// The shell frame of the host process, once start-up has put the host main window into it.
HWND waitForFrame(DWORD processId) {
  for (int i = 0; i < 800; ++i) {
    HWND frame = FindWindowA("Tovalux", "易语言 - Tovalux IDE");
    DWORD owner = 0;
    if (frame) GetWindowThreadProcessId(frame, &owner);
    if (frame && owner == processId && FindWindowExA(frame, nullptr, "ENewFrame", nullptr)) return frame;
    testing::pumpMessages(25);
  }
  return nullptr;
}

// Presses `button` on the message box with that title once it shows; true when it did.
bool answerBox(const char* title, int button, DWORD timeoutMs = 20000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND box = FindWindowA("#32770", title)) {
      PostMessageA(box, WM_COMMAND, button, 0);
      return true;
    }
    testing::pumpMessages(20);
  }
  return false;
}

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
  const std::string journal = artefact("e2e_shell_close_journal.txt");
  DeleteFileA(journal.c_str());
  // Start-up writes the engine beside the host when it is missing.
  const std::string olly = testing::winePath(TOVALUX_HOST_DIR "/olly.dll");
  DeleteFileA(olly.c_str());
  PROCESS_INFORMATION process = startHost("--journal \"" + journal + "\"");
  ASSERT_NE(process.hProcess, nullptr);
  HWND frame = waitForFrame(process.dwProcessId);
  ASSERT_NE(frame, nullptr);
  HWND main = FindWindowExA(frame, nullptr, "ENewFrame", nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);

  // The user closes the frame and answers No: nothing changes.
  PostMessageA(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(answerBox("Tovalux 提示", IDNO));
  testing::pumpMessages(200);
  EXPECT_TRUE(IsWindow(frame));
  EXPECT_EQ(GetParent(main), frame);

  // Then Yes: the host closes, the shell goes with notification 6, the program ends normally.
  PostMessageA(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(answerBox("Tovalux 提示", IDYES));
  EXPECT_EQ(waitForHost(process), 0u);
  const std::vector<JournalEntry> entries = readJournal(journal);
  EXPECT_EQ(count(entries, "notify", "code", "6"), 1u);
  EXPECT_EQ(count(entries, "notify", "code", "1"), 1u);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().kind, "exit");
  EXPECT_EQ(readAll(olly), readAll(testing::winePath(TOVALUX_BUILD_DIR "/engines/olly.dll")));
}

uint32_t bigEndian(const unsigned char* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

TEST(ShellEndToEnd, TheScreenshotShowsTheShellFrame) {
  const std::string picture = artefact("e2e_shell.png");
  DeleteFileA(picture.c_str());
  PROCESS_INFORMATION process = startHost("--demo --screenshot \"" + picture + "\"");
  ASSERT_EQ(waitForHost(process), 0u);
  std::ifstream file(picture, std::ios::binary);
  unsigned char header[24] = {};
  file.read(reinterpret_cast<char*>(header), sizeof header);
  ASSERT_EQ(std::string(reinterpret_cast<char*>(header) + 1, 3), "PNG");
  // The picture is the frame (1100 x 800 on a first start), not the bare host window.
  EXPECT_EQ(bigEndian(header + 16), 1100u);
  EXPECT_EQ(bigEndian(header + 20), 800u);
}

}  // namespace
}  // namespace tovalux
