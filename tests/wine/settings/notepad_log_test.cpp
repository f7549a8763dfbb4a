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
