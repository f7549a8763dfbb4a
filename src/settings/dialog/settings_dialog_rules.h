// What the settings dialog shows for the stored values and what its save writes back. The dialog
// edits seven keys of the [Theme] section; the rules here decide, for each key, the control
// state it starts with and the text it is saved as.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::settings_dialog {

// A yes/no radio pair (202/203 for Caption, 204/205 for LibTree) filled from its stored value,
// compared lower-cased: "true" checks the first, "fasle" the second, anything else (an empty
// value, "false", "1") leaves both as the layout has them.
enum class PairFill { kLeave, kFirst, kSecond };
PairFill pairFill(std::string_view stored);

// A check box (206 CodeTip, 207 CodeTree): checked exactly when the stored value is "true" in
// any letter case.
bool checkFill(std::string_view stored);

// The controls' state at save. A member is empty when its control is missing from the dialog
// (an old or damaged layout): that key is then left as the file has it, so a missing check box
// never turns into "fasle" and a missing edit never blanks the user's font or sizes.
struct DialogValues {
  std::optional<bool> caption;                 // 202 checked
  std::optional<bool> libTree;                 // 204 checked
  std::optional<bool> codeTip;                 // 206 checked
  std::optional<bool> codeTree;                // 207 checked
  std::optional<std::string> fontName;         // 208, GBK
  std::optional<std::string> fontSize;         // 210, GBK
  std::optional<std::string> menuButtonWidth;  // 211, GBK
};

struct SettingWrite {
  const char* key;  // in the [Theme] section
  std::string value;
};

// The writes of one save, in the dialog's order: Caption, LibTree, CodeTip, CodeTree, FontName,
// FontSize, MenuButtonWidth. Booleans as "true" / "fasle"; texts as they are (the next start
// replaces an empty or non-numeric size by its default).
std::vector<SettingWrite> saveWrites(const DialogValues& values);

// At most this many UTF-16 characters of an edit are saved (a 260-byte buffer with its terminator).
inline constexpr int kMaxEditChars = 129;

}  // namespace tovalux::settings_dialog
