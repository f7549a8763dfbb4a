// The Notepad line log's rules, free of Win32: which window may receive the log, and when a
// window that stopped answering is tried again. The log goes to a window another program owns;
// whatever that program does, the IDE must not wait on it for longer than one time-out.
#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>

namespace tovalux::notepad {

// Only a Notepad receives the log (its paths and numbers go nowhere else): the process's image
// file is "notepad.exe" in any letter case, in any folder.
bool isNotepadImage(std::string_view imagePath);

// One line is sent with this time-out; a window that does not answer in time is skipped, and
// asked again (with a short empty message) at most once per kProbeIntervalMs until it answers.
inline constexpr uint32_t kSendTimeoutMs = 500;
inline constexpr uint32_t kProbeTimeoutMs = 50;
inline constexpr uint32_t kProbeIntervalMs = 1000;

// The window that timed out, shared by every thread that logs.
class SinkGate {
 public:
  enum class Step {
    kSend,   // the window answers as far as is known
    kProbe,  // it timed out before: ask it first, send only when it answers
    kSkip,   // it timed out and was asked less than kProbeIntervalMs ago
  };
  Step before(uintptr_t sink, uint32_t nowMs);
  void timedOut(uintptr_t sink, uint32_t nowMs);
  void answered(uintptr_t sink);
  uintptr_t hungSink() const;

 private:
  mutable std::mutex lock_;
  uintptr_t hung_ = 0;
  uint32_t askedAt_ = 0;
};

}  // namespace tovalux::notepad
