#include "commands/run_state_rules.h"

#include <initializer_list>

#include "base/gbk_scan.h"
#include "commands/menu_table.h"

namespace tovalux::commands {
namespace {

class Passes {
 public:
  void set(int id, int flags) { out_.push_back({menuIndexOfId(id), id, flags}); }
  void range(int first, int last, int flags) {
    for (int id = first; id <= last; ++id) set(id, flags);
  }
  void ids(std::initializer_list<int> list, int flags) {
    for (int id : list) set(id, flags);
  }
  std::vector<ItemFlags> take() { return std::move(out_); }

 private:
  std::vector<ItemFlags> out_;
};

// 600..612 with 601 keeping its submenu mark.
void debugMenu(Passes& p, int flags) {
  p.range(600, 612, flags);
  p.set(601, flags | kItemSubmenu);
}

// 700..707 with 704 and 705 keeping theirs, then both submenus.
void buildMenu(Passes& p, int flags) {
  p.range(700, 707, flags);
  p.set(704, flags | kItemSubmenu);
  p.set(705, flags | kItemSubmenu);
  p.range(7040, 7043, flags);
  p.range(7050, 7052, flags);
}

}  // namespace

void readCaptionMarkers(std::string_view caption, RunState& state) {
  state.paused = gbkFindText(caption, kPausedMarker) != std::string_view::npos;
  state.running = gbkFindText(caption, kRunningMarker) != std::string_view::npos;
}

std::vector<ItemFlags> menuStatePasses(const RunState& s) {
  Passes p;
  const int f = s.projectLoaded ? kItemNormal : kItemDisabled;

  // 1. Base pass.
  p.range(102, 106, f);
  p.range(200, 213, f);
  p.range(300, 310, f);
  p.range(400, 413, f);
  p.range(500, 503, f);
  debugMenu(p, f);
  p.range(6010, 6013, f);
  buildMenu(p, f);
  const int designer =
      s.projectLoaded && s.pageKind == kWindowDesignerPage && !s.debugging ? kItemNormal : kItemDisabled;
  p.set(311, designer);
  p.set(800, designer);

  // 2. While a program is being debugged.
  if (s.debugging) {
    p.range(200, 213, kItemDisabled);
    p.ids({202, 206, 207, 210, 211, 213}, kItemNormal);
    p.set(311, kItemDisabled);
    p.range(400, 413, kItemDisabled);
    debugMenu(p, kItemDisabled);
    p.ids({602, 610, 612}, kItemNormal);
    p.range(6010, 6013, kItemDisabled);
    buildMenu(p, kItemDisabled);
  }
  // 3. Paused.
  if (s.debugging && s.paused) {
    debugMenu(p, kItemNormal);
    p.range(6010, 6013, kItemNormal);
  }
  // 4. Running.
  if (s.debugging && s.running) p.ids({608, 609, 610}, kItemNormal);
  // 5. A project and no program.
  if (!s.debugging && s.projectLoaded) {
    p.range(602, 607, kItemDisabled);
    p.set(611, kItemDisabled);
  }
  return p.take();
}

int finalItemFlags(std::span<const ItemFlags> passes, int id) {
  int flags = -1;
  for (const ItemFlags& entry : passes)
    if (entry.id == id) flags = entry.flags;
  return flags;
}

std::vector<ToolElementState> mainToolBarStates(std::span<const ToolElementKind> kinds, const RunState& s) {
  std::vector<ToolElementState> states(kinds.size());
  auto enable = [&](std::initializer_list<int> positions, bool on) {
    for (int pos : positions) {
      if (pos < 0 || static_cast<size_t>(pos) >= states.size()) continue;
      states[static_cast<size_t>(pos)].touched = true;
      states[static_cast<size_t>(pos)].enabled = on;
    }
  };

  // 1. Every button and combo box follows the project; combo text is bright only with one.
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == ToolElementKind::kOther) continue;
    ToolElementState& e = states[i];
    e.touched = true;
    e.enabled = s.projectLoaded;
    e.hasTextColor = true;
    e.textColor = kinds[i] == ToolElementKind::kComboBox && s.projectLoaded ? kComboTextLoaded : kToolTextDimmed;
  }
  // 2. 新建, 打开, 系统设置.
  enable({3, 4, 40}, true);
  // 3. Search, help tip, bookmarks, restart.
  enable({19, 32, 34, 35, 36, 37, 26}, s.projectLoaded);
  // 4. A project and no program.
  if (s.projectLoaded && !s.debugging) {
    enable({15, 16, 17, 21, 23, 24, 39}, true);
    enable({22, 25, 27, 28, 29, 30}, false);
  }
  // 5. A program is being debugged.
  if (s.projectLoaded && s.debugging) {
    enable({7, 9, 10, 11, 15, 16, 17, 21, 39}, false);
    if (s.running) enable({25, 27, 28, 29, 30}, false);
    if (s.paused) enable({21, 22, 25, 27, 28, 29, 30}, true);
  }
  return states;
}

}  // namespace tovalux::commands
