// Scroll views: a vertical and a horizontal scroll bar as children, and the other children (the
// content) shown shifted by the scroll position, clipped to the view area (the element less its
// insets and the bars). Data views and edits derive from it.
// UI thread only. A view moves its content by shifting it (childOffset), never by moving the
// children, so their rectangles stay in content coordinates.
#pragma once

#include "toolkit/model/controls/scrollbar.h"

namespace tovalux::tk {

class ScrollView : public Element {
 public:
  explicit ScrollView(int type = XC_SCROLLVIEW) : Element(type) {}
  bool isA(int type) const override { return type == XC_SCROLLVIEW || Element::isA(type); }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("scrollView"); }
  void build() override;

  ScrollBar* barV() const;
  ScrollBar* barH() const;
  bool showV = true;
  bool showH = true;
  bool autoShow = true;
  int barSize = 17;
  XRect insets;     // XSView_SetBorderSize
  XSize totalSize;  // content size
  XPoint scroll;    // content offset shown at the view's top-left
  // The area the content shows in (element coordinates), valid after arrange().
  XRect viewRect() const { return viewRect_; }
  void setTotalSize(XSize size);
  void scrollTo(XPoint p);
  virtual void barScrolled(ScrollBar* bar);
  // The wheel scrolls the vertical bar, when it shows and has a range.
  bool scrollByWheel(int delta) override;

  void arrange() override;
  XPoint childOffset(const Element* child) const override;
  XRect childClip(const Element* child) const override;
  bool applyAttribute(std::string_view name, std::string_view value) override;

 protected:
  // The content's size when nothing was set (edits measure their text).
  virtual XSize measureContent() { return totalSize; }
  bool isBar(const Element* e) const;

 private:
  XRect viewRect_;
};

}  // namespace tovalux::tk
