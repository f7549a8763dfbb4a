// onHostNotify: what each notification from the host triggers.
#include "lifecycle/notifications.h"

#include <string>

#include "base/diagnostics.h"
#include "base/guard.h"
#include "base/text.h"
#include "host/host_protocol.h"
#include "lifecycle/lifecycle.h"
#include "update/update_check.h"

namespace tovalux {
namespace {

// The first failure of each kind caught at our entry points goes to the Notepad log.
void logFailure(const char* line) { logToNotepad(line); }
const bool gFailureSinkInstalled = (setFailureSink(&logFailure), true);

int32_t dispatch(int32_t code, int32_t param1, int32_t param2) {
  switch (code) {
    case kNotifyStart: return startUp(reinterpret_cast<NotifyFunction>(static_cast<intptr_t>(param1)));
    case kNotifyFreeLibraryData: return shutDown(ShutdownKind::kFreeLibraryData);
    case kNotifyRestore: return shutDown(ShutdownKind::kRestoreOnly);
    case kNotifyCheckUpdate:  // answered at once; the update check runs on a thread of its own
      startUpdateCheck();
      return 0;
    case kNotifyPopupMenu: {
      logToNotepad("弹出菜单 : " + decimal(param1) + "," + decimal(param2));
      return redrawShell() ? 1 : 0;
    }
    default: return 0;
  }
}

}  // namespace

int32_t __stdcall onHostNotify(int32_t code, int32_t param1, int32_t param2) noexcept {
  // Notification 1 answers 1 on every path, the others 0, also when something failed inside.
  return guarded(
      GuardSite::kNotification, [&] { return dispatch(code, param1, param2); }, code == kNotifyStart ? 1 : 0);
}

}  // namespace tovalux
