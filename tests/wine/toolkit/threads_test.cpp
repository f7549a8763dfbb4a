// XC_CallUiThread: from a worker thread (waits for the UI thread's answer, calls keep their
// order, served inside any message retrieval), from the UI thread (at once), and around the
// toolkit's exit (0 without running, also for a caller already waiting).
#include <atomic>
#include <thread>
#include <vector>

#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

using UiThread = ToolkitScreen;

struct Call {
  DWORD ranOn = 0;
  int runs = 0;
  int value = 0;
};

int recordCall(void* data) {
  auto* call = static_cast<Call*>(data);
  call->ranOn = GetCurrentThreadId();
  ++call->runs;
  return call->value;
}

TEST_F(UiThread, WorkerWaitsForTheUiThreadsAnswer) {
  const DWORD ui = GetCurrentThreadId();
  std::vector<Call> calls(20);
  for (int i = 0; i < 20; ++i) calls[i].value = 100 + i;
  std::vector<int> order;
  std::vector<int> answers;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    for (Call& call : calls) answers.push_back(XC_CallUiThread(&recordCall, &call));
    finished = true;
  });
  // The UI thread serves the calls while it retrieves messages.
  ASSERT_TRUE(pumpUntil([&] { return finished.load(); }, 20000));
  worker.join();
  ASSERT_EQ(answers.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(answers[i], 100 + i);
    EXPECT_EQ(calls[i].ranOn, ui);
    EXPECT_EQ(calls[i].runs, 1);
  }
}

TEST_F(UiThread, ServedByAFilteredWaitThatRetrievesNoPostedMessages) {
  // Modal loops and message-pumping waits of the host retrieve messages selectively; the
  // hand-over must still get through.
  Call call{0, 0, 7};
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = XC_CallUiThread(&recordCall, &call); });
  const DWORD start = GetTickCount();
  while (answer.load() < 0 && GetTickCount() - start < 20000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    // Only messages of a window that does not exist: sent messages are still served.
    PeekMessageW(&message, reinterpret_cast<HWND>(1), 0, 0, PM_REMOVE);
  }
  worker.join();
  EXPECT_EQ(answer.load(), 7);
  EXPECT_EQ(call.ranOn, GetCurrentThreadId());
}

TEST_F(UiThread, OnTheUiThreadItRunsAtOnce) {
  Call call{0, 0, 42};
  EXPECT_EQ(XC_CallUiThread(&recordCall, &call), 42);  // no message retrieval in between
  EXPECT_EQ(call.runs, 1);
  EXPECT_EQ(call.ranOn, GetCurrentThreadId());
  // Nested: a function handed over calls it again.
  static Call inner{0, 0, 5};
  inner.runs = 0;
  int outer = XC_CallUiThread([](void*) { return XC_CallUiThread(&recordCall, &inner) + 1; }, nullptr);
  EXPECT_EQ(outer, 6);
  EXPECT_EQ(inner.runs, 1);
  EXPECT_EQ(XC_CallUiThread(nullptr, nullptr), 0);
}

TEST_F(UiThread, AfterExitItAnswersZeroWithoutWaiting) {
  XExitXCGUI();
  Call call{0, 0, 9};
  EXPECT_EQ(XC_CallUiThread(&recordCall, &call), 0) << "on the UI thread";
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = XC_CallUiThread(&recordCall, &call); });
  // Nothing serves messages here: the worker must come back on its own.
  worker.join();
  EXPECT_EQ(answer.load(), 0);
  EXPECT_EQ(call.runs, 0);
  ASSERT_TRUE(XInitXCGUI("Tovalux"));  // for TearDown, and a second start works
  EXPECT_EQ(XC_CallUiThread(&recordCall, &call), 9);
}

TEST_F(UiThread, ACallerWaitingAtExitIsReleased) {
  Call call{0, 0, 3};
  std::atomic<int> answer{-1};
  auto sentWaiting = [] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; };
  ASSERT_TRUE(serveQueued());
  ASSERT_FALSE(sentWaiting());
  std::thread worker([&] { answer = XC_CallUiThread(&recordCall, &call); });
  // The worker has queued its call once its wake-up message waits for this thread. Nothing here
  // retrieves messages meanwhile (the wait serves no sent message), so the call is not served.
  const DWORD start = GetTickCount();
  while (!sentWaiting() && GetTickCount() - start < 10000)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
  EXPECT_TRUE(sentWaiting()) << "the worker's wake-up message never came";
  EXPECT_EQ(answer.load(), -1) << "still waiting for the UI thread";
  XExitXCGUI();
  worker.join();
  EXPECT_EQ(answer.load(), 0);
  EXPECT_EQ(call.runs, 0) << "a call not yet served when the toolkit exits never runs";
  // The wake-up message left behind finds no toolkit.
  waitFor("the wake-up message served", [&] { return !sentWaiting(); });
  EXPECT_EQ(call.runs, 0);
  ASSERT_TRUE(XInitXCGUI("Tovalux"));
}

}  // namespace
}  // namespace tovalux::testing
