// The contracts every subsystem that reaches into the host relies on: the subclass registry with
// its restore, the UI job queue, and the host-text readers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/guard.h"
#include "base/module_pin.h"
#include "base/pump_wait.h"
#include "host/host_text.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "host/ui_jobs.h"

namespace tovalux {
namespace {

std::vector<UINT> gSeen;
std::vector<UINT> gHostSeen;
WNDPROC gHostProcedure = nullptr;

// How many slices had run when the host's window saw WM_USER + 7 (the UI-job ordering test).
const std::vector<std::string>* gSliceOrder = nullptr;
size_t gSlicesWhenHostSaw = 0;

LRESULT CALLBACK hostProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  gHostSeen.push_back(m);
  if (m == WM_USER + 7 && gSliceOrder != nullptr) gSlicesWhenHostSaw = gSliceOrder->size();
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT handle(SubclassCall& call) {
  gSeen.push_back(call.message);
  if (call.message == WM_USER + 1) return 42;  // answered by us
  if (call.message == WM_USER + 2) throw 7;    // a fault inside our handling
  return call.forward();
}
LRESULT CALLBACK ourProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return runSubclass(&ourProcedure, &handle, w, m, wp, lp);
}

HWND makeHostWindow() {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &hostProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ContractsHost";
    return RegisterClassA(&wc);
  }();
  EXPECT_NE(atom, 0);
  return CreateWindowExA(0, "ContractsHost", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

class Subclasses : public ::testing::Test {
 protected:
  void SetUp() override {
    setShellState(ShellState::kRunning);
    resetFailuresForTests();
    gSeen.clear();
    gHostSeen.clear();
  }
  void TearDown() override {
    restoreSubclasses();
    resetShellStateForTests();
  }
};

TEST_F(Subclasses, RunningHandlesClosedPassesThroughAndRestorePutsTheHostBack) {
  HWND w = makeHostWindow();
  ASSERT_TRUE(subclassWindow(w, &ourProcedure));
  EXPECT_FALSE(subclassWindow(w, &ourProcedure));  // once per window
  EXPECT_TRUE(thisModulePinned());
  gHostSeen.clear();  // creation messages
  EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), 42);
  EXPECT_TRUE(gHostSeen.empty());
  // A throwing handler is contained and the host still handles the message.
  SendMessageA(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(failureCount(GuardSite::kWindowProcedure), 1u);
  ASSERT_EQ(gHostSeen.size(), 1u);
  EXPECT_EQ(gHostSeen[0], static_cast<UINT>(WM_USER + 2));

  setShellState(ShellState::kClosed);
  gSeen.clear();
  gHostSeen.clear();
  SendMessageA(w, WM_USER + 1, 0, 0);
  EXPECT_TRUE(gSeen.empty());
  ASSERT_EQ(gHostSeen.size(), 1u);

  EXPECT_EQ(restoreSubclasses(), 0u);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), &hostProcedure);
  EXPECT_EQ(subclassCount(), 0u);
  DestroyWindow(w);
}

LRESULT CALLBACK laterProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(gHostProcedure, w, m, wp, lp);
}

TEST_F(Subclasses, ASubclassInstalledAfterOursIsLeftAndOursStaysAPassThrough) {
  HWND w = makeHostWindow();
  ASSERT_TRUE(subclassWindow(w, &ourProcedure));
  gHostProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&laterProcedure)));
  EXPECT_EQ(restoreSubclasses(), 1u);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), &laterProcedure);
  setShellState(ShellState::kClosed);
  SendMessageA(w, WM_USER + 1, 0, 0);
  EXPECT_TRUE(gSeen.empty());
  EXPECT_EQ(gHostSeen.back(), static_cast<UINT>(WM_USER + 1));
  DestroyWindow(w);
  EXPECT_EQ(subclassCount(), 0u);  // WM_NCDESTROY took the entry
}

TEST_F(Subclasses, TheWindowsOwnProcedureSeesDestroyAndTheEntryGoesAtNcDestroy) {
  HWND w = makeHostWindow();
  ASSERT_TRUE(subclassWindow(w, &ourProcedure));
  DestroyWindow(w);
  ASSERT_GE(gHostSeen.size(), 2u);
  EXPECT_NE(std::find(gHostSeen.begin(), gHostSeen.end(), static_cast<UINT>(WM_DESTROY)), gHostSeen.end());
  EXPECT_EQ(gHostSeen.back(), static_cast<UINT>(WM_NCDESTROY));
  EXPECT_EQ(subclassCount(), 0u);
}

class UiJobs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(openUiJobs()); }
  void TearDown() override { closeUiJobs(); }
};

TEST_F(UiJobs, JobsFromOtherThreadsRunInOrderOnTheUiThreadAndCoalesce) {
  std::vector<int> order;
  std::atomic<int> refreshes{0};
  const DWORD ui = GetCurrentThreadId();
  std::atomic<bool> offThread{false};
  std::thread poster([&] {
    for (int i = 0; i < 200; ++i) {
      postUiJob([&, i] {
        if (GetCurrentThreadId() != ui) offThread = true;
        order.push_back(i);
      });
      postUiJob([&] { ++refreshes; }, kToolBarRefresh);
    }
  });
  poster.join();
  ASSERT_EQ(pumpingWait(10000, [&] { return order.size() == 200 && pendingUiJobs() == 0; }), PumpResult::kConditionMet);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(order[static_cast<size_t>(i)], i);
  EXPECT_FALSE(offThread.load());
  EXPECT_GE(refreshes.load(), 1);
  EXPECT_LT(refreshes.load(), 200);  // a burst ends in far fewer refreshes than requests
}

TEST_F(UiJobs, AJobThatPostsTheNextLetsTheHostsMessagesRunBetween) {
  // A long fill runs in slices, each posting the next; the host's own messages must get their
  // turn between slices, not after the last one.
  HWND host = makeHostWindow();
  ASSERT_NE(host, nullptr);
  std::vector<std::string> order;
  std::function<void(int)> slice = [&](int left) {
    order.push_back("slice");
    if (left == 3) PostMessageA(host, WM_USER + 7, 0, 0);  // the host's message, posted meanwhile
    if (left > 0) postUiJob([&, left] { slice(left - 1); });
  };
  gHostSeen.clear();
  gSliceOrder = &order;
  postUiJob([&] { slice(5); });
  ASSERT_EQ(pumpingWait(10000, [&] { return order.size() == 6 && pendingUiJobs() == 0; }), PumpResult::kConditionMet);
  gSliceOrder = nullptr;
  // Posted while the third slice ran, it is handled right after that slice's turn, long before
  // the last (one drain for the whole chain would hold it until all six had run).
  ASSERT_NE(std::find(gHostSeen.begin(), gHostSeen.end(), static_cast<UINT>(WM_USER + 7)), gHostSeen.end());
  EXPECT_LE(gSlicesWhenHostSaw, 4u);
  DestroyWindow(host);
}

TEST_F(UiJobs, SynchronousCallsWaitAndCloseReleasesAndRefuses) {
  EXPECT_TRUE(runOnUiThread([] {}));  // on the UI thread it runs at once
  bool ran = false;
  std::atomic<bool> answered{false};
  std::thread caller([&] { answered = runOnUiThread([&] { ran = true; }); });
  ASSERT_EQ(pumpingWait(10000, [&] { return answered.load(); }), PumpResult::kConditionMet);
  caller.join();
  EXPECT_TRUE(ran);

  // A job pending at close is dropped; a waiter is released with false.
  bool dropped = true;
  postUiJob([&] { dropped = false; });
  std::atomic<bool> lateAnswer{true};
  std::thread waiter([&] { lateAnswer = runOnUiThread([] {}); });
  // The waiter's job is queued behind ours; close before serving any of them. (Its queueing
  // posts nothing: the wake-up of the first job stands for both, so the count is watched.)
  const DWORD start = GetTickCount();
  while (pendingUiJobs() < 2 && GetTickCount() - start < 10000) SwitchToThread();
  EXPECT_EQ(pendingUiJobs(), 2u);
  closeUiJobs();
  waiter.join();
  EXPECT_FALSE(lateAnswer.load());
  // Whatever the close left in this thread's queue (the wake-up went with its window) is served
  // and runs nothing.
  EXPECT_EQ(pumpingWait(5000, [] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }), PumpResult::kConditionMet);
  EXPECT_TRUE(dropped);
  EXPECT_FALSE(postUiJob([] {}));
}

TEST(HostText, CombosAndLongWindowTexts) {
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 100, 200, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(combo);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("按钮1"));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
  EXPECT_EQ(comboItemText(combo, 0), "按钮1");
  EXPECT_EQ(comboItemText(combo, 0, 3), "按");  // cut on a character, never half of one
  EXPECT_EQ(comboItemText(combo, 1), "");
  EXPECT_EQ(comboItemText(combo, 2), "");  // CB_ERR
  EXPECT_EQ(comboItemText(combo, -1), "");
  DestroyWindow(combo);

  // A plain window keeps its text as given (an edit control would lay 60,000 bytes out).
  HWND edit = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(edit);
  std::string text(49999, 'a');
  text += "提";
  text += std::string(9999, 'b');
  SetWindowTextA(edit, text.c_str());
  const std::string read = windowText(edit);
  EXPECT_EQ(read.size(), 49999u + std::string("...后面略掉10000个字符...").size());
  EXPECT_EQ(read.substr(49999), "...后面略掉10000个字符...");
  EXPECT_EQ(windowTextCapped(edit, 4), "aaaa");
  EXPECT_EQ(windowText(nullptr), "");
  DestroyWindow(edit);

  // A host that writes past the length it reported is cut at the length, and one that reports
  // nothing is never asked.
  bool asked = false;
  EXPECT_EQ(hostFilledText(3, 100,
                           [&](char* b, size_t size) {
                             asked = true;
                             EXPECT_EQ(size, 4u);
                             memcpy(b, "abcd", 4);
                           }),
            "abc");
  EXPECT_TRUE(asked);
  asked = false;
  EXPECT_EQ(hostFilledText(-1, 100, [&](char*, size_t) { asked = true; }), "");
  EXPECT_FALSE(asked);
  // A text longer than the cap, cut between the two bytes of a character, loses the half one;
  // a whole character at the cap stays.
  const std::string wide = "ab表格";
  const auto fillWith = [&](char* b, size_t size) { memcpy(b, wide.data(), std::min(size, wide.size())); };
  EXPECT_EQ(hostFilledText(static_cast<int64_t>(wide.size()), 3, fillWith), "ab");
  EXPECT_EQ(hostFilledText(static_cast<int64_t>(wide.size()), 4, fillWith), "ab表");
  EXPECT_EQ(hostFilledText(static_cast<int64_t>(wide.size()), 5, fillWith), "ab表");
}

}  // namespace
}  // namespace tovalux
