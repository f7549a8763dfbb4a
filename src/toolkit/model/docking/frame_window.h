// Frame windows: a window whose body holds dock panes around a central view.
// UI thread only. XFrameWnd_CreateEx makes one (createWindow<FrameWindow>); its dock site is
// made on first use.
#pragma once

#include <memory>

#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

class DockSite;

// A frame window: a window with dock panes (dock_site.h) around a central view, which takes the
// area of the body the docked panes leave.
class FrameWindow : public Window {
 public:
  FrameWindow();
  ~FrameWindow() override;
  bool isA(int type) const override { return type == XC_FRAMEWND || Window::isA(type); }
  Element* view = nullptr;
  DockSite& dock();

 protected:
  void arrangeBody(const XRect& body) override;
  void childRemoved(Element* child) override;

 private:
  std::unique_ptr<DockSite> dock_;
};

}  // namespace tovalux::tk
