#include "toolkit/win32/popups.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/guard.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/menu_host.h"

namespace tovalux::tk::win32 {

namespace {
std::vector<Popup*> gOpen;  // opening order
HHOOK gKeys = nullptr;

bool isOpen(Popup* popup) { return std::find(gOpen.begin(), gOpen.end(), popup) != gOpen.end(); }

// Keys reach an open menu or pop-up before the window that has the focus; a key it uses is
// turned into WM_NULL (and so makes no character either).
LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN) {
      guarded(GuardSite::kToolkit, [&] {
        const int key = static_cast<int>(message->wParam);
        bool used = false;
        if (menuIsOpen())
          used = menuKeyDown(key);
        else if (!gOpen.empty())
          used = gOpen.back()->keyDown(key);
        if (used) message->message = WM_NULL;
        popupsChanged();
      });
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

void addPopup(Popup* popup) {
  if (popup != nullptr && !isOpen(popup)) gOpen.push_back(popup);
  popupsChanged();
}

void removePopup(Popup* popup) {
  std::erase(gOpen, popup);
  popupsChanged();
}

void closePopupsOf(HWINDOW owner) {
  dismissMenus(owner);
  // Newest first; dismissing one may close (and remove) others.
  for (;;) {
    auto it =
        std::find_if(gOpen.rbegin(), gOpen.rend(), [owner](Popup* p) { return owner == 0 || p->owner() == owner; });
    if (it == gOpen.rend()) break;
    Popup* popup = *it;
    std::erase(gOpen, popup);
    popup->dismiss();
  }
  popupsChanged();
}

void popupsChanged() {
  const bool wanted = menuIsOpen() || !gOpen.empty();
  if (wanted && gKeys == nullptr) {
    gKeys = SetWindowsHookExW(WH_GETMESSAGE, keyHook, nullptr, GetCurrentThreadId());
  } else if (!wanted && gKeys != nullptr) {
    UnhookWindowsHookEx(gKeys);
    gKeys = nullptr;
  }
}

void stopPopups() {
  closePopupsOf(0);
  gOpen.clear();
  if (gKeys != nullptr) UnhookWindowsHookEx(gKeys);
  gKeys = nullptr;
}

}  // namespace tovalux::tk::win32
