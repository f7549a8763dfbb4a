// Mouse and focus behaviour of a window, apart from any platform: the backend reports cursor
// positions (window-client coordinates) and buttons, and the model decides which element is
// hovered, pressed, captured and focused, and raises the element events in the order the
// handlers rely on.
//
//   cursor moves from A onto B      8 on A (argument: B), then 6 on B
//   left button down on E           focus moves to E (32 on the old, 31 on E, and on the
//                                   focus-tracking elements left or entered: dock panes),
//                                   10 on E; E is pressed and captures the mouse
//   left button up                  11 on the captured element, wherever the cursor is; then
//                                   34 on it when the cursor is still over it (its default
//                                   action toggles check buttons, selects tabs...)
//   left double click               14 on E, then as a button down
//   right button up                 13 on the element under the cursor
//   wheel                           the nearest scroll view with a vertical bar scrolls
//   down on a drag border           the element is resized while the button is held; a
//                                   bound neighbour gives up (or takes) the difference
//   down on a scroll-bar slider     the slider follows the cursor (56 on each change); down on
//                                   the track pages towards the cursor
//   key or character                the focused element, then its parents: a key raises 39 on
//                                   each before its own handling (Element::onKeyDown)
// Disabled elements get no events; mouse-through elements and shapes are never hit.
// UI thread only: the backend calls these from its window procedure.
#pragma once

#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

class Window;

enum MouseFlags : int { mk_lbutton = 1, mk_rbutton = 2, mk_shift = 4, mk_control = 8 };

// The element under `pt` (window-client coordinates), or null.
Element* hitTest(Window& window, XPoint pt);
// The drag-border edge (edge_left...) of an element under `pt`, for the cursor shape; 0 if none.
int dragEdgeAt(Window& window, XPoint pt, HELE* element = nullptr);

void mouseMove(Window& window, XPoint pt, int flags);
void mouseLeave(Window& window);
void leftDown(Window& window, XPoint pt, int flags);
void leftUp(Window& window, XPoint pt, int flags);
void leftDoubleClick(Window& window, XPoint pt, int flags);
void rightUp(Window& window, XPoint pt, int flags);
// `delta` in WHEEL_DELTA units of 120 per notch, positive away from the user.
void mouseWheel(Window& window, XPoint pt, int delta);
void setFocus(Window& window, HELE element);
// A key pressed, or a character typed, while the window has the keyboard: offered to the
// focused element, then to its parents, until one takes it. Answers whether one did.
bool keyDown(Window& window, int key, int flags);
bool charInput(Window& window, char16_t c);

// Resizes `element` by moving its `edge` by `delta` pixels, within its minimum size and its
// bound neighbour's minimum size; answers the distance actually moved.
int dragEdge(Element& element, int edge, int delta);

}  // namespace tovalux::tk
