#include "settings/dialog/settings_dialog_rules.h"

#include "base/text.h"

namespace tovalux::settings_dialog {
namespace {
constexpr char kTrue[] = "true";
constexpr char kFalse[] = "fasle";  // the file's text for false
}  // namespace

PairFill pairFill(std::string_view stored) {
  const std::string value = asciiLower(stored);
  if (value == kTrue) return PairFill::kFirst;
  if (value == kFalse) return PairFill::kSecond;
  return PairFill::kLeave;
}

bool checkFill(std::string_view stored) { return asciiLower(stored) == kTrue; }

std::vector<SettingWrite> saveWrites(const DialogValues& values) {
  std::vector<SettingWrite> writes;
  auto flag = [&](const char* key, const std::optional<bool>& value) {
    if (value) writes.push_back({key, *value ? kTrue : kFalse});
  };
  auto text = [&](const char* key, const std::optional<std::string>& value) {
    if (value) writes.push_back({key, *value});
  };
  flag("Caption", values.caption);
  flag("LibTree", values.libTree);
  flag("CodeTip", values.codeTip);
  flag("CodeTree", values.codeTree);
  text("FontName", values.fontName);
  text("FontSize", values.fontSize);
  text("MenuButtonWidth", values.menuButtonWidth);
  return writes;
}

}  // namespace tovalux::settings_dialog
