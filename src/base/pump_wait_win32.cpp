#include "base/pump_wait.h"

#include <algorithm>
#include <cstdint>

namespace tovalux {
namespace {

thread_local int tDepth = 0;

constexpr DWORD kSliceMs = 10;
constexpr int kMessagesPerSlice = 64;

struct DepthScope {
  DepthScope() { ++tDepth; }
  ~DepthScope() { --tDepth; }
};

// Answers false when the thread is quitting.
bool serveMessages(DWORD deadline) {
  MSG message;
  for (int n = 0; n < kMessagesPerSlice && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
    if (message.message == WM_QUIT) {
      // The loop that owns the thread must still see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (static_cast<int32_t>(GetTickCount() - deadline) >= 0) break;
  }
  return true;
}

}  // namespace

bool insidePumpingWait() { return tDepth > 0; }

PumpResult pumpingWait(DWORD milliseconds, const std::function<bool()>& until) {
  if (tDepth > 0) return PumpResult::kReentered;
  DepthScope scope;
  const DWORD deadline = GetTickCount() + milliseconds;
  for (;;) {
    if (until && until()) return PumpResult::kConditionMet;
    const int32_t left = static_cast<int32_t>(deadline - GetTickCount());
    if (left <= 0) return PumpResult::kTimedOut;
    MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(static_cast<DWORD>(left), kSliceMs), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    if (!serveMessages(deadline)) return PumpResult::kTimedOut;
  }
}

}  // namespace tovalux
