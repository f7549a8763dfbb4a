// Elements: the retained tree every window holds (layout elements, shapes, buttons, bars...).
//
// Geometry: `rect` is in the parent's coordinates (the parent's top-left corner is 0,0);
// windowRect() walks up to window-client coordinates. A parent that flows (layout elements,
// tool bars, window bodies) places its children with the box layout of tree/layout.cpp; any
// other parent leaves them at their own position and only applies their size rules.
//
// UI thread only. An element holds pointers only to its parent and children; everything else it
// refers to (its window's input state, bound neighbours, background manager) is a handle, so a
// destroyed object is simply no longer found.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/model/core/object.h"
#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

class Canvas;
class Font;
class Window;
struct XmlNode;

struct SizeRule {
  int type = layout_size_fixed;
  int value = 0;  // fixed: pixels; weight: share
};

class Element : public Object {
 public:
  explicit Element(int type = XC_ELE) : Object(type) {}
  ~Element() override;

  bool isA(int type) const override;
  EventTable* events() override { return &events_; }
  // Kind name of layouts and style sheets ("button"), then the kinds this one derives from.
  virtual void kindNames(std::vector<std::string_view>& out) const { out.push_back("element"); }
  // Shapes are tree members but not elements (XC_IsHELE answers false for them).
  virtual bool isShape() const { return false; }

  // --- tree -------------------------------------------------------------------------------
  Element* parent() const { return parent_; }
  Window* parentWindow() const { return parentWindow_; }  // direct parent when it is a window
  Window* window() const;                                 // the window holding the element
  const std::vector<Element*>& children() const { return children_; }
  int indexOf(const Element* child) const;
  // Moves `child` under this element at `index` (-1 or past the end: last).
  void insertChild(Element* child, int index = -1);
  void detach();
  // Destroys the element, its subtree and its background manager; their handles die.
  static void destroy(Element* element);

  // --- geometry ---------------------------------------------------------------------------
  XRect rect;
  SizeRule widthRule, heightRule;
  XSize minSize;
  bool floating = false;  // not placed by a flowing parent
  bool flows = false;
  bool vertical = false;
  int spacing = 0;
  int alignH = align_left;
  int alignV = align_top;
  XRect padding;
  XRect border;
  int width() const { return rect.width(); }
  int height() const { return rect.height(); }
  XRect windowRect() const;
  // Shift of a child's position when placed and painted (a scroll view moves its content,
  // not its scroll bars).
  virtual XPoint childOffset(const Element* /*child*/) const { return {0, 0}; }
  void setWidth(int w);
  void setHeight(int h);

  // --- properties -------------------------------------------------------------------------
  int id = 0;
  std::u16string name;
  bool visible = true;
  bool enabled = true;
  std::u16string tooltip;
  std::optional<std::pair<XColor, uint8_t>> textColor;
  HFONTX font = 0;
  bool bkTransparent = false;
  bool mouseThrough = false;
  int dragBorder = 0;
  struct DragBind {
    HELE element = 0;
    int space = 0;
  };
  DragBind dragBinds[4];  // per edge: left, top, right, bottom
  bool cssEnabled = true;
  std::u16string cssClass;
  std::optional<ColorValue> bkColor;
  HBKM bkManager = 0;

  // Part of what a view builds to show its items (a row, a header cell and everything in them;
  // children inherit it): the accessible description lets the item stand for it, so its
  // comings and goings (painting builds rows) are not reported to the access feed.
  bool itemPart = false;

  // Interaction state, kept by the backend's input handling.
  bool hovered = false;
  bool pressed = false;
  bool focused = false;

  void setName(std::u16string_view name);
  // The background manager, created on first request.
  HBKM bkm();
  const Font& effectiveFont() const;
  // The text colour: explicit, else the style sheet's, else the kind's default.
  std::pair<XColor, uint8_t> effectiveTextColor() const;
  unsigned cssState() const;

  // --- behaviour --------------------------------------------------------------------------
  // Measured size for "auto": the content plus padding.
  virtual XSize contentSize();
  // Places the children inside the element's own rectangle.
  virtual void arrange();
  // The state word the background descriptor is painted for.
  virtual uint32_t bkState() const;
  // Paints what the element shows over its background (text, icon); `abs` is its window rect.
  virtual void paintContent(Canvas& /*canvas*/, const XRect& /*abs*/) {}
  // A background of the kind's own, used when no descriptor, style sheet or bkColor applies.
  virtual void paintDefaultBackground(Canvas& /*canvas*/, const XRect& /*abs*/) {}
  void defaultAction(int event, const EventArgs& args) override;
  // Keyboard input while the element has the focus (XKey numbers; flags as the mouse's
  // mk_shift/mk_control). Answer true when taken; otherwise the parent is asked.
  virtual bool onKeyDown(int /*key*/, int /*flags*/) { return false; }
  virtual bool onChar(char16_t /*c*/) { return false; }
  // Asks the window to repaint the element.
  void redraw(bool immediate = false);
  // A layout attribute for this kind (FORMATS.md 1.3); false when unknown.
  virtual bool applyAttribute(std::string_view /*name*/, std::string_view /*value*/) { return false; }
  // The image a layout's "image", "icon" or "iconDisable" attribute names, already loaded (0 when
  // it could not be): picture shapes and buttons keep it, other kinds ignore it.
  virtual void applyImageAttribute(std::string_view /*name*/, HIMAGE /*image*/) {}
  // A child tag the kind reads itself instead of having an element built from it (a tab bar's
  // <label>); false lets the loader build it as usual.
  virtual bool applyChildTag(const XmlNode& /*child*/) { return false; }
  // Creates the element's own sub-elements (scroll-bar buttons...) once it has a handle.
  virtual void build() {}
  // Content area for children, and the clip they are painted in (element coordinates).
  virtual XRect childClip(const Element* /*child*/) const { return {0, 0, width(), height()}; }
  // Moves the drag border `edge` by `delta` pixels while the user drags it; answers how far it
  // moved. The default resizes the element (dragEdge, input.h); splitters move what they split.
  virtual int dragBorderBy(int edge, int delta);
  // 31/32 also when the focus enters or leaves the element's subtree (dock panes).
  virtual bool tracksFocusWithin() const { return false; }

  // --- scrolling: the hooks the input code (tree/input.cpp) asks, so that it needs to know no
  // scroll-bar kind (controls/scrollbar.h and scroll_view.h answer them) -----------------------
  // The wheel turned by `delta` (120 a notch, positive away from the user) over the element's
  // subtree: answer true when it scrolled; false offers the wheel to the parent.
  virtual bool scrollByWheel(int /*delta*/) { return false; }
  // A left press at `pt` (window-client) on the element, just before 10 is raised: a bar's track
  // pages here; a bar's slider answers the element that follows the cursor while the button is
  // held (slideTo) and the grip, how far along the slider it was taken.
  struct Slide {
    HELE element = 0;
    int grip = 0;
  };
  virtual std::optional<Slide> pressAt(XPoint /*pt*/) { return std::nullopt; }
  // The cursor moved to `pt` (window-client) during a slide pressAt started.
  virtual void slideTo(XPoint /*pt*/, int /*grip*/) {}

  // Size-change bookkeeping (event 36).
  XRect lastWindowRect{0, 0, -1, -1};

 protected:
  // Called after a child was inserted or removed (tool bars and tab bars keep lists).
  virtual void childrenChanged() {}

 private:
  friend class Window;
  Element* parent_ = nullptr;
  Window* parentWindow_ = nullptr;
  std::vector<Element*> children_;
  EventTable events_;
};

// Measured "preferred" size of a child for its parent's layout: fixed values, content for
// auto, the minimum for fill and weights.
XSize preferredSize(Element& element);

// Lays the element's subtree out again and raises event 36 on every element whose window
// rectangle changed.
void adjustLayout(Element& element);
void raiseSizeEvents(Element& root);

// The box layout of one flowing container (FORMATS.md 1.4): places `items` in `inner`.
void flowLayout(const std::vector<Element*>& items, const XRect& inner, bool vertical, int spacing, int alignH,
                int alignV);
// Non-flowing placement: keeps the child's position and resolves its size rules.
void placeFree(Element& child, const XRect& inner);

// Paints the element and its subtree; `origin` is the window position of the parent's 0,0.
void paintElement(Canvas& canvas, Element& element, XPoint origin);

// The element of that handle when live (shapes included), else null.
Element* getElement(HXCGUI handle);

// Creates and registers an element of kind T, builds its sub-elements and puts it under
// `parent` (an element, a window, or 0) at `rect`.
template <class T, class... A>
T* makeElement(HXCGUI parent, const XRect& rect, A&&... args);
void attachToParent(Element* element, HXCGUI parent);

}  // namespace tovalux::tk

#include "toolkit/model/core/context.h"

namespace tovalux::tk {
template <class T, class... A>
T* makeElement(HXCGUI parent, const XRect& rect, A&&... args) {
  T* e = context().registry.create<T>(std::forward<A>(args)...);
  e->rect = rect;
  e->widthRule = {layout_size_fixed, std::max(0, rect.width())};
  e->heightRule = {layout_size_fixed, std::max(0, rect.height())};
  e->build();
  attachToParent(e, parent);
  return e;
}
}  // namespace tovalux::tk
