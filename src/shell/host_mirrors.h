// Mirror slots: how what the host sends to its own controls reaches the pane that shows it.
//
// The SendMessageA router (hooks/host) recognises a host control and a message and calls the
// slot of that control; the pane that mirrors the control (codeview, panes, debugging) fills
// the slot when it is built. Both sit above the shell, so neither includes the other: this
// table, owned by the shell, is the only thing they share. An empty slot means the pane is not
// built (or not yet): the router passes the message through untouched.
//
// Threading: the router calls a slot on the thread that sent the message (normally the host's
// UI thread, but not always). A slot touches toolkit objects only on the UI thread; elsewhere it
// copies what it needs and hands the work over with postUiJob. A slot must not send a watched
// message back to the same control expecting to be mirrored again: sends made from inside a slot
// pass straight through the router.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tovalux {

enum class HostMirror : uint8_t {
  kUnitCombo,       // topBarItem629: CB_SETCURSEL
  kMemberCombo,     // topBarItem630: CB_SETCURSEL
  kToolboxTree,     // rightPanelItem1225: TVM_INSERTITEMA, TVM_DELETEITEM, TVM_SELECTITEM
  kComponentCombo,  // leftPanelItem1058: CB_ADDSTRING, CB_RESETCONTENT, CB_SETCURSEL
  kEventCombo,      // leftPanelItem1059: CB_SETCURSEL
  kOutputTabs,      // the parent of bottomPanelItem1011: TCM_SETCURSEL
  kOutputText,      // bottomPanelItem1011: EM_REPLACESEL, EM_SETSEL(-1, 0)
  kCallStack,       // bottomPanelItem1224: TVM_INSERTITEMA, TVM_DELETEITEM
  kVariables,       // bottomPanelItem1109: TVM_INSERTITEMA, TVM_DELETEITEM
  kWatchList,       // bottomPanelItem1187: LVM_INSERTITEMA, LVM_SETITEMA, LVM_DELETEALLITEMS, LVM_DELETEITEM
  kSearchResults1,  // bottomPanelItem1182: LB_ADDSTRING, LB_RESETCONTENT
  kSearchResults2,  // bottomPanelItem1183: LB_ADDSTRING, LB_RESETCONTENT
  kLibraryTree,     // leftPanelItem1022: TVM_INSERTITEMA, TVM_DELETEITEM
  kTipsText,        // bottomPanelItem1001: EM_SCROLLCARET
  kProgramTree,     // leftPanelItem1019: TVM_INSERTITEMA, TVM_DELETEITEM, TVM_EXPAND
  kCount
};

// One observed send. For a row that passes the message on first, `answer` is the host control's
// own answer (the new HTREEITEM of an insert, for example) and `passedThrough` is true; for a row
// that mirrors first, the slot runs before the control sees the message.
struct HostMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT answer;
  bool passedThrough;
};

using MirrorHandler = void (*)(const HostMessage& message);

void setHostMirror(HostMirror slot, MirrorHandler handler);
MirrorHandler hostMirror(HostMirror slot);
// Shut-down and tests: every slot empty again.
void clearHostMirrors();

}  // namespace tovalux
