// Writing text: escaping (every string reads back unchanged), the pretty form, GBK output, and
// round trips of documents shaped like the ones the benchmark reads.
#include <gtest/gtest.h>

#include "base/gbk.h"
#include "json/json_document.h"
#include "json_test_support.h"

namespace tovalux {
namespace {

TEST(JsonWrite, WindowsPathsReadBackUnchanged) {
  for (const char* path : {"C:\\temp\\new.ec", "D:\\ec\\a.ec", "\\\\server\\share\\b.ec", "E:\\\\x\\",
                           "C:\\模块\\新建\\t.ec", "\\u4e2d\\\""}) {
    JsonDocument doc;
    ASSERT_TRUE(doc.setText("Folder.[0].path", path));
    const std::string text = doc.toText();
    for (int flags : {0, kJsonDecodeUnicodeEscapes}) {
      JsonDocument back;
      ASSERT_TRUE(back.parse(text, flags)) << text;
      EXPECT_EQ(back.getText("Folder.[0].path"), path) << text;
    }
  }
  JsonDocument doc;
  ASSERT_TRUE(doc.setText("p", "C:\\temp\\new.ec"));
  EXPECT_EQ(doc.toText(), R"({"p":"C:\\temp\\new.ec"})");
}

TEST(JsonWrite, FilesOfOlderVersionsStillRead) {
  // Those wrote a backslash single before t, n, r, b, f, /, " or a backslash.
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"({"a":"C:\temp\new.ec","b":"D:\ec\a.ec"})"));
  EXPECT_EQ(doc.getText("a"), "C:\temp\new.ec");  // as such files always read
  EXPECT_EQ(doc.getText("b"), "D:\\ec\\a.ec");
}

// A name as a path: the characters paths use are escaped with a backslash.
std::string pathOf(const std::string& name) {
  std::string path;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (isGbkLeadByte(static_cast<unsigned char>(c)) && i + 1 < name.size()) {
      path += name.substr(i++, 2);  // a trail byte may equal '\\' or '['
      continue;
    }
    if (c == '.' || c == '[' || c == ']' || c == '\\') path.push_back('\\');
    path.push_back(c);
  }
  return path;
}

TEST(JsonWrite, EveryCharacterRoundTrips) {
  std::u16string all;
  for (char16_t c = 0; c < 0x80; ++c) all.push_back(c);
  all += u"中文字符€\uF8F5\\u0041\\\\\\";
  for (bool useUtf16 : {false, true}) {
    JsonDocument doc;
    ASSERT_TRUE(doc.setUtf16Text("s", all));
    ASSERT_TRUE(doc.setUtf16Text(pathOf(utf16ToGbk(all.substr(1))), all));  // the same text as a name
    JsonDocument back;
    if (useUtf16)
      ASSERT_TRUE(back.parseUtf16(doc.toUtf16Text()));
    else
      ASSERT_TRUE(back.parse(doc.toText()));
    EXPECT_EQ(back.getUtf16Text("s"), all);
    std::vector<std::string> names;
    ASSERT_EQ(back.memberNames("", names), 2);
    EXPECT_EQ(gbkToUtf16(names[1]), all.substr(1));
    EXPECT_EQ(back.getUtf16Text(pathOf(names[1])), all);
    EXPECT_TRUE(back == doc);
  }
}

TEST(JsonWrite, EscapeForms) {
  JsonDocument doc;
  ASSERT_TRUE(doc.setUtf16Text("k\"/", u"\"/\b\t\n\r\f\x01 é✓"));
  EXPECT_EQ(doc.toText(), "{\"k\\\"\\/\":\"\\\"\\/\\b\\t\\n\\r\\f\x01 \xA8\xA6?\"}");  // ✓ is not in GBK
  EXPECT_EQ(doc.toText("", false, false), "{\"k\"/\":\"\"/\b\t\n\r\f\x01 \xA8\xA6?\"}");
  EXPECT_EQ(doc.toUtf16Text(), u"{\"k\\\"\\/\":\"\\\"\\/\\b\\t\\n\\r\\f\x01 é✓\"}");
}

TEST(JsonWrite, PrettyForm) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"({"a":1,"b":[1,{"c":{"d":2}}],"e":{},"f":[]})"));
  const std::string pretty = doc.toText("", true);
  EXPECT_EQ(pretty,
            "{\r\n\t\"a\":1,\r\n\t\"b\":[1,{\r\n\t\t\"c\":{\r\n\t\t\t\"d\":2\r\n\t\t}\r\n\t}],\r\n"
            "\t\"e\":{},\r\n\t\"f\":[]\r\n}");
  EXPECT_EQ(doc.toText("b", true), "[1,{\r\n\t\"c\":{\r\n\t\t\"d\":2\r\n\t}\r\n}]");
  JsonDocument back;
  ASSERT_TRUE(back.parse(pretty));
  EXPECT_TRUE(back == doc);
  EXPECT_EQ(doc.toText("b.[1].c"), R"({"d":2})");
  EXPECT_EQ(doc.toText("b.[2]"), "");
}

TEST(JsonWrite, SmallInitialBufferGrows) {
  const std::string text = testing::gbkFixture("citm_part.json");
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(text));
  const std::string expected = doc.toText();
  EXPECT_EQ(doc.toText("", false, true, 1), expected);
  EXPECT_EQ(doc.toText("", false, true, -5), expected);
  EXPECT_EQ(doc.toText("", false, true, 10 << 20), expected);
}

// The three benchmark documents in small: read, write compact and pretty, read back, compare.
class JsonFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonFixture, RoundTrips) {
  const std::string text = testing::gbkFixture(GetParam());
  ASSERT_GT(text.size(), 1000u);
  JsonDocument doc;
  int code = 0, position = 0;
  ASSERT_TRUE(doc.parse(text, 0, code, position)) << code << " at " << position;
  const std::string compact = doc.toText();
  JsonDocument back;
  ASSERT_TRUE(back.parse(compact));
  EXPECT_TRUE(back == doc);
  EXPECT_EQ(back.toText(), compact);  // the compact form is a fixed point
  ASSERT_TRUE(back.parse(doc.toText("", true)));
  EXPECT_TRUE(back == doc);
  ASSERT_TRUE(back.parseUtf16(gbkToUtf16(text)));
  EXPECT_TRUE(back == doc);
  EXPECT_EQ(back.toUtf16Text(), gbkToUtf16(compact));
  const JsonDocument copy = JsonDocument::copyOf(doc);
  EXPECT_TRUE(copy == doc);
  EXPECT_EQ(copy.toText(), compact);
}

INSTANTIATE_TEST_SUITE_P(Documents, JsonFixture,
                         ::testing::Values("twitter_part.json", "canada_part.json", "citm_part.json"));

TEST(JsonWrite, FixtureContents) {
  JsonDocument twitter;
  ASSERT_TRUE(twitter.parse(testing::gbkFixture("twitter_part.json")));
  EXPECT_EQ(twitter.count("statuses"), 3);
  EXPECT_EQ(twitter.getText("statuses.[0].user.screen_name"), "ayuu0123");
  EXPECT_EQ(twitter.getNumberText("statuses.[0].id"), "505874924095815700");
  EXPECT_EQ(twitter.getInteger("statuses.[0].id"), 505874924095815700);
  EXPECT_EQ(twitter.getText("statuses.[0].metadata.iso_language_code"), "ja");
  EXPECT_EQ(twitter.getText("statuses.[0].source"),
            "<a href=\"http://twitter.com/download/iphone\" rel=\"nofollow\">Twitter for iPhone</a>");
  EXPECT_TRUE(twitter.getText("statuses.[0].text").starts_with("@aym0566x \n\n名前:前田あゆみ\n"));
  EXPECT_EQ(twitter.kind("statuses.[0].geo"), JsonKind::Null);

  JsonDocument canada;
  ASSERT_TRUE(canada.parse(testing::gbkFixture("canada_part.json")));
  EXPECT_EQ(canada.count("features.[0].geometry.coordinates"), 12);
  EXPECT_EQ(canada.getNumberText("features.[0].geometry.coordinates.[0].[0].[0]"), "-65.613616999999977");
  EXPECT_DOUBLE_EQ(canada.getFloat("features.[0].geometry.coordinates.[0].[0].[1]"), 43.420273000000009);

  JsonDocument citm;
  ASSERT_TRUE(citm.parse(testing::gbkFixture("citm_part.json")));
  EXPECT_EQ(citm.count("areaNames"), 17);
  EXPECT_EQ(citm.getText("areaNames.205705995"), "2ème balcon bergerie cour");
  EXPECT_EQ(citm.getText("areaNames.205705993"), "Arri\xA8\xA8re-sc\xA8\xA8ne central");
  EXPECT_EQ(citm.count("events"), 12);
  EXPECT_EQ(citm.kind("blockNames"), JsonKind::Object);
  EXPECT_EQ(citm.count("blockNames"), 0);
}

}  // namespace
}  // namespace tovalux
