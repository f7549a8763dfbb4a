// The settings file's numbers as the readers take them, free of Win32: the text as the C
// library's atoi reads it, then kept only inside a range the shell can draw with. A value outside
// the range (0, a negative size, MenuButtonWidth=2147483647) reads as the key's default, so no
// sum or product the shell forms with it can overflow.
#pragma once

#include <cstdint>
#include <string_view>

namespace tovalux::setting_rules {

struct NumberRange {
  int32_t minimum;
  int32_t maximum;
  int32_t fallback;
};

inline constexpr NumberRange kFontSizeRange{1, 72, 9};
inline constexpr NumberRange kMenuButtonWidthRange{1, 400, 58};
// Frame sizes beyond the screen are cut to it later; these are the sizes a window can have.
inline constexpr NumberRange kWindowWidthRange{1, 32767, 1100};
inline constexpr NumberRange kWindowHeightRange{1, 32767, 800};

// The number the text gives when it lies inside `range`, else range.fallback.
int32_t numberInRange(std::string_view text, NumberRange range);
bool inRange(int32_t value, NumberRange range);

// A web address the shell may hand to the system's "open": http:// or https:// (any case), a
// host after it, and no blank, quote or control character. Anything else (a program path, a
// file: or javascript: address) could start a program instead of a browser.
bool isWebAddress(std::string_view text);

}  // namespace tovalux::setting_rules
