// How the library talks to the host: hostNotify (the host's function, handed to us with
// notification 1), the requests sent through it and the notification codes the host sends to our
// callback (lifecycle/notifications.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/library_info.h"

namespace tovalux {

// Notification codes the host sends.
enum HostNotification : int32_t {
  kNotifyStart = 1,  // param1: the host's function
  kNotifyFreeLibraryData = 6,
  kNotifyRestore = 17,
  kNotifyCheckUpdate = 18,
  kNotifyPopupMenu = 19,  // param1, param2: the pop-up's identifiers
};

// Codes the library sends to the host.
enum HostRequest : int32_t {
  kRequestMainWindow = 1,
  kRequestRunIdeFunction = 2,
};

// The stored host function; null before notification 1.
NotifyFunction hostNotifyFunction();
void setHostNotifyFunction(NotifyFunction function);

// hostNotify(code, param1, param2); 0 when the host has not handed its function over yet.
int32_t hostNotify(int32_t code, int32_t param1, int32_t param2);

// The host's main window, asked afresh; null when the host has none (an answer below 1).
HWND getHostMainWindow();

// Runs IDE function `number` with the block {param1, param2}; true when the host answers nonzero.
// For a query, param1 is the address of the slot the host fills.
bool runIdeFunction(uint32_t number, int32_t param1 = 0, int32_t param2 = 0);

// Runs a query whose single output is an int32 written by the host; the slot is preset to
// `fallback` and read whatever the host answers.
int32_t queryIdeValue(uint32_t number, int32_t fallback = 0);

// A handle as the host's signed 32-bit view of it: "below 1" means "none".
inline int32_t handleValue(HWND window) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(window)); }

}  // namespace tovalux
