// What the project tree and the library browser cost the host, under Wine, each figure beside
// its baseline measured in the same run:
//
//   program tree   N host inserts into the program tree (groups of 100 under the root) with
//                  the plug-in running (hooks, router, mirror, the one refresh the burst asks
//                  for) against the same inserts before the plug-in started; goal ratio <= 1.3
//   library tree   a refill of M entries (TVI_ROOT deleted, then the inserts) with against
//                  without; goal ratio <= 1.1. Beside it the inserts alone (the tree emptied
//                  before the clock starts) and the delete alone: deleting a full tree makes
//                  the host's tree notify its parent once per item, and every WM_NOTIFY that
//                  reaches the host main window passes the plug-in's main-window procedure
//   search         one keystroke of a search over the N items of the project pane, painted
//                  (goal <= 8 ms at the 99th percentile), beside one full refresh of the tree
//
//   bench_panes_tree [N] [M] [ROUNDS]      defaults 10000 30000 5
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/ui_jobs.h"
#include "lifecycle/descriptor.h"
#include "panes/library_browser.h"
#include "panes/project_tree.h"
#include "shell/shell.h"
#include "standin_host.h"
#include "toolkit/xcgui_views.h"
#include "bench_support.h"

namespace {

using tovalux::bench::format;
using tovalux::bench::median;
using tovalux::bench::now;
using tovalux::bench::percentile;
using tovalux::bench::pump;
using tovalux::bench::report;

using standin::Host;

constexpr double kProgramGoal = 1.3;    // inserts with the plug-in / without
constexpr double kLibraryGoal = 1.1;    // refill with the plug-in / without
constexpr double kKeystrokeGoalMs = 8;  // 99th percentile

double timedMs(const std::function<void()>& work) {
  const double start = now();
  work();
  return (now() - start) * 1000;
}

// The host's burst, then everything it queued (the mirror's one refresh) until the queue is empty.
// `part` names it for a profiler (ProfiledPart).
double burst(Host& host, const std::string& action, const char* part = "") {
  const tovalux::bench::ProfiledPart profiled(part);
  return timedMs([&] {
    host.runAction(action);
    if (tovalux::uiJobsOpen()) tovalux::flushUiJobs();
    pump();
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int programItems = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
  const int libraryItems = argc > 2 ? std::max(100, std::atoi(argv[2])) : 30000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  host.addLibrary(&GetNewInf, "in-process");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  host.runAction("mode quiet-traffic 1");
  const std::string programBurst = "program-tree-bulk " + std::to_string(programItems);
  const std::string libraryBurst = "library-tree-bulk " + std::to_string(libraryItems);
  const auto clearProgram = [&] { host.runAction("project-close-sample"); };

  // Without the plug-in: the stand-in alone (no notification 1 yet, so no hooks).
  std::vector<double> programPlain, libraryPlain, insertsPlain, deletePlain;
  const auto measureLibrary = [&](std::vector<double>& refill, std::vector<double>& inserts,
                                  std::vector<double>& deletes, const char* part) {
    refill.push_back(burst(host, libraryBurst, part));
    deletes.push_back(burst(host, "library-tree-clear"));
    inserts.push_back(burst(host, libraryBurst + " clear=0"));
  };
  for (int r = 0; r < rounds; ++r) {
    clearProgram();
    programPlain.push_back(burst(host, programBurst, "program-without"));
    measureLibrary(libraryPlain, insertsPlain, deletePlain, "library-without");
  }
  clearProgram();

  host.notifyStart();
  pump();
  std::vector<double> programMirrored, libraryMirrored, insertsMirrored, deleteMirrored;
  for (int r = 0; r < rounds; ++r) {
    clearProgram();
    // Each tree measured while its pane is the one shown.
    tovalux::activatePaneByTitle("项目结构");
    pump();
    programMirrored.push_back(burst(host, programBurst, "program-with"));
    tovalux::activatePaneByTitle("易支持库");
    pump();
    measureLibrary(libraryMirrored, insertsMirrored, deleteMirrored, "library-with");
  }
  // The pane's own share of a delete: emptying the mirror of a full tree.
  std::vector<double> paneClears;
  for (int r = 0; r < rounds; ++r) {
    burst(host, libraryBurst);
    paneClears.push_back(timedMs([] {
      tovalux::mirrorLibraryClear();
      tovalux::flushUiJobs();
      pump();
    }));
  }
  burst(host, libraryBurst);
  const int paneItems = XTree_GetCount(tovalux::projectTree());
  const int libraryPaneItems = XTree_GetCount(tovalux::libraryTree());

  tovalux::activatePaneByTitle("项目结构");
  pump();
  // Search keystrokes over the mirrored program tree: typing a name letter by letter, then
  // clearing it; beside it, one full refresh of the same tree.
  // Four times the rounds of the other figures: the 99th percentile wants a few hundred keystrokes.
  std::vector<double> keystrokes, refreshes;
  const std::string query = "子程序_" + std::to_string(programItems - 7);
  for (int r = 0; r < rounds * 4; ++r) {
    for (size_t length = 1; length <= query.size(); ++length) {
      const std::string typed = query.substr(0, length);
      const tovalux::bench::ProfiledPart profiled("keystroke");
      keystrokes.push_back(timedMs([&] {
        tovalux::searchProjectTree(typed);
        pump();
      }));
    }
    keystrokes.push_back(timedMs([&] {
      tovalux::searchProjectTree("");
      pump();
    }));
    refreshes.push_back(timedMs([&] {
      tovalux::flushProjectTree();
      pump();
    }));
  }
  host.notifyAll(6);
  host.destroyWindows();

  const double programWith = median(programMirrored), programWithout = median(programPlain);
  const double libraryWith = median(libraryMirrored), libraryWithout = median(libraryPlain);
  const double keystroke = median(keystrokes), keystrokeP99 = percentile(keystrokes, 0.99);
  const double worstKeystroke = *std::max_element(keystrokes.begin(), keystrokes.end());
  const double refresh = median(refreshes);
  std::printf("rounds                                    %d\n", rounds);
  std::printf("program tree: %d inserts (pane items %d)\n", programItems, paneItems);
  std::printf("  with the plug-in                        %.1f ms\n", programWith);
  std::printf("  without                                 %.1f ms\n", programWithout);
  std::printf("  ratio (goal <= %.2f)                    %.2f\n", kProgramGoal, programWith / programWithout);
  std::printf("library tree: refill of %d (pane items %d)\n", libraryItems, libraryPaneItems);
  std::printf("  with the plug-in                        %.1f ms\n", libraryWith);
  std::printf("  without                                 %.1f ms\n", libraryWithout);
  std::printf("  ratio (goal <= %.2f)                    %.2f\n", kLibraryGoal, libraryWith / libraryWithout);
  std::printf("  inserts alone, with / without            %.1f / %.1f ms, ratio %.2f\n", median(insertsMirrored),
              median(insertsPlain), median(insertsMirrored) / median(insertsPlain));
  std::printf("  the host's delete alone, with / without   %.1f / %.1f ms, ratio %.2f\n", median(deleteMirrored),
              median(deletePlain), median(deleteMirrored) / median(deletePlain));
  std::printf("  of which the pane emptying its mirror    %.1f ms\n", median(paneClears));
  std::printf("search over %d items\n", paneItems);
  std::printf("  keystroke, median                       %.2f ms\n", keystroke);
  std::printf("  keystroke, 99th percentile (goal <= %.0f) %.2f ms (%zu keystrokes)\n", kKeystrokeGoalMs, keystrokeP99,
              keystrokes.size());
  std::printf("  keystroke, worst                        %.2f ms\n", worstKeystroke);
  std::printf("  one full refresh of the tree            %.2f ms\n", refresh);
  std::printf("  keystroke / refresh                     %.2f\n", refresh > 0 ? keystroke / refresh : 0.0);
  report("tree_inserts_10k", programWith / programWithout, "x", kProgramGoal,
         format("%d inserts, %.1f vs %.1f ms", programItems, programWith, programWithout));
  report("search_keystroke_p99", keystrokeP99, "ms", kKeystrokeGoalMs,
         format("over %d items, %zu keystrokes, median %.2f ms", paneItems, keystrokes.size(), keystroke));
  report("library_refill_30k", libraryWith / libraryWithout, "x", kLibraryGoal,
         format("%d entries, %.1f vs %.1f ms", libraryItems, libraryWith, libraryWithout));
  return 0;
}
