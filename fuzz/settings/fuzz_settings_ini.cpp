// Tovalux.ini as a user may edit it: every key=value line (the input split at line breaks, as the
// profile API hands values over) read the way the shell reads it. Numbers always land in their
// range, whatever the text (2147483647, -0, "12abc", 60 digits); the dialog's fills and saves take
// any text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "settings/dialog/settings_dialog_rules.h"
#include "settings/settings_rules.h"

using namespace tovalux;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_settings_ini: %s\n", what);
    std::abort();
  }
}

void checkNumber(std::string_view value, setting_rules::NumberRange range) {
  const int32_t read = setting_rules::numberInRange(value, range);
  require(setting_rules::inRange(read, range), "a setting number outside its range");
  require(read == cAtoi(value) || read == range.fallback, "a setting number that is neither the text nor the default");
  // What the shell forms from it never overflows (the menu bar adds its widest button's extra).
  require(int64_t(read) + 40 <= INT32_MAX && int64_t(read) * 2 <= INT32_MAX, "a setting number the shell overflows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  settings_dialog::DialogValues values;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    const size_t equals = line.find('=');
    const std::string_view key = trim(line.substr(0, equals == std::string_view::npos ? 0 : equals));
    const std::string_view value = equals == std::string_view::npos ? line : trim(line.substr(equals + 1));
    checkNumber(value, setting_rules::kFontSizeRange);
    checkNumber(value, setting_rules::kMenuButtonWidthRange);
    checkNumber(value, setting_rules::kWindowWidthRange);
    checkNumber(value, setting_rules::kWindowHeightRange);
    (void)settings_dialog::pairFill(value);
    (void)settings_dialog::checkFill(value);
    if (key == "FontName") values.fontName = std::string(value);
    if (key == "FontSize") values.fontSize = std::string(value);
    if (key == "MenuButtonWidth") values.menuButtonWidth = std::string(value);
    if (key == "Caption") values.caption = settings_dialog::checkFill(value);
    start = end + 1;
  }
  for (const settings_dialog::SettingWrite& write : settings_dialog::saveWrites(values))
    require(write.key != nullptr, "a save without a key");
  return 0;
}
