// The toolkit's own colours: what an element paints when no descriptor, style sheet or colour
// of the caller's applies. A dark palette, the look of the product's theme, so that an unthemed
// window already sits well beside a themed one. One name per role, so two kinds that share a
// look share a name, and changing a default is one line.
#pragma once

#include "toolkit/types.h"

namespace tovalux::tk::palette {

// Surfaces, darkest first.
constexpr XColor kMenuSurface = XRGB(27, 27, 28);       // menu pop-ups, the menu bar
constexpr XColor kEditSurface = XRGB(30, 30, 30);       // edits
constexpr XColor kViewSurface = XRGB(37, 37, 38);       // data views, pane bodies, tooltips
constexpr XColor kWindowSurface = XRGB(45, 45, 48);     // windows, list headers, pane captions, splitters
constexpr XColor kControlFace = XRGB(51, 51, 55);       // buttons, combo boxes, the menu's frame
constexpr XColor kMenuHotItem = XRGB(51, 51, 52);       // the menu item under the mouse
constexpr XColor kHoverFace = XRGB(62, 62, 64);         // hovered buttons, headers and bar buttons
constexpr XColor kScrollTrack = XRGB(62, 62, 66);       // scroll-bar tracks and arrow buttons
constexpr XColor kRule = XRGB(63, 63, 70);              // header rules, tooltip borders
constexpr XColor kControlBorder = XRGB(67, 67, 70);     // combo box frames
constexpr XColor kTabHover = XRGB(82, 82, 90);          // a hovered tab's close button
constexpr XColor kTreeLine = XRGB(95, 95, 98);          // a tree's connecting lines
constexpr XColor kSlider = XRGB(104, 104, 104);         // scroll-bar sliders
constexpr XColor kSliderHover = XRGB(158, 158, 158);    //   under the mouse
constexpr XColor kSliderPressed = XRGB(239, 235, 239);  //   held

// Marks and text.
constexpr XColor kAccent = XRGB(0, 122, 204);         // selection, pressed and checked faces, active captions
constexpr XColor kTextSelection = XRGB(38, 79, 120);  // selected text in an edit
constexpr XColor kGlyph = XRGB(153, 153, 153);        // arrows
constexpr XColor kGlyphDisabled = XRGB(85, 85, 85);
constexpr XColor kGreyText = XRGB(100, 100, 100);  // disabled menu items
constexpr XColor kText = XRGB(241, 241, 241);      // light text on the dark surfaces

}  // namespace tovalux::tk::palette
