// Trees: items in a hierarchy (a TreeAdapter), shown one per line in pre-order, the children of
// expanded items only, each line indented by its depth.
//
// The template object with item id 0, when it is a button, is the item's expand button: a
// check-type one shows the expanded state as its checked state, and clicking it expands or
// collapses the item (127). Event 121 comes before an item's objects are built and may name
// another template for it; 122 follows the building.
// UI thread only.
#pragma once

#include "toolkit/model/views/dataview.h"

namespace tovalux::tk {

class Tree : public DataView {
 public:
  Tree() : DataView(XC_TREE) { listType = listType_tree; }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("tree");
    out.push_back("scrollView");
  }
  HADAPTER newAdapter() override;
  TreeAdapter* nodes() const { return kindCast<TreeAdapter>(adapterObject()); }
  TreeAdapter& ensureNodes();

  int indentation = 20;
  bool connectLine = true;
  int selected = -1;

  int insert(int parent, int position);
  void remove(int id);
  void clear();
  void select(int id, bool byUser);
  void expand(int id, bool expand, bool byUser);
  // The items shown, in order (rebuilt when the hierarchy or an expansion changed).
  const std::vector<int>& order();
  int orderIndex(int id);

  XRect itemRect(const ItemKey& key) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  // Keys while focused: up, down, page up/down, home and end move the selection through the
  // shown items (126); right expands (127) or goes to the first child, left collapses or goes
  // to the parent.
  bool onKeyDown(int key, int flags) override;

 protected:
  RowGeometry geometry();
  void collectSlots(const XRect& area, std::vector<Slot>& out) override;
  XSize contentExtent() override;
  Record* recordOf(const ItemKey& key) override;
  bool isSelected(const ItemKey& key) const override { return key.a == selected; }
  HTEMP templateFor(const ItemKey& key, const XRect& rect) override;
  void created(ItemRow& row) override;
  void itemPressed(const ItemKey& key, XPoint contentPoint, int flags) override;
  void paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots) override;

 private:
  std::vector<int> order_;
  uint64_t orderVersion_ = ~uint64_t(0);
  HADAPTER orderAdapter_ = 0;
  uint32_t epoch_ = 0;
};

}  // namespace tovalux::tk
