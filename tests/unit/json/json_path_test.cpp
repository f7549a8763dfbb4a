// Paths: the grammar, resolution, creation, removal, and the typed getters and setters.
#include <gtest/gtest.h>

#include <cmath>

#include "json/json_document.h"
#include "json_test_support.h"

namespace tovalux {
namespace {

JsonDocument parsed(std::string_view text) {
  JsonDocument doc;
  EXPECT_TRUE(doc.parse(text)) << text;
  return doc;
}

TEST(JsonPath, GrammarAndEscapes) {
  JsonDocument doc = parsed(R"({"list":[{"eName":"A"},{"eName":"B"},"C"],"a.b":"dot","x[1]":"brackets",)"
                            R"("c\\d":"backslash","a\\qb":"other","":"empty","名称":"值"})");
  for (const char* path : {"list.[1].eName", "list[1].eName", "list[1]eName", ".list..[1]..eName", "list[ 1]eName"})
    EXPECT_EQ(doc.getText(path), "B") << path;
  EXPECT_EQ(doc.getText("list[x].eName"), "A");  // an index without digits is 0
  EXPECT_EQ(doc.getText("list[2"), "C");         // the end of the path ends an index
  EXPECT_EQ(doc.getText("a\\.b"), "dot");
  EXPECT_EQ(doc.getText("x\\[1\\]"), "brackets");
  EXPECT_EQ(doc.getText("c\\\\d"), "backslash");
  EXPECT_EQ(doc.getText("a\\qb"), "other");  // a backslash before another character stays
  EXPECT_EQ(doc.getText("名称"), "值");
  EXPECT_EQ(doc.getText("[5]"), "empty");    // an index on an object is a member position
  EXPECT_EQ(doc.getText("a.b"), "");         // no member "a"
  EXPECT_EQ(doc.getText("list.eName"), "");  // a name on an array fails
  EXPECT_EQ(doc.getText("list[-1].eName"), "");
  EXPECT_EQ(doc.getText("list[4000000000].eName"), "");
  EXPECT_EQ(doc.kind("[7]"), JsonKind::None);
}

TEST(JsonPath, CreationRules) {
  JsonDocument doc;
  ASSERT_TRUE(doc.setText("Folder.[3]", "x"));  // a fresh document gets an object root first
  EXPECT_EQ(doc.toText(), R"({"Folder":[null,null,null,"x"]})");
  ASSERT_TRUE(doc.setText("Folder.[4]", "appended"));
  EXPECT_EQ(doc.count("Folder"), 5);
  ASSERT_TRUE(doc.setText("Folder.[0].name", "n"));  // null becomes an object
  EXPECT_EQ(doc.toText("Folder.[0]"), R"({"name":"n"})");
  ASSERT_TRUE(doc.setText("Folder.[3].[1]", "y"));  // a string becomes an array
  EXPECT_EQ(doc.toText("Folder.[3]"), R"([null,"y"])");
  ASSERT_TRUE(doc.setText("Folder.k", "z"));  // an array becomes an object
  EXPECT_EQ(doc.toText(), R"({"Folder":{"k":"z"}})");
  ASSERT_TRUE(doc.setText("", "root"));
  EXPECT_EQ(doc.toText(), R"("root")");
}

TEST(JsonPath, IndexOnAnObjectNeverDropsItsMembers) {
  JsonDocument doc = parsed(R"({"a":"1","b":{"c":"2"}})");
  ASSERT_TRUE(doc.setText("[1].c", "changed"));  // member position, as reading takes it
  EXPECT_EQ(doc.toText(), R"({"a":"1","b":{"c":"changed"}})");
  EXPECT_FALSE(doc.setText("[2]", "x"));  // past the last member: nothing to name it
  EXPECT_FALSE(doc.removeAt("[5]", 0));
  EXPECT_EQ(doc.toText(), R"({"a":"1","b":{"c":"changed"}})");
  JsonDocument empty = parsed("{}");
  ASSERT_TRUE(empty.setText("[1]", "x"));  // an empty object has nothing to lose
  EXPECT_EQ(empty.toText(), R"([null,"x"])");
}

TEST(JsonPath, AbsurdIndexesFailWithoutMemory) {
  testing::CountingAllocator allocator;
  JsonDocument doc(allocator);
  ASSERT_TRUE(doc.parse(R"({"a":[1,2]})"));
  const std::string before = doc.toText();
  for (const char* path : {"a.[4000000000]", "a.[2147483647]", "a.[-1]", "b.[-5].c", "a.[65538]", "[0].[99999999]"})
    EXPECT_FALSE(doc.setText(path, "x")) << path;
  EXPECT_EQ(doc.toText(), before);  // not even the start of a failing path is created
  EXPECT_LT(allocator.peak, size_t(1) << 20);
  // The largest padding allowed in one step.
  ASSERT_TRUE(doc.setNull("a.[65537]"));
  EXPECT_EQ(doc.count("a"), 65538);
}

TEST(JsonPath, Removal) {
  JsonDocument doc = parsed(R"({"list":[0,1,2],"o":{"x":1,"y":2}})");
  EXPECT_FALSE(doc.removeAt("list", 3));  // at the length: nothing happens
  EXPECT_FALSE(doc.removeAt("list", -1));
  EXPECT_TRUE(doc.removeAt("list", 1));
  EXPECT_EQ(doc.toText("list"), "[0,2]");
  EXPECT_FALSE(doc.removeMember("o", "z"));
  EXPECT_TRUE(doc.removeMember("o", "x"));
  EXPECT_EQ(doc.toText("o"), R"({"y":2})");
  EXPECT_TRUE(doc.remove("o.y"));
  EXPECT_TRUE(doc.remove("list.[0]"));
  EXPECT_FALSE(doc.remove(""));
  EXPECT_FALSE(doc.remove("nothing.here"));
  EXPECT_EQ(doc.toText(), R"({"list":[2],"o":{}})");
  // Both removals create their path first: only that changes when nothing is removed.
  EXPECT_FALSE(doc.removeMember("x.y", "n"));
  EXPECT_FALSE(doc.removeAt("list2.[1]", 0));
  EXPECT_EQ(doc.toText(), R"({"list":[2],"o":{},"x":{"y":null},"list2":[null,null]})");
}

TEST(JsonPath, LargeObjectsStaySearchableThroughChanges) {
  JsonDocument doc;
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(doc.setInteger("o.m" + std::to_string(i), i));
  for (int i = 0; i < 40; i += 3) ASSERT_TRUE(doc.removeMember("o", "m" + std::to_string(i)));
  ASSERT_TRUE(doc.setInteger("o.m1", 100));  // replaced in place
  std::vector<std::string> names;
  ASSERT_EQ(doc.memberNames("o", names), 26);
  EXPECT_EQ(names.front(), "m1");
  EXPECT_EQ(names.back(), "m38");
  for (int i = 0; i < 40; ++i) {
    const std::string name = "o.m" + std::to_string(i);
    EXPECT_EQ(doc.kind(name), i % 3 ? JsonKind::Integer : JsonKind::None) << name;
  }
  EXPECT_EQ(doc.getInteger("o.m1"), 100);
  EXPECT_EQ(doc.getInteger("o.[1]"), 2);
  // Removing down to a few members and growing again.
  for (int i = 0; i < 40; ++i) doc.removeMember("o", "m" + std::to_string(i));
  EXPECT_EQ(doc.count("o"), 0);
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(doc.setInteger("o.n" + std::to_string(i), i));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(doc.getInteger("o.n" + std::to_string(i)), i);
}

TEST(JsonPath, TypedValues) {
  JsonDocument doc;
  ASSERT_TRUE(doc.setBool("t", true));
  ASSERT_TRUE(doc.setInteger("i", -42));
  ASSERT_TRUE(doc.setFloat("f", 0.1));
  ASSERT_TRUE(doc.setFloat("whole", 3.0));
  ASSERT_TRUE(doc.setFloat("g", 2.75, "2.750"));
  ASSERT_TRUE(doc.setInteger("h", 7, "7.0e0"));
  ASSERT_TRUE(doc.setNull("n"));
  ASSERT_TRUE(doc.setText("s", "文本"));
  ASSERT_TRUE(doc.setEmptyArray("a"));
  EXPECT_FALSE(doc.setFloat("nan", std::nan("")));
  EXPECT_FALSE(doc.setFloat("inf", INFINITY));
  EXPECT_FALSE(doc.setInteger("bad", 1, "1;x"));
  EXPECT_EQ(doc.toText(), R"({"t":true,"i":-42,"f":0.1,"whole":3.0,"g":2.750,"h":7.0e0,"n":null,"s":"文本","a":[]})");
  EXPECT_TRUE(doc.getBool("t"));
  EXPECT_FALSE(doc.getBool("i"));
  EXPECT_EQ(doc.getInteger("i"), -42);
  EXPECT_DOUBLE_EQ(doc.getFloat("i"), -42.0);
  EXPECT_EQ(doc.kind("whole"), JsonKind::Floating);  // written with ".0" so it reads back floating
  EXPECT_DOUBLE_EQ(doc.getFloat("g"), 2.75);
  EXPECT_EQ(doc.getNumberText("g"), "2.750");
  EXPECT_EQ(doc.getInteger("h"), 7);
  EXPECT_EQ(doc.kind("h"), JsonKind::Integer);
  EXPECT_EQ(doc.getInteger("s"), 0);
  EXPECT_DOUBLE_EQ(doc.getFloat("t"), 0.0);
  EXPECT_EQ(doc.kind("a"), JsonKind::Array);
  EXPECT_EQ(doc.kind("none"), JsonKind::None);

  JsonDocument numbers = parsed("[2.9, -2.9, 1e300, -1e300, 1e999, 1e-999, 9223372036854775807, -9223372036854775808]");
  EXPECT_EQ(numbers.getInteger("[0]"), 2);
  EXPECT_EQ(numbers.getInteger("[1]"), -2);
  EXPECT_EQ(numbers.getInteger("[2]"), INT64_MAX);
  EXPECT_EQ(numbers.getInteger("[3]"), INT64_MIN);
  EXPECT_TRUE(std::isinf(numbers.getFloat("[4]")));
  EXPECT_EQ(numbers.getFloat("[5]"), 0.0);
  EXPECT_EQ(numbers.getInteger("[6]"), INT64_MAX);
  EXPECT_EQ(numbers.getInteger("[7]"), INT64_MIN);
}

TEST(JsonPath, DocumentsOfAKindAndCopies) {
  const std::pair<JsonKind, const char*> kinds[] = {
      {JsonKind::Object, "{}"},   {JsonKind::Array, "[]"},     {JsonKind::Null, "null"}, {JsonKind::Boolean, "false"},
      {JsonKind::String, "\"\""}, {JsonKind::Floating, "0.0"}, {JsonKind::Integer, "0"}, {JsonKind::Raw, ""}};
  for (const auto& [kind, text] : kinds) {
    const JsonDocument doc = JsonDocument::withRoot(kind);
    EXPECT_EQ(doc.toText(), text);
    EXPECT_EQ(doc.kind(""), kind == JsonKind::Raw ? JsonKind::None : kind);
  }

  JsonDocument doc = parsed(R"({"a":{"b":[1,{"c":"d"}]},"e":2})");
  EXPECT_EQ(doc.valueAt("a.b").toText(), R"([1,{"c":"d"}])");
  EXPECT_EQ(doc.parentOf("a.b.[1].c").toText(), R"({"c":"d"})");
  EXPECT_EQ(doc.parentOf("a.b").toText(), R"({"b":[1,{"c":"d"}]})");
  EXPECT_FALSE(doc.parentOf("").hasRoot());
  EXPECT_FALSE(doc.valueAt("zz").hasRoot());
  // A copy of the document into itself, below what is copied.
  ASSERT_TRUE(doc.setDocument("a.b.[1].self", doc));
  EXPECT_EQ(doc.toText(), R"({"a":{"b":[1,{"c":"d","self":{"a":{"b":[1,{"c":"d"}]},"e":2}}]},"e":2})");
  const JsonDocument copy = JsonDocument::copyOf(doc);
  EXPECT_TRUE(copy == doc);
  ASSERT_TRUE(doc.setText("e", "changed"));
  EXPECT_FALSE(copy == doc);
  EXPECT_FALSE(doc.setDocument("x", JsonDocument()));  // no root to copy

  ASSERT_TRUE(doc.setJson("j", "[1,'two',{\"3\":null}]"));
  EXPECT_EQ(doc.toText("j"), R"([1,"two",{"3":null}])");
  EXPECT_FALSE(doc.setJson("j", "[1,"));
  EXPECT_EQ(doc.toText("j"), R"([1,"two",{"3":null}])");
  doc.clear();
  EXPECT_FALSE(doc.hasRoot());
}

TEST(JsonPath, ReplacingAValueReusesItsMemory) {
  testing::CountingAllocator allocator;
  JsonDocument doc(allocator);
  ASSERT_TRUE(doc.parse(R"({"list":[],"name":""})"));
  std::string text(300, 'x');
  for (int round = 0; round < 20000; ++round) {
    text[round % text.size()] = char('a' + round % 26);
    ASSERT_TRUE(doc.setText("name", text));
    ASSERT_TRUE(doc.setJson("list", "[1,2,{\"k\":\"v\"}]"));
    ASSERT_TRUE(doc.removeAt("list", 0));
  }
  EXPECT_LT(allocator.live, size_t(64) << 10);
}

}  // namespace
}  // namespace tovalux
