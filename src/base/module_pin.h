// Keeps the plug-in mapped for the life of the process once any of its code can be reached from
// outside its own calls (a window procedure on a host window, a hook replacement, a thread). The
// host may FreeLibrary us while such code can still run; pinned, the unload leaves the image in
// place and the late caller finds valid code.
#pragma once

namespace tovalux {

// Idempotent; answers whether the module is pinned.
bool pinThisModule() noexcept;
bool thisModulePinned() noexcept;

}  // namespace tovalux
