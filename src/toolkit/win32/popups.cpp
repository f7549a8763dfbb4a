#include "toolkit/win32/popups.h"

#include <algorithm>
#include <vector>

namespace tovalux::tk::win32 {

namespace {
std::vector<Popup*> g_open;  // opening order

bool isOpen(Popup* popup) { return std::find(g_open.begin(), g_open.end(), popup) != g_open.end(); }
}  // namespace

void addPopup(Popup* popup) {
  if (popup != nullptr && !isOpen(popup)) g_open.push_back(popup);
}

void removePopup(Popup* popup) { std::erase(g_open, popup); }

void closePopupsOf(HWINDOW owner) {
  // Newest first; dismissing one may close (and remove) others.
  for (;;) {
    auto it = std::find_if(g_open.rbegin(), g_open.rend(), [owner](Popup* p) { return p->owner() == owner; });
    if (it == g_open.rend()) return;
    Popup* popup = *it;
    removePopup(popup);
    popup->dismiss();
  }
}

bool popupKeyDown(HWINDOW owner, int key) {
  auto it = std::find_if(g_open.rbegin(), g_open.rend(), [owner](Popup* p) { return p->owner() == owner; });
  return it != g_open.rend() && (*it)->keyDown(key);
}

}  // namespace tovalux::tk::win32
