// Router row 6: the host's code-completion list, restyled each time the host hands it an image
// list (before the list sees the message). With "CodeTree" on, a strip of eight icons lies under
// the list: one strip per pop-up however often the message comes (the host sends it for the
// normal and the state image list, and reuses pop-ups).
#include <windows.h>
#include <commctrl.h>

#include <mutex>
#include <unordered_map>

#include "base/gbk.h"
#include "base/os_info.h"
#include "hooks/host/hook_rules.h"
#include "hooks/host/hooks_internal.h"
#include "settings/settings.h"
#include "shell/descriptors.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::detail {
namespace {

using namespace hostrules;

std::mutex gStripsLock;
std::unordered_map<HWND, HWINDOW> gStrips;  // pop-up -> its strip

// The pop-up already carries a live strip of ours.
bool hasStrip(HWND popup) {
  std::lock_guard guard(gStripsLock);
  for (auto it = gStrips.begin(); it != gStrips.end();) {
    // Pop-ups the host destroyed took their strips with them.
    if (!IsWindow(it->first)) {
      it = gStrips.erase(it);
      continue;
    }
    ++it;
  }
  const auto found = gStrips.find(popup);
  if (found == gStrips.end()) return false;
  const HWND strip = XC_IsHWINDOW(found->second) ? XWnd_GetHWND(found->second) : nullptr;
  return strip != nullptr && IsWindow(strip) && GetParent(strip) == popup;
}

void makeStrip(HWND popup, const Rect32& place) {
  const HWINDOW strip =
      XWnd_CreateEx(0, L"", L"", WS_CHILD | WS_VISIBLE, place.left, place.top, place.right, place.bottom, popup, 0);
  if (strip == 0) return;
  // The host's pop-up is measured in its pixels; the strip, once made, knows its units.
  RECT device{place.left, place.top, place.left + place.right, place.top + place.bottom};
  XWnd_DeviceToUnits(strip, &device);
  const XRect units{device.left, device.top, device.right, device.bottom};
  XWnd_SetRect(strip, &units);
  const HELE layout = XLayout_Create(0, 0, units.right - units.left, units.bottom - units.top, strip);
  XEle_SetLayoutWidth(layout, layout_size_fill, 0);
  XEle_SetLayoutHeight(layout, layout_size_fill, 0);
  XBkM_SetBkInfo(XEle_GetBkManager(layout), gbkToUtf16<XChar>(descriptor::kCompletionStrip).c_str());
  XLayout_SetSpace(layout, 4);
  XEle_SetPadding(layout, 4, 0, 0, 0);
  XLayout_SetAlignV(layout, align_center_v);
  const XString buttonLook = gbkToUtf16<XChar>(descriptor::kCompletionStripButton);
  for (std::string_view icon : kCompletionIcons) {
    const HELE button = XBtn_Create(0, 0, kCompletionStripButton, kCompletionStripButton, L"", layout);
    XBkM_SetBkInfo(XEle_GetBkManager(button), buttonLook.c_str());
    XBtn_SetIcon(button, XRes_GetImage(gbkToUtf16<XChar>(icon).c_str()));
  }
  XWnd_AdjustLayout(strip);
  XWnd_ShowWindow(strip, SW_SHOW);
  std::lock_guard guard(gStripsLock);
  gStrips[popup] = strip;
  ++counters().completionStrips;
}

// The pop-up's place in its parent's client area (the screen for a top-level pop-up).
POINT placeOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  POINT corner{rect.left, rect.top};
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0)
    if (HWND parent = GetAncestor(window, GA_PARENT)) ScreenToClient(parent, &corner);
  return corner;
}

}  // namespace

void restyleCompletionList(HWND list) {
  if (!IsWindow(list)) return;
  SendMessageA(list, TVM_SETBKCOLOR, 0, kCompletionListBackground);
  SendMessageA(list, TVM_SETTEXTCOLOR, 0, kCompletionListText);
  const HWND popup = GetParent(list);
  const bool codeTree = codeTreeSetting();
  const CompletionLayout layout = completionLayout(codeTree, GetSystemMetrics(SM_CXVSCROLL));
  if (codeTree && popup != nullptr && isWindows10()) {
    // Set, not flipped: a second image list must not turn the colour key off again.
    const LONG exStyle = GetWindowLongA(popup, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0) SetWindowLongA(popup, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(popup, 0, 0, LWA_COLORKEY);
  }
  MoveWindow(list, layout.list.left, layout.list.top, layout.list.right, layout.list.bottom, TRUE);
  if (layout.strip && popup != nullptr && !hasStrip(popup)) makeStrip(popup, layout.stripRect);
  if (popup != nullptr) {
    const POINT corner = placeOf(popup);
    MoveWindow(popup, corner.x, corner.y, kCodeListWidth, kCodeListHeight, FALSE);
    const auto classStyle = static_cast<LONG>(GetClassLongA(popup, GCL_STYLE));
    if ((classStyle & CS_DROPSHADOW) == 0) SetClassLongA(popup, GCL_STYLE, classStyle | CS_DROPSHADOW);
  }
  SetForegroundWindow(list);
}

void forgetCompletionStrips() {
  std::lock_guard guard(gStripsLock);
  gStrips.clear();
}

}  // namespace tovalux::detail
