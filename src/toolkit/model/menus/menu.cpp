// Pop-up menus: the items of a menu, its pop-up windows and the one open session that drives them
// (open, hover, keys, pick, close). A session is numbered: every step that raised an event checks
// the number afterwards, since a handler may have closed the menu or opened another.
#include "toolkit/model/menus/menu.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/menus/menubar.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/draw.h"
#include "toolkit/xcgui.h"

namespace tovalux::tk {

namespace {

constexpr int kInset = 2;  // the pop-up's frame and the gap inside it
constexpr int kSeparatorHeight = 7;
constexpr int kTextGap = 8;     // from the icon column to the text
constexpr int kRightArea = 28;  // room at the right for a submenu arrow
constexpr int kMinWidth = 120;

// The open menu: at most one in the whole toolkit, as a native menu would be.
struct Session {
  uint64_t serial = 0;  // 0: closed
  HMENUX menu = 0;
  HELE receiver = 0;
  HELE barButton = 0;
  XHWND owner = nullptr;
  HWINDOW ownerWindow = 0;
  std::vector<HWINDOW> levels;  // the root first
};
Session gSession;
uint64_t gSerial = 0;

// The pop-up of level `depth` of this session; a window left from an earlier session never counts.
MenuWindow* levelWindow(size_t depth) {
  if (depth >= gSession.levels.size()) return nullptr;
  MenuWindow* w = context().registry.get<MenuWindow>(gSession.levels[depth]);
  return w != nullptr && w->session == gSession.serial ? w : nullptr;
}

// Closes every pop-up, then tells the receiver (62, and 59 for a pick). The session is cleared
// before any handler runs, so handlers may open another menu.
void endSession(std::optional<int> picked) {
  if (gSession.serial == 0) return;
  Session s = std::exchange(gSession, Session{});
  Context& ctx = context();
  for (auto it = s.levels.rbegin(); it != s.levels.rend(); ++it)
    if (Window* w = getWindow(*it)) Window::destroy(w);
  if (Element* b = getElement(s.barButton)) b->redraw();
  raiseEvent(s.receiver, XE_MENU_EXIT, EventArgs{});
  if (picked) raiseEvent(s.receiver, XE_MENU_SELECT, EventArgs{1, {*picked}});
  // A free menu lives for one pop-up, unless a handler has shown it again.
  if (const Menu* m = ctx.registry.get<Menu>(s.menu); m != nullptr && m->ownerButton == 0 && gSession.menu != s.menu)
    ctx.registry.erase(s.menu);
}

// Closes the levels deeper than `depth`.
void closeBelow(size_t depth) {
  while (gSession.levels.size() > depth + 1) {
    HWINDOW h = gSession.levels.back();
    gSession.levels.pop_back();
    if (Window* w = getWindow(h)) Window::destroy(w);
  }
}

// The session's menu and levels as they are now: levels closed behind the session's back are
// dropped, and a session whose root or menu is gone ends. Answers whether it is still open.
bool validate() {
  if (gSession.serial == 0) return false;
  if (context().registry.get<Menu>(gSession.menu) == nullptr || levelWindow(0) == nullptr) {
    endSession(std::nullopt);
    return false;
  }
  for (size_t i = 1; i < gSession.levels.size(); ++i)
    if (levelWindow(i) == nullptr) {
      closeBelow(i - 1);
      break;
    }
  return true;
}

Menu* sessionMenu() { return context().registry.get<Menu>(gSession.menu); }

const Font& fontFor(HELE receiver) {
  if (Element* r = getElement(receiver)) return r->effectiveFont();
  return context().fallbackFont();
}

// Rows of one level and the pop-up's size.
XSize layoutRows(MenuWindow& w, const Menu& m, const Font& font) {
  w.rows.clear();
  int y = kInset, text = 0;
  for (const MenuItem* item : m.level(w.parentKey)) {
    int h = item->separator() ? kSeparatorHeight : m.itemHeight;
    w.rows.push_back({item->key, {kInset, y, 0, y + h}});
    y += h;
    if (!item->separator()) text = std::max(text, context().measurer().measure(item->text, font).cx);
  }
  int width = std::max(kMinWidth, m.leftWidth + kTextGap + text + kRightArea) + 2 * kInset;
  for (auto& row : w.rows) row.rect.right = width - kInset;
  return {clampSize(width), clampSize(y + kInset)};
}

int firstSelectable(const MenuWindow& w, const Menu& m, int from, int step) {
  const int n = static_cast<int>(w.rows.size());
  for (int i = 1; i <= n; ++i) {
    int row = ((from + step * i) % n + n) % n;
    const MenuItem* item = m.byKey(w.rows[static_cast<size_t>(row)].key);
    if (item != nullptr && !item->separator()) return row;
  }
  return -1;
}

// The toolkit window behind the owner's native window, so the session knows it by handle.
HWINDOW windowOfNative(XHWND native) {
  if (native == nullptr) return 0;
  for (HWINDOW h : context().windows)
    if (Window* w = getWindow(h); w != nullptr && w->native == native) return h;
  return 0;
}

// Opens one level at `at` (screen coordinates, `position` says which corner lies there): the
// window is announced hidden, 58 lets the receiver style it, and only then is it shown.
bool openLevel(uint32_t parentKey, int parentId, XPoint at, int position, bool keyboard) {
  Context& ctx = context();
  const uint64_t serial = gSession.serial;
  Menu* m = sessionMenu();
  if (m == nullptr || m->level(parentKey).empty()) return false;
  auto* w = createWindow<MenuWindow>();
  const HWINDOW h = w->handle();
  w->menu = gSession.menu;
  w->receiver = gSession.receiver;
  w->parentKey = parentKey;
  w->parentId = parentId;
  w->session = serial;
  w->depth = static_cast<int>(gSession.levels.size());
  w->owner = gSession.ownerWindow;
  w->parentNative = gSession.owner;
  XSize size = layoutRows(*w, *m, fontFor(gSession.receiver));
  bool right = position == menu_popup_position_right_top || position == menu_popup_position_right_bottom;
  bool bottom = position == menu_popup_position_left_bottom || position == menu_popup_position_right_bottom;
  int x = clampCoord(int64_t(at.x) - (right ? size.cx : 0)), y = clampCoord(int64_t(at.y) - (bottom ? size.cy : 0));
  w->rect = {x, y, x + size.cx, y + size.cy};
  if (keyboard) w->hot = firstSelectable(*w, *m, -1, 1);
  announceWindow(w);
  gSession.levels.push_back(h);
  XMenuPopupInfo info{h, parentId};
  raiseEvent(gSession.receiver, XE_MENU_POPUP_WND, EventArgs{1, {reinterpret_cast<intptr_t>(&info)}});
  if (gSession.serial != serial || !validate()) return false;
  w = ctx.registry.get<MenuWindow>(h);
  if (w == nullptr) return false;
  w->visible = true;
  if (Platform* p = ctx.platform) p->showWindow(*w, ShowMode::showNoActivate);
  if ((w = ctx.registry.get<MenuWindow>(h)) == nullptr) return false;
  w->invalidateAll(false);
  if (w->hot >= 0)
    accessChanged(AccessChange::focus, h, static_cast<int32_t>(w->rows[static_cast<size_t>(w->hot)].key));
  return true;
}

void setHot(size_t depth, int row);

// Opens the submenu of row `row` of level `depth` beside it, unless open already.
void openSubmenu(size_t depth, int row, bool keyboard) {
  MenuWindow* w = levelWindow(depth);
  Menu* m = sessionMenu();
  if (w == nullptr || m == nullptr || row < 0 || row >= static_cast<int>(w->rows.size())) return;
  const MenuItem* item = m->byKey(w->rows[static_cast<size_t>(row)].key);
  if (item == nullptr || item->disabled() || !m->hasChildren(item->key)) return;
  if (MenuWindow* sub = levelWindow(depth + 1); sub != nullptr && sub->parentKey == item->key) {
    if (keyboard && sub->hot < 0) setHot(depth + 1, firstSelectable(*sub, *m, -1, 1));
    return;
  }
  closeBelow(depth);
  XPoint at{w->rect.right, w->rect.top + w->rows[static_cast<size_t>(row)].rect.top - kInset};
  openLevel(item->key, item->id, at, menu_popup_position_left_top, keyboard);
}

// Makes `row` the hot row of level `depth` (-1: none); deeper levels that do not hang off it
// close. A level keeps the parent of its open submenu hot when the pointer is on nothing.
void setHot(size_t depth, int row) {
  MenuWindow* w = levelWindow(depth);
  if (w == nullptr) return;
  if (row < 0) {
    if (MenuWindow* sub = levelWindow(depth + 1))
      for (size_t i = 0; i < w->rows.size(); ++i)
        if (w->rows[i].key == sub->parentKey) row = static_cast<int>(i);
  } else if (MenuWindow* sub = levelWindow(depth + 1);
             sub != nullptr && sub->parentKey != w->rows[static_cast<size_t>(row)].key) {
    closeBelow(depth);
  }
  if (row != w->hot) {
    w->hot = row;
    w->invalidateAll(false);
    if (row >= 0)
      accessChanged(AccessChange::focus, w->handle(), static_cast<int32_t>(w->rows[static_cast<size_t>(row)].key));
  }
}

// A click (or the return key) on a row.
void activate(size_t depth, int row, bool keyboard) {
  MenuWindow* w = levelWindow(depth);
  Menu* m = sessionMenu();
  if (w == nullptr || m == nullptr || row < 0 || row >= static_cast<int>(w->rows.size())) return;
  const MenuItem* item = m->byKey(w->rows[static_cast<size_t>(row)].key);
  if (item == nullptr || item->separator() || item->disabled()) return;
  if (m->isParent(*item)) {
    openSubmenu(depth, row, keyboard);
    return;
  }
  endSession(item->id);
}

// Left and right on a level without a submenu move to the neighbouring bar menu.
bool switchBarMenu(int step) {
  auto* button = context().registry.get<MenuBarButton>(gSession.barButton);
  if (button == nullptr) return false;
  if (MenuBarButton* next = neighbourBarButton(*button, step)) openBarMenu(*next, true);
  return true;
}

int depthOf(const Window& popup) {
  for (size_t i = 0; i < gSession.levels.size(); ++i)
    if (gSession.levels[i] == popup.handle()) return static_cast<int>(i);
  return -1;
}

void paintBackground(Canvas& canvas, const XRect& client) {
  canvas.fillRect(client, palette::kMenuSurface, 255);
  canvas.frameRect(client, palette::kControlFace, 255, 1);
}

void paintItem(Canvas& canvas, const Menu& m, const MenuItem& item, const XRect& r, int state, const Font& font) {
  if (item.separator()) {
    int y = r.top + r.height() / 2;
    canvas.line(r.left + m.leftWidth + 4, y, r.right - 4, y, palette::kControlFace, 255);
    return;
  }
  if (state & menu_item_flag_hot) canvas.fillRect(r, palette::kMenuHotItem, 255);
  if (const Image* img = context().registry.get<Image>(item.icon)) {
    int x = r.left + std::max(0, (m.leftWidth - img->width()) / 2);
    int y = r.top + std::max(0, (r.height() - img->height()) / 2);
    canvas.image(*img, {x, y, x + img->width(), y + img->height()}, ImageMode::natural);
  }
  XColor color = item.disabled() ? palette::kGreyText : palette::kText;
  XRect text{r.left + m.leftWidth + kTextGap, r.top, r.right - 5, r.bottom};
  canvas.text(item.text, text, text_align_left | text_align_vcenter, font, color, 255);
  if (m.isParent(item)) {
    int cy = r.top + r.height() / 2;
    XPoint tri[3] = {{r.right - 12, cy - 5}, {r.right - 12, cy + 5}, {r.right - 7, cy}};
    canvas.fillPolygon(tri, 3, item.disabled() ? palette::kGreyText : palette::kGlyph, 255);
  }
}

}  // namespace

// --- menus -------------------------------------------------------------------------------

bool Menu::add(int id, std::u16string text, int parentId, HIMAGE icon, int flags) {
  uint32_t parentKey = 0;
  if (parentId != 0 && parentId != -1) {
    auto parent = std::find_if(items.begin(), items.end(),
                               [parentId](const MenuItem& i) { return i.id == parentId && !i.separator(); });
    if (parent == items.end()) return false;
    parentKey = parent->key;
  }
  MenuItem item;
  item.key = nextKey_++;
  item.parentKey = parentKey;
  item.id = id;
  item.text = std::move(text);
  item.flags = flags & ~menu_item_flag_hot;  // hot is a drawing state, never stored
  item.icon = icon;
  items.push_back(std::move(item));
  return true;
}

MenuItem* Menu::find(int id) {
  auto it = std::find_if(items.begin(), items.end(), [id](const MenuItem& i) { return i.id == id; });
  return it == items.end() ? nullptr : &*it;
}

const MenuItem* Menu::byKey(uint32_t key) const {
  for (const MenuItem& i : items)
    if (i.key == key) return &i;
  return nullptr;
}

std::vector<const MenuItem*> Menu::level(uint32_t parentKey) const {
  std::vector<const MenuItem*> out;
  for (const MenuItem& i : items)
    if (i.parentKey == parentKey) out.push_back(&i);
  return out;
}

bool Menu::hasChildren(uint32_t key) const {
  return std::any_of(items.begin(), items.end(), [key](const MenuItem& i) { return i.parentKey == key; });
}

// --- pop-up windows ----------------------------------------------------------------------

int MenuWindow::rowAt(XPoint pt) const {
  const Menu* m = context().registry.get<Menu>(menu);
  for (size_t i = 0; i < rows.size(); ++i) {
    const XRect& r = rows[i].rect;
    if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
    const MenuItem* item = m != nullptr ? m->byKey(rows[i].key) : nullptr;
    return item != nullptr && !item->separator() ? static_cast<int>(i) : -1;
  }
  return -1;
}

void MenuWindow::paint(Canvas& canvas) {
  Context& ctx = context();
  // Handlers may close the menu (and this window) while it paints: keep copies, re-find by handle.
  const HWINDOW self = handle();
  const HMENUX menuHandle = menu;
  const HELE receiverHandle = receiver;
  const int parent = parentId;
  const std::vector<Row> rowsNow = rows;
  const int hotRow = hot;
  const XRect client{0, 0, clientWidth(), clientHeight()};
  const Font& font = fontFor(receiverHandle);
  canvas.pushClip(client);
  {
    DrawScope scope(canvas, {0, 0}, font);
    const intptr_t draw = static_cast<intptr_t>(scope.handle());
    auto live = [&] { return ctx.registry.alive(self) ? ctx.registry.get<Menu>(menuHandle) : nullptr; };
    if (Menu* m = live()) {
      if (m->ownerDrawBackground && getElement(receiverHandle) != nullptr) {
        XMenuDrawBackgroundInfo info{menuHandle, self, parent};
        raiseEvent(receiverHandle, XE_MENU_DRAW_BACKGROUND, EventArgs{2, {draw, reinterpret_cast<intptr_t>(&info)}});
      } else {
        paintBackground(canvas, client);
      }
    }
    for (size_t i = 0; i < rowsNow.size(); ++i) {
      Menu* m = live();
      if (m == nullptr) break;
      const MenuItem* item = m->byKey(rowsNow[i].key);
      if (item == nullptr) continue;
      const int state = item->flags | (static_cast<int>(i) == hotRow ? menu_item_flag_hot : 0);
      if (m->ownerDrawItems && getElement(receiverHandle) != nullptr) {
        XString text = toX(item->text);
        XMenuDrawItemInfo info{menuHandle, self, item->id, state, rowsNow[i].rect, item->icon, text.c_str()};
        raiseEvent(receiverHandle, XE_MENU_DRAWITEM, EventArgs{2, {draw, reinterpret_cast<intptr_t>(&info)}});
      } else {
        paintItem(canvas, *m, *item, rowsNow[i].rect, state, font);
      }
    }
  }
  canvas.popClip();
}

// --- the session -------------------------------------------------------------------------

// A new menu ends the open one first (its 62 goes out before this one's 57).
bool openMenu(HMENUX menu, HELE receiver, XHWND owner, XPoint at, int position, HELE barButton, bool keyboard) {
  Context& ctx = context();
  if (ctx.registry.get<Menu>(menu) == nullptr) return false;
  endSession(std::nullopt);
  if (ctx.registry.get<Menu>(menu) == nullptr) return false;  // a handler of 62 destroyed it
  const uint64_t serial = ++gSerial;
  gSession = Session{serial, menu, receiver, barButton, owner, windowOfNative(owner), {}};
  if (Element* b = getElement(barButton)) b->redraw();
  raiseEvent(receiver, XE_MENU_POPUP, EventArgs{1, {static_cast<intptr_t>(menu)}});
  if (gSession.serial != serial) return false;
  const Menu* m = ctx.registry.get<Menu>(menu);
  if (m == nullptr || m->level(0).empty() || !openLevel(0, -1, at, position, keyboard)) {
    if (gSession.serial == serial) endSession(std::nullopt);
    return false;
  }
  return true;
}

void menuDismiss() { endSession(std::nullopt); }

bool menuIsOpen() { return gSession.serial != 0 && levelWindow(0) != nullptr; }

HWINDOW menuPopup(int depth) {
  MenuWindow* w = depth >= 0 ? levelWindow(static_cast<size_t>(depth)) : nullptr;
  return w != nullptr ? w->handle() : 0;
}

HELE menuOpenButton() { return menuIsOpen() ? gSession.barButton : 0; }

void menuMouseMove(Window& popup, XPoint pt) {
  auto* w = dynamic_cast<MenuWindow*>(&popup);
  if (w == nullptr || w->session != gSession.serial || !validate()) return;
  int depth = depthOf(popup);
  if (depth < 0) return;
  int row = w->rowAt(pt);
  setHot(static_cast<size_t>(depth), row);
  if (row >= 0) openSubmenu(static_cast<size_t>(depth), row, false);
}

void menuMouseLeave(Window& popup) {
  auto* w = dynamic_cast<MenuWindow*>(&popup);
  if (w == nullptr || w->session != gSession.serial || !validate()) return;
  if (int depth = depthOf(popup); depth >= 0) setHot(static_cast<size_t>(depth), -1);
}

void menuLeftUp(Window& popup, XPoint pt) {
  auto* w = dynamic_cast<MenuWindow*>(&popup);
  if (w == nullptr || w->session != gSession.serial || !validate()) return;
  int depth = depthOf(popup), row = w->rowAt(pt);
  if (depth < 0 || row < 0) return;
  setHot(static_cast<size_t>(depth), row);
  activate(static_cast<size_t>(depth), row, false);
}

bool menuKeyDown(int key) {
  if (!validate()) return false;
  const size_t depth = gSession.levels.size() - 1;
  MenuWindow* w = levelWindow(depth);
  Menu* m = sessionMenu();
  if (w == nullptr || m == nullptr) return false;
  switch (key) {
    case key_down:
    case key_up:
      setHot(depth, firstSelectable(*w, *m, w->hot < 0 && key == key_up ? 0 : w->hot, key == key_down ? 1 : -1));
      return true;
    case key_right: {
      const MenuItem* item = w->hot >= 0 ? m->byKey(w->rows[static_cast<size_t>(w->hot)].key) : nullptr;
      if (item != nullptr && !item->disabled() && m->hasChildren(item->key))
        openSubmenu(depth, w->hot, true);
      else
        switchBarMenu(1);
      return true;
    }
    case key_left:
      if (depth > 0)
        closeBelow(depth - 1);
      else
        switchBarMenu(-1);
      return true;
    case key_return:
    case key_space: activate(depth, w->hot, true); return true;
    case key_escape:
      if (depth > 0)
        closeBelow(depth - 1);
      else
        endSession(std::nullopt);
      return true;
    default: return false;
  }
}

}  // namespace tovalux::tk
