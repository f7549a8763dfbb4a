// The project pane as the user works it in ehost.exe with the real plug-in: items opened by a
// double click, expanded by their expander, and every context menu worked with the mouse, each
// command reaching the host for the item the user chose. The numbers are the host's.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::both;
using testing::fieldIs;

constexpr int64_t kSelectItem = 0x110B;  // TVM_SELECTITEM
constexpr int64_t kExpand = 0x1102;      // TVM_EXPAND

enum class Sends { kFunction, kCommand };

struct MenuPick {
  const char* item;      // the pane item right-clicked
  const char* hostText;  // its text in the host's tree
  const char* label;     // the menu item picked
  Sends sends;
  uint32_t number;
};

// In an order that keeps what later rows need: an item's own deletion comes last.
const MenuPick kPicks[] = {
    {"解决方案项目结构", "程序数据", "新类模块", Sends::kFunction, 0x0202006A},
    {"解决方案项目结构", "程序数据", "新程序集", Sends::kFunction, 0x0202000D},
    {"解决方案项目结构", "程序数据", "新窗口", Sends::kFunction, 0x02020037},
    {"解决方案项目结构", "程序数据", "新数据类型", Sends::kFunction, 0x0202000A},
    {"解决方案项目结构", "程序数据", "新全局变量", Sends::kFunction, 0x0202000B},
    {"解决方案项目结构", "程序数据", "新Dll命令", Sends::kFunction, 0x0202000C},
    {"解决方案项目结构", "程序数据", "创建文件夹", Sends::kCommand, 0x80E6},
    {"解决方案项目结构", "程序数据", "整理文件夹", Sends::kCommand, 0x80EA},
    {"分类文件夹1", "分类文件夹1", "创建文件夹", Sends::kCommand, 0x80E6},
    {"分类文件夹1", "分类文件夹1", "文件夹重命名", Sends::kCommand, 0x80E8},
    {"分类文件夹1", "分类文件夹1", "整理文件夹", Sends::kCommand, 0x80EA},
    {"程序集1", "程序集1", "跳转", Sends::kCommand, 0x8019},
    {"程序集1", "程序集1", "插入新程序集", Sends::kFunction, 0x0202000D},
    {"程序集1", "程序集1", "整理文件夹", Sends::kCommand, 0x80EA},
    {"程序集1", "程序集1", "删除程序集", Sends::kCommand, 0x801B},
    {"全局计数", "全局计数", "跳转", Sends::kCommand, 0x8019},
    {"全局计数", "全局计数", "插入全局变量", Sends::kFunction, 0x0202000B},
    {"全局计数", "全局计数", "整理文件夹", Sends::kCommand, 0x80EA},
    {"全局计数", "全局计数", "删除全局变量", Sends::kCommand, 0x801B},
    {"信息框A", "信息框A", "跳转", Sends::kCommand, 0x8019},
    {"信息框A", "信息框A", "插入新Dll命令", Sends::kFunction, 0x0202000C},
    {"信息框A", "信息框A", "整理文件夹", Sends::kCommand, 0x80EA},
    {"信息框A", "信息框A", "删除Dll命令", Sends::kCommand, 0x801B},
    {"_启动窗口", "_启动窗口", "跳转", Sends::kCommand, 0x8019},
    {"_启动窗口", "_启动窗口", "插入新窗口", Sends::kFunction, 0x02020037},
    {"_启动窗口", "_启动窗口", "整理文件夹", Sends::kCommand, 0x80EA},
    {"_启动窗口", "_启动窗口", "删除窗口", Sends::kCommand, 0x801B},
    {"坐标", "坐标", "跳转", Sends::kCommand, 0x8019},
    {"坐标", "坐标", "插入新数据类型", Sends::kFunction, 0x0202000A},
    {"坐标", "坐标", "整理文件夹", Sends::kCommand, 0x80EA},
    {"坐标", "坐标", "删除数据类型", Sends::kCommand, 0x801B},
    {"类_演示", "类_演示", "跳转", Sends::kCommand, 0x8019},
    {"类_演示", "类_演示", "插入新类模块", Sends::kFunction, 0x0202006A},
    {"类_演示", "类_演示", "整理文件夹", Sends::kCommand, 0x80EA},
    {"类_演示", "类_演示", "删除类模块", Sends::kCommand, 0x801B},
    {"模块引用表", "模块引用表", "刷新所有模块引用信息", Sends::kCommand, 0x80BB},
    {"模块引用表", "模块引用表", "整理文件夹", Sends::kCommand, 0x80EA},
};

// Under the module table, which the host leaves collapsed.
const MenuPick kModulePicks[] = {
    {"示例模块.ec", "示例模块.ec", "查看模块信息", Sends::kCommand, 0x8019},
    {"示例模块.ec", "示例模块.ec", "更新模块引用信息", Sends::kCommand, 0x80BB},
    {"示例模块.ec", "示例模块.ec", "整理文件夹", Sends::kCommand, 0x80EA},
    {"示例模块.ec", "示例模块.ec", "删除模块引用", Sends::kCommand, 0x801B},
};

class ProjectTreeScenario : public ::testing::Test {
 protected:
  Session s{journalName()};

  struct Received {
    std::vector<uint32_t> functions, commands;
    std::vector<std::string> selected;  // the host tree's selection as each command arrived
  };
  Received receivedSince(size_t mark) {
    Received r;
    for (const JournalEntry& e : s.entries("ide", mark)) {
      const auto number = static_cast<uint32_t>(e.number("number", 0));
      if ((number & 0xFFFF0000u) != 0x05030000u) r.functions.push_back(number);
    }
    for (const JournalEntry& e : s.entries("command", mark))
      r.commands.push_back(static_cast<uint32_t>(e.number("id", 0)));
    for (const JournalEntry& e : s.entries("program-command", mark))
      r.selected.push_back(e.get("selected").value_or(""));
    return r;
  }

  // The user selects the item and right-clicks it: its host item is selected, and the menu (if
  // any) opens. Returns the journal's mark from before.
  size_t openMenu(const std::string& item) {
    EXPECT_TRUE(s.act("ui-click outline-item \"" + item + "\""));
    const size_t mark = s.mark();
    EXPECT_TRUE(s.act("ui-click outline-item \"" + item + "\" button=right"));
    EXPECT_TRUE(s.waitFor("ctl-msg", both(fieldIs("control", "1019"), fieldIs("msg", kSelectItem)), 3000, mark))
        << item << ": the host's item was not selected";
    return mark;
  }

  void pick(const MenuPick& p) {
    const std::string what = std::string(p.item) + " › " + p.label;
    const size_t mark = openMenu(p.item);
    const auto entry = s.find(std::string("menu-item \"") + p.label + "\" depth=1");
    if (!entry) {
      ADD_FAILURE() << what << ": no such item in the menu";
      s.act("key 0x1B");
      return;
    }
    EXPECT_FALSE(Session::has(*entry, "unavailable")) << what;
    EXPECT_TRUE(s.act(std::string("ui-click menu-item \"") + p.label + "\" depth=1"));
    const Received r = receivedSince(mark);
    if (p.sends == Sends::kFunction) {
      EXPECT_EQ(r.functions, std::vector<uint32_t>{p.number}) << what;
      EXPECT_TRUE(r.commands.empty()) << what;
    } else {
      EXPECT_EQ(r.commands, std::vector<uint32_t>{p.number}) << what;
      EXPECT_TRUE(r.functions.empty()) << what;
      EXPECT_EQ(r.selected, std::vector<std::string>{p.hostText}) << what << ": the command acted on another item";
    }
  }
};

TEST_F(ProjectTreeScenario, EveryContextMenuCommandReachesTheHostForTheChosenItem) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));
  ASSERT_TRUE(s.act("ui-click page-tab 项目结构"));
  ASSERT_TRUE(s.find("outline-item 程序集1", 5000));
  // A renamed folder keeps its name here, so that the rows after it find it.
  ASSERT_TRUE(s.act("program-folder-name 分类文件夹1"));

  // Expanded and collapsed by its expander: the host's item takes the same state (an explicit
  // state rather than a toggle, so that both trees cannot drift apart), and the pane keeps it.
  for (const bool open : {true, false, true}) {
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click outline-item 程序集1 at=left"));
    const auto sent = s.waitFor("ctl-msg", both(fieldIs("control", "1019"), fieldIs("msg", kExpand)), 3000, mark);
    ASSERT_TRUE(sent) << "the host's tree was not told";
    EXPECT_EQ(sent->number("wparam"), open ? 2 : 1);  // TVE_EXPAND, TVE_COLLAPSE
    const auto item = s.find("outline-item 程序集1");
    ASSERT_TRUE(item);
    EXPECT_TRUE(Session::has(*item, open ? "expanded" : "collapsed"));
  }
  EXPECT_TRUE(s.find("outline-item 子程序1"));
  size_t mark = s.mark();

  // A double click on an assembly: selected in the host, then the host goes there.
  ASSERT_TRUE(s.act("ui-click outline-item 窗口程序集_启动窗口 clicks=2"));
  const auto went = s.waitFor("program-command", fieldIs("id", 0x8019), 3000, mark);
  ASSERT_TRUE(went) << "the double click did not reach the host";
  EXPECT_EQ(went->get("selected"), "窗口程序集_启动窗口");

  // Sub-programs, constants, pictures and sounds have no menu.
  for (const char* item : {"子程序1", "常量表", "图片或图片组", "声音或音频"}) {
    openMenu(item);
    EXPECT_TRUE(s.act("ui-absent menu-item 整理文件夹")) << item << " has a menu";
  }

  // A category with entries cannot be deleted from its menu.
  openMenu("全局变量");
  const auto removeAll = s.find("menu-item 删除全局变量 depth=1");
  ASSERT_TRUE(removeAll);
  EXPECT_TRUE(Session::has(*removeAll, "unavailable"));
  ASSERT_TRUE(s.act("key 0x1B"));

  // The pane's own tool bar: a new folder with a class selected goes to the host's root, with a
  // folder selected into that folder; tidying starts at the root.
  ASSERT_TRUE(s.act("ui-click outline-item 类_演示"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 新建文件夹"));
  Received r = receivedSince(mark);
  EXPECT_EQ(r.commands, std::vector<uint32_t>{0x80E6});
  EXPECT_EQ(r.selected, std::vector<std::string>{"程序数据"});
  ASSERT_TRUE(s.act("ui-click outline-item 分类文件夹1"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 新建文件夹"));
  r = receivedSince(mark);
  EXPECT_EQ(r.commands, std::vector<uint32_t>{0x80E6});
  EXPECT_EQ(r.selected, std::vector<std::string>{"分类文件夹1"});
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 整理文件夹"));
  r = receivedSince(mark);
  EXPECT_EQ(r.commands, std::vector<uint32_t>{0x80EA});
  EXPECT_EQ(r.selected, std::vector<std::string>{"程序数据"});

  for (const MenuPick& p : kPicks) pick(p);

  // The module table's menu: the entries for a single module are off.
  openMenu("模块引用表");
  for (const char* off : {"查看模块信息", "删除模块引用", "继续公开"}) {
    const auto entry = s.find(std::string("menu-item ") + off + " depth=1");
    ASSERT_TRUE(entry) << off;
    EXPECT_TRUE(Session::has(*entry, "unavailable")) << off;
  }
  ASSERT_TRUE(s.act("key 0x1B"));
  ASSERT_TRUE(s.act("ui-click outline-item 模块引用表 at=left"));
  ASSERT_TRUE(s.find("outline-item 示例模块.ec"));
  for (const MenuPick& p : kModulePicks) pick(p);

  // A module added from the table's menu: the file chosen in the dialog goes to the host with a
  // place for its answer, and the host's new entry shows.
  const std::string module = testing::winePath(TOVALUX_HOST_DIR "/samples/新模块.ec");
  CloseHandle(CreateFileA(module.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  ASSERT_TRUE(s.act("dialog-file 请选择需要添加的模块 \"" + module + "\""));
  const size_t added = openMenu("模块引用表");
  ASSERT_TRUE(s.act("ui-click menu-item 添加模块引用 depth=1"));
  const auto reference = s.waitFor("module-reference", {}, 10000, added);
  ASSERT_TRUE(reference) << "the host was not asked to add the module";
  EXPECT_EQ(reference->get("path"), module);
  EXPECT_EQ(reference->number("added"), 1);
  const auto call = s.waitFor("ide", fieldIs("number", 0x02020087), 1000, added);
  ASSERT_TRUE(call);
  EXPECT_NE(call->number("p2"), 0) << "no place for the host's answer";
  EXPECT_TRUE(s.find("outline-item 新模块.ec"));

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(ProjectTreeScenario, ThePaneFollowsTheHostsInsertsAndDeletesOnlyWhereTheyBelong) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("project-open \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\""));
  ASSERT_TRUE(s.act("ui-click page-tab 项目结构"));
  ASSERT_TRUE(s.find("outline-item 全局计数", 5000));

  // Under the external-file table, which the pane never shows, an insert is dropped; under a
  // shown category it appears.
  ASSERT_TRUE(s.act("program-tree-insert 外部文件记录表 备注.txt image=15"));
  ASSERT_TRUE(s.act("program-tree-insert 全局变量 全局新增 image=1"));
  EXPECT_TRUE(s.find("outline-item 全局新增"));
  EXPECT_TRUE(s.act("ui-absent outline-item 备注.txt"));

  // One entry deleted by the host: exactly that one goes.
  ASSERT_TRUE(s.act("program-tree-delete 全局变量 count=1"));
  EXPECT_TRUE(s.act("ui-absent outline-item 全局计数"));
  for (const char* item : {"全局变量", "全局名称", "全局新增", "信息框A", "窗口程序集_启动窗口", "解决方案项目结构"})
    EXPECT_TRUE(s.find(std::string("outline-item ") + item)) << item;

  // The whole tree deleted: the pane is empty, and an insert under an item that went with it is
  // dropped; a new top level appears again.
  ASSERT_TRUE(s.act("project-close-sample"));
  for (const char* item : {"解决方案项目结构", "全局变量", "全局名称", "窗口程序集_启动窗口"})
    EXPECT_TRUE(s.act(std::string("ui-absent outline-item ") + item)) << item;
  ASSERT_TRUE(s.act("program-tree-insert 全局变量 迟到项 image=1"));
  ASSERT_TRUE(s.act("program-tree-insert \"\" 程序数据 image=8"));
  EXPECT_TRUE(s.find("outline-item 解决方案项目结构"));
  EXPECT_TRUE(s.act("ui-absent outline-item 迟到项"));

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
