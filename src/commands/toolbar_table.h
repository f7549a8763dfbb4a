// The two tool bars as data: every button's tooltip and icon in order (separators included, so
// the positions the state rules address are the toolkit's element indexes), the name a click
// is dispatched by, and the command each name runs.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "commands/command.h"

namespace tovalux::commands {

struct ToolButton {
  std::string_view tooltip;  // "|" is a separator
  std::string_view icon;     // file name in the tool icon folders
};

inline constexpr std::string_view kToolSeparator = "|";

// "winToolBar0": positions 0..12, then position 13 (the linker selector), then 14..40.
std::span<const ToolButton> mainToolBarFirstGroup();
std::span<const ToolButton> mainToolBarSecondGroup();
// "winToolBar1": positions 0..17.
std::span<const ToolButton> designerToolBar();

inline constexpr int kLinkerPosition = 13;
inline constexpr int kMainToolBarCount = 41;
inline constexpr int kDesignerToolBarCount = 18;

// The text before the first '(' of a tooltip; the whole tooltip when it has none or nothing
// stands before it.
std::string_view toolButtonName(std::string_view tooltip);

// The command of a button name (names compared whole, first match in table order); kNothing
// for a name the table does not know.
Command toolCommandFor(std::string_view name);

// Every name the click table knows, in table order (tests walk it).
std::span<const std::string_view> toolCommandNames();

}  // namespace tovalux::commands
