// The SendMessageA router's table, free of Win32: which messages it watches at all (decided from
// the message number alone, before any window is looked at), which host controls can be the
// target of each, and what a matching row does: its order against the host control's own
// handling, where its text comes from and whom it tells.
//
// Order: kFirst passes the message on first and hands the control's answer to the mirror, then
// answers it; kThen runs the mirror (or the router's own action) first and passes the message on
// afterwards.
#pragma once

#include <cstdint>
#include <span>

#include "host/host_control_table.h"

namespace tovalux::routing {

// The message numbers the rows name (ANSI forms).
namespace msg {
inline constexpr uint32_t kEmSetSel = 0x00B1;
inline constexpr uint32_t kEmScrollCaret = 0x00B7;
inline constexpr uint32_t kEmReplaceSel = 0x00C2;
inline constexpr uint32_t kCbAddString = 0x0143;
inline constexpr uint32_t kCbResetContent = 0x014B;
inline constexpr uint32_t kCbSetCurSel = 0x014E;
inline constexpr uint32_t kLbAddString = 0x0180;
inline constexpr uint32_t kLbResetContent = 0x0184;
inline constexpr uint32_t kLvmSetItemA = 0x1006;
inline constexpr uint32_t kLvmInsertItemA = 0x1007;
inline constexpr uint32_t kLvmDeleteItem = 0x1008;
inline constexpr uint32_t kLvmDeleteAllItems = 0x1009;
inline constexpr uint32_t kTvmInsertItemA = 0x1100;
inline constexpr uint32_t kTvmDeleteItem = 0x1101;
inline constexpr uint32_t kTvmExpand = 0x1102;
inline constexpr uint32_t kTvmSetImageList = 0x1109;
inline constexpr uint32_t kTvmSelectItem = 0x110B;
inline constexpr uint32_t kTcmSetCurSel = 0x130C;
}  // namespace msg

inline constexpr uint32_t kTviRoot = 0xFFFF0000;
inline constexpr uint32_t kTvgnCaret = 9;

// True for the messages some row watches; one table lookup.
bool routerWatches(uint32_t message);

// The host controls the rows name: the rows of the host-control table (host/host_control_table.h).
using Control = HostControl;

// The control id a target window must have to be `control` (its last step on the id path);
// the completion list and the tab strip carry 1109 and 1000.
int32_t controlId(Control control);

// The controls a watched message may be aimed at, in row order.
std::span<const Control> candidates(uint32_t message);

enum class Order : uint8_t { kNone, kFirst, kThen };

// Where the text handed to the mirror comes from.
enum class TextSource : uint8_t {
  kNone,
  kTreeInsert,        // TVINSERTSTRUCTA.item.pszText, when TVIF_TEXT and not a callback or null
  kListViewItem,      // LVITEMA.pszText, when LVIF_TEXT and not a callback or null
  kListString,        // lParam of LB_/CB_ADDSTRING, unless the control keeps item data instead
  kMessageText,       // lParam as a NUL-terminated text (EM_REPLACESEL), when not null
  kWindowText,        // the control's windowText (after the pass-through for kFirst)
  kSelectedItemText,  // the text of tree item lParam (TVM_GETITEMA)
};

// The router's own actions (rows without a pane behind them).
enum class Action : uint8_t { kMirror, kRestyleCompletionList, kBringOutputPane };

struct Route {
  Order order = Order::kNone;  // kNone: the row does not match; the message passes through
  Action action = Action::kMirror;
  TextSource text = TextSource::kNone;
  bool secondMirror = false;  // rows 8a, 8b and 15 also tell the control's second consumer
};

// What the row of `control` does with this message; order kNone when it does not match (a
// TVM_DELETEITEM of one item on the toolbox tree, an EM_SETSEL other than (-1, 0), ...).
Route route(Control control, uint32_t message, uint32_t wParam, int32_t lParam);

// The pane that "输出", "搜寻1" and "搜寻2" bring to the front (row 7); null for any other tab.
const char* paneForOutputTab(const char* caption);

}  // namespace tovalux::routing
