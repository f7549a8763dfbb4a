// The barrier in front of every host entry: a throwing body answers the fallback, the first
// failure of a site reaches the sink once, and injection works per site.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/guard.h"

namespace tovalux {
namespace {

std::vector<std::string> gLines;
void collect(const char* line) { gLines.emplace_back(line); }

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetFailuresForTests();
    gLines.clear();
    setFailureSink(&collect);
  }
  void TearDown() override {
    setFailureSink(nullptr);
    resetFailuresForTests();
  }
};

TEST_F(GuardTest, AThrowAnswersTheFallbackAndIsReportedOncePerSite) {
  auto throwing = []() -> int { throw std::runtime_error("boom"); };
  EXPECT_EQ(guarded(GuardSite::kNotification, throwing, -7), -7);
  EXPECT_EQ(guarded(GuardSite::kNotification, throwing, 3), 3);
  EXPECT_EQ(guarded(
                GuardSite::kWindowProcedure,
                [] {
                  throw 42;
                  return 1;
                },
                0),
            0);
  EXPECT_EQ(failureCount(GuardSite::kNotification), 2u);
  EXPECT_EQ(failureCount(GuardSite::kWindowProcedure), 1u);
  ASSERT_EQ(gLines.size(), 2u);
  EXPECT_EQ(gLines[0], "Tovalux: exception in notification: boom");
  EXPECT_EQ(gLines[1], "Tovalux: exception in window procedure: unknown exception");
  EXPECT_EQ(guarded(
                GuardSite::kNotification, [] { return 5; }, 0),
            5);
}

TEST_F(GuardTest, VoidBodiesAndInjection) {
  int ran = 0;
  guarded(GuardSite::kWorker, [&] { ++ran; });
  EXPECT_EQ(ran, 1);
  armFailureInjection(GuardSite::kWorker, 2);
  guarded(GuardSite::kWorker, [&] { ++ran; });
  guarded(GuardSite::kWorker, [&] { ++ran; });
  EXPECT_EQ(guarded(
                GuardSite::kCommand, [] { return 1; }, 0),
            1);  // another site is not armed
  guarded(GuardSite::kWorker, [&] { ++ran; });
  EXPECT_EQ(ran, 2);
  EXPECT_EQ(failureCount(GuardSite::kWorker), 2u);
  ASSERT_EQ(gLines.size(), 1u);
  EXPECT_EQ(gLines[0], "Tovalux: exception in worker thread: injected failure at worker thread");
}

TEST_F(GuardTest, NoSinkStillCounts) {
  setFailureSink(nullptr);
  guarded(GuardSite::kUiJob, [] { throw std::runtime_error("x"); });
  EXPECT_EQ(failureCount(GuardSite::kUiJob), 1u);
  EXPECT_TRUE(gLines.empty());
}

}  // namespace
}  // namespace tovalux
