// The variables list's texts: how a host variable becomes a row.
#include "panes/variables_reader_rules.h"

#include <gtest/gtest.h>

#include "base/gbk.h"

namespace tovalux::panes {
namespace {

constexpr std::u16string_view kNoData = u"★ 未选中实际数据成员或不能显示该数据类型的数据";

VariableRow rowOf(std::u16string_view name, std::u16string_view value, std::u16string_view description) {
  const auto row = variableRow(joinVariable(name, value, description));
  EXPECT_TRUE(row.has_value());
  return row.value_or(VariableRow{});
}

TEST(VariableRows, NameValueAndTheTypeAfterTheLastTypeMarker) {
  const VariableRow plain = rowOf(u"局部整数", u"5", u"局部变量 / 整数型 定义于子程序 数据类型：整数型");
  EXPECT_EQ(plain.name, u"局部整数");
  EXPECT_EQ(plain.value, u"5");
  EXPECT_EQ(plain.type, u"整数型");
  EXPECT_EQ(rowOf(u"a", u"1", u"数据类型：甲 数据类型：乙").type, u"乙");
  // No marker: the description as it is.
  EXPECT_EQ(rowOf(u"a", u"1", u"说明文字").type, u"说明文字");
  EXPECT_EQ(rowOf(u"a", u"", u"").value, u"");
}

TEST(VariableRows, NoDataBecomesArrayOrUserTypeTextFromTheDeclaredKind) {
  EXPECT_EQ(rowOf(u"局部数组", kNoData, u"局部变量 / 数组 定义于子程序 数据类型：整数型").value, arrayValueText());
  EXPECT_EQ(rowOf(u"局部数组", kNoData, u"局部变量 /  数组\u3000定义于子程序").value, arrayValueText());
  EXPECT_EQ(rowOf(u"全局坐标", kNoData, u"全局变量 / 自定义 定义于程序 数据类型：坐标").value, userTypeValueText());
  // Either marker missing (or "定义" only before the "/"): the user-type text.
  EXPECT_EQ(rowOf(u"x", kNoData, u"数组 定义").value, userTypeValueText());
  EXPECT_EQ(rowOf(u"x", kNoData, u"/ 数组").value, userTypeValueText());
  EXPECT_EQ(rowOf(u"x", kNoData, u"定义 / 数组").value, userTypeValueText());
  // A value that only contains the host's text is a value.
  EXPECT_EQ(rowOf(u"x", u"“★ 未选中”", u"/ 数组 定义").value, u"“★ 未选中”");
  EXPECT_TRUE(isUnsupportedValueText(arrayValueText()));
  EXPECT_TRUE(isUnsupportedValueText(userTypeValueText()));
  EXPECT_FALSE(isUnsupportedValueText(u"数组"));
}

TEST(VariableRows, ATextHoldingTheSeparatorMakesNoRow) {
  EXPECT_FALSE(variableRow(joinVariable(u"a[~|~]b", u"1", u"d")).has_value());
  EXPECT_FALSE(variableRow(joinVariable(u"a", u"[~|~]", u"d")).has_value());
  EXPECT_FALSE(variableRow(joinVariable(u"a", u"1", u"d[~|~]")).has_value());
  EXPECT_FALSE(variableRow(u"only[~|~]two").has_value());
  EXPECT_FALSE(variableRow(u"").has_value());
}

// '[', '|' and '~' are GBK trail bytes: a two-byte character followed by "~|~]" holds the
// separator's bytes without holding the separator.
TEST(VariableRows, SeparatorBytesInsideGbkCharactersAreNotTheSeparator) {
  const std::string name = "\x81[~|~]";  // U+4E8A then "~|~]"
  ASSERT_NE(name.find("[~|~]"), std::string::npos);
  const std::string value = "\xB5\x7C~";  // a character whose trail byte is '|'
  const auto row = variableRowFromHost(name, value, "\x81~");
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->name, gbkToUtf16(name));
  EXPECT_EQ(row->value, gbkToUtf16(value));
  EXPECT_EQ(row->type, gbkToUtf16("\x81~"));
}

TEST(VariableRows, CategoriesAreExactTexts) {
  for (std::u16string_view category : {u"子程序局部变量", u"子程序参数变量", u"程序集变量", u"全局变量"})
    EXPECT_TRUE(isVariableCategory(category));
  EXPECT_FALSE(isVariableCategory(u"全局变量 "));
  EXPECT_FALSE(isVariableCategory(u"变量"));
  EXPECT_FALSE(isVariableCategory(u""));
  EXPECT_EQ(trimBlanks(u" \t全局变量\r\n\u3000"), u"全局变量");
  EXPECT_EQ(trimBlanks(u"   "), u"");
}

}  // namespace
}  // namespace tovalux::panes
