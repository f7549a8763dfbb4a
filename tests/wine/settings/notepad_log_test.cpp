// The line log: which Notepad window receives the line, and a real Notepad.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "base/diagnostics.h"
#include "common/win32_support.h"

namespace tovalux {
namespace {

using testing::NotepadSink;

TEST(NotepadLog, TitlesAreTriedInOrder) {
  {
    NotepadSink third("TovaluxLog - 记事本");
    logToNotepad("one");
    EXPECT_EQ(third.text(), "one\r\n");
    {
      NotepadSink second("*TovaluxLog.txt - 记事本");
      logToNotepad("two");
      EXPECT_EQ(second.text(), "two\r\n");
      {
        NotepadSink first("TovaluxLog.txt - 记事本");
        logToNotepad("three");
        EXPECT_EQ(first.text(), "three\r\n");
      }
      EXPECT_EQ(second.text(), "two\r\n");
    }
    EXPECT_EQ(third.text(), "one\r\n");
  }
}

DWORD WINAPI logFromAnotherThread(void*) {
  logToNotepad("other");
  return 0;
}

TEST(NotepadLog, AScopeLooksTheWindowUpOnceOnItsThreadOnly) {
  std::optional<NotepadSink> sink;
  {
    NotepadLookupScope outer;
    logToNotepad("before");  // no window yet: the scope keeps that answer
    sink.emplace("TovaluxLog.txt - 记事本");
    {
      NotepadLookupScope nested;
      logToNotepad("inside");
    }
    logToNotepad("inside");
    EXPECT_EQ(sink->text(), "");
    // Another thread looks up as usual (its send is served while this thread pumps).
    HANDLE thread = CreateThread(nullptr, 0, &logFromAnotherThread, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(testing::pumpMessagesUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
    CloseHandle(thread);
    EXPECT_EQ(sink->text(), "other\r\n");
  }
  logToNotepad("after");
  EXPECT_EQ(sink->text(), "other\r\nafter\r\n");
}

TEST(NotepadLog, LinesLandAtTheCaretReplacingTheSelection) {
  NotepadSink sink("TovaluxLog.txt - 记事本");
  logToNotepad("弹出菜单 : 3,7");
  logToNotepad("#NL_FREE_LIB_DATA");
  EXPECT_EQ(sink.text(), "弹出菜单 : 3,7\r\n#NL_FREE_LIB_DATA\r\n");
  HWND edit = GetWindow(sink.window(), GW_CHILD);
  SendMessageA(edit, EM_SETSEL, 0, 2);  // select "弹出" (positions count characters)
  logToNotepad("x");
  EXPECT_EQ(sink.text(), "x\r\n菜单 : 3,7\r\n#NL_FREE_LIB_DATA\r\n");
}

TEST(NotepadLog, NothingHappensWithoutAWindowOrWithAnotherTitle) {
  NotepadSink other("无标题 - 记事本");
  logToNotepad("lost");
  EXPECT_EQ(other.text(), "");
}

// A window of the right class and title that is not a Notepad's (this test program's own) gets
// nothing: any program can make one, and the log's paths and numbers go to Notepad only.
TEST(NotepadLog, AWindowOfTheRightNameInAnotherProgramGetsNothing) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Notepad";
  RegisterClassA(&wc);
  HWND impostor = CreateWindowExA(0, "Notepad", "TovaluxLog.txt - 记事本", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | ES_MULTILINE, 0, 0, 380, 280, impostor, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  logToNotepad("C:\\项目\\secret.e");
  char text[64] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "");
  DestroyWindow(impostor);
}

struct LogBurst {
  int lines;
  HANDLE done;
};

DWORD WINAPI logBurst(void* context) {
  auto* burst = static_cast<LogBurst*>(context);
  for (int i = 0; i < burst->lines; ++i) logToNotepad("line " + std::to_string(i));
  SetEvent(burst->done);
  return 0;
}

// A Notepad that stops answering costs one time-out, never a hang: the lines after it are skipped
// (a tree delete logs one per item) until the window answers a probe again, then they arrive.
TEST(NotepadLog, ANotepadThatStopsAnsweringIsSkippedUntilItAnswersAgain) {
  NotepadSink sink("TovaluxLog.txt - 记事本", /*hung=*/true);
  ASSERT_NE(sink.window(), nullptr);
  LogBurst burst{1000, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, &logBurst, &burst, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // The logging thread comes back although the window never answered.
  const bool finished = WaitForSingleObject(burst.done, 20000) == WAIT_OBJECT_0;
  sink.release();  // on failure, lets the stuck thread end
  EXPECT_TRUE(finished);
  WaitForSingleObject(thread, 20000);
  CloseHandle(thread);
  CloseHandle(burst.done);
  // It answers again: a later line arrives once a probe has found it answering.
  EXPECT_TRUE(testing::pumpMessagesUntil(
      [&] {
        logToNotepad("again");
        return sink.text().find("again\r\n") != std::string::npos;
      },
      10000));
  EXPECT_EQ(sink.text().find("line 999"), std::string::npos);  // skipped while it hung
}

// Wine ships a Notepad whose Chinese title matches the first title exactly.
TEST(NotepadLog, ARealNotepadReceivesTheLines) {
  const std::string directory = testing::programDirectory();
  const std::string file = directory + "\\TovaluxLog.txt";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  std::string command = "notepad.exe \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                             &process));
  WaitForInputIdle(process.hProcess, 10000);
  HWND notepad = nullptr;
  testing::pumpMessagesUntil([&] { return (notepad = FindWindowA("Notepad", "TovaluxLog.txt - 记事本")) != nullptr; },
                             10000);
  ASSERT_NE(notepad, nullptr) << "Notepad's title did not match";
  logToNotepad("第一行");
  logToNotepad("line 2");
  HWND edit = GetWindow(notepad, GW_CHILD);
  char text[256] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));  // another process's edit
  EXPECT_STREQ(text, "第一行\r\nline 2\r\n");
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DeleteFileA(file.c_str());
}

}  // namespace
}  // namespace tovalux
