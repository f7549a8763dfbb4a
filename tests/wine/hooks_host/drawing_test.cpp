// What the drawing and creation hooks do to the host's own calls: code-page rectangles, colour
// substitutions, the code tip, the creation rules, bitmap 620 and the property grid's font.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "common/counters.h"
#include "hooks_test.h"
#include "host/subclasses.h"

namespace tovalux::testing {
namespace {

using standin::PageRecord;

int64_t hex(const std::optional<standin::JournalEntry>& entry, const char* field) {
  return entry ? entry->number(field) : -1;
}

RECT sentinelRect() { return RECT{111, 222, 333, 444}; }
bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(HooksTest, CodePagesLayOutWiderThanTheirClientAreaAndOtherWindowsAreUntouched) {
  ASSERT_TRUE(action("page-open 起始页").ok);
  ASSERT_TRUE(action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
  const PageRecord* start = fixture().model().pageByTitle("起始页");
  const PageRecord* code = fixture().model().pageByTitle("程序集: 窗口程序集_启动窗口");
  ASSERT_TRUE(start && code);

  RECT real{}, hooked{};
  ASSERT_TRUE(unhookedGetClientRect(start->window, &real));
  EXPECT_EQ(GetClientRect(start->window, &hooked), TRUE);
  EXPECT_TRUE(sameRect(hooked, RECT{real.left - 2, real.top - 2, real.right + 2, real.bottom + 2}));
  ASSERT_TRUE(unhookedGetClientRect(code->window, &real));
  EXPECT_EQ(GetClientRect(code->window, &hooked), TRUE);
  EXPECT_TRUE(sameRect(hooked, RECT{real.left - 2, real.top - 2, real.right + 20, real.bottom + 20}));
  // Asked again (the page is remembered): the same answer.
  EXPECT_EQ(GetClientRect(code->window, &hooked), TRUE);
  EXPECT_TRUE(sameRect(hooked, RECT{real.left - 2, real.top - 2, real.right + 20, real.bottom + 20}));

  // Windows that are not code pages: exactly the unhooked answer.
  for (HWND other : {tree().main, tree().mdiClient, code->mainView, tree().propertyGrid}) {
    ASSERT_TRUE(unhookedGetClientRect(other, &real));
    EXPECT_EQ(GetClientRect(other, &hooked), TRUE);
    EXPECT_TRUE(sameRect(hooked, real));
  }

  // A failing call is answered as it failed: nothing written, the same error.
  RECT untouched = sentinelRect();
  EXPECT_EQ(GetClientRect(code->window, nullptr), unhookedGetClientRect(code->window, nullptr));
  const HWND dead = code->window;
  ASSERT_TRUE(action("page-close \"程序集: 窗口程序集_启动窗口\" via=destroy").ok);
  SetLastError(0);
  const BOOL unhooked = unhookedGetClientRect(dead, &untouched);
  const DWORD unhookedError = GetLastError();
  SetLastError(0);
  EXPECT_EQ(GetClientRect(dead, &untouched), unhooked);
  EXPECT_EQ(unhooked, FALSE);
  EXPECT_EQ(GetLastError(), unhookedError);
  EXPECT_TRUE(sameRect(untouched, sentinelRect()));
}

TEST_F(HooksTest, TheHostsPaintingColoursAreSubstitutedAndOnlyTaskCommentLinesAreMarked) {
  ASSERT_TRUE(action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
  ASSERT_TRUE(action("paint-code").ok);
  EXPECT_EQ(hex(paintStep("bk-code"), "bk"), 0x262525);
  EXPECT_EQ(hex(paintStep("bk-tip"), "bk"), 0x454242);
  EXPECT_EQ(hex(paintStep("bk-other"), "bk"), 0x123456);
  EXPECT_EQ(hex(paintStep("text-blue"), "text"), 0xB0C94E);
  EXPECT_EQ(hex(paintStep("text-grey"), "text"), 0x7F7F7F);
  EXPECT_EQ(hex(paintStep("text-black"), "text"), 0);
  EXPECT_EQ(hex(paintStep("todo"), "bk"), 0x65472D);
  EXPECT_EQ(hex(paintStep("todo"), "text"), 0xC563BD);
  // Nine bytes of the prefix, and a count of 0: the line keeps its colours.
  for (const char* step : {"nine-bytes", "count-zero"}) {
    EXPECT_EQ(hex(paintStep(step), "bk"), 0x111111) << step;
    EXPECT_EQ(hex(paintStep(step), "text"), 0x222222) << step;
  }

  // The code tip: its text colours, its background, the system colours it asks for, a shadow.
  const DWORD window5 = GetSysColor(COLOR_WINDOW);
  ASSERT_TRUE(action("tip-show").ok);
  const auto tip = lastEntry("tip-paint");
  ASSERT_TRUE(tip);
  EXPECT_EQ(tip->number("bk"), 0x454242);
  EXPECT_EQ(tip->number("text-after-black"), 0xC8C8C8);
  EXPECT_EQ(tip->number("text-after-red"), 0x0014E4);
  EXPECT_EQ(tip->number("sys24"), 0x454242);
  EXPECT_EQ(tip->number("sys6"), 0x302D2D);
  EXPECT_EQ(tip->number("sys5"), static_cast<int64_t>(window5));
  EXPECT_EQ(tip->number("drop-shadow"), 1);

  // Once the shell is down, the host paints with its own colours again.
  shutDown();
  const size_t since = fixture().journalSize();
  ASSERT_TRUE(action("paint-code").ok);
  EXPECT_EQ(hex(paintStep("bk-code", since), "bk"), 0xFFF1EB);
  EXPECT_EQ(hex(paintStep("text-blue", since), "text"), 0xFF0000);
  EXPECT_EQ(hex(paintStep("todo", since), "bk"), 0x111111);
  EXPECT_NE(GetSysColor(COLOR_INFOBK), 0x454242u);
  for (HostHook removed :
       {HostHook::kGetClientRect, HostHook::kSendMessageA, HostHook::kLoadBitmapA, HostHook::kSetBkColor,
        HostHook::kCreateWindowExA, HostHook::kTextOutA, HostHook::kSetTextColor, HostHook::kGetSysColor})
    EXPECT_FALSE(hostHookInstalled(removed)) << static_cast<int>(removed);
  for (HostHook kept : {HostHook::kCreateProcessA, HostHook::kWaitForDebugEvent, HostHook::kDebugActiveProcessStop,
                        HostHook::kSelectObject})
    EXPECT_TRUE(hostHookInstalled(kept)) << static_cast<int>(kept);
}

HWND create(const char* className, const char* title, DWORD style, int width, int height, HWND parent, int id) {
  return CreateWindowExA(0, className, title, style, 0, 0, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void registerPlainClass(const char* name) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

TEST_F(HooksTest, CreationRulesActOnTheWindowsTheyNameAndNothingElse) {
  // The start page's picture is never created, whatever its size; the caller's error stays.
  SetLastError(0x1234);
  EXPECT_EQ(create("_EL_PicWnd", "", WS_CHILD, 10, 10, tree().main, 0), reinterpret_cast<HWND>(-1));
  EXPECT_EQ(create("_EL_PicWnd", "", WS_CHILD, 400, 280, tree().main, 0), reinterpret_cast<HWND>(-1));
  EXPECT_EQ(GetLastError(), 0x1234u);
  EXPECT_TRUE(plugPointLog().splashes.empty());

  // Links: the four the shell paints are subclassed and remembered, "帮助" is left alone, and
  // only "清空" starts the watcher.
  registerPlainClass("MyHyperLinker");
  HWND help = create("MyHyperLinker", "帮助", WS_CHILD, 60, 20, tree().main, 0);
  HWND clear = create("MyHyperLinker", "清空", WS_CHILD, 60, 20, tree().main, 0);
  HWND open = create("MyHyperLinker", "打开...", WS_CHILD, 60, 20, tree().main, 0);
  ASSERT_TRUE(help && clear && open);
  EXPECT_EQ(procedureOf(help), &DefWindowProcA);
  EXPECT_EQ(linkCaption(help), "");
  EXPECT_EQ(procedureOf(clear), &testLinkProc);
  EXPECT_EQ(linkCaption(clear), "清空");
  EXPECT_EQ(procedureOf(open), &testLinkProc);
  EXPECT_EQ(linkCaption(open), "打开...");
  ASSERT_EQ(plugPointLog().watchersStarted.size(), 1u);
  EXPECT_EQ(plugPointLog().watchersStarted[0], clear);

  // STATIC: only id 0xFFFF is hidden.
  HWND label5 = create("Static", "标签", WS_CHILD | WS_VISIBLE, 60, 20, tree().main, 5);
  HWND hidden = create("STATIC", "", WS_CHILD | WS_VISIBLE, 60, 20, tree().main, 0xFFFF);
  EXPECT_TRUE(GetWindowLongA(label5, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(hidden, GWL_STYLE) & WS_VISIBLE);

  // The recent-projects list (1214) gets the dark colours; another list view does not.
  HWND recent = create("SysListView32", "", WS_CHILD | LVS_REPORT, 200, 100, tree().main, 1214);
  HWND other = create("SysListView32", "", WS_CHILD | LVS_REPORT, 200, 100, tree().main, 1215);
  EXPECT_EQ(ListView_GetBkColor(recent), 0x262525u);
  EXPECT_EQ(ListView_GetTextBkColor(recent), 0x262525u);
  EXPECT_EQ(ListView_GetTextColor(recent), 0xF1F1F1u);
  EXPECT_NE(ListView_GetBkColor(other), 0x262525u);

  // A toolbox group button (parent 0 -> 110 -> the right dock bar) is subclassed; a button of a
  // top-level window is not.
  HWND groupButton = create("button", "基本组件", WS_CHILD, 80, 20, tree().toolboxContainer, 2001);
  HWND dialog = create("#32770", "对话框", WS_POPUP, 200, 100, nullptr, 0);
  HWND dialogButton = create("BUTTON", "确定", WS_CHILD, 80, 20, dialog, IDOK);
  EXPECT_EQ(procedureOf(groupButton), &testToolboxButtonProc);
  EXPECT_NE(procedureOf(dialogButton), &testToolboxButtonProc);

  // Code views: the window inside a page's 0xE900 main view, not the main view itself.
  ASSERT_TRUE(action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
  const PageRecord* page = fixture().model().pageByTitle("程序集: 窗口程序集_启动窗口");
  ASSERT_TRUE(page && page->codeView);
  EXPECT_EQ(procedureOf(page->codeView), &testCodeViewProc);
  EXPECT_NE(procedureOf(page->mainView), &testCodeViewProc);

  // Any 400 x 280 window is covered by the splash, on the UI thread.
  registerPlainClass("ESplash");
  HWND splash = create("ESplash", "", WS_POPUP, 400, 280, nullptr, 0);
  ASSERT_EQ(plugPointLog().splashes.size(), 1u);
  EXPECT_EQ(plugPointLog().splashes[0], splash);
  EXPECT_EQ(plugPointLog().splashThreads[0], GetCurrentThreadId());

  // A class given as an atom is never read as a text: created, and only the size rule applies.
  ASSERT_TRUE(action("create-atom-window").ok);
  const auto atom = lastEntry("atom-window");
  ASSERT_TRUE(atom);
  EXPECT_NE(atom->number("hwnd"), 0);
  EXPECT_EQ(atom->get("class"), "EAtomClass");
  EXPECT_EQ(plugPointLog().splashes.size(), 2u);

  // A failing creation answers its failure with the unhooked error.
  SetLastError(0);
  EXPECT_EQ(unhookedCreateWindow("ENoSuchClass", "", WS_POPUP, 10, 10, nullptr, 0), nullptr);
  const DWORD unhookedError = GetLastError();
  SetLastError(0);
  EXPECT_EQ(create("ENoSuchClass", "", WS_POPUP, 10, 10, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), unhookedError);

  for (HWND window : {help, clear, open, label5, hidden, recent, other, dialog, splash}) DestroyWindow(window);
}

TEST_F(HooksTest, AButtonWhoseParentsEndNowhereIsNotAToolboxButtonWithoutARightDockBar) {
  DestroyWindow(tree().rightDockBar);
  fixture().host().mutableTree().rightDockBar = nullptr;
  // Both walks answer no window: that is no match.
  HWND dialog = create("#32770", "对话框", WS_POPUP, 200, 100, nullptr, 0);
  HWND button = create("button", "确定", WS_CHILD, 80, 20, dialog, IDOK);
  EXPECT_NE(procedureOf(button), &testToolboxButtonProc);
  DestroyWindow(dialog);
}

TEST_F(HooksTest, BitmapSixHundredTwentyIsAFreshBitmapOfOursEachTime) {
  const long before = gdiObjectCount();
  ASSERT_TRUE(action("bitmap-620 count=100").ok);
  const auto bitmaps = lastEntry("bitmap");
  ASSERT_TRUE(bitmaps);
  EXPECT_EQ(bitmaps->number("live"), 100);
  EXPECT_EQ(bitmaps->number("distinct"), 100);
  EXPECT_EQ(bitmaps->number("deleted"), 100);
  EXPECT_EQ(bitmaps->number("width"), 500);
  EXPECT_EQ(bitmaps->number("height"), 300);
  EXPECT_EQ(bitmaps->number("same-size"), 1);
  EXPECT_EQ(gdiObjectCount(), before);
  // Other bitmaps are the host's own.
  EXPECT_EQ(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(621)), nullptr);
  HBITMAP system = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32754));  // OBM_CLOSE
  BITMAP info{};
  ASSERT_TRUE(system && GetObjectA(system, sizeof info, &info));
  EXPECT_NE(info.bmWidth, 500);
  DeleteObject(system);
}

TEST_F(HooksTest, ThePropertyGridGetsOneFontHoweverOftenItSelectsTheGuiFont) {
  const long before = gdiObjectCount();
  ASSERT_TRUE(action("grid-paint times=10000").ok);
  EXPECT_LE(gdiObjectCount() - before, 1);
  const auto painted = lastEntry("grid-paint");
  ASSERT_TRUE(painted);
  EXPECT_EQ(painted->number("answered-stock"), 0);
  EXPECT_EQ(painted->number("font"), 1);
  EXPECT_EQ(painted->get("face"), "微软雅黑");
  EXPECT_EQ(painted->number("height"), 17);
  EXPECT_EQ(painted->number("weight"), 144);
  EXPECT_EQ(hostHookCounters().gridFontsCreated, 1u);

  // Another window's DC selects the stock font as usual.
  HDC dc = GetDC(tree().main);
  HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(SelectObject(dc, previous), GetStockObject(DEFAULT_GUI_FONT));
  ReleaseDC(tree().main, dc);

  // A font someone deleted is made again, once.
  HDC gridDc = GetDC(tree().propertyGrid);
  HGDIOBJ ours = SelectObject(gridDc, GetStockObject(DEFAULT_GUI_FONT));
  ReleaseDC(tree().propertyGrid, gridDc);
  ASSERT_TRUE(DeleteObject(ours));
  ASSERT_TRUE(action("grid-paint times=100").ok);
  EXPECT_EQ(hostHookCounters().gridFontsCreated, 2u);
  EXPECT_EQ(lastEntry("grid-paint")->number("font"), 1);
}

TEST_F(HooksTest, WithoutTheGridFontSettingTheGridSelectsTheStockFont) {
  start({.codeTip = false, .codeTree = false, .gridFont = 0});
  ASSERT_TRUE(action("grid-paint times=10").ok);
  // The DC's previous font comes back, not one of ours.
  EXPECT_NE(lastEntry("grid-paint")->get("face"), "微软雅黑");
  EXPECT_EQ(hostHookCounters().gridFontsCreated, 0u);
  EXPECT_FALSE(hostHookInstalled(HostHook::kTextOutA));
  EXPECT_FALSE(hostHookInstalled(HostHook::kGetSysColor));
}

}  // namespace
}  // namespace tovalux::testing
