#include "commands/blackmoon.h"

#include <windows.h>

#include "commands/commands_internal.h"
#include "host/host_protocol.h"

namespace tovalux {
namespace {
bool gPending = false;
}  // namespace

void startBlackMoonBuild() {
  if (GetModuleHandleA(kBlackMoonModule) == nullptr) {
    commands::messageBox(kBlackMoonMissingText, MB_ICONERROR);
    return;
  }
  gPending = true;
  // Posted: the menu or button handler returns before the plug-in's build starts.
  if (HWND main = getHostMainWindow()) PostMessageA(main, WM_COMMAND, kBlackMoonBuildCommand, 0);
}

bool blackMoonBuildPending() { return gPending; }
void setBlackMoonBuildPending(bool pending) { gPending = pending; }

}  // namespace tovalux
