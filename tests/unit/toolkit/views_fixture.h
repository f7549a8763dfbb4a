// Helpers of the data-view tests: a window to hold a view, painting into a recording canvas,
// item templates written to the scratch folder, clicks at window points.
#pragma once

#include <string>
#include <vector>

#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {

class ViewsTest : public ToolkitTest {
 protected:
  HWINDOW window(int width = 400, int height = 300) { return XWnd_CreateEx(0, u"", u"", 0, 0, 0, width, height); }
  static tk::Window& win(HWINDOW h) { return *tk::getWindow(h); }
  static tk::RecordingCanvas paint(HWINDOW h) {
    tk::RecordingCanvas canvas;
    win(h).paint(canvas);
    return canvas;
  }
  static size_t objects() { return tk::context().registry.size(); }
  static XRect wrect(HXCGUI e) {
    tk::Element* el = tk::getElement(e);
    if (el == nullptr) ADD_FAILURE() << "no element " << e;
    return el != nullptr ? el->windowRect() : XRect{-1, -1, -1, -1};
  }
  static void click(HWINDOW h, XPoint pt) {
    tk::leftDown(win(h), pt, tk::mk_lbutton);
    if (tk::getWindow(h) != nullptr) tk::leftUp(win(h), pt, 0);
  }
  XString templateFile(const std::string& name, const std::string& body) { return x(write(name, body)); }
  static XString shapeText(HXCGUI h) { return XShapeText_GetText(h); }
};

// A tree row: 0 the expand button, 1 the icon (name1), 2 the label (name2).
inline constexpr char kTreeTemplate[] = R"(<template for="tree">
  <item height="20">
    <layout width="fill" height="fill" flow="horizontal">
      <button itemId="0" type="check" width="16" height="16"/>
      <shapePic itemId="1" column="name1" width="16" height="16"/>
      <shapeText itemId="2" column="name2" width="fill" height="fill"/>
    </layout>
  </item>
</template>)";

// A leaf row without the expand button.
inline constexpr char kLeafTemplate[] = R"(<template for="tree">
  <item height="20"><shapeText itemId="2" column="name2" width="fill" height="fill"/></item>
</template>)";

}  // namespace tovalux::testing
