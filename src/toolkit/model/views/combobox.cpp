// Combo boxes: the items of their own table adapter, the drop-down (a toolkit window holding a
// list box, made on opening and destroyed on closing), choosing, and typing into an editable box.
#include "toolkit/model/views/combobox.h"

#include <algorithm>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

namespace {
constexpr int kArrowWidth = 18;
}  // namespace

ComboBox::~ComboBox() {
  Registry& registry = context().registry;
  if (Window* w = getWindow(popup_)) Window::destroy(w);
  template_.release();
  registry.erase(adapter_);
}

TableAdapter* ComboBox::table() const { return context().registry.get<TableAdapter>(adapter_); }

TableAdapter& ComboBox::ensureTable() {
  if (TableAdapter* t = table()) return *t;
  createAdapter();
  return *table();
}

HADAPTER ComboBox::createAdapter() {
  Registry& registry = context().registry;
  closePopup();
  registry.erase(adapter_);
  adapter_ = registry.create<TableAdapter>()->handle();
  selected = -1;
  return adapter_;
}

bool ComboBox::setTemplate(HTEMP temp, bool owned) {
  if (template_.take(temp, owned) == nullptr) return false;
  if (ListBox* list = popupList()) list->setTemplate(temp, false);
  return true;
}

int ComboBox::count() const {
  const TableAdapter* t = table();
  return t != nullptr ? t->count() : 0;
}

void ComboBox::itemsChanged(int from) {
  if (selected >= count()) selected = -1;
  if (ListBox* list = popupList()) {
    if (list->selected >= count()) list->selected = -1;
    list->rowsChanged(from);
    list->redraw();
  }
}

void ComboBox::itemChanged(int index) {
  if (ListBox* list = popupList()) list->rebind({index, 0});
}

std::u16string ComboBox::itemText(int index) const {
  const TableAdapter* t = table();
  if (t == nullptr || index < 0 || index >= t->count()) return {};
  const Record& r = t->rows[static_cast<size_t>(index)];
  std::u16string first = r.text(0);
  if (!first.empty()) return first;
  // An item whose column 0 holds an icon shows its first text (the event list: column 1).
  const Cell* best = nullptr;
  for (const Cell& c : r.cells())
    if (!c.text.empty() && c.column < kNamedColumnBase && (best == nullptr || c.column < best->column)) best = &c;
  return best != nullptr ? best->text.str() : std::u16string();
}

void ComboBox::setSelected(int index) {
  if (index < -1 || index >= count()) return;
  selected = index;
  if (index >= 0) text = itemText(index);
  if (ListBox* list = popupList()) list->select(index, false);
  redraw();
  accessChanged(AccessChange::value, handle());
}

HWINDOW ComboBox::popupWindow() const { return getWindow(popup_) != nullptr ? popup_ : 0; }

ListBox* ComboBox::popupList() const {
  return popupWindow() != 0 ? context().registry.get<ListBox>(popupList_) : nullptr;
}

// The drop-down opens under the box, as wide as it, as tall as its items (up to dropHeight).
// Event 191 lets handlers fill or restyle the list first; the pop-up is shown only afterwards,
// sized again for what they left unless they sized it themselves.
HWINDOW ComboBox::openPopup() {
  if (popupWindow() != 0) return popup_;
  const HELE self = handle();
  Window* owner = window();
  XRect at = windowRect();
  int left = at.left, top = at.bottom;
  if (owner != nullptr) left += owner->rect.left, top += owner->rect.top;

  Window* w = createWindow();
  if (owner != nullptr) {
    w->owner = owner->handle();
    w->parentNative = owner->native;
  }
  auto listHeight = [this](const ListBox& list) {
    int rows = std::max(1, list.count());
    int64_t content =
        int64_t(rows) * list.itemHeight + (list.selected >= 0 ? list.selectedHeight - list.itemHeight : 0);
    return static_cast<int>(std::clamp<int64_t>(content, 1, std::max(1, dropHeight)));
  };
  const int width = std::max(1, at.width());
  ListBox* list = makeElement<ListBox>(w->handle(), {0, 0, width, 0});
  list->comboOwner = self;
  list->showH = false;
  list->useAdapter(ensureTable().handle(), false);
  if (template_.handle != 0) list->setTemplate(template_.handle, false);
  list->selected = selected;
  int height = listHeight(*list);
  list->setHeight(height);
  w->rect = {left, top, left + width, top + height};
  popup_ = w->handle();
  popupList_ = list->handle();
  announceWindow(w);

  const HWINDOW popup = popup_;
  const HELE listHandle = popupList_;
  const XRect windowBefore = w->rect, listBefore = list->rect;
  raiseEvent(self, XE_COMBOBOX_POPUP_LIST,
             EventArgs{2, {static_cast<intptr_t>(popup), static_cast<intptr_t>(listHandle)}});
  w = getWindow(popup);
  list = context().registry.get<ListBox>(listHandle);
  if (context().registry.get<ComboBox>(self) != this || w == nullptr || list == nullptr)
    return w != nullptr ? popup : 0;
  // Sized by the items the handlers left, unless a handler sized the pop-up itself.
  if (w->rect == windowBefore && list->rect == listBefore) {
    height = listHeight(*list);
    list->setHeight(height);
    w->rect.bottom = w->rect.top + height;
    if (Platform* p = context().platform) p->windowMoved(*w);
  }
  w->adjustLayout();
  if ((w = getWindow(popup)) == nullptr) return 0;
  if ((list = context().registry.get<ListBox>(listHandle)) != nullptr && list->selected >= 0)
    list->showItem({list->selected, 0});
  w->visible = true;
  if (Platform* p = context().platform) p->showWindow(*w, ShowMode::showNoActivate);
  accessChanged(AccessChange::state, self);
  return popup;
}

void ComboBox::closePopup() {
  HWINDOW h = std::exchange(popup_, 0);
  popupList_ = 0;
  if (Window* w = getWindow(h)) {
    Window::destroy(w);
    accessChanged(AccessChange::state, handle());
  }
}

void ComboBox::choose(int index) {
  const HELE self = handle();
  closePopup();
  // Unless handled, the default action takes the item (defaultAction below).
  raiseEvent(self, XE_COMBOBOX_SELECT, EventArgs{1, {index}});
}

void comboItemChosen(HELE combo, int index) {
  if (auto* c = context().registry.get<ComboBox>(combo)) c->choose(index);
}

void ComboBox::defaultAction(int event, const EventArgs& args) {
  if (event == XE_LBUTTONDOWN && enabled) {
    if (popupWindow() != 0)
      closePopup();
    else
      openPopup();
  } else if (event == XE_COMBOBOX_SELECT) {
    int index = static_cast<int>(args[0]);
    if (index >= 0 && index < count()) setSelected(index);
  }
}

bool ComboBox::onChar(char16_t c) {
  if (!editable || !enabled || c < 0x20 || c == 0x7F) return false;
  text.push_back(c);
  redraw();
  accessChanged(AccessChange::value, handle());
  raiseEvent(handle(), XE_EDIT_CHANGED, EventArgs{});
  return true;
}

bool ComboBox::onKeyDown(int key, int /*flags*/) {
  if (!editable || !enabled) return false;
  if (key == key_back) {
    if (text.empty()) return true;
    // Backspace takes a whole character: both halves of a surrogate pair.
    const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() <= 0xDFFF;
    text.resize(text.size() - (pair ? 2 : 1));
  } else if (key == key_escape) {
    if (text.empty()) return false;
    text.clear();
  } else {
    return false;
  }
  redraw();
  accessChanged(AccessChange::value, handle());
  raiseEvent(handle(), XE_EDIT_CHANGED, EventArgs{});
  return true;
}

XSize ComboBox::contentSize() {
  XSize t = context().measurer().measure(text, effectiveFont());
  return {t.cx + kArrowWidth + padding.left + padding.right, t.cy + padding.top + padding.bottom};
}

void ComboBox::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kControlFace, 255);
  canvas.frameRect(abs, hovered ? palette::kAccent : palette::kControlBorder, 255, 1);
}

void ComboBox::paintContent(Canvas& canvas, const XRect& abs) {
  XRect inner = innerRect(*this, abs);
  inner.right = std::max(inner.left, inner.right - kArrowWidth);
  if (!text.empty()) {
    auto [color, alpha] = effectiveTextColor();
    canvas.text(text, {inner.left + 4, inner.top, inner.right, inner.bottom}, textAlign, effectiveFont(), color, alpha);
  }
  // A descriptor draws its own arrow (an image part).
  const BkManager* m = context().registry.get<BkManager>(bkManager);
  if (m != nullptr && m->info()) return;
  int cx = abs.right - kArrowWidth / 2 - 1, cy = (abs.top + abs.bottom) / 2;
  XPoint arrow[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}};
  canvas.fillPolygon(arrow, 3, enabled ? palette::kGlyph : palette::kGlyphDisabled, 255);
}

bool ComboBox::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "editable") {
    if (auto b = parseBool(value)) editable = *b;
  } else if (name == "dropHeight") {
    if (auto n = parseInt(value); n && *n > 0) dropHeight = clampSize(*n);
  } else if (name == "text") {
    text = utf8ToUtf16(value);
  } else {
    return false;
  }
  return true;
}

bool ComboBox::applyPathAttribute(std::string_view name, std::string_view value, const std::filesystem::path& folder) {
  if (name != "itemTemplate") return false;
  if (Template* t = loadTemplateFile(folder / toPath(value), listType_comboBox))
    if (!setTemplate(t->handle(), true)) context().registry.erase(t->handle());
  return true;
}

}  // namespace tovalux::tk
