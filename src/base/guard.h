// The barrier at every place where the host (or Windows on the host's behalf) calls into us:
// GetNewInf, the notification callback, the library commands, window procedures, subclasses,
// hook replacements, worker threads and UI jobs. Nothing may unwind into the host's frames, so
// each entry runs its body through `guarded`, which answers a safe value when the body throws.
// The first failure of each site is written to the diagnostic sink; every one is counted.
#pragma once

#include <cstdint>
#include <exception>
#include <type_traits>
#include <utility>

namespace tovalux {

enum class GuardSite : uint8_t {
  kDescriptor,       // GetNewInf
  kNotification,     // onHostNotify
  kCommand,          // the library commands, inside a debugged program
  kWindowProcedure,  // our window procedures and subclasses of host windows
  kHookReplacement,  // replacements of hooked system functions
  kToolkit,          // the toolkit's own callbacks into Windows
  kWorker,           // threads we start
  kUiJob,            // work handed to the UI thread
  kPartStep,         // one Part's start-up or shut-down step (shell/part.h)
  kCount
};

const char* guardSiteName(GuardSite site);

// Where the first failure of each site is reported (the Notepad log in the plug-in). The line
// passed is complete ("Tovalux: exception in <site>: <what>").
using FailureSink = void (*)(const char* line);
void setFailureSink(FailureSink sink);

void recordFailure(GuardSite site, const char* what) noexcept;
uint32_t failureCount(GuardSite site) noexcept;

// Tests arm a site so that the next `count` guarded entries of it throw before their body runs;
// production never arms one. The check is one relaxed atomic load.
void armFailureInjection(GuardSite site, uint32_t count = 1) noexcept;
void resetFailuresForTests() noexcept;

namespace detail {
bool takeInjectedFailure(GuardSite site) noexcept;
[[noreturn]] void throwInjectedFailure(GuardSite site);
void recordCurrentException(GuardSite site) noexcept;
}  // namespace detail

// Runs `body`; when it throws, records the failure and answers `fallback` (for a void body, just
// returns).
template <class Body, class Result = std::invoke_result_t<Body&>>
Result guarded(GuardSite site, Body&& body, std::type_identity_t<Result> fallback = Result{}) noexcept
    requires(!std::is_void_v<Result>) {
  try {
    if (detail::takeInjectedFailure(site)) detail::throwInjectedFailure(site);
    return body();
  } catch (...) {
    detail::recordCurrentException(site);
  }
  return fallback;
}

template <class Body>
void guarded(GuardSite site, Body&& body) noexcept requires std::is_void_v<std::invoke_result_t<Body&>> {
  try {
    if (detail::takeInjectedFailure(site)) detail::throwInjectedFailure(site);
    body();
  } catch (...) {
    detail::recordCurrentException(site);
  }
}

}  // namespace tovalux
