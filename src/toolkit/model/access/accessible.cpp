// The accessible description (the rules are in accessible.h): the id table, which elements are
// described and as what, their names, values, states and places, children in visual order, hit
// testing, navigation, focus and selection, and the default actions.
#include "toolkit/model/access/accessible.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>
#include <unordered_map>

#include "toolkit/model/access/internal.h"
#include "toolkit/model/controls/button.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/scrollbar.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/controls/tabbar.h"
#include "toolkit/model/controls/toolbar.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/docking/frame_window.h"
#include "toolkit/model/docking/pane.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/menus/menubar.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/combobox.h"
#include "toolkit/model/views/list.h"
#include "toolkit/model/views/listbox.h"
#include "toolkit/model/views/listview.h"
#include "toolkit/model/views/tree.h"

namespace tovalux::tk::access {

// --- words ----------------------------------------------------------------------------------

const char* roleName(Role role) {
  switch (role) {
    case Role::none: return "none";
    case Role::window: return "window";
    case Role::pane: return "pane";
    case Role::pageTabList: return "page-tab-list";
    case Role::pageTab: return "page-tab";
    case Role::toolBar: return "tool-bar";
    case Role::pushButton: return "push-button";
    case Role::menuBar: return "menu-bar";
    case Role::menuPopup: return "menu";
    case Role::menuItem: return "menu-item";
    case Role::separator: return "separator";
    case Role::outline: return "outline";
    case Role::outlineItem: return "outline-item";
    case Role::list: return "list";
    case Role::listItem: return "list-item";
    case Role::columnHeader: return "column-header";
    case Role::text: return "text";
    case Role::editableText: return "editable-text";
    case Role::comboBox: return "combo-box";
    case Role::checkBox: return "check-box";
    case Role::radioButton: return "radio-button";
    case Role::scrollBar: return "scroll-bar";
    case Role::statusBar: return "status-bar";
    case Role::toolTip: return "tool-tip";
    case Role::grouping: return "grouping";
    case Role::graphic: return "graphic";
  }
  return "none";
}

std::string stateWords(uint32_t states) {
  static constexpr std::pair<State, const char*> kWords[] = {
      {state_unavailable, "unavailable"}, {state_selected, "selected"},   {state_focused, "focused"},
      {state_pressed, "pressed"},         {state_checked, "checked"},     {state_readOnly, "read-only"},
      {state_hotTracked, "hot"},          {state_expanded, "expanded"},   {state_collapsed, "collapsed"},
      {state_invisible, "invisible"},     {state_offscreen, "offscreen"}, {state_focusable, "focusable"},
      {state_selectable, "selectable"},   {state_hasPopup, "has-popup"},
  };
  std::string out;
  for (const auto& [bit, word] : kWords)
    if (states & bit) {
      if (!out.empty()) out += ' ';
      out += word;
    }
  return out;
}

namespace {

// --- the id table -----------------------------------------------------------------------------

struct RefHash {
  size_t operator()(const Ref& r) const noexcept {
    uint64_t h = (uint64_t(r.owner) << 8) ^ uint64_t(r.kind);
    h ^= uint64_t(uint32_t(r.a)) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(uint32_t(r.b)) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

struct IdTable {
  std::unordered_map<Ref, int32_t, RefHash> ids;
  std::unordered_map<int32_t, Ref> refs;
  std::unordered_map<HXCGUI, std::vector<int32_t>> owners;  // ids by the object that owns them
  std::unordered_map<HXCGUI, uint32_t> itemIds;             // how many of those are items'

  void counted(const Ref& ref, int delta) {
    if (!isItem(ref.kind)) return;
    auto it = itemIds.find(ref.owner);
    if (delta > 0) {
      ++itemIds[ref.owner];
    } else if (it != itemIds.end() && --it->second == 0) {
      itemIds.erase(it);
    }
  }
  static bool isItem(Kind kind) {
    return kind == Kind::row || kind == Kind::treeItem || kind == Kind::group || kind == Kind::groupItem;
  }
};

IdTable& table() {
  static IdTable t;
  return t;
}

// Counts down from -1 and is never reset, so an id names one object for the library's life.
int32_t gLastId = 0;

int32_t allocateId() {
  IdTable& t = table();
  do {
    gLastId = gLastId == INT32_MIN ? -1 : gLastId - 1;
  } while (t.refs.count(gLastId) != 0);
  return gLastId;
}

void eraseId(int32_t id) {
  IdTable& t = table();
  auto it = t.refs.find(id);
  if (it == t.refs.end()) return;
  t.counted(it->second, -1);
  t.ids.erase(it->second);
  t.refs.erase(it);
}

// --- element kinds ----------------------------------------------------------------------------

// Rows and header cells a view builds, and what lies in them (Element::itemPart).
bool isItemPart(const Element& e) { return e.itemPart; }

bool isStatusBar(const Element& e) {
  const Window* w = e.parent() == nullptr ? e.parentWindow() : nullptr;
  return w != nullptr && dynamic_cast<const FrameWindow*>(w) != nullptr && w->bound[bind_bottom] == &e;
}

enum class Exposure { described, transparent, hidden };

// Described, transparent (its children belong to its parent) or not described at all.
Exposure classify(const Element& e) {
  if (isItemPart(e) || dynamic_cast<const DockSplitter*>(&e) != nullptr) return Exposure::hidden;
  if (auto* b = dynamic_cast<const ScrollBarButton*>(&e); b != nullptr && b->part == ScrollBarButton::Part::slider)
    return Exposure::hidden;
  // Parts that show only while needed: a view's scroll bars, a tab's close button.
  if (!e.visible &&
      (dynamic_cast<const TabCloseButton*>(&e) != nullptr ||
       (dynamic_cast<const ScrollBar*>(&e) != nullptr && dynamic_cast<const ScrollView*>(e.parent()) != nullptr)))
    return Exposure::hidden;
  switch (e.type()) {
    case XC_SHAPE_PICTURE: return e.tooltip.empty() ? Exposure::hidden : Exposure::described;
    case XC_ELE:
    case XC_ELE_LAYOUT: return isStatusBar(e) || !e.tooltip.empty() ? Exposure::described : Exposure::transparent;
    case XC_SCROLLVIEW: return Exposure::transparent;
    default: return Exposure::described;
  }
}

// Described, and no ancestor keeps it from being (a view's rows, a list's header).
bool describedElement(const Element& e) {
  if (classify(e) != Exposure::described) return false;
  for (const Element* p = e.parent(); p != nullptr; p = p->parent())
    if (classify(*p) == Exposure::hidden) return false;
  return true;
}

Element* elementOf(const Ref& r) { return r.kind == Kind::element ? getElement(r.owner) : nullptr; }

template <class T>
T* viewOf(const Ref& r) {
  return context().registry.get<T>(r.owner);
}

// Every object described as an item lives in a data view (menu items aside).
DataView* dataViewOf(const Ref& r) { return context().registry.get<DataView>(r.owner); }

ItemKey keyOf(const Ref& r) {
  switch (r.kind) {
    case Kind::group: return {r.a, -1};
    case Kind::groupItem: return {r.a, r.b};
    default: return {r.a, 0};
  }
}

Ref elementRef(const Element& e) { return {Kind::element, e.handle(), 0, 0}; }

// The item a view shows under `key`.
std::optional<Ref> itemRef(const DataView& view, const ItemKey& key) {
  if (key.a < 0) return std::nullopt;
  if (dynamic_cast<const Tree*>(&view) != nullptr) return Ref{Kind::treeItem, view.handle(), key.a, 0};
  if (dynamic_cast<const ListView*>(&view) != nullptr)
    return key.b < 0 ? Ref{Kind::group, view.handle(), key.a, 0} : Ref{Kind::groupItem, view.handle(), key.a, key.b};
  if (dynamic_cast<const ListBox*>(&view) != nullptr || dynamic_cast<const List*>(&view) != nullptr)
    return Ref{Kind::row, view.handle(), key.a, 0};
  return std::nullopt;
}

std::optional<Ref> selectedItem(const DataView& view);

// The item that has the focus in a view: the one whose row holds the focused element (its expand
// button, say), else the selected one while the view itself has the focus.
std::optional<Ref> focusedItem(const DataView& view) {
  const Window* w = view.window();
  const Element* focused = w != nullptr ? getElement(w->focused) : nullptr;
  if (focused == nullptr) return std::nullopt;
  if (focused == &view) return selectedItem(view);
  for (const Element* p = focused; p != nullptr && p != &view; p = p->parent())
    if (auto* row = dynamic_cast<const ItemRow*>(p); row != nullptr && row->parent() == &view)
      return itemRef(view, row->key);
  return std::nullopt;
}

const MenuItem* menuItemOf(const Ref& r, MenuWindow** popup = nullptr, int* row = nullptr) {
  auto* w = context().registry.get<MenuWindow>(r.owner);
  Menu* m = w != nullptr ? context().registry.get<Menu>(w->menu) : nullptr;
  if (m == nullptr) return nullptr;
  for (size_t i = 0; i < w->rows.size(); ++i)
    if (w->rows[i].key == static_cast<uint32_t>(r.a)) {
      if (popup != nullptr) *popup = w;
      if (row != nullptr) *row = static_cast<int>(i);
      return m->byKey(w->rows[i].key);
    }
  return nullptr;
}

bool shown(const Element& e) {
  for (const Element* p = &e; p != nullptr; p = p->parent())
    if (!p->visible) return false;
  const Window* w = e.window();
  return w != nullptr && w->visible;
}

// What shows of the element: its window rectangle clipped by every ancestor and the window.
XRect visibleRect(const Element& e) {
  XRect r = e.windowRect();
  const Element* child = &e;
  for (const Element* p = e.parent(); p != nullptr; child = p, p = p->parent()) {
    const XRect pr = p->windowRect();
    const XRect c = p->childClip(child);
    r = intersect(r, {pr.left + c.left, pr.top + c.top, pr.left + c.right, pr.top + c.bottom});
  }
  const Window* w = e.window();
  return w != nullptr ? intersect(r, {0, 0, w->clientWidth(), w->clientHeight()}) : XRect{};
}

// The view's item area in window coordinates, as much as shows.
XRect viewport(const DataView& view) {
  const XRect w = view.windowRect();
  const XRect vr = view.viewRect();
  return intersect({w.left + vr.left, w.top + vr.top, w.left + vr.right, w.top + vr.bottom}, visibleRect(view));
}

// Children of a container in visual order: a flowing one's as they flow; any other's by position,
// what shows first.
void sortByPosition(std::vector<Element*>& kids) {
  struct Keyed {
    bool hidden;
    int top, left;
    Element* e;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(kids.size());
  for (Element* k : kids) {
    const XRect r = k->windowRect();
    keyed.push_back({!k->visible, r.top, r.left, k});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
    return std::tie(x.hidden, x.top, x.left) < std::tie(y.hidden, y.top, y.left);
  });
  for (size_t i = 0; i < kids.size(); ++i) kids[i] = keyed[i].e;
}

std::vector<Element*> ordered(const Element& e) {
  std::vector<Element*> kids(e.children().begin(), e.children().end());
  if (!e.flows) sortByPosition(kids);
  return kids;
}

// A window's bands and body: top, left, the body by position, right, bottom.
std::vector<Element*> ordered(const Window& w) {
  std::vector<Element*> body;
  for (Element* c : w.children())
    if (std::find(std::begin(w.bound), std::end(w.bound), c) == std::end(w.bound)) body.push_back(c);
  sortByPosition(body);
  std::vector<Element*> out;
  auto band = [&](int position) {
    if (Element* b = w.bound[position]) out.push_back(b);
  };
  band(bind_top);
  band(bind_left);
  out.insert(out.end(), body.begin(), body.end());
  band(bind_right);
  band(bind_bottom);
  return out;
}

void collect(const std::vector<Element*>& kids, std::vector<Element*>& out) {
  for (Element* k : kids) switch (classify(*k)) {
      case Exposure::described: out.push_back(k); break;
      case Exposure::transparent: collect(ordered(*k), out); break;
      case Exposure::hidden: break;
    }
}

// The described elements among an object's children.
std::vector<Element*> elementChildren(const Ref& r) {
  std::vector<Element*> out;
  if (r.kind == Kind::window) {
    if (Window* w = getWindow(r.owner)) collect(ordered(*w), out);
  } else if (Element* e = elementOf(r)) {
    collect(ordered(*e), out);
  }
  return out;
}

// Items come before an object's element children.
int itemCount(const Ref& r) {
  if (r.kind == Kind::window) {
    auto* m = context().registry.get<MenuWindow>(r.owner);
    return m != nullptr ? static_cast<int>(m->rows.size()) : 0;
  }
  if (r.kind == Kind::group) {
    auto* v = viewOf<ListView>(r);
    ListViewAdapter::Group* g = v != nullptr && v->groups() != nullptr ? v->groups()->group(r.a) : nullptr;
    return g != nullptr ? static_cast<int>(g->items.size()) : 0;
  }
  if (r.kind != Kind::element) return 0;
  Element* e = getElement(r.owner);
  if (auto* t = dynamic_cast<Tree*>(e)) return static_cast<int>(t->order().size());
  if (auto* l = dynamic_cast<List*>(e)) return static_cast<int>(l->columns.size()) + l->count();
  if (auto* b = dynamic_cast<ListBox*>(e)) return b->count();
  if (auto* v = dynamic_cast<ListView*>(e))
    return v->groups() != nullptr ? static_cast<int>(v->groups()->groups.size()) : 0;
  return 0;
}

std::optional<Ref> itemAt(const Ref& r, int index) {
  if (index < 0 || index >= itemCount(r)) return std::nullopt;
  if (r.kind == Kind::window) {
    auto* m = context().registry.get<MenuWindow>(r.owner);
    return Ref{Kind::menuItem, r.owner, static_cast<int32_t>(m->rows[static_cast<size_t>(index)].key), 0};
  }
  if (r.kind == Kind::group) return Ref{Kind::groupItem, r.owner, r.a, index};
  Element* e = getElement(r.owner);
  if (auto* t = dynamic_cast<Tree*>(e)) return Ref{Kind::treeItem, r.owner, t->order()[static_cast<size_t>(index)], 0};
  if (auto* l = dynamic_cast<List*>(e)) {
    const int columns = static_cast<int>(l->columns.size());
    return index < columns ? Ref{Kind::column, r.owner, index, 0} : Ref{Kind::row, r.owner, index - columns, 0};
  }
  if (dynamic_cast<ListBox*>(e) != nullptr) return Ref{Kind::row, r.owner, index, 0};
  if (dynamic_cast<ListView*>(e) != nullptr) return Ref{Kind::group, r.owner, index, 0};
  return std::nullopt;
}

// An item's place among its parent's items (navigation without listing them all).
int itemIndex(const Ref& r) {
  switch (r.kind) {
    case Kind::row: {
      auto* l = viewOf<List>(r);
      return r.a + (l != nullptr ? static_cast<int>(l->columns.size()) : 0);
    }
    case Kind::treeItem: {
      auto* t = viewOf<Tree>(r);
      return t != nullptr ? t->orderIndex(r.a) : -1;
    }
    case Kind::column:
    case Kind::group: return r.a;
    case Kind::groupItem: return r.b;
    case Kind::menuItem: {
      int row = -1;
      menuItemOf(r, nullptr, &row);
      return row;
    }
    default: return -1;
  }
}

// The texts of an item's cells in column order (plain columns before named ones).
std::vector<std::u16string> cellTexts(const Record* r) {
  std::vector<const Cell*> cells;
  if (r != nullptr)
    for (const Cell& c : r->cells())
      if (!c.text.empty()) cells.push_back(&c);
  std::sort(cells.begin(), cells.end(), [](const Cell* x, const Cell* y) { return x->column < y->column; });
  std::vector<std::u16string> out;
  for (const Cell* c : cells) out.push_back(c->text.str());
  return out;
}

std::u16string joined(const std::vector<std::u16string>& texts) {
  std::u16string out;
  for (const auto& t : texts) {
    if (!out.empty()) out += u'\t';
    out += t;
  }
  return out;
}

// A menu label carries its shortcut after a run of blanks (or a tab): "保存(S)      Ctrl+S".
// A key or key combination as a menu shows it at its right: "Ctrl+Shift+F", "F7", "Backspace".
bool looksLikeShortcut(std::u16string_view text) {
  if (text.empty()) return false;
  if (text.find(u'+') != std::u16string_view::npos && text.back() != u'+') return true;
  if (text.size() >= 2 && text.size() <= 3 && text[0] == u'F') {
    for (char16_t c : text.substr(1))
      if (c < u'0' || c > u'9') return false;
    return true;
  }
  for (std::u16string_view key : {u"Backspace", u"Enter", u"Delete", u"Insert", u"Esc", u"Tab", u"Home", u"End"})
    if (text == key) return true;
  return false;
}

std::pair<std::u16string, std::u16string> splitLabel(const std::u16string& label) {
  size_t cut = std::u16string::npos;
  for (size_t i = 0; i < label.size(); ++i)
    if (label[i] == u'\t' || (label[i] == u' ' && i + 1 < label.size() && label[i + 1] == u' ')) {
      cut = i;
      break;
    }
  // A label as long as its padding allows has a single blank before its shortcut.
  if (cut == std::u16string::npos) {
    const size_t last = label.find_last_of(u' ');
    if (last != std::u16string::npos && last > 0 && looksLikeShortcut(std::u16string_view(label).substr(last + 1)))
      cut = last;
  }
  auto trim = [](std::u16string s) {
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.pop_back();
    size_t start = s.find_first_not_of(u" \t");
    return start == std::u16string::npos ? std::u16string() : s.substr(start);
  };
  if (cut == std::u16string::npos) return {trim(label), {}};
  return {trim(label.substr(0, cut)), trim(label.substr(cut))};
}

const Pane* paneAround(const Element& e) {
  for (const Element* p = e.parent(); p != nullptr; p = p->parent())
    if (auto* pane = dynamic_cast<const Pane*>(p)) return pane;
  return nullptr;
}

Role elementRole(const Element& e) {
  if (dynamic_cast<const TabLabel*>(&e) != nullptr) return Role::pageTab;
  if (dynamic_cast<const MenuBarButton*>(&e) != nullptr) return Role::menuItem;
  if (auto* b = dynamic_cast<const Button*>(&e)) {
    if (b->buttonType == button_type_checkbox) return Role::checkBox;
    if (b->buttonType == button_type_radio) return Role::radioButton;
    return Role::pushButton;
  }
  if (dynamic_cast<const ComboBox*>(&e) != nullptr) return Role::comboBox;
  if (dynamic_cast<const ScrollBar*>(&e) != nullptr) return Role::scrollBar;
  if (dynamic_cast<const Tree*>(&e) != nullptr) return Role::outline;
  if (dynamic_cast<const DataView*>(&e) != nullptr) return Role::list;
  if (dynamic_cast<const Edit*>(&e) != nullptr) return Role::editableText;
  if (dynamic_cast<const ToolBar*>(&e) != nullptr) return Role::toolBar;
  if (dynamic_cast<const TabBar*>(&e) != nullptr) return Role::pageTabList;
  if (dynamic_cast<const MenuBar*>(&e) != nullptr) return Role::menuBar;
  if (dynamic_cast<const Pane*>(&e) != nullptr) return Role::pane;
  if (dynamic_cast<const ShapeText*>(&e) != nullptr) return Role::text;
  if (dynamic_cast<const ShapePicture*>(&e) != nullptr) return Role::graphic;
  return isStatusBar(e) ? Role::statusBar : Role::grouping;
}

// The name of a control the theme shows only as a glyph.
std::u16string glyphName(const Element& e) {
  if (auto* c = dynamic_cast<const PaneCaptionButton*>(&e)) {
    if (c->action == PaneCaptionButton::Action::close) return u"关闭";
    const Pane* p = c->pane();
    return p != nullptr && p->place == Pane::Place::floating ? u"停靠" : u"浮动";
  }
  if (dynamic_cast<const TabCloseButton*>(&e) != nullptr) return u"关闭";
  if (auto* b = dynamic_cast<const Button*>(&e)) switch (b->role) {
      case WindowRole::maximize: return u"最大化";
      case WindowRole::minimize: return u"最小化";
      case WindowRole::close: return u"关闭";
      case WindowRole::none: break;
    }
  if (auto* s = dynamic_cast<const ScrollBarButton*>(&e)) {
    auto* bar = dynamic_cast<const ScrollBar*>(e.parent());
    const bool horizontal = bar != nullptr && bar->horizontal;
    if (s->part == ScrollBarButton::Part::up) return horizontal ? u"左移" : u"上移";
    return horizontal ? u"右移" : u"下移";
  }
  return {};
}

std::u16string elementName(const Element& e) {
  if (auto* p = dynamic_cast<const Pane*>(&e)) return p->title;
  if (auto* b = dynamic_cast<const Button*>(&e)) {
    if (!b->text.empty()) return b->text;
    if (!b->tooltip.empty()) return b->tooltip;
    return glyphName(e);
  }
  if (auto* s = dynamic_cast<const ShapeText*>(&e)) return s->text;
  if (!e.tooltip.empty()) return e.tooltip;
  // A view or edit is known by the pane it fills; a drop-down's list by its combo box.
  if (auto* lb = dynamic_cast<const ListBox*>(&e); lb != nullptr && lb->comboOwner != 0)
    if (Element* combo = getElement(lb->comboOwner)) return elementName(*combo);
  if (dynamic_cast<const ScrollView*>(&e) != nullptr || dynamic_cast<const ComboBox*>(&e) != nullptr)
    if (const Pane* p = paneAround(e)) return p->title;
  return {};
}

std::u16string windowName(const Window& w) {
  if (auto* m = dynamic_cast<const MenuWindow*>(&w)) {
    if (m->parentKey != 0) {
      const Menu* menu = context().registry.get<Menu>(m->menu);
      const MenuItem* parent = menu != nullptr ? menu->byKey(m->parentKey) : nullptr;
      return parent != nullptr ? splitLabel(parent->text).first : std::u16string();
    }
    auto* button = context().registry.get<MenuBarButton>(menuOpenButton());
    return button != nullptr && button->menu == m->menu ? button->text : std::u16string();
  }
  if (!w.title.empty()) return w.title;
  if (auto* f = dynamic_cast<const FloatWindow*>(&w))
    if (auto* p = context().registry.get<Pane>(f->pane)) return p->title;
  for (Element* c : w.children())
    if (auto* lb = dynamic_cast<ListBox*>(c); lb != nullptr && lb->comboOwner != 0) return elementName(*lb);
  return {};
}

uint32_t elementStates(const Element& e) {
  uint32_t s = 0;
  const Window* w = e.window();
  if (!shown(e))
    s |= state_invisible;
  else if (visibleRect(e).empty())
    s |= state_offscreen;
  if (!e.enabled) s |= state_unavailable;
  if (w != nullptr && w->focused == e.handle()) s |= state_focused;
  if (e.hovered) s |= state_hotTracked;
  if (e.pressed) s |= state_pressed;
  if (dynamic_cast<const Edit*>(&e) != nullptr || dynamic_cast<const ScrollView*>(&e) != nullptr ||
      dynamic_cast<const ComboBox*>(&e) != nullptr)
    s |= state_focusable;
  if (auto* ed = dynamic_cast<const Edit*>(&e); ed != nullptr && ed->readOnly) s |= state_readOnly;
  if (dynamic_cast<const ShapeText*>(&e) != nullptr) s |= state_readOnly;
  if (auto* tab = dynamic_cast<const TabLabel*>(&e)) {
    s |= state_selectable;
    if (tab->checked) s |= state_selected;
  } else if (auto* bar = dynamic_cast<const MenuBarButton*>(&e)) {
    s |= state_hasPopup;
    if (menuOpenButton() == bar->handle()) s |= state_expanded;
  } else if (auto* b = dynamic_cast<const Button*>(&e); b != nullptr && b->isCheckable() && b->checked) {
    s |= state_checked;
  }
  if (auto* combo = dynamic_cast<const ComboBox*>(&e))
    s |= state_hasPopup | (combo->popupWindow() != 0 ? state_expanded : state_collapsed);
  return s;
}

// An item's states: its view's visibility, where it shows, selection and expansion.
uint32_t itemStates(const Ref& r) {
  DataView* view = dataViewOf(r);
  if (view == nullptr) return 0;
  uint32_t s = 0;
  if (!shown(*view)) {
    s |= state_invisible;
  } else {
    const XRect where = location(r);
    if (where.empty() || intersect(where, r.kind == Kind::column ? visibleRect(*view) : viewport(*view)).empty())
      s |= state_offscreen;
  }
  if (r.kind == Kind::column) return s | state_readOnly;
  s |= state_selectable | state_focusable;
  if (view->itemSelected(keyOf(r))) s |= state_selected;
  if (focusedItem(*view) == r) s |= state_focused;
  if (r.kind == Kind::treeItem) {
    auto* t = viewOf<Tree>(r);
    const TreeAdapter::Node* n = t != nullptr && t->nodes() != nullptr ? t->nodes()->node(r.a) : nullptr;
    if (n != nullptr && n->first != 0) s |= n->expanded ? state_expanded : state_collapsed;
  } else if (r.kind == Kind::group) {
    auto* v = viewOf<ListView>(r);
    const ListViewAdapter::Group* g = v != nullptr && v->groups() != nullptr ? v->groups()->group(r.a) : nullptr;
    if (g != nullptr) s |= g->expanded ? state_expanded : state_collapsed;
    s &= ~state_selectable;
  }
  return s;
}

HeaderCell* headerCell(const List& list, int column) {
  ListHeader* h = list.header();
  if (h == nullptr) return nullptr;
  for (Element* c : h->children())
    if (auto* cell = dynamic_cast<HeaderCell*>(c); cell != nullptr && cell->column == column) return cell;
  return nullptr;
}

bool isAncestorOf(const Element& ancestor, const Element* e) {
  for (; e != nullptr; e = e->parent())
    if (e == &ancestor) return true;
  return false;
}

XPoint centre(const XRect& r) { return {r.left + r.width() / 2, r.top + r.height() / 2}; }

// A click on the element as the mouse makes it, when the element shows and its centre reaches
// it; else the click's events on it alone (covered, or out of view).
bool click(Element& e) {
  Window* w = e.window();
  const HELE h = e.handle();
  const XRect vis = visibleRect(e);
  if (w != nullptr && shown(e) && !vis.empty()) {
    const XPoint pt = centre(vis);
    if (Element* hit = tk::hitTest(*w, pt); hit != nullptr && isAncestorOf(e, hit)) {
      const HWINDOW wh = w->handle();
      leftDown(*w, pt, mk_lbutton);
      if (Window* still = getWindow(wh)) leftUp(*still, pt, 0);
      return true;
    }
  }
  XPoint local = centre({0, 0, e.width(), e.height()});
  raiseEvent(h, XE_LBUTTONDOWN, EventArgs{2, {mk_lbutton, reinterpret_cast<intptr_t>(&local)}});
  if (getElement(h) != nullptr) raiseEvent(h, XE_LBUTTONUP, EventArgs{2, {0, reinterpret_cast<intptr_t>(&local)}});
  if (getElement(h) != nullptr) raiseEvent(h, XE_BNCLICK, EventArgs{});
  return true;
}

// An item is clicked where it shows, scrolled into view first; when the click cannot reach it,
// the view selects it as a click on it would.
bool clickItem(const Ref& r) {
  DataView* view = dataViewOf(r);
  if (view == nullptr || !view->enabled || !shown(*view)) return false;
  const HELE vh = view->handle();
  const ItemKey key = keyOf(r);
  view->showItem(key);
  if ((view = dataViewOf(r)) == nullptr) return false;
  if (Window* w = view->window()) {
    const XRect vis = intersect(view->contentToWindow(view->itemRect(key)), viewport(*view));
    if (!vis.empty()) {
      const XPoint pt = centre(vis);
      if (Element* hit = tk::hitTest(*w, pt); hit != nullptr && isAncestorOf(*view, hit)) {
        const HWINDOW wh = w->handle();
        leftDown(*w, pt, mk_lbutton);
        if (Window* still = getWindow(wh)) leftUp(*still, pt, 0);
        return true;
      }
    }
  }
  if (auto* t = context().registry.get<Tree>(vh)) t->select(key.a, true);
  if (auto* b = context().registry.get<ListBox>(vh)) b->select(key.a, true);
  if (auto* l = context().registry.get<List>(vh)) l->select(key.a);
  if (auto* v = context().registry.get<ListView>(vh)) {
    if (key.b >= 0) {
      v->select(key.a, key.b, true);
    } else if (ListViewAdapter::Group* g = v->groups() != nullptr ? v->groups()->group(key.a) : nullptr) {
      v->expandGroup(key.a, !g->expanded, true);
    }
  }
  return true;
}

// Expands or collapses a tree item: its expand button's click when its row shows one, else the
// way the arrow keys do it.
bool toggleTreeItem(Tree& tree, int id) {
  TreeAdapter* nodes = tree.nodes();
  const TreeAdapter::Node* n = nodes != nullptr ? nodes->node(id) : nullptr;
  if (n == nullptr || !tree.enabled) return false;
  tree.ensureRows();
  if (ItemRow* row = tree.rowOf({id, 0}))
    if (auto* button = context().registry.get<Button>(row->instance.find(0));
        button != nullptr && button->enabled && shown(*button) && !visibleRect(*button).empty())
      return click(*button);
  tree.expand(id, !n->expanded, true);
  return true;
}

// Spatially nearest among `candidates` from `from` in a direction (up, down, left, right).
std::optional<Ref> nearestIn(const Ref& from, const std::vector<Ref>& candidates, Direction d) {
  const XRect f = location(from);
  const XPoint fc = centre(f);
  std::optional<Ref> best;
  int64_t bestScore = INT64_MAX;
  for (const Ref& c : candidates) {
    if (c == from) continue;
    const XRect r = location(c);
    if (r.empty()) continue;
    const XPoint cc = centre(r);
    int64_t along = 0, across = 0;
    switch (d) {
      case Direction::up: along = fc.y - cc.y, across = cc.x - fc.x; break;
      case Direction::down: along = cc.y - fc.y, across = cc.x - fc.x; break;
      case Direction::left: along = fc.x - cc.x, across = cc.y - fc.y; break;
      case Direction::right: along = cc.x - fc.x, across = cc.y - fc.y; break;
      default: return std::nullopt;
    }
    if (along <= 0) continue;
    const int64_t score = along + 2 * std::abs(across);
    if (score < bestScore) bestScore = score, best = c;
  }
  return best;
}

}  // namespace

// --- ids --------------------------------------------------------------------------------------

int32_t idOf(const Ref& ref) {
  if (!alive(ref)) return 0;
  IdTable& t = table();
  if (auto it = t.ids.find(ref); it != t.ids.end()) return it->second;
  detail::ensureListening();
  const int32_t id = allocateId();
  t.ids.emplace(ref, id);
  t.refs.emplace(id, ref);
  t.owners[ref.owner].push_back(id);
  t.counted(ref, +1);
  return id;
}

std::optional<Ref> fromId(int32_t id) {
  IdTable& t = table();
  auto it = t.refs.find(id);
  if (it == t.refs.end()) return std::nullopt;
  if (!alive(it->second)) {
    eraseId(id);
    return std::nullopt;
  }
  return it->second;
}

size_t idsInUse() { return table().refs.size(); }

namespace detail {

int32_t existingId(const Ref& ref) {
  IdTable& t = table();
  auto it = t.ids.find(ref);
  return it == t.ids.end() ? 0 : it->second;
}

bool itemsHaveIds(HXCGUI owner) { return table().itemIds.contains(owner); }

void forgetOwner(HXCGUI owner) {
  IdTable& t = table();
  auto it = t.owners.find(owner);
  if (it == t.owners.end()) return;
  for (int32_t id : it->second) eraseId(id);
  t.owners.erase(it);
}

void removeRows(HXCGUI view, int32_t from, int32_t count) {
  IdTable& t = table();
  auto it = t.owners.find(view);
  if (it == t.owners.end() || count <= 0) return;
  // Every row from `from` on leaves the map first, so that a row moving up never meets the key
  // of one that has not moved yet.
  std::vector<int32_t> kept, moved;
  for (int32_t id : it->second) {
    auto ref = t.refs.find(id);
    if (ref == t.refs.end()) continue;
    const Ref r = ref->second;
    if (r.kind != Kind::row || r.a < from) {
      kept.push_back(id);
      continue;
    }
    t.ids.erase(r);
    if (int64_t(r.a) < int64_t(from) + count) {
      t.counted(r, -1);
      t.refs.erase(ref);
    } else {
      moved.push_back(id);
    }
  }
  for (int32_t id : moved) {
    Ref& r = t.refs[id];
    r.a -= count;
    t.ids[r] = id;
    kept.push_back(id);
  }
  it->second = std::move(kept);
}

void resetItems(HXCGUI view) {
  IdTable& t = table();
  auto it = t.owners.find(view);
  if (it == t.owners.end()) return;
  std::vector<int32_t> kept;
  for (int32_t id : it->second) {
    auto ref = t.refs.find(id);
    if (ref == t.refs.end()) continue;
    if (ref->second.kind == Kind::element || ref->second.kind == Kind::column)
      kept.push_back(id);
    else
      eraseId(id);
  }
  it->second = std::move(kept);
}

void pruneItems(HXCGUI view) {
  IdTable& t = table();
  auto it = t.owners.find(view);
  if (it == t.owners.end()) return;
  std::vector<int32_t> kept;
  for (int32_t id : it->second) {
    auto ref = t.refs.find(id);
    if (ref == t.refs.end()) continue;
    if (alive(ref->second))
      kept.push_back(id);
    else
      eraseId(id);
  }
  it->second = std::move(kept);
}

void clearIds() {
  IdTable& t = table();
  t.ids.clear();
  t.refs.clear();
  t.owners.clear();
  t.itemIds.clear();
}

HXCGUI rowsOwner(HXCGUI object) {
  if (auto* combo = context().registry.get<ComboBox>(object)) {
    ListBox* list = combo->popupList();
    return list != nullptr ? list->handle() : 0;
  }
  return object;
}

std::optional<Ref> refOfChange(HXCGUI object, int32_t a, int32_t b) {
  if (getWindow(object) != nullptr) {
    if (a == kWholeObject) return windowRef(object);
    const Ref item{Kind::menuItem, object, a, 0};
    return alive(item) ? std::optional<Ref>(item) : std::nullopt;
  }
  if (a == kWholeObject) return nearestRef(object);
  auto* view = context().registry.get<DataView>(rowsOwner(object));
  if (view == nullptr) return std::nullopt;
  std::optional<Ref> item = itemRef(*view, {a, b});
  return item && alive(*item) ? item : std::nullopt;
}

std::optional<Ref> currentItem(const Ref& view) {
  auto* v = view.kind == Kind::element ? context().registry.get<DataView>(view.owner) : nullptr;
  if (v == nullptr) return std::nullopt;
  std::optional<Ref> item = focusedItem(*v);
  return item && alive(*item) ? item : std::nullopt;
}

bool isPageTab(const Ref& ref) {
  Element* e = elementOf(ref);
  return e != nullptr && dynamic_cast<TabLabel*>(e) != nullptr;
}

}  // namespace detail

// --- objects ----------------------------------------------------------------------------------

std::optional<Ref> refOfHandle(HXCGUI handle) {
  if (getWindow(handle) != nullptr) return windowRef(handle);
  Element* e = getElement(handle);
  if (e == nullptr || !describedElement(*e)) return std::nullopt;
  return elementRef(*e);
}

std::optional<Ref> nearestRef(HXCGUI handle) {
  Element* e = getElement(handle);
  if (e == nullptr) return getWindow(handle) != nullptr ? std::optional<Ref>(windowRef(handle)) : std::nullopt;
  // The item a template object helps show, or the column a header cell is.
  for (Element* p = e; p != nullptr; p = p->parent()) {
    if (auto* row = dynamic_cast<ItemRow*>(p)) {
      if (auto* view = dynamic_cast<DataView*>(row->parent()))
        if (auto item = itemRef(*view, row->key); item && alive(*item)) return item;
      continue;
    }
    if (auto* cell = dynamic_cast<HeaderCell*>(p)) {
      auto* header = dynamic_cast<ListHeader*>(cell->parent());
      if (List* list = header != nullptr ? header->list() : nullptr)
        return Ref{Kind::column, list->handle(), cell->column, 0};
    }
  }
  for (Element* p = e; p != nullptr; p = p->parent())
    if (describedElement(*p)) return elementRef(*p);
  if (Window* w = e->window()) return windowRef(w->handle());
  return std::nullopt;
}

bool alive(const Ref& r) {
  Registry& registry = context().registry;
  switch (r.kind) {
    case Kind::window: return getWindow(r.owner) != nullptr;
    case Kind::element: return getElement(r.owner) != nullptr;
    case Kind::row: {
      if (auto* b = registry.get<ListBox>(r.owner)) return r.a >= 0 && r.a < b->count();
      if (auto* l = registry.get<List>(r.owner)) return r.a >= 0 && r.a < l->count();
      return false;
    }
    case Kind::column: {
      auto* l = registry.get<List>(r.owner);
      return l != nullptr && r.a >= 0 && r.a < static_cast<int>(l->columns.size());
    }
    case Kind::treeItem: {
      auto* t = registry.get<Tree>(r.owner);
      return t != nullptr && t->nodes() != nullptr && t->nodes()->node(r.a) != nullptr;
    }
    case Kind::group: {
      auto* v = registry.get<ListView>(r.owner);
      return v != nullptr && v->groups() != nullptr && v->groups()->group(r.a) != nullptr;
    }
    case Kind::groupItem: {
      auto* v = registry.get<ListView>(r.owner);
      return v != nullptr && v->groups() != nullptr && v->groups()->item(r.a, r.b) != nullptr;
    }
    case Kind::menuItem: return menuItemOf(r) != nullptr;
  }
  return false;
}

HWINDOW windowOf(const Ref& r) {
  if (!alive(r)) return 0;
  if (r.kind == Kind::window || r.kind == Kind::menuItem) return r.owner;
  Element* e = getElement(r.owner);
  Window* w = e != nullptr ? e->window() : nullptr;
  return w != nullptr ? w->handle() : 0;
}

Role role(const Ref& r) {
  if (!alive(r)) return Role::none;
  switch (r.kind) {
    case Kind::window: return context().registry.get<MenuWindow>(r.owner) != nullptr ? Role::menuPopup : Role::window;
    case Kind::element: return elementRole(*getElement(r.owner));
    case Kind::row: return Role::listItem;
    case Kind::treeItem: return Role::outlineItem;
    case Kind::group: return Role::grouping;
    case Kind::groupItem: return Role::listItem;
    case Kind::column: return Role::columnHeader;
    case Kind::menuItem: return menuItemOf(r)->separator() ? Role::separator : Role::menuItem;
  }
  return Role::none;
}

namespace {
// What a caption holds for its look (a tab's leading blank before the title) is not said.
std::u16string withoutOuterBlanks(std::u16string text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\x3000'; };
  size_t end = text.size();
  while (end > 0 && blank(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && blank(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}

std::u16string untrimmedName(const Ref& r) {
  switch (r.kind) {
    case Kind::window: return windowName(*getWindow(r.owner));
    case Kind::element: return elementName(*getElement(r.owner));
    case Kind::column: {
      TableAdapter* texts = viewOf<List>(r)->headerTable();
      std::vector<std::u16string> t = cellTexts(texts != nullptr ? texts->row(r.a) : nullptr);
      return t.empty() ? std::u16string() : t.front();
    }
    case Kind::menuItem: return splitLabel(menuItemOf(r)->text).first;
    default: {
      std::vector<std::u16string> t = cellTexts(dataViewOf(r)->itemRecord(keyOf(r)));
      return t.empty() ? std::u16string() : t.front();
    }
  }
}
}  // namespace

std::u16string name(const Ref& r) {
  if (!alive(r)) return {};
  return withoutOuterBlanks(untrimmedName(r));
}

std::u16string value(const Ref& r) {
  if (!alive(r)) return {};
  switch (r.kind) {
    case Kind::element: {
      Element* e = getElement(r.owner);
      if (auto* c = dynamic_cast<ComboBox*>(e)) return c->text;
      if (auto* ed = dynamic_cast<Edit*>(e)) return ed->text();
      if (auto* bar = dynamic_cast<ScrollBar*>(e)) {
        const int percent = bar->range > 0 ? static_cast<int>(int64_t(bar->pos) * 100 / bar->range) : 0;
        std::string digits = std::to_string(percent);
        return std::u16string(digits.begin(), digits.end());
      }
      return {};
    }
    case Kind::treeItem: {
      const TreeAdapter::Node* n = viewOf<Tree>(r)->nodes()->node(r.a);
      std::string digits = std::to_string(n->depth);
      return std::u16string(digits.begin(), digits.end());
    }
    case Kind::row:
    case Kind::groupItem: return joined(cellTexts(dataViewOf(r)->itemRecord(keyOf(r))));
    default: return {};
  }
}

std::u16string description(const Ref& r) {
  Element* e = alive(r) ? elementOf(r) : nullptr;
  return e != nullptr ? e->tooltip : std::u16string();
}

uint32_t states(const Ref& r) {
  if (!alive(r)) return 0;
  switch (r.kind) {
    case Kind::window: {
      Window* w = getWindow(r.owner);
      return w->visible ? state_focusable : state_invisible;
    }
    case Kind::element: return elementStates(*getElement(r.owner));
    case Kind::menuItem: {
      MenuWindow* popup = nullptr;
      int row = -1;
      const MenuItem* item = menuItemOf(r, &popup, &row);
      uint32_t s = popup->visible ? 0u : state_invisible;
      if (item->separator()) return s;
      s |= state_focusable;
      if (item->disabled()) s |= state_unavailable;
      if (row == popup->hot) s |= state_focused | state_hotTracked;
      const Menu* m = context().registry.get<Menu>(popup->menu);
      if (m != nullptr && m->isParent(*item)) {
        s |= state_hasPopup;
        if (auto* sub = context().registry.get<MenuWindow>(menuPopup(popup->depth + 1));
            sub != nullptr && sub->parentKey == item->key)
          s |= state_expanded;
      }
      return s;
    }
    default: return itemStates(r);
  }
}

XRect location(const Ref& r) {
  if (!alive(r)) return {};
  switch (r.kind) {
    case Kind::window: {
      Window* w = getWindow(r.owner);
      return {0, 0, w->clientWidth(), w->clientHeight()};
    }
    case Kind::element: return getElement(r.owner)->windowRect();
    case Kind::menuItem: {
      MenuWindow* popup = nullptr;
      int row = -1;
      menuItemOf(r, &popup, &row);
      return popup->rows[static_cast<size_t>(row)].rect;
    }
    case Kind::column: {
      HeaderCell* cell = headerCell(*viewOf<List>(r), r.a);
      return cell != nullptr ? cell->windowRect() : XRect{};
    }
    default: {
      DataView* view = dataViewOf(r);
      const XRect content = view->itemRect(keyOf(r));
      return content.empty() ? XRect{} : view->contentToWindow(content);
    }
  }
}

std::u16string actionName(const Ref& r) {
  if (!alive(r)) return {};
  switch (r.kind) {
    case Kind::window: return {};
    case Kind::element: {
      Element* e = getElement(r.owner);
      switch (elementRole(*e)) {
        case Role::pushButton: return u"按下";
        case Role::checkBox: return static_cast<Button*>(e)->checked ? u"取消选中" : u"选中";
        case Role::radioButton: return u"选中";
        case Role::pageTab: return u"切换";
        case Role::menuItem: return menuOpenButton() == e->handle() ? u"关闭" : u"打开";
        case Role::comboBox: return static_cast<ComboBox*>(e)->popupWindow() != 0 ? u"关闭" : u"打开";
        default: return {};
      }
    }
    case Kind::menuItem: {
      MenuWindow* popup = nullptr;
      const MenuItem* item = menuItemOf(r, &popup);
      const Menu* m = context().registry.get<Menu>(popup->menu);
      if (item->separator()) return {};
      return m != nullptr && m->isParent(*item) ? u"打开" : u"执行";
    }
    case Kind::column: return u"单击";
    case Kind::treeItem:
    case Kind::group: {
      const uint32_t s = states(r);
      if (s & state_expanded) return u"折叠";
      if (s & state_collapsed) return u"展开";
      return u"选择";
    }
    default: return u"选择";
  }
}

std::u16string shortcut(const Ref& r) {
  const MenuItem* item = r.kind == Kind::menuItem ? menuItemOf(r) : nullptr;
  return item != nullptr ? splitLabel(item->text).second : std::u16string();
}

Description describe(const Ref& r) {
  return {role(r), name(r), value(r), description(r), actionName(r), shortcut(r), states(r), location(r)};
}

// --- structure --------------------------------------------------------------------------------

int childCount(const Ref& r) {
  if (!alive(r)) return 0;
  return itemCount(r) + static_cast<int>(elementChildren(r).size());
}

std::optional<Ref> childAt(const Ref& r, int index) {
  if (!alive(r) || index < 0) return std::nullopt;
  const int items = itemCount(r);
  if (index < items) return itemAt(r, index);
  std::vector<Element*> elements = elementChildren(r);
  const size_t at = static_cast<size_t>(index - items);
  if (at >= elements.size()) return std::nullopt;
  return elementRef(*elements[at]);
}

std::vector<Ref> children(const Ref& r) {
  std::vector<Ref> out;
  if (!alive(r)) return out;
  const int items = itemCount(r);
  out.reserve(static_cast<size_t>(items));
  for (int i = 0; i < items; ++i)
    if (auto item = itemAt(r, i)) out.push_back(*item);
  for (Element* e : elementChildren(r)) out.push_back(elementRef(*e));
  return out;
}

std::optional<Ref> parentOf(const Ref& r) {
  if (!alive(r)) return std::nullopt;
  switch (r.kind) {
    case Kind::window: return std::nullopt;
    case Kind::menuItem: return windowRef(r.owner);
    case Kind::groupItem: return Ref{Kind::group, r.owner, r.a, 0};
    case Kind::element: {
      Element* e = getElement(r.owner);
      for (Element* p = e->parent(); p != nullptr; p = p->parent())
        if (classify(*p) == Exposure::described) return elementRef(*p);
      Window* w = e->window();
      return w != nullptr ? std::optional<Ref>(windowRef(w->handle())) : std::nullopt;
    }
    default: return Ref{Kind::element, r.owner, 0, 0};
  }
}

namespace {
// The deepest element at `pt`, shapes and mouse-through elements included.
Element* deepestAt(Element& e, XPoint pt, const XRect& clip) {
  if (!e.visible) return nullptr;
  const XRect r = e.windowRect();
  const XRect vis = intersect(r, clip);
  if (!contains(vis, pt)) return nullptr;
  const auto& kids = e.children();
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    const XRect c = e.childClip(*it);
    if (Element* hit =
            deepestAt(**it, pt, intersect({r.left + c.left, r.top + c.top, r.left + c.right, r.top + c.bottom}, vis)))
      return hit;
  }
  return &e;
}
}  // namespace

std::optional<Ref> hitTest(HWINDOW window, XPoint pt) {
  Window* w = getWindow(window);
  if (w == nullptr) return std::nullopt;
  const XRect client{0, 0, w->clientWidth(), w->clientHeight()};
  if (!contains(client, pt)) return std::nullopt;
  if (auto* menu = dynamic_cast<MenuWindow*>(w)) {
    for (const auto& row : menu->rows)
      if (contains(row.rect, pt)) return Ref{Kind::menuItem, window, static_cast<int32_t>(row.key), 0};
    return windowRef(window);
  }
  Element* hit = nullptr;
  const auto& kids = w->children();
  for (auto it = kids.rbegin(); it != kids.rend() && hit == nullptr; ++it) hit = deepestAt(**it, pt, client);
  if (hit == nullptr) return windowRef(window);
  std::optional<Ref> found = nearestRef(hit->handle());
  // Over a view but not over a row it built: the item the view has there.
  if (found && found->kind == Kind::element)
    if (auto* view = context().registry.get<DataView>(found->owner)) {
      const XRect vr = view->windowRect();
      if (auto item = itemRef(*view, view->keyAt({pt.x - vr.left, pt.y - vr.top}))) return item;
    }
  return found;
}

std::optional<Ref> navigate(const Ref& r, Direction d) {
  if (!alive(r)) return std::nullopt;
  if (d == Direction::firstChild) return childAt(r, 0);
  if (d == Direction::lastChild) {
    const int n = childCount(r);
    return n > 0 ? childAt(r, n - 1) : std::nullopt;
  }
  std::optional<Ref> parent = parentOf(r);
  if (!parent) return std::nullopt;
  // Items step by their index; list-view items by their grid.
  if (r.kind != Kind::element && r.kind != Kind::window) {
    int step = 0;
    const bool grid = r.kind == Kind::groupItem;
    switch (d) {
      case Direction::next: step = 1; break;
      case Direction::previous: step = -1; break;
      case Direction::down:
      case Direction::up: {
        int columns = 1;
        if (grid)
          if (auto* v = viewOf<ListView>(r)) columns = std::max(1, v->viewRect().width() / std::max(1, v->itemWidth));
        step = d == Direction::down ? columns : -columns;
        break;
      }
      case Direction::right:
      case Direction::left:
        if (!grid && r.kind != Kind::column) return std::nullopt;
        step = d == Direction::right ? 1 : -1;
        break;
      default: return std::nullopt;
    }
    const int index = itemIndex(r);
    if (index < 0) return std::nullopt;
    std::optional<Ref> next = childAt(*parent, index + step);
    if (!next || next->kind != r.kind) return std::nullopt;
    return next;
  }
  std::vector<Ref> siblings = children(*parent);
  auto at = std::find(siblings.begin(), siblings.end(), r);
  if (at == siblings.end()) return std::nullopt;
  if (d == Direction::next) return at + 1 != siblings.end() ? std::optional<Ref>(*(at + 1)) : std::nullopt;
  if (d == Direction::previous) return at != siblings.begin() ? std::optional<Ref>(*(at - 1)) : std::nullopt;
  return nearestIn(r, siblings, d);
}

std::optional<Ref> focusOf(HWINDOW window) {
  Window* w = getWindow(window);
  if (w == nullptr) return std::nullopt;
  if (auto* menu = dynamic_cast<MenuWindow*>(w)) {
    if (menu->hot < 0 || menu->hot >= static_cast<int>(menu->rows.size())) return std::nullopt;
    return Ref{Kind::menuItem, window, static_cast<int32_t>(menu->rows[static_cast<size_t>(menu->hot)].key), 0};
  }
  if (getElement(w->focused) == nullptr) return std::nullopt;
  std::optional<Ref> focused = nearestRef(w->focused);
  if (focused && focused->kind == Kind::element)
    if (auto item = detail::currentItem(*focused)) return item;
  return focused;
}

namespace {
std::optional<Ref> selectedItem(const DataView& view) {
  std::vector<Ref> selected = selectionOf(elementRef(view));
  if (selected.empty()) return std::nullopt;
  return selected.front();
}
}  // namespace

std::vector<Ref> selectionOf(const Ref& r) {
  std::vector<Ref> out;
  if (!alive(r) || r.kind != Kind::element) return out;
  Element* e = getElement(r.owner);
  if (auto* t = dynamic_cast<Tree*>(e); t != nullptr && t->selected > 0) {
    out.push_back({Kind::treeItem, r.owner, t->selected, 0});
  } else if (auto* b = dynamic_cast<ListBox*>(e); b != nullptr && b->selected >= 0) {
    out.push_back({Kind::row, r.owner, b->selected, 0});
  } else if (auto* l = dynamic_cast<List*>(e); l != nullptr && l->selected >= 0) {
    out.push_back({Kind::row, r.owner, l->selected, 0});
  } else if (auto* v = dynamic_cast<ListView*>(e); v != nullptr && v->selectedGroup >= 0 && v->selectedItem >= 0) {
    out.push_back({Kind::groupItem, r.owner, v->selectedGroup, v->selectedItem});
  } else if (auto* bar = dynamic_cast<TabBar*>(e)) {
    for (int i = 0; i < bar->labelCount(); ++i)
      if (TabLabel* label = bar->label(i); label != nullptr && label->checked && describedElement(*label))
        out.push_back(elementRef(*label));
  }
  std::erase_if(out, [](const Ref& x) { return !alive(x); });
  return out;
}

// --- actions ----------------------------------------------------------------------------------

bool doDefaultAction(const Ref& r) {
  if (!alive(r) || actionName(r).empty()) return false;
  switch (r.kind) {
    case Kind::element: {
      Element* e = getElement(r.owner);
      if (!e->enabled || !shown(*e)) return false;
      return click(*e);
    }
    case Kind::menuItem: {
      MenuWindow* popup = nullptr;
      int row = -1;
      const MenuItem* item = menuItemOf(r, &popup, &row);
      if (item->disabled() || !popup->visible) return false;
      menuLeftUp(*popup, centre(popup->rows[static_cast<size_t>(row)].rect));
      return true;
    }
    case Kind::column: {
      HeaderCell* cell = headerCell(*viewOf<List>(r), r.a);
      return cell != nullptr && shown(*cell) && click(*cell);
    }
    case Kind::treeItem: {
      Tree* t = viewOf<Tree>(r);
      if (states(r) & (state_expanded | state_collapsed)) return toggleTreeItem(*t, r.a);
      return clickItem(r);
    }
    default: return clickItem(r);
  }
}

bool takeFocus(const Ref& r) {
  if (!alive(r) || r.kind == Kind::window || r.kind == Kind::menuItem) return false;
  Element* e = getElement(r.owner);
  Window* w = e != nullptr ? e->window() : nullptr;
  if (w == nullptr || !e->enabled) return false;
  const HWINDOW wh = w->handle();
  setFocus(*w, e->handle());
  if (r.kind != Kind::element && getWindow(wh) != nullptr && alive(r)) return takeSelection(r);
  return true;
}

bool takeSelection(const Ref& r) {
  if (!alive(r)) return false;
  Registry& registry = context().registry;
  switch (r.kind) {
    case Kind::row:
      if (auto* b = registry.get<ListBox>(r.owner)) b->select(r.a, true);
      if (auto* l = registry.get<List>(r.owner)) l->select(r.a);
      return true;
    case Kind::treeItem: registry.get<Tree>(r.owner)->select(r.a, true); return true;
    case Kind::groupItem: registry.get<ListView>(r.owner)->select(r.a, r.b, true); return true;
    case Kind::element:
      if (detail::isPageTab(r)) return doDefaultAction(r);
      return false;
    default: return false;
  }
}

}  // namespace tovalux::tk::access
