// Start-up on notification 1 and the restore on notifications 6 and 17, in the order the host
// expects, on the shell's state machine (host/shell_state.h).
#pragma once

#include <cstdint>

#include "host/library_info.h"

namespace tovalux {

// Notification 1. Answers 1 on every path.
int32_t startUp(NotifyFunction hostFunction);

enum class ShutdownKind {
  kFreeLibraryData,  // notification 6: logs and destroys the shell's own forms
  kRestoreOnly,      // notification 17
};
// Answers 0.
int32_t shutDown(ShutdownKind kind);

// Redraws the shell frame when it exists and the host main window is known; false otherwise.
bool redrawShell();

// Start-up step 18: the pane contents, one named row per subsystem in the order they are built.
// A row whose subsystem has not landed yet has no builder.
struct PaneBuilder {
  const char* name;
  void (*build)();
};
struct PaneBuilderTable {
  const PaneBuilder* rows;
  int count;
};
PaneBuilderTable paneBuilders();

// The host API hooks and host-window subclasses (start-up step 17, shut-down step 3): the
// router installs and removes them.
struct HostHookSteps {
  void (*install)() = nullptr;
  void (*remove)() = nullptr;
};
void setHostHookSteps(const HostHookSteps& steps);

// In-process tests start and stop the shell many times in one process; the real host once.
void resetLifecycleForTests();

}  // namespace tovalux
