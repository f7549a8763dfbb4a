// The start page's decisions without Win32: when a request to style the web view is answered,
// how long the watcher keeps asking, and where the splash goes.
#pragma once

#include <cstdint>

namespace tovalux::startpage {

// How long a page may take to become "complete", counted from the first time its document was
// reached; after that it stays unstyled.
inline constexpr uint32_t kReadyLimitMs = 5000;
// The watcher: one look every 100 ms, at most 60,000 looks.
inline constexpr uint32_t kWatcherIntervalMs = 100;
inline constexpr uint32_t kWatcherAttempts = 60000;

enum class InjectStep : uint8_t {
  kRetry,     // answer 0: the watcher asks again (document not reached, or not complete yet)
  kInject,    // answer 1: the page is complete, style it now
  kGiveUp,    // answer 1: not complete within the limit; the page stays as it is
  kFinished,  // answer 1: this web view was already styled or given up on
};

// One web view's progress across the watcher's requests. Each request looks at the document once
// (never waits for it): the page loads through the very thread that answers the request.
class InjectProgress {
 public:
  // `view` identifies the web view, `nowMs` is a millisecond tick (wrapping), `attached` whether
  // its document was reached, `complete` whether its readyState read "complete".
  InjectStep step(uintptr_t view, uint32_t nowMs, bool attached, bool complete);
  // Requests answered 1 by this object.
  static constexpr bool accepted(InjectStep s) { return s != InjectStep::kRetry; }

 private:
  uintptr_t view_ = 0;
  bool reached_ = false;
  bool finished_ = false;
  uint32_t firstReachMs_ = 0;
};

// The splash: 680 x 420, centred on the screen.
inline constexpr int32_t kSplashWidth = 680;
inline constexpr int32_t kSplashHeight = 420;
struct SplashPlace {
  int32_t x = 0, y = 0;
};
SplashPlace splashPlace(int32_t screenWidth, int32_t screenHeight);

}  // namespace tovalux::startpage
