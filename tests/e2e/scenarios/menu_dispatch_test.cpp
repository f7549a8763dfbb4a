// The menu bar as a user works it in ehost.exe with the real plug-in: every item opened and
// picked with the mouse, and the host receiving exactly the command the item names. The numbers
// are the host's, written out here from its command table, never read from the plug-in's own.
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

enum class Sends { kFunction, kCommand, kNothing, kPane };

struct Pick {
  const char* menu;
  const char* submenu;  // the submenu's parent item, or nullptr
  const char* item;     // the label as the menu shows it (without its shortcut)
  Sends sends;
  uint32_t number;  // the IDE function or WM_COMMAND id; for a pane toggle nothing
};

// In menu order, but what changes the session (run, stop, close) comes last, where the test
// puts it.
const Pick kPicks[] = {
    {"文件(F)", nullptr, "新建(N)", Sends::kFunction, 0x03010001},
    {"文件(F)", nullptr, "打开(O)", Sends::kFunction, 0x03010002},
    {"文件(F)", nullptr, "保存(S)", Sends::kFunction, 0x03010004},
    {"文件(F)", nullptr, "另存为(A)", Sends::kFunction, 0x03010005},
    {"文件(F)", nullptr, "打印", Sends::kNothing, 0},
    {"文件(F)", nullptr, "配置(U)", Sends::kFunction, 0x02020059},
    {"文件(F)", nullptr, "重新关联名称(L)", Sends::kFunction, 0x04020032},
    {"文件(F)", nullptr, "退出(X)", Sends::kNothing, 0},
    {"编辑(E)", nullptr, "撤销(U)", Sends::kFunction, 0x02020032},
    {"编辑(E)", nullptr, "重做(R)", Sends::kFunction, 0x02020033},
    {"编辑(E)", nullptr, "复制(C)", Sends::kFunction, 0x02030001},
    {"编辑(E)", nullptr, "粘贴(T)", Sends::kFunction, 0x02020005},
    {"编辑(E)", nullptr, "剪切(P)", Sends::kFunction, 0x02020004},
    {"编辑(E)", nullptr, "删除行(D)", Sends::kFunction, 0x02020003},
    {"编辑(E)", nullptr, "开始寻找(F)", Sends::kFunction, 0x04020011},
    {"编辑(E)", nullptr, "高亮标记单词(G)", Sends::kCommand, 0x80EE},
    {"编辑(E)", nullptr, "寻找下一个(N)", Sends::kFunction, 0x04020012},
    {"编辑(E)", nullptr, "寻找上一个(V)", Sends::kFunction, 0x04020014},
    {"编辑(E)", nullptr, "寻找替换(H)", Sends::kFunction, 0x0402002B},
    {"编辑(E)", nullptr, "整体搜寻(E)", Sends::kFunction, 0x0402002C},
    {"编辑(E)", nullptr, "导入其它程序(Z)", Sends::kFunction, 0x02020058},
    {"编辑(E)", nullptr, "置为只读状态(Y)", Sends::kFunction, 0x0402000F},
    {"查看(V)", nullptr, "自定义数据类型表(D)", Sends::kFunction, 0x04020008},
    {"查看(V)", nullptr, "全局变量表(G)", Sends::kFunction, 0x04020009},
    {"查看(V)", nullptr, "DLL命令定义表(L)", Sends::kFunction, 0x0402000A},
    {"查看(V)", nullptr, "常量数据表(C)", Sends::kFunction, 0x0402000B},
    {"查看(V)", nullptr, "图片资源表", Sends::kFunction, 0x0402000C},
    {"查看(V)", nullptr, "声音资源表", Sends::kFunction, 0x0402000D},
    {"查看(V)", nullptr, "到最近修改处(J)", Sends::kFunction, 0x04020033},
    {"查看(V)", nullptr, "设置或取消书签(B)", Sends::kFunction, 0x04020034},
    {"查看(V)", nullptr, "到上一个书签(P)", Sends::kFunction, 0x04020036},
    {"查看(V)", nullptr, "到下一个书签(N)", Sends::kFunction, 0x04020037},
    {"查看(V)", nullptr, "书签跳转(K)", Sends::kFunction, 0x04020035},
    {"查看(V)", nullptr, "预览被设计窗口(V)", Sends::kFunction, 0x0402000E},
    {"插入(I)", nullptr, "类模块(C)", Sends::kFunction, 0x0202006A},
    {"插入(I)", nullptr, "程序集(M)", Sends::kFunction, 0x0202000D},
    {"插入(I)", nullptr, "子程序(S)", Sends::kFunction, 0x02020009},
    {"插入(I)", nullptr, "窗口(F)", Sends::kFunction, 0x02020037},
    {"插入(I)", nullptr, "数据类型(D)", Sends::kFunction, 0x0202000A},
    {"插入(I)", nullptr, "全局变量(G)", Sends::kFunction, 0x0202000B},
    {"插入(I)", nullptr, "DLL命令(L)", Sends::kFunction, 0x0202000C},
    {"插入(I)", nullptr, "常量(T)", Sends::kFunction, 0x02020010},
    {"插入(I)", nullptr, "图片资源", Sends::kFunction, 0x02020011},
    {"插入(I)", nullptr, "声音资源", Sends::kFunction, 0x02020012},
    {"插入(I)", nullptr, "参数(A)", Sends::kFunction, 0x0202000E},
    {"插入(I)", nullptr, "局部变量(O)", Sends::kFunction, 0x0202000F},
    {"插入(I)", nullptr, "文件名(I)", Sends::kFunction, 0x02020075},
    {"数据库(B)", nullptr, "结构编辑器(S)", Sends::kFunction, 0x04020019},
    {"数据库(B)", nullptr, "记录编辑器(R)", Sends::kFunction, 0x0402001A},
    {"数据库(B)", nullptr, "数据库语言转换(L)", Sends::kFunction, 0x04020027},
    {"数据库(B)", nullptr, "数据库格式转换(C)", Sends::kFunction, 0x0402001C},
    {"调试(R)", nullptr, "以指定类型运行(M)", Sends::kNothing, 0},
    {"调试(R)", "以指定类型运行(M)", "Windows-窗口程序", Sends::kFunction, 0x05020009},
    {"调试(R)", "以指定类型运行(M)", "Windows-控制台程序", Sends::kFunction, 0x0502000A},
    {"调试(R)", "以指定类型运行(M)", "Windows-动态链接库", Sends::kFunction, 0x0502000B},
    {"调试(R)", "以指定类型运行(M)", "Windows-易语言模块", Sends::kFunction, 0x0502000C},
    {"调试(R)", nullptr, "查看变量表达式(V)", Sends::kFunction, 0x05010005},
    {"调试(R)", nullptr, "单步跟踪(O)", Sends::kFunction, 0x05010002},
    {"调试(R)", nullptr, "单步跟踪进入(I)", Sends::kFunction, 0x05010001},
    {"调试(R)", nullptr, "跟踪返回(U)", Sends::kFunction, 0x05010003},
    {"调试(R)", nullptr, "执行到光标处(R)", Sends::kFunction, 0x05010004},
    {"调试(R)", nullptr, "设置或清除断点(T)", Sends::kFunction, 0x05010006},
    {"调试(R)", nullptr, "条件断点(A)", Sends::kFunction, 0x0501000A},
    {"调试(R)", nullptr, "清除所有断点(C)", Sends::kFunction, 0x05010007},
    {"调试(R)", nullptr, "到现行执行位置(G)", Sends::kFunction, 0x05010008},
    {"调试(R)", nullptr, "到运行时错误相关位置(N)", Sends::kCommand, 0x80F0},
    {"生成(C)", nullptr, "编译(C)", Sends::kFunction, 0x05020001},
    {"生成(C)", nullptr, "静态编译(S)", Sends::kFunction, 0x05020007},
    {"生成(C)", nullptr, "独立编译(D)", Sends::kFunction, 0x05020006},
    {"生成(C)", nullptr, "编译为易包(P)", Sends::kFunction, 0x05020008},
    {"生成(C)", nullptr, "编译为指定类型(M)", Sends::kNothing, 0},
    {"生成(C)", "编译为指定类型(M)", "Windows-窗口程序", Sends::kFunction, 0x0502000D},
    {"生成(C)", "编译为指定类型(M)", "Windows-控制台程序", Sends::kFunction, 0x0502000E},
    {"生成(C)", "编译为指定类型(M)", "Windows-动态链接库", Sends::kFunction, 0x0502000F},
    {"生成(C)", "编译为指定类型(M)", "Windows-易语言模块", Sends::kFunction, 0x05020010},
    {"生成(C)", "静态编译为指定类型(T)", "Windows-窗口程序", Sends::kFunction, 0x05020011},
    {"生成(C)", "静态编译为指定类型(T)", "Windows-控制台程序", Sends::kFunction, 0x05020012},
    {"生成(C)", "静态编译为指定类型(T)", "Windows-动态链接库", Sends::kFunction, 0x05020013},
    {"生成(C)", nullptr, "编译生成安装软件(I)", Sends::kFunction, 0x05020005},
    {"工具(T)", nullptr, "菜单编辑器(M)", Sends::kFunction, 0x02020055},
    {"工具(T)", nullptr, "报表编辑器(R)", Sends::kFunction, 0x0402001D},
    {"工具(T)", nullptr, "执行易向导(W)", Sends::kFunction, 0x0402002A},
    {"工具(T)", nullptr, "矢量图形设计器(D)", Sends::kFunction, 0x04020038},
    {"工具(T)", nullptr, "安装新的支持库(I)", Sends::kFunction, 0x04020020},
    {"工具(T)", nullptr, "类型库或OCX组件->支持库(Y)", Sends::kFunction, 0x04020022},
    {"工具(T)", nullptr, "支持库配置(L)", Sends::kFunction, 0x0402001F},
    {"工具(T)", nullptr, "系统设置(O)", Sends::kFunction, 0x04020010},
    {"工具(T)", nullptr, "黑月工具设置", Sends::kCommand, 0x2710},
    {"工具(T)", nullptr, "黑月资源编辑器", Sends::kCommand, 0x2711},
    {"工具(T)", nullptr, "黑月应用程序向导", Sends::kCommand, 0x2712},
    {"工具(T)", nullptr, "数字签名或验证(C)", Sends::kCommand, 0x80F4},
    {"工具(T)", nullptr, "在模块或支持库搜索(F)", Sends::kCommand, 0x80F5},
    {"扩展(X)", nullptr, "需要什么呢？反馈一下？", Sends::kNothing, 0},
    {"视图(W)", nullptr, "易支持库", Sends::kPane, 0},
    {"视图(W)", nullptr, "项目结构", Sends::kPane, 0},
    {"视图(W)", nullptr, "组件属性", Sends::kPane, 0},
    {"视图(W)", nullptr, "常用模块", Sends::kPane, 0},
    {"视图(W)", nullptr, "系统组件", Sends::kPane, 0},
    {"视图(W)", nullptr, "帮助提示", Sends::kPane, 0},
    {"视图(W)", nullptr, "调试输出", Sends::kPane, 0},
    {"视图(W)", nullptr, "断点栈堆", Sends::kPane, 0},
    {"视图(W)", nullptr, "变量监视", Sends::kPane, 0},
    {"视图(W)", nullptr, "搜索结果1", Sends::kPane, 0},
    {"视图(W)", nullptr, "搜索结果2", Sends::kPane, 0},
    {"帮助(H)", nullptr, "易语言知识库(E)", Sends::kFunction, 0x04020029},
    {"帮助(H)", nullptr, "易语言多媒体教程(T)", Sends::kFunction, 0x0402002F},
    {"帮助(H)", nullptr, "每日一贴(D)", Sends::kFunction, 0x04020028},
    {"帮助(H)", nullptr, "关于(A)", Sends::kFunction, 0x04020001},
    {"帮助(H)", nullptr, "用户反馈(U)", Sends::kFunction, 0x0402002D},
};
const Pick kRun{"调试(R)", nullptr, "运行(S)", Sends::kFunction, 0x05020002};
const Pick kStop{"调试(R)", nullptr, "终止(E)", Sends::kFunction, 0x05020003};
const Pick kClose{"文件(F)", nullptr, "关闭(C)", Sends::kFunction, 0x03010003};

// The panes "视图(W)" toggles, by the title their tab and their window show.
std::string paneTitle(const Pick& p) {
  const std::string item = p.item;
  if (item == "搜索结果1") return "搜寻结果1";
  if (item == "搜索结果2") return "搜寻结果2";
  return item;
}

// What the host received: its function calls (queries for the menus' state aside: 0x0503....)
// and the WM_COMMANDs its main window got.
struct Received {
  std::vector<uint32_t> functions, commands;
};

class MenuDispatch : public ::testing::Test {
 protected:
  Session s{"e2e_menus"};

  Received receivedSince(size_t mark) {
    Received r;
    for (const JournalEntry& e : s.entries("ide", mark)) {
      const auto number = static_cast<uint32_t>(e.number("number", 0));
      if ((number & 0xFFFF0000u) != 0x05030000u) r.functions.push_back(number);
    }
    for (const JournalEntry& e : s.entries("command", mark))
      r.commands.push_back(static_cast<uint32_t>(e.number("id", 0)));
    return r;
  }

  // A pane in the dock: its tab in its group's tab bar, or the pane itself when it is alone.
  bool paneIsShown(const Pick& p) {
    return s.find("page-tab " + paneTitle(p), 300).has_value() || s.find("pane " + paneTitle(p), 300).has_value();
  }

  // Opens the item's menu with the mouse. False (the menu closed again) when the item is
  // disabled in this state.
  bool openTo(const Pick& p) {
    EXPECT_TRUE(s.act(std::string("ui-click menu-item ") + p.menu + " depth=2"));
    if (p.submenu != nullptr) {
      EXPECT_TRUE(s.act(std::string("ui-click menu-item ") + p.submenu + " depth=1"));
    }
    const auto item = s.find(std::string("menu-item \"") + p.item + "\" depth=1");
    if (!item) {
      ADD_FAILURE() << p.menu << " has no item " << p.item;
      s.act("key 0x1B"), s.act("key 0x1B");
      return false;
    }
    if (Session::has(*item, "unavailable")) {
      s.act("key 0x1B"), s.act("key 0x1B");
      return false;
    }
    return true;
  }

  // Picks it and checks what the host got. False when it is disabled in this state.
  bool pick(const Pick& p) {
    if (!openTo(p)) return false;
    bool paneShown = false;
    if (p.sends == Sends::kPane) paneShown = paneIsShown(p);
    const size_t mark = s.mark();
    EXPECT_TRUE(s.act(std::string("ui-click menu-item \"") + p.item + "\" depth=1"));
    if (p.submenu != nullptr || p.sends == Sends::kNothing) s.act("key 0x1B"), s.act("key 0x1B");
    const Received r = receivedSince(mark);
    const std::string what = std::string(p.menu) + " › " + (p.submenu ? std::string(p.submenu) + " › " : "") + p.item;
    switch (p.sends) {
      case Sends::kFunction:
        EXPECT_EQ(r.functions, std::vector<uint32_t>{p.number}) << what;
        EXPECT_TRUE(r.commands.empty()) << what;
        break;
      case Sends::kCommand:
        EXPECT_EQ(r.commands, std::vector<uint32_t>{p.number}) << what;
        EXPECT_TRUE(r.functions.empty()) << what;
        break;
      case Sends::kNothing:
      case Sends::kPane: EXPECT_TRUE(r.functions.empty() && r.commands.empty()) << what << " reached the host"; break;
    }
    if (p.sends == Sends::kPane) {
      EXPECT_NE(paneIsShown(p), paneShown) << what << " did not toggle its pane";
      // Picked again, the pane is as it was.
      EXPECT_TRUE(openTo(p));
      EXPECT_TRUE(s.act(std::string("ui-click menu-item \"") + p.item + "\" depth=1"));
      EXPECT_EQ(paneIsShown(p), paneShown) << what;
    }
    return true;
  }
};

TEST_F(MenuDispatch, EveryItemPickedWithTheMouseMakesExactlyItsHostCall) {
  // A recent project in the registry before the IDE starts: the menu lists its file name with
  // the blanks taken out and opens the whole path.
  const std::string recent = testing::winePath(TOVALUX_HOST_DIR "/samples/最近 的项目.e");
  CreateDirectoryA(testing::winePath(TOVALUX_HOST_DIR "/samples").c_str(), nullptr);
  CloseHandle(CreateFileA(recent.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\FlySky\\E\\Recent File List", &key), ERROR_SUCCESS);
  RegSetValueExA(key, "File1", 0, REG_SZ, reinterpret_cast<const BYTE*>(recent.c_str()),
                 static_cast<DWORD>(recent.size() + 1));
  RegDeleteValueA(key, "File2");
  RegCloseKey(key);

  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("start-page-close"));
  ASSERT_TRUE(s.act("project-open-sample"));
  ASSERT_TRUE(s.act("project \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\" create=1"));
  ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\" maximized=1"));

  // With a project on a program set's page.
  std::vector<const Pick*> disabled;
  for (const Pick& p : kPicks)
    if (!pick(p)) disabled.push_back(&p);

  // The recent project.
  {
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click menu-item 文件(F) depth=2"));
    ASSERT_TRUE(s.act("ui-click menu-item 最近的项目.e depth=1"));
    const auto opened = s.waitFor("open-project", {}, 5000, mark);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->get("path"), recent);
    EXPECT_EQ(receivedSince(mark).functions, std::vector<uint32_t>{0x03010008});
  }

  // On a window-designer page (the recent project opened it): its preview and the menu editor.
  ASSERT_TRUE(s.act("page-activate \"窗口: _启动窗口\""));
  std::vector<const Pick*> stillDisabled;
  for (const Pick* p : disabled)
    if (!pick(*p)) stillDisabled.push_back(p);
  disabled = stillDisabled;
  ASSERT_TRUE(s.act("page-activate \"程序集: 窗口程序集_启动窗口\""));

  // Paused in a debugging run, the run's own items and those no other state enabled.
  // A stepping command lets the program go on to its next breakpoint: one for each.
  ASSERT_TRUE(s.act("debuggee-script \"load;int3;int3;int3;int3;int3;int3;sleep 30000;exit 0\""));
  ASSERT_TRUE(s.act("debug-run pause=1"));
  ASSERT_TRUE(s.waitFor("debug-paused"));
  ASSERT_TRUE(s.act("pause-page"));
  std::vector<std::string> neverEnabled;
  for (const Pick* p : disabled) {
    const size_t before = s.mark();
    if (!pick(*p)) neverEnabled.push_back(std::string(p->menu) + " › " + p->item);
    if (p->sends == Sends::kFunction && p->number >= 0x05010001 && p->number <= 0x05010004) {
      ASSERT_TRUE(s.waitFor("debug-paused", {}, 20000, before)) << p->item << ": the next breakpoint";
    }
  }
  EXPECT_TRUE(pick(kStop));
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended"));
  for (const std::string& item : neverEnabled) ADD_FAILURE() << item << " was never enabled";

  // Run from the menu, then the project closed: the frame's title follows the host's.
  ASSERT_TRUE(s.act("run-state idle"));
  EXPECT_TRUE(pick(kRun));
  ASSERT_TRUE(s.act("run-state idle"));
  EXPECT_TRUE(pick(kClose));
  EXPECT_TRUE(s.find("text 易语言"));

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
