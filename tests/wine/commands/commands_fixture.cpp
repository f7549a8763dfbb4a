#include "commands_fixture.h"

#include "commands/commands.h"
#include "common/win32_support.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "lifecycle/lifecycle.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::testing {

namespace {
// The real host starts the shell once per process; each test here starts it again.
const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);
}  // namespace

void CommandsTest::SetUp() {
  // Theme paths are relative to the host's folder, the current directory; the settings file is
  // beside the test program.
  SetCurrentDirectoryA(winePath(TOVALUX_HOST_DIR).c_str());
  CreateDirectoryA((programDirectory() + "\\lib").c_str(), nullptr);
  CreateDirectoryA((programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  setDebugging(false);
}

void CommandsTest::TearDown() {
  setDebugging(false);
  settle();
}

void CommandsTest::buildCommands() {
  fixture_.host().show(SW_SHOWNORMAL);
  ASSERT_EQ(fixture_.startShell(), 1);
  ASSERT_TRUE(shellExists());
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
  for (const standin::JournalEntry& e : fixture_.entries("ide", since))
    numbers.push_back(static_cast<uint32_t>(e.number("number")));
  return numbers;
}

std::vector<uint32_t> CommandsTest::commandsSent(size_t since) {
  std::vector<uint32_t> ids;
  for (const standin::JournalEntry& e : fixture_.entries("command", since))
    ids.push_back(static_cast<uint32_t>(e.number("id")));
  return ids;
}

void CommandsTest::setCaption(const std::string& caption) { SetWindowTextA(fixture_.mainWindow(), caption.c_str()); }

void CommandsTest::pick(int id) {
  XEle_SendEvent(menuBar(), XE_MENU_SELECT, id);
  settle();
}

void CommandsTest::settle() { EXPECT_TRUE(serveQueuedMessages()) << "the message queue never emptied"; }

}  // namespace tovalux::testing
