#include "toolkit/win32/popups.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/guard.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/menu_host.h"

namespace tovalux::tk::win32 {

namespace {
std::vector<Popup*> g_open;  // opening order
HHOOK g_keys = nullptr;

bool isOpen(Popup* popup) { return std::find(g_open.begin(), g_open.end(), popup) != g_open.end(); }

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
        else if (!g_open.empty())
          used = g_open.back()->keyDown(key);
        if (used) message->message = WM_NULL;
        popupsChanged();
      });
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

void addPopup(Popup* popup) {
  if (popup != nullptr && !isOpen(popup)) g_open.push_back(popup);
  popupsChanged();
}

void removePopup(Popup* popup) {
  std::erase(g_open, popup);
  popupsChanged();
}

void closePopupsOf(HWINDOW owner) {
  dismissMenus(owner);
  // Newest first; dismissing one may close (and remove) others.
  for (;;) {
    auto it =
        std::find_if(g_open.rbegin(), g_open.rend(), [owner](Popup* p) { return owner == 0 || p->owner() == owner; });
    if (it == g_open.rend()) break;
    Popup* popup = *it;
    std::erase(g_open, popup);
    popup->dismiss();
  }
  popupsChanged();
}

void popupsChanged() {
  const bool wanted = menuIsOpen() || !g_open.empty();
  if (wanted && g_keys == nullptr) {
    g_keys = SetWindowsHookExW(WH_GETMESSAGE, keyHook, nullptr, GetCurrentThreadId());
  } else if (!wanted && g_keys != nullptr) {
    UnhookWindowsHookEx(g_keys);
    g_keys = nullptr;
  }
}

void stopPopups() {
  closePopupsOf(0);
  g_open.clear();
  if (g_keys != nullptr) UnhookWindowsHookEx(g_keys);
  g_keys = nullptr;
}

}  // namespace tovalux::tk::win32
