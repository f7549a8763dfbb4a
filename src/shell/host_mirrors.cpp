#include "shell/host_mirrors.h"

#include <array>
#include <atomic>

namespace tovalux {
namespace {
std::array<std::atomic<MirrorHandler>, static_cast<size_t>(HostMirror::kCount)> gSlots{};

size_t indexOf(HostMirror slot) { return static_cast<size_t>(slot); }
}  // namespace

void setHostMirror(HostMirror slot, MirrorHandler handler) {
  if (slot < HostMirror::kCount) gSlots[indexOf(slot)].store(handler);
}

MirrorHandler hostMirror(HostMirror slot) {
  return slot < HostMirror::kCount ? gSlots[indexOf(slot)].load(std::memory_order_acquire) : nullptr;
}

void clearHostMirrors() {
  for (auto& slot : gSlots) slot.store(nullptr);
}

}  // namespace tovalux
