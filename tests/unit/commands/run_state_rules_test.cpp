// The run-state tables of the menus and the main tool bar, cell by cell: no project, a project
// on a code page and on a window page, a program running, paused, and debugging with a caption
// that carries neither marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/run_state_rules.h"
#include "commands/toolbar_table.h"

namespace tovalux::commands {
namespace {

enum Column { kNoProject, kProject, kWindowPage, kRunning, kPaused, kNoMarker, kColumns };

RunState stateOf(Column c) {
  RunState s;
  s.projectLoaded = c != kNoProject;
  s.pageKind = c == kNoProject ? 0 : c == kWindowPage ? 5 : 1;
  s.debugging = c == kRunning || c == kPaused || c == kNoMarker;
  s.running = c == kRunning;
  s.paused = c == kPaused;
  return s;
}

const char* kColumnNames[] = {"no project", "project", "window page", "running", "paused", "no marker"};

struct MenuRowCase {
  std::vector<int> ids;
  const char* on;  // one character per column: '1' enabled, '0' disabled
};

std::vector<int> range(int first, int last) {
  std::vector<int> ids;
  for (int id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

TEST(MenuState, EveryCellOfTheTable) {
  const MenuRowCase rows[] = {
      {range(102, 106), "011111"},
      {{200, 201, 203, 204, 205, 208, 209, 212}, "011000"},
      {{202, 206, 207, 210, 211, 213}, "011111"},
      {range(300, 310), "011111"},
      {{311, 800}, "001000"},
      {range(400, 413), "011000"},
      {range(500, 503), "011111"},
      {{600, 601, 6010, 6011, 6012, 6013}, "011010"},
      {{602}, "000111"},
      {{603, 604, 605, 606, 607, 611}, "000010"},
      {{608, 609}, "011110"},  // off while debugging with neither marker
      {{610, 612}, "011111"},
      {{700, 701, 702, 703, 704, 705, 706, 707, 7040, 7041, 7042, 7043, 7050, 7051, 7052}, "011000"},
  };
  for (int c = 0; c < kColumns; ++c) {
    const RunState s = stateOf(static_cast<Column>(c));
    const std::vector<ItemFlags> passes = menuStatePasses(s);
    for (const MenuRowCase& row : rows)
      for (int id : row.ids) {
        const int flags = finalItemFlags(passes, id);
        ASSERT_NE(flags, -1) << id;
        EXPECT_EQ((flags & 16) == 0, row.on[c] == '1') << "id " << id << " in column " << kColumnNames[c];
      }
    // Submenu parents keep their mark, enabled or not.
    for (int id : {601, 704, 705}) EXPECT_NE(finalItemFlags(passes, id) & 4, 0) << id;
  }
}

TEST(MenuState, UnlistedItemsAreNeverTouchedAndMenusComeInOrder) {
  const std::vector<ItemFlags> passes = menuStatePasses(stateOf(kNoProject));
  for (int id : {100, 101, 107, 108, 900, 1000, 1104, 1200, 1303}) EXPECT_EQ(finalItemFlags(passes, id), -1) << id;
  // Every assignment names the bar menu its id belongs to (the sync stops at a missing one).
  for (const ItemFlags& f : passes) {
    const int expected = f.id >= 6000 ? f.id / 1000 - 1 : f.id / 100 - 1;
    EXPECT_EQ(f.menuIndex, expected) << f.id;
    EXPECT_LE(f.menuIndex, 7);
  }
}

TEST(MenuState, CaptionMarkersAreFoundByCharacter) {
  RunState s;
  readCaptionMarkers("易语言 - C:\\a.e - [运行暂停]", s);
  EXPECT_TRUE(s.paused);
  EXPECT_FALSE(s.running);
  readCaptionMarkers("易语言 - C:\\a.e - [正在运行]", s);
  EXPECT_FALSE(s.paused);
  EXPECT_TRUE(s.running);
  // 81 5B ... : '[' as a trail byte starts no marker.
  readCaptionMarkers(std::string("\x81[\xd5\xfd\xd4\xda\xd4\xcb\xd0\xd0]"), s);
  EXPECT_FALSE(s.running);
}

// The kinds "winToolBar0" holds: buttons, separators, and the combo box at 13.
std::vector<ToolElementKind> mainKinds() {
  std::vector<ToolElementKind> kinds;
  for (const ToolButton& b : mainToolBarFirstGroup())
    kinds.push_back(b.tooltip == kToolSeparator ? ToolElementKind::kOther : ToolElementKind::kButton);
  kinds.push_back(ToolElementKind::kComboBox);
  for (const ToolButton& b : mainToolBarSecondGroup())
    kinds.push_back(b.tooltip == kToolSeparator ? ToolElementKind::kOther : ToolElementKind::kButton);
  return kinds;
}

TEST(ToolBarState, EveryCellOfTheTable) {
  const std::vector<ToolElementKind> kinds = mainKinds();
  ASSERT_EQ(kinds.size(), 41u);
  struct Row {
    std::vector<int> positions;
    const char* on;
  };
  const Row rows[] = {
      {{3, 4, 40}, "111111"},
      {{0, 1, 5, 8}, "011111"},
      {{7, 9, 10, 11}, "011000"},
      {{13}, "011111"},
      {{15, 16, 17, 39}, "011000"},
      {{21}, "011010"},
      {{19, 26, 32, 34, 35, 36, 37}, "011111"},
      {{22}, "000111"},
      {{23, 24}, "011111"},
      {{25, 27, 28, 29, 30}, "000011"},
  };
  for (int c = 0; c < kColumns; ++c) {
    const std::vector<ToolElementState> states = mainToolBarStates(kinds, stateOf(static_cast<Column>(c)));
    for (const Row& row : rows)
      for (int pos : row.positions) {
        EXPECT_TRUE(states[pos].touched) << pos;
        EXPECT_EQ(states[pos].enabled, row.on[c] == '1') << "position " << pos << " in column " << kColumnNames[c];
      }
    // The combo box's text is bright only with a project; separators are left alone.
    EXPECT_EQ(states[13].textColor, c == kNoProject ? kToolTextDimmed : kComboTextLoaded);
    for (int pos : {2, 6, 12, 14, 18, 20, 31, 33, 38}) EXPECT_FALSE(states[pos].touched) << pos;
  }
  EXPECT_EQ(kToolTextDimmed, 63u | 63u << 8 | 70u << 16);
}

TEST(ToolBarState, DesignerButtons) {
  EXPECT_TRUE(designerButtonsEnabled(true, false));
  EXPECT_FALSE(designerButtonsEnabled(true, true));
  EXPECT_FALSE(designerButtonsEnabled(false, false));
}

}  // namespace
}  // namespace tovalux::commands
