// Not a test: what painting the frame costs at 200 % against 100 %. The gallery frame (the real
// theme's layouts, panes, trees, tool bars and icons) is laid out once, then painted whole into
// a back buffer by the toolkit's GDI canvas at 96 and at 192 dpi in turn, the way WM_PAINT
// paints it: four times the pixels, text made at the larger size, icons from their 32-pixel
// renditions. Rounds alternate between the two scales; medians and their ratio are printed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "base/gbk.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/win32/gallery/gallery.h"
#include "toolkit/win32/gdi_canvas.h"
#include "toolkit/win32/xcgui_win32.h"

using namespace tovalux;

int main(int argc, char** argv) {
  std::wstring theme = tovalux::gbkToUtf16<wchar_t>(TOVALUX_THEME_DIR_WINE);
  int rounds = 30;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
  if (!XInitXCGUI("Tovalux")) return 1;
  gallery::Gallery g = gallery::buildGallery(theme);
  XWnd_SetMinimumSize(g.frame, 300, 300);
  const XRect place{0, 0, 800, 600};
  XWnd_SetRect(g.frame, &place);
  XWnd_AdjustLayout(g.frame);
  tk::Window* frame = tk::getWindow(g.frame);
  if (frame == nullptr) return 1;

  struct Run {
    tk::Scale scale;
    tk::win32::Surface surface;
    std::vector<double> seconds;
  };
  Run runs[2] = {{tk::Scale(96), {}, {}}, {tk::Scale(192), {}, {}}};
  auto paintOnce = [&](Run& run) {
    const XRect device = run.scale.scale(XRect{0, 0, 800, 600});
    run.surface.ensure(device.right, device.bottom);
    return bench::timed([&] {
      tk::win32::GdiCanvas canvas(run.surface, device.right, device.bottom, run.scale);
      frame->paint(canvas);
      GdiFlush();
    });
  };
  // Fonts, image renditions and the rows of the data views are made at the first paint.
  for (Run& run : runs) paintOnce(run);
  for (int i = 0; i < rounds; ++i)
    for (Run& run : runs) run.seconds.push_back(paintOnce(run));
  const double at96 = bench::median(runs[0].seconds) * 1000, at192 = bench::median(runs[1].seconds) * 1000;
  std::printf("rounds                                   %d of each, alternating\n", rounds);
  std::printf("frame paint, 800 x 600 units, 96 dpi     %8.2f ms (median; 480,000 pixels)\n", at96);
  std::printf("frame paint, 800 x 600 units, 192 dpi    %8.2f ms (median; 1,920,000 pixels)\n", at192);
  std::printf("  ratio 192 / 96                         %8.3f (goal: at most 1.5)\n", at192 / at96);
  XExitXCGUI();
  return 0;
}
