// The settings file, host directory + "\lib\Tovalux\Tovalux.ini". Values are read at the moment
// of use and never cached. Booleans are the texts "true" and "fasle" (the text written for
// false); every value other than "true", in any case, reads as false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux {

namespace setting {
constexpr char kThemeSection[] = "Theme";
constexpr char kFontName[] = "FontName";
constexpr char kFontSize[] = "FontSize";
constexpr char kWindowWidth[] = "WinodwWidth";  // the file's own spelling
constexpr char kWindowHeight[] = "WinodwHeight";
constexpr char kCaption[] = "Caption";
constexpr char kMenuButtonWidth[] = "MenuButtonWidth";
constexpr char kLibTree[] = "LibTree";
constexpr char kCodeTip[] = "CodeTip";
constexpr char kCodeTree[] = "CodeTree";
constexpr char kChangeSection[] = "修改选项";
constexpr char kHelpSection[] = "Help";
constexpr char kFeedbackUrl[] = "FeedbackUrl";
constexpr char kPropertyGridFont[] = "修改组件属性表格内的字体";

constexpr char kTrueText[] = "true";
constexpr char kFalseText[] = "fasle";

constexpr char kDefaultFontName[] = "微软雅黑";
constexpr int32_t kDefaultFontSize = 9;
constexpr int32_t kDefaultMenuButtonWidth = 58;
constexpr int32_t kDefaultWindowWidth = 1100;
constexpr int32_t kDefaultWindowHeight = 800;
}  // namespace setting

std::string settingsFilePath();

// Empty text when the file or the key is missing.
std::string readSetting(std::string_view section, std::string_view key);
// The API's answer; a missing or read-only folder makes it fail silently.
bool writeSetting(std::string_view section, std::string_view key, std::string_view value);

bool readBoolSetting(std::string_view section, std::string_view key);
bool writeBoolSetting(std::string_view section, std::string_view key, bool value);
// Converted as the C library's atoi does.
int32_t readIntSetting(std::string_view section, std::string_view key);

// The keys whose missing or invalid values are replaced by a default that is also written back.
std::string fontNameSetting();     // empty: "微软雅黑"
int32_t fontSizeSetting();         // outside 1..72: 9
bool captionSetting();             // empty: true
int32_t menuButtonWidthSetting();  // outside 1..400: 58
bool libTreeSetting();             // empty: true
bool codeTipSetting();             // absent: false, nothing written
bool codeTreeSetting();            // absent: false, nothing written
bool propertyGridFontSetting();    // 1 or above: on

struct WindowSize {
  int32_t width;
  int32_t height;
};
// 1100 x 800 when either value is outside 1..32767; nothing written (the frame writes after a move).
WindowSize windowSizeSetting();
// The size the frame stored (the screen's pixels), or nothing when either value is missing or out
// of range.
std::optional<WindowSize> storedWindowSize();
void writeWindowSizeSetting(WindowSize size);

// The feedback and contact address: [Help] FeedbackUrl when it is a web address, else the
// product's own (TOVALUX_FEEDBACK_URL); empty when neither is set.
std::string feedbackAddress();
// The help page shipped with the plug-in: host directory + "\lib\Tovalux\help\index.html".
std::string helpPagePath();

}  // namespace tovalux
