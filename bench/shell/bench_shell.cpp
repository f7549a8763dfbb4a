// The shell's cost to the host, under Wine, each figure beside its peer measured in the same run:
//
//   start-up   notification 1 (frame, panes, re-hosting) against the stand-in creating its own
//              window tree
//   re-fit     100 frame resizes, each carrying the host main window along over the code view,
//              against the stand-in resizing its own main window 100 times; the re-fit itself is
//              the difference to the same storm with the host out of the frame
//
//   bench_shell [ROUNDS]      default 10 start-ups
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "standin_host.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "shell/shell.h"
#include "shell/part.h"
#include "bench_support.h"

namespace {

using tovalux::bench::median;
using tovalux::bench::now;
using tovalux::bench::pump;
using tovalux::bench::timed;

using standin::Host;

// 100 sizes, each applied to `window` and followed by the messages it caused.
double resizeStorm(HWND window) {
  return timed([window] {
    for (int i = 0; i < 100; ++i) {
      SetWindowPos(window, nullptr, 0, 0, 900 + (i % 10) * 20, 650 + (i % 7) * 15, SWP_NOMOVE | SWP_NOZORDER);
      pump();
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  // The theme is found relative to the current directory: the stand-in's folder.
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  host.addLibrary(&GetNewInf, "in-process");
  host.runAction("mode quiet-traffic 1");  // the journal records no control traffic

  std::vector<double> tree, startUp, hostResize, frameResize, frameAlone;
  std::vector<std::pair<std::string, std::vector<double>>> parts;  // each Part's build, in order
  uint32_t moves = 0;
  for (int r = 0; r < rounds; ++r) {
    tovalux::resetLifecycleForTests();
    tree.push_back(timed([&] { host.createWindows(); }));
    host.show(SW_SHOWNORMAL);
    pump();
    // The stand-in alone: its own main window resized.
    hostResize.push_back(resizeStorm(host.mainWindow()));
    startUp.push_back(timed([&] { host.notifyStart(); }));
    const auto timings = tovalux::lastStartTimings();
    if (parts.empty())
      for (const tovalux::PartTiming& t : timings) parts.emplace_back(t.name, std::vector<double>{});
    for (size_t i = 0; i < timings.size() && i < parts.size(); ++i) parts[i].second.push_back(timings[i].milliseconds);
    pump();
    const uint32_t before = tovalux::shellCounters().hostWindowMoves;
    frameResize.push_back(resizeStorm(tovalux::shellFrameHwnd()));
    moves += tovalux::shellCounters().hostWindowMoves - before;
    // The same storm with the host out of the frame: what the re-fit itself adds.
    tovalux::detachHostMainWindow();
    frameAlone.push_back(resizeStorm(tovalux::shellFrameHwnd()));
    host.notifyAll(6);
    host.destroyWindows();
    pump();
  }

  const double treeMs = median(tree) * 1000, startMs = median(startUp) * 1000;
  const double hostMs = median(hostResize) * 1000, frameMs = median(frameResize) * 1000;
  const double aloneMs = median(frameAlone) * 1000;
  std::printf("rounds                              %d\n", rounds);
  std::printf("stand-in window tree creation       %8.2f ms (median)\n", treeMs);
  std::printf("shell start-up (notification 1)     %8.2f ms (median)\n", startMs);
  std::printf("  ratio start-up / window tree      %8.2f\n", startMs / treeMs);
  std::printf("  of which each part's build (median ms, as the plug-in measures it):\n");
  for (const auto& [name, times] : parts)
    if (median(times) >= 0.05) std::printf("    %-32s %8.2f\n", name.c_str(), median(times));
  std::printf("100 resizes of the host main window %8.2f ms (median)\n", hostMs);
  std::printf("100 resizes of the shell frame      %8.2f ms (median), host moved %.1f times per storm\n", frameMs,
              static_cast<double>(moves) / rounds);
  std::printf("  ratio frame / host resizes        %8.2f\n", frameMs / hostMs);
  std::printf("100 resizes of the frame, host out  %8.2f ms (median)\n", aloneMs);
  std::printf("  host re-fit cost (difference)     %8.2f ms, ratio to the host's own resizes %.2f\n", frameMs - aloneMs,
              (frameMs - aloneMs) / hostMs);
  return 0;
}
