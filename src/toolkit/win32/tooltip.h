// Tooltips (XEle_SetToolTip): one small pop-up for the whole toolkit. Resting the mouse on an
// element with a tooltip shows its text after a short delay, below the cursor; moving to
// another element, leaving, a button or a key hides it. Drawn by the toolkit in the dark look
// (colours ID_COLOR_TipBg, ID_COLOR_Border and ID_COLOR_Text of the resource package, else
// their dark defaults). The pop-up's window text is the tooltip, for tools and tests.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/model/core/scale.h"
#include "toolkit/types.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk::win32 {

class ToolTip {
 public:
  ToolTip() = default;
  ~ToolTip();
  ToolTip(const ToolTip&) = delete;
  ToolTip& operator=(const ToolTip&) = delete;

  // The mouse came onto `element`: any other element's tip goes, this one's shows after the delay.
  void hover(HELE element);
  // The mouse left `element` for no element of its window: its tip goes, shown or still waiting.
  // (Another window's tip stays: that window's leave message may come after the move into it.)
  void leave(HELE element);
  void hide();
  HWND hwnd() const { return hwnd_; }
  static constexpr UINT kDelay = 500;        // milliseconds
  static constexpr UINT_PTR kShowTimer = 1;  // the pop-up's timer that ends the delay

  LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool ensureWindow();
  void show();
  void paint();

  HWND hwnd_ = nullptr;
  HELE pending_ = 0;  // waiting for the delay
  HELE shown_ = 0;
  std::u16string text_;
  Surface surface_;
  Scale scale_;  // the scale of the window the shown tip is about
};

}  // namespace tovalux::tk::win32
