// Start-up on notification 1 and the restore on notifications 6 and 17, in the order the host
// expects, on the shell's state machine (host/shell_state.h): the table of Parts walked forward
// and backward (shell/part.h).
#pragma once

#include <cstdint>
#include <span>

#include "host/library_info.h"

namespace tovalux {

struct Part;

// Notification 1. Answers 1 on every path. Once the shell is closed it touches nothing; a null
// host function never replaces the one given before.
int32_t startUp(NotifyFunction hostFunction);

enum class ShutdownKind {
  kFreeLibraryData,  // notification 6: logs and destroys the shell's own forms
  kRestoreOnly,      // notification 17
};
// Answers 0.
int32_t shutDown(ShutdownKind kind);

// Redraws the shell frame when it exists and the host main window is known; false otherwise.
bool redrawShell();

// The Parts start-up builds, in order (shell/part.h); shut-down walks them backwards.
std::span<const Part* const> shellParts();

// In-process tests start and stop the shell many times in one process; the real host once.
void resetLifecycleForTests();

}  // namespace tovalux
