#include "settings/settings.h"

#include <windows.h>

#include <vector>

#include "base/text.h"
#include "base/version.h"
#include "host/host_paths.h"
#include "settings/settings_rules.h"

namespace tovalux {

namespace {
constexpr DWORD kReadBufferSize = 10240;
static_assert(setting_rules::kFontSizeRange.fallback == setting::kDefaultFontSize);
static_assert(setting_rules::kMenuButtonWidthRange.fallback == setting::kDefaultMenuButtonWidth);
static_assert(setting_rules::kWindowWidthRange.fallback == setting::kDefaultWindowWidth);
static_assert(setting_rules::kWindowHeightRange.fallback == setting::kDefaultWindowHeight);

std::string ownString(std::string_view text) { return std::string(text); }

std::string readTextOrDefault(std::string_view section, std::string_view key, std::string_view fallback) {
  std::string value = readSetting(section, key);
  if (!value.empty()) return value;
  writeSetting(section, key, fallback);
  return ownString(fallback);
}

// A number outside its range is replaced by the default, which is written back.
int32_t readNumberOrDefault(std::string_view section, std::string_view key, setting_rules::NumberRange range) {
  const int32_t value = readIntSetting(section, key);
  if (setting_rules::inRange(value, range)) return value;
  writeSetting(section, key, decimal(range.fallback));
  return range.fallback;
}

bool readBoolOrDefaultTrue(std::string_view section, std::string_view key) {
  const std::string value = readSetting(section, key);
  if (value.empty()) {
    writeSetting(section, key, setting::kTrueText);
    return true;
  }
  return asciiLower(value) == setting::kTrueText;
}
}  // namespace

std::string settingsFilePath() { return hostPath("lib\\Tovalux\\Tovalux.ini"); }

std::string readSetting(std::string_view section, std::string_view key) {
  std::vector<char> buffer(kReadBufferSize, '\0');
  const std::string path = settingsFilePath();
  const DWORD length = GetPrivateProfileStringA(ownString(section).c_str(), ownString(key).c_str(), "", buffer.data(),
                                                kReadBufferSize, path.c_str());
  return std::string(buffer.data(), length);  // at most the buffer size - 1
}

bool writeSetting(std::string_view section, std::string_view key, std::string_view value) {
  const std::string path = settingsFilePath();
  return WritePrivateProfileStringA(ownString(section).c_str(), ownString(key).c_str(), ownString(value).c_str(),
                                    path.c_str()) != FALSE;
}

bool readBoolSetting(std::string_view section, std::string_view key) {
  return asciiLower(readSetting(section, key)) == setting::kTrueText;
}

bool writeBoolSetting(std::string_view section, std::string_view key, bool value) {
  return writeSetting(section, key, value ? setting::kTrueText : setting::kFalseText);
}

int32_t readIntSetting(std::string_view section, std::string_view key) { return cAtoi(readSetting(section, key)); }

std::string fontNameSetting() {
  return readTextOrDefault(setting::kThemeSection, setting::kFontName, setting::kDefaultFontName);
}

int32_t fontSizeSetting() {
  return readNumberOrDefault(setting::kThemeSection, setting::kFontSize, setting_rules::kFontSizeRange);
}

bool captionSetting() { return readBoolOrDefaultTrue(setting::kThemeSection, setting::kCaption); }

int32_t menuButtonWidthSetting() {
  return readNumberOrDefault(setting::kThemeSection, setting::kMenuButtonWidth, setting_rules::kMenuButtonWidthRange);
}

bool libTreeSetting() { return readBoolOrDefaultTrue(setting::kThemeSection, setting::kLibTree); }
bool codeTipSetting() { return readBoolSetting(setting::kThemeSection, setting::kCodeTip); }
bool codeTreeSetting() { return readBoolSetting(setting::kThemeSection, setting::kCodeTree); }
bool propertyGridFontSetting() { return readIntSetting(setting::kChangeSection, setting::kPropertyGridFont) >= 1; }

std::optional<WindowSize> storedWindowSize() {
  const int32_t width = readIntSetting(setting::kThemeSection, setting::kWindowWidth);
  const int32_t height = readIntSetting(setting::kThemeSection, setting::kWindowHeight);
  if (!setting_rules::inRange(width, setting_rules::kWindowWidthRange) ||
      !setting_rules::inRange(height, setting_rules::kWindowHeightRange))
    return std::nullopt;
  return WindowSize{width, height};
}

WindowSize windowSizeSetting() {
  return storedWindowSize().value_or(WindowSize{setting::kDefaultWindowWidth, setting::kDefaultWindowHeight});
}

void writeWindowSizeSetting(WindowSize size) {
  writeSetting(setting::kThemeSection, setting::kWindowWidth, decimal(size.width));
  writeSetting(setting::kThemeSection, setting::kWindowHeight, decimal(size.height));
}

std::string feedbackAddress() {
  const std::string configured = readSetting(setting::kHelpSection, setting::kFeedbackUrl);
  if (setting_rules::isWebAddress(configured)) return configured;
  const std::string own = TOVALUX_FEEDBACK_URL;
  return setting_rules::isWebAddress(own) ? own : std::string();
}

std::string helpPagePath() { return hostPath("lib\\Tovalux\\help\\index.html"); }

}  // namespace tovalux
