// Data views at scale: a tree of 100,000 items inserted, expanded and painted, a list of
// 100,000 rows scrolled and painted, each beside the same view holding 100 items.
//
//   bench_toolkit [ROUNDS]       default 200 paints (or scroll steps) per measurement
//
// Paints go to a canvas that only counts, so the figures are the model's own cost: finding the
// items on screen, building their template objects, laying them out and walking them. The ratios
// are the time of one step with 100,000 items over the time with 100; the views are meant to
// keep them near 1 (goal: at most 1.2).
//
// Then the same views of 100,000 items with accessibility in place (the change listener on, its
// notices collected, every item on screen known by id, as with a screen reader reading) against
// the same steps without it: goal at most 1.05. The Windows side (WM_PAINT, NotifyWinEvent, a
// ui-dump of the frame) is bench_access, which runs under Wine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/model/access/accessible.h"
#include "toolkit/model/access/notices.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"
#include "bench_report.h"

namespace tk = tovalux::tk;

namespace {

class CountingCanvas : public tk::Canvas {
 public:
  void fillRect(const XRect&, XColor, uint8_t) override { ++ops; }
  void frameRect(const XRect&, XColor, uint8_t, int) override { ++ops; }
  void line(int, int, int, int, XColor, uint8_t) override { ++ops; }
  void fillPolygon(const XPoint*, int, XColor, uint8_t, tk::FillMode) override { ++ops; }
  void text(std::u16string_view, const XRect&, int, const tk::Font&, XColor, uint8_t) override { ++ops; }
  void image(const tk::Image&, const XRect&, tk::ImageMode) override { ++ops; }
  void pushClip(const XRect&) override {}
  void popClip() override {}
  size_t ops = 0;
};

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& work) {
  auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The median time of `rounds` calls of `step` (each call one paint or one scroll and paint).
double median(int rounds, const std::function<void(int)>& step) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(rounds));
  for (int i = 0; i < rounds; ++i) times.push_back(seconds([&] { step(i); }));
  std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
  return times[static_cast<size_t>(rounds / 2)];
}

XString file(const std::filesystem::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
  return tk::toX(p.u16string());
}

size_t paint(HWINDOW w) {
  CountingCanvas canvas;
  tk::getWindow(w)->paint(canvas);
  return canvas.ops;
}

// One paint; a one-line scroll and paint (one item comes into view); a one-page scroll and
// paint (every item on screen is new); a refresh and paint (every item on screen built again).
struct Steps {
  double paint = 0, line = 0, page = 0, refresh = 0;
  size_t ops = 0, objects = 0;
};

Steps steps(HWINDOW w, HELE view, int line, int rounds, const std::function<void()>& refresh) {
  Steps f;
  paint(w);
  f.paint = median(rounds, [&](int) { f.ops = paint(w); });
  f.objects = tk::context().registry.size();
  HELE bar = XSView_GetScrollBarV(view);
  const int page = tk::getElement(view)->height();
  f.line = median(rounds, [&](int i) {
    XSBar_ScrollPos(bar, i % 2 == 0 ? line : 0);
    paint(w);
  });
  f.page = median(rounds, [&](int i) {
    XSBar_ScrollPos(bar, i % 2 == 0 ? page : 0);
    paint(w);
  });
  f.refresh = median(rounds, [&](int) {
    refresh();
    paint(w);
  });
  return f;
}

void printSteps(const char* unit, const Steps& big, const Steps& small) {
  std::printf("  paint                   %9.1f us   100 %s: %6.1f us   ratio %.2f   (%zu / %zu drawing calls)\n",
              big.paint * 1e6, unit, small.paint * 1e6, big.paint / small.paint, big.ops, small.ops);
  std::printf("  scroll a line + paint   %9.1f us   100 %s: %6.1f us   ratio %.2f\n", big.line * 1e6, unit,
              small.line * 1e6, big.line / small.line);
  std::printf("  scroll a page + paint   %9.1f us   100 %s: %6.1f us   ratio %.2f\n", big.page * 1e6, unit,
              small.page * 1e6, big.page / small.page);
  std::printf("  refresh + paint         %9.1f us   100 %s: %6.1f us   ratio %.2f\n", big.refresh * 1e6, unit,
              small.refresh * 1e6, big.refresh / small.refresh);
  std::printf("  objects alive           %9zu      100 %s: %zu\n", big.objects, unit, small.objects);
}

// Accessibility off (nobody listens to the model) or on (notices started and served after every
// step, the items on screen given ids).
void accessibility(bool on, HELE view) {
  namespace ax = tk::access;
  if (!on) {
    ax::stopNotices();
    tk::setAccessListener(nullptr);
    return;
  }
  ax::startNotices(nullptr);
  if (auto r = ax::refOfHandle(view))
    for (int i = 0, n = std::min(ax::childCount(*r), 64); i < n; ++i)
      if (auto item = ax::childAt(*r, i)) ax::idOf(*item);
  ax::takeNotices();
}

// The steps of one view without and with accessibility, alternating, the better of two each.
std::string accessSteps(HWINDOW w, HELE view, int line, int rounds, const std::function<void()>& refresh) {
  Steps off[2], on[2];
  for (int pass = 0; pass < 2; ++pass) {
    accessibility(false, view);
    off[pass] = steps(w, view, line, rounds, refresh);
    accessibility(true, view);
    on[pass] = steps(w, view, line, rounds, [&] {
      refresh();
      tk::access::takeNotices();
    });
    tk::access::takeNotices();
  }
  accessibility(false, view);
  auto best = [](const Steps* s, double Steps::*f) { return std::min(s[0].*f, s[1].*f); };
  std::string out;
  for (auto [name, field] :
       {std::pair{"paint", &Steps::paint}, std::pair{"scroll a line + paint", &Steps::line},
        std::pair{"scroll a page + paint", &Steps::page}, std::pair{"refresh + paint", &Steps::refresh}}) {
    char text[160];
    std::snprintf(text, sizeof text, "  %-22s %9.1f us   without: %9.1f us   ratio %.3f\n", name, best(on, field) * 1e6,
                  best(off, field) * 1e6, best(on, field) / best(off, field));
    out += text;
  }
  return out;
}

struct TreeFigures {
  double insert = 0, expand = 0, firstPaint = 0;
  Steps steps;
  std::string access;
};

// `parents` top-level items with `children` each, all expanded; a 300 x 600 view of 20-pixel lines.
TreeFigures tree(const XString& temp, int parents, int children, int rounds) {
  TreeFigures f;
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 320, 640);
  HELE tree = XTree_Create(0, 0, 300, 600, w);
  XTree_SetItemTemplateXML(tree, temp.c_str());
  XTree_SetIndentation(tree, 10);
  XWnd_AdjustLayout(w);
  std::vector<int> ids;
  f.insert = seconds([&] {
    for (int p = 0; p < parents; ++p) {
      int id = XTree_InsertItemText(tree, u"");
      XTree_SetItemText(tree, id, 1, u"支持库");
      ids.push_back(id);
      for (int c = 0; c < children; ++c) XTree_SetItemText(tree, XTree_InsertItemText(tree, u"", id), 1, u"命令");
    }
  });
  f.expand = seconds([&] {
    for (int id : ids) XTree_ExpandItem(tree, id, true);
  });
  f.firstPaint = seconds([&] { paint(w); });
  f.steps = steps(w, tree, 20, rounds, [tree] { XTree_RefreshData(tree); });
  if (parents * (children + 1) >= 100000)
    f.access = accessSteps(w, tree, 20, rounds, [tree] { XTree_RefreshData(tree); });
  XWnd_CloseWindow(w);
  return f;
}

struct ListFigures {
  double fill = 0;
  Steps steps;
  std::string access;
};

// A 600 x 600 list of three columns and 18-pixel rows with a 105 handler, as the disassembly.
ListFigures list(const XString& temp, int rows, int rounds) {
  ListFigures f;
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 620, 640);
  HELE list = XList_Create(0, 0, 600, 600, w);
  XList_SetItemTemplateXML(list, temp.c_str());
  XList_SetHeaderHeight(list, 20);
  XList_SetItemHeightDefault(list, 18, 18);
  XList_CreateAdapterHeader(list);
  XList_CreateAdapter(list);
  XList_AddColumnText(list, 80, u"", u"地址");
  XList_AddColumnText(list, 200, u"", u"机器代码");
  XList_AddColumnText(list, 260, u"", u"汇编代码");
  XEle_RegEventC1(list, XE_LIST_DRAWITEM, [list](HELE, HDRAW draw, XListItemRecord* item, bool*) {
    XDraw_FillRectColor(draw, &item->rect, static_cast<XColor>(XList_GetItemData(list, item->index, item->column)));
    return 0;
  });
  f.fill = seconds([&] {
    for (int r = 0; r < rows; ++r) {
      XList_AddItemText(list, u"00401000");
      XList_SetItemText(list, r, 1, u"55 8B EC");
      XList_SetItemText(list, r, 2, u"push ebp");
      for (int c = 0; c < 3; ++c) XList_SetItemData(list, r, c, 0x302D2D);
    }
  });
  XWnd_AdjustLayout(w);
  f.steps = steps(w, list, 18, rounds, [list] { XList_RefreshData(list); });
  if (rows >= 100000) f.access = accessSteps(w, list, 18, rounds, [list] { XList_RefreshData(list); });
  XWnd_CloseWindow(w);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(11, std::atoi(argv[1])) : 200;
  XInitXCGUI("Tovalux");
  const auto dir = std::filesystem::temp_directory_path() / "tovalux-bench-toolkit";
  std::filesystem::create_directories(dir);
  const XString treeTemp = file(dir / "tree.xml", R"(<template for="tree"><item height="20">
    <layout width="fill" height="fill" flow="horizontal" alignV="center" spacing="3">
      <button itemId="0" type="check" width="16" height="16" bkTransparent="true"/>
      <shapePic itemId="1" column="name1" width="16" height="16"/>
      <shapeText itemId="2" column="name2" width="fill" height="fill"/>
    </layout></item></template>)");
  const XString listTemp = file(dir / "list.xml", R"(<template for="list"><item height="18">
    <shapeText itemId="1" column="0" width="fill" height="fill" padding="6,0,4,0"/>
    <shapeText itemId="2" column="1" width="fill" height="fill" padding="6,0,4,0"/>
    <shapeText itemId="3" column="2" width="fill" height="fill" padding="6,0,4,0"/>
  </item></template>)");

  std::printf("Data views: %d paints per figure (medians), a counting canvas\n\n", rounds);
  const TreeFigures t100 = tree(treeTemp, 10, 9, rounds);
  const TreeFigures tBig = tree(treeTemp, 1000, 99, rounds);
  std::printf("Tree, 100,000 items (1,000 expanded parents of 99)\n");
  std::printf("  insert with labels      %9.1f ms\n", tBig.insert * 1e3);
  std::printf("  expand 1,000 parents    %9.3f ms\n", tBig.expand * 1e3);
  std::printf("  first paint             %9.3f ms   (orders the items, builds the 30 lines on screen)\n",
              tBig.firstPaint * 1e3);
  printSteps("items", tBig.steps, t100.steps);
  std::printf("\n");

  const ListFigures l100 = list(listTemp, 100, rounds);
  const ListFigures lBig = list(listTemp, 100000, rounds);
  std::printf("List with header, 100,000 rows of 3 cells, a 105 handler filling every cell\n");
  std::printf("  fill                    %9.1f ms\n", lBig.fill * 1e3);
  printSteps("rows", lBig.steps, l100.steps);
  tovalux::bench::reportFigure("toolkit_tree_paint_100k", tBig.steps.paint * 1e6, "us",
                               tovalux::bench::format("100 items: %.1f us, ratio %.2f", t100.steps.paint * 1e6,
                                                      tBig.steps.paint / t100.steps.paint),
                               "lower");
  tovalux::bench::reportFigure("toolkit_list_paint_100k", lBig.steps.paint * 1e6, "us",
                               tovalux::bench::format("100 rows: %.1f us, ratio %.2f", l100.steps.paint * 1e6,
                                                      lBig.steps.paint / l100.steps.paint),
                               "lower");
  std::printf(
      "\nAccessibility in place against none (goal: ratio at most 1.05)\nTree, 100,000 items\n%s"
      "List, 100,000 rows\n%s",
      tBig.access.c_str(), lBig.access.c_str());
  XExitXCGUI();
  std::filesystem::remove_all(dir);
  return 0;
}
