// The hook engine on the real system DLLs of this process: every function the shell redirects,
// hooked with the byte count it uses, must see its caller's arguments, give the original result
// through its trampoline and come back byte for byte when removed.
#include "hooks/engine/api_hook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace tovalux {
namespace {

using Bytes = std::vector<uint8_t>;

// The first `count` bytes of an export (of this program when `module` is null).
Bytes entryBytes(const char* module, const char* function, size_t count) {
  const auto* entry =
      reinterpret_cast<const uint8_t*>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), function)));
  return Bytes(entry, entry + count);
}

// What the replacements saw. Nested calls (window creation sends messages and asks for client
// rectangles) must not hide the outer call, so only the first call after a reset counts.
struct Seen {
  int calls = 0;
  uintptr_t first = 0;
  uintptr_t second = 0;
} gSeen;

void saw(uintptr_t first, uintptr_t second = 0) {
  if (gSeen.calls++ == 0) {
    gSeen.first = first;
    gSeen.second = second;
  }
}

void resetSeen() { gSeen = Seen{}; }

ApiHook gGetClientRect, gSendMessage, gLoadBitmap, gSetBkColor, gCreateWindow, gCreateProcess, gWaitForDebugEvent,
    gDebugStop, gTextOut, gSetTextColor, gGetSysColor, gSelectObject;

BOOL WINAPI onGetClientRect(HWND window, LPRECT rect) {
  saw(reinterpret_cast<uintptr_t>(window), reinterpret_cast<uintptr_t>(rect));
  return gGetClientRect.original<decltype(&GetClientRect)>()(window, rect);
}
LRESULT WINAPI onSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  saw(reinterpret_cast<uintptr_t>(window), message);
  return gSendMessage.original<decltype(&SendMessageA)>()(window, message, wParam, lParam);
}
HBITMAP WINAPI onLoadBitmap(HINSTANCE instance, LPCSTR name) {
  saw(reinterpret_cast<uintptr_t>(instance), reinterpret_cast<uintptr_t>(name));
  return gLoadBitmap.original<decltype(&LoadBitmapA)>()(instance, name);
}
COLORREF WINAPI onSetBkColor(HDC dc, COLORREF colour) {
  saw(reinterpret_cast<uintptr_t>(dc), colour);
  return gSetBkColor.original<decltype(&SetBkColor)>()(dc, colour);
}
HWND WINAPI onCreateWindow(DWORD exStyle, LPCSTR className, LPCSTR name, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  saw(reinterpret_cast<uintptr_t>(className), static_cast<uintptr_t>(width));
  return gCreateWindow.original<decltype(&CreateWindowExA)>()(exStyle, className, name, style, x, y, width, height,
                                                              parent, menu, instance, parameter);
}
BOOL WINAPI onCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                            LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                            LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
  saw(reinterpret_cast<uintptr_t>(commandLine), flags);
  return gCreateProcess.original<decltype(&CreateProcessA)>()(application, commandLine, processAttributes,
                                                              threadAttributes, inherit, flags, environment, directory,
                                                              startup, information);
}
BOOL WINAPI onWaitForDebugEvent(LPDEBUG_EVENT event, DWORD milliseconds) {
  saw(reinterpret_cast<uintptr_t>(event), milliseconds);
  return gWaitForDebugEvent.original<decltype(&WaitForDebugEvent)>()(event, milliseconds);
}
BOOL WINAPI onDebugStop(DWORD process) {
  saw(process);
  return gDebugStop.original<decltype(&DebugActiveProcessStop)>()(process);
}
BOOL WINAPI onTextOut(HDC dc, int x, int y, LPCSTR text, int count) {
  saw(reinterpret_cast<uintptr_t>(text), static_cast<uintptr_t>(count));
  return gTextOut.original<decltype(&TextOutA)>()(dc, x, y, text, count);
}
COLORREF WINAPI onSetTextColor(HDC dc, COLORREF colour) {
  saw(reinterpret_cast<uintptr_t>(dc), colour);
  return gSetTextColor.original<decltype(&SetTextColor)>()(dc, colour);
}
DWORD WINAPI onGetSysColor(int index) {
  saw(static_cast<uintptr_t>(index));
  return gGetSysColor.original<decltype(&GetSysColor)>()(index);
}
HGDIOBJ WINAPI onSelectObject(HDC dc, HGDIOBJ object) {
  saw(reinterpret_cast<uintptr_t>(dc), reinterpret_cast<uintptr_t>(object));
  return gSelectObject.original<decltype(&SelectObject)>()(dc, object);
}

struct HookCase {
  const char* module;
  const char* function;
  ApiHook* hook;
  const void* replacement;
  int byteCount;
};

const HookCase kCases[] = {
    {"user32.dll", "GetClientRect", &gGetClientRect, reinterpret_cast<const void*>(&onGetClientRect), 7},
    {"user32.dll", "SendMessageA", &gSendMessage, reinterpret_cast<const void*>(&onSendMessage), 5},
    {"user32.dll", "LoadBitmapA", &gLoadBitmap, reinterpret_cast<const void*>(&onLoadBitmap), 5},
    {"gdi32.dll", "SetBkColor", &gSetBkColor, reinterpret_cast<const void*>(&onSetBkColor), 5},
    {"user32.dll", "CreateWindowExA", &gCreateWindow, reinterpret_cast<const void*>(&onCreateWindow), 5},
    {"kernel32.dll", "CreateProcessA", &gCreateProcess, reinterpret_cast<const void*>(&onCreateProcess), 5},
    {"kernel32.dll", "WaitForDebugEvent", &gWaitForDebugEvent, reinterpret_cast<const void*>(&onWaitForDebugEvent), 5},
    {"kernel32.dll", "DebugActiveProcessStop", &gDebugStop, reinterpret_cast<const void*>(&onDebugStop), 5},
    {"gdi32.dll", "TextOutA", &gTextOut, reinterpret_cast<const void*>(&onTextOut), 5},
    {"gdi32.dll", "SetTextColor", &gSetTextColor, reinterpret_cast<const void*>(&onSetTextColor), 5},
    {"user32.dll", "GetSysColor", &gGetSysColor, reinterpret_cast<const void*>(&onGetSysColor), 5},
    {"gdi32.dll", "SelectObject", &gSelectObject, reinterpret_cast<const void*>(&onSelectObject), 5},
};

class EveryHookedFunction : public ::testing::TestWithParam<HookCase> {
 protected:
  void SetUp() override {
    const HookCase& c = GetParam();
    original = entryBytes(c.module, c.function, 40);
    ASSERT_TRUE(c.hook->installHook(c.module, c.function, c.replacement, c.byteCount));
    ASSERT_TRUE(c.hook->installed());
    EXPECT_GE(c.hook->movedCount(), static_cast<size_t>(c.byteCount));
    EXPECT_NE(c.hook->trampolineOf(), nullptr);
    gSeen = Seen{};
  }
  void TearDown() override {
    const HookCase& c = GetParam();
    EXPECT_TRUE(c.hook->removeHook());
    EXPECT_FALSE(c.hook->installed());
    EXPECT_EQ(entryBytes(c.module, c.function, 40), original) << "entry not restored";
  }
  Bytes original;
};

TEST_P(EveryHookedFunction, InstallsOnceAndRestoresExactly) {
  const HookCase& c = GetParam();
  const Bytes hooked = entryBytes(c.module, c.function, 40);
  EXPECT_EQ(hooked[0], 0xE9);
  const auto target = reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleA(c.module), c.function));
  int32_t displacement;
  std::memcpy(&displacement, hooked.data() + 1, 4);
  EXPECT_EQ(target + 5 + displacement, reinterpret_cast<uintptr_t>(c.replacement));
  // Only the moved bytes changed.
  EXPECT_TRUE(std::equal(hooked.begin() + c.hook->movedCount(), hooked.end(), original.begin() + c.hook->movedCount()));
  EXPECT_EQ(Bytes(c.hook->savedBytes().begin(), c.hook->savedBytes().end()),
            Bytes(original.begin(), original.begin() + c.hook->movedCount()));

  // A second install answers true and writes nothing.
  EXPECT_TRUE(c.hook->installHook(c.module, c.function, reinterpret_cast<const void*>(&onDebugStop), c.byteCount));
  EXPECT_EQ(entryBytes(c.module, c.function, 40), hooked);

  // Suspending puts the original bytes back while staying installed; resuming patches again.
  EXPECT_TRUE(c.hook->suspendHook());
  EXPECT_EQ(entryBytes(c.module, c.function, 40), original);
  EXPECT_TRUE(c.hook->installed());
  EXPECT_TRUE(c.hook->resumeHook());
  EXPECT_EQ(entryBytes(c.module, c.function, 40), hooked);
}

std::string caseName(const ::testing::TestParamInfo<HookCase>& info) { return info.param.function; }

INSTANTIATE_TEST_SUITE_P(Hooks, EveryHookedFunction, ::testing::ValuesIn(kCases), caseName);

// Each replacement sees the caller's arguments and the trampoline answers as the function did.
class HookedCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const HookCase& c : kCases)
      ASSERT_TRUE(c.hook->installHook(c.module, c.function, c.replacement, c.byteCount)) << c.function;
    gSeen = Seen{};
  }
  void TearDown() override {
    for (const HookCase& c : kCases) c.hook->removeHook();
  }
};

TEST_F(HookedCalls, WindowFunctions) {
  HWND window =
      CreateWindowExA(0, "Static", "hooked text", WS_POPUP, 10, 10, 123, 45, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(gSeen.first)), "Static");
  EXPECT_EQ(gSeen.second, 123u);

  resetSeen();
  RECT rect{};
  EXPECT_TRUE(GetClientRect(window, &rect));
  EXPECT_EQ(gSeen.first, reinterpret_cast<uintptr_t>(window));
  EXPECT_EQ(gSeen.second, reinterpret_cast<uintptr_t>(&rect));
  EXPECT_EQ(rect.right, 123);
  EXPECT_EQ(rect.bottom, 45);

  resetSeen();
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 11);
  EXPECT_EQ(gSeen.second, static_cast<uintptr_t>(WM_GETTEXTLENGTH));

  resetSeen();
  HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32754));  // OBM_CLOSE
  EXPECT_NE(bitmap, nullptr);
  EXPECT_EQ(gSeen.second, 32754u);
  DeleteObject(bitmap);

  resetSeen();
  const DWORD colour = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(gSeen.first, static_cast<uintptr_t>(COLOR_WINDOW));
  gGetSysColor.removeHook();
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), colour);
  DestroyWindow(window);
}

TEST_F(HookedCalls, DrawingFunctions) {
  HDC dc = CreateCompatibleDC(nullptr);
  resetSeen();
  EXPECT_EQ(SetBkColor(dc, 0x123456), 0xFFFFFFu);
  EXPECT_EQ(gSeen.second, 0x123456u);
  EXPECT_EQ(SetBkColor(dc, 0), 0x123456u);
  EXPECT_EQ(SetTextColor(dc, 0x0000FF), 0u);
  EXPECT_EQ(SetTextColor(dc, 0), 0x0000FFu);
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  resetSeen();
  HGDIOBJ previous = SelectObject(dc, font);
  EXPECT_NE(previous, nullptr);
  EXPECT_EQ(gSeen.second, reinterpret_cast<uintptr_t>(font));
  EXPECT_EQ(SelectObject(dc, previous), font);
  const char text[] = "' // TODO: x";
  resetSeen();
  EXPECT_TRUE(TextOutA(dc, 1, 2, text, 12));
  EXPECT_EQ(gSeen.first, reinterpret_cast<uintptr_t>(text));
  EXPECT_EQ(gSeen.second, 12u);
  DeleteDC(dc);
}

TEST_F(HookedCalls, DebuggingFunctions) {
  char command[] = "C:\\no\\such\\program.tmp";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION information{};
  EXPECT_FALSE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                              &startup, &information));
  const DWORD error = GetLastError();
  EXPECT_EQ(gSeen.first, reinterpret_cast<uintptr_t>(command));
  EXPECT_EQ(gSeen.second, static_cast<uintptr_t>(DEBUG_ONLY_THIS_PROCESS));
  EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;

  resetSeen();
  DEBUG_EVENT event{};
  EXPECT_FALSE(WaitForDebugEvent(&event, 0));  // nothing is being debugged
  EXPECT_EQ(gSeen.first, reinterpret_cast<uintptr_t>(&event));
  resetSeen();
  EXPECT_FALSE(DebugActiveProcessStop(0x7FFFFFF0));
  EXPECT_EQ(gSeen.first, 0x7FFFFFF0u);
  EXPECT_EQ(gSeen.calls, 1);
}

// A hook the engine tests install for a moment: its replacement answers as IsWindow does, in
// case anything calls it meanwhile.
ApiHook gProbe;
BOOL WINAPI onIsWindow(HWND window) { return gProbe.original<decltype(&IsWindow)>()(window); }

TEST(ApiHookEngine, SuspendResumeAndRemoveOfAHookNotInstalledReportFailure) {
  ApiHook& hook = gProbe;
  EXPECT_FALSE(hook.removeHook());
  EXPECT_EQ(hook.lastStatus(), HookStatus::notInstalled);
  EXPECT_FALSE(hook.suspendHook());
  EXPECT_EQ(hook.lastStatus(), HookStatus::notInstalled);
  EXPECT_FALSE(hook.resumeHook());
  EXPECT_EQ(hook.lastStatus(), HookStatus::notInstalled);
  EXPECT_FALSE(hook.installed());
  EXPECT_EQ(hook.trampolineOf(), nullptr);
  EXPECT_EQ(hook.callThroughWithArgs({}), 0);

  // Installed, each succeeds; removed, they fail again. A removal queued in a transaction
  // cannot be queued twice.
  ASSERT_TRUE(hook.installHook("user32.dll", "IsWindow", reinterpret_cast<const void*>(&onIsWindow)));
  EXPECT_TRUE(hook.suspendHook());
  EXPECT_EQ(hook.lastStatus(), HookStatus::ok);
  EXPECT_TRUE(hook.resumeHook());
  {
    HookTransaction transaction;
    EXPECT_TRUE(transaction.remove(hook));
    EXPECT_FALSE(transaction.remove(hook));
    EXPECT_EQ(hook.lastStatus(), HookStatus::notInstalled);
  }
  EXPECT_FALSE(hook.installed());
  EXPECT_FALSE(hook.removeHook());
  EXPECT_FALSE(hook.resumeHook());
  EXPECT_EQ(hook.lastStatus(), HookStatus::notInstalled);
}

// Entries of this program with known bytes, exported so that the engine finds them by name:
// one a thread can be parked in, and one for each reason an entry cannot be moved.
extern "C" {
void parkingSpot();
volatile LONG gParkingSpotRan = 0;
volatile LONG gParkedReplacementRan = 0;
void parkedReplacement() { gParkedReplacementRan = 1; }
}
asm(R"(
  .text
  .globl _parkingSpot, _endsAtOnce, _loopsAtEntry, _branchesIntoItsEntry, _undefinedAtEntry
_parkingSpot:
  movl %edi, %edi
  nop
  nop
  nop
  movl $1, _gParkingSpotRan
  ret
_endsAtOnce:
  ret
  .byte 0x90, 0x90, 0x90, 0x90, 0x90
_loopsAtEntry:
  .byte 0xE2, 0xFE, 0x90, 0x90, 0x90, 0xC3
_branchesIntoItsEntry:
  .byte 0x74, 0x01, 0x90, 0x90, 0x90, 0x90, 0xC3
_undefinedAtEntry:
  .byte 0xFF, 0xFF, 0x90, 0x90, 0x90, 0xC3
  .section .drectve
  .ascii " -export:parkingSpot -export:endsAtOnce -export:loopsAtEntry"
  .ascii " -export:branchesIntoItsEntry -export:undefinedAtEntry"
  .text
)");

std::string programPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(ApiHookEngine, EveryFailureLeavesItsStatusAndWritesNothing) {
  const std::string program = programPath();
  const auto* replacement = reinterpret_cast<const void*>(&onDebugStop);
  struct Failure {
    const char* module;
    const char* function;
    const void* replacement;
    int byteCount;
    HookStatus status;
  };
  const Failure failures[] = {
      {"user32.dll", "IsWindow", nullptr, 5, HookStatus::invalidArgument},
      {nullptr, "IsWindow", replacement, 5, HookStatus::invalidArgument},
      {"no-such-module.dll", "Anything", replacement, 5, HookStatus::moduleNotFound},
      {"user32.dll", "NoSuchExport", replacement, 5, HookStatus::exportNotFound},
      {"user32.dll", "IsWindow", replacement, 4, HookStatus::badCount},
      {"user32.dll", "IsWindow", replacement, 26, HookStatus::badCount},
      {program.c_str(), "endsAtOnce", replacement, 5, HookStatus::endsTooSoon},
      {program.c_str(), "loopsAtEntry", replacement, 5, HookStatus::unmovableBranch},
      {program.c_str(), "branchesIntoItsEntry", replacement, 5, HookStatus::branchIntoPatch},
      {program.c_str(), "undefinedAtEntry", replacement, 5, HookStatus::undecodable},
  };
  ApiHook& hook = gProbe;
  const Bytes before = entryBytes("user32.dll", "IsWindow", 40);
  for (const Failure& f : failures) {
    // A success first, so that a failure that forgot its status would read as ok.
    ASSERT_TRUE(hook.installHook("user32.dll", "IsWindow", reinterpret_cast<const void*>(&onIsWindow)));
    ASSERT_TRUE(hook.removeHook());
    ASSERT_EQ(hook.lastStatus(), HookStatus::ok);
    const bool own = f.module == program.c_str();
    const Bytes ownBefore = own ? entryBytes(nullptr, f.function, 7) : Bytes{};
    EXPECT_FALSE(hook.installHook(f.module, f.function, f.replacement, f.byteCount)) << f.function;
    EXPECT_EQ(hook.lastStatus(), f.status)
        << (f.module ? f.module : "(no module)") << " " << f.function << ": " << toString(hook.lastStatus());
    EXPECT_FALSE(hook.installed());
    if (own) {
      EXPECT_EQ(entryBytes(nullptr, f.function, 7), ownBefore) << f.function;
    }
  }
  EXPECT_EQ(entryBytes("user32.dll", "IsWindow", 40), before);
}

// A thread stopped inside the bytes an install overwrites continues at the same instruction in
// the trampoline. Parked on the entry's second instruction, it must be found there afterwards.
DWORD WINAPI spinUntilStopped(void* parameter) {
  auto* spins = static_cast<volatile LONG*>(parameter);  // count, stop
  while (spins[1] == 0) InterlockedIncrement(&spins[0]);
  return 0;
}

TEST(ApiHookEngine, AThreadStoppedInsideTheEntryContinuesInTheTrampoline) {
  const std::string program = programPath();
  const auto entry = reinterpret_cast<uintptr_t>(&parkingSpot);
  ASSERT_EQ(reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleA(nullptr), "parkingSpot")), entry);
  gParkingSpotRan = 0;
  volatile LONG spins[2] = {0, 0};
  HANDLE thread = CreateThread(nullptr, 0, spinUntilStopped, const_cast<LONG*>(spins), 0, nullptr);
  ASSERT_NE(thread, nullptr);
  while (spins[0] == 0) SwitchToThread();  // running its loop

  // As if the loop had called the parking spot and been stopped after its first instruction:
  // a return address to where it was, and the instruction pointer on entry + 2.
  ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
  CONTEXT context{};
  context.ContextFlags = CONTEXT_CONTROL;
  ASSERT_TRUE(GetThreadContext(thread, &context));
  context.Esp -= 4;
  *reinterpret_cast<DWORD*>(context.Esp) = context.Eip;
  context.Eip = static_cast<DWORD>(entry + 2);
  ASSERT_TRUE(SetThreadContext(thread, &context));

  ApiHook hook;
  const uint32_t movedBefore = ApiHook::threadsMoved();
  ASSERT_TRUE(hook.installHook(program.c_str(), "parkingSpot", reinterpret_cast<const void*>(&parkedReplacement)));
  EXPECT_EQ(hook.movedCount(), 5u);
  context = CONTEXT{};
  context.ContextFlags = CONTEXT_CONTROL;
  ASSERT_TRUE(GetThreadContext(thread, &context));
  EXPECT_EQ(context.Eip, reinterpret_cast<uintptr_t>(hook.trampolineOf()) + 2) << "moved to the same instruction";
  EXPECT_EQ(ApiHook::threadsMoved() - movedBefore, 1u);

  // Let go, it runs the rest of the moved bytes, jumps back to the entry's remainder and
  // returns to its loop.
  ResumeThread(thread);
  const LONG spinsBefore = spins[0];
  const DWORD start = GetTickCount();
  while ((gParkingSpotRan == 0 || spins[0] == spinsBefore) && GetTickCount() - start < 10000) SwitchToThread();
  EXPECT_EQ(gParkingSpotRan, 1);
  EXPECT_NE(spins[0], spinsBefore) << "back in its loop";
  spins[1] = 1;
  EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);

  // The entry leads to the replacement, the trampoline to the original.
  gParkingSpotRan = 0;
  gParkedReplacementRan = 0;
  parkingSpot();
  EXPECT_EQ(gParkedReplacementRan, 1);
  EXPECT_EQ(gParkingSpotRan, 0);
  hook.original<void (*)()>()();
  EXPECT_EQ(gParkingSpotRan, 1);
  EXPECT_TRUE(hook.removeHook());
}

ApiHook gThreadId, gMulDiv;
DWORD WINAPI onThreadId() { return gThreadId.original<decltype(&GetCurrentThreadId)>()(); }
int WINAPI onMulDiv(int a, int b, int c) { return gMulDiv.original<decltype(&MulDiv)>()(a, b, c) + 1000; }

TEST(ApiHookEngine, CallThroughWithArgs) {
  ASSERT_TRUE(gThreadId.installHook("kernel32.dll", "GetCurrentThreadId", reinterpret_cast<const void*>(&onThreadId)));
  EXPECT_EQ(static_cast<DWORD>(gThreadId.callThroughWithArgs({})), GetCurrentThreadId());
  gThreadId.removeHook();

  ASSERT_TRUE(gMulDiv.installHook("kernel32.dll", "MulDiv", reinterpret_cast<const void*>(&onMulDiv)));
  EXPECT_EQ(MulDiv(6, 7, 3), 1014);  // through the replacement
  const int32_t arguments[] = {6, 7, 3};
  EXPECT_EQ(gMulDiv.callThroughWithArgs(arguments), 14);  // the original, arguments in order
  const int32_t negative[] = {-9, 4, 2};
  EXPECT_EQ(gMulDiv.callThroughWithArgs(negative), -18);
  gMulDiv.removeHook();
  EXPECT_EQ(MulDiv(6, 7, 3), 14);
}

TEST(WriteCode, UnreadableAddressesAreLeftAlone) {
  const uint8_t bytes[] = {1, 2, 3};
  MEMORY_BASIC_INFORMATION info{};
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(writeCodeInt32(page, 0x12345678));
  EXPECT_FALSE(writeCode(page, bytes));
  ASSERT_TRUE(VirtualQuery(page, &info, sizeof info));
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_NOACCESS));
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(page, 4096, PAGE_READONLY, &old));
  EXPECT_EQ(*static_cast<const uint32_t*>(page), 0u) << "nothing written";
  VirtualFree(page, 0, MEM_RELEASE);

  // Reserved but not committed memory: also unreadable, and it stays reserved.
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  EXPECT_FALSE(writeCodeInt32(reserved, 1));
  EXPECT_FALSE(writeCode(reserved, bytes));
  ASSERT_TRUE(VirtualQuery(reserved, &info, sizeof info));
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_RESERVE));
  VirtualFree(reserved, 0, MEM_RELEASE);

  // A range that starts in writable memory and runs into reserved memory: none of it.
  auto* two = static_cast<uint8_t*>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(two, nullptr);
  ASSERT_NE(VirtualAlloc(two, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  const uint8_t eight[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_FALSE(writeCode(two + 4092, eight));
  EXPECT_EQ(two[4092] | two[4093] | two[4094] | two[4095], 0);
  ASSERT_TRUE(VirtualQuery(two + 4096, &info, sizeof info));
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_RESERVE));
  EXPECT_TRUE(writeCode(two + 4088, eight)) << "the same bytes inside the committed page";
  EXPECT_EQ(two[4095], 9);
  VirtualFree(two, 0, MEM_RELEASE);
}

TEST(WriteCode, WritesReadOnlyDataAndGivesItsProtectionBack) {
  auto* page = static_cast<int32_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(writeCodeInt32(page + 3, -42));
  EXPECT_EQ(page[3], -42);
  const uint8_t bytes[] = {0xAA, 0xBB};
  EXPECT_TRUE(writeCode(page, bytes));
  EXPECT_EQ(reinterpret_cast<uint8_t*>(page)[1], 0xBB);
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(page, &info, sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
  VirtualFree(page, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace tovalux
