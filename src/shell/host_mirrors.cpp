#include "shell/host_mirrors.h"

#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace tovalux {
namespace {

template <class Fn>
using Slot = std::atomic<Fn>;

std::array<Slot<MirrorHandler>, static_cast<size_t>(HostMirror::kCount)> gMirrors{};
std::array<Slot<WNDPROC>, static_cast<size_t>(HostProcedure::kCount)> gProcedures{};

struct WindowTables {
  std::mutex lock;
  std::unordered_map<HWND, std::string> linkCaptions;
  std::unordered_set<HWND> designerPages;
};
WindowTables& tables() {
  static WindowTables* t = new WindowTables;  // never destroyed: a late thread may still ask
  return *t;
}

}  // namespace

void setHostMirror(HostMirror slot, MirrorHandler handler) {
  if (slot < HostMirror::kCount) gMirrors[static_cast<size_t>(slot)].store(handler);
}

MirrorHandler hostMirror(HostMirror slot) {
  return slot < HostMirror::kCount ? gMirrors[static_cast<size_t>(slot)].load(std::memory_order_acquire) : nullptr;
}

void clearHostMirrors() {
  for (auto& slot : gMirrors) slot.store(nullptr);
}

void setHostProcedure(HostProcedure slot, WNDPROC procedure) {
  if (slot < HostProcedure::kCount) gProcedures[static_cast<size_t>(slot)].store(procedure);
}

WNDPROC hostProcedure(HostProcedure slot) {
  return slot < HostProcedure::kCount ? gProcedures[static_cast<size_t>(slot)].load(std::memory_order_acquire)
                                      : nullptr;
}

void setLinkCaption(HWND link, std::string_view caption) {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  t.linkCaptions[link] = std::string(caption);
}

std::string linkCaption(HWND link) {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  const auto found = t.linkCaptions.find(link);
  return found == t.linkCaptions.end() ? std::string() : found->second;
}

void addDesignerPage(HWND page) {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  t.designerPages.insert(page);
}

void removeDesignerPage(HWND page) {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  t.designerPages.erase(page);
}

bool isDesignerPage(HWND page) {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  return t.designerPages.count(page) != 0;
}

void clearHostWindowTables() {
  WindowTables& t = tables();
  std::lock_guard guard(t.lock);
  t.linkCaptions.clear();
  t.designerPages.clear();
}

}  // namespace tovalux
