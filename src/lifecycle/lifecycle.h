// Start-up on notification 1 and the restore on notifications 6 and 17.
#pragma once

#include <cstdint>

#include "host/library_info.h"

namespace tovalux {

enum class LifecycleState {
  kLoaded,          // the host loaded the library
  kWaitingForHost,  // notification 1 came before the host had a main window
  kRunning,         // start-up finished
  kClosed,          // notifications 6 or 17 gave the host its window back
};

LifecycleState lifecycleState();

// Notification 1. Answers 1 on every path.
int32_t startUp(NotifyFunction hostFunction);

enum class ShutdownKind {
  kFreeLibraryData,  // notification 6: logs and destroys the shell's own forms
  kRestoreOnly,      // notification 17
};
// Answers 0.
int32_t shutDown(ShutdownKind kind);

// True while the shell stands around the host.
bool shellExists();

// Redraws the shell frame when it exists and the host main window is known; false otherwise.
bool redrawShell();

}  // namespace tovalux
