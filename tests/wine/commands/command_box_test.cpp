// The command box inside the stand-in, driven by real keys: the focus key from a code page, the
// list filtered as the user types characters, initials and syllables, Up/Down and Enter running
// the chosen command with exactly one host call (logged, and recorded in Tovalux.ini), disabled
// commands greyed and refused, Escape giving the keyboard back to the code page, the key taken
// from the INI, and the Part giving its hook back at shut-down.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "commands/command_box.h"
#include "commands/command_list.h"
#include "commands/command_usage.h"
#include "commands_fixture.h"
#include "host/host_windows.h"
#include "settings/settings.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/element.h"
#include "wine/toolkit/toolkit_screen.h"

namespace tovalux::testing {
namespace {

class CommandBoxTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    writeSetting("CommandBox", "Usage", "");
    writeSetting("CommandBox", "FocusKey", "");
  }
  void TearDown() override {
    writeSetting("CommandBox", "Usage", "");
    writeSetting("CommandBox", "FocusKey", "");
    act("recent-files-clear");
    CommandsTest::TearDown();
  }

  // A project with a code page that has the keyboard, the frame in front.
  void startWithProject() {
    act("program-tree 3");
    buildCommands();
    act("page-open \"程序集: 窗口程序集_启动窗口\"");
    showInFront(frameWindow());
    focusCodePage();
  }
  HWND activePage() { return reinterpret_cast<HWND>(SendMessageA(hostWindows().mdiClient(), WM_MDIGETACTIVE, 0, 0)); }
  void focusCodePage() {
    HWND page = activePage();
    ASSERT_NE(page, nullptr);
    SetFocus(page);
    ASSERT_TRUE(waitFor("the code page with the keyboard", [&] { return codePageHasKeyboard(); }));
  }
  bool codePageHasKeyboard() {
    HWND focus = GetFocus();
    HWND page = activePage();
    return focus != nullptr && page != nullptr && (focus == page || IsChild(page, focus));
  }

  // Real keys: the modifiers go down, the key is pressed, the modifiers come up.
  void chord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD vk : keys) {
      INPUT down{};
      down.type = INPUT_KEYBOARD;
      down.ki.wVk = vk;
      input.push_back(down);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
      INPUT up{};
      up.type = INPUT_KEYBOARD;
      up.ki.wVk = *it;
      up.ki.dwFlags = KEYEVENTF_KEYUP;
      input.push_back(up);
    }
    const unsigned before = seenSoFar().keyUps;
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    waitFor("the keys taken", [&] { return seenSoFar().keyUps - before >= keys.size(); });
  }
  void focusKey() { chord({VK_CONTROL, VK_SHIFT, 'P'}); }

  // Types `text` (UTF-16, so Chinese characters arrive as the IME would give them) and waits
  // until the box has filtered once per character.
  void typeInBox(const std::wstring& text) {
    const uint32_t before = commandBoxCounters().filters;
    type(text);
    waitFor("the list filtered", [&] { return commandBoxCounters().filters - before >= text.size(); });
  }

  HELE popupList() {
    const HWINDOW popup = XComboBox_GetPopupWindow(commandBox());
    return popup != 0 ? static_cast<HELE>(XWnd_GetChildByIndex(popup, 0)) : 0;
  }
  int chosenRow() { return popupList() != 0 ? XListBox_GetSelectItem(popupList()) : -1; }
  std::string row(size_t i) {
    const std::vector<std::string> rows = commandBoxRows();
    return i < rows.size() ? rows[i] : std::string();
  }
  std::vector<std::string> notepadLines(size_t since) {
    std::vector<std::string> lines;
    for (const auto& e : fixture().entries("notepad", since)) lines.push_back(std::string(*e.get("text")));
    return lines;
  }
  // Enter, then what it queued (the command runs as a UI job).
  void enter() {
    chord({VK_RETURN});
    settle();
  }
};

TEST_F(CommandBoxTest, SitsInTheCaptionLeftOfTheUserButtons) {
  buildCommands();
  HELE combo = commandBox();
  ASSERT_TRUE(XC_IsHXCGUI(combo, XC_COMBOBOX));
  const RECT box = clientRect(combo);
  for (const char* name : {"proJectNameBtn", "userType", "JoinQQGroup"}) {
    const RECT button = clientRect(static_cast<HELE>(frameElement(name)));
    EXPECT_LE(box.right, button.left) << name;
    EXPECT_LT(box.top, button.bottom) << name;  // on the caption's row
    EXPECT_GT(box.bottom, button.top) << name;
  }
  EXPECT_GT(box.right - box.left, 150);
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(combo).c_str()), "搜索命令 (Ctrl+Shift+P)");
  // The key is written where the user can change it.
  EXPECT_EQ(readSetting("CommandBox", "FocusKey"), "Ctrl+Shift+P");
}

TEST_F(CommandBoxTest, TheKeyTypingAndEnterRunOneCommand) {
  act("notepad-open");
  startWithProject();
  focusKey();
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  EXPECT_EQ(GetFocus(), frameWindow());
  EXPECT_EQ(XWnd_GetFocusEle(shellFrame()), commandBox());
  // Every command, before anything is typed.
  EXPECT_EQ(commandBoxRows().size(), commands::buildCommandList().size());
  ASSERT_NE(popupList(), 0u);

  typeInBox(L"jtby");
  EXPECT_EQ(row(0), "生成(C) > 静态编译(S)");
  EXPECT_EQ(row(1), "工具栏 > 静态编译");
  EXPECT_EQ(chosenRow(), 0);
  chord({VK_DOWN});
  EXPECT_EQ(chosenRow(), 1);

  const size_t before = journalSize();
  enter();
  // The tool bar's 静态编译: the output emptied and brought forward, then one host call.
  EXPECT_EQ(ideCalls(before), std::vector<uint32_t>{0x05020007});
  EXPECT_TRUE(commandsSent(before).empty());
  EXPECT_EQ(notepadLines(before), std::vector<std::string>{"命令框: 工具栏 > 静态编译"});
  EXPECT_FALSE(commandBoxActive());
  EXPECT_EQ(XComboBox_GetPopupWindow(commandBox()), 0u);
  EXPECT_TRUE(XComboBox_GetText(commandBox()).empty());
  EXPECT_TRUE(codePageHasKeyboard());
  EXPECT_EQ(readSetting("CommandBox", "Usage"), "t16*1");

  // Next time the used command comes first among equals.
  focusKey();
  ASSERT_TRUE(waitFor("the box again", [] { return commandBoxActive(); }));
  EXPECT_EQ(row(0), "工具栏 > 静态编译");
  typeInBox(L"jtby");
  EXPECT_EQ(row(0), "工具栏 > 静态编译");
  EXPECT_EQ(row(1), "生成(C) > 静态编译(S)");
  chord({VK_ESCAPE});
}

TEST_F(CommandBoxTest, CharactersSyllablesAndMenuItemsRunAsTheMenuDoes) {
  startWithProject();
  struct Case {
    const wchar_t* typed;
    const char* first;
    uint32_t function;
  };
  const Case cases[] = {
      {L"编译", "生成(C) > 编译(C)", 0x05020001},
      {L"bianyiwei", "生成(C) > 编译为易包(P)", 0x05020008},
      {L"qjbl", "插入(I) > 全局变量(G)", 0x0202000B},
      {L"dllml", "插入(I) > DLL命令(L)", 0x0202000C},
  };
  for (const Case& c : cases) {
    focusKey();
    ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
    typeInBox(c.typed);
    EXPECT_EQ(row(0), c.first);
    const size_t before = journalSize();
    enter();
    EXPECT_EQ(ideCalls(before), std::vector<uint32_t>{c.function}) << c.first;
    EXPECT_TRUE(codePageHasKeyboard()) << c.first;
  }
}

TEST_F(CommandBoxTest, RecentFilesAndPanesAreCommandsToo) {
  act("recent-file 1 \"C:\\EProjects\\demo.e\" create=1");
  startWithProject();
  focusKey();
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  typeInBox(L"demo");
  ASSERT_EQ(row(0), "文件(F) > demo.e");
  size_t before = journalSize();
  enter();
  ASSERT_EQ(fixture().entries("open-project", before).size(), 1u);
  EXPECT_EQ(*fixture().entries("open-project", before)[0].get("path"), "C:\\EProjects\\demo.e");
  // The host opens the project inside that call; the plug-in only asks the new pages' kind then.
  std::vector<uint32_t> calls = ideCalls(before);
  std::erase(calls, 0x05030002u);
  EXPECT_EQ(calls, std::vector<uint32_t>{0x03010008});

  const bool shown = XPane_IsShowPane(pane(6));
  focusKey();
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  typeInBox(L"tssc");
  ASSERT_EQ(row(0), "视图(W) > 调试输出");
  before = journalSize();
  enter();
  EXPECT_NE(XPane_IsShowPane(pane(6)), shown);
  EXPECT_TRUE(ideCalls(before).empty());
}

TEST_F(CommandBoxTest, DisabledCommandsAreGreyAndDoNotRun) {
  buildCommands();  // no project: 运行 is off
  showInFront(frameWindow());
  focusKey();
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  typeInBox(L"yx");
  ASSERT_EQ(row(0), "调试(R) > 运行(S)");
  EXPECT_FALSE(commandBoxRowsEnabled()[0]);
  // The row's name is drawn in the disabled grey, an enabled row's in the light text colour.
  HXCGUI name = XListBox_GetTemplateObject(popupList(), 0, 2);
  ASSERT_NE(name, 0u);
  auto* text = tk::context().registry.get<tk::Element>(name);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->effectiveTextColor().first, XRGB(101, 101, 101));

  const size_t before = journalSize();
  const uint32_t refused = commandBoxCounters().refused;
  enter();
  EXPECT_TRUE(ideCalls(before).empty());
  EXPECT_EQ(commandBoxCounters().refused, refused + 1);
  EXPECT_TRUE(commandBoxActive()) << "a refused command leaves the box as it was";
  EXPECT_EQ(readSetting("CommandBox", "Usage"), "");

  // 新建 needs no project.
  chord({VK_BACK});
  chord({VK_BACK});
  EXPECT_TRUE(XComboBox_GetText(commandBox()).empty());
  typeInBox(L"xj");
  ASSERT_EQ(row(0), "文件(F) > 新建(N)");
  EXPECT_TRUE(commandBoxRowsEnabled()[0]);
  enter();
  EXPECT_EQ(ideCalls(before), std::vector<uint32_t>{0x03010001});
}

TEST_F(CommandBoxTest, EscapeGivesTheKeyboardBackAndRunsNothing) {
  startWithProject();
  focusKey();
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  typeInBox(L"by");
  const size_t before = journalSize();
  chord({VK_ESCAPE});
  EXPECT_FALSE(commandBoxActive());
  EXPECT_EQ(XComboBox_GetPopupWindow(commandBox()), 0u);
  EXPECT_TRUE(XComboBox_GetText(commandBox()).empty());
  EXPECT_TRUE(codePageHasKeyboard());
  EXPECT_TRUE(ideCalls(before).empty());
  EXPECT_TRUE(commandsSent(before).empty());
}

TEST_F(CommandBoxTest, TheKeyComesFromTheSettingsFile) {
  writeSetting("CommandBox", "FocusKey", "Alt+Q");
  startWithProject();
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(commandBox()).c_str()), "搜索命令 (Alt+Q)");
  focusKey();  // Ctrl+Shift+P is not the key now: it stays the code page's
  EXPECT_FALSE(commandBoxActive());
  EXPECT_TRUE(codePageHasKeyboard());
  chord({VK_MENU, 'Q'});
  ASSERT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  chord({VK_ESCAPE});
  EXPECT_TRUE(codePageHasKeyboard());
}

TEST_F(CommandBoxTest, AHostShortcutIsNotTaken) {
  writeSetting("CommandBox", "FocusKey", "Ctrl+O");
  startWithProject();
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(commandBox()).c_str()), "搜索命令 (Ctrl+Shift+P)");
  focusKey();
  EXPECT_TRUE(waitFor("the box with the keyboard", [] { return commandBoxActive(); }));
  chord({VK_ESCAPE});
}

TEST_F(CommandBoxTest, ShutDownGivesTheKeyBack) {
  startWithProject();
  EXPECT_TRUE(commandBoxKeyHookInstalled());
  EXPECT_EQ(fixture().freeLibraryData(), 0);
  EXPECT_FALSE(commandBoxKeyHookInstalled());
  EXPECT_FALSE(focusCommandBox());
  EXPECT_EQ(commandBox(), 0u);
}

}  // namespace
}  // namespace tovalux::testing
