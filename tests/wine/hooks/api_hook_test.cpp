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
    c.hook->removeHook();
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
  c.hook->suspendHook();
  EXPECT_EQ(entryBytes(c.module, c.function, 40), original);
  EXPECT_TRUE(c.hook->installed());
  c.hook->resumeHook();
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

TEST(ApiHookEngine, RemovingANeverInstalledHookDoesNothing) {
  ApiHook hook;
  hook.removeHook();
  hook.suspendHook();
  hook.resumeHook();
  EXPECT_FALSE(hook.installed());
  EXPECT_EQ(hook.trampolineOf(), nullptr);
  EXPECT_EQ(hook.callThroughWithArgs({}), 0);
}

TEST(ApiHookEngine, UnknownExportsAndBadCountsWriteNothing) {
  ApiHook hook;
  EXPECT_FALSE(hook.installHook("no-such-module.dll", "Anything", reinterpret_cast<const void*>(&onDebugStop)));
  EXPECT_FALSE(hook.installHook("user32.dll", "NoSuchExport", reinterpret_cast<const void*>(&onDebugStop)));
  const Bytes before = entryBytes("user32.dll", "IsWindow", 40);
  EXPECT_FALSE(hook.installHook("user32.dll", "IsWindow", reinterpret_cast<const void*>(&onDebugStop), 4));
  EXPECT_EQ(hook.lastStatus(), hooks::PrologueStatus::badCount);
  EXPECT_FALSE(hook.installHook("user32.dll", "IsWindow", reinterpret_cast<const void*>(&onDebugStop), 26));
  EXPECT_EQ(entryBytes("user32.dll", "IsWindow", 40), before);
  EXPECT_FALSE(hook.installed());
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
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(page, nullptr);
  writeCodeInt32(page, 0x12345678);
  const uint8_t bytes[] = {1, 2, 3};
  writeCode(page, bytes);
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(page, &info, sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_NOACCESS));
  // Reserved but not committed memory: also unreadable.
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  writeCodeInt32(reserved, 1);
  VirtualFree(page, 0, MEM_RELEASE);
  VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(WriteCode, WritesReadOnlyDataAndGivesItsProtectionBack) {
  auto* page = static_cast<int32_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
  ASSERT_NE(page, nullptr);
  writeCodeInt32(page + 3, -42);
  EXPECT_EQ(page[3], -42);
  const uint8_t bytes[] = {0xAA, 0xBB};
  writeCode(page, bytes);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(page)[1], 0xBB);
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(page, &info, sizeof info);
  EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
  VirtualFree(page, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace tovalux
