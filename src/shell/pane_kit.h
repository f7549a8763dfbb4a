// What the dock panes set up alike: the elements of a pane's view kept while they live, the find
// box, trees, list boxes and lists with their item templates and the scroll-bar look, the light
// text of their rows, and toolkit events that run under the guard.
// Each pane keeps what is its own: its layout file and element names, the templates of particular
// items, its handlers and the host control it mirrors (its Part's mirror slot, shell/part.h).
// UI thread only.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/guard.h"
#include "toolkit/xcgui.h"

namespace tovalux::pane_kit {

// --- the view's elements ------------------------------------------------------------------------

// An element of a pane's view that the pane keeps (its tree, list or combo box), found by name
// and adopted when it is an object of `Kind`: while the pane has none, or the toolkit destroyed it
// with its pane, live() is false and the pane's mirror handlers do nothing.
template <int Kind>
class PaneElement {
 public:
  // Keeps `object` when it is an object of the kind; answers whether it was.
  bool adopt(HXCGUI object) {
    handle_ = XC_IsHXCGUI(object, Kind) ? static_cast<HELE>(object) : 0;
    return handle_ != 0;
  }
  void forget() { handle_ = 0; }
  bool live() const { return XC_IsHXCGUI(handle_, Kind); }
  // The element while it lives; 0 otherwise.
  HELE get() const { return live() ? handle_ : 0; }
  // The handle as kept, for the toolkit calls after a live() check.
  operator HELE() const { return handle_; }

 private:
  HELE handle_ = 0;
};

// "lib\Tovalux\Dark\<file>": a file of the theme, as the toolkit takes it.
XString themeFile(std::string_view file);

// --- events -------------------------------------------------------------------------------------

namespace detail {
template <class Handler>
struct EventSignature : EventSignature<decltype(&Handler::operator())> {};
template <class... A>
struct EventSignature<void (*)(A...)> {
  template <class Handler>
  static auto guardedHandler(Handler handler) {
    return [handler](A... args, bool*) -> int {
      guarded(GuardSite::kToolkit, [&] { handler(args...); });
      return 0;
    };
  }
};
template <class C, class... A>
struct EventSignature<void (C::*)(A...) const> : EventSignature<void (*)(A...)> {};
}  // namespace detail

// Registers `handler` for `event` of `element`. The handler takes the event's arguments without the
// final "handled" flag (a function, or a lambda without `auto` parameters), runs under the
// toolkit's guard (a throw is recorded, never unwinds into the toolkit) and leaves the event
// unhandled, so the toolkit's own action still follows. A handler that must mark the event handled
// registers with XEle_RegEventC itself.
template <class Handler>
bool onEvent(HXCGUI element, int event, Handler handler) {
  return XEle_RegEventC(element, event, detail::EventSignature<Handler>::guardedHandler(std::move(handler)));
}
// The same with the element first among the handler's arguments.
template <class Handler>
bool onEventWithSelf(HXCGUI element, int event, Handler handler) {
  return XEle_RegEventC1(element, event, detail::EventSignature<Handler>::guardedHandler(std::move(handler)));
}

// --- find box -----------------------------------------------------------------------------------

// The combo box above a pane's tree: the shared hover look, and every change of its text asks
// `search` with the text (GBK). Nothing when `combo` is no combo box.
void setUpFindBox(HELE combo, void (*search)(std::string_view query));

// --- trees, list boxes, lists ---------------------------------------------------------------------

// A pane tree: item template LibsTreeItem.xml, items 20 high, no connecting lines, indentation 10,
// an adapter, the scroll-bar look.
void setUpTree(HELE tree);
// An item template of the theme for trees (listType_tree), for items that look apart; 0 when it
// cannot be loaded.
HTEMP loadTreeItemTemplate(std::string_view file);

// A pane list box: item template `templateFile` (a theme file), items 20 high, one selection, an
// adapter, the scroll-bar look.
void setUpListBox(HELE list, std::string_view templateFile);
// With the dark theme, the text of each row's first template object takes `colour`.
void colourListBoxText(HELE list, XColor colour);

// A column of a list with a header: its width and title; its template name is "name<n>", n
// counted from 1.
struct ListColumn {
  int width;
  const XChar* title;
};
struct ListSetUp {
  bool singleSelection = true;  // multiple selection switched off
  bool scrollBarLook = true;
  int rowSpace = -1;  // the toolkit's own when negative
};
// A pane list with a header: item template ListItem.xml, a header 20 high, items 18 high, the
// header's and the items' adapters, then the columns.
void setUpList(HELE list, std::span<const ListColumn> columns, const ListSetUp& setUp = {});

}  // namespace tovalux::pane_kit
