// A project in ehost.exe with the real plug-in: opened by the host, closed from the menu and
// opened again from the recent list, and its code pages worked through their tabs. What the user
// sees is read through the accessible tree, what the host received from its journal; the
// function numbers are the host's, written out here.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

std::string projectPath() { return testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e"); }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string recentFile1() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\FlySky\\E\\Recent File List", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return {};
  char path[MAX_PATH * 2] = {};
  DWORD bytes = sizeof path - 1;
  const bool read =
      RegQueryValueExA(key, "File1", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &bytes) == ERROR_SUCCESS;
  RegCloseKey(key);
  return read ? path : "";
}

class ProjectScenario : public ::testing::Test {
 protected:
  Session s{journalName()};

  // The host functions the plug-in called since `mark` (the state queries 0x0503.... aside).
  std::vector<uint32_t> functionsSince(size_t mark) {
    std::vector<uint32_t> out;
    for (const JournalEntry& e : s.entries("ide", mark)) {
      const auto number = static_cast<uint32_t>(e.number("number", 0));
      if ((number & 0xFFFF0000u) != 0x05030000u) out.push_back(number);
    }
    return out;
  }

  bool shown(const std::string& what, DWORD timeoutMs = 3000) { return s.find(what, timeoutMs).has_value(); }
  bool absent(const std::string& what) { return s.act("ui-absent " + what); }

  // A tool-bar button by its tooltip: enabled or not, as the screen shows it.
  bool buttonEnabled(const std::string& tooltip) {
    const auto button = s.find("push-button " + quoted(tooltip));
    EXPECT_TRUE(button) << "no button " << tooltip;
    return button && !Session::has(*button, "unavailable");
  }

  // The sample project as the shell shows it once the host has opened it: the program tree in
  // the project pane, the start window's two tabs, the frame's title and the tool bar's state
  // with a project.
  void expectProjectShown() {
    const std::string caption = "易语言 - " + projectPath();
    EXPECT_TRUE(shown("text " + quoted(caption), 5000)) << "the frame's title is not the host's caption";
    EXPECT_TRUE(shown("page-tab 窗口程序集_启动窗口"));
    EXPECT_TRUE(shown("page-tab \"_启动窗口 - Dialog\""));

    EXPECT_TRUE(s.act("ui-click page-tab 项目结构"));
    const auto root = s.find("outline-item 解决方案项目结构", 5000);
    ASSERT_TRUE(root) << "the program tree's root is not in the project pane";
    EXPECT_TRUE(Session::has(*root, "expanded"));
    for (const char* item : {"窗口程序集_启动窗口", "全局变量", "全局计数", "Dll命令", "信息框A", "图片或图片组",
                             "声音或音频", "模块引用表", "分类文件夹1"})
      EXPECT_TRUE(shown(std::string("outline-item ") + item)) << item;
    // The constants entry under its own name, with the child that opens the table once the user
    // opens it by its expander.
    const auto constants = s.find("outline-item 常量表");
    EXPECT_TRUE(s.act("ui-click outline-item 常量表 at=left"));
    const auto view = s.find("outline-item 查看常量");
    ASSERT_TRUE(constants && view);
    EXPECT_EQ(view->number("value", -1), constants->number("value", -1) + 1) << "查看常量 is not a child of 常量表";
    EXPECT_GT(view->number("y", 0), constants->number("y", 0));
    // The external-file table and its entries are never shown; the host's raw texts neither.
    for (const char* item : {"外部文件记录表", "readme.txt", "常量表...", "图片或图片组...", "声音..."})
      EXPECT_TRUE(absent(std::string("outline-item ") + quoted(item))) << item;

    // With a project every button of the main bar is on but those of a run, and so is the
    // linker selector.
    for (const char* on :
         {"跳回前跳转处", "跳到调用命令处",     "新建",         "打开(Ctrl+O)",     "保存(Ctrl+S)",
          "剪切(Ctrl+X)", "复制(Ctrl+C)",       "粘贴(Ctrl+V)", "撤销(Ctrl+Z)",     "重做",
          "编译(F7)",     "静态编译(Shift+F7)", "黑月静态编译", "整体搜寻",         "运行(F5)",
          "设置断点(F9)", "删除全部断点",       "重新运行",     "查看帮助提示(F1)", "设置书签(Ctrl+F6)",
          "到上一个书签", "到下一个书签",       "跳转书签",     "程序配置",         "系统设置"})
      EXPECT_TRUE(buttonEnabled(on)) << on;
    for (const char* off : {"停止运行(Ctrl+F5)", "查看(Shift+F9)", "执行到光标处(Ctrl+F8)", "单步(F8)",
                            "单步进入(Shift+F8)", "跟踪返回(Ctrl+Shift+F8)"})
      EXPECT_FALSE(buttonEnabled(off)) << off;
    const auto linker = s.find("combo-box 更换选择其它链接器");
    ASSERT_TRUE(linker);
    EXPECT_FALSE(Session::has(*linker, "unavailable"));
  }
};

TEST_F(ProjectScenario, OpeningAProjectMirrorsItsTreeTabsAndTitle) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("recent-files-clear"));
  ASSERT_TRUE(s.act("project-open " + quoted(projectPath())));
  expectProjectShown();
  EXPECT_EQ(recentFile1(), projectPath());
  EXPECT_TRUE(s.closeNormally());
}

TEST_F(ProjectScenario, ClosingFromTheMenuEmptiesTheShellAndTheRecentItemRestoresIt) {
  // The project is in the recent list before the IDE starts: the menu lists it by its name.
  const std::string path = projectPath();
  CreateDirectoryA(testing::winePath(TOVALUX_HOST_DIR "/samples").c_str(), nullptr);
  CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\FlySky\\E\\Recent File List", &key), ERROR_SUCCESS);
  RegSetValueExA(key, "File1", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>(path.size() + 1));
  RegDeleteValueA(key, "File2");
  RegCloseKey(key);

  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("project-open " + quoted(path)));
  ASSERT_TRUE(shown("page-tab 窗口程序集_启动窗口", 5000));
  ASSERT_TRUE(s.act("watch-add 全局计数 整数型 3"));
  ASSERT_TRUE(s.act("ui-click page-tab 变量监视"));
  ASSERT_TRUE(shown("list-item 全局计数"));

  // 文件(F) › 关闭(C): the host closes the project before its function returns.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click menu-item 文件(F) depth=2"));
  ASSERT_TRUE(s.act("ui-click menu-item 关闭(C) depth=1"));
  ASSERT_TRUE(s.waitFor("project-closed", {}, 5000, mark));
  EXPECT_EQ(functionsSince(mark), std::vector<uint32_t>{0x03010003});

  EXPECT_TRUE(shown("text 易语言"));
  EXPECT_TRUE(absent("text " + quoted("易语言 - " + path)));
  EXPECT_TRUE(shown("page-tab 起始页"));
  EXPECT_TRUE(absent("page-tab 窗口程序集_启动窗口"));
  EXPECT_TRUE(absent("page-tab \"_启动窗口 - Dialog\""));
  EXPECT_TRUE(absent("list-item 全局计数")) << "the watch list kept the closed project's row";
  EXPECT_TRUE(s.act("ui-click page-tab 项目结构"));
  EXPECT_TRUE(absent("outline-item 解决方案项目结构"));
  EXPECT_TRUE(absent("outline-item 窗口程序集_启动窗口"));
  // Without a project only "新建", "打开" and "系统设置" are on.
  for (const char* on : {"新建", "打开(Ctrl+O)", "系统设置"}) EXPECT_TRUE(buttonEnabled(on)) << on;
  for (const char* off : {"保存(Ctrl+S)", "剪切(Ctrl+X)", "编译(F7)", "运行(F5)", "整体搜寻", "设置断点(F9)"})
    EXPECT_FALSE(buttonEnabled(off)) << off;
  const auto linker = s.find("combo-box 更换选择其它链接器");
  ASSERT_TRUE(linker);
  EXPECT_TRUE(Session::has(*linker, "unavailable"));

  // The recent item opens the project again, by its whole path.
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click menu-item 文件(F) depth=2"));
  const auto save = s.find("menu-item 保存(S) depth=1");
  ASSERT_TRUE(save);
  EXPECT_TRUE(Session::has(*save, "unavailable")) << "保存(S) is on without a project";
  ASSERT_TRUE(s.act("ui-click menu-item 演示.e depth=1"));
  const auto opened = s.waitFor("project-opened", {}, 5000, mark);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->get("path"), path);
  EXPECT_EQ(functionsSince(mark), std::vector<uint32_t>{0x03010008});
  expectProjectShown();
  EXPECT_EQ(recentFile1(), path);

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(ProjectScenario, CodePagesHaveOneTabEachThatActivatesAndClosesThem) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.waitFor("page-script")) << "the start page never finished loading";
  ASSERT_TRUE(s.act("project-open " + quoted(projectPath())));
  ASSERT_TRUE(shown("page-tab 窗口程序集_启动窗口", 5000));
  EXPECT_TRUE(shown("page-tab 起始页"));
  HWND designer = nullptr, globals = nullptr;
  auto pageWindow = [&](const std::string& title) {
    const auto created = s.waitFor("page-created", fieldIs("title", title), 3000);
    return created ? reinterpret_cast<HWND>(static_cast<intptr_t>(created->number("hwnd", 0))) : nullptr;
  };
  designer = pageWindow("窗口: _启动窗口");
  ASSERT_TRUE(designer);

  // The host asks a code page for its client area and lays its main view over it: the answer is
  // 2 pixels larger to the top and left and 20 to the right and bottom, which puts the host's own
  // scroll bars out of sight under the shell's.
  {
    HWND page = pageWindow("程序集: 窗口程序集_启动窗口");
    ASSERT_TRUE(IsWindow(page));
    RECT client{}, view{};
    ASSERT_TRUE(GetClientRect(page, &client));
    ASSERT_TRUE(GetWindowRect(GetDlgItem(page, 0xE900), &view));
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&view), 2);
    EXPECT_EQ(view.left, -2);
    EXPECT_EQ(view.top, -2);
    EXPECT_EQ(view.right, client.right + 20);
    EXPECT_EQ(view.bottom, client.bottom + 20);
  }

  // A table page: its whole title is the caption.
  ASSERT_TRUE(s.act("page-open 全局变量表"));
  globals = pageWindow("全局变量表");
  const auto globalsTab = s.find("page-tab 全局变量表");
  ASSERT_TRUE(globalsTab);
  EXPECT_TRUE(Session::has(*globalsTab, "selected")) << "the new page's tab is not the selected one";

  // The host activates the designer page: its tab is selected, the toolbox pane comes, the
  // designer bar is on; on a program set's page it is off again.
  ASSERT_TRUE(s.act("page-activate \"窗口: _启动窗口\""));
  const auto designerTab = s.find("page-tab \"_启动窗口 - Dialog\"");
  ASSERT_TRUE(designerTab);
  EXPECT_TRUE(Session::has(*designerTab, "selected"));
  EXPECT_TRUE(shown("page-tab 系统组件") || shown("pane 系统组件")) << "the toolbox pane did not come";
  EXPECT_TRUE(buttonEnabled("左对齐"));
  ASSERT_TRUE(s.act("page-activate \"程序集: 窗口程序集_启动窗口\""));
  EXPECT_FALSE(buttonEnabled("左对齐"));

  // A retitled page: its tab follows.
  ASSERT_TRUE(s.act("page-title \"程序集: 窗口程序集_启动窗口\" \"程序集: 程序集甲\""));
  EXPECT_TRUE(shown("page-tab 程序集甲"));
  EXPECT_TRUE(absent("page-tab 窗口程序集_启动窗口"));

  // The user clicks the designer's tab: the host activates that page.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click page-tab \"_启动窗口 - Dialog\""));
  EXPECT_TRUE(s.waitFor("page-activated", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(designer))),
                        5000, mark));

  // The user closes the table page from its tab's close button: exactly that page goes.
  // The selected tab shows its close button (a pane's own close buttons are one level up).
  ASSERT_TRUE(s.act("ui-click page-tab 全局变量表"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 关闭 depth=3"));
  EXPECT_TRUE(s.waitFor("page-destroyed", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(globals))),
                        5000, mark));
  EXPECT_EQ(s.entries("page-destroyed", mark).size(), 1u);
  EXPECT_TRUE(absent("page-tab 全局变量表"));
  for (const char* tab : {"起始页", "程序集甲", "_启动窗口 - Dialog"})
    EXPECT_TRUE(shown(std::string("page-tab ") + quoted(tab))) << tab;

  // While a program is debugged, the designer's page leaves the designer bar off.
  ASSERT_TRUE(s.act("debuggee-script \"load;int3;sleep 30000;exit 0\""));
  ASSERT_TRUE(s.act("debug-run pause=1"));
  ASSERT_TRUE(s.waitFor("debug-paused"));
  ASSERT_TRUE(s.act("page-activate \"窗口: _启动窗口\""));
  EXPECT_FALSE(buttonEnabled("左对齐"));
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended"));

  // The host closes a page itself: its tab goes, the others stay.
  ASSERT_TRUE(s.act("page-close \"窗口: _启动窗口\""));
  EXPECT_TRUE(absent("page-tab \"_启动窗口 - Dialog\""));
  for (const char* tab : {"起始页", "程序集甲"}) EXPECT_TRUE(shown(std::string("page-tab ") + tab)) << tab;

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
