// What the code view companions cost the host, under Wine, each figure beside its peer measured
// in the same run:
//
//   table fill   the member list of a table page with N global variables (the drop-down opened
//                until its last item is in) against the stand-in filling its own combo box with
//                the same names; the longest wait of a message posted to the UI thread during the
//                fill (a steady stream from another thread)
//   paint        N paints of a code view with the scroll mirror against the same view without it,
//                and how often the mirror touched the shell's scroll bars (no scroll change: never)
//
//   bench_codeview [MEMBERS] [PAINTS] [ROUNDS]      defaults 2000 1000 5
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "codeview/codeview.h"
#include "control_traffic.h"
#include "host/subclasses.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "shell/host_mirrors.h"
#include "shell/shell.h"
#include "standin_host.h"
#include "toolkit/win32/xcgui_win32.h"
#include "bench_support.h"

namespace {

using tovalux::bench::median;
using tovalux::bench::now;
using tovalux::bench::pump;
using tovalux::bench::timed;

using standin::Host;

constexpr double kWaitGoalMs = 16;  // one frame

uint32_t ticks() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<uint32_t>(counter.QuadPart);
}

double tickMs(uint32_t ticks) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return 1000.0 * ticks / static_cast<double>(frequency.QuadPart);
}

// A stream of messages posted to the UI thread from another thread, each carrying the moment it
// was posted; the UI thread notes the longest wait until one was handled.
class LatencyProbe {
 public:
  LatencyProbe() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchLatencyProbe";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    gLongest = 0;
  }
  ~LatencyProbe() { DestroyWindow(window_); }

  void start() {
    gLongest = 0;
    running_ = true;
    poster_ = std::thread([this] {
      while (running_) {
        PostMessageA(window_, WM_APP, ticks(), 0);
        Sleep(2);
      }
    });
  }
  // The longest wait in milliseconds.
  double stop() {
    running_ = false;
    poster_.join();
    pump();
    return tickMs(gLongest);
  }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      gLongest = std::max(gLongest, ticks() - static_cast<uint32_t>(wParam));
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  std::thread poster_;
  std::atomic<bool> running_{false};
  static inline uint32_t gLongest = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int members = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int paints = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  host.addLibrary(&GetNewInf, "in-process");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  host.runAction("mode quiet-traffic 1");
  host.notifyStart();
  pump();

  LatencyProbe probe;

  // --- table fill ---------------------------------------------------------------------------
  host.runAction("page-open 起始页");
  host.runAction("program-tree-sample globals=" + std::to_string(members));
  host.runAction("page-open 全局变量表");
  pump();
  const HELE combo = tovalux::frameElement("navVoidComboBox");
  std::vector<std::string> names;
  for (int i = 0; i < members; ++i) names.push_back("全局变量" + std::to_string(i + 1));

  std::vector<double> fills, ownFills, latencies, slices, opens;
  for (int r = 0; r < rounds; ++r) {
    probe.start();
    const double fill = timed([&] {
      opens.push_back(timed([&] { XComboBox_PopupDropList(combo); }) * 1000);
      while (tovalux::codeViewCounters().tableFillItems < static_cast<uint32_t>(members)) {
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      }
    });
    latencies.push_back(probe.stop());
    slices.push_back(tovalux::codeViewCounters().longestFillSliceMs);
    XComboBox_CloseDropList(combo);
    fills.push_back(fill);
    // The stand-in's own combo box with the same names (the host's member combo 630).
    const HWND own = host.tree().memberCombo;
    ownFills.push_back(timed([&] {
      standin::hostSend(own, CB_RESETCONTENT, 0, 0);
      for (const std::string& name : names)
        standin::hostSend(own, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      pump();
    }));
  }
  const uint32_t sliceCount = tovalux::codeViewCounters().tableFillSlices;

  // --- paints -------------------------------------------------------------------------------
  host.runAction("page-open \"程序集: 程序集1\"");
  host.runAction("page-scroll \"程序集: 程序集1\" v range=199 pos=40");
  pump();
  const HWND view = host.model().pageByTitle("程序集: 程序集1")->codeView;
  auto paintStorm = [&] {
    return timed([&] {
      for (int i = 0; i < paints; ++i) {
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
      }
    });
  };
  std::vector<double> plain, mirrored;
  uint32_t updates = 0;
  // Start-up's hooks put creation rule 7's subclass on the view already: take every subclass
  // off so the plain storm meets the host's own procedure only.
  tovalux::restoreSubclasses();
  for (int r = 0; r < rounds; ++r) {
    plain.push_back(paintStorm());
    // Creation rule 7's subclass, put on and taken off around the storm.
    tovalux::subclassWindow(view, tovalux::hostProcedure(tovalux::HostProcedure::kCodeView));
    paintStorm();  // the first paint copies the bars once
    const uint32_t before = tovalux::codeViewCounters().scrollBarUpdates;
    mirrored.push_back(paintStorm());
    updates += tovalux::codeViewCounters().scrollBarUpdates - before;
    tovalux::restoreSubclasses();
    tovalux::subclassWindow(host.tree().mdiClient, tovalux::hostProcedure(tovalux::HostProcedure::kMdiClient));
  }
  host.notifyAll(6);
  host.destroyWindows();

  const double fillMs = median(fills) * 1000, ownMs = median(ownFills) * 1000;
  const double plainMs = median(plain) * 1000, mirroredMs = median(mirrored) * 1000;
  std::printf("rounds                                  %d\n", rounds);
  std::printf("table member list of %d entries        %8.2f ms (median; goal <= 1000)\n", members, fillMs);
  std::printf("stand-in filling its own combo          %8.2f ms (median)\n", ownMs);
  std::printf("  ratio table fill / own combo          %8.2f\n", fillMs / ownMs);
  std::printf("  slices of the last fill               %8u, longest %.2f ms (median of rounds)\n", sliceCount,
              median(slices));
  std::printf("  drop-down opening (tree read, first slice) %5.2f ms (median)\n", median(opens));
  std::printf("  longest UI message wait during fill   %8.2f ms (median of rounds; goal <= %.0f), worst %.2f ms\n",
              median(latencies), kWaitGoalMs, *std::max_element(latencies.begin(), latencies.end()));
  std::printf("  per round: wait / opening / fill      ");
  for (size_t i = 0; i < latencies.size(); ++i) std::printf(" %.1f/%.1f/%.1f", latencies[i], opens[i], fills[i] * 1000);
  std::printf(" ms\n");
  std::printf("%d code-view paints, plain             %8.2f ms (median)\n", paints, plainMs);
  std::printf("%d code-view paints, scroll mirror     %8.2f ms (median)\n", paints, mirroredMs);
  std::printf("  ratio mirrored / plain                %8.2f (goal <= 1.2)\n", mirroredMs / plainMs);
  std::printf("  scroll-bar updates in those paints    %8u (no scroll change: goal 0)\n", updates);
  tovalux::bench::report("table_list_wait", median(latencies), "ms", kWaitGoalMs,
                         tovalux::bench::format("%d members, median of %d rounds, worst %.2f ms, fill %.1f ms", members,
                                                rounds, *std::max_element(latencies.begin(), latencies.end()), fillMs));
  return 0;
}
