#include "panes/variables_reader_rules.h"

#include <vector>

#include "base/gbk.h"

namespace tovalux::panes {
namespace {

constexpr std::u16string_view kSeparator = u"[~|~]";
constexpr std::u16string_view kNoData = u"★ 未选中实际数据成员或不能显示该数据类型的数据";
constexpr std::u16string_view kArrayValue = u"数组类型不支持自动显示";
constexpr std::u16string_view kUserTypeValue = u"自定义类型不支持自动显示";
constexpr std::u16string_view kTypeMarker = u"数据类型：";
constexpr std::u16string_view kCategories[] = {u"子程序局部变量", u"子程序参数变量", u"程序集变量", u"全局变量"};

std::vector<std::u16string_view> split(std::u16string_view text, std::u16string_view separator) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    if (at == std::u16string_view::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000'; }

// The kind between the first "/" and the first "定义" after it, trimmed; empty when either is
// missing.
std::u16string_view declaredKind(std::u16string_view description) {
  const size_t slash = description.find(u'/');
  if (slash == std::u16string_view::npos) return {};
  const size_t defined = description.find(u"定义", slash + 1);
  if (defined == std::u16string_view::npos) return {};
  return trimBlanks(description.substr(slash + 1, defined - slash - 1));
}

}  // namespace

bool isVariableCategory(std::u16string_view text) {
  for (std::u16string_view category : kCategories)
    if (text == category) return true;
  return false;
}

std::u16string_view arrayValueText() { return kArrayValue; }
std::u16string_view userTypeValueText() { return kUserTypeValue; }
bool isUnsupportedValueText(std::u16string_view text) { return text == kArrayValue || text == kUserTypeValue; }

std::u16string_view trimBlanks(std::u16string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string joinVariable(std::u16string_view name, std::u16string_view value, std::u16string_view description) {
  std::u16string joined(name);
  joined += kSeparator;
  joined += value;
  joined += kSeparator;
  joined += description;
  return joined;
}

std::optional<VariableRow> variableRow(std::u16string_view joined) {
  const std::vector<std::u16string_view> parts = split(joined, kSeparator);
  if (parts.size() != 3) return std::nullopt;
  VariableRow row{std::u16string(parts[0]), std::u16string(parts[1]), std::u16string(parts[2])};
  if (row.value == kNoData) row.value = declaredKind(parts[2]) == u"数组" ? kArrayValue : kUserTypeValue;
  const size_t type = row.type.rfind(kTypeMarker);
  if (type != std::u16string::npos) row.type.erase(0, type + kTypeMarker.size());
  return row;
}

std::optional<VariableRow> variableRowFromHost(std::string_view name, std::string_view value,
                                               std::string_view description) {
  return variableRow(joinVariable(gbkToUtf16(name), gbkToUtf16(value), gbkToUtf16(description)));
}

}  // namespace tovalux::panes
