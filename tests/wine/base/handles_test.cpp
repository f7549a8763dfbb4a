// The owners of Win32 handles, GDI objects and COM interfaces, and the screenshot helpers built
// on them.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "base/screenshot.h"
#include "base/win32_handles.h"
#include "common/win32_support.h"

namespace tovalux {
namespace {

bool handleIsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnceWhateverPathItTakes) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    UniqueHandle first(raw);
    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    UniqueHandle third;
    third = std::move(second);
    EXPECT_TRUE(handleIsOpen(raw));
  }
  EXPECT_FALSE(handleIsOpen(raw));

  HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    UniqueHandle owner(kept);
    EXPECT_EQ(owner.release(), kept);
  }
  EXPECT_TRUE(handleIsOpen(kept));
  CloseHandle(kept);

  // What a failed CreateFile answers is no handle, and nothing is closed for it.
  UniqueHandle invalid(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(invalid);
}

// Counts references the way a COM object does.
struct CountedStream {
  int references = 1;
  ULONG Release() { return static_cast<ULONG>(--references); }
};

TEST(ComPtr, ReleasesTheReferenceItOwnsExactlyOnce) {
  CountedStream a, b;
  {
    ComPtr<CountedStream> pointer(&a);
    ComPtr<CountedStream> moved(std::move(pointer));
    EXPECT_FALSE(pointer);
    *moved.put() = &b;  // an out-parameter: the old reference goes first
    EXPECT_EQ(a.references, 0);
    EXPECT_EQ(moved.get(), &b);
  }
  EXPECT_EQ(a.references, 0);
  EXPECT_EQ(b.references, 0);
}

TEST(Selection, PutsThePreviousObjectBack) {
  MemoryDc dc(nullptr);
  ASSERT_TRUE(dc);
  GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
  const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BRUSH);
  {
    Selection select(dc.get(), brush.get());
    EXPECT_TRUE(select);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), before);
  Selection nothing(nullptr, brush.get());
  EXPECT_FALSE(nothing);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Screenshot, SavesPngsAgainAndAgainAndRefusesWhatItCannotUse) {
  HWND window = CreateWindowExW(0, L"STATIC", L"shot", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 160, 120, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  testing::pumpMessages();
  const std::string folder = testing::programDirectory();
  for (int i = 0; i < 3; ++i) {  // GDI+ starts once; every picture after the first uses it as it is
    const std::string path = folder + "\\handles_test_shot" + std::to_string(i) + ".png";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(saveWindowPng(window, path)) << i;
    EXPECT_EQ(readFile(path).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << i;
    DeleteFileA(path.c_str());
  }
  EXPECT_FALSE(saveWindowPng(nullptr, folder + "\\none.png"));
  EXPECT_FALSE(saveBitmapPng(nullptr, folder + "\\none.png"));
  EXPECT_FALSE(saveWindowPng(window, ""));
  EXPECT_FALSE(saveWindowPng(window, folder + "\\no such folder\\shot.png"));
  DestroyWindow(window);
}

}  // namespace
}  // namespace tovalux
