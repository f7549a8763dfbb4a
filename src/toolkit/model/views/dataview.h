// The common machinery of the data views (list boxes, lists, trees, list views): items laid out
// in content coordinates, template objects created only for the items on screen, values bound
// from the adapter, selection by the mouse.
//
// A view describes its items as slots (a key and a rectangle in content coordinates) for any
// stretch of content; realise() asks for the slots of the viewport, keeps the rows of items
// still shown, destroys the others and builds the new ones. So the cost of a paint, a scroll or
// a refresh follows the number of items on screen, never the number of items in the view.
// Rows are built lazily (before painting, on lookups) so that filling a view item by item
// costs nothing per item.
// UI thread only. A view reaches its adapter and template by handle; any of them may be destroyed
// by a handler of the events it raises, which is why every pass re-finds them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/scrollbar.h"
#include "toolkit/model/tree/loader.h"
#include "toolkit/model/views/adapter.h"

namespace tovalux::tk {

// Which item a row shows: list rows (index, 0), tree items (id, 0), list-view items (group,
// item) and group headings (group, -1).
struct ItemKey {
  int a = -1;
  int b = 0;
  bool operator==(const ItemKey&) const = default;
};

// One item on screen: the element holding the objects instantiated from its template.
class ItemRow : public Element {
 public:
  ItemRow() : Element(XC_ELE) {
    mouseThrough = true;
    bkTransparent = true;
    cssEnabled = false;
    itemPart = true;
  }
  ItemKey key;
  HTEMP temp = 0;
  TemplateInstance instance;
  std::vector<std::pair<HXCGUI, int>> bindings;  // object -> adapter column
  // Lists: the cell (column) each root object is laid out in, and the cells (row coordinates).
  std::vector<int> rootColumns;
  std::vector<XRect> cells;
  void arrange() override;
};

// Rows of equal height, the selected one possibly taller (list boxes, lists, tree lines).
struct RowGeometry {
  int64_t count = 0;
  int64_t height = 20;
  int64_t selectedHeight = 20;
  int64_t selected = -1;  // -1: none
  int64_t space = 0;      // between rows
  int64_t top(int64_t k) const;
  int64_t extent(int64_t k) const { return k == selected ? selectedHeight : height; }
  int64_t total() const;
  // The row at content offset y (may be count or more past the end).
  int64_t at(int64_t y) const;
};

class DataView : public ScrollView, public PathAttributes {
 public:
  explicit DataView(int type);
  ~DataView() override;

  struct Slot {
    ItemKey key;
    XRect rect;  // content coordinates
  };

  // --- configuration -----------------------------------------------------------------------
  // The item template (owned when loaded by the view); the item height follows the template's
  // unless it was set.
  bool setTemplate(HTEMP temp, bool owned);
  HTEMP itemTemplate() const { return template_.handle; }
  void setItemHeight(int height, int selectedHeight);
  int itemHeight = 20;
  int selectedHeight = 20;
  bool heightGiven = false;
  int listType = 0;  // the XTemp_Load kind its templates must be for

  // The adapter: created on first need; a shared one (a combo box's, in its drop-down) is not
  // destroyed with the view.
  HADAPTER adapter() const { return adapter_; }
  void useAdapter(HADAPTER adapter, bool owned);
  virtual HADAPTER newAdapter() = 0;

  // --- rows ----------------------------------------------------------------------------------
  // Every row is built again (creation events again) at the next realise.
  void refreshAll();
  void refreshItem(const ItemKey& key);
  void refreshIf(const std::function<bool(const ItemKey&)>& which);
  // Values of an item changed: rows on screen show them now.
  void rebind(const ItemKey& key);
  // The layout of the items changed (count, heights, expansion): rows are placed again.
  void reshape();
  // Brings the rows in line with the viewport when something changed.
  void ensureRows();
  ItemRow* rowOf(const ItemKey& key);
  HXCGUI templateObject(const ItemKey& key, int objectId);
  const std::vector<HELE>& rows() const { return rows_; }
  // Items marked for their next rebuild (refreshItem), until the next paint or lookup.
  size_t pendingItemRefreshes() const { return staleKeys_.size(); }
  // The content rectangle of an item; empty when it has none (hidden or unknown).
  XRect slotRect(const ItemKey& key);
  // Scrolls the least distance that shows the item.
  void showItem(const ItemKey& key);
  // The item under `at` (the view's own coordinates, as mouse events give them); key.a -1 when
  // the point is outside the viewport or over no item.
  ItemKey keyAt(XPoint at);

  // --- items, for the accessible description (model/access) ----------------------------------
  // The values of an item, null when it has none.
  const Record* itemRecord(const ItemKey& key) { return recordOf(key); }
  bool itemSelected(const ItemKey& key) const { return isSelected(key); }
  // An item's rectangle in content coordinates without listing the others (empty when hidden).
  virtual XRect itemRect(const ItemKey& key) { return slotRect(key); }
  // The window rectangle of a content rectangle (where the view shows it now).
  XRect contentToWindow(const XRect& content) const { return toWindow(content); }

  // --- element -------------------------------------------------------------------------------
  void arrange() override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void defaultAction(int event, const EventArgs& args) override;
  void barScrolled(ScrollBar* bar) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  bool applyPathAttribute(std::string_view name, std::string_view value, const std::filesystem::path& folder) override;

 protected:
  // The items in `area` (content coordinates), in the order they are laid out.
  virtual void collectSlots(const XRect& area, std::vector<Slot>& out) = 0;
  virtual XSize contentExtent() = 0;
  XSize measureContent() override { return contentExtent(); }
  virtual Record* recordOf(const ItemKey& key) = 0;
  virtual bool isSelected(const ItemKey& key) const = 0;
  // A new item template: the item size follows its sections unless it was set.
  virtual void templateChanged(const Template& t);
  // The template section an item is built from.
  virtual const XmlNode* sectionFor(const Template& t, const ItemKey& key);
  // Before building: the template to use (a tree raises 121 here and takes the handler's).
  virtual HTEMP templateFor(const ItemKey& key, const XRect& rect) { return (void)key, (void)rect, template_.handle; }
  // After building: the creation event (82, 102, 122).
  virtual void created(ItemRow& row) { (void)row; }
  // The column a template object names; lists know their columns' names.
  virtual int resolveColumn(std::string_view name);
  // Places a row for its slot (lists also lay out its cells).
  virtual void placeRow(ItemRow& row, const Slot& slot);
  // The mouse went down on an item (content point); flags as event 10.
  virtual void itemPressed(const ItemKey& key, XPoint contentPoint, int flags) = 0;
  // Paints behind the rows (selection bands, lines) for the slots on screen.
  virtual void paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots);
  // Rows of this view's item heights: `count` rows, `selected` (-1: none) taller when the
  // selected height says so, `space` pixels between rows.
  RowGeometry rowGeometry(int64_t count, int64_t selected, int64_t space = 0) const {
    return RowGeometry{count, itemHeight, selectedHeight, selected, space};
  }
  // The slots of rows [0, g.count) of `width` pixels that meet `area` (list boxes, lists).
  static void rowSlots(const RowGeometry& g, const XRect& area, int width, std::vector<Slot>& out);
  // The window rectangle of a content rectangle.
  XRect toWindow(const XRect& content) const;
  int viewportWidth() const { return viewRect().width(); }

  Adapter* adapterObject() const;
  bool realising() const { return realising_; }

 private:
  void realise();
  // One pass; false when the view died during an event.
  bool syncRows();
  ItemRow* buildRow(const Slot& slot);
  void bindRow(ItemRow& row);
  std::vector<Slot> slotsOnScreen();

  TemplateSlot template_;
  HADAPTER adapter_ = 0;
  bool ownsAdapter_ = true;
  std::vector<HELE> rows_;
  std::vector<ItemKey> staleKeys_;
  bool stale_ = true;
  bool dirty_ = true;
  bool shapeDirty_ = true;
  bool realising_ = false;
  bool again_ = false;
};

// Template objects in a row or header cell: containers (elements, layouts) below `root` let the
// mouse through to the view, which selects; buttons and the like keep it.
void passMouseThroughContainers(Element& root);

// Content is kept below 2^30 pixels so that window coordinates of any item fit an int.
constexpr int64_t kMaxContentSize = int64_t(1) << 30;

// The selection band the views paint under a selected item.

}  // namespace tovalux::tk
