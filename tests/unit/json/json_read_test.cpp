// Reading text: error codes and positions, the lenient grammar, escapes, numbers and raw tokens,
// repeated names, and GBK read exactly as its UTF-16 conversion would be.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/gbk.h"
#include "json/json_document.h"

namespace tovalux {
namespace {

using namespace std::string_literals;

struct Outcome {
  bool ok;
  int code;
  int position;
};

Outcome parseOutcome(JsonDocument& doc, std::string_view text, int flags = 0) {
  Outcome outcome{};
  outcome.ok = doc.parse(text, flags, outcome.code, outcome.position);
  return outcome;
}

TEST(JsonRead, ErrorCodesAndPositions) {
  struct Case {
    const char* text;
    int code;
    int position;  // in UTF-16 characters
  };
  const Case cases[] = {
      {"", kJsonNoText, 0},
      {" \r\n\t", kJsonNoText, 4},
      {"{\"a\":\"b\"", kJsonUnclosed, 8},    // closing brace missing
      {"{\"名\":\"值\"", kJsonUnclosed, 8},  // counted in characters, not bytes
      {"[\"abc", kJsonUnclosed, 5},          // string still open
      {"[1", kJsonUnclosed, 2},
      {"{\"a\" 1}", kJsonObjectSyntax, 5},  // colon missing
      {"{\"a\":1]", kJsonObjectSyntax, 6},  // wrong bracket
      {"{a:1}", kJsonObjectSyntax, 1},      // names are quoted
      {"{\"a\":1,}", kJsonObjectSyntax, 7},
      {"{\"a\":}", kJsonObjectSyntax, 5},  // empty value
      {"[1}", kJsonValueSyntax, 2},
      {"[1,]", kJsonValueSyntax, 3},
      {"x[1]", kJsonValueSyntax, 0},  // the root is an object or an array
      {"\"text\"", kJsonValueSyntax, 0},
      {"[1] x", kJsonValueSyntax, 4},  // nothing after the root
      {"名[1]", kJsonValueSyntax, 0},
      {"[\"名\",}", kJsonValueSyntax, 5},
  };
  for (const Case& c : cases) {
    JsonDocument doc;
    ASSERT_TRUE(doc.setText("old", "content"));
    const Outcome outcome = parseOutcome(doc, c.text);
    EXPECT_FALSE(outcome.ok) << c.text;
    EXPECT_EQ(outcome.code, c.code) << c.text;
    EXPECT_EQ(outcome.position, c.position) << c.text;
    // On failure the document is left with an empty object, whatever it held.
    EXPECT_EQ(doc.toText(), "{}") << c.text;
  }
  JsonDocument doc;
  EXPECT_EQ(parseOutcome(doc, " [1] \r\n").position, 0);
}

TEST(JsonRead, LenientForms) {
  JsonDocument doc;
  // Single quotes, NUL as a blank, a quote of the other kind inside a string.
  ASSERT_TRUE(doc.parse("{'name':'value',\0 \"q\":'say \"hi\"'}"s));
  EXPECT_EQ(doc.getText("name"), "value");
  EXPECT_EQ(doc.getText("q"), "say \"hi\"");
  // An unquoted value runs to the next separator; what is not a literal or number is raw text.
  ASSERT_TRUE(doc.parse("[True, NULL, abc def, a\"b{c, 0x10 ]"));
  EXPECT_EQ(doc.kind("[0]"), JsonKind::Raw);
  EXPECT_EQ(doc.kind("[1]"), JsonKind::Raw);
  EXPECT_EQ(doc.toText(), "[True,NULL,abc def,a\"b{c,0x10]");
  ASSERT_TRUE(doc.parse("[null,true,false]"));
  EXPECT_EQ(doc.kind("[0]"), JsonKind::Null);
  EXPECT_TRUE(doc.getBool("[1]"));
  EXPECT_FALSE(doc.getBool("[2]"));
  EXPECT_EQ(doc.kind("[2]"), JsonKind::Boolean);
}

TEST(JsonRead, NumbersKeepTheirText) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse("[1.50, 1e3, -0, +5, 1 2, .5, 12345678901234567890, 1-2, -, 1.2.3, 1e5e, 2E-3]"));
  EXPECT_EQ(doc.toText(), "[1.50,1e3,-0,+5,1 2,.5,12345678901234567890,1-2,-,1.2.3,1e5e,2E-3]");
  const JsonKind kinds[] = {JsonKind::Floating, JsonKind::Floating, JsonKind::Integer, JsonKind::Integer,
                            JsonKind::Integer,  JsonKind::Floating, JsonKind::Integer, JsonKind::Floating,
                            JsonKind::Integer,  JsonKind::Raw,      JsonKind::Raw,     JsonKind::Floating};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(doc.kind("[" + std::to_string(i) + "]"), kinds[i]) << i;
  EXPECT_DOUBLE_EQ(doc.getFloat("[0]"), 1.5);
  EXPECT_EQ(doc.getInteger("[3]"), 5);
  EXPECT_EQ(doc.getInteger("[4]"), 12);  // spaces inside a number are ignored
  EXPECT_DOUBLE_EQ(doc.getFloat("[5]"), 0.5);
  EXPECT_EQ(doc.getInteger("[6]"), INT64_MAX);  // saturates
  EXPECT_EQ(doc.getInteger("[8]"), 0);
  EXPECT_DOUBLE_EQ(doc.getFloat("[11]"), 0.002);
  EXPECT_EQ(doc.getNumberText("[0]"), "1.50");
  EXPECT_EQ(doc.getNumberText("[9]"), "");  // raw is not a number

  // Every length a number can have, with every character a number can hold at every position.
  const std::string symbols = "0123456789.eE+- ";
  for (size_t length = 1; length <= 40; ++length) {
    std::string text = "[";
    for (size_t first = 0; first < symbols.size(); ++first) {
      std::string number = "1";
      for (size_t i = 1; i < length; ++i) number += symbols[(first + i * 5) % symbols.size()];
      if (number.back() == ' ') number.back() = '7';
      text += (first ? "," : "") + number;
    }
    text += "]";
    ASSERT_TRUE(doc.parse(text));
    JsonDocument back;
    ASSERT_TRUE(back.parse(doc.toText()));
    EXPECT_TRUE(back == doc);
    for (size_t first = 0; first < symbols.size(); ++first) {
      std::string number = "1";
      for (size_t i = 1; i < length; ++i) number += symbols[(first + i * 5) % symbols.size()];
      if (number.back() == ' ') number.back() = '7';
      const std::string path = "[" + std::to_string(first) + "]";
      if (doc.kind(path) == JsonKind::Raw) continue;  // more than one "." and the like
      EXPECT_EQ(doc.getNumberText(path), number) << length;
    }
  }
}

TEST(JsonRead, IntegersBeyond64BitsReadAsTheNearestDouble) {
  const char* text =
      "[100000000000000000000, 123456789012345678901234567890, -100000000000000000000, +100000000000000000000, "
      "9223372036854775808, 18446744073709551616, 1 00000 00000 00000 00000, 1e20]";
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(text));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(doc.kind("[" + std::to_string(i) + "]"), JsonKind::Integer) << i;
  EXPECT_EQ(doc.getFloat("[0]"), 1e20);
  EXPECT_EQ(doc.getFloat("[1]"), 123456789012345678901234567890.0);
  EXPECT_EQ(doc.getFloat("[2]"), -1e20);
  EXPECT_EQ(doc.getFloat("[3]"), 1e20);
  EXPECT_EQ(doc.getFloat("[4]"), 9223372036854775808.0);
  EXPECT_EQ(doc.getFloat("[5]"), 18446744073709551616.0);
  EXPECT_EQ(doc.getFloat("[6]"), 1e20);
  EXPECT_EQ(doc.getFloat("[7]"), 1e20);
  // As integers they still saturate; the texts are kept.
  EXPECT_EQ(doc.getInteger("[0]"), INT64_MAX);
  EXPECT_EQ(doc.getInteger("[2]"), INT64_MIN);
  EXPECT_EQ(doc.getNumberText("[1]"), "123456789012345678901234567890");
  EXPECT_EQ(doc.toText(),
            "[100000000000000000000,123456789012345678901234567890,-100000000000000000000,+100000000000000000000,"
            "9223372036854775808,18446744073709551616,1 00000 00000 00000 00000,1e20]");
  // Within 64 bits an integer reads as exactly the double it converts to.
  ASSERT_TRUE(doc.parse("[9007199254740993, -42, 0]"));
  EXPECT_EQ(doc.getFloat("[0]"), 9007199254740992.0);  // the nearest, ties to even
  EXPECT_EQ(doc.getFloat("[1]"), -42.0);
  EXPECT_EQ(doc.getInteger("[0]"), 9007199254740993);
}

TEST(JsonRead, NegativeZeroKeepsItsSign) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse("[-0, -0.0, 0, 0.0, -0e5, - 0]"));
  const bool negative[] = {true, true, false, false, true, true};
  for (int i = 0; i < 6; ++i) {
    const std::string path = "[" + std::to_string(i) + "]";
    EXPECT_EQ(doc.getFloat(path), 0.0) << i;
    EXPECT_EQ(std::signbit(doc.getFloat(path)), negative[i]) << i;
    EXPECT_EQ(doc.getInteger(path), 0) << i;
  }
  EXPECT_EQ(doc.kind("[0]"), JsonKind::Integer);
  EXPECT_EQ(doc.kind("[1]"), JsonKind::Floating);
  // Written back as read, and a value set from -0.0 is written with its sign.
  ASSERT_TRUE(doc.setFloat("[6]", -0.0));
  ASSERT_TRUE(doc.setFloat("[7]", 0.0));
  EXPECT_EQ(doc.toText(), "[-0,-0.0,0,0.0,-0e5,- 0,-0.0,0.0]");
  EXPECT_TRUE(std::signbit(doc.getFloat("[6]")));
  EXPECT_FALSE(std::signbit(doc.getFloat("[7]")));
  JsonDocument back;
  ASSERT_TRUE(back.parseUtf16(doc.toUtf16Text()));
  EXPECT_TRUE(back == doc);
  EXPECT_TRUE(std::signbit(back.getFloat("[0]")));
  EXPECT_TRUE(std::signbit(back.getFloat("[6]")));
  const JsonDocument copy = JsonDocument::copyOf(back);
  EXPECT_TRUE(std::signbit(copy.getFloat("[0]")));
  EXPECT_TRUE(std::signbit(copy.getFloat("[1]")));
}

TEST(JsonRead, EscapesInStrings) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"(["\\ \/ \" \b \t \n \r \f", "\x \' \q", "a\"b", 'it\'s', "\u12", "\\u4e2d"])"));
  EXPECT_EQ(doc.getUtf16Text("[0]"), u"\\ / \" \b \t \n \r \f");
  EXPECT_EQ(doc.getUtf16Text("[1]"), u"\\x \\' \\q");  // other characters keep the backslash
  EXPECT_EQ(doc.getUtf16Text("[2]"), u"a\"b");
  EXPECT_EQ(doc.getUtf16Text("[3]"), u"it\\'s");  // skipped while looking for the quote
  EXPECT_EQ(doc.getUtf16Text("[4]"), u"\\u12");   // not four hex digits
  EXPECT_EQ(doc.getUtf16Text("[5]"), u"\\u4e2d");
}

TEST(JsonRead, LongStringsWithEscapesAndGbkEverywhere) {
  // Strings of every length up to a few thousand characters, mixing ASCII runs, GBK pairs and
  // escapes, so that each falls at every offset of the reader's internal pieces.
  struct Piece {
    const char* text;
    std::u16string_view read;
  };
  const Piece pieces[] = {
      {"abcdefgh", u"abcdefgh"}, {"中文", u"中文"},       {"\\\\", u"\\"}, {"\\\"", u"\""}, {"\\t", u"\t"},
      {"\\x", u"\\x"},           {"\\u4e2d", u"\\u4e2d"}, {"€", u"€"},     {"'", u"'"},     {"\x81\x30", u"?0"}};
  std::string text = "[";
  std::vector<std::u16string> expected;
  for (int length = 0; length < 1200; length += 7) {
    std::u16string read;
    text += length ? ",\"" : "\"";
    for (int i = 0; i < length; ++i) {
      const Piece& piece = pieces[(i * 7 + length) % std::size(pieces)];
      text += piece.text;
      read += piece.read;
    }
    text += "\"";
    expected.push_back(read);
  }
  text += "]";
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(text));
  ASSERT_EQ(doc.count(""), int(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_TRUE(doc.getUtf16Text("[" + std::to_string(i) + "]") == expected[i]) << i;
  JsonDocument wide;
  ASSERT_TRUE(wide.parseUtf16(gbkToUtf16(text)));
  EXPECT_TRUE(doc == wide);
  JsonDocument back;
  ASSERT_TRUE(back.parse(doc.toText()));
  EXPECT_TRUE(back == doc);
}

TEST(JsonRead, UnicodeEscapesOnlyWithTheFlag) {
  const std::string text = R"({"k":"\u4e2d\u6587", "s":"\uD83D\uDE00", "n":"\u0000"})";
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(text, 0));
  EXPECT_EQ(doc.getText("k"), "\\u4e2d\\u6587");
  ASSERT_TRUE(doc.parse(text, kJsonDecodeUnicodeEscapes));
  EXPECT_EQ(doc.getText("k"), "中文");
  EXPECT_EQ(doc.getUtf16Text("s"), u"\U0001F600");
  EXPECT_EQ(doc.getText("s"), "??");  // GBK has no such character
  EXPECT_EQ(doc.getUtf16Text("n"), std::u16string(1, u'\0'));
}

TEST(JsonRead, RepeatedNameKeepsLaterValueAtFirstPosition) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"({"a":1,"b":{"x":[1,2]},"c":3,"b":"later","a":{"y":true}})"));
  EXPECT_EQ(doc.toText(), R"({"a":{"y":true},"b":"later","c":3})");
  ASSERT_TRUE(doc.parse(R"({"":1,"x":2,"":3})"));  // the empty name too
  EXPECT_EQ(doc.toText(), R"({"":3,"x":2})");
  // The same in an object large enough to be searched by hash.
  std::string big = "{";
  for (int i = 0; i < 20; ++i) big += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  big += "\"m3\":\"again\",\"m19\":null}";
  ASSERT_TRUE(doc.parse(big));
  EXPECT_EQ(doc.count(""), 20);
  EXPECT_EQ(doc.getText("m3"), "again");
  EXPECT_EQ(doc.getText("[3]"), "again");
  EXPECT_EQ(doc.kind("m19"), JsonKind::Null);
  for (int i = 0; i < 20; ++i) EXPECT_NE(doc.kind("m" + std::to_string(i)), JsonKind::None);
  EXPECT_EQ(doc.kind("m20"), JsonKind::None);
}

// The reader itself says when an object named a member twice: that object, and the read as a
// whole. However the name was spelt (quotes, escapes), it is the decoded name that counts.
TEST(JsonRead, RepeatedNamesAreReportedByTheObjectAndTheRead) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"({"a":1,"b":{"x":1,"y":2},"c":[{"k":1,"k":2}]})"));
  EXPECT_FALSE(doc.repeatsNames(""));
  EXPECT_FALSE(doc.repeatsNames("b"));
  EXPECT_TRUE(doc.repeatsNames("c[0]"));
  EXPECT_TRUE(doc.readRepeatedNames());
  for (const char* text :
       {R"({'a':1,"a":2})", R"({"a/":1,"a\/":2})", R"({"A":1,"A":2})", "{\"\xD6\xD0\":1,'\xD6\xD0':2}"}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(doc.parse(text, kJsonDecodeUnicodeEscapes));
    EXPECT_TRUE(doc.repeatsNames(""));
    EXPECT_TRUE(doc.readRepeatedNames());
    EXPECT_EQ(doc.count(""), 1);
  }
  // A large object, searched by hash.
  std::string big = "{";
  for (int i = 0; i < 20; ++i) big += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  big += "'m7':0}";
  ASSERT_TRUE(doc.parse(big));
  EXPECT_TRUE(doc.repeatsNames(""));
  // The next parse, a failed one or clear() forget it; a copy keeps the object's.
  JsonDocument copy = JsonDocument::copyOf(doc);
  EXPECT_TRUE(copy.repeatsNames(""));
  ASSERT_TRUE(doc.parse(R"({"a":1,"A":2,"a ":3})"));
  EXPECT_FALSE(doc.repeatsNames(""));
  EXPECT_FALSE(doc.readRepeatedNames());
  ASSERT_TRUE(doc.parse(R"({"a":1,"a":2})"));
  EXPECT_FALSE(doc.parse("{"));
  EXPECT_FALSE(doc.readRepeatedNames());
  ASSERT_TRUE(doc.parse(R"({"a":1,"a":2})"));
  doc.clear();
  EXPECT_FALSE(doc.readRepeatedNames());
  EXPECT_FALSE(doc.repeatsNames("missing"));
}

TEST(JsonRead, ArrayRootAndQuestionsOnIt) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(R"([{"eName":"Button","n":5,"b":true,"z":null,"r":abc,"o":{},"a":[]}])"));
  EXPECT_EQ(doc.count(""), 1);
  EXPECT_EQ(doc.getText("[0].eName"), "Button");
  EXPECT_EQ(doc.getText("[0]eName"), "Button");
  EXPECT_EQ(doc.getText("[1].eName"), "");
  for (const char* path : {"[0].n", "[0].b", "[0].z", "[0].r", "[0].o", "[0].a", "[0]", "missing"})
    EXPECT_EQ(doc.getText(path), "") << path;  // only strings have text
  EXPECT_EQ(doc.count("missing"), 0);
  EXPECT_EQ(doc.count("[0].eName"), 0);
  EXPECT_EQ(doc.count("[0]"), 7);
}

TEST(JsonRead, FreshDocumentHasNoRoot) {
  JsonDocument doc;
  EXPECT_FALSE(doc.hasRoot());
  EXPECT_EQ(doc.toText(), "");
  EXPECT_EQ(doc.kind(""), JsonKind::None);
  EXPECT_EQ(doc.count(""), 0);
}

// Reading GBK must equal converting to UTF-16 first and reading that: same answer, same
// position, same tree. Random texts over an alphabet of JSON syntax, GBK lead bytes, bytes that
// form no character, NUL and the escapes.
TEST(JsonRead, GbkReadsAsItsUtf16Conversion) {
  const std::string alphabet[] = {
      "{",    "}",    "[",        "]",    "\"",   "'",        ":",    ",",    " ", "\\",
      "u",    "4e2d", "1",        ".",    "e",    "-",        "true", "null", "x", std::string(1, '\0'),
      "\x81", "\xA1", "\xD6\xD0", "\x80", "\xFF", "\x81\x30", "\xFE"};
  std::mt19937 random(1234);
  int parsed = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text = random() % 2 ? "[" : "{\"k\":";
    const int pieces = int(random() % 24);
    for (int i = 0; i < pieces; ++i) text += alphabet[random() % std::size(alphabet)];
    if (random() % 2) text += text[0] == '[' ? "]" : "}";
    const int flags = int(random() % 2);
    JsonDocument gbk, wide;
    int gbkCode = 0, gbkPosition = 0, wideCode = 0, widePosition = 0;
    const bool gbkOk = gbk.parse(text, flags, gbkCode, gbkPosition);
    const bool wideOk = wide.parseUtf16(gbkToUtf16(text), flags, wideCode, widePosition);
    ASSERT_EQ(gbkOk, wideOk) << text;
    ASSERT_EQ(gbkCode, wideCode) << text;
    ASSERT_EQ(gbkPosition, widePosition) << text;
    ASSERT_TRUE(gbk == wide) << text;
    parsed += gbkOk;
  }
  EXPECT_GT(parsed, 1000);  // the alphabet reaches the success paths too
}

TEST(JsonRead, LeadByteTakesOnlyATrailByte) {
  JsonDocument doc;
  // 0x81 followed by '"' is no character: the lead byte stands alone and the string closes.
  ASSERT_TRUE(doc.parse("[\"\x81\"]"));
  EXPECT_EQ(doc.getUtf16Text("[0]"), u"?");
  ASSERT_TRUE(doc.parse("{\"a\x81\":1,\"b\":2}"));
  EXPECT_EQ(doc.count(""), 2);
  // With a trail byte it is one character, even one whose trail byte is a quote-free '\\'.
  ASSERT_TRUE(doc.parse("[\"\x81\x5C\"]"));
  EXPECT_EQ(doc.getUtf16Text("[0]").size(), 1u);
  // A lead byte before a NUL stands alone.
  ASSERT_TRUE(doc.parse("[\"a\x81\0\"]"s));
  EXPECT_EQ(doc.getUtf16Text("[0]"), std::u16string(u"a?\0", 3));
  ASSERT_TRUE(doc.parse("[\"\x80\xFF\"]"));
  EXPECT_EQ(doc.getUtf16Text("[0]"), u"\u20AC\uF8F5");
}

}  // namespace
}  // namespace tovalux
