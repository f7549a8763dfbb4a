// Pop-ups opened from a toolkit window (menus, drop-down lists). They never take the keyboard
// focus: while one is open a message hook of the UI thread gives it the keys first, whatever
// window has the focus. They close when their owner is clicked, deactivated or destroyed.
#pragma once

#include "toolkit/types.h"

namespace tovalux::tk::win32 {

// A drop-down or similar pop-up (menus are the model's sessions, see menu_host.h).
class Popup {
 public:
  explicit Popup(HWINDOW owner) : owner_(owner) {}
  virtual ~Popup() = default;
  Popup(const Popup&) = delete;
  Popup& operator=(const Popup&) = delete;
  HWINDOW owner() const { return owner_; }
  // Closes without a choice.
  virtual void dismiss() = 0;
  // A key pressed while the pop-up is open; true when the pop-up used it.
  virtual bool keyDown(int key) = 0;

 private:
  HWINDOW owner_;
};

void addPopup(Popup* popup);
void removePopup(Popup* popup);
// Closes the menus and pop-ups of `owner` (0: all of them).
void closePopupsOf(HWINDOW owner);
// Installs the key hook while a menu or pop-up is open, removes it otherwise.
void popupsChanged();
void stopPopups();

}  // namespace tovalux::tk::win32
