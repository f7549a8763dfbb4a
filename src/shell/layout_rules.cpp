#include "shell/layout_rules.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "json/json_document.h"

namespace tovalux::layout {

const std::array<std::string_view, kPaneCount> kPaneNames = {
    "libraries",   "project", "properties", "modules", "toolbox", "helpTips",
    "debugOutput", "stack",   "watch",      "search1", "search2", "disassembly",
};

namespace {

using shell_rules::kPanes;
using shell_rules::PaneDock;

// The toolkit never lets a dragged side get smaller than this; a side that holds panes and is
// smaller came from somewhere else.
constexpr int kMinSideSize = 40;
// What a group made for a pane gets along its side when nothing else says.
constexpr int kFallbackExtent = 260;
constexpr size_t kMaxProblemsShown = 4;
constexpr size_t kMaxProblemText = 80;

constexpr std::array<std::string_view, kSideCount> kSideNames = {"left", "top", "right", "bottom"};

int sideIndex(Side side) { return static_cast<int>(side); }

std::optional<Side> sideNamed(std::string_view name) {
  for (int i = 0; i < kSideCount; ++i)
    if (kSideNames[i] == name) return static_cast<Side>(i);
  return std::nullopt;
}

int paneNamed(std::string_view name) {
  for (int i = 0; i < kPaneCount; ++i)
    if (kPaneNames[i] == name) return i;
  return -1;
}

bool acrossIsWidth(Side side) { return side == Side::kLeft || side == Side::kRight; }

// Gives every side that holds a docked pane an order, after the others, and numbers the orders
// 1, 2... as the toolkit does (ties go by side).
void normalizeSides(DockState& d, const DockState* defaults) {
  for (int s = 0; s < kSideCount; ++s) {
    const bool used = std::any_of(d.panes.begin(), d.panes.end(), [&](const PaneState& p) {
      return !p.floating && p.group >= 0 && sideIndex(d.groups[static_cast<size_t>(p.group)].side) == s;
    });
    SideState& side = d.sides[static_cast<size_t>(s)];
    if (used && side.order == 0) side.order = kSideCount + 1 + s;
    if (used && side.size < kMinSideSize)
      side.size = defaults != nullptr && defaults->sides[static_cast<size_t>(s)].size >= kMinSideSize
                      ? defaults->sides[static_cast<size_t>(s)].size
                      : kFallbackExtent;
  }
  std::vector<std::pair<int, int>> ordered;
  for (int s = 0; s < kSideCount; ++s)
    if (d.sides[static_cast<size_t>(s)].order > 0) ordered.emplace_back(d.sides[static_cast<size_t>(s)].order, s);
  std::sort(ordered.begin(), ordered.end());
  int next = 1;
  for (const auto& [order, s] : ordered) d.sides[static_cast<size_t>(s)].order = next++;
}

// Drops groups no docked pane is in (a floating pane that would dock back to one keeps its side),
// numbers each group's docked panes 0, 1... in their order (ties: lower pane index first), keeps
// floating panes' positions within reach (when `final`: more panes may join first), and forgets a
// selection the group does not hold.
void normalizeGroups(DockState& d, bool final = true) {
  std::vector<int> docked(d.groups.size(), 0);
  for (const PaneState& p : d.panes)
    if (!p.floating && p.group >= 0) ++docked[static_cast<size_t>(p.group)];
  std::vector<int> renumber(d.groups.size(), -1);
  std::vector<GroupState> kept;
  for (size_t g = 0; g < d.groups.size(); ++g) {
    if (docked[g] == 0) continue;
    renumber[g] = static_cast<int>(kept.size());
    kept.push_back(d.groups[g]);
  }
  for (PaneState& p : d.panes) {
    if (p.group < 0) continue;
    const Side side = d.groups[static_cast<size_t>(p.group)].side;
    p.group = renumber[static_cast<size_t>(p.group)];
    p.side = side;
    if (p.group < 0) p.order = 0;
  }
  d.groups = std::move(kept);
  for (size_t g = 0; g < d.groups.size(); ++g) {
    std::vector<std::pair<int, int>> members;  // (order, pane)
    for (int i = 0; i < kPaneCount; ++i)
      if (const PaneState& p = d.panes[static_cast<size_t>(i)]; !p.floating && p.group == static_cast<int>(g))
        members.emplace_back(p.order, i);
    std::sort(members.begin(), members.end());
    for (size_t k = 0; k < members.size(); ++k)
      d.panes[static_cast<size_t>(members[k].second)].order = static_cast<int>(k);
    for (PaneState& p : d.panes)
      if (final && p.floating && p.group == static_cast<int>(g))
        p.order = std::clamp(p.order, 0, static_cast<int>(members.size()));
    int& selected = d.groups[g].selected;
    if (selected >= 0) {
      const PaneState& s = d.panes[static_cast<size_t>(selected)];
      if (s.floating || s.group != static_cast<int>(g)) selected = -1;
    }
  }
}

// --- reading ---------------------------------------------------------------------------------------

std::optional<int> intAt(const JsonDocument& doc, const std::string& path, int lowest, int highest) {
  if (doc.kind(path) != JsonKind::Integer) return std::nullopt;
  const int64_t value = doc.getInteger(path);
  if (value < lowest || value > highest) return std::nullopt;
  return static_cast<int>(value);
}

// A member that may be absent: its default then; nullopt when it is there but not sane.
std::optional<int> optionalIntAt(const JsonDocument& doc, const std::string& path, int lowest, int highest,
                                 int fallback) {
  if (doc.kind(path) == JsonKind::None) return fallback;
  return intAt(doc, path, lowest, highest);
}

std::optional<bool> optionalBoolAt(const JsonDocument& doc, const std::string& path, bool fallback) {
  const JsonKind kind = doc.kind(path);
  if (kind == JsonKind::None) return fallback;
  if (kind != JsonKind::Boolean) return std::nullopt;
  return doc.getBool(path);
}

bool isPlainObject(const JsonDocument& doc, const std::string& path) {
  return doc.kind(path) == JsonKind::Object && !doc.repeatsNames(path);
}

// {"x", "y", "width", "height"} with the size between minSize and kMaxSize.
std::optional<Rect> rectAt(const JsonDocument& doc, const std::string& path, int minSize) {
  if (!isPlainObject(doc, path)) return std::nullopt;
  const auto x = intAt(doc, path + ".x", -kMaxCoordinate, kMaxCoordinate);
  const auto y = intAt(doc, path + ".y", -kMaxCoordinate, kMaxCoordinate);
  const auto width = intAt(doc, path + ".width", minSize, kMaxSize);
  const auto height = intAt(doc, path + ".height", minSize, kMaxSize);
  if (!x || !y || !width || !height) return std::nullopt;
  return Rect{*x, *y, *x + *width, *y + *height};
}

std::string quoted(std::string_view text) { return "\"" + std::string(text.substr(0, 40)) + "\""; }

std::optional<FramePlace> readFrame(const JsonDocument& doc, std::vector<std::string>& problems) {
  if (doc.kind("frame") == JsonKind::None) return std::nullopt;
  const std::optional<Rect> rect =
      isPlainObject(doc, "frame") ? rectAt(doc, "frame", shell_rules::kMinimumFrameSize) : std::nullopt;
  const std::optional<bool> maximized = optionalBoolAt(doc, "frame.maximized", false);
  if (!rect || !maximized) {
    problems.push_back("the frame's place is not usable");
    return std::nullopt;
  }
  FramePlace place{*rect, *maximized, {}};
  if (doc.kind("frame.monitor") != JsonKind::None) {
    if (const std::optional<Rect> monitor = rectAt(doc, "frame.monitor", 1))
      place.monitor = *monitor;
    else
      problems.push_back("the frame's monitor is not usable");
  }
  return place;
}

struct FileGroup {
  bool usable = false;
  GroupState state;
  std::string selected;
};

struct FilePane {
  int pane = -1;
  PaneState state;
  bool usable = false;
};

std::array<std::optional<SideState>, kSideCount> readSides(const JsonDocument& doc,
                                                           std::vector<std::string>& problems) {
  std::array<std::optional<SideState>, kSideCount> sides;
  if (doc.kind("sides") == JsonKind::None) return sides;
  if (!isPlainObject(doc, "sides")) {
    problems.push_back("the sides are not usable");
    return sides;
  }
  std::vector<std::string> names;
  doc.memberNames("sides", names);
  for (const std::string& name : names) {
    const std::optional<Side> side = sideNamed(name);
    if (!side) {
      problems.push_back("unknown side " + quoted(name));
      continue;
    }
    const std::string path = "sides." + name;
    const auto size = intAt(doc, path + ".size", 0, kMaxSize);
    const auto order = optionalIntAt(doc, path + ".order", 0, kSideCount, 0);
    if (!isPlainObject(doc, path) || !size || !order || (*order > 0 && *size < kMinSideSize)) {
      problems.push_back("the " + name + " side is not usable");
      continue;
    }
    sides[static_cast<size_t>(sideIndex(*side))] = SideState{*size, *order};
  }
  return sides;
}

// The records of an array member, at most kMaxRecords of them.
int recordCount(const JsonDocument& doc, const char* name, std::vector<std::string>& problems) {
  const JsonKind kind = doc.kind(name);
  if (kind == JsonKind::None) return 0;
  if (kind != JsonKind::Array) {
    problems.push_back(std::string("the ") + name + " are not a list");
    return 0;
  }
  const int count = doc.count(name);
  if (count > kMaxRecords) problems.push_back(std::string("more ") + name + " than can be used");
  return std::min(count, kMaxRecords);
}

std::vector<FileGroup> readGroups(const JsonDocument& doc, std::vector<std::string>& problems) {
  std::vector<FileGroup> groups(static_cast<size_t>(recordCount(doc, "groups", problems)));
  for (size_t g = 0; g < groups.size(); ++g) {
    const std::string path = "groups[" + std::to_string(g) + "]";
    const std::optional<Side> side = sideNamed(doc.getText(path + ".side"));
    const auto extent = intAt(doc, path + ".extent", 0, kMaxSize);
    const JsonKind selectedKind = doc.kind(path + ".selected");
    if (!isPlainObject(doc, path) || doc.kind(path + ".side") != JsonKind::String || !side || !extent ||
        (selectedKind != JsonKind::None && selectedKind != JsonKind::String)) {
      problems.push_back("group " + std::to_string(g) + " is not usable");
      continue;
    }
    groups[g] = {true, {*side, *extent, -1}, doc.getText(path + ".selected")};
  }
  return groups;
}

FilePane readPane(const JsonDocument& doc, size_t record, const std::vector<FileGroup>& groups,
                  const DockState& defaults, std::vector<std::string>& problems) {
  FilePane out;
  const std::string path = "panes[" + std::to_string(record) + "]";
  if (!isPlainObject(doc, path) || doc.kind(path + ".name") != JsonKind::String) {
    problems.push_back("pane record " + std::to_string(record) + " is not usable");
    return out;
  }
  const std::string name = doc.getText(path + ".name");
  out.pane = paneNamed(name);
  if (out.pane < 0) {
    problems.push_back("unknown pane " + quoted(name));
    return out;
  }
  const auto group = intAt(doc, path + ".group", -1, kMaxRecords);
  const auto order = optionalIntAt(doc, path + ".order", 0, kMaxSize, 0);
  const auto shown = optionalBoolAt(doc, path + ".shown", true);
  const JsonKind sideKind = doc.kind(path + ".side");
  const std::optional<Side> side = sideNamed(doc.getText(path + ".side"));
  if (!group || !order || !shown || (sideKind != JsonKind::None && !side)) {
    problems.push_back("pane " + name + " is not usable");
    return out;
  }
  const bool groupUsable =
      *group >= 0 && static_cast<size_t>(*group) < groups.size() && groups[static_cast<size_t>(*group)].usable;
  const int defaultGroup = defaults.panes[static_cast<size_t>(out.pane)].group;
  const Side defaultSide = defaultGroup >= 0 ? defaults.groups[static_cast<size_t>(defaultGroup)].side : Side::kLeft;
  PaneState& p = out.state;
  p.shown = *shown;
  p.order = *order;
  p.group = groupUsable ? *group : -1;
  p.side = groupUsable ? groups[static_cast<size_t>(*group)].state.side : side.value_or(defaultSide);
  if (doc.kind(path + ".floating") != JsonKind::None) {
    if (const std::optional<Rect> rect = rectAt(doc, path + ".floating", kMinFloatSize)) {
      p.floating = true;
      p.floatRect = *rect;
    } else {
      problems.push_back("pane " + name + "'s floating window is not usable");
    }
  }
  if (!p.floating && !groupUsable) {
    problems.push_back("pane " + name + " is in no usable group");
    return out;
  }
  out.usable = true;
  return out;
}

// Where a pane the file does not place goes: beside a pane of its default group that the file
// docked, else into a group made for the panes of that default group.
void placeByDefault(DockState& d, int pane, const DockState& defaults, std::map<int, int>& madeFor,
                    const std::array<bool, kPaneCount>& fromFile) {
  const PaneState& wanted = defaults.panes[static_cast<size_t>(pane)];
  PaneState& p = d.panes[static_cast<size_t>(pane)];
  p = PaneState{};
  p.shown = wanted.shown;
  if (wanted.group < 0) return;
  int target = -1;
  for (int j = 0; j < kPaneCount && target < 0; ++j)
    if (fromFile[static_cast<size_t>(j)] && defaults.panes[static_cast<size_t>(j)].group == wanted.group &&
        !d.panes[static_cast<size_t>(j)].floating && d.panes[static_cast<size_t>(j)].group >= 0)
      target = d.panes[static_cast<size_t>(j)].group;
  if (target < 0) {
    if (auto made = madeFor.find(wanted.group); made != madeFor.end()) {
      target = made->second;
    } else {
      // Its default selection stays when that pane lands in it too (normalizeGroups checks).
      const GroupState g = defaults.groups[static_cast<size_t>(wanted.group)];
      target = static_cast<int>(d.groups.size());
      d.groups.push_back(g);
      madeFor[wanted.group] = target;
    }
  }
  p.group = target;
  p.side = d.groups[static_cast<size_t>(target)].side;
  // After every pane already in it, in default order among the ones placed this way.
  int last = -1;
  for (const PaneState& other : d.panes)
    if (&other != &p && !other.floating && other.group == target) last = std::max(last, other.order);
  p.order = last + 1 + wanted.order;
}

DockState readDock(const JsonDocument& doc, const DockState& defaults, std::vector<std::string>& problems) {
  DockState d;
  const std::array<std::optional<SideState>, kSideCount> sides = readSides(doc, problems);
  for (int s = 0; s < kSideCount; ++s)
    d.sides[static_cast<size_t>(s)] = sides[static_cast<size_t>(s)].value_or(defaults.sides[static_cast<size_t>(s)]);

  const std::vector<FileGroup> groups = readGroups(doc, problems);
  for (const FileGroup& g : groups) d.groups.push_back(g.state);  // unusable ones are never used

  std::array<int, kPaneCount> named{};
  std::vector<FilePane> records;
  const int count = recordCount(doc, "panes", problems);
  for (int r = 0; r < count; ++r) {
    const std::string path = "panes[" + std::to_string(r) + "]";
    const int pane = paneNamed(doc.getText(path + ".name"));
    if (pane >= 0) ++named[static_cast<size_t>(pane)];
    records.push_back(readPane(doc, static_cast<size_t>(r), groups, defaults, problems));
  }
  std::array<bool, kPaneCount> fromFile{};
  for (const FilePane& record : records) {
    if (!record.usable || named[static_cast<size_t>(record.pane)] != 1) continue;
    d.panes[static_cast<size_t>(record.pane)] = record.state;
    fromFile[static_cast<size_t>(record.pane)] = true;
  }
  for (int i = 0; i < kPaneCount; ++i)
    if (named[static_cast<size_t>(i)] > 1) problems.push_back("pane " + std::string(kPaneNames[i]) + " is named twice");

  // Selections by name, before groups are renumbered.
  for (size_t g = 0; g < groups.size(); ++g) {
    if (!groups[g].usable || groups[g].selected.empty()) continue;
    const int pane = paneNamed(groups[g].selected);
    if (pane < 0 || !fromFile[static_cast<size_t>(pane)] ||
        d.panes[static_cast<size_t>(pane)].group != static_cast<int>(g) ||
        d.panes[static_cast<size_t>(pane)].floating) {
      problems.push_back("group " + std::to_string(g) + " selects " + quoted(groups[g].selected) +
                         ", which it does not hold");
      continue;
    }
    d.groups[g].selected = pane;
  }
  for (int i = 0; i < kPaneCount; ++i)
    if (!fromFile[static_cast<size_t>(i)])
      d.panes[static_cast<size_t>(i)] = PaneState{false, false, {}, Side::kLeft, -1, 0};
  normalizeGroups(d, false);

  std::map<int, int> madeFor;
  for (int i = 0; i < kPaneCount; ++i)
    if (!fromFile[static_cast<size_t>(i)]) placeByDefault(d, i, defaults, madeFor, fromFile);
  normalizeGroups(d);
  normalizeSides(d, &defaults);
  return d;
}

std::string clean(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, kMaxProblemText)) out.push_back(c >= 0x20 && c <= 0x7E ? c : '?');
  if (text.size() > kMaxProblemText) out += "...";
  return out;
}

// --- writing ---------------------------------------------------------------------------------------

void setRect(JsonDocument& doc, const std::string& path, const Rect& r) {
  doc.setInteger(path + ".x", r.left);
  doc.setInteger(path + ".y", r.top);
  doc.setInteger(path + ".width", r.width());
  doc.setInteger(path + ".height", r.height());
}

// --- the frame -------------------------------------------------------------------------------------

Rect intersection(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

int64_t overlap(const Rect& a, const Rect& b) {
  const Rect i = intersection(a, b);
  return i.empty() ? 0 : int64_t(i.width()) * i.height();
}

// The work area the rectangle overlaps most; null when it overlaps none.
const Rect* mostOverlapped(const Rect& r, std::span<const Rect> areas) {
  const Rect* best = nullptr;
  int64_t most = 0;
  for (const Rect& area : areas)
    if (const int64_t o = overlap(r, area); o > most) most = o, best = &area;
  return best;
}

// The rectangle moved (and cut) to lie inside the area.
Rect fitInto(const Rect& r, const Rect& area) {
  const int width = std::min(r.width(), area.width()), height = std::min(r.height(), area.height());
  const int left = std::clamp(r.left, area.left, area.right - width);
  const int top = std::clamp(r.top, area.top, area.bottom - height);
  return {left, top, left + width, top + height};
}

}  // namespace

DockState defaultDock() {
  DockState d;
  int nextOrder = 1;
  for (int i = 0; i < kPaneCount; ++i) {
    const shell_rules::PaneLayout& row = kPanes[static_cast<size_t>(i)];
    PaneState& p = d.panes[static_cast<size_t>(i)];
    p.shown = row.initiallyShown;
    if (row.dock == PaneDock::kMerged) {
      const PaneState& first = d.panes[static_cast<size_t>(row.mergeInto)];
      p.group = first.group;
      p.side = first.side;
      p.order = static_cast<int>(
          std::count_if(d.panes.begin(), d.panes.begin() + i, [&](const PaneState& o) { return o.group == p.group; }));
      continue;
    }
    const Side side = row.dock == PaneDock::kLeftGroup    ? Side::kLeft
                      : row.dock == PaneDock::kRightAlone ? Side::kRight
                                                          : Side::kBottom;
    SideState& s = d.sides[static_cast<size_t>(sideIndex(side))];
    if (s.order == 0) {
      s.order = nextOrder++;
      s.size = acrossIsWidth(side) ? row.width : row.height;
    }
    p.group = static_cast<int>(d.groups.size());
    p.side = side;
    p.order = 0;
    d.groups.push_back({side, acrossIsWidth(side) ? row.height : row.width, i});
  }
  return d;
}

namespace {

template <class Predicate>
DockState dockFloatsWhere(DockState d, Predicate dock) {
  for (int i = 0; i < kPaneCount; ++i) {
    PaneState& p = d.panes[static_cast<size_t>(i)];
    if (!p.floating || !dock(p)) continue;
    p.floating = false;
    p.floatRect = {};
    if (p.group < 0) {
      // The last group of its side, else a new one.
      for (size_t g = 0; g < d.groups.size(); ++g)
        if (d.groups[g].side == p.side) p.group = static_cast<int>(g);
      if (p.group < 0) {
        p.group = static_cast<int>(d.groups.size());
        d.groups.push_back({p.side, kFallbackExtent, -1});
      }
      p.order = kMaxSize;  // last
    } else {
      // Where docking back puts it: at its position, before the pane that holds it now.
      for (int j = 0; j < kPaneCount; ++j) {
        PaneState& other = d.panes[static_cast<size_t>(j)];
        if (j != i && !other.floating && other.group == p.group && other.order >= p.order) ++other.order;
      }
    }
  }
  normalizeGroups(d);
  normalizeSides(d, nullptr);
  return d;
}

}  // namespace

DockState withoutFloating(DockState d) {
  return dockFloatsWhere(std::move(d), [](const PaneState&) { return true; });
}

DockState dockUnreachableFloats(DockState d, std::span<const Rect> workAreas) {
  if (workAreas.empty()) return d;
  return dockFloatsWhere(std::move(d),
                         [&](const PaneState& p) { return !reachable(p.floatRect, workAreas, kFloatCaptionBand); });
}

std::string layoutText(const DockState& dock, const std::optional<FramePlace>& frame) {
  JsonDocument doc = JsonDocument::withRoot(JsonKind::Object);
  doc.setInteger("version", kVersion);
  if (frame) {
    setRect(doc, "frame", frame->rect);
    doc.setBool("frame.maximized", frame->maximized);
    if (!frame->monitor.empty()) setRect(doc, "frame.monitor", frame->monitor);
  }
  doc.setEmptyObject("sides");
  for (int s = 0; s < kSideCount; ++s) {
    const SideState& side = dock.sides[static_cast<size_t>(s)];
    const std::string path = "sides." + std::string(kSideNames[static_cast<size_t>(s)]);
    doc.setInteger(path + ".size", side.size);
    doc.setInteger(path + ".order", side.order);
  }
  doc.setEmptyArray("groups");
  for (size_t g = 0; g < dock.groups.size(); ++g) {
    const std::string path = "groups[" + std::to_string(g) + "]";
    doc.setText(path + ".side", kSideNames[static_cast<size_t>(sideIndex(dock.groups[g].side))]);
    doc.setInteger(path + ".extent", dock.groups[g].extent);
    if (const int selected = dock.groups[g].selected; selected >= 0 && selected < kPaneCount)
      doc.setText(path + ".selected", kPaneNames[static_cast<size_t>(selected)]);
  }
  doc.setEmptyArray("panes");
  for (int i = 0; i < kPaneCount; ++i) {
    const PaneState& p = dock.panes[static_cast<size_t>(i)];
    const std::string path = "panes[" + std::to_string(i) + "]";
    doc.setText(path + ".name", kPaneNames[static_cast<size_t>(i)]);
    doc.setInteger(path + ".group", p.group);
    doc.setInteger(path + ".order", p.order);
    doc.setBool(path + ".shown", p.shown);
    if (p.floating) {
      setRect(doc, path + ".floating", p.floatRect);
      if (p.group < 0) doc.setText(path + ".side", kSideNames[static_cast<size_t>(sideIndex(p.side))]);
    }
  }
  return doc.toText({}, true);
}

ReadLayout readLayout(const FileBytes& file, const DockState& defaults) {
  ReadLayout out;
  out.dock = defaults;
  if (!file.exists) return out;
  if (file.readFailed) {
    out.problems.push_back("the file cannot be read");
    return out;
  }
  if (file.bytes.size() > kMaxFileBytes) {
    out.problems.push_back("the file is larger than " + std::to_string(kMaxFileBytes / 1024) + " KiB");
    return out;
  }
  JsonDocument doc;
  int code = 0, position = 0;
  if (!doc.parse(file.bytes, 0, code, position)) {
    out.problems.push_back(std::string("the file is damaged (") + jsonErrorName(code) + " at character " +
                           std::to_string(position) + ")");
    return out;
  }
  if (doc.kind({}) != JsonKind::Object || doc.repeatsNames({})) {
    out.problems.push_back("the file holds no layout object");
    return out;
  }
  if (doc.kind("version") != JsonKind::Integer) {
    out.problems.push_back("the file has no version");
    return out;
  }
  if (doc.getInteger("version") != kVersion) {
    out.problems.push_back("the file's version " + clean(doc.getNumberText("version")) + " is not known");
    return out;
  }
  out.frame = readFrame(doc, out.problems);
  out.dock = readDock(doc, defaults, out.problems);
  return out;
}

std::string problemLine(const std::vector<std::string>& problems) {
  if (problems.empty()) return {};
  std::string line = "Tovalux: Layout.json: ";
  for (size_t i = 0; i < problems.size() && i < kMaxProblemsShown; ++i) {
    if (i > 0) line += "; ";
    line += clean(problems[i]);
  }
  if (problems.size() > kMaxProblemsShown)
    line += "; and " + std::to_string(problems.size() - kMaxProblemsShown) + " more";
  line += " - the default layout is used for that";
  return line;
}

bool reachable(const Rect& window, std::span<const Rect> workAreas, int captionBand) {
  const Rect band{window.left, window.top, window.right, window.top + std::min(window.height(), captionBand)};
  for (const Rect& area : workAreas) {
    const Rect i = intersection(band, area);
    if (!i.empty() && i.width() >= std::min(kReachableWidth, band.width()) &&
        i.height() >= std::min(kReachableHeight, band.height()))
      return true;
  }
  return false;
}

FramePlacement placeFrame(const FramePlace& saved, std::span<const Rect> workAreas) {
  if (workAreas.empty()) return {saved.rect, saved.maximized};
  Rect r = saved.rect;
  if (saved.maximized && !saved.monitor.empty()) {
    const Rect* home = nullptr;
    for (const Rect& area : workAreas)
      if (area == saved.monitor) home = &area;
    if (home == nullptr) home = mostOverlapped(saved.monitor, workAreas);
    if (home != nullptr && mostOverlapped(r, workAreas) != home) r = fitInto(r, *home);
  }
  if (reachable(r, workAreas)) {
    const Rect* on = mostOverlapped(r, workAreas);
    if (on != nullptr) {
      const Rect cut{r.left, r.top, r.left + std::min(r.width(), on->width()),
                     r.top + std::min(r.height(), on->height())};
      if (reachable(cut, workAreas)) return {cut, saved.maximized};
      return {fitInto(r, *on), saved.maximized};
    }
  }
  const Rect& primary = workAreas.front();
  const int width = std::min(r.width(), primary.width()), height = std::min(r.height(), primary.height());
  const int left = primary.left + (primary.width() - width) / 2;
  const int top = primary.top + (primary.height() - height) / 2;
  return {{left, top, left + width, top + height}, saved.maximized};
}

}  // namespace tovalux::layout
