// The main menu's table: every item string splits into three fields, labels are padded to 34
// GBK bytes, ids follow the bar order with the recent files in the File menu, and what each
// id does.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "commands/menu_table.h"

namespace tovalux::commands {
namespace {

const std::string kJou = "\x81\x5C";  // 乗: trail byte '\\'
const std::string kTou = "\x96\x7C";  // 東: trail byte '|'
const std::string kOku = "\x83\x7C";  // 億: trail byte '|'

// Every item string of the table, submenus included, with the menu number it belongs to.
std::vector<std::pair<int, std::string_view>> allItems() {
  std::vector<std::pair<int, std::string_view>> items;
  for (int m = 1; m <= kMenuCount; ++m)
    for (const MenuEntry& e : barMenu(m).items) {
      items.push_back({m, e.item});
      for (const MenuEntry& c : e.submenu) items.push_back({m, c.item});
    }
  return items;
}

TEST(MenuTable, EveryItemHasThreeFieldsAndAPaddedLabel) {
  int checked = 0;
  for (auto [m, item] : allItems()) {
    if (item == kSeparator || m == kExtensionMenu) continue;
    const MenuItemText f = splitMenuItem(item);
    ASSERT_EQ(f.pieces, 3u) << item;
    const std::string label = displayLabel(item);
    const size_t used = f.text.size() + f.shortcut.size();
    EXPECT_EQ(label.size(), used < 34 ? 34u : used) << item;
    EXPECT_EQ(label.substr(0, f.text.size()), f.text);
    EXPECT_EQ(label.substr(label.size() - f.shortcut.size()), f.shortcut);
    EXPECT_EQ(label.find('|'), std::string::npos);
    ++checked;
  }
  EXPECT_EQ(checked, 119);
}

TEST(MenuTable, SplitDropsOneEmptyPieceAndPadsByGbkBytes) {
  EXPECT_EQ(splitMenuItem("新建(N)|||").pieces, 3u);
  const MenuItemText saveAs = splitMenuItem("另存为(A)||SaveAs_16x.png");
  EXPECT_EQ(saveAs.pieces, 3u);
  EXPECT_EQ(saveAs.shortcut, "");
  EXPECT_EQ(saveAs.icon, "SaveAs_16x.png");
  EXPECT_EQ(splitMenuItem("a|b").pieces, 2u);
  EXPECT_EQ(displayLabel("a|b"), "a");  // not three pieces: the text before the first bar
  EXPECT_EQ(displayLabel("-"), "-");

  // "打开(O)" is 7 bytes in GBK, "Ctrl+O" 6: 21 spaces.
  EXPECT_EQ(displayLabel("打开(O)|Ctrl+O|OpenFileFromProject_16x.png"), "打开(O)" + std::string(21, ' ') + "Ctrl+O");
  EXPECT_EQ(paddedLabel(std::string(30, 'x'), "1234"), std::string(30, 'x') + "1234");  // exactly 34: none
  EXPECT_EQ(paddedLabel(std::string(33, 'x'), ""), std::string(33, 'x') + " ");         // 33: one
  EXPECT_EQ(paddedLabel(std::string(40, 'x'), "F1"), std::string(40, 'x') + "F1");      // over: none
  // A trail byte 0x7C inside the text is no field separator.
  const MenuItemText gbk = splitMenuItem(kTou + "(T)|Ctrl+" + kOku + "|x.png");
  EXPECT_EQ(gbk.pieces, 3u);
  EXPECT_EQ(gbk.text, kTou + "(T)");
  EXPECT_EQ(gbk.shortcut, "Ctrl+" + kOku);
  EXPECT_EQ(gbk.icon, "x.png");
}

TEST(MenuTable, FileMenuIdsWithoutAndWithRecentFiles) {
  std::vector<MenuRow> rows = layoutMenu(kFileMenu);
  std::vector<int> ids;
  for (const MenuRow& r : rows) ids.push_back(r.id);
  // Two separators in a row after 重新关联名称(L), 退出(X) at 108.
  EXPECT_EQ(ids, (std::vector<int>{100, 101, 102, 103, 104, 105, 0, 106, 107, 0, 0, 108}));
  EXPECT_EQ(rows[6].flags, 8);
  EXPECT_EQ(rows.back().label, "退出(X)" + std::string(27, ' '));
  EXPECT_EQ(rows.back().command.act, CommandAct::kExit);
  EXPECT_EQ(rows[1].icon, "OpenFileFromProject_16x.png");
  EXPECT_EQ(rows[0].icon, "");

  const std::vector<std::string> recent = {"demo.e", "secondproject.e", kTou + "|" + kJou + ".e"};
  rows = layoutMenu(kFileMenu, recent);
  ASSERT_EQ(rows.size(), 15u);
  for (int i = 0; i < 3; ++i) {
    const MenuRow& r = rows[10 + i];
    EXPECT_EQ(r.id, 108 + i);
    EXPECT_EQ(r.recentIndex, i);
    EXPECT_EQ(r.icon, "Logo3.png");
    EXPECT_EQ(r.command.act, CommandAct::kRecentFile);
  }
  // A name with a real bar and trail bytes is kept whole: it is never split again.
  EXPECT_EQ(rows[12].label.substr(0, recent[2].size()), recent[2]);
  EXPECT_EQ(rows[13].flags, 8);
  EXPECT_EQ(rows[14].id, 111);
  EXPECT_EQ(exitItemId(recent.size()), 111);
}

TEST(MenuTable, SubmenusExtensionAndViewIds) {
  const std::vector<MenuRow> debug = layoutMenu(6);
  std::vector<int> runAs;
  for (const MenuRow& r : debug) {
    if (r.id == 601) {
      EXPECT_EQ(r.flags, 4);
    }
    if (r.parentId == 601) runAs.push_back(r.id);
  }
  EXPECT_EQ(runAs, (std::vector<int>{6010, 6011, 6012, 6013}));
  std::vector<int> build;
  for (const MenuRow& r : layoutMenu(7))
    if (r.parentId != 0) build.push_back(r.id);
  EXPECT_EQ(build, (std::vector<int>{7040, 7041, 7042, 7043, 7050, 7051, 7052}));

  const std::vector<MenuRow> ext = layoutMenu(kExtensionMenu);
  ASSERT_EQ(ext.size(), 1u);
  EXPECT_EQ(ext[0].id, 900);
  EXPECT_EQ(ext[0].label, "需要什么呢？反馈一下？");

  // Every fixed id is unique, and the last item of each menu has the expected id.
  std::set<int> seen;
  const int lastIds[] = {108, 213, 311, 413, 503, 612, 707, 812, 900, 1011, 1104, 1200, 1303};
  for (int m = 1; m <= kMenuCount; ++m) {
    const std::vector<MenuRow> rows = layoutMenu(m);
    int last = 0;
    for (const MenuRow& r : rows) {
      if (r.id == 0) continue;
      EXPECT_TRUE(seen.insert(r.id).second) << r.id;
      if (r.parentId == 0) last = r.id;
      EXPECT_EQ(menuIndexOfId(r.id), m - 1) << r.id;
    }
    EXPECT_EQ(last, lastIds[m - 1]) << barMenu(m).name;
  }
}

TEST(MenuTable, ActionsOfIds) {
  struct Case {
    int id;
    CommandAct kind;
    uint32_t value;
  };
  const Case cases[] = {
      {100, CommandAct::kRunIdeFunction, 0x03010001},
      {105, CommandAct::kNothing, 0},
      {106, CommandAct::kRunIdeFunction, 0x02020059},
      {207, CommandAct::kSendCommand, 0x80EE},
      {213, CommandAct::kRunIdeFunction, 0x0402000F},
      {311, CommandAct::kRunIdeFunction, 0x0402000E},
      {400, CommandAct::kInsertByPageKind, 0},
      {413, CommandAct::kRunIdeFunction, 0x02020075},
      {601, CommandAct::kNothing, 0},
      {6013, CommandAct::kRunIdeFunction, 0x0502000C},
      {612, CommandAct::kSendCommand, 0x80F0},
      {704, CommandAct::kNothing, 0},
      {7052, CommandAct::kRunIdeFunction, 0x05020013},
      {707, CommandAct::kBlackMoonBuild, 0},
      {808, CommandAct::kSendCommand, 10000},
      {810, CommandAct::kSendCommand, 10002},
      {811, CommandAct::kSendCommand, 0x80F4},
      {812, CommandAct::kSendCommand, 0x80F5},
      {900, CommandAct::kNothing, 0},
      {1003, CommandAct::kTogglePane, 3},
      {1004, CommandAct::kTogglePane, 4},
      {1010, CommandAct::kTogglePane, 10},
      {1011, CommandAct::kResetLayout, 0},  // after the pane toggles, below a separator
      {1103, CommandAct::kRunIdeFunction, 0x04020001},
      {1200, CommandAct::kSettingsDialog, 0},
      {1300, CommandAct::kHelpPage, 0},
      {1301, CommandAct::kContactLink, 0},
      {1302, CommandAct::kContactLink, 0},
      {1303, CommandAct::kAboutBox, 0},
      {108, CommandAct::kNothing, 0},
      {5, CommandAct::kNothing, 0},
  };
  for (const Case& c : cases) {
    const Command a = menuCommandFor(c.id);
    EXPECT_EQ(a.act, c.kind) << c.id;
    // The pane toggles carry their pane index as the argument, the others their number.
    EXPECT_EQ(a.act == CommandAct::kTogglePane ? static_cast<uint32_t>(a.argument) : a.value, c.value) << c.id;
    EXPECT_FALSE(a.clearsOutput || a.showsOutput) << c.id;
  }
  EXPECT_TRUE(menuCommandFor(102).refreshesCaption);
  EXPECT_TRUE(menuCommandFor(104).refreshesCaption);
  EXPECT_FALSE(menuCommandFor(103).refreshesCaption);
}

TEST(MenuTable, InsertByPageKind) {
  const uint32_t expected[] = {0, 0x02020009, 0x0202000A, 0x0202000B, 0x0202000C,
                               0, 0x02020010, 0x02020011, 0x02020012, 0};
  for (int kind = 0; kind <= 9; ++kind) EXPECT_EQ(insertCommandForPageKind(kind), expected[kind]) << kind;
  EXPECT_EQ(insertCommandForPageKind(-1), 0u);
}

TEST(MenuTable, RecentEntryNamesWalkCharacters) {
  EXPECT_EQ(recentEntryName("C:\\EProjects\\demo.e"), "demo.e");
  EXPECT_EQ(recentEntryName("C:\\EProjects\\My Test\\second project.e"), "secondproject.e");
  EXPECT_EQ(recentEntryName("C:\\dir\\"), "");
  EXPECT_EQ(recentEntryName("   "), "");
  // 乗 ends in 0x5C, 東 and 億 in 0x7C: the name is everything after the last real backslash.
  EXPECT_EQ(recentEntryName("C:\\" + kJou + "\\a" + kJou + ".e"), "a" + kJou + ".e");
  EXPECT_EQ(recentEntryName("C:\\x\\" + kTou + kOku + " 1.e"), kTou + kOku + "1.e");
  EXPECT_EQ(recentEntryName("noslash.e"), "noslash.e");
}

TEST(MenuTable, LabelSplitForDrawing) {
  LabelParts p = splitLabelForDrawing(displayLabel("黑月静态编译|版本要求 V3.66||"));
  EXPECT_EQ(p.name, "黑月静态编译");
  EXPECT_EQ(p.shortcut, "V3.66");  // only the last word counts
  p = splitLabelForDrawing(displayLabel("关于 Tovalux(A)|||"));
  EXPECT_EQ(p.shortcut, "");  // drawn whole
  p = splitLabelForDrawing(displayLabel("打开(O)|Ctrl+O|x.png"));
  EXPECT_EQ(p.name, "打开(O)");
  EXPECT_EQ(p.shortcut, "Ctrl+O");
  p = splitLabelForDrawing("需要什么呢？反馈一下？");
  EXPECT_EQ(p.name, "需要什么呢？反馈一下？");
  EXPECT_EQ(p.shortcut, "");
}

}  // namespace
}  // namespace tovalux::commands
