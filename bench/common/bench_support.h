// What the Windows benchmarks share: a monotonic clock in seconds, timing a piece of work,
// serving this thread's messages, the median of a run's rounds, a process's private bytes, and
// the machine-readable figure lines (bench_report.h).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_report.h"

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

// A sampling profiler told which part of a run to record. With TOVALUX_PROFILE_FIFO naming the
// control fifo of `perf record -D -1 --control=fifo:PATH` (as a Windows path, Z:\\tmp\\...) and
// TOVALUX_PROFILE_PART naming a part, every stretch of that part is recorded and nothing else;
// without them a part costs one comparison. The fifo stays open: perf reads commands until it ends.
// The part's stretches are also marked in the debug output (WINEDEBUG=+server,+debugstr shows
// which server requests fall inside them).
class ProfiledPart {
 public:
  explicit ProfiledPart(const char* name) : on_(wanted(name)) {
    if (!on_) return;
    OutputDebugStringA("profiled part begins");
    command("enable\n");
  }
  ~ProfiledPart() {
    if (!on_) return;
    command("disable\n");
    OutputDebugStringA("profiled part ends");
  }
  ProfiledPart(const ProfiledPart&) = delete;
  ProfiledPart& operator=(const ProfiledPart&) = delete;

 private:
  static bool wanted(const char* name) {
    static const std::string part = [] {
      const char* chosen = std::getenv("TOVALUX_PROFILE_PART");
      return std::string(chosen != nullptr ? chosen : "");
    }();
    return !part.empty() && part == name;
  }
  static void command(const char* text) {
    static const HANDLE fifo = [] {
      const char* path = std::getenv("TOVALUX_PROFILE_FIFO");
      return path != nullptr ? CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
    }();
    DWORD written = 0;
    if (fifo != INVALID_HANDLE_VALUE) WriteFile(fifo, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  }
  bool on_;
};

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

// The value below which `share` (0..1) of the values lie; 0 for no values.
inline double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
  return values[at];
}

// This process's committed private memory in bytes: the committed MEM_PRIVATE regions of its
// address space added up (Wine leaves PROCESS_MEMORY_COUNTERS_EX::PrivateUsage at 0).
inline long long privateBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// ehost.exe of the IDE folder `folder` playing `script`, its journal and artefacts in `work`, with
// the plug-in or without it (--no-plugins), and `options` of ehost's own; the process's handles, or
// false when it did not start.
inline bool startEhost(const std::string& folder, const std::string& script, const std::string& journal,
                       const std::string& work, bool plugins, PROCESS_INFORMATION* process,
                       const std::string& options = "") {
  std::string command = "\"" + folder + "\\ehost.exe\" --script \"" + script + "\" --journal \"" + journal +
                        "\" --artefacts \"" + work + "\" --watchdog";
  if (!plugins) command += " --no-plugins";
  if (!options.empty()) command += " " + options;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  *process = PROCESS_INFORMATION{};
  return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        process) != FALSE;
}

}  // namespace tovalux::bench
