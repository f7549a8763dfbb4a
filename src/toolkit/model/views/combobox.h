// Combo boxes: a text with a drop-down list of items. The items live in the combo box's table
// adapter; the drop-down is a toolkit window holding a list box that shows that adapter through
// the combo box's item template.
//
//   click on the box      opens the drop-down: the pop-up window and its list box are created,
//                         72 is raised with both (its handlers may refill the items and resize
//                         either), then the window is shown
//   click on a row        the drop-down closes, 71 is raised with the row; unless handled, the
//                         row becomes the selection and its text the box's text
//   typing (editable)     the text changes at its end, 180 is raised
// The backend closes an open drop-down (closePopup) when the pop-up loses the activation.
// UI thread only. The drop-down is a toolkit window of its own (a pop-up the platform shows
// without activation), made and destroyed by the combo box.
#pragma once

#include "toolkit/model/views/listbox.h"

namespace tovalux::tk {

class ComboBox : public Element, public PathAttributes {
 public:
  ComboBox() : Element(XC_COMBOBOX) {}
  ~ComboBox() override;
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("comboBox"); }

  std::u16string text;
  bool editable = false;
  int dropHeight = 200;
  int selected = -1;
  int textAlign = text_align_left | text_align_vcenter;

  TableAdapter* table() const;
  TableAdapter& ensureTable();
  HADAPTER adapter() const { return adapter_; }
  HADAPTER createAdapter();
  bool setTemplate(HTEMP temp, bool owned);
  HTEMP itemTemplate() const { return template_.handle; }
  int count() const;
  // Items changed from `from` on (an open drop-down follows).
  void itemsChanged(int from);
  void itemChanged(int index);
  // Selects without event 71; the text follows the item.
  void setSelected(int index);

  HWINDOW popupWindow() const;
  ListBox* popupList() const;
  HWINDOW openPopup();
  void closePopup();
  // A row of the drop-down was clicked.
  void choose(int index);

  XSize contentSize() override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  void defaultAction(int event, const EventArgs& args) override;
  // Editable: typed characters go to the end of the text, backspace takes the last one back and
  // escape empties it; each change raises 180.
  bool onChar(char16_t c) override;
  bool onKeyDown(int key, int flags) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  bool applyPathAttribute(std::string_view name, std::string_view value, const std::filesystem::path& folder) override;

 private:
  // The text an item shows in the box: column 0, else its first text.
  std::u16string itemText(int index) const;
  HADAPTER adapter_ = 0;
  TemplateSlot template_;
  HWINDOW popup_ = 0;
  HELE popupList_ = 0;
};

// Called by a drop-down list box when a row was clicked.
void comboItemChosen(HELE combo, int index);

}  // namespace tovalux::tk
