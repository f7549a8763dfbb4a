// The host hooks in this process, against the stand-in IDE: the plug-in's start-up installs them
// (notification 1), the stand-in's actions make the host draw, create and send, and test slots in
// every plug point record what reaches them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/host_fixture.h"
#include "hooks/host/host_hooks.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"

namespace tovalux::testing {

// One call of a test slot.
struct SlotCall {
  HostMirror slot = HostMirror::kCount;
  HostMessage message;
  DWORD thread = 0;
  // The control's item count (or text length) when the slot ran: tells "before" from "after".
  long countAtCall = -1;
};

class SlotRecorder {
 public:
  static SlotRecorder& instance();
  void clear();
  void add(SlotCall call);
  std::vector<SlotCall> calls() const;
  std::vector<SlotCall> callsOf(HostMirror slot) const;

  // Work a test makes one slot do while it runs (a nested send, for one).
  void setAction(HostMirror slot, void (*action)(const HostMessage&));
  void (*action(HostMirror slot) const)(const HostMessage&);

 private:
  mutable std::mutex lock_;
  std::vector<SlotCall> calls_;
  void (*actions_[static_cast<size_t>(HostMirror::kCount)])(const HostMessage&) = {};
};

// Fills every mirror slot with a recorder.
void plugRecordingMirrors();

struct HookSettings {
  bool codeTip = true;
  bool codeTree = false;
  int gridFont = 1;
};

// The stand-in with the plug-in started: settings written, test procedures registered, the shell
// built (which installs the hooks), every mirror slot recording. Teardown sends notification 6.
class HooksTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }
  void start(HookSettings settings = {});
  // Notification 6 or 17 (the hooks of the closed shell stay and pass through).
  void shutDown(bool restoreOnly = false);

  HostFixture& fixture() { return *host_; }
  const standin::WindowTree& tree() { return host_->tree(); }
  standin::ActionResult action(const std::string& line) { return host_->action(line); }
  std::optional<standin::JournalEntry> lastEntry(const std::string& kind, size_t since = 0);
  // The last "paint" entry of that step.
  std::optional<standin::JournalEntry> paintStep(const std::string& step, size_t since = 0);

  std::optional<HostFixture> host_;
};

// The unhooked behaviour, through the hook's trampoline.
BOOL unhookedGetClientRect(HWND window, RECT* rect);
LRESULT unhookedSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND unhookedCreateWindow(const char* className, const char* title, DWORD style, int width, int height, HWND parent,
                          int id);

// Test procedures in the procedure slots: each passes everything on through runSubclass.
LRESULT CALLBACK testCodeViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK testToolboxButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK testLinkProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK testMdiClientProc(HWND, UINT, WPARAM, LPARAM);

// What the start-page and debugging plug points were handed.
struct PlugPointLog {
  std::vector<HWND> watchersStarted;
  std::vector<HWND> splashes;
  std::vector<DWORD> splashThreads;
  std::vector<HWND> injectRequests;
  std::vector<std::string> disassembly;
  int moduleReloads = 0;
  int toolBarSyncs = 0;
};
PlugPointLog& plugPointLog();

std::string windowText(HWND window);
WNDPROC procedureOf(HWND window);
// The frame's pane tab with that title is the one in front.
bool paneTabInFront(const std::string& title);

}  // namespace tovalux::testing
