#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using EventsTest = ToolkitTest;

TEST_F(EventsTest, NewestHandlerRunsFirstAndAllRunUnlessHandled) {
  HELE b = XBtn_Create(0, 0, 10, 10, u"", 0);
  std::vector<std::string> order;
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return order.push_back("first"), 0; });
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return order.push_back("second"), 0; });
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return order.push_back("third"), 0; });
  EXPECT_EQ(XEle_SendEvent(b, XE_BNCLICK), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"third", "second", "first"}));
  order.clear();
  XEle_RegEventC(b, XE_BNCLICK, [&](bool* handled) { return order.push_back("stopper"), *handled = true, 0; });
  EXPECT_EQ(XEle_SendEvent(b, XE_BNCLICK), 1);
  EXPECT_EQ(order, (std::vector<std::string>{"stopper"}));
}

TEST_F(EventsTest, HandledClickSkipsTheDefaultAction) {
  HELE check = XBtn_Create(0, 0, 10, 10, u"", 0);
  XBtn_SetType(check, button_type_check);
  std::vector<int> changes;
  XEle_RegEventC(check, XE_BUTTON_CHECK, [&](bool checked, bool*) { return changes.push_back(checked), 0; });
  XEle_SendEvent(check, XE_BNCLICK);
  EXPECT_TRUE(XBtn_IsCheck(check));
  XEle_SendEvent(check, XE_BNCLICK);
  EXPECT_FALSE(XBtn_IsCheck(check));
  EXPECT_EQ(changes, (std::vector<int>{1, 0}));
  bool veto = true;
  XEle_RegEventC(check, XE_BNCLICK, [&](bool* handled) { return *handled = veto, 0; });
  XEle_SendEvent(check, XE_BNCLICK);
  EXPECT_FALSE(XBtn_IsCheck(check));
  veto = false;
  XEle_SendEvent(check, XE_BNCLICK);
  EXPECT_TRUE(XBtn_IsCheck(check));
  // No event for a change that is none.
  XBtn_SetCheck(check, true);
  EXPECT_EQ(changes.size(), 3u);
  // A disabled button has no default action.
  XEle_Enable(check, false);
  XEle_SendEvent(check, XE_BNCLICK);
  EXPECT_TRUE(XBtn_IsCheck(check));
}

int g_selfSeen = 0;
int g_argSeen = 0;
int onScroll(HELE self, int pos, bool*) {
  g_selfSeen = static_cast<int>(self);
  g_argSeen = pos;
  return 0;
}

TEST_F(EventsTest, C1FormsReceiveTheirObjectAndArgumentsArrive) {
  HELE bar = XSBar_Create(0, 0, 17, 200, 0);
  XSBar_SetRange(bar, 50);
  XEle_RegEventC1(bar, XE_SBAR_SCROLL, &onScroll);
  XSBar_ScrollPos(bar, 30);
  EXPECT_EQ(g_selfSeen, static_cast<int>(bar));
  EXPECT_EQ(g_argSeen, 30);
  // Clamped to the range; no event when the position does not move.
  g_argSeen = -1;
  XSBar_ScrollPos(bar, 500);
  EXPECT_EQ(g_argSeen, 50);
  g_argSeen = -1;
  XSBar_ScrollPos(bar, 50);
  EXPECT_EQ(g_argSeen, -1);
  // Handlers may take fewer arguments than the event has, or none at all.
  int calls = 0;
  XEle_RegEventC(bar, XE_SBAR_SCROLL, [&]() { return ++calls; });
  XSBar_ScrollPos(bar, 0);
  EXPECT_EQ(calls, 1);
}

TEST_F(EventsTest, HandlerDestroyingItsElementEndsTheDispatch) {
  HELE b = XBtn_Create(0, 0, 10, 10, u"", 0);
  int older = 0;
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return ++older; });
  XEle_RegEventC1(b, XE_BNCLICK, [&](HELE self, bool*) { return XEle_Destroy(self), 0; });
  EXPECT_EQ(XEle_SendEvent(b, XE_BNCLICK), 0);
  EXPECT_EQ(older, 0);
  EXPECT_FALSE(XC_IsHELE(b));
  EXPECT_EQ(XEle_SendEvent(b, XE_BNCLICK), 0);
}

TEST_F(EventsTest, HandlerRegisteredDuringDispatchRunsNextTime) {
  HELE b = XBtn_Create(0, 0, 10, 10, u"", 0);
  int late = 0;
  bool added = false;
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) {
    if (!added) added = true, XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return ++late; });
    return 0;
  });
  XEle_SendEvent(b, XE_BNCLICK);
  EXPECT_EQ(late, 0);
  XEle_SendEvent(b, XE_BNCLICK);
  EXPECT_EQ(late, 1);
}

TEST_F(EventsTest, WindowHandlersReceiveMessageArguments) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 10, 10);
  std::vector<std::pair<intptr_t, intptr_t>> seen;
  XWnd_RegEventC(w, 5, [&](intptr_t wp, intptr_t lp, bool*) { return seen.emplace_back(wp, lp), 0; });
  HWINDOW self = 0;
  XWnd_RegEventC1(w, 5, [&](HWINDOW me, intptr_t, intptr_t, bool* handled) { return self = me, *handled = true, 0; });
  tk::EventArgs args;
  args.count = 2;
  args.v[0] = 1;
  args.v[1] = 0x00200030;
  EXPECT_TRUE(tk::raiseEvent(w, 5, args));
  EXPECT_EQ(self, w);
  EXPECT_TRUE(seen.empty());  // the newer handler marked it handled
}

TEST_F(EventsTest, RadioGroupsUncheckTheirPartners) {
  HELE row = XLayout_Create(0, 0, 100, 20, 0);
  HELE a = XBtn_Create(0, 0, 10, 10, u"a", row), b = XBtn_Create(0, 0, 10, 10, u"b", row);
  HELE other = XBtn_Create(0, 0, 10, 10, u"c", row);
  for (HELE r : {a, b, other}) XBtn_SetType(r, button_type_radio);
  XBtn_SetGroupID(a, 1);
  XBtn_SetGroupID(b, 1);
  XBtn_SetGroupID(other, 2);
  XEle_SendEvent(a, XE_BNCLICK);
  XEle_SendEvent(other, XE_BNCLICK);
  XEle_SendEvent(b, XE_BNCLICK);
  EXPECT_FALSE(XBtn_IsCheck(a));
  EXPECT_TRUE(XBtn_IsCheck(b));
  EXPECT_TRUE(XBtn_IsCheck(other));
  XEle_SendEvent(b, XE_BNCLICK);  // a radio click never unchecks
  EXPECT_TRUE(XBtn_IsCheck(b));
}

}  // namespace
}  // namespace tovalux::testing
