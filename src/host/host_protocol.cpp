#include "host/host_protocol.h"

#include <atomic>

namespace tovalux {
namespace {
// Written on the UI thread by notification 1, read from any thread (the debugger thread saves).
std::atomic<NotifyFunction> gHostNotify{nullptr};
}  // namespace

NotifyFunction hostNotifyFunction() { return gHostNotify.load(std::memory_order_acquire); }

void setHostNotifyFunction(NotifyFunction function) { gHostNotify.store(function, std::memory_order_release); }

int32_t hostNotify(int32_t code, int32_t param1, int32_t param2) {
  NotifyFunction function = hostNotifyFunction();
  return function ? function(code, param1, param2) : 0;
}

HWND getHostMainWindow() {
  const int32_t answer = hostNotify(kRequestMainWindow, 0, 0);
  return answer < 1 ? nullptr : reinterpret_cast<HWND>(static_cast<intptr_t>(answer));
}

bool runIdeFunction(uint32_t number, int32_t param1, int32_t param2) {
  // The host reads both parameters from one block, in this order.
  int32_t block[2] = {param1, param2};
  return hostNotify(kRequestRunIdeFunction, static_cast<int32_t>(number),
                    static_cast<int32_t>(reinterpret_cast<intptr_t>(block))) != 0;
}

int32_t queryIdeValue(uint32_t number, int32_t fallback) {
  int32_t value = fallback;
  runIdeFunction(number, static_cast<int32_t>(reinterpret_cast<intptr_t>(&value)));
  return value;
}

}  // namespace tovalux
