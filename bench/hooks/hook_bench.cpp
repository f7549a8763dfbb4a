// Cost of a hooked call that only passes through its trampoline, as a ratio to the same call
// unhooked, measured in one run under Wine.
//   bench_hooks.exe [calls]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "hooks/engine/api_hook.h"

namespace {

tovalux::ApiHook gTick, gRect;

DWORD WINAPI passTick() { return gTick.original<decltype(&GetTickCount)>()(); }
BOOL WINAPI passRect(HWND window, LPRECT rect) { return gRect.original<decltype(&GetClientRect)>()(window, rect); }

double secondsNow() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

// Best of five runs of `calls` calls, in nanoseconds per call.
template <typename Call>
double nanosecondsPerCall(long calls, Call call) {
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    const double start = secondsNow();
    for (long i = 0; i < calls; ++i) call();
    best = std::min(best, (secondsNow() - start) * 1e9 / double(calls));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const long calls = argc > 1 ? std::atol(argv[1]) : 2000000;
  HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  volatile DWORD sink = 0;
  auto tick = [&] { sink = sink + GetTickCount(); };
  auto rect = [&] {
    RECT r;
    sink = sink + GetClientRect(window, &r);
  };

  const double tickPlain = nanosecondsPerCall(calls, tick);
  const double rectPlain = nanosecondsPerCall(calls / 10, rect);
  // Without the hooks the "hooked" figures would time the plain calls again.
  if (!gTick.installHook("kernel32.dll", "GetTickCount", reinterpret_cast<const void*>(&passTick)) ||
      !gRect.installHook("user32.dll", "GetClientRect", reinterpret_cast<const void*>(&passRect), 7)) {
    std::fprintf(stderr, "bench_hooks: a hook could not be installed (%s, %s)\n", tovalux::toString(gTick.lastStatus()),
                 tovalux::toString(gRect.lastStatus()));
    return 1;
  }
  const double tickHooked = nanosecondsPerCall(calls, tick);
  const double rectHooked = nanosecondsPerCall(calls / 10, rect);
  gTick.removeHook();
  gRect.removeHook();

  std::printf("hooked pass-through call cost (best of 5, Wine)\n");
  std::printf("  %-14s %8.1f ns unhooked  %8.1f ns hooked  ratio %.2f  (+%.1f ns)\n", "GetTickCount", tickPlain,
              tickHooked, tickHooked / tickPlain, tickHooked - tickPlain);
  std::printf("  %-14s %8.1f ns unhooked  %8.1f ns hooked  ratio %.2f  (+%.1f ns)\n", "GetClientRect", rectPlain,
              rectHooked, rectHooked / rectPlain, rectHooked - rectPlain);
  DestroyWindow(window);
  return 0;
}
