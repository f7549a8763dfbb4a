#include <gtest/gtest.h>

#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using ResourcesTest = ToolkitTest;

TEST_F(ResourcesTest, PackageColoursAndImages) {
  write("Images/cd.png", pngBytes(7, 4));
  write("Images/grip.bmp", bmpBytes(3, -9));  // top-down rows
  write("Images/broken.png", "not an image");
  write("Dark/resource.res",
        "\xEF\xBB\xBF# theme\n"
        "[colors]\n"
        "ID_COLOR_WinBg = #2D2D30\r\n"
        "ID_COLOR_WinBd=rgb(0,122,204)\n"
        "ID_COLOR_Half = rgba(1,2,3,128)\n"
        "ID_COLOR_Bad = #12345\n"
        "no equals sign here\n"
        "[images]\n"
        "cd.png = ..\\Images\\cd.png\n"
        "grip.bmp = ../Images/grip.bmp\n"
        "broken.png = ../Images/broken.png\n"
        "gone.png = ../Images/gone.png\n");
  ASSERT_TRUE(XC_LoadResource(x(dir_ / "Dark/resource.res").c_str()));
  EXPECT_EQ(XRes_GetColor(u"ID_COLOR_WinBg"), XRGB(45, 45, 48));
  EXPECT_EQ(XRes_GetColor(u"id_color_winbd"), XRGB(0, 122, 204));  // names ignore ASCII case
  EXPECT_EQ(tk::resourceStore().resources.color("ID_COLOR_Half")->alpha, 128);
  EXPECT_EQ(XRes_GetColor(u"ID_COLOR_Bad"), 0u);
  EXPECT_EQ(XRes_GetColor(u"ID_COLOR_Unknown"), 0u);
  HIMAGE cd = XRes_GetImage(u"cd.png");
  EXPECT_EQ(XImage_GetWidth(cd), 7);
  EXPECT_EQ(XImage_GetHeight(cd), 4);
  EXPECT_EQ(XRes_GetImage(u"CD.PNG"), cd);  // the same handle every time
  HIMAGE grip = XRes_GetImage(u"grip.bmp");
  EXPECT_EQ(XImage_GetWidth(grip), 3);
  EXPECT_EQ(XImage_GetHeight(grip), 9);
  EXPECT_EQ(XRes_GetImage(u"broken.png"), 0u);
  EXPECT_EQ(XRes_GetImage(u"gone.png"), 0u);
  EXPECT_EQ(XRes_GetImage(u"unlisted.png"), 0u);
  EXPECT_FALSE(XC_LoadResource(x(dir_ / "absent.res").c_str()));
  EXPECT_EQ(XRes_GetColor(u"ID_COLOR_WinBg"), 0u);  // a failed load leaves an empty package
}

TEST(ImageHeaders, OnlyPlausiblePngAndBmpHeadersGiveASize) {
  EXPECT_EQ(tk::sniffImage(pngBytes(680, 420))->width, 680);
  EXPECT_EQ(tk::sniffImage(bmpBytes(500, 300))->height, 300);
  EXPECT_FALSE(tk::sniffImage(pngBytes(0, 10)));
  EXPECT_FALSE(tk::sniffImage(pngBytes(1u << 20, 10)));
  EXPECT_FALSE(tk::sniffImage(pngBytes(10, 10).substr(0, 20)));
  EXPECT_FALSE(tk::sniffImage(bmpBytes(0, 10)));
  EXPECT_FALSE(tk::sniffImage("BM"));
  EXPECT_FALSE(tk::sniffImage(""));
}

TEST_F(ResourcesTest, ImagesFromFilesAndMemory) {
  std::string png = pngBytes(680, 420);
  HIMAGE splash = XImage_LoadMemory(png.data(), static_cast<int>(png.size()), false);
  EXPECT_EQ(XImage_GetWidth(splash), 680);
  EXPECT_EQ(XImage_LoadMemory(png.data(), 10, false), 0u);
  EXPECT_EQ(XImage_LoadMemory(nullptr, 100, false), 0u);
  auto file = write("winMenu/Open_16x.png", pngBytes(16, 16));
  EXPECT_EQ(XImage_GetHeight(XImage_LoadFile(x(file).c_str(), false)), 16);
  EXPECT_EQ(XImage_LoadFile(x(dir_ / "winMenu/none.png").c_str(), false), 0u);
  EXPECT_EQ(XImage_GetWidth(0), 0);
}

TEST_F(ResourcesTest, StyleSheetCascadeAndEnableCss) {
  write("resource.res", "[colors]\nAccent = #007ACC\n");
  ASSERT_TRUE(XC_LoadResource(x(dir_ / "resource.res").c_str()));
  write("style.css",
        "/* dark */\n"
        "button { background-color: #333337; color: #DCDCDC; }\n"
        "button:hover { background-color: #3E3E40 }\n"
        ".style_ { background-color: @Accent; border-color: #3F3F46; border-width: 1px; }\n"
        "tabBar, scrollBar { background-color: #252526; }\n"
        "@media print { button { color: red; } }\n"
        "button:unknownstate { color: #FF0000; }\n");
  ASSERT_TRUE(XC_LoadStyle(x(dir_ / "style.css").c_str()));
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 100, 100);
  HELE plain = XBtn_Create(0, 0, 50, 20, u"", w);
  HELE classy = XBtn_Create(0, 20, 50, 20, u"", w);
  XEle_SetCssName(classy, u"style_");
  auto paintOf = [&](HELE e) {
    tk::RecordingCanvas canvas;
    tk::paintElement(canvas, *tk::getElement(e), {0, 0});
    return canvas.drawn();
  };
  EXPECT_EQ(paintOf(plain)[0], "fill 0,0-50,20 #333337/255");
  tk::getElement(plain)->hovered = true;
  EXPECT_EQ(paintOf(plain)[0], "fill 0,0-50,20 #3E3E40/255");    // the state rule wins
  EXPECT_EQ(paintOf(classy)[0], "fill 0,20-50,40 #007ACC/255");  // the class rule wins
  EXPECT_EQ(paintOf(classy)[1], "frame 0,20-50,40 #3F3F46/255");
  EXPECT_EQ(tk::getElement(plain)->effectiveTextColor().first, XRGB(220, 220, 220));
  // Off: the element's own default look, no sheet colours.
  XEle_EnableCSS(plain, false);
  EXPECT_EQ(paintOf(plain)[0], "fill 0,0-50,20 #3E3E40/255");  // built-in hover look
  XEle_EnableCSS(classy, false);
  EXPECT_EQ(paintOf(classy)[0], "fill 0,20-50,40 #333337/255");  // built-in normal look
  // A descriptor beats the sheet; a transparent element paints no background of its own.
  XEle_EnableCSS(classy, true);
  XBkM_SetBkInfo(XEle_GetBkManager(classy), u"{99:1.9.9;5:2(15)21(3)22(-14540254)23(255);98:16(0);}");
  EXPECT_EQ(paintOf(classy)[0], "fill 0,20-50,40 #222222/255");
  HELE see = XEle_Create(0, 0, 10, 10, w);
  XEle_SetCssName(see, u"style_");
  XEle_EnableBkTransparent(see, true);
  EXPECT_TRUE(XEle_IsBkTransparent(see));
  EXPECT_TRUE(paintOf(see).empty());
  EXPECT_EQ(tk::resourceStore().style.ruleCount(), 5u);
}

TEST(Values, ColourFontAndSideSyntax) {
  EXPECT_EQ(tk::parseColor("#FF8000", false)->color, XRGB(255, 128, 0));
  EXPECT_EQ(tk::parseColor("#FF800040", false)->alpha, 0x40);
  EXPECT_FALSE(tk::parseColor("@Name", false));
  EXPECT_EQ(tk::parseColor("@Name", true)->reference, "Name");
  EXPECT_FALSE(tk::parseColor("rgb(1,2)", false));
  EXPECT_FALSE(tk::parseColor("rgb(1,2,300)", false));
  auto font = tk::parseFont("微软雅黑, 9, bold|strikeout");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->style, font_style_bold | font_style_strikeout);
  EXPECT_EQ(tk::parseFont("Arial,9,3")->style, 3);
  EXPECT_FALSE(tk::parseFont("Arial"));
  EXPECT_FALSE(tk::parseFont("Arial,0"));
  EXPECT_EQ(tk::parseSides("2,0,2,0"), (XRect{2, 0, 2, 0}));
  EXPECT_EQ(tk::parseSides("5"), (XRect{5, 5, 5, 5}));
  EXPECT_FALSE(tk::parseSides("1,2,3"));
  EXPECT_EQ(tk::utf16ToUtf8(tk::utf8ToUtf16("a\xE4\xB8\xAD\xF0\x9F\x98\x80")), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(tk::utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong
  EXPECT_EQ(tk::utf8ToUtf16("\xE4\xB8"), (std::u16string{0xFFFD, 0xFFFD}));  // truncated
}

TEST_F(ResourcesTest, FontsCarryTheirStyleBitsAndTheDefaultApplies) {
  HFONTX strike = XFont_Create2(u"微软雅黑", 9, font_style_strikeout);
  auto* f = tk::context().registry.get<tk::Font>(strike);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->style(), font_style_strikeout);
  EXPECT_EQ(XFont_Create2(u"Arial", 0, 0), 0u);
  HSHAPE text = XShapeText_Create(0, 0, 10, 10, u"x", 0);
  EXPECT_EQ(tk::getElement(text)->effectiveFont().size(), 9);  // built-in default
  HFONTX big = XFont_Create2(u"Consolas", 14, 0);
  XC_SetDefaultFont(big);
  EXPECT_EQ(tk::getElement(text)->effectiveFont().face(), u"Consolas");
  XShapeText_SetFont(text, strike);
  EXPECT_EQ(tk::getElement(text)->effectiveFont().style(), font_style_strikeout);
}

}  // namespace
}  // namespace tovalux::testing
