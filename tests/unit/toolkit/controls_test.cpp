#include <gtest/gtest.h>

#include "toolkit/model/controls/edit.h"
#include "toolkit/model/controls/line_breaks.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using ControlsTest = ToolkitTest;

TEST_F(ControlsTest, ToolBarKeepsInsertionOrderAndCentresVertically) {
  HELE bar = XToolBar_Create(0, 0, 300, 28, 0);
  HELE a = XBtn_Create(0, 0, 20, 20, u"", 0);
  HELE sep = XEle_Create(0, 0, 2, 21, 0);
  HELE b = XBtn_Create(0, 0, 20, 20, u"", 0);
  EXPECT_EQ(XToolBar_InsertEle(bar, a, -1), 0);
  EXPECT_EQ(XToolBar_InsertEle(bar, b, -1), 1);
  EXPECT_EQ(XToolBar_InsertEle(bar, sep, 1), 1);
  EXPECT_EQ(XToolBar_GetEleCount(bar), 3);
  EXPECT_EQ(XToolBar_GetEle(bar, 1), sep);
  EXPECT_EQ(XToolBar_GetEle(bar, 3), 0u);
  EXPECT_EQ(XToolBar_InsertEle(bar, bar, -1), -1);
  XEle_AdjustLayout(bar);
  EXPECT_EQ(rectOf(a), (XRect{0, 4, 20, 24}));
  EXPECT_EQ(rectOf(sep), (XRect{20, 3, 22, 24}));
  EXPECT_EQ(rectOf(b), (XRect{22, 4, 42, 24}));
  // Moving an element already in the bar.
  EXPECT_EQ(XToolBar_InsertEle(bar, a, 3), 2);
  EXPECT_EQ(XToolBar_GetEle(bar, 0), sep);
}

TEST_F(ControlsTest, TabBarSelectCloseAndDelete) {
  HELE bar = XTabBar_Create(0, 0, 400, 26, 0);
  XTabBar_EnableClose(bar, true);
  for (const char16_t* t : {u"起始页", u"窗口1", u"窗口2"}) XTabBar_AddLabel(bar, t);
  std::vector<std::pair<int, bool>> checks;
  for (int i = 0; i < 3; ++i)
    XEle_RegEventC(XTabBar_GetLabel(bar, i), XE_BUTTON_CHECK,
                   [&checks, i](bool on, bool*) { return checks.emplace_back(i, on), 0; });
  XTabBar_SetSelect(bar, 0);
  XEle_SendEvent(XTabBar_GetLabel(bar, 2), XE_BNCLICK);  // a label click selects it
  EXPECT_EQ(XTabBar_GetSelect(bar), 2);
  EXPECT_EQ(checks, (std::vector<std::pair<int, bool>>{{0, true}, {0, false}, {2, true}}));

  // A close click raises 222 with the index; unhandled, the label goes.
  std::vector<int> deleted;
  bool keep = false;
  XEle_RegEventC(bar, XE_TABBAR_DELETE, [&](int index, bool* handled) {
    deleted.push_back(index);
    *handled = keep;
    return 0;
  });
  HELE label1 = XTabBar_GetLabel(bar, 1), close1 = XTabBar_GetLabelClose(bar, 1);
  keep = true;
  XEle_SendEvent(close1, XE_BNCLICK);
  EXPECT_EQ(XTabBar_GetLabelCount(bar), 3);
  keep = false;
  XEle_SendEvent(close1, XE_BNCLICK);
  EXPECT_EQ(deleted, (std::vector<int>{1, 1}));
  EXPECT_EQ(XTabBar_GetLabelCount(bar), 2);
  EXPECT_FALSE(XC_IsHELE(label1));
  EXPECT_FALSE(XC_IsHELE(close1));
  EXPECT_EQ(XBtn_GetText(XTabBar_GetLabel(bar, 1)), XString(u"窗口2"));
  // Deleting the selected label selects its neighbour.
  XTabBar_DeleteLabel(bar, 1);
  EXPECT_EQ(XTabBar_GetSelect(bar), 0);
  XTabBar_DeleteLabel(bar, 5);
  EXPECT_EQ(XTabBar_GetLabelCount(bar), 1);
}

TEST_F(ControlsTest, TabBarLayoutSpacingTileAndCloseButtons) {
  HELE bar = XTabBar_Create(0, 0, 400, 26, 0);
  XTabBar_SetPadding(bar, 2, 0, 0, 0);
  XTabBar_SetLabelSpacing(bar, 3);
  XTabBar_AddLabel(bar, u"ab");
  XTabBar_AddLabel(bar, u"abcd");
  XEle_AdjustLayout(bar);
  // Label width: 6 + text + 6 (no close button while closing is off).
  EXPECT_EQ(rectOf(XTabBar_GetLabel(bar, 0)), (XRect{2, 0, 2 + 28, 26}));
  EXPECT_EQ(rectOf(XTabBar_GetLabel(bar, 1)), (XRect{33, 0, 33 + 44, 26}));
  XTabBar_EnableClose(bar, true);
  XEle_AdjustLayout(bar);
  EXPECT_EQ(XEle_GetWidth(XTabBar_GetLabel(bar, 0)), 28 + 14 + 4);
  EXPECT_EQ(rectOf(XTabBar_GetLabelClose(bar, 0)), (XRect{46 - 6 - 3 - 14, 6, 46 - 6 - 3, 20}));
  XEle_Show(XTabBar_GetLabelClose(bar, 0), false);  // hiding one close button narrows its label
  XEle_AdjustLayout(bar);
  EXPECT_EQ(XEle_GetWidth(XTabBar_GetLabel(bar, 0)), 28);
  XTabBar_EnableTile(bar, true);
  XEle_AdjustLayout(bar);
  EXPECT_EQ(XEle_GetWidth(XTabBar_GetLabel(bar, 0)), (398 - 3) / 2 + 1);
  EXPECT_EQ(rectOf(XTabBar_GetLabel(bar, 1)).right, 400);
}

TEST_F(ControlsTest, ScrollBarGeometryAndArrowButtons) {
  HELE bar = XSBar_Create(0, 0, 17, 217, 0);
  XSBar_SetRange(bar, 100);
  XSBar_SetSliderLength(bar, 10);
  XSBar_SetSliderPadding(bar, 2);
  XEle_AdjustLayout(bar);
  HELE up = XSBar_GetButtonUp(bar), down = XSBar_GetButtonDown(bar), slider = XSBar_GetButtonSlider(bar);
  EXPECT_TRUE(XC_IsHXCGUI(up, XC_BUTTON) && XC_IsHXCGUI(slider, XC_BUTTON));
  EXPECT_EQ(XEle_GetChildByIndex(bar, 2), slider);
  EXPECT_EQ(rectOf(up), (XRect{0, 0, 17, 17}));
  EXPECT_EQ(rectOf(down), (XRect{0, 200, 17, 217}));
  EXPECT_EQ(rectOf(slider), (XRect{2, 17, 15, 27}));
  XSBar_ScrollPos(bar, 50);
  EXPECT_EQ(rectOf(slider), (XRect{2, 17 + 86, 15, 17 + 96}));  // travel 173 - 10 = 163... halves
  XEle_SendEvent(down, XE_BNCLICK);
  EXPECT_EQ(XSBar_GetPos(bar), 51);
  XEle_SendEvent(up, XE_BNCLICK);
  XEle_SendEvent(up, XE_BNCLICK);
  EXPECT_EQ(XSBar_GetPos(bar), 49);
  XSBar_ShowButton(bar, false);
  XSBar_ScrollPos(bar, 100);
  EXPECT_EQ(rectOf(slider), (XRect{2, 207, 15, 217}));
  EXPECT_FALSE(XEle_IsShow(up));
  // Shrinking the range pulls the position in.
  XSBar_SetRange(bar, 20);
  EXPECT_EQ(XSBar_GetPos(bar), 20);
}

TEST_F(ControlsTest, ScrollViewShowsBarsOnlyOnOverflowAndShiftsContent) {
  HELE view = XSView_Create(0, 0, 200, 100, 0);
  XSView_SetScrollBarSize(view, 10);
  XSView_SetBorderSize(view, 1, 1, 1, 1);
  HELE content = XEle_Create(5, 5, 20, 20, view);
  XSView_SetTotalSize(view, 150, 80);
  XEle_AdjustLayout(view);
  HELE v = XSView_GetScrollBarV(view), h = XSView_GetScrollBarH(view);
  EXPECT_TRUE(XC_IsHXCGUI(v, XC_SCROLLBAR));
  EXPECT_FALSE(XEle_IsShow(v));
  EXPECT_FALSE(XEle_IsShow(h));
  XSView_SetTotalSize(view, 150, 300);
  XEle_AdjustLayout(view);
  EXPECT_TRUE(XEle_IsShow(v));
  EXPECT_FALSE(XEle_IsShow(h));
  EXPECT_EQ(rectOf(v), (XRect{189, 1, 199, 99}));
  EXPECT_EQ(XSBar_GetRange(v), 300 - 98);
  // 188 wide now; 190 of content needs the horizontal bar, which narrows the height further.
  XSView_SetTotalSize(view, 190, 300);
  XEle_AdjustLayout(view);
  EXPECT_TRUE(XEle_IsShow(h));
  EXPECT_EQ(rectOf(h), (XRect{1, 89, 189, 99}));
  XSBar_ScrollPos(v, 40);
  XRect r{};
  XEle_GetClientRect(content, &r);
  XEle_RectClientToWndClient(content, &r);
  EXPECT_EQ(r, (XRect{1 + 5, 1 + 5 - 40, 1 + 25, 1 + 25 - 40}));
  // Auto-show off: the bars follow the show flags.
  XSView_EnableAutoShowScrollBar(view, false);
  XSView_ShowSBarH(view, false);
  XEle_AdjustLayout(view);
  EXPECT_TRUE(XEle_IsShow(v));
  EXPECT_FALSE(XEle_IsShow(h));
  XRect insets;
  XSView_GetBorderSize(view, &insets);
  EXPECT_EQ(insets, (XRect{1, 1, 1, 1}));
}

TEST_F(ControlsTest, EditStylesTextWrapAndScroll) {
  HELE edit = XEdit_Create(0, 0, 200, 60, 0);
  XEdit_EnableMultiLine(edit, true);
  XEdit_EnableReadOnly(edit, true);
  XEdit_AddText(edit, u"编译开始\n");
  int red = XEdit_AddStyleEx(edit, u"宋体", 9, 0, XRGB(255, 0, 0), true);
  EXPECT_EQ(red, 1);
  XEdit_AddTextEx(edit, u"error", red);
  XEdit_AddTextEx(edit, u"!\n", 99);  // an unknown style falls back to the default
  EXPECT_EQ(XEdit_GetText(edit), XString(u"编译开始\nerror!\n"));
  EXPECT_EQ(XEdit_GetText(edit, 3), XString(u"编译开"));
  // A cut never keeps half a surrogate pair.
  HELE emoji = XEdit_Create(0, 0, 200, 60, 0);
  XEdit_SetText(emoji, u"a\U0001F600b");
  EXPECT_EQ(XEdit_GetText(emoji, 2), XString(u"a"));
  EXPECT_EQ(XEdit_GetText(emoji, 3), XString(u"a\U0001F600"));
  EXPECT_EQ(XEdit_GetText(emoji, 0), XString());
  auto* e = dynamic_cast<tk::Edit*>(tk::getElement(edit));
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->insertAtCaret(u"typed"));  // read-only refuses the user's typing
  XEle_AdjustLayout(edit);
  ASSERT_EQ(e->lines().size(), 3u);
  EXPECT_EQ(e->pieces(1).size(), 2u);  // "error" red, "!" default

  tk::RecordingCanvas canvas;
  tk::paintElement(canvas, *e, {0, 0});
  std::vector<std::string> ops = canvas.drawn();
  auto has = [&](const std::string& op) { return std::find(ops.begin(), ops.end(), op) != ops.end(); };
  EXPECT_TRUE(has("text \"error\" 0,16-40,32 #FF0000/255 a4")) << ::testing::PrintToString(ops);
  EXPECT_TRUE(has("text \"!\" 40,16-48,32 #F1F1F1/255 a4"));
  XEdit_SelectAll(edit);
  EXPECT_EQ(e->selection(), (std::pair<size_t, size_t>{0, 12}));

  // Auto-wrap breaks at the view width; the text stays one string.
  XEdit_SetText(edit, u"0123456789012345678901234567890123456789");  // 40 units, 320 px
  XEdit_EnableAutoWrap(edit, true);
  XEle_AdjustLayout(edit);
  EXPECT_EQ(e->lines().size(), 2u);
  EXPECT_EQ(e->lines()[0].width, 200 / 8 * 8);
  // Many lines: auto-scroll reaches the end.
  XEdit_SetText(edit, u"");
  for (int i = 0; i < 20; ++i) XEdit_AddText(edit, u"line\n");
  XEdit_AutoScroll(edit);
  HELE v = XSView_GetScrollBarV(edit);
  EXPECT_GT(XSBar_GetRange(v), 0);
  EXPECT_EQ(XSBar_GetPos(v), XSBar_GetRange(v));
  // Single-line edits ignore line breaks.
  XEdit_EnableMultiLine(edit, false);
  XEdit_SetText(edit, u"a\r\nb");
  EXPECT_EQ(e->lines().size(), 1u);
}

TEST_F(ControlsTest, AppendingLaysOutOnlyTheLastLineAndAgreesWithAFullLayout) {
  HELE step = XEdit_Create(0, 0, 300, 100, 0), whole = XEdit_Create(0, 0, 300, 100, 0);
  const char16_t* parts[] = {u"编译", u"开始\n", u"", u"warning: x\n\n", u"tail", u" more\r\n", u"end"};
  for (HELE e : {step, whole}) {
    XEdit_EnableMultiLine(e, true);
    XEdit_AddStyleEx(e, u"Consolas", 14, 0, XRGB(255, 0, 0), true);
  }
  auto* a = dynamic_cast<tk::Edit*>(tk::getElement(step));
  auto* b = dynamic_cast<tk::Edit*>(tk::getElement(whole));
  int i = 0;
  for (const char16_t* p : parts) {
    XEdit_AddTextEx(step, p, i % 2);
    XEdit_AddTextEx(whole, p, i % 2);
    a->lines();  // laid out after every append: the incremental path
    ++i;
  }
  const auto& la = a->lines();
  const auto& lb = b->lines();  // laid out once
  ASSERT_EQ(la.size(), lb.size());
  ASSERT_EQ(la.size(), 5u);
  for (size_t k = 0; k < la.size(); ++k) {
    EXPECT_EQ(la[k].top, lb[k].top) << k;
    EXPECT_EQ(la[k].height, lb[k].height) << k;
    EXPECT_EQ(la[k].width, lb[k].width) << k;
    EXPECT_EQ(a->pieces(k).size(), b->pieces(k).size()) << k;
  }
  EXPECT_EQ(la[3].width, 9 * 8);  // "tail more": two runs on one line
  EXPECT_EQ(la[3].height, 21);    // the 14-point style sets the line height
}

// A long log of one style: held in runs of bounded size that each end a line, laid out as if it
// were one run; the program removes its start in place, read-only or not, and the selection
// stays on its text.
TEST_F(ControlsTest, ALongLogIsHeldInRunsThatEndLinesAndLosesItsStartInPlace) {
  HELE edit = XEdit_Create(0, 0, 800, 100, 0);
  XEdit_EnableMultiLine(edit, true);
  XEdit_EnableReadOnly(edit, true);
  auto* e = dynamic_cast<tk::Edit*>(tk::getElement(edit));
  ASSERT_NE(e, nullptr);
  std::u16string all;
  for (int i = 0; i < 20000; ++i) {
    const std::string number = std::to_string(i);
    const std::u16string line = u"第" + std::u16string(number.begin(), number.end()) + u" 行 exception at 0x401000\r\n";
    XEdit_AddText(edit, line.c_str());
    all += line;
  }
  EXPECT_EQ(e->text(), all);
  ASSERT_GT(e->runs().size(), 1u);
  for (const tk::Edit::Run& run : e->runs()) EXPECT_EQ(run.text.back(), u'\n');
  // Runs that are done keep little room; the open one has room for a run's worth.
  for (size_t r = 0; r + 1 < e->runs().size(); ++r)
    EXPECT_LE(e->runs()[r].text.capacity(), e->runs()[r].text.size() * 9 / 8 + 64) << r;
  ASSERT_EQ(e->lines().size(), 20001u);  // and the empty last one
  for (size_t i = 0; i + 1 < e->lines().size(); ++i) {
    ASSERT_EQ(e->pieces(i).size(), 1u) << i;  // no line is split between runs
    EXPECT_EQ(e->lines()[i].top, static_cast<int>(i) * e->lines()[0].height);
  }

  // The user selected "exception" on line 12000; the first 10000 lines go.
  const size_t line12000 = all.find(u"第12000 行");
  const size_t cut = all.find(u"第10000 行");
  e->select(line12000 + 9, line12000 + 18);
  XEdit_RemoveText(edit, 0, static_cast<int>(cut));
  EXPECT_EQ(e->text(), all.substr(cut));
  const auto [from, to] = e->selection();
  EXPECT_EQ(e->text().substr(from, to - from), u"exception");
  EXPECT_EQ(e->lines().size(), 10001u);
  XEdit_RemoveText(edit, 5, 5);  // nothing
  XEdit_RemoveText(edit, -1, 3);
  EXPECT_EQ(e->text(), all.substr(cut));
  XEdit_RemoveText(edit, 0, 1 << 30);  // past the end: all of it
  EXPECT_EQ(e->text(), u"");
  EXPECT_TRUE(e->runs().empty());
  EXPECT_EQ(e->selection(), (std::pair<size_t, size_t>{0, 0}));
}

TEST_F(ControlsTest, ButtonPaintsDisabledIconAndWindowRole) {
  write("a.png", pngBytes(16, 16));
  write("b.png", pngBytes(16, 16));
  HIMAGE normal = XImage_LoadFile(x(dir_ / "a.png").c_str(), false);
  HIMAGE gray = XImage_LoadFile(x(dir_ / "b.png").c_str(), false);
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  HELE b = XBtn_Create(10, 10, 20, 20, u"", w);
  XBtn_SetIcon(b, normal);
  XBtn_SetIconDisable(b, gray);
  auto iconOf = [&] {
    tk::RecordingCanvas canvas;
    tk::getWindow(w)->paint(canvas);
    for (const auto& op : canvas.ops)
      if (op.kind == tk::CanvasOp::Kind::image) return std::make_pair(op.image, op.rect);
    return std::make_pair(HIMAGE(0), XRect{});
  };
  EXPECT_EQ(iconOf(), std::make_pair(normal, XRect{12, 12, 28, 28}));
  XEle_Enable(b, false);
  EXPECT_EQ(iconOf().first, gray);
  // The window records redraw requests for the backend.
  tk::getWindow(w)->takeDirty();
  XEle_RedrawEle(b, false);
  EXPECT_EQ(tk::getWindow(w)->takeDirty(), (std::vector<XRect>{{10, 10, 30, 30}}));
}

// Wrapped East Asian text: a closing mark never starts a line, an opening one never ends one; a
// long run of marks is left to the width, and a line always keeps a character.
TEST(LineBreaks, ClosingMarksStayWithTheTextBeforeThemAndOpeningOnesWithTheTextAfter) {
  using tk::adjustLineBreak;
  const std::u16string text = u"这是一个测试。下一句（注释）";
  EXPECT_EQ(adjustLineBreak(text, 0, 6), 5u);    // "。" would start the line: "试。" goes on
  EXPECT_EQ(adjustLineBreak(text, 0, 7), 7u);    // "下" may start one
  EXPECT_EQ(adjustLineBreak(text, 0, 11), 10u);  // "（" would end the line: it goes down with "注"
  EXPECT_EQ(adjustLineBreak(text, 0, 10), 10u);
  EXPECT_EQ(adjustLineBreak(u"ab, cd", 0, 2), 1u);
  EXPECT_EQ(adjustLineBreak(u"a。", 0, 1), 1u);               // one character is all the line has: it stays
  EXPECT_EQ(adjustLineBreak(u"字。。。。。。。", 0, 3), 3u);  // no place near: the width decides
  EXPECT_EQ(adjustLineBreak(text, 0, text.size()), text.size());
  EXPECT_EQ(adjustLineBreak(text, 4, 4), 4u);
}

TEST_F(ControlsTest, AWrappedLogLineNeverStartsWithAClosingMark) {
  HELE edit = XEdit_Create(0, 0, 200, 200, 0);  // 25 characters of 8 pixels a line
  XEdit_EnableMultiLine(edit, true);
  XEdit_EnableAutoWrap(edit, true);
  auto* e = dynamic_cast<tk::Edit*>(tk::getElement(edit));
  ASSERT_NE(e, nullptr);
  std::u16string line(25, u'字');
  XEdit_SetText(edit, (line + u"。后面（注）").c_str());
  XEle_AdjustLayout(edit);
  ASSERT_EQ(e->lines().size(), 2u);
  EXPECT_EQ(e->lines()[0].width, 24 * 8);
  ASSERT_FALSE(e->pieces(1).empty());
  EXPECT_EQ(e->pieces(1)[0].offset, 24u);        // "字。后面（注）"
  EXPECT_EQ(e->text(), line + u"。后面（注）");  // the text itself is untouched

  line = std::u16string(24, u'字');
  XEdit_SetText(edit, (line + u"（注）").c_str());
  XEle_AdjustLayout(edit);
  ASSERT_EQ(e->lines().size(), 2u);
  EXPECT_EQ(e->pieces(1)[0].offset, 24u);  // "（" moved down with "注"
}

}  // namespace
}  // namespace tovalux::testing
