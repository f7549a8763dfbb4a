// The elevation check the frame shows ("管理员" / "非管理员"). Whether the system is Windows 10
// is base's (os_info.h): the WMI caption, read once per process.
#include <windows.h>

#include "base/os_info.h"
#include "shell/shell_internal.h"

namespace tovalux {

bool isElevated() { return shell_rules::versionHasElevation(GetVersion()) && processIsElevated(); }

}  // namespace tovalux
