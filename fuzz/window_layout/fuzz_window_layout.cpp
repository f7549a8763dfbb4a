// The window layout file (Layout.json) as any editor, crash or hostile hand may leave it: whatever
// it holds, what is read is an arrangement the frame can take whole (every pane docked in a group
// that exists, or floating; groups with panes; consecutive orders; sides in order), it reads back
// unchanged once written, the log line stays short and plain, and the frame's place lies where
// the user can reach it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/layout_rules.h"

using namespace tovalux;
using namespace tovalux::layout;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_window_layout: %s\n", what);
    std::abort();
  }
}

void requireWhole(const DockState& d) {
  std::vector<int> docked(d.groups.size(), 0);
  for (const PaneState& p : d.panes) {
    require(p.group >= -1 && p.group < static_cast<int>(d.groups.size()), "a pane in a group that is not there");
    if (p.floating) {
      require(!p.floatRect.empty() && p.floatRect.width() <= kMaxSize && p.floatRect.height() <= kMaxSize,
              "a floating window of no sane size");
      continue;
    }
    require(p.group >= 0, "a docked pane in no group");
    require(d.groups[static_cast<size_t>(p.group)].side == p.side, "a pane on another side than its group");
    require(p.floatRect == Rect{}, "a docked pane with a floating rectangle");
    ++docked[static_cast<size_t>(p.group)];
  }
  for (size_t g = 0; g < d.groups.size(); ++g) {
    require(docked[g] > 0, "a group without a docked pane");
    std::vector<bool> orders(static_cast<size_t>(docked[g]), false);
    for (const PaneState& p : d.panes)
      if (!p.floating && p.group == static_cast<int>(g)) {
        require(p.order >= 0 && p.order < docked[g] && !orders[static_cast<size_t>(p.order)], "orders not 0..n-1");
        orders[static_cast<size_t>(p.order)] = true;
      }
    const int selected = d.groups[g].selected;
    if (selected >= 0)
      require(!d.panes[static_cast<size_t>(selected)].floating &&
                  d.panes[static_cast<size_t>(selected)].group == static_cast<int>(g),
              "a selection the group does not hold");
    const SideState& side = d.sides[static_cast<size_t>(d.groups[g].side)];
    require(side.order > 0 && side.size >= 40 && side.size <= kMaxSize, "a side holding panes without order or size");
  }
  std::vector<bool> seen(kSideCount + 1, false);
  for (const SideState& s : d.sides) {
    require(s.order >= 0 && s.order <= kSideCount && s.size >= 0 && s.size <= kMaxSize, "a side out of range");
    if (s.order == 0) continue;
    require(!seen[static_cast<size_t>(s.order)], "two sides of one order");
    seen[static_cast<size_t>(s.order)] = true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ReadLayout read = readLayout({true, false, bytes}, defaultDock());
  requireWhole(read.dock);
  requireWhole(withoutFloating(read.dock));
  const std::string line = problemLine(read.problems);
  require(line.size() < 800, "a long log line");
  for (char c : line) require(c >= 0x20 && c <= 0x7E, "a log line that is not plain");

  // Written and read again: the same, without a problem.
  const ReadLayout again = readLayout({true, false, layoutText(read.dock, read.frame)}, defaultDock());
  require(again.problems.empty(), "a written layout reads with problems");
  require(again.dock == read.dock, "a written layout reads back differently");
  require(again.frame == read.frame, "a written frame place reads back differently");

  if (read.frame) {
    const std::vector<Rect> one{Rect{0, 0, 1920, 1040}};
    const std::vector<Rect> two{Rect{0, 0, 1920, 1040}, Rect{-1280, 200, 0, 1224}};
    for (const std::vector<Rect>* areas : {&one, &two}) {
      const FramePlacement placed = placeFrame(*read.frame, *areas);
      require(!placed.rect.empty(), "a frame placed with no size");
      require(reachable(placed.rect, *areas), "a frame placed where it cannot be reached");
      require(placed.maximized == read.frame->maximized, "the maximised state changed");
    }
  }
  return 0;
}
