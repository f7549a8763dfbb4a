// How long the UI thread is held while the start page's web view loads, under Wine, against a
// baseline measured in the same run:
//
//   ours       each request (message 99999) looks at the document once; the watcher asks again
//              every 100 ms until the page is complete, then the style script runs
//   baseline   the request waits on the UI thread for readyState "complete" (10 ms sleeps, at
//              most 5 s) before it answers, as a first design had it. The page cannot complete
//              meanwhile (its timer needs the thread); it is styled at all only because our
//              watcher's send gives up after 1 s and a later request finds the page complete.
//
// The stand-in's page completes `ready-ms` after its web view exists, on a timer of the UI
// thread. Printed per variant: the longest time one message kept the thread (the pause a user
// feels), the time from the web view to the styled page, and whether the page was styled.
//
//   bench_startpage [ROUNDS] [READY_MS]      default 3 rounds, 500 ms
//   BENCH_STARTPAGE_TRACE=1 prints each round's page-* journal entries.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "hooks/host/start_page.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "standin_host.h"

namespace {

using standin::Host;
using tovalux::bench::median;
using tovalux::bench::now;

bool gBaselineStyled = false;

// The baseline request: wait on this thread until the page is complete (or 5 s have passed).
bool waitingRequest(HWND shellEmbedding) {
  tovalux::PageAutomation page;
  if (!page.attachToView(shellEmbedding)) return false;
  const double start = now();
  bool ready = false;
  while (!(ready = page.readyState() == "complete") && now() - start < 5.0) Sleep(10);
  if (ready) gBaselineStyled = page.runScript("/* baseline */", "");
  return true;
}

struct Round {
  double longestMs = 0;
  double styledAfterMs = -1;  // from the web view's creation; -1: never styled
};

Round runRound(Host& host, bool baseline, int readyMs) {
  tovalux::resetLifecycleForTests();
  host.reset();
  host.setDirectory(TOVALUX_HOST_DIR_WINE);
  host.addLibrary(&GetNewInf, "in-process");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  host.notifyStart();
  tovalux::resetStartPageCountersForTests();
  if (baseline)
    tovalux::editPeersForTests([](tovalux::Peers& peers) { peers.startPage.injectStartPage = &waitingRequest; });
  host.runAction("page-open 起始页");
  tovalux::bench::pump();
  gBaselineStyled = false;
  host.runAction("start-page ready-ms=" + std::to_string(readyMs));
  const double created = now();

  Round round;
  const double deadline = created + 15.0;
  auto finished = [&] { return tovalux::startPageCounters().watchersRunning == 0; };
  while (!finished() && now() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    for (;;) {
      // A message sent from the watcher is served inside PeekMessage: the peek is timed too.
      const double start = now();
      MSG message;
      const bool got = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
      if (got) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      round.longestMs = std::max(round.longestMs, (now() - start) * 1e3);
      if (round.styledAfterMs < 0 && (gBaselineStyled || tovalux::startPageCounters().scriptsInjected > 0))
        round.styledAfterMs = (now() - created) * 1e3;
      if (!got) break;
    }
  }
  if (std::getenv("BENCH_STARTPAGE_TRACE"))
    for (const auto& e : host.journal().entries())
      if (e.kind.rfind("page-", 0) == 0) std::printf("  %s\n", e.toJsonLine().substr(0, 120).c_str());
  host.notifyAll(6);
  host.destroyWindows();
  return round;
}

void report(const char* name, const std::vector<Round>& rounds) {
  std::vector<double> longest, styled;
  int styledCount = 0;
  for (const Round& r : rounds) {
    longest.push_back(r.longestMs);
    if (r.styledAfterMs >= 0) {
      styled.push_back(r.styledAfterMs);
      ++styledCount;
    }
  }
  std::printf("%-9s longest message %8.1f ms (median of %zu)   styled %d/%zu", name, median(longest), rounds.size(),
              styledCount, rounds.size());
  if (!styled.empty()) std::printf(", %6.0f ms after the web view appeared", median(styled));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const int readyMs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 500;
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  std::vector<Round> ours, baseline;
  for (int i = 0; i < rounds; ++i) ours.push_back(runRound(host, false, readyMs));
  for (int i = 0; i < rounds; ++i) baseline.push_back(runRound(host, true, readyMs));
  std::printf("start page, document complete %d ms after the web view appears, %d rounds\n", readyMs, rounds);
  report("ours", ours);
  report("baseline", baseline);
  std::vector<double> a, b;
  for (const Round& r : ours) a.push_back(r.longestMs);
  for (const Round& r : baseline) b.push_back(r.longestMs);
  if (median(a) > 0) std::printf("longest-message ratio baseline/ours: %.0fx\n", median(b) / median(a));
  return 0;
}
