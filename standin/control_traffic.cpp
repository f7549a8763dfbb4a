#include "control_traffic.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "standin_host.h"

namespace standin {
namespace {

struct OwnSend {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The host's sends in progress on this thread, innermost last.
thread_local std::vector<OwnSend> tOwnSends;

struct Watched {
  std::string name;
  ControlKind kind;
  WNDPROC original;
  std::vector<UINT> alsoJournal;
  std::set<HTREEITEM> liveItems;  // trees only
};

// Window procedures run on the thread that owns the control (the UI thread), so one map without
// a lock; entries are looked up again after every call out, which may watch or destroy windows.
std::map<HWND, Watched> gWatched;

class OwnSendScope {
 public:
  OwnSendScope(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    tOwnSends.push_back(OwnSend{window, message, wParam, lParam});
  }
  ~OwnSendScope() { tOwnSends.pop_back(); }
  OwnSendScope(const OwnSendScope&) = delete;
  OwnSendScope& operator=(const OwnSendScope&) = delete;
};

bool isOwn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (tOwnSends.empty()) return false;
  const OwnSend& top = tOwnSends.back();
  return top.window == window && top.message == message && top.wParam == wParam && top.lParam == lParam;
}

bool inRange(UINT message, UINT first, UINT last) { return message >= first && message <= last; }

bool isWatchedMessage(ControlKind kind, UINT message) {
  if (message == WM_SETTEXT) return true;
  switch (kind) {
    case ControlKind::kTree: return inRange(message, TV_FIRST, TV_FIRST + 0xFF);
    case ControlKind::kListView: return inRange(message, LVM_FIRST, LVM_FIRST + 0xFF);
    case ControlKind::kListBox: return inRange(message, LB_ADDSTRING, LB_ADDSTRING + 0x35);
    case ControlKind::kComboBox: return inRange(message, CB_GETEDITSEL, CB_GETEDITSEL + 0x25);
    case ControlKind::kEdit: return inRange(message, EM_GETSEL, EM_GETSEL + 0x2A);
    case ControlKind::kTabStrip: return inRange(message, TCM_FIRST, TCM_FIRST + 0xFF);
    // Not WM_MDISETMENU / WM_MDIREFRESHMENU: the system sends those itself around every child.
    case ControlKind::kMdiClient: return inRange(message, WM_MDICREATE, WM_MDIGETACTIVE);
    case ControlKind::kOther: return false;
  }
  return false;
}

// Messages whose lParam is an input text the journal shows.
bool carriesText(HWND window, ControlKind kind, UINT message) {
  switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL: return true;
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
      // Owner-drawn lists without strings take item data here, not a text.
      if (kind != ControlKind::kComboBox && kind != ControlKind::kListBox) return false;
      const LONG style = GetWindowLongA(window, GWL_STYLE);
      const LONG ownerDrawn = kind == ControlKind::kComboBox ? (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)
                                                             : (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
      const LONG hasStrings = kind == ControlKind::kComboBox ? CBS_HASSTRINGS : LBS_HASSTRINGS;
      return !(style & ownerDrawn) || (style & hasStrings);
    }
    default: return false;
  }
}

std::string boundedText(LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  if (!text) return {};
  std::string out;
  for (size_t i = 0; i < 256 && text[i]; ++i) out += text[i];
  return out;
}

int64_t asNumber(UINT_PTR value) { return static_cast<int64_t>(static_cast<intptr_t>(value)); }

void recordOutsideMessage(const Watched& watched, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Benchmarks switch the record off so a library's traffic costs the same as without the
  // journal; dead handles are still checked and recorded.
  if (Host::instance().mode("quiet-traffic")) return;
  const DWORD sent = InSendMessageEx(nullptr);
  const bool crossThread = (sent & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0;
  EntryBuilder entry("ctl-msg");
  entry.add("control", watched.name)
      .addHex("msg", message)
      .add("wparam", asNumber(wParam))
      .add("lparam", asNumber(static_cast<UINT_PTR>(lParam)))
      .add("cross", crossThread ? 1 : 0);
  if (carriesText(window, watched.kind, message)) entry.add("text", boundedText(lParam));
  Host::instance().journal().record(entry);
}

void recordDeadHandle(const Watched& watched, UINT message, const char* what, int64_t value, int64_t count = -1) {
  EntryBuilder entry("dead-handle");
  entry.add("control", watched.name).addHex("msg", message);
  if (count >= 0)
    entry.add("index", value).add("count", count);
  else
    entry.addHex("item", static_cast<uint32_t>(value));
  entry.add("what", what);
  Host::instance().journal().record(entry);
}

bool isSpecialTreeItem(HTREEITEM item) {
  return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}

// The HTREEITEM a tree message names, if any; `allowNull` when the message accepts none.
bool namedTreeItem(UINT message, WPARAM wParam, LPARAM lParam, HTREEITEM& item, bool& allowNull) {
  allowNull = false;
  switch (message) {
    case TVM_DELETEITEM:
    case TVM_SORTCHILDREN: allowNull = true; [[fallthrough]];
    case TVM_EXPAND:
    case TVM_EDITLABELA:
    case TVM_EDITLABELW:
    case TVM_ENSUREVISIBLE:
    case TVM_CREATEDRAGIMAGE: item = reinterpret_cast<HTREEITEM>(lParam); return true;
    case TVM_SELECTITEM:
    case TVM_SETINSERTMARK:
      allowNull = true;
      item = reinterpret_cast<HTREEITEM>(lParam);
      return true;
    case TVM_GETITEMSTATE: item = reinterpret_cast<HTREEITEM>(wParam); return true;
    case TVM_GETITEMRECT:
      if (!lParam) return false;
      item = *reinterpret_cast<const HTREEITEM*>(lParam);
      return true;
    case TVM_GETITEMA:
    case TVM_GETITEMW:
    case TVM_SETITEMA:
    case TVM_SETITEMW:
      if (!lParam) return false;
      item = reinterpret_cast<const TVITEMA*>(lParam)->hItem;
      return true;
    case TVM_GETNEXTITEM:
      // With no item these answer no item; only a stale one is a risk.
      allowNull = true;
      switch (wParam) {
        case TVGN_CHILD:
        case TVGN_NEXT:
        case TVGN_PREVIOUS:
        case TVGN_PARENT:
        case TVGN_NEXTVISIBLE:
        case TVGN_PREVIOUSVISIBLE: item = reinterpret_cast<HTREEITEM>(lParam); return true;
        default: return false;  // root, caret, first visible...: no item named
      }
    default: return false;
  }
}

void checkTree(const Watched& watched, UINT message, WPARAM wParam, LPARAM lParam) {
  auto live = [&](HTREEITEM item) { return isSpecialTreeItem(item) || watched.liveItems.count(item) != 0; };
  if ((message == TVM_INSERTITEMA || message == TVM_INSERTITEMW) && lParam) {
    const auto* insert = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam);
    if (insert->hParent && !live(insert->hParent))
      recordDeadHandle(watched, message, "parent", reinterpret_cast<intptr_t>(insert->hParent));
    if (insert->hInsertAfter && !live(insert->hInsertAfter))
      recordDeadHandle(watched, message, "insert-after", reinterpret_cast<intptr_t>(insert->hInsertAfter));
    return;
  }
  HTREEITEM item = nullptr;
  bool allowNull = false;
  if (!namedTreeItem(message, wParam, lParam, item, allowNull)) return;
  if (!item) {
    if (!allowNull) recordDeadHandle(watched, message, "null", 0);
    return;
  }
  if (!live(item)) recordDeadHandle(watched, message, "item", reinterpret_cast<intptr_t>(item));
}

// Index check for lists: `index` must be below the item count; `minusOneMeansAll` for the
// messages that take -1 as "every item" or "none"; `upTo` when the count itself is allowed.
void checkIndex(const Watched& watched, HWND window, UINT message, UINT countMessage, int64_t index,
                bool minusOneAllowed, bool countAllowed = false) {
  if (minusOneAllowed && index == -1) return;
  const LRESULT count = CallWindowProcA(watched.original, window, countMessage, 0, 0);
  const int64_t limit = countAllowed ? count + 1 : count;
  if (index < 0 || index >= limit) recordDeadHandle(watched, message, "index", index, count);
}

int64_t signedParam(WPARAM value) { return static_cast<int32_t>(value); }

void checkList(const Watched& watched, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (watched.kind) {
    case ControlKind::kListView:
      switch (message) {
        case LVM_GETITEMA:
        case LVM_GETITEMW:
        case LVM_SETITEMA:
        case LVM_SETITEMW:
          if (lParam)
            checkIndex(watched, window, message, LVM_GETITEMCOUNT, reinterpret_cast<const LVITEMA*>(lParam)->iItem,
                       false);
          return;
        case LVM_SETITEMSTATE:
          checkIndex(watched, window, message, LVM_GETITEMCOUNT, signedParam(wParam), true);
          return;
        case LVM_GETITEMTEXTA:
        case LVM_GETITEMTEXTW:
        case LVM_SETITEMTEXTA:
        case LVM_SETITEMTEXTW:
        case LVM_DELETEITEM:
        case LVM_GETITEMSTATE:
        case LVM_GETITEMRECT:
        case LVM_ENSUREVISIBLE:
        case LVM_UPDATE: checkIndex(watched, window, message, LVM_GETITEMCOUNT, signedParam(wParam), false); return;
        default: return;
      }
    case ControlKind::kListBox:
      switch (message) {
        case LB_GETTEXT:
        case LB_GETTEXTLEN:
        case LB_DELETESTRING:
        case LB_GETITEMRECT:
        case LB_GETITEMDATA:
        case LB_SETITEMDATA:
        case LB_GETSEL:
        case LB_SETTOPINDEX:
        case LB_SETCARETINDEX: checkIndex(watched, window, message, LB_GETCOUNT, signedParam(wParam), false); return;
        case LB_SETCURSEL: checkIndex(watched, window, message, LB_GETCOUNT, signedParam(wParam), true); return;
        case LB_SETSEL: checkIndex(watched, window, message, LB_GETCOUNT, static_cast<int32_t>(lParam), true); return;
        case LB_INSERTSTRING:
          checkIndex(watched, window, message, LB_GETCOUNT, signedParam(wParam), true, true);
          return;
        default: return;
      }
    case ControlKind::kComboBox:
      switch (message) {
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN:
        case CB_DELETESTRING:
        case CB_GETITEMDATA:
        case CB_SETITEMDATA: checkIndex(watched, window, message, CB_GETCOUNT, signedParam(wParam), false); return;
        case CB_SETCURSEL:
        case CB_GETITEMHEIGHT: checkIndex(watched, window, message, CB_GETCOUNT, signedParam(wParam), true); return;
        case CB_INSERTSTRING:
          checkIndex(watched, window, message, CB_GETCOUNT, signedParam(wParam), true, true);
          return;
        default: return;
      }
    default: return;
  }
}

// The item and every item below it, as the tree has them now.
void collectSubtree(WNDPROC original, HWND tree, HTREEITEM item, std::vector<HTREEITEM>& out) {
  out.push_back(item);
  for (auto child = reinterpret_cast<HTREEITEM>(
           CallWindowProcA(original, tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
       child; child = reinterpret_cast<HTREEITEM>(
                  CallWindowProcA(original, tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
    collectSubtree(original, tree, child, out);
}

LRESULT CALLBACK watchedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = gWatched.find(window);
  if (found == gWatched.end()) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC original = found->second.original;
  const ControlKind kind = found->second.kind;

  if (message == WM_NCDESTROY) {
    gWatched.erase(found);
    // Leave the control's own procedure in place unless a library subclassed over us.
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&watchedProcedure))
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    return CallWindowProcA(original, window, message, wParam, lParam);
  }
  const std::vector<UINT>& also = found->second.alsoJournal;
  if (!isWatchedMessage(kind, message) && std::find(also.begin(), also.end(), message) == also.end())
    return CallWindowProcA(original, window, message, wParam, lParam);

  if (!isOwn(window, message, wParam, lParam)) {
    recordOutsideMessage(found->second, window, message, wParam, lParam);
    if (kind == ControlKind::kTree)
      checkTree(found->second, message, wParam, lParam);
    else
      checkList(found->second, window, message, wParam, lParam);
  }

  std::vector<HTREEITEM> removed;
  bool clearAll = false;
  if (kind == ControlKind::kTree && message == TVM_DELETEITEM) {
    const auto item = reinterpret_cast<HTREEITEM>(lParam);
    if (!item || item == TVI_ROOT)
      clearAll = true;
    else if (found->second.liveItems.count(item))
      collectSubtree(original, window, item, removed);
  }

  const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);

  if (kind == ControlKind::kTree) {
    const auto again = gWatched.find(window);
    if (again != gWatched.end()) {
      std::set<HTREEITEM>& live = again->second.liveItems;
      if ((message == TVM_INSERTITEMA || message == TVM_INSERTITEMW) && result)
        live.insert(reinterpret_cast<HTREEITEM>(result));
      if (message == TVM_DELETEITEM && result) {
        if (clearAll) live.clear();
        for (HTREEITEM item : removed) live.erase(item);
      }
    }
  }
  return result;
}

}  // namespace

void watchControl(HWND control, const std::string& name, ControlKind kind, std::vector<UINT> alsoJournal) {
  if (!control || gWatched.count(control)) return;
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
  gWatched[control] = Watched{name, kind, original, std::move(alsoJournal), {}};
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchedProcedure));
}

bool isWatched(HWND control) { return gWatched.count(control) != 0; }

void journalAlso(HWND control, const std::vector<UINT>& messages) {
  const auto found = gWatched.find(control);
  if (found == gWatched.end()) return;
  std::vector<UINT>& also = found->second.alsoJournal;
  for (UINT message : messages)
    if (std::find(also.begin(), also.end(), message) == also.end()) also.push_back(message);
}

WNDPROC watchedOriginalProcedure(HWND control) {
  const auto found = gWatched.find(control);
  return found == gWatched.end() ? nullptr : found->second.original;
}

LRESULT hostSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  OwnSendScope scope(window, message, wParam, lParam);
  return SendMessageA(window, message, wParam, lParam);
}

BOOL hostSetText(HWND window, const char* text) {
  OwnSendScope scope(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  return SetWindowTextA(window, text);
}

bool treeHasItem(HWND tree, HTREEITEM item) {
  const auto found = gWatched.find(tree);
  return found != gWatched.end() && found->second.liveItems.count(item) != 0;
}

}  // namespace standin
