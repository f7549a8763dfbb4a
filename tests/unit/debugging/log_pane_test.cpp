// A log pane's edit past its bound: what it shows (the newest texts, in their styles), and what it
// really holds: filled past its bound again and again, the heap bytes of its edit and of its
// record of the texts stay within a small multiple of the bound and stop growing.
// This program counts the bytes alive with a replaced operator new (counted_heap.h); GCC takes
// every delete of an object made by `new` for a mismatch with it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <new>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "../counted_heap.h"
#include "debugging/log_bounds.h"
#include "debugging/log_pane.h"
#include "debugging/run_log_rules.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/core/text_measure.h"
#include "toolkit/xcgui.h"

namespace tovalux::debuglog {
namespace {

namespace heap = tovalux::testing::heap;

// Every UTF-16 unit 8 pixels wide, as the toolkit's own tests measure.
class FixedMeasurer : public tk::TextMeasurer {
 public:
  XSize measure(std::u16string_view text, const tk::Font& font) override {
    return {static_cast<int32_t>(text.size() * 8), font.size() + 7};
  }
};

constexpr size_t kMaxBytes = 1u << 20;
constexpr size_t kKeepBytes = 768u << 10;

// The lines a run log gets, of the lengths and scripts it gets them in: starts and stops,
// exceptions, and the module manager's longer lines.
class LogLines {
 public:
  std::string next() {
    ++n_;
    const std::string program = "e_" + std::to_string(n_ % 13) + ".tmp";
    switch (n_ % 6) {
      case 0: return startLine(1000 + n_ % 97, program);
      case 1: return exceptionLine(0xC0000005, 0x401000 + n_ * 16);
      case 2: return exceptionLine(0xE06D7363, 0x7C81EB33 + n_);
      case 3: return "载入模块 C:\\Program Files\\e\\lib\\krnln.fne 成功，版本 5.9。\r\n";
      case 4: return "[module] loaded C:\\Users\\dev\\AppData\\Local\\Temp\\e_" + std::to_string(n_) + ".dll\r\n";
      default: return stopLine(1000 + n_ % 97, program);
    }
  }

 private:
  uint32_t n_ = 0;
};

class LogPane : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    tk::context().measurerOverride = &measurer_;
    // As the run-log pane: read-only, multi-line, wrapping at its width.
    edit_ = XEdit_Create(0, 0, 600, 300, 0);
    XEdit_EnableMultiLine(edit_, true);
    XEdit_EnableAutoWrap(edit_, true);
    XEdit_EnableReadOnly(edit_, true);
  }
  void TearDown() override {
    XExitXCGUI();
    tk::context().measurerOverride = nullptr;
  }

  const tk::Edit& model() const { return *tk::context().registry.get<tk::Edit>(edit_); }

  FixedMeasurer measurer_;
  HELE edit_ = 0;
};

// Ten times past the bound: what the pane holds when full stays within a few times the text
// bound, and the tenth fill ends where the second did: no cut-back leaves a larger buffer. (When
// full, the newest run may just have started with room for a run's worth: an eighth of the
// bound covers that.) Both as the run log writes (one style) and as a build output at its
// worst (every other line coloured: a run per line).
TEST_F(LogPane, AFullPaneHoldsAFewTimesItsBoundAndNoMoreAfterEachCutBack) {
  const int red = XEdit_AddStyleEx(edit_, u"宋体", 9, 0, XRGB(229, 20, 0), true);
  BoundedText kept(kMaxBytes, kKeepBytes);
  LogLines lines;
  appendBounded(edit_, kept, lines.next(), red);  // the converter's tables, built once
  XEdit_SetText(edit_, XString().c_str());
  kept.clear();
  const size_t before = heap::aliveBytes();
  for (const int every : {0, 2}) {
    SCOPED_TRACE(every == 0 ? "one style" : "every other line coloured");
    std::vector<size_t> held;  // when full, before each cut-back
    std::string line = lines.next();
    for (int n = 0; held.size() < 10; ++n) {
      if (kept.bytes() + line.size() > kMaxBytes) held.push_back(heap::aliveBytes() - before);
      appendBounded(edit_, kept, line, every > 0 && n % every == 0 ? red : 0);
      XEdit_AutoScroll(edit_);  // as the pane: laid out and at its end after each line
      line = lines.next();
    }
    for (size_t i = 1; i < held.size(); ++i) {
      EXPECT_LE(held[i], 7 * kMaxBytes / 2) << "fill " << i + 1;
      if (i > 1) {
        EXPECT_LE(held[i], held[1] + kMaxBytes / 8) << "fill " << i + 1;
      }
    }
    // Emptied, it holds next to nothing.
    XEdit_SetText(edit_, XString().c_str());
    kept.clear();
    EXPECT_LE(heap::aliveBytes() - before, kMaxBytes / 16);
  }
}

// The edit after each cut-back against the plain rule: the newest texts that fit, whole and in
// their styles (one text alone past what is kept shows its end), and the user's selection on the
// text it was on.
TEST_F(LogPane, PastTheBoundItShowsTheNewestTextsInTheirStylesAndKeepsTheSelection) {
  const int red = XEdit_AddStyleEx(edit_, u"宋体", 9, 0, XRGB(229, 20, 0), true);
  constexpr size_t kMax = 96u << 10, kKeep = 72u << 10;  // more than one run of text
  BoundedText kept(kMax, kKeep);
  std::deque<std::pair<std::string, int>> expected;
  size_t expectedBytes = 0;
  const auto append = [&](std::string text, int style) {
    appendBounded(edit_, kept, text, style);
    if (text.size() > kKeep) text = std::string(keptEnd(text, kKeep));
    expected.emplace_back(text, style);
    expectedBytes += text.size();
    if (expectedBytes > kMax)
      while (expectedBytes > kKeep && expected.size() > 1) {
        expectedBytes -= expected.front().first.size();
        expected.pop_front();
      }
  };
  // Runs of one style, merged, as the edit's runs are when merged the same way.
  const auto styled = [](const std::vector<std::pair<std::u16string, int>>& parts) {
    std::vector<std::pair<std::u16string, int>> merged;
    for (const auto& [text, style] : parts)
      if (!merged.empty() && merged.back().second == style)
        merged.back().first += text;
      else
        merged.emplace_back(text, style);
    return merged;
  };
  const auto check = [&](const char* when) {
    std::vector<std::pair<std::u16string, int>> want, have;
    std::string all;
    for (const auto& [text, style] : expected) {
      want.emplace_back(gbkToUtf16(text), style);
      all += text;
    }
    for (const tk::Edit::Run& run : model().runs()) have.emplace_back(run.text, run.style);
    EXPECT_EQ(utf16ToGbk(XEdit_GetText(edit_)), all) << when;
    EXPECT_TRUE(styled(want) == styled(have)) << when;
    EXPECT_EQ(kept.bytes(), expectedBytes) << when;
  };

  LogLines lines;
  for (int i = 0; i < 6000; ++i) append(lines.next(), 0);  // one style: the runs are split by size
  check("one style");
  for (int i = 0; i < 6000; ++i) append(lines.next(), i % 7 == 3 ? red : 0);
  check("two styles");
  append(std::string(kMax, 'x') + "\r\n" + lines.next(), red);  // alone past what is kept
  check("one long text");
  for (int i = 0; i < 100; ++i) append(lines.next(), 0);

  // The user selected the newest line; the cut-back takes older text and the selection moves
  // with its line.
  const std::u16string newest = gbkToUtf16(expected.back().first);
  const size_t end = model().length();
  tk::context().registry.get<tk::Edit>(edit_)->select(end - newest.size(), end);
  while (!expected.empty() && expectedBytes + 200 <= kMax) append(lines.next(), 0);
  append(std::string(200, 'y') + "\r\n", 0);  // past the bound
  const auto [from, to] = model().selection();
  EXPECT_EQ(model().text().substr(from, to - from), newest);
  check("selection");
}

}  // namespace
}  // namespace tovalux::debuglog
