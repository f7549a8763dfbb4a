// List views with groups: each group is a heading followed, while expanded, by its items laid
// out in a grid of fixed-size cells that wraps at the view's width. The template's <item>
// section builds items, its <group> section headings (field 0 the group's text, 1 its
// description).
// Clicking an item selects it (146: group, item); clicking a heading expands or collapses the
// group (147: group, expanded).
// UI thread only.
#pragma once

#include "toolkit/model/views/dataview.h"

namespace tovalux::tk {

class ListView : public DataView {
 public:
  ListView() : DataView(XC_LISTVIEW) {
    listType = listType_listView;
    itemHeight = selectedHeight = 26;
  }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("listView");
    out.push_back("scrollView");
  }
  HADAPTER newAdapter() override;
  ListViewAdapter* groups() const { return kindCast<ListViewAdapter>(adapterObject()); }
  ListViewAdapter& ensureGroups();

  int itemWidth = 120;
  int groupHeight = 28;
  bool groupHeightGiven = false;
  int selectedGroup = -1, selectedItem = -1;

  void setItemSize(int width, int height);
  void select(int group, int item, bool byUser);
  void expandGroup(int group, bool expand, bool byUser);
  void clear();
  bool applyAttribute(std::string_view name, std::string_view value) override;

 protected:
  int columnsPerRow() const;
  void templateChanged(const Template& t) override;
  void collectSlots(const XRect& area, std::vector<Slot>& out) override;
  XSize contentExtent() override;
  Record* recordOf(const ItemKey& key) override;
  bool isSelected(const ItemKey& key) const override {
    return key.b >= 0 && key.a == selectedGroup && key.b == selectedItem;
  }
  const XmlNode* sectionFor(const Template& t, const ItemKey& key) override;
  void itemPressed(const ItemKey& key, XPoint contentPoint, int flags) override;
  void paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots) override;

 private:
  int64_t heightFor(int64_t columns);
};

}  // namespace tovalux::tk
