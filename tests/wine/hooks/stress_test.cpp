// Hooks installed and removed over and over while other threads call the hooked functions in
// tight loops: no call may crash or answer wrongly, whatever instruction a thread was on, and
// threads caught inside the patched bytes must be moved (and carry on correctly).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <latch>
#include <thread>
#include <vector>

#include "hooks/engine/api_hook.h"

namespace tovalux {
namespace {

ApiHook gStressClientRect, gStressSendMessage, gStressSpin;
std::atomic<long> gThroughReplacement{0};

BOOL WINAPI stressGetClientRect(HWND window, LPRECT rect) {
  gThroughReplacement.fetch_add(1, std::memory_order_relaxed);
  return gStressClientRect.original<decltype(&GetClientRect)>()(window, rect);
}
LRESULT WINAPI stressSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gThroughReplacement.fetch_add(1, std::memory_order_relaxed);
  return gStressSendMessage.original<decltype(&SendMessageA)>()(window, message, wParam, lParam);
}

// An entry that is almost all patched bytes, and slow ones: a thread calling it in a loop is
// inside its first five bytes nearly all the time, so an install almost always has to move it.
// (The system functions are long: a worker sits in their first bytes only rarely.)
extern "C" void spinEntry();
asm(R"(
  .text
  .globl _spinEntry
_spinEntry:
  pause
  pause
  nop
  ret
  .section .drectve
  .ascii " -export:spinEntry"
  .text
)");

std::atomic<long> gSpinReplaced{0};
extern "C" void spinReplacement() {
  gSpinReplaced.fetch_add(1, std::memory_order_relaxed);
  gStressSpin.original<void (*)()>()();
}

TEST(ApiHookStress, FourThreadsCallWhileHooksComeAndGo) {
  constexpr int kThreads = 4;
  constexpr int kCycles = 1000;
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::atomic<bool> stop{false};
  std::latch ready(kThreads);
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
      ready.count_down();
      while (!stop.load(std::memory_order_relaxed)) {
        RECT rect{};
        if (!GetClientRect(window, &rect) || rect.right != 100 + i || rect.bottom != 50 + i) wrong.fetch_add(1);
        if (SendMessageA(window, WM_GETTEXTLENGTH, 0, 0) != length) wrong.fetch_add(1);
        calls.fetch_add(2, std::memory_order_relaxed);
      }
      DestroyWindow(window);
    });
  }
  // A fifth thread calls the spinning entry while every kSpinEvery-th install is under way
  // (spinning all the time it would take a processor from the others).
  constexpr int kSpinEvery = 8;
  HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> armed{false}, spinning{false};
  long spins = 0;
  std::thread spinner([&] {
    while (WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0 && !stop.load()) {
      spinning = true;
      while (armed.load(std::memory_order_relaxed)) {
        spinEntry();
        ++spins;
      }
      spinning = false;
    }
  });
  ready.wait();

  const uint32_t movedBefore = ApiHook::threadsMoved();
  const DWORD started = GetTickCount();
  int installed = 0, failedRemovals = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    const bool spin = cycle % kSpinEvery == 0;
    if (spin) {
      armed = true;
      SetEvent(go);
      while (!spinning.load()) SwitchToThread();  // in its loop
    }
    // The hooks change under one freeze of the workers, as at start-up.
    {
      HookTransaction transaction;
      installed += transaction.install(gStressClientRect, "user32.dll", "GetClientRect",
                                       reinterpret_cast<const void*>(&stressGetClientRect), 7);
      installed += transaction.install(gStressSendMessage, "user32.dll", "SendMessageA",
                                       reinterpret_cast<const void*>(&stressSendMessage));
      installed +=
          transaction.install(gStressSpin, program, "spinEntry", reinterpret_cast<const void*>(&spinReplacement));
    }
    if (spin) {
      armed = false;
      while (spinning.load()) SwitchToThread();  // out of it
    }
    bool removed = true;
    if (cycle % 2 == 0) {
      HookTransaction transaction;
      removed &= transaction.remove(gStressClientRect);
      removed &= transaction.remove(gStressSendMessage);
      removed &= transaction.remove(gStressSpin);
    } else {
      // One at a time too, the way a single hook is removed.
      removed &= gStressClientRect.removeHook();
      removed &= gStressSendMessage.removeHook();
      removed &= gStressSpin.removeHook();
    }
    if (!removed) ++failedRemovals;
  }
  stop = true;
  SetEvent(go);
  spinner.join();
  for (std::thread& worker : workers) worker.join();
  CloseHandle(go);

  const uint32_t moved = ApiHook::threadsMoved() - movedBefore;
  std::printf(
      "%d install/remove cycles in %lu ms; calls %ld, through the replacements %ld; spinning entry %ld calls, %ld "
      "through its replacement; threads moved into trampolines %u\n",
      kCycles, GetTickCount() - started, calls.load(), gThroughReplacement.load(), spins, gSpinReplaced.load(), moved);
  EXPECT_EQ(installed, 3 * kCycles);
  EXPECT_EQ(failedRemovals, 0);
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(calls.load(), 0);
  EXPECT_GT(gThroughReplacement.load(), 0);
  EXPECT_GT(gSpinReplaced.load(), 0);
  // The spinning thread is caught inside the entry's patched bytes at nearly every install it
  // spins through; none in over a hundred would mean the engine stopped moving threads.
  EXPECT_GT(moved, 0u) << "no install moved a thread out of the patched bytes";
}

}  // namespace
}  // namespace tovalux
