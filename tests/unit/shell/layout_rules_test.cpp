#include "shell/layout_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovalux::layout {
namespace {

FileBytes file(const std::string& text) { return {true, false, text}; }

// The shell's arrangement after a user's session: the watch pane moved to a group of its own on
// the right, the disassembly pane floating, the stack pane closed, the left side wider, the
// project tab chosen, the frame moved and maximised.
DockState usersDock() {
  DockState d = defaultDock();
  d.sides[static_cast<size_t>(Side::kLeft)].size = 350;
  d.groups[0].selected = 1;
  d.groups.push_back({Side::kRight, 320, 8});
  d.panes[8] = {true, false, {}, Side::kRight, 3, 0};
  for (int i = 9; i <= 11; ++i) d.panes[static_cast<size_t>(i)].order -= 1;
  d.panes[11] = {true, true, {900, 200, 1160, 520}, Side::kBottom, 2, 5};
  d.panes[7].shown = false;
  return d;
}

const FramePlace kFrame{{40, 30, 1140, 830}, true, {0, 0, 1920, 1040}};

std::string usersText() { return layoutText(usersDock(), kFrame); }

// The users' file with one piece of text replaced (the piece must be there).
std::string edited(const std::string& from, const std::string& to) {
  std::string text = usersText();
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(LayoutRules, TheDefaultDockIsThePaneTable) {
  const DockState d = defaultDock();
  EXPECT_EQ(d.sides[0], (SideState{320, 1}));
  EXPECT_EQ(d.sides[1], (SideState{0, 0}));
  EXPECT_EQ(d.sides[2], (SideState{260, 2}));
  EXPECT_EQ(d.sides[3], (SideState{320, 3}));
  ASSERT_EQ(d.groups.size(), 3u);
  EXPECT_EQ(d.groups[0], (GroupState{Side::kLeft, 260, 0}));
  EXPECT_EQ(d.groups[1], (GroupState{Side::kRight, 260, 4}));
  EXPECT_EQ(d.groups[2], (GroupState{Side::kBottom, 260, 5}));
  for (int i = 0; i < kPaneCount; ++i) {
    const PaneState& p = d.panes[static_cast<size_t>(i)];
    EXPECT_EQ(p.group, i < 4 ? 0 : i == 4 ? 1 : 2) << i;
    EXPECT_EQ(p.order, i < 4 ? i : i == 4 ? 0 : i - 5) << i;
    EXPECT_EQ(p.shown, i != 4) << i;
    EXPECT_FALSE(p.floating);
  }
}

TEST(LayoutRules, ALayoutComesBackFromItsText) {
  const std::string text = usersText();
  EXPECT_NE(text.find("\"version\":1,"), std::string::npos);
  EXPECT_NE(text.find("\"disassembly\""), std::string::npos);
  const ReadLayout read = readLayout(file(text), defaultDock());
  EXPECT_TRUE(read.problems.empty()) << problemLine(read.problems);
  EXPECT_EQ(read.dock, usersDock());
  ASSERT_TRUE(read.frame);
  EXPECT_EQ(*read.frame, kFrame);
  // Written again, the same text.
  EXPECT_EQ(layoutText(read.dock, read.frame), text);
  // No frame, no monitor: both stay absent.
  const ReadLayout bare = readLayout(file(layoutText(defaultDock(), std::nullopt)), defaultDock());
  EXPECT_FALSE(bare.frame);
  EXPECT_EQ(bare.dock, defaultDock());
  const FramePlace noMonitor{{1, 2, 1001, 802}, false, {}};
  EXPECT_EQ(readLayout(file(layoutText(defaultDock(), noMonitor)), defaultDock()).frame, noMonitor);
}

TEST(LayoutRules, NoFileIsTheDefaultWithoutAWord) {
  const ReadLayout read = readLayout({}, defaultDock());
  EXPECT_TRUE(read.problems.empty());
  EXPECT_FALSE(read.frame);
  EXPECT_EQ(read.dock, defaultDock());
  EXPECT_EQ(problemLine(read.problems), "");
}

// A file that cannot be trusted at all gives the defaults for everything and one problem.
TEST(LayoutRules, AFileThatCannotBeReadAsALayoutGivesTheDefaults) {
  const std::vector<FileBytes> files = {
      {true, true, ""},
      file(""),
      file("{\"version\": 1, \"panes\": ["),
      file(std::string(kMaxFileBytes + 1, ' ')),
      file("[1, 2]"),
      file("{\"version\": 1, \"version\": 1}"),
      file("{\"frame\": {}}"),
      file("{\"version\": \"1\"}"),
      file("{\"version\": 0, \"panes\": []}"),
      file("{\"version\": 2, \"panes\": []}"),
      file("{\"version\": 1.0}"),
      file(edited("\"version\":1", "\"version\":99999999999999999999999")),
      file("\xEF\xBB\xBF\x01\x02\xFF"),
  };
  for (const FileBytes& f : files) {
    const ReadLayout read = readLayout(f, defaultDock());
    EXPECT_EQ(read.problems.size(), 1u) << f.bytes.substr(0, 60);
    EXPECT_FALSE(read.frame) << f.bytes.substr(0, 60);
    EXPECT_EQ(read.dock, defaultDock()) << f.bytes.substr(0, 60);
  }
  EXPECT_EQ(problemLine(readLayout(file("{\"version\": 2}"), defaultDock()).problems),
            "Tovalux: Layout.json: the file's version 2 is not known - the default layout is used for that");
}

// Each part is judged on its own: what is sane of the rest is kept.
TEST(LayoutRules, APartThatIsNotSaneFallsBackAlone) {
  // The frame: too small, off the coordinate range, not a boolean: no place, the panes kept.
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"\"width\":1100", "\"width\":10"},
                                                        {"\"x\":40", "\"x\":-4000000"},
                                                        {"\"maximized\":true", "\"maximized\":1"},
                                                        {"\"frame\":{", "\"frame\":{\"x\":1, "}}) {
    const ReadLayout read = readLayout(file(edited(from, to)), defaultDock());
    EXPECT_FALSE(read.frame) << to;
    EXPECT_EQ(read.dock, usersDock()) << to;
    EXPECT_EQ(read.problems.size(), 1u) << to;
  }
  // A monitor that is not sane: the place without it.
  ReadLayout read = readLayout(file(edited("\"width\":1920", "\"width\":0")), defaultDock());
  ASSERT_TRUE(read.frame);
  EXPECT_EQ(read.frame->monitor, Rect{});
  EXPECT_EQ(read.frame->rect, kFrame.rect);
  // The panes are not a list: every pane where the defaults put it, the frame kept.
  read = readLayout(file(edited("\"panes\":[", "\"panes\":7, \"x\":[")), defaultDock());
  EXPECT_EQ(read.dock.groups.size(), 3u);
  for (int i = 0; i < kPaneCount; ++i)
    EXPECT_EQ(read.dock.panes[static_cast<size_t>(i)], defaultDock().panes[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(read.frame, kFrame);
  // A side that is not sane gets its default size; the others keep theirs.
  read = readLayout(file(edited("\"size\":350", "\"size\":5")), defaultDock());
  EXPECT_EQ(read.dock.sides[0], (SideState{320, 1}));
  EXPECT_EQ(read.dock.sides[2], usersDock().sides[2]);
  EXPECT_EQ(read.problems.size(), 1u);
}

// Unknown panes are passed over; a pane named twice, or in a group that is not there, goes where
// the defaults put it: beside a pane of its default group, else into a group made like its
// default one.
TEST(LayoutRules, PanesTheFileCannotPlaceGoWhereTheDefaultsPutThem) {
  std::string text = edited("{\r\n\t\t\"name\":\"libraries\"",
                            "{\"name\": \"ghost\"}, {\"name\": \"stack\", \"group\": 0}, {\"name\":\"libraries\"");
  ReadLayout read = readLayout(file(text), defaultDock());
  ASSERT_EQ(read.problems.size(), 2u) << problemLine(read.problems);
  EXPECT_NE(read.problems[0].find("ghost"), std::string::npos);
  EXPECT_NE(read.problems[1].find("stack"), std::string::npos);
  // "stack" twice: neither record counts; it joins the bottom group (where "helpTips" is) after
  // its four docked panes, shown as by default.
  const PaneState& stack = read.dock.panes[7];
  EXPECT_EQ(stack.group, 2);
  EXPECT_TRUE(stack.shown);
  EXPECT_EQ(stack.order, 4);
  EXPECT_EQ(read.dock.panes[8], usersDock().panes[8]);
  EXPECT_EQ(read.dock.panes[11], usersDock().panes[11]);

  // The whole left group unusable: its four panes in a group made like the default one.
  read = readLayout(file(edited("\"side\":\"left\"", "\"side\":\"middle\"")), defaultDock());
  ASSERT_EQ(read.dock.groups.size(), 4u);
  const GroupState& made = read.dock.groups.back();
  EXPECT_EQ(made, (GroupState{Side::kLeft, 260, 0}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(read.dock.panes[static_cast<size_t>(i)].group, 3) << i;
    EXPECT_EQ(read.dock.panes[static_cast<size_t>(i)].order, i) << i;
  }
  EXPECT_EQ(read.dock.panes[8].group, 2);  // the groups after it moved up
  EXPECT_EQ(read.dock.sides[0].size, 350);

  // A docked pane in no group, a group index past the end: each placed by default.
  read = readLayout(file(edited("\"name\":\"watch\",\r\n\t\t\"group\":3", "\"name\":\"watch\", \"group\":64")),
                    defaultDock());
  EXPECT_EQ(read.dock.panes[8].group, 2);
  EXPECT_EQ(read.dock.panes[8].side, Side::kBottom);
  EXPECT_EQ(read.dock.groups.size(), 3u);  // the right group of "watch" held nothing else
  // A floating window too small to use: the pane docks back in its group.
  read = readLayout(file(edited("\"width\":260", "\"width\":20")), defaultDock());
  EXPECT_FALSE(read.dock.panes[11].floating);
  EXPECT_EQ(read.dock.panes[11].group, 2);
  EXPECT_EQ(read.dock.panes[11].order, 5);
  // A selection the group does not hold: none.
  read = readLayout(file(edited("\"selected\":\"project\"", "\"selected\":\"watch\"")), defaultDock());
  EXPECT_EQ(read.dock.groups[0].selected, -1);
  EXPECT_EQ(read.problems.size(), 1u);
}

// Orders come back consecutive; sides that hold panes get an order; a floating pane whose group
// is gone keeps the side it docks back to.
TEST(LayoutRules, OrdersAndSidesAreMadeWhole) {
  std::string text = R"({"version": 1,
    "sides": {"bottom": {"size": 200, "order": 1}, "left": {"size": 300, "order": 1}},
    "groups": [{"side": "bottom", "extent": 400}, {"side": "top", "extent": 90}],
    "panes": [{"name": "watch", "group": 0, "order": 70}, {"name": "stack", "group": 0, "order": 9},
              {"name": "search1", "group": 1, "order": 3, "shown": false},
              {"name": "toolbox", "group": -1, "side": "right", "floating": {"x": 10, "y": 10, "width": 300, "height": 300}}]})";
  const ReadLayout read = readLayout(file(text), defaultDock());
  EXPECT_TRUE(read.problems.empty()) << problemLine(read.problems);
  EXPECT_EQ(read.dock.panes[7].order, 0);  // stack (9) before watch (70)
  EXPECT_EQ(read.dock.panes[8].order, 1);
  EXPECT_EQ(read.dock.panes[9], (PaneState{false, false, {}, Side::kTop, 1, 0}));
  EXPECT_EQ(read.dock.panes[4], (PaneState{true, true, {10, 10, 310, 310}, Side::kRight, -1, 0}));
  // The left side (by order, then by side) first, bottom second; the right one the file does not
  // give keeps its default; the top one (no order, no size) comes last at a size of its own.
  EXPECT_EQ(read.dock.sides[0], (SideState{300, 1}));
  EXPECT_EQ(read.dock.sides[3], (SideState{200, 2}));
  EXPECT_EQ(read.dock.sides[2], (SideState{260, 3}));
  EXPECT_EQ(read.dock.sides[1], (SideState{260, 4}));
  // The panes the file left out joined groups of their default group-mates, or groups made.
  EXPECT_EQ(read.dock.panes[5].group, 0);  // helpTips beside watch and stack
  EXPECT_EQ(read.dock.panes[0].side, Side::kLeft);
}

TEST(LayoutRules, HostileFilesAreReadSafely) {
  // Hundreds of records: the first 64 are looked at.
  std::string many = "{\"version\": 1, \"groups\": [";
  for (int i = 0; i < 300; ++i) many += std::string(i ? "," : "") + "{\"side\": \"left\", \"extent\": 1}";
  many += "], \"panes\": [";
  for (int i = 0; i < 300; ++i)
    many += std::string(i ? "," : "") + "{\"name\": \"" + std::string(500, 'x') + "\", \"group\": 0}";
  many += "]}";
  ReadLayout read = readLayout(file(many), defaultDock());
  EXPECT_EQ(read.dock, defaultDock());
  const std::string line = problemLine(read.problems);
  EXPECT_LT(line.size(), 600u);
  EXPECT_NE(line.find("and "), std::string::npos) << line;
  // Control characters, GBK and quotes in names never reach the log as they are.
  read = readLayout(file("{\"version\": 1, \"panes\": [{\"name\": \"a\\u0007\\r\\n\xB2\xE2\"}]}"), defaultDock());
  ASSERT_EQ(read.problems.size(), 1u);
  for (char c : problemLine(read.problems)) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);
  // Wrong kinds everywhere.
  read =
      readLayout(file(R"({"version": 1, "frame": [], "sides": 3, "groups": {"a": 1}, "panes": "x"})"), defaultDock());
  EXPECT_EQ(read.problems.size(), 4u);
  EXPECT_EQ(read.dock, defaultDock());
  read = readLayout(
      file(
          R"({"version": 1, "sides": {"left": {"size": 1e9}, "up": {}}, "groups": [null, 1, {"side": "left", "extent": -5}],
                       "panes": [null, {"name": "watch", "group": 0, "order": -1}, {"name": 7}]})"),
      defaultDock());
  EXPECT_EQ(read.dock, defaultDock());
  EXPECT_EQ(read.problems.size(), 8u) << problemLine(read.problems);
}

TEST(LayoutRules, WithoutFloatingEveryPaneDocks) {
  DockState d = usersDock();
  d.panes[4] = {true, true, {0, 0, 300, 300}, Side::kTop, -1, 0};  // its group gone, side top
  const DockState docked = withoutFloating(d);
  for (const PaneState& p : docked.panes) EXPECT_FALSE(p.floating);
  // Disassembly at its old position in the bottom group (after the two search panes); the
  // toolbox's group on the right held nothing docked and went.
  EXPECT_EQ(docked.panes[11].group, 1);
  EXPECT_EQ(docked.panes[11].order, 5);
  EXPECT_EQ(docked.panes[11].floatRect, Rect{});
  // The toolbox in a new group on the top side, which gets an order and a size.
  ASSERT_EQ(docked.groups.size(), 4u);
  EXPECT_EQ(docked.panes[4].group, 3);
  EXPECT_EQ(docked.groups[3].side, Side::kTop);
  EXPECT_GT(docked.sides[1].order, 0);
  EXPECT_GT(docked.sides[1].size, 0);
  EXPECT_EQ(withoutFloating(defaultDock()), defaultDock());

  // Only the windows off every screen dock.
  const std::vector<Rect> areas{Rect{0, 0, 1920, 1040}};
  EXPECT_TRUE(dockUnreachableFloats(d, areas).panes[11].floating);
  EXPECT_TRUE(dockUnreachableFloats(d, areas).panes[4].floating);
  d.panes[11].floatRect = {2000, 200, 2260, 520};  // right of the screen
  d.panes[4].floatRect = {0, -20, 300, 280};       // its title band above the screen
  const DockState moved = dockUnreachableFloats(d, areas);
  EXPECT_FALSE(moved.panes[11].floating);
  EXPECT_EQ(moved.panes[11].group, 1);  // the bottom group, the toolbox's being gone
  EXPECT_FALSE(moved.panes[4].floating);
  EXPECT_TRUE(dockUnreachableFloats(d, {}).panes[11].floating) << "no work areas known: as saved";
}

TEST(LayoutRules, ProblemLinesAreShortAndPlain) {
  EXPECT_EQ(problemLine({"a", "b"}), "Tovalux: Layout.json: a; b - the default layout is used for that");
  const std::string line = problemLine({"1", "2", "3", "4", "5", "6"});
  EXPECT_NE(line.find("4; and 2 more"), std::string::npos) << line;
  EXPECT_EQ(problemLine({std::string(500, 'z') + "\x01"}).size(),
            std::string("Tovalux: Layout.json: ").size() + 80 + 3 +
                std::string(" - the default layout is used for that").size());
}

// --- where the frame opens ----------------------------------------------------------------------

const Rect kPrimary{0, 0, 1920, 1040};
const Rect kSecond{1920, 0, 3200, 1024};
const std::vector<Rect> kTwo{kPrimary, kSecond};

TEST(LayoutRules, AReachablePlaceStays) {
  const FramePlace saved{{100, 50, 1200, 850}, false, kPrimary};
  EXPECT_EQ(placeFrame(saved, kTwo), (FramePlacement{saved.rect, false}));
  // On the second monitor, partly beyond its bottom and right edges: still reachable.
  const FramePlace right{{2600, 500, 3700, 1300}, false, kSecond};
  EXPECT_EQ(placeFrame(right, kTwo).rect, (Rect{2600, 500, 3700, 1300}));
  // Larger than the monitor it lies on: cut to its size.
  const FramePlace large{{10, 10, 5010, 3010}, false, kPrimary};
  EXPECT_EQ(placeFrame(large, kTwo).rect, (Rect{10, 10, 1930, 1050}));
  // No work areas known: as saved.
  EXPECT_EQ(placeFrame(large, {}).rect, large.rect);
}

TEST(LayoutRules, APlaceOffEveryScreenFallsBackToTheDefault) {
  for (const Rect& off : {Rect{5000, 100, 6100, 900}, Rect{100, -770, 1200, 30}, Rect{-1090, 100, 10, 900},
                          Rect{100, 1030, 1200, 1830}}) {
    const FramePlacement placed = placeFrame({off, true, kSecond}, std::vector<Rect>{kPrimary});
    EXPECT_EQ(placed.rect, (Rect{410, 120, 1510, 920})) << off.left << "," << off.top;
    EXPECT_TRUE(placed.maximized);
  }
  // A primary monitor smaller than the frame: cut to it, at its corner.
  const std::vector<Rect> small{Rect{0, 0, 800, 600}};
  EXPECT_EQ(placeFrame({{5000, 0, 6100, 800}, false, {}}, small).rect, (Rect{0, 0, 800, 600}));
  EXPECT_TRUE(reachable({1820, 0, 2900, 800}, std::vector<Rect>{kPrimary}));
  EXPECT_FALSE(reachable({1821, 0, 2900, 800}, std::vector<Rect>{kPrimary}));
  EXPECT_FALSE(reachable({0, 1021, 1000, 1800}, std::vector<Rect>{kPrimary}));
}

TEST(LayoutRules, AMaximisedFrameGoesBackToItsMonitor) {
  // Maximised on the second monitor, its normal place on the first: moved onto the second.
  const FramePlace saved{{100, 100, 1200, 900}, true, kSecond};
  EXPECT_EQ(placeFrame(saved, kTwo), (FramePlacement{{1920, 100, 3020, 900}, true}));
  // Its monitor gone: where its normal place is, when that can be reached.
  EXPECT_EQ(placeFrame(saved, std::vector<Rect>{kPrimary}).rect, saved.rect);
  // Its monitor now at another size: the one overlapping most.
  const std::vector<Rect> resized{kPrimary, Rect{1920, 0, 3000, 900}};
  EXPECT_EQ(placeFrame(saved, resized).rect, (Rect{1920, 100, 3000, 900}));
}

}  // namespace
}  // namespace tovalux::layout
