// Reading the host's tree views (SysTreeView32) item by item, for any subsystem that walks one.
//
// Every call is one SendMessageA to the tree on the calling thread. None of them pumps messages,
// so between two calls of one walk the host cannot run and delete an item: collect what you need
// in one go, and never keep an HTREEITEM across a pump and send it again without first finding it
// afresh in a new walk (a freed HTREEITEM sent to comctl32 reads freed memory).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovalux {

// The longest item text read; the control keeps at most 260 bytes for an item anyway.
inline constexpr size_t kTreeItemTextCap = 260;

HTREEITEM treeRoot(HWND tree);                    // TVM_GETNEXTITEM TVGN_ROOT
HTREEITEM treeChild(HWND tree, HTREEITEM item);   // TVGN_CHILD; null item: none asked, none answered
HTREEITEM treeNext(HWND tree, HTREEITEM item);    // TVGN_NEXT
HTREEITEM treeParent(HWND tree, HTREEITEM item);  // TVGN_PARENT
int32_t treeCount(HWND tree);                     // TVM_GETCOUNT
// The item's text through TVM_GETITEMA with TVIF_TEXT: cchTextMax set, the NUL forced, and the
// text read through the pszText the control answers (it may point at text of its own); a text
// the control gives as a callback or at an unreadable address reads as empty.
std::string treeItemText(HWND tree, HTREEITEM item);
// TVM_SELECTITEM with TVGN_CARET; true when the control answers above 0.
bool treeSelect(HWND tree, HTREEITEM item);

// --- the helpers the panes use on the host's program, library and toolbox trees ------------
// The item's text (treeItemText) with leading and trailing blanks removed.
std::string hostItemText(HWND tree, HTREEITEM item);
// The item's image index through TVM_GETITEMA with TVIF_IMAGE; -1 when the control does not
// answer (no such item, no tree).
int hostItemImage(HWND tree, HTREEITEM item);
// The item is expanded (TVIS_EXPANDED); false for an unknown item.
bool hostItemExpanded(HWND tree, HTREEITEM item);
// TVM_SELECTITEM with TVGN_CARET (treeSelect).
bool selectHostItem(HWND tree, HTREEITEM item);
// The selected item (TVGN_CARET); null when none.
HTREEITEM selectedHostItem(HWND tree);
// Every item in pre-order: at most TVM_GETCOUNT of them, read in one go (no pumping).
std::vector<HTREEITEM> listHostItems(HWND tree);

}  // namespace tovalux
