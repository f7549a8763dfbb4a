// Tracked workers and the pumping wait.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "base/pump_wait.h"
#include "base/workers.h"

namespace tovalux {
namespace {

class Workers : public ::testing::Test {
 protected:
  void SetUp() override { resetWorkerStopForTests(); }
  void TearDown() override {
    requestWorkerStop();
    EXPECT_TRUE(waitForWorkers(5000));
    resetWorkerStopForTests();
  }
};

TEST_F(Workers, AStopReleasesEveryWaitAndRefusesNewWorkers) {
  std::atomic<int> released{0};
  const uint32_t before = startedWorkers();
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(startWorker([&] {
      // A worker that would otherwise wait a minute.
      if (waitForWorkerStop(60000)) ++released;
    }));
  EXPECT_EQ(startedWorkers() - before, 4u);
  const DWORD handlesBefore = [] {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
  }();
  const DWORD start = GetTickCount();
  requestWorkerStop();
  ASSERT_TRUE(waitForWorkers(5000));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(released.load(), 4);
  EXPECT_EQ(runningWorkers(), 0u);
  EXPECT_FALSE(startWorker([] {}));
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_LE(handlesAfter, handlesBefore);  // every thread handle was closed at once
}

TEST_F(Workers, AThrowingBodyIsContained) {
  std::atomic<bool> after{false};
  ASSERT_TRUE(startWorker([] { throw 1; }));
  ASSERT_TRUE(startWorker([&] { after = true; }));
  requestWorkerStop();
  ASSERT_TRUE(waitForWorkers(5000));
  EXPECT_TRUE(after.load());
}

int gTimerFired = 0;
PumpResult gNested = PumpResult::kConditionMet;

void CALLBACK onTimer(HWND w, UINT, UINT_PTR id, DWORD) {
  KillTimer(w, id);
  ++gTimerFired;
  gNested = pumpingWait(1000);  // a message served by the wait asks to wait again
}

TEST(PumpingWait, ServesMessagesEndsOnTheConditionAndDoesNotNest) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  SetTimer(window, 1, 20, &onTimer);
  EXPECT_EQ(pumpingWait(5000, [] { return gTimerFired > 0; }), PumpResult::kConditionMet);
  EXPECT_EQ(gNested, PumpResult::kReentered);
  EXPECT_FALSE(insidePumpingWait());
  const DWORD start = GetTickCount();
  EXPECT_EQ(pumpingWait(50), PumpResult::kTimedOut);
  EXPECT_GE(GetTickCount() - start, 40u);
  DestroyWindow(window);
}

}  // namespace
}  // namespace tovalux
