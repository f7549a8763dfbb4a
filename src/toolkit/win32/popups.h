// Pop-ups opened from a toolkit window (menus, drop-down lists): they see that window's keys
// first and close when it is clicked, deactivated or destroyed.
#pragma once

#include "toolkit/model/types.h"

namespace tovalux::tk::win32 {

class Popup {
 public:
  explicit Popup(HWINDOW owner) : owner_(owner) {}
  virtual ~Popup() = default;
  Popup(const Popup&) = delete;
  Popup& operator=(const Popup&) = delete;
  HWINDOW owner() const { return owner_; }
  // Closes without a choice (events of a closing pop-up still run).
  virtual void dismiss() = 0;
  // A key pressed while the owner has the keyboard; true when the pop-up used it.
  virtual bool keyDown(int key) = 0;

 private:
  HWINDOW owner_;
};

void addPopup(Popup* popup);
void removePopup(Popup* popup);
void closePopupsOf(HWINDOW owner);
bool popupKeyDown(HWINDOW owner, int key);

}  // namespace tovalux::tk::win32
