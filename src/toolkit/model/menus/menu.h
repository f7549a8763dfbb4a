// Pop-up menus: their items, the pop-up windows that show them, and the state machine that
// opens, tracks, picks from and closes them.
//
// A menu (HMENUX) is a tree of items kept in insertion order; ids need not be unique
// (separators share 0 or -1), so an id names the first item that has it. A shown menu is a
// session: one pop-up window (MenuWindow, a toolkit window) per open level, the root first.
// At most one session is open at a time. Its events go to the receiver element (the menu bar,
// or the element XMenu_Popup names):
//   57 (menu)                 before the root pop-up is built; handlers may still add items
//   58 (XMenuPopupInfo*)      a pop-up window of the session exists (root: parent id -1)
//   60 (HDRAW, XMenuDrawBackgroundInfo*), 61 (HDRAW, XMenuDrawItemInfo*)
//                             while a pop-up is painted, when owner drawing is on
//   62 ()                     the session closed
//   59 (id)                   after 62, when the session closed by picking an item
// 62 comes before 59 so that a selection handler (which may open a dialog or another menu)
// runs with the menu already gone, as Windows sends WM_COMMAND after the menu loop ends.
//
// The state machine. The backend forwards input for pop-up windows to the functions below
// (coordinates are the pop-up window's client coordinates); everything else it does with the
// ordinary window input of input.h. "Level" is the pop-up an event concerns; every item but a
// separator can be hot (disabled ones too, state 17), only enabled non-parents are picked.
//
//   state / input                  what happens
//   closed, openMenu               57; if the menu (root) has items: root pop-up, 58, shown;
//                                  otherwise the session ends at once (62). An open session
//                                  is closed first (62 on its receiver).
//   open, menuMouseMove over item  the item becomes the level's hot item; deeper levels whose
//                                  parent is not that item close; an enabled item with
//                                  sub-items opens its submenu beside it (58)
//   open, move over separator,     the level keeps as hot item the parent of its open
//     gap, or menuMouseLeave       submenu, if any; otherwise it has none
//   open, menuLeftUp on item       disabled item or separator: nothing; submenu parent: its
//                                  submenu opens (if not open); any other item: picked
//   open, pick                     every pop-up closes, 62, then 59 with the item's id
//   open, menuDismiss              every pop-up closes, 62 (a press outside every pop-up of
//                                  the session, the owner losing activation, ...)
//   open, key down/up              hot item moves to the next/previous selectable item of the
//                                  deepest level, wrapping
//   open, key right                hot enabled submenu parent: opens it, first item hot; else
//                                  a bar menu: the next bar button's menu opens instead
//   open, key left                 deepest level is a submenu: it closes; else a bar menu:
//                                  the previous bar button's menu opens instead
//   open, key return/space         as menuLeftUp on the hot item (a submenu opens with its
//                                  first item hot)
//   open, key escape               deepest level is a submenu: it closes; else menuDismiss
//   open, a bar button's click     its own menu open: menuDismiss; else that menu opens
//   open, mouse enters another     (ordinary input of the bar's window, event 6) that
//     button of the same bar        button's menu replaces the open one (62, then 57, 58)
//
// Submenus open without delay. The backend may move a pop-up (XWnd_SetRect) to keep it on
// screen; the model never reads the screen size.
// UI thread only. The open menu is one session (menu.cpp); the backend feeds it input and shows
// its pop-ups, and never holds a pointer into it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

struct MenuItem {
  uint32_t key = 0;        // identity inside the menu (ids repeat)
  uint32_t parentKey = 0;  // 0: top level
  int id = 0;
  std::u16string text;
  int flags = 0;  // menu_item_flag_* (4 submenu mark, 8 separator, 16 disabled)
  HIMAGE icon = 0;

  bool separator() const { return (flags & 8) != 0; }
  bool disabled() const { return (flags & 16) != 0; }
};

class Menu : public Object {
 public:
  Menu() : Object(XC_MENU) {}

  std::vector<MenuItem> items;  // insertion order
  int itemHeight = 22;
  int leftWidth = 28;  // icon column
  bool ownerDrawBackground = false;
  bool ownerDrawItems = false;
  HELE ownerButton = 0;  // the menu-bar button it belongs to; 0: a free menu, gone after its pop-up

  // parentId 0 or -1: top level. An unknown parent, or a separator as parent, adds nothing.
  bool add(int id, std::u16string text, int parentId, HIMAGE icon, int flags);
  MenuItem* find(int id);
  const MenuItem* byKey(uint32_t key) const;
  // The items of one level (parentKey 0: the top level), in order.
  std::vector<const MenuItem*> level(uint32_t parentKey) const;
  bool hasChildren(uint32_t key) const;
  // An item that opens (or marks) a submenu: it is never picked.
  bool isParent(const MenuItem& item) const { return (item.flags & 4) != 0 || hasChildren(item.key); }

 private:
  uint32_t nextKey_ = 1;
};

// One open level of a session.
class MenuWindow : public Window {
 public:
  MenuWindow() = default;
  HMENUX menu = 0;
  HELE receiver = 0;
  uint32_t parentKey = 0;
  int parentId = -1;  // as the event records report it
  uint64_t session = 0;
  int depth = 0;  // 0: the root pop-up
  struct Row {
    uint32_t key;
    XRect rect;  // client coordinates
  };
  std::vector<Row> rows;
  int hot = -1;  // row index

  // The row under `pt`, or -1 (gaps and separators).
  int rowAt(XPoint pt) const;
  // Owner drawing through events 60/61 when enabled, the toolkit's own look otherwise.
  void paint(Canvas& canvas) override;
};

// Opens `menu` as the session, the root pop-up's corner at `at` (screen coordinates) placed
// by `position` (menu_popup_position_*). `barButton`: the bar button it belongs to; `keyboard`:
// opened from the keyboard, so the first item starts hot. Answers whether a pop-up is open.
bool openMenu(HMENUX menu, HELE receiver, XHWND owner, XPoint at, int position, HELE barButton = 0,
              bool keyboard = false);
// Closes the open session without a pick (62).
void menuDismiss();
bool menuIsOpen();
// The open session's pop-up of depth `depth`, or 0.
HWINDOW menuPopup(int depth);
// The menu-bar button whose menu is open, or 0.
HELE menuOpenButton();

// Input for pop-up windows (client coordinates of `popup`), see the table above.
void menuMouseMove(Window& popup, XPoint pt);
void menuMouseLeave(Window& popup);
void menuLeftUp(Window& popup, XPoint pt);
// XKey numbers (Windows virtual keys). Answers whether the menu used the key.
bool menuKeyDown(int key);

}  // namespace tovalux::tk
