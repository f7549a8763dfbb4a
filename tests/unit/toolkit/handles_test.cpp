#include <gtest/gtest.h>

#include <set>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using HandlesTest = ToolkitTest;

TEST_F(HandlesTest, TypesAndDerivedKinds) {
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"t", 0, 0, 0, 800, 600, nullptr, 47);
  HWINDOW wnd = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 10, 10);
  HELE ele = XEle_Create(0, 0, 10, 10, frame);
  HELE layout = XLayout_Create(0, 0, 10, 10, frame);
  HELE button = XBtn_Create(0, 0, 10, 10, u"b", layout);
  HSHAPE text = XShapeText_Create(0, 0, 10, 10, u"t", layout);
  HELE edit = XEdit_Create(0, 0, 10, 10, layout);
  HELE bar = XTabBar_Create(0, 0, 100, 20, layout);
  HELE label = XTabBar_GetLabel(bar, XTabBar_AddLabel(bar, u"a"));

  EXPECT_EQ(XC_GetObjectType(frame), XC_FRAMEWND);
  EXPECT_TRUE(XC_IsHWINDOW(frame) && XC_IsHWINDOW(wnd));
  EXPECT_TRUE(XC_IsHXCGUI(frame, XC_WINDOW));  // the frame is a window
  EXPECT_FALSE(XC_IsHXCGUI(wnd, XC_FRAMEWND));
  EXPECT_TRUE(XC_IsHELE(ele) && XC_IsHELE(layout) && XC_IsHELE(button) && XC_IsHELE(edit));
  EXPECT_FALSE(XC_IsHELE(text));  // shapes are not elements
  EXPECT_FALSE(XC_IsHELE(frame));
  EXPECT_TRUE(XC_IsHXCGUI(text, XC_SHAPE_TEXT));
  EXPECT_TRUE(XC_IsHXCGUI(edit, XC_EDIT) && XC_IsHXCGUI(edit, XC_SCROLLVIEW));
  EXPECT_TRUE(XC_IsHXCGUI(label, XC_BUTTON));  // tab labels are buttons
  EXPECT_EQ(XBtn_GetType(label), button_type_check);
  EXPECT_TRUE(XC_IsHXCGUI(XTabBar_GetLabelClose(bar, 0), XC_BUTTON));
  EXPECT_EQ(XC_GetObjectType(XEle_GetBkManager(ele)), XC_BKM);
  EXPECT_EQ(XC_GetObjectType(XFont_Create2(u"Arial", 9, 1)), XC_FONT);
}

// A kind of object whose toolkit part is not at its start: the cast moves the pointer.
struct Payload {
  virtual ~Payload() = default;
  int filler[5] = {};
};
struct Offset : Payload, tk::Object {
  Offset() : tk::Object(XC_ELE) {}
};
struct OffsetChild : Offset {};

TEST_F(HandlesTest, CastsFromTheRegistryMatchDynamicCastWhateverOrderTheKindsComeIn) {
  tk::Registry& registry = tk::context().registry;
  const HXCGUI offset = registry.create<Offset>()->handle();
  const HXCGUI child = registry.create<OffsetChild>()->handle();
  const HXCGUI button = XBtn_Create(0, 0, 10, 10, u"b");
  const HXCGUI window = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 10, 10);
  for (int round = 0; round < 3; ++round) {
    for (const HXCGUI h : {offset, child, offset, button, window, child, child, window, 0u, 12345u}) {
      tk::Object* object = registry.find(h);
      EXPECT_EQ(registry.get<Offset>(h), dynamic_cast<Offset*>(object));
      EXPECT_EQ(registry.get<OffsetChild>(h), dynamic_cast<OffsetChild*>(object));
      EXPECT_EQ(registry.get<tk::Element>(h), dynamic_cast<tk::Element*>(object));
      EXPECT_EQ(registry.get<tk::Window>(h), dynamic_cast<tk::Window*>(object));
    }
  }
  EXPECT_NE(static_cast<void*>(registry.get<Offset>(offset)), static_cast<void*>(registry.find(offset)));
}

// Kinds with the toolkit part at as many offsets: more kinds than the casts keep answers for.
template <int N>
struct Padding {
  virtual ~Padding() = default;
  int filler[N] = {};
};
template <int N>
struct Many : Padding<N>, std::conditional_t<N % 3 == 0, OffsetChild, Offset> {};

template <int... N>
std::vector<HXCGUI> createMany(tk::Registry& registry, std::integer_sequence<int, N...>) {
  return {registry.create<Many<N + 1>>()->handle()...};
}

TEST_F(HandlesTest, CastsStayRightWhenMoreKindsComeThanAreKept) {
  tk::Registry& registry = tk::context().registry;
  const std::vector<HXCGUI> kinds = createMany(registry, std::make_integer_sequence<int, 48>());
  // In order, in reverse, and two by two (each pair meets in whatever set its kinds fall in).
  std::vector<HXCGUI> order(kinds);
  order.insert(order.end(), kinds.rbegin(), kinds.rend());
  for (size_t a = 0; a < kinds.size(); ++a)
    for (size_t b = a + 1; b < kinds.size(); b += 7) order.insert(order.end(), {kinds[a], kinds[b], kinds[a]});
  for (const HXCGUI h : order) {
    tk::Object* object = registry.find(h);
    ASSERT_EQ(registry.get<Offset>(h), dynamic_cast<Offset*>(object));
    ASSERT_EQ(registry.get<OffsetChild>(h), dynamic_cast<OffsetChild*>(object));
    ASSERT_EQ(registry.get<tk::Element>(h), nullptr);
  }
}

TEST_F(HandlesTest, StaleAndForeignHandlesAnswerNothing) {
  HWINDOW wnd = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  HELE parent = XLayout_Create(0, 0, 50, 50, wnd);
  HELE child = XBtn_Create(0, 0, 10, 10, u"x", parent);
  HBKM bkm = XEle_GetBkManager(child);
  XEle_Destroy(parent);
  for (HXCGUI h : {parent, child, bkm}) {
    EXPECT_FALSE(XC_IsHELE(h));
    EXPECT_EQ(XC_GetObjectType(h), 0);
    EXPECT_EQ(XEle_GetWidth(h), 0);
    EXPECT_EQ(XEle_GetChildCount(h), 0);
    EXPECT_FALSE(XEle_RegEventC(
        h, XE_BNCLICK, +[](bool*) { return 0; }));
  }
  EXPECT_EQ(XBtn_GetText(child), XString());
  EXPECT_EQ(XBkM_SetBkInfo(bkm, u"{99:1.9.9;5:2(15)21(3)22(1)23(255);98:16(0);}"), 0);
  EXPECT_EQ(XWnd_GetChildCount(wnd), 0);
  // Values that never were handles, and handles of the wrong kind.
  for (HXCGUI h : {0u, 1u, 42u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(XC_IsHXCGUI(h, XC_BUTTON));
    EXPECT_EQ(XEle_GetParentEle(h), 0u);
  }
  XWnd_SetLayoutSize(child, 1, 2, 3, 4);  // an element where a window is expected: ignored
  EXPECT_EQ(XTabBar_AddLabel(wnd, u"x"), -1);
  EXPECT_EQ(XToolBar_GetEleCount(wnd), 0);
}

TEST_F(HandlesTest, HandlesAreNeverReusedEvenAcrossReinitialisation) {
  std::set<HXCGUI> seen;
  for (int i = 0; i < 200; ++i) {
    HELE e = XEle_Create(0, 0, 1, 1, 0);
    EXPECT_TRUE(seen.insert(e).second);
    XEle_Destroy(e);
  }
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 1, 1);
  XExitXCGUI();
  EXPECT_FALSE(XC_IsHWINDOW(w));
  ASSERT_TRUE(XInitXCGUI("again"));
  tk::context().measurerOverride = &measurer_;
  HELE e = XEle_Create(0, 0, 1, 1, 0);
  EXPECT_GT(e, w);
  EXPECT_EQ(seen.count(e), 0u);
}

TEST_F(HandlesTest, ExitDestroysEverythingAndLaterCallsFailQuietly) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  HELE e = XBtn_Create(0, 0, 10, 10, u"x", w);
  HFONTX f = XFont_Create2(u"Arial", 9, 0);
  XEle_SetName(e, u"btn");
  XExitXCGUI();
  EXPECT_EQ(tk::context().registry.size(), 0u);
  EXPECT_FALSE(XC_IsHWINDOW(w));
  EXPECT_FALSE(XC_IsHELE(e));
  EXPECT_FALSE(XC_IsHXCGUI(f, XC_FONT));
  EXPECT_EQ(XC_GetObjectByName(u"btn"), 0u);
  EXPECT_EQ(XEle_Create(0, 0, 1, 1, 0), 0u);
  EXPECT_EQ(XWnd_CreateEx(0, u"", u"", 0, 0, 0, 1, 1), 0u);
  EXPECT_EQ(XC_LoadLayout(u"missing.xml", 0, nullptr), 0u);
  XWnd_CloseWindow(w);
  XExitXCGUI();                        // twice is harmless
  ASSERT_TRUE(XInitXCGUI("Tovalux"));  // for TearDown
}

TEST_F(HandlesTest, CloseWindowDestroysItsTreeWithoutTheCloseEvent) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  HELE e = XLayout_Create(0, 0, 10, 10, w);
  HELE inner = XBtn_Create(0, 0, 10, 10, u"x", e);
  static int closes = 0;
  closes = 0;
  XWnd_RegEventC(
      w, 16, +[](intptr_t, intptr_t, bool*) { return ++closes, 0; });
  XWnd_CloseWindow(w);
  EXPECT_EQ(closes, 0);
  EXPECT_FALSE(XC_IsHWINDOW(w));
  EXPECT_FALSE(XC_IsHELE(e));
  EXPECT_FALSE(XC_IsHELE(inner));
  EXPECT_TRUE(tk::context().windows.empty());
}

TEST_F(HandlesTest, TextsCrossAsUtf16AndComeBackAsGbk) {
  XString wide = XC_AnsiToUnicode("易语言 - Tovalux");
  EXPECT_EQ(wide, XString(u"易语言 - Tovalux"));
  EXPECT_EQ(XC_wtoa(wide.c_str()), std::string("易语言 - Tovalux"));
  EXPECT_EQ(XC_wtoa(nullptr), "");
  HELE b = XBtn_Create(0, 0, 10, 10, wide.c_str(), 0);
  EXPECT_EQ(XC_wtoa(XBtn_GetText(b).c_str()), "易语言 - Tovalux");
}

}  // namespace
}  // namespace tovalux::testing
