// Scroll bars: three button children, the up (left) arrow, the down (right) arrow and the
// slider; the slider moves in the track between the arrows over the range 0..range. Every real
// change of the position raises 56 with the new position.
// UI thread only. A bar answers the input code's scroll hooks (Element::pressAt, slideTo); its
// owner (a scroll view) hears of changes through event 56 or barScrolled.
#pragma once

#include "toolkit/model/controls/button.h"

namespace tovalux::tk {

class ScrollBar;

class ScrollBarButton : public Button {
 public:
  enum class Part { up, down, slider };
  explicit ScrollBarButton(Part part) : part(part) {}
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back(part == Part::slider ? "scrollBarSlider" : "scrollBarArrow");
    out.push_back("button");
  }
  const Part part;
  // The slider starts a slide of its bar (tree/input.cpp).
  std::optional<Slide> pressAt(XPoint pt) override;
  void defaultAction(int event, const EventArgs& args) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
};

class ScrollBar : public Element {
 public:
  ScrollBar() : Element(XC_SCROLLBAR) {}
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("scrollBar"); }
  void build() override;

  bool horizontal = false;
  int range = 100;
  int pos = 0;
  int page = 0;          // visible extent, for the automatic slider length
  int sliderLength = 0;  // 0: automatic
  int sliderPadding = 0;
  int step = 1;
  bool showButtons = true;

  ScrollBarButton* up() const;
  ScrollBarButton* down() const;
  ScrollBarButton* slider() const;
  // Moves to `p` (clamped to the range); raises 56 when the position changed.
  bool scrollTo(int p);
  void setRange(int r);
  // The track the slider moves in and the slider's length (element coordinates, along the bar).
  std::pair<int, int> track() const;
  int sliderExtent() const;
  // The position for a slider whose leading edge is at `offset` along the bar (dragging).
  int positionAt(int offset) const;
  // How far along the bar `pt` (window-client) lies.
  int along(XPoint pt) const;

  // A press on the track pages towards the cursor; while its slider is held the bar follows it.
  std::optional<Slide> pressAt(XPoint pt) override;
  void slideTo(XPoint pt, int grip) override;

  void arrange() override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
};

}  // namespace tovalux::tk
