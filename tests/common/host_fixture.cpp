#include "common/host_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "base/os_info.h"
#include "base/workers.h"
#include "common/win32_support.h"
#include "shell/shell.h"
#include "script.h"

// The plug-in's only export, linked into the test program.
extern "C" const tovalux::LibraryInfo* __stdcall GetNewInf();

namespace tovalux::testing {
namespace {

std::function<void()>& afterTeardown() {
  static std::function<void()> hook;
  return hook;
}

bool gFixtureAlive = false;

}  // namespace

void HostFixture::setAfterTeardown(std::function<void()> hook) { afterTeardown() = std::move(hook); }

HostFixture::HostFixture(HostOptions options) : options_(options), ui_(std::make_unique<ScriptedUi>()) {
  // The stand-in is one host per process: two fixtures at once would share it.
  EXPECT_FALSE(gFixtureAlive) << "one HostFixture at a time";
  gFixtureAlive = true;
  host().reset();
  resetWorkerStopForTests();
  host().setQuitOnClose(false);
  host().setDirectory(programDirectory());
  host().setToolsDirectory(winePath(TOVALUX_HOST_DIR));
  if (!options_.keepLayout) DeleteFileA(layoutFilePath().c_str());
  host().setArtefactsFolder(programDirectory());
  if (const char* artefacts = std::getenv("TOVALUX_ARTEFACTS")) host().setArtefactsFolder(winePath(artefacts));
  previousSeams_ = installUiSeams(ui_.get());
  if (options_.watchdog) host().watchdog().start(options_.dialogGraceMs);
  if (options_.createWindows) {
    EXPECT_TRUE(createWindows());
  }
  if (options_.addPlugin) {
    EXPECT_TRUE(host().addLibrary(&GetNewInf, "Tovalux.fne"));
  }
}

HostFixture::~HostFixture() {
  if (host().librariesRunning()) notify(6);
  host().destroyWindows();
  pump();
  // No plug-in thread outlives its test. Pumping: a worker may be waiting on this thread.
  requestWorkerStop();
  if (!pumpMessagesUntil([] { return runningWorkers() == 0; }, 5000))
    ADD_FAILURE() << runningWorkers() << " plug-in worker thread(s) still running after the shell was taken down";
  host().watchdog().stop();
  installUiSeams(previousSeams_);
  setElevationOverride(ElevationOverride::kNone);

  if (!options_.allowDeadHandles)
    for (const standin::JournalEntry& dead : entries("dead-handle"))
      ADD_FAILURE() << "a library used a handle the host no longer has: " << dead.toJsonLine();
  if (!options_.allowForcedDialogs) {
    for (const auto& answer : host().watchdog().answers()) {
      if (!answer.scripted)
        ADD_FAILURE() << "a dialog box nobody expected had to be closed: \"" << answer.title << "\" \"" << answer.text
                      << "\"";
    }
  }
  if (!options_.allowUnscriptedUi) {
    for (const ScriptedUi::Call& call : ui_->calls()) {
      if (!call.scripted)
        ADD_FAILURE() << "the plug-in asked the user something no test answered: \"" << call.title << "\" \""
                      << call.text << "\"";
    }
  }

  host().reset();
  if (afterTeardown()) afterTeardown()();
  gFixtureAlive = false;
}

bool HostFixture::createWindows() { return host().createWindows(); }

int32_t HostFixture::startShell() { return host().notifyStart(); }

int32_t HostFixture::notify(int32_t code, int32_t param1, int32_t param2) {
  return host().notifyAll(code, param1, param2);
}

bool HostFixture::runScript(const std::string& text, std::string* error, DWORD timeoutMs) {
  standin::ScriptRunner runner(host(), standin::ScriptRunner::splitLines(text));
  const DWORD start = GetTickCount();
  while (!runner.finished()) {
    if (runner.advance() != standin::ScriptRunner::State::kWaiting) continue;
    if (GetTickCount() - start > timeoutMs) {
      if (error) *error = "the script ran longer than " + std::to_string(timeoutMs) + " ms";
      return false;
    }
    // Until the journal changes or the wait's deadline: the runner checks again then.
    const DWORD slice = std::min<DWORD>(runner.msUntilDeadline() + 1, 50);
    HANDLE changed = journal().changeEvent();
    pump();
    MsgWaitForMultipleObjects(1, &changed, FALSE, slice, QS_ALLINPUT);
  }
  if (runner.state() == standin::ScriptRunner::State::kFailed && error)
    *error = "line " + std::to_string(runner.lineNumber()) + ": " + runner.error();
  return runner.state() == standin::ScriptRunner::State::kDone;
}

std::vector<standin::JournalEntry> HostFixture::entries(const std::string& kind, size_t since) {
  std::vector<standin::JournalEntry> out;
  for (standin::JournalEntry& entry : journal().entriesFrom(since))
    if (entry.kind == kind) out.push_back(std::move(entry));
  return out;
}

size_t HostFixture::count(const std::string& kind, const JournalPredicate& predicate, size_t since) {
  size_t n = 0;
  for (const standin::JournalEntry& entry : entries(kind, since))
    if (!predicate || predicate(entry)) ++n;
  return n;
}

std::optional<standin::JournalEntry> HostFixture::waitForJournal(const std::string& kind,
                                                                 const JournalPredicate& predicate, DWORD timeoutMs,
                                                                 size_t since) {
  std::optional<standin::JournalEntry> found;
  size_t checked = since;
  auto look = [&] {
    const std::vector<standin::JournalEntry> recent = journal().entriesFrom(checked);
    checked += recent.size();
    for (const standin::JournalEntry& entry : recent) {
      if (entry.kind == kind && (!predicate || predicate(entry))) {
        found = entry;
        return true;
      }
    }
    return false;
  };
  pumpMessagesUntil(look, timeoutMs, journal().changeEvent());
  return found;
}

bool HostFixture::pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return pumpMessagesUntil(condition, timeoutMs, journal().changeEvent());
}

void HostFixture::pump() { pumpMessages(); }

}  // namespace tovalux::testing
