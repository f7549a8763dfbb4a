// The form designer's panes as a user works them in ehost.exe with the real plug-in: the toolbox
// with the host's component groups, a component picked for the host to place, and the properties
// pane choosing a component and one of its events in the host's own combo boxes.
#include <windows.h>

#include <string>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

std::string settingsFile() { return testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux/Tovalux.ini"); }

class Designer : public ::testing::Test {
 protected:
  Session s{"e2e_designer"};

  // A window of the sample project open in the designer.
  void openDesigner() {
    CreateDirectoryA(testing::winePath(TOVALUX_HOST_DIR "/samples").c_str(), nullptr);
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(s.act("start-page-close"));
    ASSERT_TRUE(s.act("project-open-sample"));
    ASSERT_TRUE(s.act("project \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\" create=1"));
    ASSERT_TRUE(s.act("page-open \"窗口: _启动窗口\" maximized=1"));
  }

  // How many objects of this role and name a screen reader finds now.
  size_t countOnScreen(const std::string& role, const std::string& name) {
    const size_t mark = s.mark();
    if (!s.act("ui-dump")) return 0;
    size_t count = 0;
    for (const JournalEntry& e : s.entries("ui", mark))
      if (e.get("role") == role && e.get("name") == name && !Session::has(e, "invisible")) ++count;
    return count;
  }
};

TEST_F(Designer, TheToolboxShowsTheHostsGroupsAndPicksAComponentForTheHostToPlace) {
  openDesigner();

  // The designer brings the toolbox; its groups are the host's buttons, "其它" left out.
  ASSERT_TRUE(s.find("pane 系统组件"));
  for (const char* group : {"基本组件", "扩展组件", "外部组件"}) EXPECT_TRUE(s.find(std::string("grouping ") + group));
  EXPECT_TRUE(s.act("ui-absent grouping 其它"));

  // Opening a group has the host fill its tree with that group's components.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click grouping 扩展组件"));
  const auto filled = s.waitFor("toolbox-fill", {}, 5000, mark);
  ASSERT_TRUE(filled);
  EXPECT_EQ(filled->get("group"), "1");
  const auto group = s.find("grouping 扩展组件");
  ASSERT_TRUE(group);
  EXPECT_TRUE(Session::has(*group, "expanded"));
  for (const char* item : {"指针", "超级列表框", "树型框"}) EXPECT_TRUE(s.find(std::string("list-item ") + item, 5000));

  // A component picked in the pane is the host's tree item being selected: the host starts
  // placing it.
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click list-item 超级列表框"));
  const auto pick = s.waitFor("toolbox-pick", {}, 5000, mark);
  ASSERT_TRUE(pick);
  EXPECT_EQ(pick->get("text"), "超级列表框");
  const auto picked = s.find("list-item 超级列表框");
  ASSERT_TRUE(picked);
  EXPECT_TRUE(Session::has(*picked, "selected"));

  // The host places it and goes back to its pointer: nothing stays selected in the pane.
  ASSERT_TRUE(s.act("toolbox-place"));
  const auto placed = s.find("list-item 超级列表框");
  ASSERT_TRUE(placed);
  EXPECT_FALSE(Session::has(*placed, "selected"));
  const auto pointer = s.find("list-item 指针");
  ASSERT_TRUE(pointer);
  EXPECT_FALSE(Session::has(*pointer, "selected"));

  // The host makes its group buttons again (a project opened): the same groups, once each.
  ASSERT_TRUE(s.act("toolbox-buttons recreate=1"));
  EXPECT_TRUE(s.find("grouping 基本组件", 5000));
  for (const char* name : {"基本组件", "扩展组件", "外部组件"}) EXPECT_EQ(countOnScreen("grouping", name), 1u) << name;

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(Designer, ThePropertiesPaneChoosesAComponentAndAnEventInTheHostsComboBoxes) {
  // The grid is given the frame's font (a start with the switch on).
  WritePrivateProfileStringA("修改选项", "修改组件属性表格内的字体", "1", settingsFile().c_str());
  openDesigner();
  WritePrivateProfileStringA("修改选项", "修改组件属性表格内的字体", nullptr, settingsFile().c_str());
  ASSERT_TRUE(s.act("designer-combos"));
  ASSERT_TRUE(s.act("ui-click page-tab 组件属性"));
  const std::string components = "combo-box 选择组件";
  const std::string events = "combo-box 选择事件，创建事件处理子程序";
  EXPECT_TRUE(s.find(components + " value=_启动窗口"));
  EXPECT_TRUE(s.find(events + " value=创建完毕"));

  // The user chooses 编辑框1 in the pane's list: the host's combo box selects it as if picked.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click " + components));
  ASSERT_TRUE(s.act("ui-click list-item 编辑框1"));
  const auto chosen = s.waitFor("component-selected", fieldIs("name", "编辑框1"), 5000, mark);
  ASSERT_TRUE(chosen);
  EXPECT_TRUE(s.find(components + " value=编辑框1"));

  // Its event list comes from the host as the list opens; an event chosen makes its handler.
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click " + events));
  EXPECT_TRUE(s.waitFor("event-dropdown", fieldIs("open", 1), 5000, mark));
  ASSERT_TRUE(s.act("ui-click list-item 内容被改变"));
  const auto handler = s.waitFor("event-handler", {}, 5000, mark);
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->get("name"), "_编辑框1_内容被改变");

  // An event after the host's separator line is the host's entry of the same place.
  ASSERT_TRUE(s.act("ui-click " + components));
  ASSERT_TRUE(s.act("ui-click list-item 按钮1"));
  ASSERT_TRUE(s.waitFor("component-selected", fieldIs("name", "按钮1"), 5000, mark));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click " + events));
  ASSERT_TRUE(s.act("ui-click list-item 获得焦点"));
  const auto afterSeparator = s.waitFor("event-handler", {}, 5000, mark);
  ASSERT_TRUE(afterSeparator);
  EXPECT_EQ(afterSeparator->get("name"), "_按钮1_获得焦点");

  // The user clicks the line on the designed window, a component without events: the host
  // selects its "no event" entry, and the pane has no component to offer.
  ASSERT_TRUE(s.act("designer-select 4"));
  EXPECT_TRUE(s.find(events + " value=\"--- 无对应事件 ---\""));
  EXPECT_TRUE(s.find(components + " value=无可用组件"));

  // The property grid asks for the GUI font and gets the frame's.
  mark = s.mark();
  ASSERT_TRUE(s.act("grid-paint"));
  const auto grid = s.waitFor("grid-paint", {}, 5000, mark);
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->get("answered-stock"), "0");
  EXPECT_EQ(grid->get("face"), "微软雅黑");
  EXPECT_EQ(grid->get("height"), "17");
  EXPECT_EQ(grid->get("weight"), "144");

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
