// The operating system as the shell asks about it, in the Windows 7 prefix: the WMI caption
// (read once per process, COM left as found) and the elevation seam.
#include "base/os_info.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace tovalux {
namespace {

struct FirstCall {
  std::string caption;
  HRESULT comAfterwards = E_FAIL;
};

DWORD WINAPI callFirst(void* result) {
  auto* first = static_cast<FirstCall*>(result);
  first->caption = osCaption();
  // The caption's own initialisation was undone: this thread's COM starts afresh.
  first->comAfterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(first->comAfterwards)) CoUninitialize();
  return 0;
}

DWORD WINAPI callOnMta(void*) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const bool same = !osCaption().empty();
  CoUninitialize();
  return same ? 0 : 1;
}

TEST(OsInfo, TheCaptionIsReadOnceWithCoMLeftAsItWas) {
  ASSERT_EQ(wmiConnectCount(), 0);
  FirstCall first;
  HANDLE thread = CreateThread(nullptr, 0, &callFirst, &first, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_NE(first.caption.find("Windows 7"), std::string::npos) << first.caption;
  EXPECT_EQ(first.comAfterwards, S_OK);
  EXPECT_FALSE(isWindows10());

  // Later callers, at once from several threads (one already in the other apartment), share it.
  std::vector<HANDLE> threads;
  for (int i = 0; i < 4; ++i) threads.push_back(CreateThread(nullptr, 0, &callOnMta, nullptr, 0, nullptr));
  WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE t : threads) {
    DWORD code = 1;
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(t);
  }
  EXPECT_EQ(&osCaption(), &osCaption());
  EXPECT_EQ(wmiConnectCount(), 1);
}

TEST(OsInfo, ATestDecidesWhetherTheProcessLooksElevated) {
  const bool token = processIsElevated();
  setElevationOverride(ElevationOverride::kNotElevated);
  EXPECT_FALSE(processIsElevated());
  setElevationOverride(ElevationOverride::kElevated);
  EXPECT_TRUE(processIsElevated());
  setElevationOverride(ElevationOverride::kNone);
  EXPECT_EQ(processIsElevated(), token);
}

}  // namespace
}  // namespace tovalux
