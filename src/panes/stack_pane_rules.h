// Rules of the stack pane that need no window: how the host's stack-level combo box is moved to
// a chosen row, where a host item is clicked, and the host handle a row carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux::panes {

inline constexpr int kVkUp = 38;
inline constexpr int kVkDown = 40;

// The arrow key and how often to send it so that the combo at `current` reaches `row`
// (the combo lists the same levels in the same order as the stack list). Count 0: no key.
struct KeyPlan {
  int key = 0;
  int count = 0;
};
KeyPlan stackLevelKeys(int row, int current);

// The centre of a rectangle, halves rounded toward zero, packed as a mouse lParam
// (MAKELPARAM(x, y)).
uint32_t centreLParam(int32_t left, int32_t top, int32_t right, int32_t bottom);

// A stack row keeps the host item handle as decimal text; none for a text that is not a
// plain unsigned 32-bit decimal number or that is 0.
std::optional<uint32_t> stackRowHandle(std::u16string_view text);
std::u16string stackRowHandleText(uint32_t handle);

}  // namespace tovalux::panes
