// What must not bring the host down: nesting a million deep, running out of memory at any
// allocation, and the dedicated GBK converter disagreeing with the shared one.
#include <gtest/gtest.h>

#include <random>

#include "base/gbk.h"
#include "json/gbk_codec.h"
#include "json/json_document.h"
#include "json_test_support.h"

namespace tovalux {
namespace {

constexpr int kDepth = 1000000;

// "[{"":[{"":...1...}]}]": arrays and objects alternating, a million containers in all.
std::string deepText() {
  std::string text;
  text.reserve(kDepth * 6);
  for (int i = 0; i < kDepth; ++i) text += i % 2 ? "{\"\":" : "[";
  text += "1";
  for (int i = kDepth - 1; i >= 0; --i) text += i % 2 ? "}" : "]";
  return text;
}

// Recursion over a million levels would need far more than the 8 MiB of the test's stack, so
// each step finishing here shows it walks an explicit stack.
TEST(JsonLimits, MillionDeepNesting) {
  const std::string text = deepText();
  JsonDocument doc;
  int code = 0, position = 0;
  ASSERT_TRUE(doc.parse(text, 0, code, position)) << code << " at " << position;
  EXPECT_EQ(doc.toText(), text);
  // Pretty, that is a tab per enclosing object on every member line: quadratic, so refused.
  EXPECT_EQ(doc.toText("", true), "");
  JsonDocument copy = JsonDocument::copyOf(doc);
  ASSERT_TRUE(copy.hasRoot());
  EXPECT_TRUE(copy == doc);
  ASSERT_TRUE(copy.setDocument("[0].x", doc));  // copied below itself, then compared
  EXPECT_FALSE(copy == doc);
  EXPECT_TRUE(doc.removeAt("", 0));  // releases a million containers
  EXPECT_EQ(doc.toText(), "[]");

  const std::string arrays = std::string(kDepth, '[') + std::string(kDepth, ']');
  ASSERT_TRUE(doc.parse(arrays));
  EXPECT_EQ(doc.toText("", true), arrays);  // arrays stay on one line

  // Still open a million deep.
  EXPECT_FALSE(doc.parse(text.substr(0, text.size() - 1), 0, code, position));
  EXPECT_EQ(code, kJsonUnclosed);
  EXPECT_EQ(position, int(text.size() - 1));
  EXPECT_EQ(doc.toText(), "{}");
}

// Every allocation of a read can fail: the answer is then -3 with an empty root, nothing leaks,
// and the document stays usable.
TEST(JsonLimits, OutOfMemoryAtEveryStepOfARead) {
  const std::string text = testing::gbkFixture("twitter_part.json");
  testing::CountingAllocator measure;
  {
    JsonDocument doc(measure);
    ASSERT_TRUE(doc.parse(text));
  }
  ASSERT_EQ(measure.live, 0u);
  int failures = 0;
  for (size_t budget = 0; budget < measure.peak + 4096; budget += budget < 4096 ? 64 : 1024) {
    testing::CountingAllocator allocator;
    allocator.budget = budget;
    {
      JsonDocument doc(allocator);
      int code = 0, position = 0;
      if (doc.parse(text, 0, code, position)) {
        EXPECT_EQ(doc.getText("statuses.[0].user.screen_name"), "ayuu0123");
        continue;
      }
      ++failures;
      ASSERT_EQ(code, kJsonOutOfMemory) << budget;
      // An empty object root, unless not even the document's own record could be had.
      if (doc.hasRoot()) {
        EXPECT_EQ(doc.toText(), "{}") << budget;
      }
      allocator.budget = std::numeric_limits<size_t>::max();
      EXPECT_TRUE(doc.parse("{\"a\":[1]}"));
    }
    EXPECT_EQ(allocator.live, 0u) << budget;
  }
  EXPECT_GT(failures, 20);
}

TEST(JsonLimits, OutOfMemoryInChangesAndWriting) {
  testing::CountingAllocator allocator;
  JsonDocument doc(allocator);
  ASSERT_TRUE(doc.parse(testing::gbkFixture("citm_part.json")));
  const std::string before = doc.toText();
  allocator.budget = allocator.live;  // nothing beyond the chunks the document already holds
  EXPECT_FALSE(doc.setText("areaNames.new", std::string(1 << 20, 'x')));
  EXPECT_FALSE(doc.setJson("x", "[1,2,3]"));  // the text is read into a document of its own
  EXPECT_FALSE(doc.setDocument("copy", doc));
  EXPECT_FALSE(JsonDocument::copyOf(doc).hasRoot());
  EXPECT_EQ(doc.toText(), "");  // the writer's stack cannot be had either
  EXPECT_FALSE(doc == doc);
  allocator.budget = std::numeric_limits<size_t>::max();
  // A change makes its value before it creates the path: failing, it changed nothing.
  EXPECT_TRUE(doc.toText() == before);
  EXPECT_EQ(doc.getText("areaNames.205705993"), "Arri\xA8\xA8re-sc\xA8\xA8ne central");
}

TEST(JsonLimits, CodecMatchesTheSharedConverter) {
  using json_detail::gbkToUtf16Fast;
  using json_detail::utf16ToGbkFast;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string one(1, char(byte));
    ASSERT_EQ(gbkToUtf16Fast(one), gbkToUtf16(one)) << byte;
    for (unsigned next = 0; next < 256; ++next) {
      const std::string two{char(byte), char(next)};
      ASSERT_EQ(gbkToUtf16Fast(two), gbkToUtf16(two)) << byte << " " << next;
    }
  }
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    const std::u16string one(1, char16_t(unit));
    ASSERT_EQ(utf16ToGbkFast(one), utf16ToGbk(one)) << unit;
  }
  // Longer texts: lead bytes at the end, before NUL and before each other; surrogate pairs.
  std::mt19937 random(99);
  const char bytes[] = {'a',        '\0',       '\\',       '"',        char(0x80), char(0x81),
                        char(0xA1), char(0xD6), char(0xFE), char(0xFF), '@'};
  const char16_t units[] = {u'a', u'\0', u'\\', 0x4E2D, 0xD83D, 0xDE00, 0xE000, 0xF8F5, 0x20AC, 0xFFFF, 0x00E9};
  for (int round = 0; round < 20000; ++round) {
    std::string gbk;
    std::u16string wide;
    const int size = int(random() % 17);
    for (int i = 0; i < size; ++i) {
      gbk.push_back(bytes[random() % std::size(bytes)]);
      wide.push_back(units[random() % std::size(units)]);
    }
    ASSERT_EQ(gbkToUtf16Fast(gbk), gbkToUtf16(gbk));
    ASSERT_EQ(utf16ToGbkFast(wide), utf16ToGbk(wide));
    // The writer encodes strings and raw tokens the same way.
    JsonDocument doc;
    ASSERT_TRUE(doc.setUtf16Text("s", wide));
    std::u16string escaped;
    for (char16_t unit : wide) {
      if (unit == u'\\') escaped += u'\\';  // the one unit here that escaping changes
      escaped += unit;
    }
    ASSERT_EQ(doc.toText(), "{\"s\":\"" + utf16ToGbk(escaped) + "\"}");
  }
}

}  // namespace
}  // namespace tovalux
