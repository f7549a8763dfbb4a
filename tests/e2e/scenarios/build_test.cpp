// Building and the side panes as a user works them in ehost.exe with the real plug-in: the build
// commands picked from the menu, pressed on the tool bar or typed as the host's own keys, what
// the build-output pane then shows, the linker picked in its drop-down, the BlackMoon build handed
// its own result and nothing else, and the library and module panes.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

std::string linkerSetting() {
  char value[MAX_PATH] = {};
  GetPrivateProfileStringA("linker", "linker", "", value, sizeof value, testing::hostFile("tools\\link.ini").c_str());
  return value;
}

// A text as one quoted argument of an action line.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The pane the host's output box is mirrored into.
std::string outputPane(const std::string& more) { return "editable-text 调试输出 " + more; }

class Build : public ::testing::Test {
 protected:
  Session s{"e2e_build"};

  // A project loaded, on its program set's page: the build commands are enabled.
  void openProject() {
    CreateDirectoryA(testing::winePath(TOVALUX_HOST_DIR "/samples").c_str(), nullptr);
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(s.act("start-page-close"));
    ASSERT_TRUE(s.act("project-open-sample"));
    ASSERT_TRUE(s.act("project \"" + projectPath() + "\" create=1"));
    ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\" maximized=1"));
    // The user keeps the build output in view.
    ASSERT_TRUE(s.act("ui-click page-tab 调试输出"));
  }
  static std::string projectPath() { return testing::winePath(TOVALUX_HOST_DIR "/samples/演示.e"); }

  // An item of the menu bar, picked with the mouse.
  ::testing::AssertionResult pickMenu(const std::string& menu, const std::string& item) {
    if (auto r = s.act("ui-click menu-item \"" + menu + "\" depth=2"); !r) return r;
    return s.act("ui-click menu-item \"" + item + "\" depth=1");
  }
  ::testing::AssertionResult paneHasLine(const std::string& line, DWORD timeoutMs = 5000) {
    if (s.find(outputPane("line=" + quoted(line)), timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the build-output pane has no line \"" << line << "\"";
  }
  size_t routineCalls(size_t since) { return s.entries("blackmoon-routine", since).size(); }

  // What the plug-in posted to itself has run: a command posted to the host behind it arrived.
  ::testing::AssertionResult postedWorkDone() {
    const size_t mark = s.mark();
    if (auto r = s.act("post-main 0x111 0x80EE 0"); !r) return r;
    if (s.waitFor("command", fieldIs("id", 0x80EE), 5000, mark)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the posted command never arrived";
  }
  bool tabSelected(const std::string& tab) {
    const auto found = s.find("page-tab " + tab);
    return found && Session::has(*found, "selected");
  }
};

TEST_F(Build, ACompileFromTheToolBarFillsTheOutputPaneWithItsLinesAndMarks) {
  openProject();

  // The user presses 编译: the host is asked once, then runs its compile sequence, which empties
  // its box first (a line it wrote after the press goes too), starts a tool that is not a
  // debugged program, and writes its lines.
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("ui-click push-button 编译(F7)"));
  std::vector<int64_t> asked;
  for (const JournalEntry& e : s.entries("ide", mark))
    if ((e.number("number", 0) & 0xFFFF0000) != 0x05030000) asked.push_back(e.number("number", 0));
  EXPECT_EQ(asked, std::vector<int64_t>{0x05020001});
  ASSERT_TRUE(s.act("output-line 上一次的输出"));
  ASSERT_TRUE(paneHasLine("上一次的输出"));
  ASSERT_TRUE(s.act("compile"));
  EXPECT_TRUE(paneHasLine("开始编译: " + projectPath()));
  EXPECT_TRUE(paneHasLine("编译成功"));
  EXPECT_TRUE(s.act("ui-absent " + outputPane("line=上一次的输出")));
  // The tool the compile started is no debugged program: no run log, the run commands stay off.
  EXPECT_TRUE(s.act("ui-absent " + outputPane("value=*开始调试*")));
  const auto stop = s.find("push-button 停止运行(Ctrl+F5)");
  ASSERT_TRUE(stop);
  EXPECT_TRUE(Session::has(*stop, "unavailable"));

  // Marked lines keep their text after the marker, whatever the case of the marker.
  ASSERT_TRUE(s.act("output-line \"* “tv.s” | 编译成功: 演示.exe\""));
  ASSERT_TRUE(s.act("output-line \"* “TV.W” | 警告: 变量未使用\""));
  ASSERT_TRUE(s.act("output-line \"* “tv.d” | 提示: 共 1 个程序集\""));
  EXPECT_TRUE(paneHasLine("* 编译成功: 演示.exe"));
  EXPECT_TRUE(paneHasLine("* 警告: 变量未使用"));
  EXPECT_TRUE(paneHasLine("* 提示: 共 1 个程序集"));

  // The host switching its output tabs: 搜寻1 and 输出 bring their panes forward, 提示 nothing.
  ASSERT_TRUE(s.act("tab-select 搜寻1"));
  ASSERT_TRUE(postedWorkDone());
  EXPECT_TRUE(tabSelected("搜寻结果1"));
  EXPECT_FALSE(tabSelected("调试输出"));
  ASSERT_TRUE(s.act("tab-select 输出"));
  ASSERT_TRUE(postedWorkDone());
  EXPECT_TRUE(tabSelected("调试输出"));
  EXPECT_FALSE(tabSelected("搜寻结果1"));
  ASSERT_TRUE(s.act("tab-select 提示"));
  ASSERT_TRUE(postedWorkDone());
  EXPECT_TRUE(tabSelected("调试输出"));
  EXPECT_FALSE(tabSelected("帮助提示"));

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(Build, ALinkerPickedInTheDropDownIsWrittenAndUsedByTheNextCompile) {
  testing::removeSeededLinkers();
  openProject();
  ASSERT_TRUE(s.act("linker-seed"));
  ASSERT_TRUE(s.act("linker-add Broken"));
  const std::string combo = "combo-box 更换选择其它链接器";

  // The drop-down lists the installed linkers, those whose folder holds bin\link.exe.
  ASSERT_TRUE(s.act("ui-click " + combo));
  for (const char* name : {"LinkerA", "LinkerB", "Broken"}) EXPECT_TRUE(s.find(std::string("list-item ") + name));
  EXPECT_TRUE(s.act("ui-absent list-item .hidden"));
  ASSERT_TRUE(s.act("ui-click list-item LinkerB"));
  EXPECT_TRUE(s.find(combo + " value=LinkerB"));
  EXPECT_EQ(linkerSetting(), testing::hostFile("linker\\LinkerB\\bin\\link.exe"));
  ASSERT_TRUE(s.act("compile"));
  EXPECT_TRUE(paneHasLine("使用链接器: " + linkerSetting()));

  // A linker removed while its name is in the open list: the box says so, the setting stays.
  ASSERT_TRUE(s.act("ui-click " + combo));
  ASSERT_TRUE(s.find("list-item Broken"));
  ASSERT_TRUE(s.act("linker-remove Broken"));
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("dialog-answer 无法切换链接器 ok"));
  ASSERT_TRUE(s.act("ui-click list-item Broken"));
  const auto box = s.waitFor("dialog", {}, 10000, mark);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->get("text").value_or("").rfind("无法切换链接器:Broken\r\n无法找到 link.exe：", 0), 0u)
      << box->get("text").value_or("");
  EXPECT_EQ(linkerSetting(), testing::hostFile("linker\\LinkerB\\bin\\link.exe"));

  EXPECT_TRUE(s.closeNormally());
  testing::removeSeededLinkers();
}

// The module list the plug-in keeps, kept aside and put back: H is shared by every run.
class ModuleList {
 public:
  ModuleList() : path_(testing::hostFile("lib\\Tovalux\\EcManager.json")), saved_(testing::readWholeFile(path_)) {
    had_ = GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
    CreateDirectoryA(testing::hostFile("modules").c_str(), nullptr);
  }
  ~ModuleList() {
    if (had_)
      write(saved_);
    else
      DeleteFileA(path_.c_str());
    for (const std::string& file : files_) DeleteFileA(file.c_str());
  }
  // A module file of its own content under H\modules.
  std::string module(const std::string& name) {
    const std::string file = testing::hostFile("modules\\" + name);
    std::ofstream(file, std::ios::binary) << "module " << name;
    files_.push_back(file);
    return file;
  }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << text; }
  static std::string entry(const std::string& file) {
    std::string out;
    for (const char c : file) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + out + "\"";
  }

 private:
  std::string path_, saved_;
  bool had_ = false;
  std::vector<std::string> files_;
};

TEST_F(Build, TheModulePaneAddsAReferenceOnlyToAnOpenProjectAndReloadsWhenTold) {
  ModuleList list;
  const std::string a = list.module("界面扩展.ec"), b = list.module("数据加密.ec");
  list.write("{\"常用\":[" + ModuleList::entry(a) + "," + ModuleList::entry(b) + "]}");
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("start-page-close"));
  ASSERT_TRUE(s.act("notepad-open"));
  ASSERT_TRUE(s.act("ui-click page-tab 常用模块"));
  ASSERT_TRUE(s.act("ui-click outline-item 常用 at=left"));
  ASSERT_TRUE(s.find("outline-item 界面扩展.ec", 5000));
  EXPECT_TRUE(s.find("outline-item 数据加密.ec"));

  // No project: a double click says why nothing can be added.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("dialog-answer 当前还未新建或打开易语言源代码 ok"));
  // The box opens on the second press; its own loop takes the release the click waits for.
  s.act("ui-click outline-item 界面扩展.ec clicks=2");
  const auto box = s.waitFor("dialog", {}, 10000, mark);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->get("text"), "当前还未新建或打开易语言源代码,无法自动添加引用模块");
  EXPECT_TRUE(s.entries("module-reference", mark).empty());

  // With a project: the host adds the reference, the build output comes forward with its line.
  ASSERT_TRUE(s.act("project-open-sample"));
  mark = s.mark();
  ASSERT_TRUE(s.act("ui-click outline-item 界面扩展.ec clicks=2"));
  const auto added = s.waitFor("module-reference", {}, 5000, mark);
  ASSERT_TRUE(added);
  EXPECT_EQ(added->get("path"), a);
  EXPECT_EQ(added->get("added"), "1");
  EXPECT_TRUE(paneHasLine("引用模块>" + a));
  ASSERT_TRUE(postedWorkDone());
  EXPECT_TRUE(tabSelected("调试输出"));
  ASSERT_TRUE(s.act("ui-click page-tab 常用模块"));

  // Another program changed the list: 9909 (1, 0) only passes the host, (1, 1) reloads and logs.
  const std::string c = list.module("文件操作.ec");
  list.write("{\"工具\":[" + ModuleList::entry(c) + "]}");
  mark = s.mark();
  ASSERT_TRUE(s.act("send-main 9909 1 0"));
  EXPECT_TRUE(s.find("outline-item 常用"));
  EXPECT_TRUE(s.act("ui-absent outline-item 工具"));
  ASSERT_TRUE(s.act("send-main 9909 1 1"));
  EXPECT_TRUE(s.find("outline-item 工具", 5000));
  EXPECT_TRUE(s.act("ui-absent outline-item 常用"));
  const std::string reloadLine = std::to_string(reinterpret_cast<uintptr_t>(s.run().mainWindow())) + " 收到模块管理";
  std::vector<std::string> logged;
  for (const JournalEntry& e : s.entries("notepad", mark)) logged.push_back(e.get("text").value_or(""));
  EXPECT_EQ(std::count(logged.begin(), logged.end(), reloadLine), 1) << "the log: " << logged.size() << " lines";

  EXPECT_TRUE(s.closeNormally());
}

TEST_F(Build, TheLibraryPaneShowsTheHostsTipsInBothLayoutsAndEmptiesOnADelete) {
  const std::string settings = testing::hostFile("lib\\Tovalux\\Tovalux.ini");
  ASSERT_TRUE(s.start());
  // The tree layout: an item picked shows the host's help for it, set as the selection changed.
  ASSERT_TRUE(s.act("ui-click outline-item \"Tovalux IDE\" at=left"));
  ASSERT_TRUE(s.act("ui-click outline-item 调试辅助 at=left"));
  ASSERT_TRUE(s.act("ui-click outline-item Tovalux_反汇编_OD"));
  EXPECT_TRUE(s.find("editable-text 帮助提示 line=英文名称：Tovalux_反汇编_OD"));
  ASSERT_TRUE(s.act("ui-click outline-item 演示核心库 at=left"));
  ASSERT_TRUE(s.act("ui-click outline-item 流程控制"));
  EXPECT_TRUE(s.find("editable-text 帮助提示 value=流程控制"));
  // The host deletes one item: the pane empties.
  ASSERT_TRUE(s.act("library-tree-delete 判断"));
  EXPECT_TRUE(s.act("ui-absent outline-item 演示核心库"));
  EXPECT_TRUE(s.act("ui-absent outline-item \"Tovalux IDE\""));
  EXPECT_TRUE(s.closeNormally());

  // The split layout (LibTree off, read at start): a category's entries in a list of their own,
  // the help below them.
  WritePrivateProfileStringA("Theme", "LibTree", "fasle", settings.c_str());
  Session split{"e2e_build_libsplit"};
  ASSERT_TRUE(split.start());
  WritePrivateProfileStringA("Theme", "LibTree", "true", settings.c_str());
  ASSERT_TRUE(split.act("ui-click outline-item 演示核心库 at=left"));
  ASSERT_TRUE(split.act("ui-click outline-item 流程控制"));
  for (const char* entry : {"如果", "判断", "计次循环首"}) EXPECT_TRUE(split.find(std::string("list-item ") + entry));
  EXPECT_TRUE(split.find("editable-text 易支持库 value=流程控制"));
  ASSERT_TRUE(split.act("ui-click list-item 计次循环首"));
  EXPECT_TRUE(split.find("editable-text 易支持库 line=英文名称：计次循环首"));
  EXPECT_TRUE(split.closeNormally());
}

TEST_F(Build, BlackMoonHandsTheRoutineOnlyItsOwnResultWhateverStartedTheNextBuild) {
  openProject();

  // Without the plug-in: the error box, and nothing asked of the host.
  {
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("dialog-answer 未检测到黑月编译插件 ok"));
    ASSERT_TRUE(pickMenu("生成(C)", "黑月静态编译"));
    const auto box = s.waitFor("dialog", {}, 10000, mark);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->get("text"), "未检测到黑月编译插件,黑月编译插件支持库未安装或未启用");
    EXPECT_TRUE(s.entries("command", mark).empty()) << s.entries("command", mark)[0].get("id").value_or("");
    EXPECT_TRUE(s.entries("blackmoon-build", mark).empty());
  }

  ASSERT_TRUE(s.act("blackmoon-load"));

  // From the menu: the build command is posted, the routine gets the quoted path once.
  {
    const size_t mark = s.mark();
    ASSERT_TRUE(pickMenu("生成(C)", "黑月静态编译"));
    const auto build = s.waitFor("blackmoon-build", {}, 10000, mark);
    ASSERT_TRUE(build);
    const auto routine = s.waitFor("blackmoon-routine", {}, 10000, mark);
    ASSERT_TRUE(routine);
    EXPECT_EQ(routine->get("path"), "C:\\EProjects\\demo_bm.exe");
    EXPECT_EQ(routine->get("second"), "0");
    EXPECT_TRUE(paneHasLine("黑月编译: 开始静态编译"));
    EXPECT_EQ(routineCalls(mark), 1u);
  }

  // From the tool bar, the plug-in giving no path: the failure line, no call.
  {
    ASSERT_TRUE(s.act("blackmoon-mode no-quotes"));
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click push-button 黑月静态编译"));
    ASSERT_TRUE(s.waitFor("blackmoon-build", {}, 10000, mark));
    EXPECT_TRUE(paneHasLine("使用黑月编译时发生异常,无法获取当前编译保存路径,黑月编译失败..."));
    EXPECT_EQ(routineCalls(mark), 0u);
  }

  // The plug-in writes no result line at all; the user then builds statically with the host's
  // own key. That build's result is the host's, not the plug-in's.
  {
    ASSERT_TRUE(s.act("blackmoon-mode silent"));
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click push-button 黑月静态编译"));
    ASSERT_TRUE(s.waitFor("blackmoon-build", {}, 10000, mark));
    ASSERT_TRUE(s.act("key 0x76 shift=1"));
    ASSERT_TRUE(s.waitFor("command", fieldIs("id", 0x8072), 10000, mark)) << "Shift+F7 never reached the host";
    EXPECT_TRUE(paneHasLine("写出可执行文件\"" + testing::hostFile("out\\demo.exe") + "\"成功"));
    EXPECT_EQ(routineCalls(mark), 0u) << "the host's own build result went to the plug-in";
  }

  // F7 after a silent start: the same.
  {
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click push-button 黑月静态编译"));
    ASSERT_TRUE(s.waitFor("blackmoon-build", {}, 10000, mark));
    ASSERT_TRUE(s.act("key 0x76"));
    ASSERT_TRUE(s.waitFor("command", fieldIs("id", 0x8071), 10000, mark));
    EXPECT_TRUE(paneHasLine("编译成功"));
    // A stray result line afterwards is no build's of the plug-in's either.
    ASSERT_TRUE(s.act(R"(output-line "写出可执行文件\"C:\\EProjects\\stray.exe\"成功")"));
    EXPECT_TRUE(paneHasLine("写出可执行文件\"C:\\EProjects\\stray.exe\"成功"));
    EXPECT_EQ(routineCalls(mark), 0u);
  }

  // The next BlackMoon build is handed its result as before.
  {
    ASSERT_TRUE(s.act("blackmoon-mode normal"));
    const size_t mark = s.mark();
    ASSERT_TRUE(s.act("ui-click push-button 黑月静态编译"));
    const auto routine = s.waitFor("blackmoon-routine", {}, 10000, mark);
    ASSERT_TRUE(routine);
    EXPECT_EQ(routine->get("path"), "C:\\EProjects\\demo_bm.exe");
    EXPECT_EQ(routineCalls(mark), 1u);
  }

  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
