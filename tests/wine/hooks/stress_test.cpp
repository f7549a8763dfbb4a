// Hooks installed and removed over and over while other threads call the hooked functions in
// tight loops: no call may crash or answer wrongly, whatever instruction a thread was on.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "hooks/engine/api_hook.h"

namespace tovalux {
namespace {

ApiHook gStressClientRect, gStressSendMessage;
std::atomic<long> gThroughReplacement{0};

BOOL WINAPI stressGetClientRect(HWND window, LPRECT rect) {
  gThroughReplacement.fetch_add(1, std::memory_order_relaxed);
  return gStressClientRect.original<decltype(&GetClientRect)>()(window, rect);
}
LRESULT WINAPI stressSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gThroughReplacement.fetch_add(1, std::memory_order_relaxed);
  return gStressSendMessage.original<decltype(&SendMessageA)>()(window, message, wParam, lParam);
}

TEST(ApiHookStress, FourThreadsCallWhileHooksComeAndGo) {
  constexpr int kThreads = 4;
  constexpr int kCycles = 1000;
  std::atomic<bool> stop{false};
  std::atomic<int> ready{0};
  std::atomic<long> calls{0}, wrong{0};

  std::vector<std::thread> workers;
  for (int i = 0; i < kThreads; ++i) {
    workers.emplace_back([&, i] {
      // Each thread sends to its own window, so no call waits for another thread.
      char title[32];
      std::snprintf(title, sizeof title, "stress window %d", i);
      HWND window =
          CreateWindowExA(0, "Static", title, WS_POPUP, 0, 0, 100 + i, 50 + i, nullptr, nullptr, nullptr, nullptr);
      const LRESULT length = static_cast<LRESULT>(std::strlen(title));
      ready.fetch_add(1);
      while (!stop.load(std::memory_order_relaxed)) {
        RECT rect{};
        if (!GetClientRect(window, &rect) || rect.right != 100 + i || rect.bottom != 50 + i) wrong.fetch_add(1);
        if (SendMessageA(window, WM_GETTEXTLENGTH, 0, 0) != length) wrong.fetch_add(1);
        calls.fetch_add(2, std::memory_order_relaxed);
      }
      DestroyWindow(window);
    });
  }
  while (ready.load() < kThreads) Sleep(1);

  const uint32_t movedBefore = ApiHook::threadsMoved();
  const DWORD started = GetTickCount();
  int installed = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    // Both hooks change under one freeze of the workers, as at start-up.
    {
      HookTransaction transaction;
      installed += transaction.install(gStressClientRect, "user32.dll", "GetClientRect",
                                       reinterpret_cast<const void*>(&stressGetClientRect), 7);
      installed += transaction.install(gStressSendMessage, "user32.dll", "SendMessageA",
                                       reinterpret_cast<const void*>(&stressSendMessage));
    }
    if (cycle % 2 == 0) {
      HookTransaction transaction;
      transaction.remove(gStressClientRect);
      transaction.remove(gStressSendMessage);
    } else {
      // One at a time too, the way a single hook is removed.
      gStressClientRect.removeHook();
      gStressSendMessage.removeHook();
    }
  }
  stop = true;
  for (std::thread& worker : workers) worker.join();

  std::printf(
      "%d install/remove cycles in %lu ms; calls %ld, through the replacements %ld, threads moved into "
      "trampolines %u\n",
      kCycles, GetTickCount() - started, calls.load(), gThroughReplacement.load(),
      ApiHook::threadsMoved() - movedBefore);
  EXPECT_EQ(installed, 2 * kCycles);
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(calls.load(), 0);
  EXPECT_GT(gThroughReplacement.load(), 0);
}

}  // namespace
}  // namespace tovalux
