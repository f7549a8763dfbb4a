// Re-hosting host windows: the record a re-hosted window carries on itself, and the host
// controls the panes borrow, given back at shut-down.
#include <windows.h>

#include <vector>

#include "shell/shell_internal.h"

namespace tovalux {

namespace {

constexpr char kOldParent[] = "hwndparentold_tmp";
constexpr char kOldStyle[] = "styleold_tmp";

struct PropSearch {
  const char* name;
  bool found;
};

BOOL CALLBACK findProp(HWND, LPSTR name, HANDLE, ULONG_PTR data) {
  auto* search = reinterpret_cast<PropSearch*>(data);
  // Atoms come as numbers, not texts.
  if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && lstrcmpA(name, search->name) == 0) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

// A stored parent of 0 (a window that was top-level) reads the same as no property: the
// property itself is looked for.
bool hasProp(HWND window, const char* name) {
  PropSearch search{name, false};
  EnumPropsExA(window, &findProp, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void moveKeepingSize(HWND window, int x, int y, int width, int height) {
  RECT r{};
  GetWindowRect(window, &r);
  MoveWindow(window, x, y, width >= 0 ? width : r.right - r.left, height >= 0 ? height : r.bottom - r.top, TRUE);
}

// Where a borrowed host control belongs.
struct HostControlRecord {
  HWND control;
  HWND parent;
  LONG style;
  LONG exStyle;
  RECT place;  // in the parent's client coordinates
};

std::vector<HostControlRecord>& borrowed() {
  static std::vector<HostControlRecord> records;
  return records;
}

}  // namespace

bool attachWindow(HWND newParent, HWND window, int x, int y, int width, int height) {
  if (!IsWindow(window)) return false;
  // The parent to return to, read before anything changes: null for a top-level window, so a
  // later detach makes it top-level again.
  HWND oldParent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(window) : nullptr;
  const LONG oldStyle = GetWindowLongA(window, GWL_STYLE);
  SetParent(window, newParent);
  const LONG newStyle = (oldStyle & ~static_cast<LONG>(WS_POPUP)) | WS_CHILD;
  SetPropA(window, kOldParent, reinterpret_cast<HANDLE>(oldParent));
  SetPropA(window, kOldStyle, reinterpret_cast<HANDLE>(static_cast<intptr_t>(oldStyle)));
  if (newStyle != oldStyle) SetWindowLongA(window, GWL_STYLE, newStyle);
  moveKeepingSize(window, x, y, width, height);
  return true;
}

bool detachWindow(HWND window, int x, int y, int width, int height) {
  // Without a record there is nothing to give back: writing a style of 0 would make the window
  // vanish.
  if (!IsWindow(window) || !hasProp(window, kOldParent) || !hasProp(window, kOldStyle)) return false;
  HWND oldParent = reinterpret_cast<HWND>(GetPropA(window, kOldParent));
  const LONG oldStyle = static_cast<LONG>(reinterpret_cast<intptr_t>(GetPropA(window, kOldStyle)));
  if (oldParent != nullptr && !IsWindow(oldParent)) oldParent = nullptr;
  SetWindowLongA(window, GWL_STYLE, oldStyle);
  SetParent(window, oldParent);
  RemovePropA(window, kOldParent);
  RemovePropA(window, kOldStyle);
  moveKeepingSize(window, x, y, width, height);
  return true;
}

void borrowHostControl(HWND control) {
  if (!IsWindow(control)) return;
  for (const HostControlRecord& record : borrowed())
    if (record.control == control) return;
  HostControlRecord record{
      control, GetParent(control), GetWindowLongA(control, GWL_STYLE), GetWindowLongA(control, GWL_EXSTYLE), {}};
  GetWindowRect(control, &record.place);
  MapWindowPoints(nullptr, record.parent, reinterpret_cast<POINT*>(&record.place), 2);
  borrowed().push_back(record);
}

int returnHostControls() {
  int alive = 0;
  for (const HostControlRecord& record : borrowed()) {
    if (!IsWindow(record.control)) continue;
    ++alive;
    HWND parent = IsWindow(record.parent) ? record.parent : nullptr;
    SetParent(record.control, parent);
    SetWindowLongA(record.control, GWL_STYLE, record.style & ~static_cast<LONG>(WS_VISIBLE));
    SetWindowLongA(record.control, GWL_EXSTYLE, record.exStyle);
    SetWindowPos(record.control, nullptr, record.place.left, record.place.top, record.place.right - record.place.left,
                 record.place.bottom - record.place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ShowWindow(record.control, (record.style & WS_VISIBLE) != 0 ? SW_SHOWNA : SW_HIDE);
  }
  borrowed().clear();
  return alive;
}

}  // namespace tovalux
