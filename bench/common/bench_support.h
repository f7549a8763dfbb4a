// What the Windows benchmarks share: a monotonic clock in seconds, timing a piece of work,
// serving this thread's messages, and the median of a run's rounds.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace tovalux::bench {

inline double now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds the work took.
inline double timed(const std::function<void()>& work) {
  const double start = now();
  work();
  return now() - start;
}

// Handles every message waiting now.
inline void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// 0 for no rounds.
inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace tovalux::bench
