#include "toolkit/win32/dropdown_host.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>

#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/combobox.h"
#include "toolkit/win32/monitors.h"
#include "toolkit/win32/native_window.h"
#include "toolkit/win32/popups.h"
#include "toolkit/xcgui.h"

namespace tovalux::tk::win32 {

namespace {

ListBox* listOf(const Window& window) {
  for (Element* child : window.children())
    if (auto* list = dynamic_cast<ListBox*>(child); list != nullptr && list->comboOwner != 0) return list;
  return nullptr;
}

class DropDown : public Popup {
 public:
  DropDown(HWINDOW owner, HWINDOW popup, HELE combo) : Popup(owner), popup_(popup), combo_(combo) {}
  void dismiss() override {
    if (auto* c = context().registry.get<ComboBox>(combo_); c != nullptr && c->popupWindow() == popup_) c->closePopup();
  }
  bool keyDown(int key) override {
    // The combo box's handlers of event 39 may take the key first (a search box moves its own
    // selection and runs its own choice).
    if (context().registry.get<ComboBox>(combo_) != nullptr && raiseEvent(combo_, XE_KEYDOWN, EventArgs{2, {key, 0}}))
      return true;
    Window* w = getWindow(popup_);
    ListBox* list = w != nullptr ? listOf(*w) : nullptr;
    if (list == nullptr) return false;
    switch (key) {
      case key_escape: dismiss(); return true;
      case key_return:
        if (list->selected >= 0)
          comboItemChosen(combo_, list->selected);
        else
          dismiss();
        return true;
      default:
        // The arrows, page keys, home and end move the selection as in any list box.
        return list->onKeyDown(key, 0);
    }
  }

 private:
  HWINDOW popup_;
  HELE combo_;
};

std::map<HWINDOW, std::unique_ptr<DropDown>> gOpen;

void close(HWINDOW popup) {
  auto it = gOpen.find(popup);
  if (it != gOpen.end()) it->second->dismiss();
}

}  // namespace

HELE dropDownCombo(const Window& window) {
  ListBox* list = listOf(window);
  return list != nullptr ? list->comboOwner : 0;
}

void placeDropDown(Window& window, const Scale& scale) {
  auto* combo = context().registry.get<ComboBox>(dropDownCombo(window));
  if (combo == nullptr) return;
  XRect r = window.rect;
  const int width = r.width(), height = r.height();
  const XPoint corner = scale.scale(XPoint{r.left, r.top});
  const auto workArea = workAreaAt({corner.x, corner.y});
  if (!workArea) return;
  const XRect work = scale.unscale(XRect{workArea->left, workArea->top, workArea->right, workArea->bottom});
  if (r.bottom > work.bottom) {
    // Above the box instead: its top is the drop-down's top less the box's height.
    const int boxTop = r.top - combo->height();
    if (boxTop - height >= work.top)
      r.top = boxTop - height;
    else
      r.top = work.bottom - height;
  }
  r.left = std::clamp<int>(r.left, work.left, std::max<int>(work.left, work.right - width));
  r.right = r.left + width;
  r.bottom = r.top + height;
  window.rect = r;
}

void dropDownShown(NativeWindow& popup) {
  Window* w = popup.model();
  const HELE combo = w != nullptr ? dropDownCombo(*w) : 0;
  if (combo == 0) return;
  auto& entry = gOpen[popup.handle()];
  if (!entry) {
    entry = std::make_unique<DropDown>(w->owner, popup.handle(), combo);
    addPopup(entry.get());
  }
  SetCapture(popup.hwnd());
}

void dropDownGone(HWINDOW popup) {
  auto it = gOpen.find(popup);
  if (it == gOpen.end()) return;
  std::unique_ptr<DropDown> gone = std::move(it->second);
  gOpen.erase(it);
  removePopup(gone.get());
}

LRESULT dropDownMessage(NativeWindow& popup, UINT message, WPARAM, LPARAM lParam, bool* handled) {
  *handled = true;
  HWND hwnd = popup.hwnd();
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT client;
      GetClientRect(hwnd, &client);
      if (!PtInRect(&client, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
        close(popup.handle());
        return 0;
      }
      break;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) close(popup.handle());
      return 0;
    case WM_CANCELMODE: close(popup.handle()); return 0;
    default: break;
  }
  *handled = false;
  return 0;
}

}  // namespace tovalux::tk::win32
