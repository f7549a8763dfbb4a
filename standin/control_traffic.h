// Traffic to the host's controls, told apart by sender.
//
// The host sends to its own controls through hostSend / hostSetText: each call is marked on a
// per-thread stack while it runs, so a watched control knows the message it receives is the
// host's. Any other message of a watched kind (a library's SendMessageA, a cross-thread send of
// a library worker) is journaled as "ctl-msg". Trees, list views, list boxes and combo boxes
// also keep their live items: a message from outside that names an item the control no longer
// has (a deleted HTREEITEM, an index past the end) is journaled as "dead-handle". Wine's tree
// view silently ignores a stale HTREEITEM; Windows may crash on one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace standin {

enum class ControlKind {
  kTree,       // TVM_*; live HTREEITEMs tracked
  kListView,   // LVM_*; indexes checked against the item count
  kListBox,    // LB_*; indexes checked
  kComboBox,   // CB_*; indexes checked
  kEdit,       // EM_*
  kTabStrip,   // TCM_*
  kMdiClient,  // WM_MDI*
  kOther,      // WM_SETTEXT only
};

// Subclasses `control` (call before any library sees it). `name` names it in the journal, e.g.
// "1019". WM_SETTEXT from outside is journaled for every kind; `alsoJournal` adds messages
// (a library's posted WM_LBUTTONDBLCLK, its WM_KEYDOWN...), which the host never sends itself.
void watchControl(HWND control, const std::string& name, ControlKind kind, std::vector<UINT> alsoJournal = {});
bool isWatched(HWND control);
// More messages to journal on a control watched already (an area that plays the control's
// host side wants a library's keys or clicks on it).
void journalAlso(HWND control, const std::vector<UINT>& messages);
// The procedure that was there before watchControl (the control's own).
WNDPROC watchedOriginalProcedure(HWND control);

// SendMessageA as the host's own traffic.
LRESULT hostSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// SetWindowTextA as the host's own traffic.
BOOL hostSetText(HWND window, const char* text);

// The live-item check on a tree view: true when `item` is one the tree has (the tests' view).
bool treeHasItem(HWND tree, HTREEITEM item);

}  // namespace standin
