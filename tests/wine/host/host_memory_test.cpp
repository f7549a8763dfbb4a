// Reading what the host hands over by pointer must never fault, even when another thread frees
// the memory while it is read. VirtualQuery is hooked here to free the page it was asked about
// right after answering: a reader that checks and then copies plainly faults (the program dies);
// one whose copy is fault-proof gets the text or "unreadable".
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>

#include "hooks/engine/api_hook.h"
#include "host/host_memory.h"

namespace tovalux {
namespace {

ApiHook gQueryHook;
std::atomic<char*> gFreeAfterQuery{nullptr};

SIZE_T WINAPI queryThenFree(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T size) {
  const SIZE_T answer = gQueryHook.original<decltype(&VirtualQuery)>()(address, info, size);
  char* page = gFreeAfterQuery.load();
  const auto* at = static_cast<const char*>(address);
  if (page && at >= page && at < page + 4096 && gFreeAfterQuery.compare_exchange_strong(page, nullptr))
    VirtualFree(page, 0, MEM_RELEASE);  // as another thread of the host could, right now
  return answer;
}

char* pageWithText(const char* text) {
  auto* page = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (page) std::memcpy(page, text, std::strlen(text) + 1);
  return page;
}

TEST(HostMemory, APageFreedWhileItIsReadGivesTheTextOrNothingNeverAFault) {
  ASSERT_TRUE(gQueryHook.installHook("kernel32.dll", "VirtualQuery", reinterpret_cast<const void*>(&queryThenFree)));
  for (int round = 0; round < 50; ++round) {
    char* page = pageWithText("项目树");
    ASSERT_NE(page, nullptr);
    gFreeAfterQuery = page;
    const std::optional<std::string> text = readHostText(page, 260);
    EXPECT_TRUE(!text || *text == "项目树");
    if (char* left = gFreeAfterQuery.exchange(nullptr)) VirtualFree(left, 0, MEM_RELEASE);

    page = pageWithText("record");
    gFreeAfterQuery = page;
    char record[6] = {};
    const bool read = readHostBytes(page, record, sizeof record);
    EXPECT_TRUE(!read || std::memcmp(record, "record", 6) == 0);
    if (char* left = gFreeAfterQuery.exchange(nullptr)) VirtualFree(left, 0, MEM_RELEASE);
  }
  EXPECT_TRUE(gQueryHook.removeHook());
}

TEST(HostMemory, FreedAndUnterminatedMemoryIsUnreadable) {
  char* page = pageWithText("gone");
  ASSERT_NE(page, nullptr);
  VirtualFree(page, 0, MEM_RELEASE);
  EXPECT_FALSE(readHostText(page, 260).has_value());
  char record[4];
  EXPECT_FALSE(readHostBytes(page, record, sizeof record));
  // A text that runs to the end of its page with no NUL, the next page not there.
  auto* two = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(two, nullptr);
  ASSERT_NE(VirtualAlloc(two, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  std::memset(two, 'a', 4096);
  EXPECT_FALSE(readHostText(two + 4000, 1 << 20).has_value());
  EXPECT_EQ(readHostText(two + 4000, 50).value_or(""), std::string(50, 'a'));  // the cap comes first
  two[4095] = '\0';
  EXPECT_EQ(readHostText(two + 4000, 1 << 20).value_or("?"), std::string(95, 'a'));
  VirtualFree(two, 0, MEM_RELEASE);
}

// A guard page (another thread's stack grows through one) reads as unreadable and keeps its
// guard; a fault of our own copy is ours alone: an access violation elsewhere still reaches the
// handlers after ours.
LONG CALLBACK skipFaultingLoad(EXCEPTION_POINTERS* fault) {
  if (fault->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
  fault->ContextRecord->Eip += 2;  // the two-byte load below
  fault->ContextRecord->Eax = 0x5A5A;
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(HostMemory, GuardPagesStayGuardedAndOtherFaultsAreNotOurs) {
  auto* page = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(page, nullptr);
  std::memcpy(page, "guarded", 8);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(page, 4096, PAGE_READWRITE | PAGE_GUARD, &old));
  EXPECT_FALSE(readHostText(page, 260).has_value());
  MEMORY_BASIC_INFORMATION info{};
  ASSERT_EQ(VirtualQuery(page, &info, sizeof info), sizeof info);
  EXPECT_NE(info.Protect & PAGE_GUARD, 0u);
  VirtualFree(page, 0, MEM_RELEASE);

  // Reading once installs the copy's handler; then a fault of someone else's code is theirs.
  const char here[] = "here";
  EXPECT_EQ(readHostText(here, 260).value_or(""), "here");
  PVOID theirs = AddVectoredExceptionHandler(0, &skipFaultingLoad);
  ASSERT_NE(theirs, nullptr);
  unsigned loaded = 0;
  asm volatile("movl $0, %%eax\n\tmovl (%%eax), %%eax" : "=a"(loaded) : : "memory");
  RemoveVectoredExceptionHandler(theirs);
  EXPECT_EQ(loaded, 0x5A5Au);
}

// What the caller keeps on its own stack (the host builds its TVINSERTSTRUCT as a local) is read
// without asking the system about its pages; a range that runs past the stack's top is asked about.
ApiHook gCountHook;
std::atomic<int> gQueries{0};

SIZE_T WINAPI countQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T size) {
  ++gQueries;
  return gCountHook.original<decltype(&VirtualQuery)>()(address, info, size);
}

TEST(HostMemory, TheCallersOwnStackIsReadWithoutAskingTheSystemAndNothingPastItsTop) {
  const char warm[] = "warm";
  ASSERT_EQ(readHostText(warm, 260).value_or(""), "warm");  // the copy's handler is in place
  TVINSERTSTRUCTA insert{};
  char label[] = "子程序_1";
  insert.item.pszText = label;
  TVINSERTSTRUCTA copy{};
  ASSERT_TRUE(gCountHook.installHook("kernel32.dll", "VirtualQuery", reinterpret_cast<const void*>(&countQuery)));
  gQueries = 0;
  const bool structRead = readHostBytes(&insert, &copy, sizeof copy);
  const std::optional<std::string> text = readHostText(copy.item.pszText, 260);
  const int queriesOnStack = gQueries.exchange(0);
  const char* stackTop;  // the thread block's StackBase
  asm("movl %%fs:0x04, %0" : "=r"(stackTop));
  char across[16];
  readHostBytes(stackTop - 8, across, sizeof across);
  const int queriesAcross = gQueries.load();
  EXPECT_TRUE(gCountHook.removeHook());
  EXPECT_TRUE(structRead);
  EXPECT_EQ(copy.item.pszText, label);
  EXPECT_EQ(text.value_or(""), "子程序_1");
  EXPECT_EQ(queriesOnStack, 0);
  EXPECT_GE(queriesAcross, 1);
}

}  // namespace
}  // namespace tovalux
