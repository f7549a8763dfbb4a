// Toolkit windows (model side): client size, layout margins with the four bound edge elements,
// the frame's view, background manager, window-message handlers and the dirty areas the
// backend paints. The native window is the backend's; the model only keeps its handle.
// UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

class Window : public Object {
 public:
  explicit Window(int type = XC_WINDOW) : Object(type) {}
  ~Window() override;
  bool isA(int type) const override { return type == XC_WINDOW || Object::isA(type); }
  EventTable* events() override { return &events_; }

  // Native side.
  std::u16string className;
  std::u16string title;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int xcStyle = 0;
  XHWND parentNative = nullptr;
  HWINDOW owner = 0;
  XHWND native = nullptr;  // set by the backend

  XRect rect;  // position (screen or parent client) and size
  int clientWidth() const { return rect.width(); }
  int clientHeight() const { return rect.height(); }
  XSize minSize;
  XRect margins;           // XWnd_SetLayoutSize
  Element* bound[4] = {};  // top, bottom, left, right
  int transparentType = 0;
  int transparentAlpha = 255;
  struct Shadow {
    int size = 0, depth = 0, cornerSize = 0;
    bool rightAngle = false;
    XColor color = 0;
  } shadow;
  bool dragWindow = false;
  bool dragCaption = false;
  bool visible = false;
  bool active = false;
  bool maximized = false;
  HBKM bkManager = 0;

  // Input state (input.cpp): handles, so a destroyed element is simply no longer found.
  HELE hovered = 0;
  HELE captured = 0;
  HELE focused = 0;
  struct Drag {
    enum class Kind { none, slider, border } kind = Kind::none;
    HELE element = 0;
    int edge = 0;
    int grab = 0;  // slider: cursor offset inside the slider; border: last cursor position
  } drag;

  const std::vector<Element*>& children() const { return children_; }
  void insertChild(Element* child, int index = -1);
  void removeChild(Element* child);
  void bind(int position, Element* element);
  HBKM bkm();

  // Lays out the bands, the body and every subtree; raises 36 where rectangles changed.
  void adjustLayout();
  virtual void arrange();
  // The area inside the margins.
  XRect body() const;
  uint32_t bkState() const { return (active ? XBK_WINDOW_ACTIVE : XBK_WINDOW_INACTIVE) | XBK_NORMAL; }

  // Redraw requests collected for the backend (window-client coordinates).
  void invalidate(const XRect& area, bool immediate);
  void invalidateAll(bool immediate) { invalidate({0, 0, clientWidth(), clientHeight()}, immediate); }
  std::vector<XRect> takeDirty();
  // While the window paints, requests (rows realised by the paint itself) are held and go to the
  // platform as one area when the paint ends: one more paint, not one request per row.
  void holdRequests() { ++holding_; }
  bool holdingRequests() const { return holding_ > 0; }
  void releaseRequests();
  const std::vector<XRect>& dirty() const { return dirty_; }

  virtual void paint(Canvas& canvas);
  // Destroys the window with its elements (no close event).
  static void destroy(Window* window);

 protected:
  // Places the elements of the body (everything neither bound nor owned by a subclass).
  virtual void arrangeBody(const XRect& body);
  // A child element left the window (detached or destroyed): a kind that points at its children
  // (a frame's view) forgets it here.
  virtual void childRemoved(Element* /*child*/) {}

 private:
  std::vector<Element*> children_;
  // The pending rectangles and `with` as their one bounding box, which it answers.
  XRect mergeDirty(XRect with);
  std::vector<XRect> dirty_;
  int holding_ = 0;
  EventTable events_;
};

Window* getWindow(HXCGUI handle);

// XExitXCGUI: destroys every window (the platform hears of each), every element tree and every
// other object, drops the theme's resources and answers "not initialised" afterwards.
void shutdown();

// Registers a window of kind T (a plain window, or a kind of a layer above: frame, menu pop-up,
// floating pane) and lists it among the live windows; the caller fills it in, then calls
// announceWindow so the platform creates the native window.
template <class T = Window>
T* createWindow() {
  Context& ctx = context();
  T* w = ctx.registry.create<T>();
  ctx.windows.push_back(w->handle());
  return w;
}
void announceWindow(Window* window);

}  // namespace tovalux::tk
