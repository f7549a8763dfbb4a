#include <gtest/gtest.h>

#include "descriptor_rows.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using tk::parseDescriptor;
using Ops = std::vector<std::string>;

// A package with distinct colours and small images, so every painted op names its source.
class DescriptorTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    for (const char* name : {"cd.png", "cd2.png"}) write(std::string("img/") + name, pngBytes(7, 4));
    for (const char* name : {"paneSP.png", "paneSP1.png"}) write(std::string("img/") + name, pngBytes(4, 5));
    for (const char* name :
         {"tabBarNcClose.png", "tabBarNcClose1.png", "tabBarNcClose2.png", "tabBarActClose.png", "tabBarActClose1.png",
          "tabBarActClose2.png", "CollapseRgnWhite.png", "CollapseRgn_xWhite.png"})
      write(std::string("img/") + name, pngBytes(14, 14));
    write("resource.res",
          "[colors]\n"
          "ID_COLOR_WinBg = #2D2D30\n"
          "ID_COLOR_WinBd = #007ACC\n"
          "ID_COLOR_WinBugBd = #CA5100\n"
          "ID_COLOR_PaneBd = #3F3F46\n"
          "ID_COLOR_ComboBoxBg = #333337\n"
          "ID_COLOR_CodeTab_Btn_Hov = #1C97EA\n"
          "ID_COLOR_ToolBtnHov = #3E3E40\n"
          "ID_COLOR_LibTreeSelect = #3399FF\n"
          "ID_COLOR_1 = #434346\n"
          "ID_COLOR_2 = #1B1B1C\n"
          "ID_COLOR_3 = #252526\n"
          "[images]\n"
          "cd.png = img/cd.png\ncd2.png = img/cd2.png\npaneSP.png = img/paneSP.png\npaneSP1.png = img/paneSP1.png\n"
          "tabBarNcClose.png = img/tabBarNcClose.png\ntabBarNcClose1.png = img/tabBarNcClose1.png\n"
          "tabBarNcClose2.png = img/tabBarNcClose2.png\ntabBarActClose.png = img/tabBarActClose.png\n"
          "tabBarActClose1.png = img/tabBarActClose1.png\ntabBarActClose2.png = img/tabBarActClose2.png\n"
          "CollapseRgnWhite.png = img/CollapseRgnWhite.png\nCollapseRgn_xWhite.png = img/CollapseRgn_xWhite.png\n");
    ASSERT_TRUE(XC_LoadResource(x(dir_ / "resource.res").c_str()));
  }

  // Paints row `row` on a w x h element at (10, 20) in background state `state`.
  Ops paint(int row, uint32_t state, int w = 100, int h = 24) {
    auto info = parseDescriptor(kDescriptorRows[static_cast<size_t>(row)]);
    EXPECT_TRUE(info) << "row " << row;
    if (!info) return {};
    tk::RecordingCanvas canvas;
    tk::paintDescriptor(canvas, *info, {10, 20, 10 + w, 20 + h}, state, tk::resourceStore().resources);
    return canvas.drawn();
  }
};

TEST_F(DescriptorTest, EveryRowParsesWithItsPartsAndStates) {
  // (parts, state entries) per row, counted from the texts.
  const std::pair<size_t, size_t> shape[28] = {
      {0, 0}, {2, 1}, {2, 1}, {2, 1}, {4, 1}, {4, 1}, {2, 1}, {2, 1}, {4, 1}, {5, 3}, {6, 2}, {6, 2}, {6, 3}, {4, 3},
      {1, 3}, {1, 3}, {5, 4}, {5, 4}, {3, 3}, {3, 3}, {4, 4}, {2, 1}, {3, 3}, {4, 4}, {7, 2}, {5, 2}, {5, 5}, {2, 1}};
  for (int row = 1; row <= 27; ++row) {
    auto info = parseDescriptor(kDescriptorRows[static_cast<size_t>(row)]);
    ASSERT_TRUE(info) << "row " << row;
    EXPECT_EQ(info->parts.size(), shape[row].first) << "row " << row;
    EXPECT_EQ(info->states.size(), shape[row].second) << "row " << row;
  }
}

TEST_F(DescriptorTest, EveryListedStatePaintsAllItsPartsFromThePackage) {
  // Each entry's parts all resolve (colours and images exist) and each paints something.
  for (int row = 1; row <= 27; ++row) {
    auto info = parseDescriptor(kDescriptorRows[static_cast<size_t>(row)]);
    ASSERT_TRUE(info);
    for (const auto& entry : info->states) {
      tk::RecordingCanvas canvas;
      int painted = tk::paintDescriptor(canvas, *info, {0, 0, 200, 30}, entry.state, tk::resourceStore().resources);
      EXPECT_EQ(painted, static_cast<int>(entry.parts.size())) << "row " << row << " state " << entry.state;
    }
  }
}

TEST_F(DescriptorTest, LiteralColoursDecodeAsAlphaBlueGreenRed) {
  auto info = parseDescriptor(kDescriptorRows[9]);
  ASSERT_TRUE(info);
  ASSERT_TRUE(info->parts[1].fill);
  EXPECT_EQ(info->parts[1].fill->color, XRGB(0, 122, 204));  // -3376640: blue, whatever the gloss says
  EXPECT_EQ(info->parts[1].fill->alpha, 255);
  auto strip = parseDescriptor(kDescriptorRows[22]);
  EXPECT_EQ(strip->parts[2].fill->color, XRGB(51, 153, 255));  // -26317
}

TEST_F(DescriptorTest, FrameEdgesPaintLinesAtTheirSides) {
  // Row 5, top edge normal look: WinBg fill, WinBd lines at the left, right and top.
  EXPECT_EQ(paint(5, XBK_NORMAL), (Ops{"fill 10,20-110,44 #2D2D30/255", "fill 10,20-11,44 #007ACC/255",
                                       "fill 109,20-110,44 #007ACC/255", "fill 10,20-110,21 #007ACC/255"}));
  // Row 1, top edge debugging look: a bordered fill, then its bottom border erased.
  EXPECT_EQ(paint(1, XBK_NORMAL),
            (Ops{"fill 10,20-110,44 #2D2D30/255", "frame 10,20-110,44 #CA5100/255", "fill 11,43-109,44 #2D2D30/255"}));
  // Row 8, bottom edge: a 6-pixel WinBg strip over the WinBd band.
  EXPECT_EQ(paint(8, XBK_NORMAL, 100, 32), (Ops{"fill 10,26-110,52 #007ACC/255", "fill 11,20-109,26 #2D2D30/255",
                                                "fill 109,20-110,52 #007ACC/255", "fill 10,20-11,52 #007ACC/255"}));
}

TEST_F(DescriptorTest, PaneCaptionActiveInactiveAndNormal) {
  const uint32_t active = XBK_NORMAL | XBK_CHECKED | XBK_PANE_ACTIVE;
  const uint32_t inactive = XBK_NORMAL | XBK_CHECKED | XBK_PANE_INACTIVE;
  // Active: the blue fill, then the lighter grip tiled between 60 and width - 60, 5 from the top.
  EXPECT_EQ(paint(9, active, 300, 24), (Ops{"fill 10,20-310,44 #007ACC/255", "image paneSP1.png 70,25-250,30 tile"}));
  EXPECT_EQ(paint(9, inactive, 300, 24), (Ops{"fill 10,20-310,44 #2D2D30/255", "frame 10,20-310,44 #3F3F46/255",
                                              "fill 11,43-309,44 #2D2D30/255", "image paneSP.png 70,25-250,30 tile"}));
  EXPECT_EQ(paint(9, XBK_NORMAL, 300, 24), (Ops{"fill 10,20-310,44 #2D2D30/255", "frame 10,20-310,44 #3F3F46/255"}));
}

TEST_F(DescriptorTest, ComboRowsKeepTheirNormalLookWhileHovered) {
  Ops normal{"fill 10,20-110,42 #333337/255", "frame 10,20-110,42 #3F3F46/255", "fill 98,20-110,42 #3F3F46/255",
             "image cd.png 100,23-107,27 natural"};
  EXPECT_EQ(paint(10, XBK_NORMAL, 100, 22), normal);
  EXPECT_EQ(paint(10, XBK_HOVER, 100, 22), normal);  // no 32 entry: the 16 look stays
  // Pressed: the arrow moves 2 pixels down.
  EXPECT_EQ(paint(10, XBK_PRESSED, 100, 22),
            (Ops{"fill 10,20-110,42 #3F3F46/255", "frame 10,20-110,42 #007ACC/255", "fill 98,20-110,42 #007ACC/255",
                 "image cd.png 100,25-107,29 natural"}));
  // Row 11 (mouse over): the strip gets its own frame.
  EXPECT_EQ(paint(11, XBK_NORMAL, 100, 22),
            (Ops{"fill 10,20-110,42 #3F3F46/255", "frame 10,20-110,42 #007ACC/255", "fill 98,20-110,42 #2D2D30/255",
                 "frame 98,20-110,42 #007ACC/255", "image cd.png 100,23-107,27 natural"}));
  // Navigation combo, row 24: parts in the entry's order 0, 5, 6, 1.
  EXPECT_EQ(paint(24, XBK_NORMAL, 100, 22),
            (Ops{"fill 10,20-110,42 #1B1B1C/255", "frame 10,20-110,42 #434346/255", "fill 97,20-98,42 #007ACC/255",
                 "fill 98,20-110,42 #252526/255", "image cd2.png 100,23-107,27 natural"}));
  EXPECT_EQ(paint(25, XBK_PRESSED, 100, 22),
            (Ops{"fill 10,20-110,42 #1B1B1C/255", "frame 10,20-110,42 #434346/255", "fill 97,20-110,42 #007ACC/255",
                 "image cd.png 100,23-107,27 natural"}));
}

TEST_F(DescriptorTest, MenuBarButtonStates) {
  const uint32_t unchecked = XBK_UNCHECKED;  // menu-bar buttons are buttons
  EXPECT_EQ(paint(12, XBK_NORMAL | unchecked, 40, 18), (Ops{"fill 10,20-50,38 #2D2D30/255"}));
  EXPECT_EQ(paint(12, XBK_HOVER | unchecked, 40, 18), (Ops{"fill 10,20-50,38 #3E3E40/255"}));
  EXPECT_EQ(paint(12, XBK_PRESSED | unchecked, 40, 18),
            (Ops{"fill 10,20-50,38 #1B1B1C/255", "fill 10,20-11,38 #333337/255", "fill 10,20-50,21 #333337/255",
                 "fill 49,20-50,38 #333337/255"}));
  // Row 13 (menu open) looks pressed in every state.
  EXPECT_EQ(paint(13, XBK_HOVER | unchecked, 40, 18), paint(12, XBK_PRESSED | unchecked, 40, 18));
  EXPECT_EQ(paint(14, XBK_PRESSED, 40, 18), (Ops{"fill 10,20-50,38 #3E3E40/255"}));
  EXPECT_EQ(paint(15, XBK_HOVER, 40, 18), (Ops{"fill 10,20-50,38 #2D2D30/255"}));
}

TEST_F(DescriptorTest, ToolBarButtonCheckedHoverAndDisabled) {
  EXPECT_EQ(paint(26, XBK_NORMAL | XBK_UNCHECKED, 20, 20), (Ops{"fill 10,20-30,40 #2D2D30/255"}));
  EXPECT_EQ(paint(26, XBK_HOVER | XBK_UNCHECKED, 20, 20), (Ops{"fill 10,20-30,40 #3E3E40/255"}));
  EXPECT_EQ(paint(26, XBK_PRESSED | XBK_UNCHECKED, 20, 20), (Ops{"fill 10,20-30,40 #007ACC/255"}));
  Ops checked{"fill 10,20-30,40 #2D2D30/255", "frame 10,20-30,40 #3399FF/255"};
  EXPECT_EQ(paint(26, XBK_HOVER | XBK_CHECKED, 20, 20), checked);  // checked beats hover
  EXPECT_EQ(paint(26, XBK_NORMAL | XBK_CHECKED, 20, 20), checked);
  EXPECT_EQ(paint(26, XBK_DISABLE | XBK_UNCHECKED, 20, 20), (Ops{"fill 10,20-30,40 #2D2D30/255"}));
  // The separator: two 1-pixel lines at x 0 and 1.
  EXPECT_EQ(paint(27, XBK_NORMAL, 2, 21), (Ops{"fill 10,20-11,41 #222222/255", "fill 11,20-12,41 #46464A/255"}));
}

TEST_F(DescriptorTest, TabLabelCloseButtonsAndTreeExpander) {
  EXPECT_EQ(paint(20, XBK_NORMAL | XBK_UNCHECKED, 80, 26), (Ops{"fill 10,20-90,46 #2D2D30/255"}));
  // Hover: full WinBg first, then the hover colour leaving the bottom line.
  EXPECT_EQ(paint(20, XBK_HOVER | XBK_UNCHECKED, 80, 26),
            (Ops{"fill 10,20-90,46 #2D2D30/255", "fill 10,20-90,45 #1C97EA/255"}));
  EXPECT_EQ(paint(20, XBK_HOVER | XBK_CHECKED, 80, 26), (Ops{"fill 10,20-90,46 #007ACC/255"}));
  EXPECT_EQ(paint(18, XBK_NORMAL, 14, 14), (Ops{"image tabBarNcClose.png 10,20-24,34 stretch"}));
  EXPECT_EQ(paint(19, XBK_HOVER, 14, 14), (Ops{"image tabBarActClose1.png 10,20-24,34 stretch"}));
  EXPECT_EQ(paint(19, XBK_PRESSED, 14, 14), (Ops{"image tabBarActClose2.png 10,20-24,34 stretch"}));
  // A disabled close button has no entry: nothing at all is painted.
  EXPECT_TRUE(paint(18, XBK_DISABLE, 14, 14).empty());
  EXPECT_EQ(paint(23, XBK_NORMAL | XBK_CHECKED, 16, 16), (Ops{"image CollapseRgn_xWhite.png 10,20-26,36 stretch"}));
  EXPECT_EQ(paint(23, XBK_PRESSED | XBK_UNCHECKED, 16, 16), (Ops{"image CollapseRgnWhite.png 10,20-26,36 stretch"}));
}

TEST_F(DescriptorTest, FloatingWindowAndStripRows) {
  const uint32_t active = XBK_WINDOW_ACTIVE | XBK_NORMAL;
  // Active: the fill and the grip from 60 (row 16) or 70 (row 17) to width - 10.
  EXPECT_EQ(paint(16, active, 200, 24), (Ops{"fill 10,20-210,44 #007ACC/255", "image paneSP1.png 70,25-200,30 tile"}));
  EXPECT_EQ(paint(17, active, 200, 24), (Ops{"fill 10,20-210,44 #007ACC/255", "image paneSP1.png 80,25-200,30 tile"}));
  EXPECT_EQ(paint(16, XBK_WINDOW_INACTIVE | XBK_NORMAL, 200, 24), (Ops{"fill 10,20-210,44 #007ACC/255"}));
  // Row 21: the strip's frame with its left border erased.
  EXPECT_EQ(paint(21, XBK_NORMAL, 50, 30),
            (Ops{"fill 10,20-60,50 #252526/255", "frame 10,20-60,50 #2D2D30/255", "fill 10,21-11,49 #252526/255"}));
  EXPECT_EQ(paint(22, XBK_HOVER, 24, 24), (Ops{"fill 10,20-34,44 #007ACC/255"}));
}

TEST_F(DescriptorTest, WindowBackgroundFollowsItsActiveState) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 200, 24);
  XString row16 = XC_AnsiToUnicode(std::string(kDescriptorRows[16]).c_str());
  EXPECT_EQ(XBkM_SetBkInfo(XWnd_GetBkManager(w), row16.c_str()), 5);
  auto drawn = [&] {
    tk::RecordingCanvas canvas;
    tk::getWindow(w)->paint(canvas);
    EXPECT_EQ(canvas.clipDepth(), 0);
    return canvas.drawn();
  };
  tk::getWindow(w)->active = true;
  EXPECT_EQ(drawn(), (Ops{"fill 0,0-200,24 #007ACC/255", "image paneSP1.png 60,5-190,10 tile"}));
  tk::getWindow(w)->active = false;
  EXPECT_EQ(drawn(), (Ops{"fill 0,0-200,24 #007ACC/255"}));
}

TEST_F(DescriptorTest, MissingColoursAndImagesLeaveTheirPartsUnpainted) {
  XC_LoadResource(x(dir_ / "does-not-exist.res").c_str());  // an empty package
  EXPECT_TRUE(paint(10, XBK_NORMAL).empty());
  EXPECT_EQ(paint(22, XBK_NORMAL, 10, 10), (Ops{"fill 10,20-20,30 #252526/255"}));  // literals still paint
}

TEST(DescriptorParse, MalformedTextsAreRejected) {
  const char* bad[] = {
      "",
      "{}",
      "{99:1.9.9;}",
      "{99:1.9.9;98:16(0);}",                           // no parts
      "{99:1.9.9;5:2(15)21(3)22(1)23(255);}",           // no state table
      "{99:1.9.9;5:2(15)21(3)22(1)23(255);98:16(1);}",  // part 1 does not exist
      "{99:1.9.9;5:2(15)21(3)22(1)23(255);98:16(0)",    // unterminated
      "{99:1.9.9;5:2(15;98:16(0);}",                    // unclosed property
      "{99:1.9.9;5:2()21(3);98:16(0);}",                // empty arguments
      "{99:1.9.9;5:2(15)3(1,2,3);98:16(0);}",           // three distances
      "{99:1.9.9;5:2(15)23(256);98:16(0);}",            // alpha out of range
      "{99:1.9.9;3:2(15);98:16(0);}",                   // image part without image
      "{99:1.9.9;7:2(15);98:16(0);}",                   // unknown part kind
      "{99:1.9.9;5:2(15)25(@);98:16(0);}",              // empty name
      "{99:1.9.9;5:2(99999999999)21(5);98:16(0);}",     // number too large
      "{98:1.9.9;5:2(15);98:16(0);}",                   // wrong version
      "{99:1.9.9;5:2(15)x;98:16(0);}",                  // junk between properties
      "{99:1.9.9;5:2(15);98:16(-1);}",                  // negative part index
  };
  for (const char* text : bad) EXPECT_FALSE(parseDescriptor(std::string_view(text))) << text;
}

TEST_F(DescriptorTest, ManagerKeepsThePreviousDescriptorWhenANewOneIsMalformed) {
  HELE e = XEle_Create(0, 0, 10, 10, 0);
  HBKM bkm = XEle_GetBkManager(e);
  EXPECT_EQ(XEle_GetBkManager(e), bkm);
  XString row14 = XC_AnsiToUnicode(std::string(kDescriptorRows[14]).c_str());
  EXPECT_EQ(XBkM_SetBkInfo(bkm, row14.c_str()), 1);
  EXPECT_EQ(XBkM_SetBkInfo(bkm, u"{99:1.9.9;5:2(15;98:16(0);}"), 0);
  auto* manager = tk::context().registry.get<tk::BkManager>(bkm);
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(tk::utf16ToUtf8(manager->text()), kDescriptorRows[14]);
  // A new valid text replaces it.
  XString row15 = XC_AnsiToUnicode(std::string(kDescriptorRows[15]).c_str());
  EXPECT_EQ(XBkM_SetBkInfo(bkm, row15.c_str()), 1);
  EXPECT_EQ(tk::utf16ToUtf8(manager->text()), kDescriptorRows[15]);
}

TEST(DescriptorState, MostSpecificMatchingEntryWins) {
  auto info = parseDescriptor(std::string_view("{99:1.9.9;5:2(15)21(3)22(1)23(255);98:16(0)288(0)32(0)8(0);}"));
  ASSERT_TRUE(info);
  auto pick = [&](uint32_t s) {
    const auto* e = tk::selectState(*info, s);
    return e == nullptr ? 0u : e->state;
  };
  EXPECT_EQ(pick(XBK_HOVER | XBK_UNCHECKED), 288u);  // two bits beat one
  EXPECT_EQ(pick(XBK_HOVER | XBK_CHECKED), 32u);
  EXPECT_EQ(pick(XBK_PRESSED), 16u);                       // no match: the normal entry
  EXPECT_EQ(pick(XBK_DISABLE), 0u);                        // disabled without an entry: nothing
  EXPECT_EQ(pick(XBK_WINDOW_INACTIVE | XBK_NORMAL), 16u);  // tie: the earlier entry
}

}  // namespace
}  // namespace tovalux::testing
