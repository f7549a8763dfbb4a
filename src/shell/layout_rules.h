// The window layout kept from one session to the next (lib\Tovalux\Layout.json beside the settings
// file): where each of the twelve dock panes sits and where the frame stood. Portable: the model,
// the file's text both ways, what of a file can be used, and where the frame opens.
//
// The file (version 1), every field checked when it is read:
//   {"version": 1,
//    "frame": {"x": 40, "y": 30, "width": 1100, "height": 800, "maximized": false,
//              "monitor": {"x": 0, "y": 0, "width": 1920, "height": 1040}},
//    "sides": {"left": {"size": 320, "order": 1}, "right": {...}, "bottom": {...}},
//    "groups": [{"side": "left", "extent": 260, "selected": "libraries"}, ...],
//    "panes": [{"name": "libraries", "group": 0, "order": 0, "shown": true},
//              {"name": "disassembly", "group": 2, "order": 6, "shown": true,
//               "floating": {"x": 900, "y": 200, "width": 260, "height": 320}}, ...]}
// A pane's size is its side's (across) and its group's (along), or its floating rectangle. A
// floating pane's group is the one it docks back to; when that group is gone it has none (-1) and
// "side" names the side it docks back to. The frame's rectangle is its normal (not maximised) one;
// "monitor" is the work area of the monitor it was on.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_bytes.h"
#include "shell/shell_rules.h"

namespace tovalux::layout {

inline constexpr int kVersion = 1;
inline constexpr int kPaneCount = shell_rules::kPaneCount;
// A larger file is not read: a layout of twelve panes takes a few kilobytes.
inline constexpr size_t kMaxFileBytes = 256 * 1024;
// Coordinates beyond this (either sign) and sizes beyond kMaxSize are refused as absurd.
inline constexpr int kMaxCoordinate = 32767;
inline constexpr int kMaxSize = 16384;
// A floating pane's window is never smaller than this (the shell's minimum for them).
inline constexpr int kMinFloatSize = 200;
// Groups and pane records a file may hold; more are not looked at.
inline constexpr int kMaxRecords = 64;

// Numbered as the toolkit's pane alignments.
enum class Side : uint8_t { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };
inline constexpr int kSideCount = 4;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

struct SideState {
  int size = 0;   // across the side
  int order = 0;  // 1, 2...: the order sides take their band in; 0: never docked to
  bool operator==(const SideState&) const = default;
};

struct GroupState {
  Side side = Side::kLeft;
  int extent = 0;     // along the side
  int selected = -1;  // the pane (index) in front; -1: the first shown one
  bool operator==(const GroupState&) const = default;
};

struct PaneState {
  bool shown = true;
  bool floating = false;
  Rect floatRect;  // screen coordinates; floating panes only
  Side side = Side::kLeft;
  int group = -1;  // index into DockState::groups
  int order = 0;   // its tab's position in the group
  bool operator==(const PaneState&) const = default;
};

struct DockState {
  std::array<SideState, kSideCount> sides{};
  std::vector<GroupState> groups;
  std::array<PaneState, kPaneCount> panes{};
  bool operator==(const DockState&) const = default;
};

struct FramePlace {
  Rect rect;  // screen coordinates, not maximised
  bool maximized = false;
  Rect monitor;  // the work area of the monitor it was on; empty when unknown
  bool operator==(const FramePlace&) const = default;
};

// The pane names of the file, by pane index.
extern const std::array<std::string_view, kPaneCount> kPaneNames;

// The arrangement the shell docks at start-up, from the pane table: the left group of four, the
// toolbox alone on the right (hidden), the bottom group of seven.
DockState defaultDock();

// Every floating pane docked in the group it would dock back to (a new group on its side when it
// has none): for a system that offers no floating.
DockState withoutFloating(DockState dock);
// The same for each floating pane whose window the user cannot reach on any of the work areas
// (its title band, kFloatCaptionBand high, as reachable() judges a frame's).
DockState dockUnreachableFloats(DockState dock, std::span<const Rect> workAreas);

// The file's text (GBK, which here is ASCII).
std::string layoutText(const DockState& dock, const std::optional<FramePlace>& frame);

struct ReadLayout {
  std::optional<FramePlace> frame;    // none: the file gave no usable place
  DockState dock;                     // the file's arrangement where usable, `defaults` elsewhere
  std::vector<std::string> problems;  // what could not be used; empty for a good file or none
};
// Reads a layout file. No file is no problem (the defaults). An unreadable, damaged, too large
// or other-version file is used for nothing. Otherwise each part is checked on its own: a frame
// place that is not sane is dropped; a side, group or pane record that is not sane, a pane named
// twice (both records) or not known is dropped; every pane the file does not place usably goes
// where `defaults` puts it - into the group of a pane that shares its default group, else into a
// new group on its default side - and the rest of the file stays as it was. Orders are made
// consecutive, groups no docked pane uses are dropped.
ReadLayout readLayout(const FileBytes& file, const DockState& defaults);

// The one line the Notepad log gets for a file's problems (empty when there are none): at most a
// few of them, their texts cut short and cleaned of anything but printable ASCII.
std::string problemLine(const std::vector<std::string>& problems);

// --- where the frame opens ---------------------------------------------------------------------------

struct FramePlacement {
  Rect rect;
  bool maximized = false;
  bool operator==(const FramePlacement&) const = default;
};

// A window's caption band (its top `captionBand` pixels: the frame's caption, a floating pane's
// title) lies on a work area by at least kReachableWidth x kReachableHeight pixels (or the whole
// band, when it is smaller): the user can take it and move it.
inline constexpr int kCaptionBand = 97;
inline constexpr int kFloatCaptionBand = 24;
inline constexpr int kReachableWidth = 100;
inline constexpr int kReachableHeight = 20;
bool reachable(const Rect& window, std::span<const Rect> workAreas, int captionBand = kCaptionBand);

// Where a saved frame opens, given the monitors' work areas (the primary one first):
// - a maximised frame whose monitor is still there (a work area equal to, else overlapping, the
//   saved one) opens on it: its normal rectangle is moved onto that monitor when it lies elsewhere;
// - a place the user can reach stays, cut to the size of the work area it lies on most;
// - a place off every screen falls back to the default place: centred on the primary work area,
//   at the saved size cut to it.
// No work areas (the system cannot say): the saved place as it is.
FramePlacement placeFrame(const FramePlace& saved, std::span<const Rect> workAreas);

}  // namespace tovalux::layout
