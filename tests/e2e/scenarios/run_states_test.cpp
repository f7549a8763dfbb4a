// The menus and the main tool bar follow what the IDE is doing, as the user sees them in ehost.exe
// with the real plug-in: every menu opened with the mouse and every tool-bar button read through
// the accessible tree in each state the host can be in. The expected states are the host's
// command table written out here, never read from the plug-in's own rules.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

enum State { kNoProject, kProject, kDesigner, kRunning, kPaused, kUnmarked, kStates };
const char* const kStateNames[kStates] = {"no project", "a program set's page", "a window-designer page", "running",
                                          "paused",     "debugging, no marker"};

// One row: the items (or buttons) it names and whether they are on in each state.
struct Row {
  std::vector<const char*> names;
  bool on[kStates];
};

// The menus "文件(F)" to "工具(T)"; items not listed here are never disabled.
const std::map<std::string, std::vector<Row>> kMenus = {
    {"文件(F)",
     {{{"关闭(C)", "保存(S)", "另存为(A)", "打印", "配置(U)"}, {false, true, true, true, true, true}},
      {{"新建(N)", "打开(O)", "重新关联名称(L)", "退出(X)"}, {true, true, true, true, true, true}}}},
    {"编辑(E)",
     {{{"撤销(U)", "重做(R)", "粘贴(T)", "剪切(P)", "删除行(D)", "寻找下一个(N)", "寻找上一个(V)", "导入其它程序(Z)"},
       {false, true, true, false, false, false}},
      {{"复制(C)", "开始寻找(F)", "高亮标记单词(G)", "寻找替换(H)", "整体搜寻(E)", "置为只读状态(Y)"},
       {false, true, true, true, true, true}}}},
    {"查看(V)",
     {{{"自定义数据类型表(D)", "全局变量表(G)", "DLL命令定义表(L)", "常量数据表(C)", "图片资源表", "声音资源表",
        "到最近修改处(J)", "设置或取消书签(B)", "到上一个书签(P)", "到下一个书签(N)", "书签跳转(K)"},
       {false, true, true, true, true, true}},
      {{"预览被设计窗口(V)"}, {false, false, true, false, false, false}}}},
    {"插入(I)",
     {{{"现行单元(N)", "类模块(C)", "程序集(M)", "子程序(S)", "窗口(F)", "数据类型(D)", "全局变量(G)", "DLL命令(L)",
        "常量(T)", "图片资源", "声音资源", "参数(A)", "局部变量(O)", "文件名(I)"},
       {false, true, true, false, false, false}}}},
    {"数据库(B)",
     {{{"结构编辑器(S)", "记录编辑器(R)", "数据库语言转换(L)", "数据库格式转换(C)"},
       {false, true, true, true, true, true}}}},
    {"调试(R)",
     {{{"运行(S)", "以指定类型运行(M)"}, {false, true, true, false, true, false}},
      {{"终止(E)"}, {false, false, false, true, true, true}},
      {{"查看变量表达式(V)", "单步跟踪(O)", "单步跟踪进入(I)", "跟踪返回(U)", "执行到光标处(R)", "到现行执行位置(G)"},
       {false, false, false, false, true, false}},
      {{"设置或清除断点(T)", "条件断点(A)"}, {false, true, true, true, true, false}},
      {{"清除所有断点(C)", "到运行时错误相关位置(N)"}, {false, true, true, true, true, true}}}},
    {"生成(C)",
     {{{"编译(C)", "静态编译(S)", "独立编译(D)", "编译为易包(P)", "编译为指定类型(M)", "静态编译为指定类型(T)",
        "编译生成安装软件(I)", "黑月静态编译"},
       {false, true, true, false, false, false}}}},
    {"工具(T)",
     {{{"菜单编辑器(M)"}, {false, false, true, false, false, false}},
      {{"报表编辑器(R)", "执行易向导(W)", "系统设置(O)", "在模块或支持库搜索(F)"},
       {true, true, true, true, true, true}}}},
};

// The main tool bar's buttons by their tips, and the linker selector.
const std::vector<Row> kToolBar = {
    {{"新建", "打开(Ctrl+O)", "系统设置"}, {true, true, true, true, true, true}},
    {{"跳回前跳转处", "跳到调用命令处", "保存(Ctrl+S)", "复制(Ctrl+C)"}, {false, true, true, true, true, true}},
    {{"剪切(Ctrl+X)", "粘贴(Ctrl+V)", "撤销(Ctrl+Z)", "重做"}, {false, true, true, false, false, false}},
    {{"编译(F7)", "静态编译(Shift+F7)", "黑月静态编译", "程序配置"}, {false, true, true, false, false, false}},
    {{"运行(F5)"}, {false, true, true, false, true, false}},
    {{"整体搜寻", "重新运行", "查看帮助提示(F1)", "设置书签(Ctrl+F6)", "到上一个书签", "到下一个书签", "跳转书签"},
     {false, true, true, true, true, true}},
    {{"停止运行(Ctrl+F5)"}, {false, false, false, true, true, true}},
    {{"设置断点(F9)", "删除全部断点"}, {false, true, true, true, true, true}},
    {{"查看(Shift+F9)", "执行到光标处(Ctrl+F8)", "单步(F8)", "单步进入(Shift+F8)", "跟踪返回(Ctrl+Shift+F8)"},
     {false, false, false, false, true, true}},
};

class RunStates : public ::testing::Test {
 protected:
  Session s{"e2e_run_states"};
  std::vector<std::string> wrong;

  // What the latest ui-dump says of each object of `role` at `depth`, in windows other than
  // (or only) the frame: name -> enabled.
  std::map<std::string, bool> dumped(const std::string& role, const std::string& depth, bool inFrame, size_t since) {
    std::map<std::string, bool> found;
    const auto entries = s.entries("ui", since);
    const std::string frame = entries.empty() ? "" : entries.front().get("window").value_or("");
    for (const JournalEntry& e : entries)
      if (e.get("role") == role && e.get("depth") == depth && (e.get("window") == frame) == inFrame)
        found[e.get("name").value_or("")] = !Session::has(e, "unavailable");
    return found;
  }

  void check(const std::string& where, const std::vector<Row>& rows, const std::map<std::string, bool>& seen,
             State state) {
    for (const Row& row : rows)
      for (const char* name : row.names) {
        const auto it = seen.find(name);
        if (it == seen.end())
          wrong.push_back(where + " › " + name + ": not shown");
        else if (it->second != row.on[state])
          wrong.push_back(where + " › " + name + ": " + (it->second ? "on" : "off") + " " + kStateNames[state]);
      }
  }

  // Every menu opened with the mouse, then the tool bar, in this state.
  void checkState(State state) {
    ASSERT_TRUE(s.act("send-main 0x362 0xE001 0"));  // the host's status-line update
    for (const auto& [menu, rows] : kMenus) {
      ASSERT_TRUE(s.act("ui-click menu-item " + menu + " depth=2"));
      const size_t since = s.mark();
      ASSERT_TRUE(s.act("ui-dump"));
      check(menu, rows, dumped("menu-item", "1", false, since), state);
      ASSERT_TRUE(s.act("key 0x1B"));
    }
    const size_t since = s.mark();
    ASSERT_TRUE(s.act("ui-dump"));
    check("tool bar", kToolBar, dumped("push-button", "2", true, since), state);
    const auto linker = dumped("combo-box", "2", true, since);
    const auto it = linker.find("更换选择其它链接器");
    if (it == linker.end() || it->second != (state != kNoProject))
      wrong.push_back(std::string("the linker selector ") + kStateNames[state]);
  }
};

TEST_F(RunStates, MenusAndToolBarFollowTheProjectThePageAndTheRun) {
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("start-page-close"));
  checkState(kNoProject);

  ASSERT_TRUE(s.act("project-open-sample"));
  ASSERT_TRUE(s.act("project \"" + testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e") + "\" create=1"));
  ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\" maximized=1"));
  checkState(kProject);
  ASSERT_TRUE(s.act("page-open \"窗口: _启动窗口\" maximized=1"));
  checkState(kDesigner);
  ASSERT_TRUE(s.act("page-activate \"程序集: 窗口程序集_启动窗口\""));

  ASSERT_TRUE(s.act("debuggee-script \"int3;sleep 30000;exit 0\""));
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("debug-run"));
  ASSERT_TRUE(s.waitFor(
      "caption",
      [](const JournalEntry& e) { return e.get("text").value_or("").find("[正在运行]") != std::string::npos; }, 20000,
      mark));
  checkState(kRunning);
  // The host's caption without a run marker while its debugger still runs the program.
  ASSERT_TRUE(s.act("run-state idle"));
  checkState(kUnmarked);
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended", {}, 20000, mark));

  mark = s.mark();
  ASSERT_TRUE(s.act("debug-run pause=1"));
  ASSERT_TRUE(s.waitFor("debug-paused", {}, 20000, mark));
  checkState(kPaused);
  ASSERT_TRUE(s.act("debug-stop"));
  ASSERT_TRUE(s.waitFor("debug-ended", {}, 20000, mark));

  for (const std::string& w : wrong) ADD_FAILURE() << w;
  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
