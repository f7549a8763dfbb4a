// onHostNotify: the library's notification callback, published in the descriptor and called by
// the host with a code and two values (HostNotification in host/host_protocol.h).
#pragma once

#include <cstdint>

namespace tovalux {

int32_t __stdcall onHostNotify(int32_t code, int32_t param1, int32_t param2) noexcept;

}  // namespace tovalux
