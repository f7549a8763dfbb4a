// Units to device pixels: the rules every painted, hit-tested and accessible place follows, and
// the larger renditions an image file brings along.
#include <gtest/gtest.h>

#include "toolkit/model/core/scale.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using tk::Scale;

TEST(ScaleRules, LengthsRoundHalfAwayFromZeroAndComeBack) {
  const Scale s150(144), s125(120), s175(168), s200(192);
  EXPECT_EQ(s150.scale(1), 2);  // a 1-unit rule never vanishes and never blurs
  EXPECT_EQ(s150.scale(3), 5);
  EXPECT_EQ(s150.scale(-3), -5);
  EXPECT_EQ(s125.scale(2), 3);
  EXPECT_EQ(s200.scale(22), 44);
  EXPECT_EQ(s150.scale(160), 240);  // the linker combo
  EXPECT_EQ(Scale(96).scale(37), 37);
  EXPECT_EQ(Scale(0).dpi(), 96);  // an unknown DPI is 96
  // Whatever went to the device comes back unchanged, at every supported scale.
  for (const Scale& s : {Scale(96), s125, s150, s175, s200})
    for (int v = -300; v <= 3000; ++v) ASSERT_EQ(s.unscale(s.scale(v)), v) << s.dpi() << " dpi, " << v;
  EXPECT_EQ(s150.thickness(1), 2);
  EXPECT_EQ(s125.thickness(1), 1);
  EXPECT_EQ(s150.thickness(0), 0);
}

TEST(ScaleRules, NeighboursShareTheirEdgesOnTheDevice) {
  // A row of 7-unit cells at 175 %: each cell's right edge is the next one's left edge, and the
  // widths differ by at most one pixel from the exact 12.25.
  const Scale s(168);
  int previousRight = s.scale(XRect{0, 0, 7, 7}).right;
  for (int left = 7; left < 700; left += 7) {
    const XRect cell = s.scale(XRect{left, 0, left + 7, 7});
    ASSERT_EQ(cell.left, previousRight);
    ASSERT_GE(cell.width(), 12);
    ASSERT_LE(cell.width(), 13);
    previousRight = cell.right;
  }
}

TEST(ScaleRules, RepaintsCoverEveryDevicePixelAndTextExtentsRoundUp) {
  const Scale s(144);
  // Device pixels 5..8 lie in units 3.33..5.33: units 3 to 6 cover them.
  const XRect units = s.covering(XRect{5, 5, 8, 8});
  EXPECT_EQ(units.left, 3);
  EXPECT_EQ(units.right, 6);
  EXPECT_LE(s.scale(units.left), 5);
  EXPECT_GE(s.scale(units.right), 8);
  EXPECT_EQ(s.covering(XRect{-4, 0, 0, 3}).left, -3);
  // A text 100 pixels wide needs 66.67 units: 67, so it is never clipped.
  EXPECT_EQ(s.unscaleUp(100), 67);
  EXPECT_EQ(s.unscaleUp(99), 66);
}

TEST(ScaleRules, RenditionsAreChosenByTheWidthWanted) {
  const int widths[] = {16, 24, 32};
  EXPECT_EQ(tk::pickRendition(widths, 3, 16), 0);
  EXPECT_EQ(tk::pickRendition(widths, 3, 24), 1);
  EXPECT_EQ(tk::pickRendition(widths, 3, 32), 2);
  EXPECT_EQ(tk::pickRendition(widths, 3, 20), 1);  // 125 %: the 24 scaled down, not 16 blown up
  EXPECT_EQ(tk::pickRendition(widths, 3, 28), 2);  // 175 %
  EXPECT_EQ(tk::pickRendition(widths, 3, 48), 2);  // 300 %: the largest there is
  const int unordered[] = {32, 16, 24};
  EXPECT_EQ(tk::pickRendition(unordered, 3, 20), 2);
  EXPECT_EQ(tk::pickRendition(widths, 0, 16), -1);
}

class ImageRenditionsTest : public ToolkitTest {};

TEST_F(ImageRenditionsTest, AFileBringsTheRenditionsBesideItOfTheRightSizes) {
  auto base = write("winMenu/Open_16x.png", pngBytes(16, 16));
  write("winMenu/24/Open_16x.png", pngBytes(24, 24));
  write("winMenu/32/Open_16x.png", pngBytes(32, 32));
  auto drop = write("ui/drop.png", pngBytes(7, 10));
  write("ui/24/drop.png", pngBytes(11, 15));  // 10.5 rounds half up
  write("ui/32/drop.png", pngBytes(16, 16));  // not 14 x 20: ignored
  auto lone = write("ui/lone.png", pngBytes(16, 16));

  tk::Image* open = tk::loadImageFile(base, false);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->width(), 16);  // layouts keep the 96-dpi size
  ASSERT_EQ(open->renditions().size(), 2u);
  EXPECT_EQ(open->renditions()[0].info.width, 24);
  EXPECT_EQ(open->renditions()[1].info.width, 32);

  tk::Image* arrow = tk::loadImageFile(drop, false);
  ASSERT_NE(arrow, nullptr);
  ASSERT_EQ(arrow->renditions().size(), 1u);
  EXPECT_EQ(arrow->renditions()[0].info.height, 15);

  tk::Image* single = tk::loadImageFile(lone, false);
  ASSERT_NE(single, nullptr);
  EXPECT_TRUE(single->renditions().empty());
}

TEST_F(ImageRenditionsTest, RenditionsAreLookedForOnlyWhenFirstAsked) {
  // Start-up loads a few hundred icons; at 100 % none needs its larger files, so loading one must
  // not look for them.
  auto path = write("wintools/Save_16x.png", pngBytes(16, 16));
  tk::Image* save = tk::loadImageFile(path, false);
  ASSERT_NE(save, nullptr);
  write("wintools/32/Save_16x.png", pngBytes(32, 32));
  ASSERT_EQ(save->renditions().size(), 1u);
  EXPECT_EQ(save->renditions()[0].info.width, 32);
}

}  // namespace
}  // namespace tovalux::testing
