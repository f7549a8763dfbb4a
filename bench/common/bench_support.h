// What the Windows benchmarks share: a monotonic clock in seconds, timing a piece of work,
// serving this thread's messages, and the median of a run's rounds.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
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

// ehost.exe of the IDE folder `folder` playing `script`, its journal and artefacts in `work`, with
// the plug-in or without it (--no-plugins); the process's handles, or false when it did not start.
inline bool startEhost(const std::string& folder, const std::string& script, const std::string& journal,
                       const std::string& work, bool plugins, PROCESS_INFORMATION* process) {
  std::string command = "\"" + folder + "\\ehost.exe\" --script \"" + script + "\" --journal \"" + journal +
                        "\" --artefacts \"" + work + "\" --watchdog";
  if (!plugins) command += " --no-plugins";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  *process = PROCESS_INFORMATION{};
  return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        process) != FALSE;
}

}  // namespace tovalux::bench
