// The SendMessageA router: every send of the process comes through here.
//
// The message number decides first (one table lookup); only the watched messages go on to find
// their target among the host controls, and only rows whose mirror is plugged in (or that the
// router serves itself) look at the window at all. A row that matches copies what the message
// carries and tells its mirror on the UI thread: at once when the sender is the UI thread,
// otherwise through the UI job queue (the host control still gets its message on the sender's
// thread). Our own work runs under a per-thread depth mark, so a send made from inside it
// (a mirror reading the control, Wine's own helpers) passes straight through.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "base/diagnostics.h"
#include "base/guard.h"
#include "base/last_error.h"
#include "hooks/host/host_controls.h"
#include "host/host_memory.h"
#include "hooks/host/hooks_internal.h"
#include "hooks/host/router_rules.h"
#include "host/host_text.h"
#include "host/shell_state.h"
#include "host/ui_jobs.h"
#include "shell/host_mirrors.h"
#include "shell/shell.h"

namespace tovalux::detail {
namespace {

using routing::Action;
using routing::Control;
using routing::Order;
using routing::Route;
using routing::TextSource;

// The leading fields of the host's records, as far as the router reads them: hosts built for older
// common controls pass shorter LVITEMA / TVITEMEXA records, so nothing past these is touched.
struct TreeInsertPrefix {
  HTREEITEM parent;
  HTREEITEM insertAfter;
  UINT mask;
  HTREEITEM item;
  UINT state;
  UINT stateMask;
  LPSTR text;
  int textMax;
  int image;
  int selectedImage;
  int children;
  LPARAM param;
};
static_assert(offsetof(TreeInsertPrefix, mask) == offsetof(TVINSERTSTRUCTA, item.mask));
static_assert(offsetof(TreeInsertPrefix, text) == offsetof(TVINSERTSTRUCTA, item.pszText));
static_assert(offsetof(TreeInsertPrefix, image) == offsetof(TVINSERTSTRUCTA, item.iImage));
static_assert(offsetof(TreeInsertPrefix, param) == offsetof(TVINSERTSTRUCTA, item.lParam));

struct ListItemPrefix {
  UINT mask;
  int item;
  int subItem;
  UINT state;
  UINT stateMask;
  LPSTR text;
};
static_assert(offsetof(ListItemPrefix, text) == offsetof(LVITEMA, pszText));

struct Match {
  Control control = Control::kCount;
  Route route;
};

// A row worth a look at the window: the router serves it itself, or some mirror is plugged in.
bool rowLive(Control control, const Route& route) {
  if (route.action != Action::kMirror) return true;
  return hostMirror(firstMirror(control)) != nullptr ||
         (route.secondMirror && hostMirror(secondMirror(control)) != nullptr);
}

Match findRow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int id = -1;  // asked once, only when some row is live
  for (const Control control : routing::candidates(message)) {
    const Route route = routing::route(control, message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
    if (route.order == Order::kNone || !rowLive(control, route)) continue;
    if (control == Control::kCompletionList) {
      if (isCompletionList(window)) return {control, route};
      continue;
    }
    if (id == -1) id = GetDlgCtrlID(window);
    if (id == routing::controlId(control) && isHostControl(window, control)) return {control, route};
  }
  return {};
}

// A list box or combo box drawn by its owner without the "has strings" style keeps item data,
// not text, in its items.
bool keepsItemData(HWND window, UINT message) {
  const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  if (message == LB_ADDSTRING)
    return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0 && (style & LBS_HASSTRINGS) == 0;
  return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0 && (style & CBS_HASSTRINGS) == 0;
}

void setText(HostMessage& out, std::optional<std::string> text) {
  out.hasText = text.has_value();
  if (text) out.text = std::move(*text);
}

std::string selectedItemText(HWND tree, LPARAM item) {
  char buffer[260] = {};
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = reinterpret_cast<HTREEITEM>(item);
  request.pszText = buffer;
  request.cchTextMax = sizeof buffer;
  if (item == 0 || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request))) return {};
  buffer[sizeof buffer - 1] = '\0';
  // A control may point pszText at text of its own instead of filling ours.
  return readHostText(request.pszText, sizeof buffer - 1).value_or(std::string());
}

// Copies what the message carries into `out`; the mirror never sees a host pointer.
void copyPayload(HostMessage& out, TextSource source) {
  switch (source) {
    case TextSource::kNone: return;
    case TextSource::kTreeInsert:
      if (const auto record = readHostRecord<TreeInsertPrefix>(reinterpret_cast<const void*>(out.lParam))) {
        out.treeInsert = {record->parent, record->insertAfter,   record->mask,
                          record->image,  record->selectedImage, record->param};
        if (record->mask & TVIF_TEXT) setText(out, readHostText(record->text, kMirrorTextCap));
      }
      return;
    case TextSource::kListViewItem:
      if (const auto record = readHostRecord<ListItemPrefix>(reinterpret_cast<const void*>(out.lParam))) {
        out.listItem = {record->mask, record->item, record->subItem};
        if (record->mask & LVIF_TEXT) setText(out, readHostText(record->text, kMirrorTextCap));
      }
      return;
    case TextSource::kListString:
      if (!keepsItemData(out.window, out.message))
        setText(out, readHostText(reinterpret_cast<const char*>(out.lParam), kMirrorTextCap));
      return;
    case TextSource::kMessageText:
      setText(out, readHostText(reinterpret_cast<const char*>(out.lParam), kMirrorTextCap));
      return;
    case TextSource::kWindowText: setText(out, windowText(out.window)); return;
    case TextSource::kSelectedItemText: setText(out, selectedItemText(out.window, out.lParam)); return;
  }
}

// Copies of other threads' sends waiting for the UI thread: at most this many, holding at most
// this many text bytes (a copy may hold 1 MiB). Past either bound a copy is dropped and counted,
// and its pane misses that one update: a thread sending in a loop must not take the memory.
constexpr uint32_t kMaxWaitingCopies = 4096;
constexpr size_t kMaxWaitingCopyBytes = 16u << 20;
std::atomic<uint32_t> gWaitingCopies{0};
std::atomic<size_t> gWaitingCopyBytes{0};

// Held by a waiting copy: gone when the job ran or was dropped with the queue.
struct WaitingCopy {
  explicit WaitingCopy(size_t size) : bytes(size) {}
  WaitingCopy(const WaitingCopy&) = delete;
  WaitingCopy& operator=(const WaitingCopy&) = delete;
  size_t bytes;
  ~WaitingCopy() {
    gWaitingCopies.fetch_sub(1);
    gWaitingCopyBytes.fetch_sub(bytes);
  }
};

// Runs `mirror` on the UI thread: now when this is it, else with a copy through the job queue.
void tell(HostMirror slot, const HostMessage& message) {
  const MirrorHandler mirror = hostMirror(slot);
  if (mirror == nullptr) return;
  ++counters().mirrorCalls;
  if (onUiThread()) {
    mirror(message);
    return;
  }
  const size_t bytes = message.text.size();
  if (gWaitingCopies.fetch_add(1) >= kMaxWaitingCopies) {
    gWaitingCopies.fetch_sub(1);
    ++counters().handOversDropped;
    return;
  }
  if (gWaitingCopyBytes.fetch_add(bytes) + bytes > kMaxWaitingCopyBytes) {
    gWaitingCopyBytes.fetch_sub(bytes);
    gWaitingCopies.fetch_sub(1);
    ++counters().handOversDropped;
    return;
  }
  auto waiting = std::make_shared<WaitingCopy>(bytes);
  ++counters().handedOver;
  if (!postUiJob([mirror, copy = message, waiting] {
        if (!shellRunning()) return;
        OwnWork own;
        mirror(copy);
      }))
    ++counters().handOversDropped;
}

std::string tabCaption(HWND tabs, WPARAM index) {
  char buffer[260] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  // A bad index fails and leaves the zeroed buffer: no caption.
  if (!SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item))) return {};
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

void act(const Match& match, HostMessage& message) {
  switch (match.route.action) {
    case Action::kRestyleCompletionList: {
      const HWND list = message.window;
      if (onUiThread()) {
        restyleCompletionList(list);
      } else {
        postUiJob([list] {
          if (!shellRunning()) return;
          OwnWork own;
          restyleCompletionList(list);
        });
      }
      return;
    }
    case Action::kBringOutputPane:
      bringOutputPane(message.window, message.wParam);
      tell(HostMirror::kOutputTabs, message);
      return;
    case Action::kMirror:
      copyPayload(message, match.route.text);
      tell(firstMirror(match.control), message);
      if (match.route.secondMirror) tell(secondMirror(match.control), message);
      return;
  }
}

}  // namespace

void bringOutputPane(HWND tabs, WPARAM index) {
  const char* pane = routing::paneForOutputTab(tabCaption(tabs, index).c_str());
  if (pane == nullptr) return;
  const std::string title = pane;
  if (onUiThread()) {
    activatePaneByTitle(title);
    return;
  }
  postUiJob([title] {
    if (shellRunning()) activatePaneByTitle(title);
  });
}

LRESULT WINAPI routedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto pass = original<decltype(&SendMessageA)>(HostHook::kSendMessageA);
  if (!routing::routerWatches(message) || !shellRunning()) return pass(window, message, wParam, lParam);
  // A tree delete notifies the host main window once per item, and its logging row would look
  // for the Notepad log window each time: once per delete is enough.
  std::optional<NotepadLookupScope> oneLookup;
  if (message == TVM_DELETEITEM) oneLookup.emplace();

  Match match;
  {
    LastErrorGuard keep;
    if (OwnWork::active()) {
      ++counters().nestedPassThrough;
    } else {
      match = guarded(
          GuardSite::kHookReplacement, [&] { return findRow(window, message, wParam, lParam); }, Match{});
    }
  }
  if (match.route.order == Order::kNone) return pass(window, message, wParam, lParam);
  ++counters().routedMessages;

  HostMessage observed;
  observed.window = window;
  observed.message = message;
  observed.wParam = wParam;
  observed.lParam = lParam;
  auto runRow = [&] {
    guarded(GuardSite::kHookReplacement, [&] {
      LastErrorGuard keep;
      OwnWork own;
      act(match, observed);
    });
  };

  if (match.route.order == Order::kThen) {
    runRow();
    return pass(window, message, wParam, lParam);
  }
  observed.answer = pass(window, message, wParam, lParam);
  observed.passedThrough = true;
  runRow();
  return observed.answer;
}

}  // namespace tovalux::detail
