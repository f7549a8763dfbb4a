// The accessible description of the toolkit's windows: what a screen reader or an automation tool
// reads of them, built on request from the element tree (the Win32 glue answers WM_GETOBJECT with
// it; nothing here knows a platform).
//
// Objects. A window, every element that means something to a user (buttons, bars, tabs, panes,
// views, edits, texts...), the items of the data views (rows, tree items, list-view groups and
// their items, a list's column headings) and the items of an open menu pop-up are accessible
// objects, each named by a Ref. Plain elements and layouts are transparent: their children
// belong to the nearest described ancestor. What a view builds to show its items (rows, header
// cells), dock splitters and the scroll bars' sliders are not described: the items stand for them.
//
//   element kind                      role           name               value
//   window (menu pop-up)              window (menu)  title (the item)   -
//   pane, tab bar, tab label          pane, page tab list, page tab: title, -, text
//   tool bar, button                  tool bar, push button (check box, radio button by type):
//                                     its text, else its tooltip (an icon button)
//   menu bar, its buttons, menu items menu bar, menu item: text (a menu item's text before the
//                                     run of blanks that leads its shortcut)
//   tree, list box/list/list view     outline, list: tooltip, else the title of its pane
//   tree item, row, list-view item    outline item (value: its level, 0 at the top), list item
//                                     (value: its cells' texts, tab-separated): its first text
//   column heading, shape text, edit  column header, text, editable text (value: the text)
//   combo box, scroll bar             combo box (value: its text), scroll bar (value: percent)
//   the frame's bottom band           status bar
//
// Children come in visual order: a flowing container's in its order, any other's by position
// (top, then left), a window's bands as top, left, body, right, bottom. Invisible objects are
// described (with the invisible state), except a view's hidden scroll bars. A tree's children are
// its shown items, flat, as a native tree view lists them; a list view's are its groups, and a
// group's its items.
//
// Ids. Each object gets a child id on first request: negative, never handed out again while the
// library is loaded, and stable for the object's life (an element's handle, a tree item's id, a
// row while it exists - rows after a removed one keep theirs -, a menu item while its pop-up is
// open). A dead object's id resolves to nothing: the glue answers "not connected".
//
// Default actions go the way a click goes: the element (or item) is clicked at the centre of
// what shows of it through the model's input (tree/input.h), so handlers, focus and the kind's
// own behaviour run as for the mouse; an item out of view is scrolled to first. A tree item with
// children expands or collapses (its expand button's click, else the key's path); a menu item is
// released on as the mouse does.
//
// UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::tk::access {

enum class Role : uint8_t {
  none,
  window,
  pane,
  pageTabList,
  pageTab,
  toolBar,
  pushButton,
  menuBar,
  menuPopup,
  menuItem,
  separator,
  outline,
  outlineItem,
  list,
  listItem,
  columnHeader,
  text,
  editableText,
  comboBox,
  checkBox,
  radioButton,
  scrollBar,
  statusBar,
  toolTip,
  grouping,
  graphic,
};
// "push-button", "outline-item"...: the words the stand-in and the tests use.
const char* roleName(Role role);

enum State : uint32_t {
  state_unavailable = 1u << 0,
  state_selected = 1u << 1,
  state_focused = 1u << 2,  // within its window; the glue also asks the system's keyboard focus
  state_pressed = 1u << 3,
  state_checked = 1u << 4,
  state_readOnly = 1u << 5,
  state_hotTracked = 1u << 6,
  state_expanded = 1u << 7,
  state_collapsed = 1u << 8,
  state_invisible = 1u << 9,
  state_offscreen = 1u << 10,
  state_focusable = 1u << 11,
  state_selectable = 1u << 12,
  state_hasPopup = 1u << 13,
};
// "focused selected ..." in the order of the bits above.
std::string stateWords(uint32_t states);

enum class Kind : uint8_t { window, element, row, treeItem, group, groupItem, column, menuItem };

struct Ref {
  Kind kind = Kind::window;
  HXCGUI owner = 0;  // the window or element; the view of an item; the pop-up of a menu item
  int32_t a = 0;     // row, tree item id, group, column or menu item key
  int32_t b = 0;     // a group's item
  bool operator==(const Ref&) const = default;
};

inline Ref windowRef(HWINDOW window) { return {Kind::window, window, 0, 0}; }

// The object a toolkit handle stands for: a window, or a described element; nothing for a
// transparent or undescribed element or a dead handle.
std::optional<Ref> refOfHandle(HXCGUI handle);
// The object that describes an element: itself when described; else the item it helps show, or
// its nearest described ancestor, or its window.
std::optional<Ref> nearestRef(HXCGUI element);
bool alive(const Ref& ref);
// The window the object shows in; 0 when it is dead.
HWINDOW windowOf(const Ref& ref);

// The object's child id (allocated on first request); 0 for a dead object.
int32_t idOf(const Ref& ref);
// The id's object while it lives.
std::optional<Ref> fromId(int32_t id);
// Ids currently allocated (tests: dead objects' ids go).
size_t idsInUse();

Role role(const Ref& ref);
std::u16string name(const Ref& ref);
std::u16string value(const Ref& ref);
std::u16string description(const Ref& ref);
uint32_t states(const Ref& ref);
// Window-client coordinates; empty for an item that is not laid out (a hidden tree item).
XRect location(const Ref& ref);
// The default action's name ("按下", "展开"...); empty when the object has none.
std::u16string actionName(const Ref& ref);
// A menu item's shortcut text ("Ctrl+S").
std::u16string shortcut(const Ref& ref);

struct Description {
  Role role = Role::none;
  std::u16string name, value, description, action, shortcut;
  uint32_t states = 0;
  XRect location;
};
Description describe(const Ref& ref);

int childCount(const Ref& ref);
// The child at `index` (0-based) in visual order.
std::optional<Ref> childAt(const Ref& ref, int index);
std::vector<Ref> children(const Ref& ref);
std::optional<Ref> parentOf(const Ref& ref);

// The deepest object at `client` (window-client coordinates); nothing outside the window.
std::optional<Ref> hitTest(HWINDOW window, XPoint client);

enum class Direction { next, previous, up, down, left, right, firstChild, lastChild };
std::optional<Ref> navigate(const Ref& ref, Direction direction);

// The object that has the focus in the window: the focused element, the current item of a
// focused view, the hot item of a menu pop-up.
std::optional<Ref> focusOf(HWINDOW window);
// The selected items of a view, the selected tab of a tab bar.
std::vector<Ref> selectionOf(const Ref& ref);

// Performs the default action; false when the object has none, is disabled or died.
bool doDefaultAction(const Ref& ref);
// The focus to the element (an item: its view, and the item selected).
bool takeFocus(const Ref& ref);
// Selects the item (as a user's choice: the view's selection event follows).
bool takeSelection(const Ref& ref);

}  // namespace tovalux::tk::access
