// What the stack, variables and search panes cost, under Wine, each figure beside its peer
// measured in the same run:
//
//   search    the host's search into list 1: LB_RESETCONTENT, 500 LB_ADDSTRING and the summary
//             line, with the plug-in mirroring them into "搜寻结果1" against the stand-in alone
//             (its dock bars hidden, as the shell hides them)
//   reader    100 variables read after a pause, from the host's first insert until the reader
//             has ended, against the reader's own waits (100 ms, then 50 ms per variable)
//   latency   the UI thread's round trip (a message posted to a window of ours and served)
//             while the reader reads 100 variables, against the same with no reader
//
//   bench_panes_debug [ROUNDS] [search|reader|latency]      default 5 rounds, every part
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/workers.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "panes/search_results.h"
#include "panes/variables_reader.h"
#include "shell/host_mirrors.h"
#include "standin_host.h"
#include "toolkit/xcgui_views.h"
#include "bench_support.h"

namespace {

using tovalux::bench::format;
using tovalux::bench::now;
using tovalux::bench::pump;
using tovalux::bench::report;

constexpr double kSearchGoal = 1.2;  // 500 lines mirrored / the stand-in alone

using standin::Host;

bool pumpUntil(const std::function<bool()>& done, double seconds = 120) {
  const double start = now();
  while (!done()) {
    if (now() - start > seconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    pump();
  }
  return true;
}

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
  return values[at];
}

double median(std::vector<double> values) { return percentile(std::move(values), 0.5); }

void openHost(Host& host, bool plugin) {
  tovalux::resetLifecycleForTests();
  tovalux::resetVariablesReaderForTests();
  host.reset();
  host.setDirectory(TOVALUX_HOST_DIR_WINE);
  if (plugin) host.addLibrary(&GetNewInf, "in-process");
  host.runAction("mode quiet-traffic 1");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  if (plugin) {
    host.notifyStart();
  } else {
    const standin::WindowTree& t = host.tree();
    for (HWND bar : {t.topDockBar, t.leftDockBar, t.bottomDockBar, t.rightDockBar}) ShowWindow(bar, SW_HIDE);
  }
  pump();
}

void closeHost(Host& host) {
  if (!host.libraries().empty()) host.notifyAll(6);
  tovalux::waitForWorkers(5000);
  host.destroyWindows();
  pump();
}

bool readerIdle() { return !tovalux::variablesReaderBusy() && tovalux::runningWorkers() == 0; }

// 0: the stand-in alone; 1: the plug-in with the search row's slot empty (the router's own cost);
// 2: the plug-in mirroring. The variants take turns, four searches each, so a machine that gets
// busier or quieter during the run weighs on all three alike.
void benchSearch(Host& host, int rounds) {
  std::vector<double> times[3], paneOnly, panePaint;
  for (int round = 0; round < rounds; ++round) {
    for (int variant = 0; variant < 3; ++variant) {
      openHost(host, variant > 0);
      if (variant == 1) tovalux::setHostMirror(tovalux::HostMirror::kSearchResults1, nullptr);
      static const char* const kParts[] = {"search-alone", "search-routed", "search-mirrored"};
      for (int search = 0; search < 4; ++search) {
        const tovalux::bench::ProfiledPart profiled(kParts[variant]);
        const double start = now();
        host.runAction("search 1 500");
        pump();
        times[variant].push_back(now() - start);
      }
      if (variant == 2 && XListBox_GetCount(tovalux::searchList(0)) != 501)
        std::printf("search: the pane has the wrong rows\n");
      if (variant == 2 && round == rounds - 1) {
        // The pane's own part: the same lines handed to the mirror directly.
        for (int again = 0; again < rounds * 4; ++again) {
          const double start = now();
          tovalux::mirrorSearchClear(0);
          for (int k = 0; k < 500; ++k)
            tovalux::mirrorSearchAdd(0, "程序集: 窗口程序集_启动窗口 (" + std::to_string(k + 1) + "): 计次循环首 第" +
                                            std::to_string(k) + "处");
          tovalux::mirrorSearchAdd(0, "--- 共找到 500 处 ---");
          const double added = now();
          pump();
          paneOnly.push_back(added - start);
          panePaint.push_back(now() - added);
        }
      }
      closeHost(host);
    }
  }
  const double alone = median(times[0]), routed = median(times[1]), mirrored = median(times[2]);
  std::printf(
      "search    500 lines + summary: stand-in alone %.2f ms, routed without the pane %.2f ms, mirrored %.2f ms, "
      "ratio %.2f (goal <= %.2f); the pane's mirror alone %.2f ms for the lines, then %.2f ms to draw\n",
      alone * 1e3, routed * 1e3, mirrored * 1e3, alone > 0 ? mirrored / alone : 0, kSearchGoal, median(paneOnly) * 1e3,
      median(panePaint) * 1e3);
  report("search_lines_500", alone > 0 ? mirrored / alone : NAN, "x", kSearchGoal,
         format("%.2f vs %.2f ms", mirrored * 1e3, alone * 1e3));
}

// A window of ours whose posted message marks the time it was served.
double gServedAt = 0;
LRESULT CALLBACK pingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    gServedAt = now();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND pingWindow() {
  static HWND window = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &pingProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchPing";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "BenchPing", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return window;
}

// Round trips of posted messages while `running` holds (at least `minimum` of them).
std::vector<double> roundTrips(const std::function<bool()>& running, size_t minimum) {
  std::vector<double> trips;
  while (running() || trips.size() < minimum) {
    gServedAt = 0;
    const double posted = now();
    PostMessageA(pingWindow(), WM_APP + 1, 0, 0);
    pumpUntil([] { return gServedAt != 0; }, 10);
    trips.push_back(gServedAt - posted);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    pump();
  }
  return trips;
}

void benchReader(Host& host, int rounds, bool latency) {
  openHost(host, true);
  host.setMode("variables-count", 100);
  std::vector<double> reads, during, idle;
  for (int round = 0; round < rounds; ++round) {
    const double start = now();
    host.runAction("pause-page");
    if (latency) {
      const std::vector<double> trips = roundTrips([] { return !readerIdle(); }, 0);
      during.insert(during.end(), trips.begin(), trips.end());
    } else {
      pumpUntil(readerIdle);
    }
    reads.push_back(now() - start);
    if (XList_GetCount(tovalux::variablesList()) != 101) std::printf("reader: the list has the wrong rows\n");
    host.runAction("resume-page");
    pumpUntil(readerIdle);
    if (latency) {
      const std::vector<double> trips = roundTrips([] { return false; }, 200);
      idle.insert(idle.end(), trips.begin(), trips.end());
    }
  }
  closeHost(host);
  const double waits = (tovalux::kReaderStartWait + 100.0 * tovalux::kReaderValueWait) / 1e3;
  if (!latency) {
    std::printf(
        "reader    100 variables: %.0f ms (median of %d), its own waits %.0f ms, overhead %.1f%% (goal <= 10%%)\n",
        median(reads) * 1e3, rounds, waits * 1e3, (median(reads) / waits - 1) * 100);
  } else {
    std::printf(
        "latency   UI round trip during a read: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu trips; goal p99 <= 20 ms); "
        "idle: p50 %.2f ms, p99 %.2f ms\n",
        percentile(during, 0.5) * 1e3, percentile(during, 0.99) * 1e3, percentile(during, 1.0) * 1e3, during.size(),
        percentile(idle, 0.5) * 1e3, percentile(idle, 0.99) * 1e3);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string only = argc > 2 ? argv[2] : "";
  const auto part = [&](const char* name) { return only.empty() || only == name; };
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  if (part("search")) benchSearch(host, rounds);
  if (part("reader")) benchReader(host, rounds, false);
  if (part("latency")) benchReader(host, std::max(1, rounds / 2), true);
  return 0;
}
