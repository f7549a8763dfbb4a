// The linker selector inside the stand-in: what it shows and lists from a host folder laid out
// by `linker-seed` (link.ini naming LinkerA with the folder in another letter case; LinkerA,
// LinkerB, Broken without link.exe, .hidden), what a pick writes, and the picks that must not
// write: a linker gone since the list was filled, a link.ini that cannot be written. The host
// folder's name carries "乗" (trail byte '\\') and "丄" (trail byte 'A').
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/linker_rules.h"
#include "commands/linker_selector.h"
#include "commands/toolbar_table.h"
#include "commands_fixture.h"
#include "common/win32_support.h"
#include "debugging/debug_output.h"
#include "shell/descriptors.h"
#include "shell/toolbar_builder.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"

namespace tovalux::testing {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void removeTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

class LinkerSelector : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    root_ =
        std::string(temp) + "Tovalux 易乗丄-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    removeTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    fixture().host().setDirectory(root_);  // the host's compile reads link.ini from here
    setLinkerHostFolderForTests(root_);
  }
  void TearDown() override {
    CommandsTest::TearDown();
    setLinkerHostFolderForTests("");
    fixture().action("linker-protect 0");
    removeTree(root_);
  }
  void start(const std::string& seed = "linker-seed") {
    if (!seed.empty()) act(seed);
    buildCommands();
    ASSERT_TRUE(XC_IsHXCGUI(selector(), XC_COMBOBOX));
  }

  HELE selector() { return toolBarSlot13(); }
  std::string shown() { return XC_wtoa(XComboBox_GetText(selector()).c_str()); }
  std::vector<std::string> listed() {
    std::vector<std::string> names;
    for (int i = 0; i < XComboBox_GetCount(selector()); ++i)
      names.push_back(XC_wtoa(XComboBox_GetItemText(selector(), i, 0).c_str()));
    return names;
  }
  // The drop-down as a click opens it (event 72 refills the list), then closed again.
  std::vector<std::string> dropDown() {
    XComboBox_PopupDropList(selector());
    settle();
    XComboBox_CloseDropList(selector());
    return listed();
  }
  int indexOf(const std::string& name) {
    const std::vector<std::string> names = listed();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
  }
  // The user picks item `index` (event 71; the toolkit selects it unless a handler refused).
  void choose(int index) {
    XEle_SendEvent(selector(), XE_COMBOBOX_SELECT, index);
    settle();
  }
  std::string ini() { return commands::linkIniPath(root_); }
  std::string exe(const std::string& name) { return commands::linkerExePath(root_, name); }
  std::vector<ScriptedUi::Call> boxes() { return fixture().ui().calls(ScriptedUi::Kind::kMessageBox); }

  std::string root_;
};

std::string descriptorOf(HXCGUI element) {
  const auto* bkm = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(element));
  if (bkm == nullptr) return {};
  const std::u16string& text = bkm->text();
  return std::string(text.begin(), text.end());
}

std::vector<std::string> sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(LinkerSelector, ShowsTheLinkerInUseAndListsTheInstalledOnes) {
  start();
  ASSERT_NE(readFile(ini()).find("\\LinkerA\\bin\\link.exe"), std::string::npos) << "seeded";
  ASSERT_EQ(readFile(ini()).find(commands::linkerFolder(root_)), std::string::npos) << "in another letter case";
  HELE combo = selector();
  EXPECT_EQ(toolBarElement(toolBar(0), commands::kLinkerPosition), combo);
  EXPECT_EQ(XEle_GetWidth(combo), 160);
  EXPECT_EQ(XEle_GetHeight(combo), 22);
  EXPECT_FALSE(XComboBox_IsEnableEdit(combo));
  EXPECT_NE(XComboBox_GetAdapter(combo), 0);
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(combo).c_str()), "更换选择其它链接器");
  EXPECT_EQ(shown(), "LinkerA") << "the host folder matched whatever its letter case";
  // Broken has no link.exe; .hidden, "." and ".." start with a dot.
  EXPECT_EQ(sorted(listed()), (std::vector<std::string>{"LinkerA", "LinkerB"}));
  // The list keeps the file system's order.
  std::vector<std::string> order;
  for (const std::string& name : listSubfolders(commands::linkerFolder(root_), false))
    if (name != "Broken") order.push_back(name);
  EXPECT_EQ(listed(), order);
  EXPECT_EQ(listSubfolders(commands::linkerFolder(root_) + "\\", true).size(), 3u) << "one backslash added at most";
  EXPECT_EQ(listSubfolders(commands::linkerFolder(root_), true)[0].rfind(commands::linkerFolder(root_) + "\\", 0), 0u);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(LinkerSelector, ALowerCaseHostFolderNamesTheLinkerToo) {
  start("linker-seed case=lower");
  EXPECT_EQ(shown(), "LinkerA");
}

TEST_F(LinkerSelector, WithoutSettingOrLinkerFolderTheNameIsEmpty) {
  start("");
  EXPECT_EQ(shown(), "");
  EXPECT_TRUE(listed().empty());
  act("linker-seed");
  DeleteFileA(ini().c_str());
  EXPECT_EQ(sorted(dropDown()), (std::vector<std::string>{"LinkerA", "LinkerB"})) << "installed while running";
  EXPECT_EQ(currentLinkerName(), "");
}

TEST_F(LinkerSelector, APickRewritesTheSettingAndTheNextCompileLinksWithIt) {
  start();
  act("linker-add LinkerC");
  EXPECT_EQ(indexOf("LinkerC"), -1) << "not listed before the drop-down opens";
  const std::vector<std::string> names = dropDown();
  ASSERT_NE(std::find(names.begin(), names.end(), "LinkerC"), names.end()) << "a linker installed while running";
  choose(indexOf("LinkerB"));
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(shown(), "LinkerB");
  EXPECT_NE(readFile(ini()).find("linker=" + exe("LinkerB") + "\r\n"), std::string::npos) << readFile(ini());
  EXPECT_EQ(currentLinkerName(), "LinkerB");
  act("compile");
  settle();
  EXPECT_NE(editText(buildOutputEdit()).find("使用链接器: " + exe("LinkerB")), std::string::npos)
      << editText(buildOutputEdit());

  // The linker in use picked again: its value is written again, in the layout (here the file
  // was changed behind the IDE's back).
  std::ofstream(ini(), std::ios::binary) << "[linker]\r\nlinker=" << commands::linkerFolder("C:\\Elsewhere")
                                         << "\\LinkerB\\bin\\link.exe\r\n";
  EXPECT_EQ(currentLinkerName(), "");
  choose(indexOf("LinkerB"));
  EXPECT_NE(readFile(ini()).find("linker=" + exe("LinkerB") + "\r\n"), std::string::npos) << readFile(ini());
  EXPECT_EQ(shown(), "LinkerB");
}

TEST_F(LinkerSelector, ALinkerGoneSinceTheListWasFilledShowsTheBoxAndChangesNothing) {
  start();
  ASSERT_EQ(dropDown().size(), 2u);
  act("linker-remove LinkerB");
  const std::string before = readFile(ini());
  fixture().ui().answerMessageBox(IDOK);
  choose(indexOf("LinkerB"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "无法切换链接器:LinkerB\r\n无法找到 link.exe：" + exe("LinkerB"));
  EXPECT_EQ(boxes()[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(readFile(ini()), before);
  EXPECT_EQ(shown(), "LinkerA") << "the toolkit did not go on with the selection";

  // "Broken" in a list filled before its link.exe went (the item put there by hand).
  XComboBox_AddItemText(selector(), XC_AnsiToUnicode("Broken").c_str());
  fixture().ui().answerMessageBox(IDOK);
  choose(XComboBox_GetCount(selector()) - 1);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].text, commands::linkerMissingText(root_, "Broken"));
  EXPECT_EQ(readFile(ini()), before);
  EXPECT_EQ(shown(), "LinkerA");
  EXPECT_EQ(sorted(dropDown()), (std::vector<std::string>{"LinkerA"})) << "the next drop-down lists what is there";
}

class LinkerIniProtected : public LinkerSelector, public ::testing::WithParamInterface<const char*> {};

TEST_P(LinkerIniProtected, AFailedWriteShowsTheErrorAndKeepsTheOldName) {
  start();
  const std::string before = readFile(ini());
  act(GetParam());
  fixture().ui().answerMessageBox(IDOK);
  choose(indexOf("LinkerB"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text.rfind("无法切换链接器:LinkerB\r\n无法写入 " + ini(), 0), 0u) << boxes()[0].text;
  EXPECT_EQ(boxes()[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(shown(), "LinkerA");
  act("linker-protect 0");
  EXPECT_EQ(readFile(ini()), before);
  EXPECT_EQ(currentLinkerName(), "LinkerA");
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyOrHeldOpen, LinkerIniProtected,
                         ::testing::Values("linker-protect 1", "linker-protect 1 lock=1"));

TEST_F(LinkerSelector, LooksAwayAndOver) {
  start();
  HELE combo = selector();
  EXPECT_EQ(descriptorOf(combo), descriptor::kComboBoxAway);
  XEle_SendEvent(combo, XE_MOUSESTAY, 0, 0);
  EXPECT_EQ(descriptorOf(combo), descriptor::kComboBoxOver);
  XEle_SendEvent(combo, XE_MOUSELEAVE, 0);
  EXPECT_EQ(descriptorOf(combo), descriptor::kComboBoxAway);
}

}  // namespace
}  // namespace tovalux::testing
