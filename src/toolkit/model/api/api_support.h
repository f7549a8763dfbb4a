// Guards shared by the public-surface files: every entry point checks that the toolkit is
// initialised and that handles name live objects of the right kind before touching them.
// UI thread only.
#pragma once

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk::api {

// Toolkit objects belong to the thread that called XInitXCGUI: a call on any other thread is
// counted (XC_GetForeignThreadCalls) and stops a debug build at an assertion. Every entry point
// that validates a handle comes through ready(), so this is where it is checked.
void checkCallingThread();

inline bool ready() {
  checkCallingThread();
  return context().initialized;
}

inline bool validParent(HXCGUI parent) {
  return parent == 0 || getElement(parent) != nullptr || getWindow(parent) != nullptr;
}

// A rectangle from x, y, width and height, with coordinates and sizes kept in range.
inline XRect rectOf(int x, int y, int w, int h) {
  x = clampCoord(x), y = clampCoord(y);
  return {x, y, x + clampSize(w), y + clampSize(h)};
}

// No image, or a live one.
inline bool validImage(HIMAGE image) { return image == 0 || context().registry.get<Image>(image) != nullptr; }

}  // namespace tovalux::tk::api

// Declares `e` as the element of kind T behind handle h, or returns __VA_ARGS__.
#define KIND_OR_RETURN(T, h, ...)                                                             \
  T* e = ::tovalux::tk::api::ready() ? ::tovalux::tk::context().registry.get<T>(h) : nullptr; \
  if (e == nullptr) return __VA_ARGS__
