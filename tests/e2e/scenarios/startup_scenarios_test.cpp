// Starting and closing the IDE in ehost.exe with the real plug-in: what the host's windows are
// once the shell stands, what the settings file holds after a first start, a host that tells the
// plug-in too early and then more than once, and the user closing the frame.
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

std::string settingsFile() { return testing::hostFile("lib\\Tovalux\\Tovalux.ini"); }

std::string setting(const char* key) {
  char value[256] = {};
  GetPrivateProfileStringA("Theme", key, "", value, sizeof value, settingsFile().c_str());
  return value;
}

struct FrameCount {
  DWORD process;
  int frames = 0;
};

BOOL CALLBACK countFrame(HWND window, LPARAM data) {
  auto* count = reinterpret_cast<FrameCount*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner == count->process && std::string(name) == "Tovalux" && IsWindowVisible(window)) ++count->frames;
  return TRUE;
}

// The plug-in's frames on screen in the host's process (its hidden helper window shares the class).
int framesOf(DWORD processId) {
  FrameCount count{processId};
  EnumWindows(&countFrame, reinterpret_cast<LPARAM>(&count));
  return count.frames;
}

// The first entry of `kind` matching `predicate` from `from` on: its position, or entries.size().
size_t indexOf(const std::vector<JournalEntry>& entries, const std::string& kind,
               const testing::JournalPredicate& predicate, size_t from = 0) {
  for (size_t i = from; i < entries.size(); ++i)
    if (entries[i].kind == kind && (!predicate || predicate(entries[i]))) return i;
  return entries.size();
}

std::optional<JournalEntry> windowState(Session& s, const std::string& label) {
  if (!s.act("window-state " + label)) return std::nullopt;
  return s.waitFor("window-state", fieldIs("label", label), 5000);
}

TEST(StartUp, TheHostStandsInTheFrameWithItsDockBarsHiddenAndTheSettingsWritten) {
  // A first start: no settings file, no engine beside the host.
  DeleteFileA(settingsFile().c_str());
  DeleteFileA(testing::hostFile("olly.dll").c_str());
  Session s{"e2e_startup_scenarios"};
  ASSERT_TRUE(s.start());

  // Notification 1: answered 1, the host asked for its main window while it ran.
  const auto& journal = s.run().journal();
  const size_t sent = indexOf(journal, "notify-sent", fieldIs("code", 1));
  const size_t answered = indexOf(journal, "notify", fieldIs("code", 1));
  ASSERT_LT(answered, journal.size());
  EXPECT_EQ(journal[answered].number("answer", -1), 1);
  const size_t asked = indexOf(journal, "host-call", fieldIs("code", 1), sent);
  EXPECT_LT(asked, answered) << "hostNotify(1) was not called during notification 1";

  // The host's main window: in the "Tovalux" frame, without its caption and sizing border, its
  // dock bars hidden; its window, main tool bar and MDI client run the plug-in's procedures.
  const auto state = windowState(s, "started");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent-class"), "Tovalux");
  EXPECT_EQ(state->get("dock-bars"), "0000");
  const auto style = static_cast<uint32_t>(state->number("main-style", 0));
  EXPECT_EQ(style & WS_CAPTION, 0u);
  EXPECT_EQ(style & WS_THICKFRAME, 0u);
  EXPECT_EQ(state->get("main-own-proc"), "0");
  EXPECT_EQ(state->get("toolbar-own-proc"), "0");
  EXPECT_EQ(state->get("mdi-own-proc"), "0");
  HWND frame = GetAncestor(s.run().mainWindow(), GA_ROOT);
  char frameClass[32] = {};
  GetClassNameA(frame, frameClass, sizeof frameClass);
  EXPECT_STREQ(frameClass, "Tovalux");
  EXPECT_EQ(framesOf(s.run().processId()), 1);

  // What the user sees: the menu bar, the start page's tab, the library tree filled.
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2"));
  EXPECT_TRUE(s.find("page-tab 起始页"));
  EXPECT_TRUE(s.find("outline-item 演示核心库", 5000));

  // The engine written beside the host, the settings file with its defaults.
  EXPECT_NE(GetFileAttributesA(testing::hostFile("olly.dll").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(setting("FontName"), "微软雅黑");
  EXPECT_EQ(setting("FontSize"), "9");
  EXPECT_EQ(setting("Caption"), "true");
  EXPECT_EQ(setting("MenuButtonWidth"), "58");
  EXPECT_EQ(setting("LibTree"), "true");

  EXPECT_TRUE(s.closeNormally());
}

TEST(StartUp, ANotificationBeforeTheMainWindowBuildsNothingAndALaterOneBuildsTheShellOnce) {
  Session s{"e2e_startup_early", {"--host-start", "--notify-before-windows"}};
  ASSERT_TRUE(s.start());
  const auto& journal = s.run().journal();

  // Before the tree: answered 1, the host had no main window to give, nothing was done to it.
  const size_t first = indexOf(journal, "notify", fieldIs("code", 1));
  ASSERT_LT(first, journal.size());
  EXPECT_EQ(journal[first].number("answer", -1), 1);
  const size_t asked = indexOf(journal, "host-call", fieldIs("code", 1));
  ASSERT_LT(asked, first);
  EXPECT_EQ(journal[asked].number("answer", -1), 0);
  const size_t before = indexOf(journal, "window-state", fieldIs("label", "before-start"));
  ASSERT_LT(before, journal.size());
  EXPECT_EQ(journal[before].get("main-parent"), "0");
  EXPECT_EQ(journal[before].get("dock-bars"), "1111");
  EXPECT_EQ(journal[before].get("main-own-proc"), "1");
  EXPECT_NE(static_cast<uint32_t>(journal[before].number("main-style", 0)) & WS_CAPTION, 0u);

  // The second, with the tree: the shell.
  const size_t second = indexOf(journal, "notify", fieldIs("code", 1), first + 1);
  ASSERT_LT(second, journal.size());
  EXPECT_EQ(journal[second].number("answer", -1), 1);
  const auto built = windowState(s, "built");
  ASSERT_TRUE(built);
  EXPECT_EQ(built->get("main-parent-class"), "Tovalux");
  EXPECT_EQ(built->get("dock-bars"), "0000");
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2"));

  // The host shows its dock bars and tells the plug-in again: answered 1, the bars hidden again,
  // still one frame.
  ASSERT_TRUE(s.act("dock-bars shown show=1"));
  ASSERT_TRUE(s.waitFor("dock-bars", fieldIs("visible", "1111"), 5000));
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("start"));
  const auto third = s.waitFor("notify", fieldIs("code", 1), 5000, mark);
  ASSERT_TRUE(third);
  EXPECT_EQ(third->number("answer", -1), 1);
  const auto hidden = s.waitFor("dock-bars", fieldIs("moment", "after-notify-1"), 5000, mark);
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->get("visible"), "0000");
  EXPECT_EQ(framesOf(s.run().processId()), 1);
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2"));

  EXPECT_TRUE(s.closeNormally());
}

// The settings file as it was, put back when the test ends: H is shared by every run.
class KeptFile {
 public:
  explicit KeptFile(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    had_ = in.good();
    text_.assign(std::istreambuf_iterator<char>(in), {});
  }
  ~KeptFile() {
    if (had_)
      std::ofstream(path_, std::ios::binary | std::ios::trunc) << text_;
    else
      DeleteFileA(path_.c_str());
  }

 private:
  std::string path_, text_;
  bool had_ = false;
};

TEST(ShutDown, TheFrameRemembersItsSizeAndOnYesGivesTheHostBackWholeBeforeItCloses) {
  const KeptFile settings(settingsFile());
  Session s{"e2e_shutdown"};
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("notepad-open"));
  ASSERT_TRUE(s.act("start-page-close"));
  ASSERT_TRUE(s.act("project-open-sample"));
  ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\" maximized=1"));
  HWND frame = GetAncestor(s.run().mainWindow(), GA_ROOT);
  RECT before{};
  ASSERT_TRUE(GetWindowRect(frame, &before));

  // The user drags the frame's lower right corner 80 by 60 pixels inwards.
  const int width = before.right - before.left, height = before.bottom - before.top;
  ASSERT_TRUE(s.act("drag-modal " + std::to_string(width - 2) + " " + std::to_string(height - 2) + " " +
                    std::to_string(width - 82) + " " + std::to_string(height - 62)));
  RECT after{};
  ASSERT_TRUE(GetWindowRect(frame, &after));
  EXPECT_EQ(after.right - after.left, width - 80);
  EXPECT_EQ(after.bottom - after.top, height - 60);
  EXPECT_EQ(setting("WinodwWidth"), std::to_string(width - 80));
  EXPECT_EQ(setting("WinodwHeight"), std::to_string(height - 60));

  // Closing, answered No: nothing changes.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("dialog-answer 你确定退出并关闭易语言吗 no"));
  ASSERT_TRUE(s.act("ui-click push-button 关闭 depth=1"));
  ASSERT_TRUE(s.waitFor("dialog", fieldIs("answered", "script"), 10000, mark));
  const auto stayed = windowState(s, "answered-no");
  ASSERT_TRUE(stayed);
  EXPECT_EQ(stayed->get("main-parent-class"), "Tovalux");
  EXPECT_EQ(stayed->get("dock-bars"), "0000");
  EXPECT_TRUE(s.entries("notify", mark).empty());
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2"));

  // Yes: the host gets its window back as it was, is closed, and frees the plug-in.
  mark = s.mark();
  ASSERT_TRUE(s.act("dialog-answer 你确定退出并关闭易语言吗 yes"));
  s.act("ui-click push-button 关闭 depth=1");  // the host may be gone before it answers
  EXPECT_EQ(s.run().waitForExit(60000), 0);
  const auto freed = s.waitFor("notify", fieldIs("code", 6), 1000, mark);
  ASSERT_TRUE(freed);
  EXPECT_EQ(freed->number("answer", -1), 0);
  const auto restored = s.waitFor("window-state", fieldIs("label", "after-notify-6"), 1000, mark);
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored->get("main-parent"), "0");
  EXPECT_EQ(restored->get("main-style"), "0x14CF0000");
  EXPECT_EQ(restored->get("dock-bars"), "1111");
  EXPECT_TRUE(s.waitFor("notepad", fieldIs("text", "#NL_FREE_LIB_DATA"), 1000, mark));
  EXPECT_TRUE(s.waitFor("closed", {}, 1000, mark));
}

// (What the host's windows are after 17 is ShellEndToEnd's; here: the frame gone, nothing logged.)
TEST(ShutDown, NotificationSeventeenClosesTheFrameWithoutALogLine) {
  Session s{"e2e_shutdown17"};
  ASSERT_TRUE(s.start());
  // The host showing its tool bar at start has the plug-in post it command 0x80C3, which the log
  // names: it is let through before the log opens, so that only what 17 does is watched.
  ASSERT_TRUE(s.waitFor("command", fieldIs("id", "32963"), 10000, 0));
  ASSERT_TRUE(s.act("notepad-open"));
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("notify 17"));
  const auto state = windowState(s, "after-17");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->get("main-parent"), "0");
  EXPECT_EQ(framesOf(s.run().processId()), 0);
  EXPECT_TRUE(s.entries("notepad", mark).empty());
  EXPECT_TRUE(s.closeNormally());
}

// The log lines of a stretch of the journal, in order.
std::vector<std::string> logLines(Session& s, size_t since) {
  std::vector<std::string> lines;
  for (const JournalEntry& e : s.entries("notepad", since)) lines.push_back(e.get("text").value_or(""));
  return lines;
}

TEST(HostTraffic, TheHostsToolBarMessagesAndPopUpsAreFollowedAndLoggedToWhicheverNotepadIsOpen) {
  Session s{"e2e_host_traffic"};
  ASSERT_TRUE(s.start());

  // The host shows its own tool bar: it is asked once, by a posted 0x80C3, to run its command
  // (which hides it again); hiding asks nothing.
  size_t mark = s.mark();
  ASSERT_TRUE(s.act("toolbar show"));
  ASSERT_TRUE(s.waitFor("command", fieldIs("id", 0x80C3), 5000, mark));
  ASSERT_TRUE(s.act("toolbar hide"));
  // A command posted behind whatever the hide posted: once it is there, so would be the other.
  ASSERT_TRUE(s.act("post-main 0x111 0x80EE 0"));
  ASSERT_TRUE(s.waitFor("command", fieldIs("id", 0x80EE), 5000, mark));
  size_t shows = 0;
  for (const JournalEntry& e : s.entries("command", mark)) shows += e.number("id", 0) == 0x80C3 ? 1 : 0;
  EXPECT_EQ(shows, 1u);

  // With each of the log window's titles the plug-in knows: the pop-up menu's notification, the
  // host's WM_NOTIFY and WM_COMMAND to its main window, the end of a resize and message 89757.
  for (const char* title : {"TovaluxLog.txt - 记事本", "*TovaluxLog.txt - 记事本", "TovaluxLog - 记事本"}) {
    SCOPED_TRACE(title);
    ASSERT_TRUE(s.act(std::string("notepad-open \"") + title + "\""));
    mark = s.mark();
    ASSERT_TRUE(s.act("popup 3 7"));
    const auto announced = s.waitFor("notify", fieldIs("code", 19), 5000, mark);
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->number("answer", -1), 1);
    ASSERT_TRUE(s.waitFor("popup-menu", {}, 5000, mark));
    ASSERT_TRUE(s.act("notify-main 1019 -2"));
    ASSERT_TRUE(s.act("exit-size-move"));
    ASSERT_TRUE(s.act("send-main 0x15E9D"));
    ASSERT_TRUE(s.act("send-main 0x111 0x80EE 0"));
    const std::vector<std::string> lines = logLines(s, mark);
    ASSERT_EQ(lines.size(), 4u) << (lines.empty() ? "" : lines.back());
    EXPECT_EQ(lines[0], "弹出菜单 : 3,7");
    EXPECT_EQ(lines[1].rfind("WM_NOTIFY： idFrom 1019 code -2 hwndFrom ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "XEle_IsBkTransparent");
    EXPECT_EQ(lines[3], " 菜单选择： wParam 33006 lParam 0");
    ASSERT_TRUE(s.act("notepad-close"));
  }

  // Without a log window the same traffic is followed all the same.
  mark = s.mark();
  ASSERT_TRUE(s.act("popup 3 7"));
  const auto announced = s.waitFor("notify", fieldIs("code", 19), 5000, mark);
  ASSERT_TRUE(announced);
  EXPECT_EQ(announced->number("answer", -1), 1);
  ASSERT_TRUE(s.waitFor("popup-menu", {}, 5000, mark));
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2"));
  EXPECT_TRUE(s.closeNormally());
}

// (The splash and the page's script are StartPageEndToEnd's; here: what the user sees of the page.)
TEST(StartPage, ItsTabsCloseButtonIsOffAndSaysWhyItsRecentListIsDarkAndTheBannerIsThePlugins) {
  Session s{"e2e_start_page"};
  ASSERT_TRUE(s.start());
  const auto tab = s.find("page-tab 起始页");
  ASSERT_TRUE(tab);
  EXPECT_EQ(tab->get("description"), "根据易语言官方起始页说明，本插件不提供关闭起始页的功能");
  const auto startClose = s.find("push-button 关闭 depth=3");
  ASSERT_TRUE(startClose);
  EXPECT_TRUE(Session::has(*startClose, "unavailable"));
  // A code page's tab closes.
  ASSERT_TRUE(s.act("project-open-sample"));
  ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\""));
  const auto pageClose = s.find("push-button 关闭 depth=3");
  ASSERT_TRUE(pageClose);
  EXPECT_FALSE(Session::has(*pageClose, "unavailable"));
  EXPECT_GT(pageClose->number("x", 0), startClose->number("x", 0));

  // The page's recent-projects list in the dark colours.
  const auto page = s.waitFor("start-page", {}, 5000);
  ASSERT_TRUE(page);
  HWND recent = reinterpret_cast<HWND>(static_cast<intptr_t>(page->number("recent", 0)));
  ASSERT_TRUE(IsWindow(recent));
  EXPECT_EQ(SendMessageA(recent, LVM_GETBKCOLOR, 0, 0), 0x262525);
  EXPECT_EQ(SendMessageA(recent, LVM_GETTEXTCOLOR, 0, 0), 0xF1F1F1);

  // The host's banner resource 620 is the plug-in's picture.
  const size_t mark = s.mark();
  ASSERT_TRUE(s.act("bitmap-620"));
  const auto banner = s.waitFor("bitmap", {}, 5000, mark);
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->get("width"), "500");
  EXPECT_EQ(banner->get("height"), "300");
  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
