#include "base/notepad_rules.h"

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::notepad {

bool isNotepadImage(std::string_view imagePath) {
  std::string_view name = imagePath;
  for (const char separator : {'\\', '/'}) {
    const size_t at = gbkFindLast(name, separator);
    if (at != std::string_view::npos) name = name.substr(at + 1);
  }
  return asciiLower(name) == "notepad.exe";
}

SinkGate::Step SinkGate::before(uintptr_t sink, uint32_t nowMs) {
  std::lock_guard guard(lock_);
  if (sink == 0 || sink != hung_) return Step::kSend;
  if (nowMs - askedAt_ < kProbeIntervalMs) return Step::kSkip;
  askedAt_ = nowMs;  // one probe per interval, whichever thread makes it
  return Step::kProbe;
}

void SinkGate::timedOut(uintptr_t sink, uint32_t nowMs) {
  std::lock_guard guard(lock_);
  hung_ = sink;
  askedAt_ = nowMs;
}

void SinkGate::answered(uintptr_t sink) {
  std::lock_guard guard(lock_);
  if (sink == hung_) hung_ = 0;
}

uintptr_t SinkGate::hungSink() const {
  std::lock_guard guard(lock_);
  return hung_;
}

}  // namespace tovalux::notepad
