// Our own work inside a hook replacement or a subclass must be invisible to the caller: the
// host reads GetLastError after the call it made, so whatever we call in between (GetParent,
// GetWindowTextA, GetDlgItem walks...) must not change it.
#pragma once

#include <windows.h>

namespace tovalux {

class LastErrorGuard {
 public:
  LastErrorGuard() : saved_(GetLastError()) {}
  ~LastErrorGuard() { SetLastError(saved_); }
  LastErrorGuard(const LastErrorGuard&) = delete;
  LastErrorGuard& operator=(const LastErrorGuard&) = delete;

  // The caller's value changed on purpose (a pass-through call set a new one): keep that.
  void keepCurrent() { saved_ = GetLastError(); }

 private:
  DWORD saved_;
};

}  // namespace tovalux
