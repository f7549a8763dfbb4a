#include "base/guard.h"

#include <array>
#include <atomic>
#include <stdexcept>
#include <string>

namespace tovalux {
namespace {

constexpr size_t kSites = static_cast<size_t>(GuardSite::kCount);

std::array<std::atomic<uint32_t>, kSites> gFailures{};
std::array<std::atomic<uint32_t>, kSites> gInjections{};
std::atomic<bool> gAnyInjection{false};
std::atomic<FailureSink> gSink{nullptr};

size_t indexOf(GuardSite site) { return static_cast<size_t>(site) < kSites ? static_cast<size_t>(site) : 0; }

}  // namespace

const char* guardSiteName(GuardSite site) {
  switch (site) {
    case GuardSite::kDescriptor: return "GetNewInf";
    case GuardSite::kNotification: return "notification";
    case GuardSite::kCommand: return "library command";
    case GuardSite::kWindowProcedure: return "window procedure";
    case GuardSite::kHookReplacement: return "hook replacement";
    case GuardSite::kToolkit: return "toolkit callback";
    case GuardSite::kWorker: return "worker thread";
    case GuardSite::kUiJob: return "UI job";
    case GuardSite::kPartStep: return "start-up or shut-down step";
    case GuardSite::kCount: break;
  }
  return "?";
}

void setFailureSink(FailureSink sink) { gSink.store(sink); }

void recordFailure(GuardSite site, const char* what) noexcept {
  if (gFailures[indexOf(site)].fetch_add(1) != 0) return;  // only the first of each site is reported
  FailureSink sink = gSink.load();
  if (!sink) return;
  try {
    std::string line = "Tovalux: exception in ";
    line += guardSiteName(site);
    line += ": ";
    line += what ? what : "?";
    sink(line.c_str());
  } catch (...) {
    // Out of memory while reporting: the count above is all that is left.
  }
}

uint32_t failureCount(GuardSite site) noexcept { return gFailures[indexOf(site)].load(); }

void armFailureInjection(GuardSite site, uint32_t count) noexcept {
  gInjections[indexOf(site)].store(count);
  gAnyInjection.store(true);
}

void resetFailuresForTests() noexcept {
  for (auto& n : gFailures) n.store(0);
  for (auto& n : gInjections) n.store(0);
  gAnyInjection.store(false);
}

namespace detail {

bool takeInjectedFailure(GuardSite site) noexcept {
  if (!gAnyInjection.load(std::memory_order_relaxed)) return false;
  auto& left = gInjections[indexOf(site)];
  uint32_t n = left.load();
  while (n > 0)
    if (left.compare_exchange_weak(n, n - 1)) return true;
  return false;
}

void throwInjectedFailure(GuardSite site) {
  throw std::runtime_error(std::string("injected failure at ") + guardSiteName(site));
}

void recordCurrentException(GuardSite site) noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    recordFailure(site, e.what());
  } catch (...) {
    recordFailure(site, "unknown exception");
  }
}

}  // namespace detail
}  // namespace tovalux
