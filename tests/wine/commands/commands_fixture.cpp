#include "commands_fixture.h"

#include <commctrl.h>

#include "commands/commands.h"
#include "commands/dialog_calls.h"
#include "common/win32_support.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::testing {

void CommandsTest::SetUp() {
  SetCurrentDirectoryA(winePath(TOVALUX_HOST_DIR).c_str());
  ASSERT_TRUE(host().createWindows());
  host().journal().clear();
  setHostNotifyFunction(&standin::hostNotifyEntry);
  hostWindows().setMainWindow(host().mainWindow());
  setDebugging(false);
  commands::DialogCalls& calls = commands::dialogCalls();
  calls.messageBox = [this](HWND, const std::string& text, const std::string&, UINT flags) {
    dialogs.push_back("message " + std::to_string(flags) + " " + text);
    return IDOK;
  };
  calls.aboutBox = [this](HWND owner, const std::string& app, const std::string& other) {
    dialogs.push_back("about " + app + "|" + other + (owner == shellFrameHwnd() ? "" : " (not owned by the frame)"));
    return true;
  };
  calls.openWebPage = [this](const std::string& address) {
    dialogs.push_back("web " + address);
    return true;
  };
  ASSERT_TRUE(XInitXCGUI("Tovalux"));
  ASSERT_TRUE(openUiJobs());
  createTestFrame();
}

void CommandsTest::TearDown() {
  closeUiJobs();
  destroyTestFrame();
  XExitXCGUI();
  setDebugging(false);
  host().destroyWindows();
  pumpMessages();
  commands::dialogCalls() = commands::realDialogCalls();
}

void CommandsTest::buildCommands() {
  installCommandBuilders();
  frameBuilders().buildToolBars();
  frameBuilders().buildMainMenu();
  XWnd_AdjustLayout(shellFrame());
  settle();
}

HWND CommandsTest::frameWindow() { return shellFrameHwnd(); }
HELE CommandsTest::menuBar() { return static_cast<HELE>(frameElement("winMainTopMenu")); }
HELE CommandsTest::toolBar(int index) {
  return static_cast<HELE>(frameElement(index == 0 ? "winToolBar0" : "winToolBar1"));
}

std::vector<ShownItem> CommandsTest::shownItems(int menuIndex) {
  std::vector<ShownItem> items;
  auto* menu = tk::context().registry.get<tk::Menu>(XMenuBar_GetMenu(menuBar(), menuIndex));
  if (menu == nullptr) return items;
  for (const tk::MenuItem& item : menu->items) {
    ShownItem shown;
    shown.id = item.id;
    const tk::MenuItem* parent = item.parentKey != 0 ? menu->byKey(item.parentKey) : nullptr;
    shown.parentId = parent != nullptr ? parent->id : 0;
    shown.flags = item.flags;
    shown.label = XC_wtoa(reinterpret_cast<const XChar*>(item.text.c_str()));
    shown.hasIcon = item.icon != 0;
    items.push_back(shown);
  }
  return items;
}

int CommandsTest::itemFlags(int menuIndex, int id) {
  for (const ShownItem& item : shownItems(menuIndex))
    if (item.id == id) return item.flags;
  return -1;
}

std::vector<uint32_t> CommandsTest::ideCalls(size_t since) {
  std::vector<uint32_t> numbers;
  const auto entries = host().journal().entries();
  for (size_t i = since; i < entries.size(); ++i)
    if (entries[i].kind == "ide") numbers.push_back(static_cast<uint32_t>(entries[i].number("number")));
  return numbers;
}

std::vector<uint32_t> CommandsTest::commandsSent(size_t since) {
  std::vector<uint32_t> ids;
  const auto entries = host().journal().entries();
  for (size_t i = since; i < entries.size(); ++i)
    if (entries[i].kind == "command") ids.push_back(static_cast<uint32_t>(entries[i].number("id")));
  return ids;
}

void CommandsTest::setProjectLoaded(bool loaded) {
  HWND tree = host().tree().programTree;
  TreeView_DeleteAllItems(tree);
  if (!loaded) return;
  TVINSERTSTRUCTA insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("解决方案项目结构");
  HTREEITEM root =
      reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  insert.hParent = root;
  insert.item.pszText = const_cast<char*>("窗口程序集_启动窗口");
  SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
}

void CommandsTest::setCaption(const std::string& caption) { SetWindowTextA(hostMain(), caption.c_str()); }

void CommandsTest::pick(int id) {
  XEle_SendEvent(menuBar(), XE_MENU_SELECT, id);
  settle();
}

void CommandsTest::settle(DWORD quietMs) { pumpMessages(quietMs); }

}  // namespace tovalux::testing
