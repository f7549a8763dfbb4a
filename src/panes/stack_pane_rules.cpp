#include "panes/stack_pane_rules.h"

namespace tovalux::panes {

KeyPlan stackLevelKeys(int row, int current) {
  if (row < 0 || row == current) return {};
  if (row < current) return {kVkUp, current - row};
  return {kVkDown, row - current};
}

uint32_t centreLParam(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  // Computed in 64 bits: a hostile rectangle must not overflow; division truncates toward 0.
  const int64_t x = left + (static_cast<int64_t>(right) - left) / 2;
  const int64_t y = top + (static_cast<int64_t>(bottom) - top) / 2;
  return (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
}

std::optional<uint32_t> stackRowHandle(std::u16string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - u'0');
  }
  if (value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::u16string stackRowHandleText(uint32_t handle) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + handle % 10));
    handle /= 10;
  } while (handle != 0);
  return digits;
}

}  // namespace tovalux::panes
