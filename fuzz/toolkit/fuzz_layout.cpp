// Layout and item-template files are theme data: load anything as a layout under a window and
// as a template, lay it out, paint it, then tear the toolkit down so every run starts clean.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/loader.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;

namespace {
// Drives the mouse over a window the input built: hover, click, drag and wheel on a grid.
void poke(HWINDOW handle) {
  for (int y = 5; y < 480; y += 37) {
    for (int x = 3; x < 640; x += 53) {
      Window* w = getWindow(handle);
      if (w == nullptr) return;
      mouseMove(*w, {x, y}, 0);
      if ((w = getWindow(handle)) == nullptr) return;
      leftDown(*w, {x, y}, mk_lbutton);
      if ((w = getWindow(handle)) == nullptr) return;
      mouseMove(*w, {x + 20, y + 9}, mk_lbutton);
      if ((w = getWindow(handle)) == nullptr) return;
      leftUp(*w, {x + 20, y + 9}, 0);
      if ((w = getWindow(handle)) == nullptr) return;
      mouseWheel(*w, {x, y}, -120);
    }
  }
  if (Window* w = getWindow(handle)) mouseLeave(*w);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // Files the layout names are looked up in a folder that does not exist.
  const std::filesystem::path folder = "/nonexistent-tovalux-fuzz";
  XInitXCGUI("fuzz");
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"", 0, 0, 0, 640, 480, nullptr, 47);
  XWnd_SetLayoutSize(frame, 7, 97, 7, 32);
  HXCGUI root = loadLayoutText(text, folder, frame, nullptr);
  if (XC_IsHELE(root)) {
    XWnd_BindLayoutEle(frame, bind_top, root);
    XWnd_AdjustLayout(frame);
    RecordingCanvas canvas;
    getWindow(frame)->paint(canvas);
    poke(frame);
  } else if (Window* w = getWindow(root)) {
    w->adjustLayout();
    RecordingCanvas canvas;
    w->paint(canvas);
    poke(root);
  }
  if (Template* t = loadTemplateText(text, folder, 0)) {
    HELE row = XLayout_Create(0, 0, 200, 20, frame);
    for (const auto* section : {&t->item, &t->header, &t->group})
      if (*section) instantiate(**section, t->folder, row);
    XEle_AdjustLayout(row);
  }
  XExitXCGUI();
  return 0;
}
