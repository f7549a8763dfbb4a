#include <gtest/gtest.h>

#include "toolkit/model/controls/button.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/theme/xml.h"
#include "toolkit/model/tree/loader.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using LoaderTest = ToolkitTest;

// UTF-8 bytes, as the theme files are written (narrow literals here are GBK).
constexpr const char8_t* kTopEdgeU8 =
    u8R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- top edge of the frame -->
<layout name="topEdge" width="fill" height="fill" flow="vertical">
  <layout height="30" width="fill" alignV="center" padding="6,0,0,0" spacing="4">
    <shapeText name="winTitle" text="易语言 - Tovalux IDE" width="auto" height="fill" textColor="#F1F1F1"/>
    <element width="fill" height="1"/>
    <button name="userType" text="管理员" width="60" height="20" css="false" class="style_"/>
    <button name="winMax" role="maximize" width="30" height="30" tooltip="最大化 &amp; 还原"/>
    <button name="winClose" width="30" height="30"/>
    <futureWidget name="later"><button name="insideUnknown"/></futureWidget>
  </layout>
  <toolBar name="winToolBar0" height="28" width="fill">
    <button id="7" width="20" height="20" icon="img/run.png" iconDisable="@missing.png"/>
    <element width="2" height="21" mouseThrough="true"/>
  </toolBar>
  <tabBar name="codePageTab" height="26" width="fill" closeButtons="true">
    <label text="起始页"/>
    <label text="窗口程序集_启动窗口"/>
  </tabBar>
</layout>
)";
const std::string kTopEdge(reinterpret_cast<const char*>(kTopEdgeU8));
std::string u8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST_F(LoaderTest, LayoutFileCreatesTheNamedTreeUnderItsParent) {
  write("img/run.png", pngBytes(16, 16));
  auto file = write("LayoutWindowTop3.xml", kTopEdge);
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"", 0, 0, 0, 1100, 800, nullptr, 47);
  XWnd_SetLayoutSize(frame, 7, 117, 7, 32);
  HXCGUI root = XC_LoadLayout(x(file).c_str(), frame, nullptr);
  ASSERT_TRUE(XC_IsHXCGUI(root, XC_ELE_LAYOUT));
  XWnd_BindLayoutEle(frame, bind_top, root);
  XWnd_AdjustLayout(frame);

  HXCGUI title = XC_GetObjectByName(u"winTitle");
  EXPECT_TRUE(XC_IsHXCGUI(title, XC_SHAPE_TEXT));
  EXPECT_EQ(XShapeText_GetText(title), XString(u"易语言 - Tovalux IDE"));
  HXCGUI user = XC_GetObjectByName(u"userType");
  ASSERT_TRUE(XC_IsHXCGUI(user, XC_BUTTON));
  EXPECT_FALSE(tk::getElement(user)->cssEnabled);
  EXPECT_EQ(tk::getElement(user)->cssClass, u"style_");
  EXPECT_EQ(XEle_GetToolTip(XC_GetObjectByName(u"winMax")), XString(u"最大化 & 还原"));
  EXPECT_TRUE(XC_IsHXCGUI(XC_GetObjectByName(u"winToolBar0"), XC_TOOLBAR));
  EXPECT_EQ(XToolBar_GetEleCount(XC_GetObjectByName(u"winToolBar0")), 2);
  HELE run = XC_GetObjectByID(frame, 7);
  EXPECT_EQ(XToolBar_GetEle(XC_GetObjectByName(u"winToolBar0"), 0), run);
  auto* runButton = dynamic_cast<tk::Button*>(tk::getElement(run));
  ASSERT_NE(runButton, nullptr);
  EXPECT_EQ(XImage_GetWidth(runButton->icon), 16);
  EXPECT_EQ(runButton->iconDisable, 0u);  // not in the package: no image, no failure
  HELE tabs = XC_GetObjectByName(u"codePageTab");
  EXPECT_EQ(XTabBar_GetLabelCount(tabs), 2);
  EXPECT_EQ(XBtn_GetText(XTabBar_GetLabel(tabs, 1)), XString(u"窗口程序集_启动窗口"));
  EXPECT_TRUE(XEle_IsShow(XTabBar_GetLabelClose(tabs, 1)));
  // An unknown kind is skipped with its subtree.
  EXPECT_EQ(XC_GetObjectByName(u"later"), 0u);
  EXPECT_EQ(XC_GetObjectByName(u"insideUnknown"), 0u);
  // Laid out in the top band: the title row spans the frame.
  EXPECT_EQ(rectOf(root), (XRect{0, 0, 1100, 117}));
  EXPECT_EQ(rectOf(XC_GetObjectByName(u"winClose")), (XRect{1070, 0, 1100, 30}));
  EXPECT_EQ(rectOf(XC_GetObjectByName(u"userType")), (XRect{972, 5, 1032, 25}));
  EXPECT_EQ(rectOf(title), (XRect{6, 0, 6 + 17 * 8, 30}));  // 17 UTF-16 units, full row height
}

TEST_F(LoaderTest, WindowLayoutsBindEdgesAndScopeIdsPerWindow) {
  auto tips =
      write("TipsWnd.xml", u8(u8R"(<window title="tip" width="400" height="106" margin="1,24,1,1" dragWindow="false">
      <layout bind="top" width="fill" height="fill" padding="6,0,0,0">
        <shapeText id="1" text="Tovalux IDE 更新" width="fill" height="fill" font="微软雅黑,9,bold"/>
      </layout>
      <shapeText id="2" width="fill" height="fill"/>
      <button id="3" text="查看" width="60" height="22"/>
    </window>)"));
  auto dialog = write("EcInsertWnd.xml", R"(<window width="300" height="120"><edit id="1" width="fill" height="22"/>
      <button id="2" width="60" height="22"/></window>)");
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"", 0, 0, 0, 1100, 800, nullptr, 47);
  HWINDOW tip = XC_LoadLayout(x(tips).c_str(), frame, nullptr);
  HWINDOW name = XC_LoadLayout(x(dialog).c_str(), frame, nullptr);
  ASSERT_TRUE(XC_IsHWINDOW(tip));
  ASSERT_TRUE(XC_IsHWINDOW(name));
  auto* w = tk::getWindow(tip);
  EXPECT_EQ(w->owner, frame);
  EXPECT_EQ(w->rect, (XRect{0, 0, 400, 106}));
  EXPECT_FALSE(w->dragWindow);
  EXPECT_TRUE(XC_IsHXCGUI(XC_GetObjectByID(tip, 1), XC_SHAPE_TEXT));
  EXPECT_TRUE(XC_IsHXCGUI(XC_GetObjectByID(name, 1), XC_EDIT));
  EXPECT_TRUE(XC_IsHXCGUI(XC_GetObjectByID(tip, 3), XC_BUTTON));
  EXPECT_EQ(XC_GetObjectByID(name, 3), 0u);
  XWnd_AdjustLayout(tip);
  HXCGUI heading = XC_GetObjectByID(tip, 1);
  EXPECT_EQ(tk::getElement(heading)->effectiveFont().style(), font_style_bold);
  EXPECT_EQ(rectOf(XEle_GetParentEle(heading)), (XRect{0, 0, 400, 24}));
  XRect r{};
  XEle_GetClientRect(XC_GetObjectByID(tip, 3), &r);
  XEle_RectClientToWndClient(XC_GetObjectByID(tip, 3), &r);
  EXPECT_EQ(r, (XRect{339, 24, 399, 46}));  // after the fill text, which takes what is left
}

TEST_F(LoaderTest, MalformedOrMissingFilesCreateNothing) {
  HWINDOW frame = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  size_t before = tk::context().registry.size();
  const char* broken[] = {
      "",
      "<layout>",
      "<layout name='a'><button></layout>",
      "<layout name='a' name='b'/>",
      "<layout a=1/>",
      "<layout/><layout/>",
      "<layout>&bogus;</layout>",
      "<!DOCTYPE x [<!ENTITY e 'boom'>]><layout/>",
      "<layout><button name='x' text='&#0;'/></layout>",
      "<layout",
  };
  int i = 0;
  for (const char* text : broken) {
    auto file = write("broken" + std::to_string(i++) + ".xml", text);
    EXPECT_EQ(XC_LoadLayout(x(file).c_str(), frame, nullptr), 0u) << text;
  }
  EXPECT_EQ(XC_LoadLayout(x(dir_ / "absent.xml").c_str(), frame, nullptr), 0u);
  EXPECT_EQ(XC_LoadLayout(nullptr, frame, nullptr), 0u);
  EXPECT_EQ(tk::context().registry.size(), before);
  EXPECT_EQ(XWnd_GetChildCount(frame), 0);
  // Deep nesting is refused rather than recursed into.
  std::string deep;
  for (int d = 0; d < 200; ++d) deep += "<layout>";
  for (int d = 0; d < 200; ++d) deep += "</layout>";
  EXPECT_EQ(XC_LoadLayout(x(write("deep.xml", deep)).c_str(), frame, nullptr), 0u);
}

TEST_F(LoaderTest, BadAttributeValuesAreIgnoredNotFatal) {
  auto file = write("v.xml", R"(<layout width="wide" height="-5" padding="1,2" name="v">
      <button name="b" width="12" height="x" type="sideways" textColor="#12"/></layout>)");
  HXCGUI root = XC_LoadLayout(x(file).c_str(), 0, nullptr);
  ASSERT_NE(root, 0u);
  auto* b = dynamic_cast<tk::Button*>(tk::getElement(XC_GetObjectByName(u"b")));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->buttonType, button_type_push);
  EXPECT_EQ(b->width(), 12);
  EXPECT_FALSE(b->textColor);
  EXPECT_EQ(tk::getElement(root)->padding, (XRect{}));
}

TEST_F(LoaderTest, GbkDeclaredFilesAreDecoded) {
  std::string gbk = "<?xml version=\"1.0\" encoding=\"GBK\"?><shapeText name=\"t\" text=\"确定\"/>";  // GBK bytes
  auto file = write("gbk.xml", gbk);
  ASSERT_NE(XC_LoadLayout(x(file).c_str(), 0, nullptr), 0u);
  EXPECT_EQ(XShapeText_GetText(XC_GetObjectByName(u"t")), XString(u"确定"));
}

TEST_F(LoaderTest, ItemTemplatesInstantiateWithObjectIdsAndColumns) {
  auto file = write("LibsTreeItem.xml", R"(<template for="tree">
      <item height="20">
        <layout width="fill" height="fill" alignV="center">
          <button itemId="0" type="check" width="16" height="16" bkTransparent="true"/>
          <shapePic itemId="1" column="name1" width="16" height="16"/>
          <shapeText itemId="2" column="name2" width="fill" height="fill"/>
        </layout>
      </item>
    </template>)");
  HTEMP t = XTemp_Load(listType_tree, x(file).c_str());
  ASSERT_TRUE(XC_IsHXCGUI(t, XC_TEMP));
  EXPECT_EQ(XTemp_Load(listType_listBox, x(file).c_str()), 0u);  // written for trees
  auto* temp = tk::context().registry.get<tk::Template>(t);
  ASSERT_TRUE(temp->item);
  EXPECT_EQ(tk::sectionSize(*temp->item), (XSize{0, 20}));
  HELE row = XLayout_Create(0, 0, 200, 20, 0);
  tk::TemplateInstance a = tk::instantiate(*temp->item, temp->folder, row);
  tk::TemplateInstance b = tk::instantiate(*temp->item, temp->folder, row);
  EXPECT_TRUE(XC_IsHXCGUI(a.find(0), XC_BUTTON));
  EXPECT_TRUE(XC_IsHXCGUI(a.find(2), XC_SHAPE_TEXT));
  EXPECT_NE(a.find(2), b.find(2));
  EXPECT_EQ(a.find(5), 0u);
  ASSERT_EQ(a.columns.size(), 2u);
  EXPECT_EQ(a.columns[1], (std::pair<HXCGUI, std::string>{a.find(2), "name2"}));
  EXPECT_EQ(XTemp_Load(listType_tree, x(write("bad.xml", "<template><item></template>")).c_str()), 0u);
  EXPECT_EQ(XTemp_Load(listType_tree, x(write("notemp.xml", "<layout/>")).c_str()), 0u);
}

TEST_F(LoaderTest, KindsRegisteredLaterAreCreatedByTheirTag) {
  tk::registerKind("gadget", [](HXCGUI parent) -> tk::Element* {
    return tk::makeElement<tk::ShapeText>(parent, {0, 0, 5, 5});
  });
  ASSERT_NE(XC_LoadLayout(x(write("g.xml", "<layout><gadget name='g' text='hi'/></layout>")).c_str(), 0, nullptr), 0u);
  EXPECT_EQ(XShapeText_GetText(XC_GetObjectByName(u"g")), XString(u"hi"));
}

TEST(XmlParser, EntitiesCdataCommentsAndLimits) {
  auto doc = tk::parseXml("<?xml version='1.0'?><!-- c --><a x='&lt;&#x4E2D;&#25991;&gt;'><![CDATA[<raw>]]>t<b/></a>");
  ASSERT_TRUE(doc);
  EXPECT_EQ(*doc->attribute("x"), u8(u8"<中文>"));
  EXPECT_EQ(doc->text, "<raw>t");
  EXPECT_EQ(doc->children.size(), 1u);
  tk::XmlLimits small;
  small.maxNodes = 3;
  EXPECT_FALSE(tk::parseXml("<a><b/><c/><d/></a>", small));
  EXPECT_FALSE(tk::parseXml("<a></b>"));
  EXPECT_FALSE(tk::parseXml("<a x='1'y='2'/>"));  // attributes need white space between them
  EXPECT_FALSE(tk::parseXml("<a>&#xD800;</a>"));
  EXPECT_TRUE(tk::parseXml("\xEF\xBB\xBF<a/>"));
}

}  // namespace
}  // namespace tovalux::testing
