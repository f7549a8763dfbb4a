#include "shell/part.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/guard.h"

namespace tovalux {
namespace {

// The published peers. A record once published is never freed: a thread that read the pointer
// (the host's debugger thread, for one) may still be using it when the next one replaces it.
// One record per start-up and per test edit.
const Peers kNoPeers{};
std::atomic<const Peers*> gPeers{&kNoPeers};

void publish(const Peers& peers) { gPeers.store(new Peers(peers), std::memory_order_release); }

template <class Fn>
void take(Fn& into, Fn offered) {
  if (offered != nullptr) into = offered;
}

// Every field of Peers, once: what a Part offers replaces what an earlier one did.
void combine(Peers& into, const Peers& offer) {
  take(into.buildToolBars, offer.buildToolBars);
  take(into.buildMainMenu, offer.buildMainMenu);
  take(into.mainMenuOpen, offer.mainMenuOpen);
  take(into.syncToolBarState, offer.syncToolBarState);
  take(into.syncDesignerToolBar, offer.syncDesignerToolBar);
  take(into.attachContextMenuLook, offer.attachContextMenuLook);
  take(into.clearBuildOutput, offer.clearBuildOutput);
  take(into.writeBuildOutput, offer.writeBuildOutput);
  take(into.appendDebugLine, offer.appendDebugLine);
  take(into.showDisassembly, offer.showDisassembly);
  take(into.debugHooks.processCreated, offer.debugHooks.processCreated);
  take(into.debugHooks.beforeWaitForDebugEvent, offer.debugHooks.beforeWaitForDebugEvent);
  take(into.debugHooks.beforeDebugStop, offer.debugHooks.beforeDebugStop);
  take(into.reloadModules, offer.reloadModules);
  take(into.startPage.clearLinkCreated, offer.startPage.clearLinkCreated);
  take(into.startPage.coverSplash, offer.startPage.coverSplash);
  take(into.startPage.injectStartPage, offer.startPage.injectStartPage);
  take(into.openSettingsDialog, offer.openSettingsDialog);
  take(into.updateTipWindow, offer.updateTipWindow);
}
// A field added to Peers needs its line in combine().
static_assert(sizeof(Peers) == 19 * sizeof(void (*)()));

struct ArmedFailure {
  std::string part;
  PartStep step = PartStep::kBuild;
  bool armed = false;
};
ArmedFailure gArmed;

const char* stepName(PartStep step) { return step == PartStep::kBuild ? "start" : "shut down"; }

// Runs one step of `part` under its own guard; a failure is logged with the Part's name.
bool runStep(const Part& part, PartStep step, void (*body)()) {
  if (body == nullptr) return true;
  std::string failure;
  const bool done = guarded(
      GuardSite::kPartStep,
      [&] {
        try {
          if (gArmed.armed && gArmed.step == step && gArmed.part == part.name) {
            gArmed.armed = false;
            throw std::runtime_error("injected failure");
          }
          body();
        } catch (const std::exception& e) {
          failure = e.what();
          throw;
        } catch (...) {
          failure = "?";
          throw;
        }
        return true;
      },
      false);
  if (!done) logToNotepad(std::string("Tovalux: ") + part.name + " failed to " + stepName(step) + ": " + failure);
  return done;
}

}  // namespace

const Peers& peers() { return *gPeers.load(std::memory_order_acquire); }

namespace {
std::vector<PartTiming> gStartTimings;  // UI thread: written by start-up only
}  // namespace

int startParts(std::span<const Part* const> parts) {
  Peers offered;
  for (const Part* part : parts) {
    combine(offered, part->offers);
    for (const ProcedureBinding& binding : part->procedures) setHostProcedure(binding.slot, binding.procedure);
  }
  publish(offered);

  int failed = 0;
  gStartTimings.clear();
  for (const Part* part : parts) {
    if (part->progress != nullptr) logProgress(part->progress);
    const auto before = std::chrono::steady_clock::now();
    const bool built = runStep(*part, PartStep::kBuild, part->build);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
    gStartTimings.push_back({part->name, ms});
    if (!built) {
      ++failed;
      continue;
    }
    for (const MirrorBinding& binding : part->mirrors) setHostMirror(binding.slot, binding.handler);
  }
  return failed;
}

std::span<const PartTiming> lastStartTimings() { return gStartTimings; }

int stopParts(std::span<const Part* const> parts) {
  int failed = 0;
  for (auto at = parts.rbegin(); at != parts.rend(); ++at) {
    const Part& part = **at;
    for (const MirrorBinding& binding : part.mirrors) setHostMirror(binding.slot, nullptr);
    if (!runStep(part, PartStep::kTearDown, part.tearDown)) ++failed;
  }
  for (const Part* part : parts)
    for (const ProcedureBinding& binding : part->procedures) setHostProcedure(binding.slot, nullptr);
  gPeers.store(&kNoPeers, std::memory_order_release);
  clearHostMirrors();
  return failed;
}

void armPartFailureForTests(std::string_view partName, PartStep step) { gArmed = {std::string(partName), step, true}; }

void editPeersForTests(void (*edit)(Peers& peers)) {
  Peers copy = peers();
  edit(copy);
  publish(copy);
}

}  // namespace tovalux
