#include "hooks/host/start_page_rules.h"

namespace tovalux::startpage {

InjectStep InjectProgress::step(uintptr_t view, uint32_t nowMs, bool attached, bool complete) {
  if (view != view_) {
    *this = InjectProgress();
    view_ = view;
  }
  if (finished_) return InjectStep::kFinished;
  if (!attached) return InjectStep::kRetry;
  if (!reached_) {
    reached_ = true;
    firstReachMs_ = nowMs;
  }
  if (complete) {
    finished_ = true;
    return InjectStep::kInject;
  }
  if (nowMs - firstReachMs_ >= kReadyLimitMs) {
    finished_ = true;
    return InjectStep::kGiveUp;
  }
  return InjectStep::kRetry;
}

SplashPlace splashPlace(int32_t screenWidth, int32_t screenHeight) {
  return {(screenWidth - kSplashWidth) / 2, (screenHeight - kSplashHeight) / 2};
}

}  // namespace tovalux::startpage
