// Menu and tool-bar commands against the stand-in's answers: recent files from the registry
// (hostile values, GBK names, duplicates, a changed list, foreign ids), 现行单元 by page kind,
// the menu state table in the toolkit, the caption after 关闭 and 另存为, the help-tip
// sequence, 重新运行 against a stop that ends later, and 200 menu cycles with flat counters.
#include <algorithm>
#include <string>
#include <vector>

#include "actions_commands.h"
#include "base/text.h"
#include "commands/commands.h"
#include "commands/menu_table.h"
#include "shell/toolbar_builder.h"
#include "commands_fixture.h"
#include "common/counters.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "toolkit/model/menus/menu.h"
#include "wine/toolkit/toolkit_screen.h"

namespace tovalux::testing {
namespace {

const std::string kJou = "\x81\x5C";  // 乗
const std::string kTou = "\x96\x7C";  // 東
const std::string kOku = "\x83\x7C";  // 億

class HostCommands : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    act("recent-files-clear");
  }
  void TearDown() override {
    act("recent-files-clear");
    standin::setRunListeners(nullptr, nullptr);
    CommandsTest::TearDown();
  }
  std::vector<std::string> openedProjects(size_t since) {
    std::vector<std::string> paths;
    for (const auto& e : fixture().entries("open-project", since)) paths.push_back(*e.get("path"));
    return paths;
  }
  std::vector<std::string> fileMenuLabels() {
    std::vector<std::string> labels;
    for (const ShownItem& item : shownItems(0))
      if (item.id >= commands::kFirstRecentFileId) labels.push_back(std::string(trim(item.label)));
    return labels;
  }
};

TEST_F(HostCommands, RecentFilesHostileValuesAndGbkNames) {
  const std::string folder = "C:\\EProjects\\";
  act("recent-file 1 \"" + folder + "demo.e\" create=1");
  act("recent-file 2 \"" + folder + "My Test\\second project.e\" create=1");
  act("recent-file 3 \"" + folder + "gone.e\"");                  // no such file: left out
  act("recent-file 4 \"" + folder + "other\\demo.e\" create=1");  // the same name as File1
  act("recent-file 5 \"" + folder + kJou + kTou + "\\" + kOku + kJou + ".e\" create=1");
  act("recent-file 6 \"C:\\" + std::string(1000, 'x') + ".e\"");  // 1,000 characters
  act("recent-file 7 \"" + folder + "nonul.e\" create=1 nul=0");  // stored without its NUL
  act("recent-file 8 " + folder);                                 // a folder: nothing to show
  act("recent-file 9 x type=dword");                              // not a string
  act("recent-file 10 \"" + folder + "last.e\" create=1");
  buildCommands();
  EXPECT_EQ(fileMenuLabels(), (std::vector<std::string>{"demo.e", "secondproject.e", "demo.e", kOku + kJou + ".e",
                                                        "nonul.e", "last.e", "退出(X)"}));
  // Each entry opens its own value, the duplicate name included.
  const std::string expected[] = {folder + "demo.e",        folder + "My Test\\second project.e",
                                  folder + "other\\demo.e", folder + kJou + kTou + "\\" + kOku + kJou + ".e",
                                  folder + "nonul.e",       folder + "last.e"};
  for (int i = 0; i < 6; ++i) {
    const size_t before = journalSize();
    pick(108 + i);
    EXPECT_EQ(openedProjects(before), std::vector<std::string>{expected[i]}) << 108 + i;
  }
  // The list changed behind the menu: File4 now names another file, so 110 falls back to the
  // first value named demo.e; with no such name left, nothing opens.
  act("recent-file 4 \"" + folder + "renamed.e\" create=1");
  size_t before = journalSize();
  pick(110);
  EXPECT_EQ(openedProjects(before), std::vector<std::string>{folder + "demo.e"});
  act("recent-file 1 \"" + folder + "renamed.e\"");
  before = journalSize();
  pick(110);
  EXPECT_TRUE(openedProjects(before).empty());
  EXPECT_TRUE(ideCalls(before).empty());
}

TEST_F(HostCommands, ForeignIdsNeverOpenAProject) {
  act("recent-file 1 C:\\EProjects\\");  // a name that would come out empty
  act("recent-file 2 \"C:\\EProjects\\demo.e\" create=1");
  buildCommands();
  for (int i = 0; i < 3; ++i) fixture().ui().answerShellExecute(true);
  fixture().ui().answerAboutBox();
  const size_t before = journalSize();
  for (int m = 2; m <= 13; ++m)
    for (const commands::MenuRow& row : commands::layoutMenu(m))
      if (row.id != 0 && row.id != 707) pick(row.id);
  EXPECT_TRUE(openedProjects(before).empty());
}

TEST_F(HostCommands, InsertFollowsThePageKind) {
  act("program-tree 3");
  const struct {
    const char* title;
    uint32_t insert;
  } pages[] = {{"程序集: 窗口程序集_启动窗口", 0x02020009},
               {"自定义数据类型表", 0x0202000A},
               {"全局变量表", 0x0202000B},
               {"Dll命令定义表", 0x0202000C},
               {"常量数据表", 0x02020010},
               {"图片资源表", 0x02020011},
               {"声音资源表", 0x02020012},
               {"窗口: _启动窗口", 0}};
  buildCommands();
  for (const auto& page : pages) {
    act(std::string("page-open \"") + page.title + "\"");
    const size_t before = journalSize();
    pick(400);
    std::vector<uint32_t> expected{0x05030002};
    if (page.insert != 0) expected.push_back(page.insert);
    EXPECT_EQ(ideCalls(before), expected) << page.title;
  }
  // A host that writes nothing into the slot inserts nothing, and the last page open being a
  // window page does not enable the designer items.
  syncMenuState();
  EXPECT_EQ(itemFlags(2, 311), 0);
  act("mode silent-queries 1");
  const size_t before = journalSize();
  pick(400);
  EXPECT_EQ(ideCalls(before), std::vector<uint32_t>{0x05030002});
  syncMenuState();
  EXPECT_EQ(itemFlags(2, 311), 16);
  EXPECT_EQ(itemFlags(7, 800), 16);
}

TEST_F(HostCommands, MenuStateInTheToolkit) {
  buildCommands();
  auto on = [&](int menu, int id) { return (itemFlags(menu, id) & 16) == 0; };
  syncMenuState();
  EXPECT_FALSE(on(0, 102));
  EXPECT_FALSE(on(5, 600));
  EXPECT_TRUE(on(0, 100));
  act("program-tree 3");
  act("page-open \"窗口: _启动窗口\"");
  syncMenuState();
  EXPECT_TRUE(on(2, 311));
  EXPECT_TRUE(on(7, 800));
  EXPECT_FALSE(on(5, 602));
  act("page-open \"全局变量表\"");
  syncMenuState();
  EXPECT_FALSE(on(2, 311));
  act("project \"C:\\EProjects\\demo.e\" create=1");
  act("run-state running");
  setDebugging(true);
  syncMenuState();
  EXPECT_TRUE(on(5, 602));
  EXPECT_TRUE(on(5, 608));
  EXPECT_FALSE(on(5, 604));
  EXPECT_FALSE(on(6, 700));
  EXPECT_EQ(itemFlags(5, 601), 20);
  act("run-state paused");
  syncMenuState();
  for (int id = 600; id <= 612; ++id) EXPECT_TRUE(on(5, id)) << id;
  EXPECT_EQ(itemFlags(5, 601), 4);
}

TEST_F(HostCommands, CaptionAfterCloseAndSaveAs) {
  act("project \"C:\\EProjects\\demo.e\" create=1");
  buildCommands();
  act("mode save-as-path 1");
  pick(104);
  EXPECT_EQ(XC_wtoa(XShapeText_GetText(frameElement("winTitle")).c_str()), "易语言 - C:\\EProjects\\saved.e");
  pick(102);
  EXPECT_EQ(XC_wtoa(XShapeText_GetText(frameElement("winTitle")).c_str()), "易语言");
}

TEST_F(HostCommands, HelpTipSequence) {
  act("project \"C:\\EProjects\\demo.e\" create=1");
  act("program-tree 3");
  act("page-open \"程序集: 窗口程序集_启动窗口\"");
  act("caret 11 4");
  buildCommands();
  syncToolBarState();
  for (int nul : {0, 1}) {
    act("mode help-tip-nul " + std::to_string(nul));
    const size_t before = journalSize();
    XEle_SendEvent(toolBarElement(toolBar(0), 32), XE_BNCLICK);
    settle();
    EXPECT_EQ(ideCalls(before), (std::vector<uint32_t>{0x0503000B, 0x0503000B, 0x05030008, 0x05030009, 0x01010042}));
    const auto tips = fixture().entries("help-tip", before);
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[0].number("has-text"), 0);
    EXPECT_EQ(tips[1].number("has-text"), 1);
    EXPECT_EQ(tips[1].number("first"), -1);
    EXPECT_EQ(tips[1].number("length"), 4);
    const auto last = fixture().entries("ide", before).back();
    EXPECT_EQ(last.number("p1"), 11);
    EXPECT_EQ(last.number("p2"), 4);
  }
  // A length of 0 asks once.
  act("mode help-tip-length -1");
  const size_t before = journalSize();
  XEle_SendEvent(toolBarElement(toolBar(0), 32), XE_BNCLICK);
  settle();
  EXPECT_EQ(ideCalls(before), (std::vector<uint32_t>{0x0503000B, 0x05030008, 0x05030009, 0x01010042}));
}

TEST_F(HostCommands, RestartWaitsForTheStop) {
  // The double-click window is long enough for a loaded machine to press twice "at once" below;
  // the system's own comes back afterwards.
  struct DoubleClickTime {
    const UINT saved = GetDoubleClickTime();
    DoubleClickTime() { SetDoubleClickTime(5000); }  // the longest the system takes
    ~DoubleClickTime() { SetDoubleClickTime(saved); }
  } doubleClickTime;
  act("project \"C:\\EProjects\\demo.e\" create=1");
  act("program-tree 3");
  standin::setRunListeners([] { setDebugging(true); }, [] { setDebugging(false); });
  act("mode stop-delay 300");
  buildCommands();
  pick(600);  // 运行
  ASSERT_TRUE(debugging());
  syncToolBarState();
  HELE restart = toolBarElement(toolBar(0), 26);
  const size_t before = journalSize();
  // A second press while the first waits for the stop (the wait keeps messages flowing, so the
  // timer fires): still one restart.
  static bool pressedAgain = false;
  struct Second {
    static void CALLBACK press(HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      pressedAgain = true;
      XEle_SendEvent(static_cast<HELE>(toolBarElement(frameElement("winToolBar0"), 26)), XE_BNCLICK);
    }
  };
  SetTimer(nullptr, 0, 50, &Second::press);
  XEle_SendEvent(restart, XE_BNCLICK);
  // The restart's run and the timer's second press, both served.
  ASSERT_TRUE(fixture().pumpUntil([&] {
    return pressedAgain && fixture().count("run-started", {}, before) > 0 &&
           fixture().count("run-ended", {}, before) > 0;
  }));
  settle();
  std::vector<std::string> order;
  for (const auto& e : fixture().journal().entriesFrom(before)) {
    if (e.kind == "ide") order.push_back(*e.get("number"));
    if (e.kind == "run-ended" || e.kind == "run-started") order.push_back(e.kind);
  }
  EXPECT_TRUE(pressedAgain);
  EXPECT_EQ(order, (std::vector<std::string>{"0x05020003", "run-ended", "0x05020002", "run-started"}));
  EXPECT_TRUE(debugging());
  // The second press of a double click, just after the restart: nothing more.
  const size_t after = journalSize();
  XEle_SendEvent(restart, XE_BNCLICK);
  EXPECT_TRUE(ideCalls(after).empty());
}

TEST_F(HostCommands, TwoHundredMenuCyclesLeaveTheCountersFlat) {
  buildCommands();
  HELE button = static_cast<HELE>(XEle_GetChildByIndex(menuBar(), 5));
  int opened = 0;
  auto cycle = [&] {
    click(frameWindow(), centre(button));
    opened += tk::menuIsOpen() ? 1 : 0;
    tk::menuDismiss();
    settle();
  };
  for (int i = 0; i < 5; ++i) cycle();  // first images, fonts, classes
  const ResourceCounts before = countResources();
  for (int i = 0; i < 200; ++i) cycle();
  const ResourceCounts after = countResources();
  EXPECT_EQ(opened, 205);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects) << describe(before) << " -> " << describe(after);
  EXPECT_EQ(after.userObjects, before.userObjects) << describe(before) << " -> " << describe(after);
  EXPECT_EQ(after.handles, before.handles) << describe(before) << " -> " << describe(after);
}

}  // namespace
}  // namespace tovalux::testing
