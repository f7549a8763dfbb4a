// Background descriptors come from theme code and, through the theme folder, from files a user
// can edit: parse anything, and paint whatever parses in every state the painter knows.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/xcgui.h"

namespace {
void setUp() {
  XInitXCGUI("fuzz");
  tovalux::tk::resourceStore().resources.parse(
      "[colors]\nID_COLOR_WinBg = #2D2D30\nID_COLOR_WinBd = #007ACC\nID_COLOR_PaneBd = rgba(63,63,70,128)\n", ".");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (setUp(), true);
  (void)ready;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto info = tovalux::tk::parseDescriptor(text);
  if (!info) return 0;
  static constexpr uint32_t kStates[] = {XBK_NORMAL,
                                         XBK_HOVER,
                                         XBK_PRESSED,
                                         XBK_DISABLE | XBK_UNCHECKED,
                                         XBK_NORMAL | XBK_UNCHECKED,
                                         XBK_HOVER | XBK_CHECKED,
                                         XBK_NORMAL | XBK_CHECKED | XBK_PANE_ACTIVE,
                                         XBK_WINDOW_INACTIVE | XBK_NORMAL};
  for (uint32_t state : kStates) {
    tovalux::tk::RecordingCanvas canvas;
    tovalux::tk::paintDescriptor(canvas, *info, {0, 0, 37, 21}, state, tovalux::tk::resourceStore().resources);
    tovalux::tk::paintDescriptor(canvas, *info, {5, 5, 5, 5}, state, tovalux::tk::resourceStore().resources);
  }
  return 0;
}
