// Frame windows: the dock site takes its part of the body first, the view gets the rest, and
// whatever else the frame holds flows in the body as in any window.
#include "toolkit/model/docking/frame_window.h"

#include <algorithm>

#include "toolkit/model/docking/dock_site.h"

namespace tovalux::tk {

FrameWindow::FrameWindow() : Window(XC_FRAMEWND) {}
FrameWindow::~FrameWindow() = default;

DockSite& FrameWindow::dock() {
  if (!dock_) dock_ = std::make_unique<DockSite>(*this);
  return *dock_;
}

void FrameWindow::childRemoved(Element* child) {
  if (view == child) view = nullptr;
}

void FrameWindow::arrangeBody(const XRect& area) {
  XRect rest = dock_ ? dock_->arrange(area) : area;
  if (view != nullptr && view->visible) view->rect = rest;
  // Other children flow in the body, as in any window.
  std::vector<Element*> flowItems;
  for (Element* c : children()) {
    if (!c->visible || c == view || std::find(std::begin(bound), std::end(bound), c) != std::end(bound)) continue;
    if (dock_ && dock_->manages(*c)) continue;
    if (c->floating)
      placeFree(*c, area);
    else
      flowItems.push_back(c);
  }
  flowLayout(flowItems, area, false, 0, align_left, align_top);
}

}  // namespace tovalux::tk
