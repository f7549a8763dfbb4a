// What keeping the window layout costs, under Wine, each figure beside its peer measured in the
// same run (rounds interleaved, so both see the same machine):
//
//   start-up   notification 1 with a saved layout (lib\Tovalux\Layout.json: a pane closed, one
//              moved to another side, the left side wider, another tab in front, the frame moved)
//              against notification 1 without a layout file; the goal is at most 1.05 x
//   shut-down  notification 6 (which saves the layout) with and without the file before it
//
//   bench_layout [ROUNDS]      default 15 of each
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/files.h"
#include "bench_support.h"
#include "host/host_paths.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "shell/layout_rules.h"
#include "shell/shell.h"
#include "standin_host.h"

namespace {

using tovalux::bench::median;
using tovalux::bench::pump;
using tovalux::bench::timed;

using standin::Host;

// A user's layout, as the shell would have saved it.
std::string savedLayout() {
  using namespace tovalux::layout;
  DockState d = defaultDock();
  d.sides[static_cast<size_t>(Side::kLeft)].size = 380;
  d.panes[7].shown = false;                    // the stack pane closed
  d.groups.push_back({Side::kRight, 320, 8});  // the watch pane on the right
  d.panes[8] = {true, false, {}, Side::kRight, 3, 0};
  for (int i = 9; i <= 11; ++i) d.panes[static_cast<size_t>(i)].order -= 1;
  d.groups[0].selected = 1;  // the project tab in front
  d.groups[2].selected = 6;
  return layoutText(d, FramePlace{{40, 30, 1140, 830}, false, {}});
}

struct Round {
  double startUp = 0, shutDown = 0;
};

Round oneRound(Host& host) {
  Round r;
  tovalux::resetLifecycleForTests();
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  pump();
  r.startUp = timed([&] { host.notifyStart(); });
  pump();
  r.shutDown = timed([&] { host.notifyAll(6); });
  host.destroyWindows();
  pump();
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  // The theme is found relative to the current directory: the stand-in's folder. The layout file
  // lives beside this program, as beside the host.
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  CreateDirectoryA(tovalux::hostPath("lib").c_str(), nullptr);
  CreateDirectoryA(tovalux::hostPath("lib\\Tovalux").c_str(), nullptr);
  const std::string path = tovalux::layoutFilePath();
  const std::string saved = savedLayout();
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  host.addLibrary(&GetNewInf, "in-process");
  host.runAction("mode quiet-traffic 1");  // the journal records no control traffic

  // One round of each first, unmeasured: the theme's files come into the system's cache.
  DeleteFileA(path.c_str());
  oneRound(host);
  std::vector<double> withStart, withoutStart, withStop, withoutStop;
  for (int i = 0; i < rounds; ++i) {
    if (!tovalux::saveFileAtomically(path, saved)) {
      std::printf("bench_layout: cannot write %s\n", path.c_str());
      return 1;
    }
    const Round with = oneRound(host);
    withStart.push_back(with.startUp);
    withStop.push_back(with.shutDown);
    DeleteFileA(path.c_str());
    const Round without = oneRound(host);
    withoutStart.push_back(without.startUp);
    withoutStop.push_back(without.shutDown);
  }
  DeleteFileA(path.c_str());

  const double withMs = median(withStart) * 1000, withoutMs = median(withoutStart) * 1000;
  const double withStopMs = median(withStop) * 1000, withoutStopMs = median(withoutStop) * 1000;
  std::printf("rounds                                   %d of each, interleaved\n", rounds);
  std::printf("start-up without a layout file           %8.2f ms (median)\n", withoutMs);
  std::printf("start-up with a saved layout             %8.2f ms (median)\n", withMs);
  std::printf("  ratio with / without                   %8.3f (goal: at most 1.05)\n", withMs / withoutMs);
  std::printf("shut-down (saves), after a start without %8.2f ms (median)\n", withoutStopMs);
  std::printf("shut-down (saves), after a start with    %8.2f ms (median)\n", withStopMs);
  std::printf("  ratio with / without                   %8.3f\n", withStopMs / withoutStopMs);
  return 0;
}
