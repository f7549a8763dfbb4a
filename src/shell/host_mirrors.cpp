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

Slot<decltype(StartPageHooks::clearLinkCreated)> gClearLinkCreated{nullptr};
Slot<decltype(StartPageHooks::coverSplash)> gCoverSplash{nullptr};
Slot<decltype(StartPageHooks::injectStartPage)> gInjectStartPage{nullptr};
Slot<decltype(DebugHookRules::processCreated)> gProcessCreated{nullptr};
Slot<decltype(DebugHookRules::beforeWaitForDebugEvent)> gBeforeWait{nullptr};
Slot<decltype(DebugHookRules::beforeDebugStop)> gBeforeStop{nullptr};
Slot<DisassemblySink> gDisassemblySink{nullptr};
Slot<ModuleReload> gModuleReload{nullptr};
Slot<ToolBarStateSync> gToolBarStateSync{nullptr};

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

void setStartPageHooks(const StartPageHooks& hooks) {
  gClearLinkCreated.store(hooks.clearLinkCreated);
  gCoverSplash.store(hooks.coverSplash);
  gInjectStartPage.store(hooks.injectStartPage);
}

StartPageHooks startPageHooks() {
  StartPageHooks hooks;
  hooks.clearLinkCreated = gClearLinkCreated.load(std::memory_order_acquire);
  hooks.coverSplash = gCoverSplash.load(std::memory_order_acquire);
  hooks.injectStartPage = gInjectStartPage.load(std::memory_order_acquire);
  return hooks;
}

void setDebugHookRules(const DebugHookRules& rules) {
  gProcessCreated.store(rules.processCreated);
  gBeforeWait.store(rules.beforeWaitForDebugEvent);
  gBeforeStop.store(rules.beforeDebugStop);
}

DebugHookRules debugHookRules() {
  DebugHookRules rules;
  rules.processCreated = gProcessCreated.load(std::memory_order_acquire);
  rules.beforeWaitForDebugEvent = gBeforeWait.load(std::memory_order_acquire);
  rules.beforeDebugStop = gBeforeStop.load(std::memory_order_acquire);
  return rules;
}

void setDisassemblySink(void (*show)(std::string_view text)) { gDisassemblySink.store(show); }
DisassemblySink disassemblySink() { return gDisassemblySink.load(std::memory_order_acquire); }

void setModuleReload(void (*reload)()) { gModuleReload.store(reload); }
ModuleReload moduleReload() { return gModuleReload.load(std::memory_order_acquire); }

void setToolBarStateSync(void (*sync)()) { gToolBarStateSync.store(sync); }
ToolBarStateSync toolBarStateSync() { return gToolBarStateSync.load(std::memory_order_acquire); }

}  // namespace tovalux
