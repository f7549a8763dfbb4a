// Opaque fills held back by a pixel-writing canvas: layers that later opaque fills cover are
// never written, and the picture is the one writing every fill at once would give.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "toolkit/model/core/held_fills.h"

namespace tovalux::testing {
namespace {

using tk::HeldFills;

struct Written {
  XRect rect;
  uint32_t value;
};

int64_t pixels(const std::vector<Written>& writes, uint32_t value) {
  int64_t n = 0;
  for (const Written& w : writes)
    if (w.value == value) n += int64_t(w.rect.width()) * w.rect.height();
  return n;
}

TEST(HeldFills, CoveredLayersAreNeverWrittenAndPartlyCoveredOnesOnlyWhereTheyShow) {
  std::vector<Written> writes;
  auto write = [&](const XRect& r, uint32_t v) { writes.push_back({r, v}); };
  HeldFills held;
  held.add({0, 0, 100, 100}, 1, write);  // the window's surface
  held.add({10, 10, 90, 90}, 2, write);  // a pane, all of it under its view
  held.add({10, 10, 90, 90}, 3, write);  // the view
  held.add({20, 20, 40, 30}, 4, write);  // a row on the view
  held.take({50, 50, 60, 58}, write);    // text on the view: the view's pixels there first
  EXPECT_TRUE(writes.size() == 1 && writes[0].rect == XRect({50, 50, 60, 58}) && writes[0].value == 3);
  held.takeAll(write);
  EXPECT_EQ(pixels(writes, 2), 0);
  EXPECT_EQ(pixels(writes, 1), 100 * 100 - 80 * 80);
  EXPECT_EQ(pixels(writes, 3), 80 * 80 - 20 * 10);
  EXPECT_EQ(pixels(writes, 4), 20 * 10);
  for (const Written& w : writes) {
    if (w.value == 1) {
      EXPECT_FALSE(tk::overlaps(w.rect, {10, 10, 90, 90}));
    }
  }
  EXPECT_TRUE(held.empty());
}

// Random fills and blends on a small raster, once written directly and once through held fills
// (as they are, with small pieces written at once, with few held): the same pixels, fewer of
// them written, and the held fills never overlap.
TEST(HeldFills, ThePictureIsTheOneWritingEveryFillAtOnceGives) {
  constexpr int W = 64, H = 48;
  const std::pair<int64_t, size_t> cases[] = {{0, 1000}, {40, 1000}, {0, 6}};
  for (auto [minArea, maxHeld] : cases) {
    std::vector<uint32_t> direct(W * H, 0), held(W * H, 0);
    int64_t directWrites = 0, heldWrites = 0;
    auto fill = [](std::vector<uint32_t>& raster, const XRect& r, uint32_t v, int64_t& count) {
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) raster[y * W + x] = v, ++count;
    };
    auto blend = [](std::vector<uint32_t>& raster, const XRect& r) {  // reads what is under it
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) raster[y * W + x] = raster[y * W + x] * 31 + 7;
    };
    HeldFills fills(minArea, maxHeld);
    auto write = [&](const XRect& r, uint32_t v) { fill(held, r, v, heldWrites); };
    uint32_t seed = 12345;
    auto next = [&](int n) { return static_cast<int>((seed = seed * 1103515245 + 12345) >> 16) % n; };
    for (int op = 0; op < 400; ++op) {
      const int left = next(W), top = next(H);
      const XRect r{left, top, left + 1 + next(W - left), top + 1 + next(H - top)};
      if (next(3) != 0) {
        const uint32_t v = 1 + next(1000);
        fill(direct, r, v, directWrites);
        fills.add(r, v, write);
      } else {
        blend(direct, r);
        fills.take(r, write);
        blend(held, r);
      }
      const auto& list = fills.held();
      ASSERT_LE(list.size(), maxHeld);
      for (size_t i = 0; i < list.size(); ++i)
        for (size_t j = i + 1; j < list.size(); ++j) ASSERT_FALSE(tk::overlaps(list[i].rect, list[j].rect)) << op;
    }
    fills.takeAll(write);
    EXPECT_EQ(held, direct) << minArea;
    EXPECT_LT(heldWrites, directWrites) << minArea;
  }
}

}  // namespace
}  // namespace tovalux::testing
