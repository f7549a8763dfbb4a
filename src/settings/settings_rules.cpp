#include "settings/settings_rules.h"

#include "base/text.h"

namespace tovalux::setting_rules {

bool inRange(int32_t value, NumberRange range) { return value >= range.minimum && value <= range.maximum; }

int32_t numberInRange(std::string_view text, NumberRange range) {
  const int32_t value = cAtoi(text);
  return inRange(value, range) ? value : range.fallback;
}

}  // namespace tovalux::setting_rules
