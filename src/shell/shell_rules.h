// The shell's pure rules: the pane table, the frame's size and margins, the project path in the
// host's caption, the operating-system checks. No Win32 here; the glue applies them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tovalux::shell_rules {

// --- the twelve dock panes ----------------------------------------------------------------------

enum class PaneDock : uint8_t {
  kLeftGroup,    // docked on the left, first of its group
  kRightAlone,   // docked on the right, alone
  kBottomGroup,  // docked at the bottom, first of its group
  kMerged,       // merged into the group of `mergeInto`
};

struct PaneLayout {
  const char* title;  // GBK
  int width;
  int height;
  int elementId;
  PaneDock dock;
  int mergeInto;  // the first pane of the group (kMerged only), -1 otherwise
  bool initiallyShown;
};

inline constexpr int kPaneCount = 12;
inline constexpr int kFirstPaneId = 10001;

// Index order: the order the panes are created in.
extern const std::array<PaneLayout, kPaneCount> kPanes;

// The order the pane look, the text colours and the focus handlers are applied in.
inline constexpr std::array<int, kPaneCount> kPaneStyleOrder = {1, 2, 3, 5, 6, 9, 10, 0, 4, 7, 8, 11};

// The pane that shows the host's property grid and the disassembly pane (its floating window has
// a background of its own).
inline constexpr int kPropertiesPane = 2;
inline constexpr char kDisassemblyPaneTitle[] = "反汇编显示";

// --- the frame ----------------------------------------------------------------------------------

inline constexpr int kDefaultFrameWidth = 1100;
inline constexpr int kDefaultFrameHeight = 800;
inline constexpr int kMinimumFrameSize = 600;

struct Size {
  int width;
  int height;
  bool operator==(const Size&) const = default;
};

// The frame's size from the stored width and height: either below 1 gives the default size; a
// size beyond the screen area (a hand-edited file) is cut to it, never below the minimum size.
// A screen area of 0 x 0 (unknown) cuts nothing.
Size frameSizeFromSettings(int storedWidth, int storedHeight, Size screenArea);

// The frame's top margin: the top edge with a caption row of its own is 117 high, without 97.
inline int frameTopMargin(bool caption) { return caption ? 117 : 97; }
inline constexpr int kFrameSideMargin = 7;
inline constexpr int kFrameBottomMargin = 32;

// Where the update tip window stands: at the frame's lower right corner.
struct Placement {
  int x, y, width, height;
  bool operator==(const Placement&) const = default;
};
Placement tipWindowPlacement(int frameRight, int frameBottom);

// --- the host's caption -------------------------------------------------------------------------

// The longest caption read from the host main window.
inline constexpr size_t kCaptionCap = 50000;

// The current project file named by the host's caption: the caption is split at every "-" (a byte
// that is never part of a double-byte GBK character), the second piece, trimmed of blanks, when it
// names an existing file, else the third piece when there is one and it names an existing file;
// empty otherwise.
std::string projectPathFromCaption(std::string_view caption, const std::function<bool(const std::string&)>& fileExists);

// --- the system -----------------------------------------------------------------------------------

// The operating system's caption names Windows 10.
bool captionNamesWindows10(std::string_view osCaption);

// GetVersion's answer names a system that has token elevation (6.0 or later).
bool versionHasElevation(uint32_t getVersionAnswer);

}  // namespace tovalux::shell_rules
