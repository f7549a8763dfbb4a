// The variables list's texts: what a host variable becomes in the pane (name, value, type), the
// heading rows, and the texts the list styles. All searches run on UTF-16 characters: '[', '|'
// and '~' are valid GBK trail bytes, so a byte search could match inside a character.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovalux::panes {

// The four category texts of the host's variables tree (heading rows).
bool isVariableCategory(std::u16string_view text);

// The value cell of a variable the host cannot show, and whether a text is one of them.
std::u16string_view arrayValueText();     // "数组类型不支持自动显示"
std::u16string_view userTypeValueText();  // "自定义类型不支持自动显示"
bool isUnsupportedValueText(std::u16string_view text);

struct VariableRow {
  std::u16string name;
  std::u16string value;
  std::u16string type;
};

// Joins the three host texts with the separator "[~|~]" (the form the reader hands over).
std::u16string joinVariable(std::u16string_view name, std::u16string_view value, std::u16string_view description);

// The row for a joined text: none unless it splits into exactly three parts. The host's "no
// data" value is replaced by the array or user-type text (from the kind between "/" and "定义"
// in the description); a description with "数据类型：" keeps what follows its last occurrence.
std::optional<VariableRow> variableRow(std::u16string_view joined);

// The same from the host's GBK texts (the reader's reads).
std::optional<VariableRow> variableRowFromHost(std::string_view name, std::string_view value,
                                               std::string_view description);

// Leading and trailing blanks (space, tab, CR, LF, the full-width blank) removed.
std::u16string_view trimBlanks(std::u16string_view text);

}  // namespace tovalux::panes
