// What a mirrored item costs in the model, natively: the heap the toolkit's tree and the pane's
// own tables hold per project-tree item, and the toolkit per search-result row.
//
//   bench_pane_memory [ITEMS...]     default 10,000 and 100,000
//
// Each item is made as the project pane makes it: an item with its icon, the label in column 1,
// the host handle in decimal in column 2, then the pane's record of it (label, parent, icon) and
// the host-to-pane map. Each row as the search pane adds it. The heap is glibc's, counted with
// mallinfo2 (chunks in use, with their headers); the figures are for this 64-bit build, where
// pointers and strings are twice as wide as in the 32-bit plug-in. The Windows benchmark
// (bench_memory) takes the plug-in's private bytes under Wine; this one shows where they go and
// moves the same way, repeatably, on any machine.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "panes/project_tree_rules.h"
#include "panes/project_tree_search.h"
#include "toolkit/xcgui.h"
#include "toolkit/xcgui_views.h"
#include "bench_report.h"

namespace {

long long heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

struct PerItem {
  double toolkit = 0;
  double pane = 0;
};

// The program tree of a big project: a root, then groups of 100 (an assembly and 99 subprograms).
PerItem treeItems(HWINDOW window, int count) {
  HELE tree = XTree_Create(0, 0, 300, 600, window);
  XTree_CreateAdapter(tree);
  tovalux::PaneItems items;
  tovalux::project::HostItemMap map;
  long long toolkitBytes = 0, paneBytes = 0;
  tovalux::project::HostHandle nextHost = 0x00A31F08;
  const auto add = [&](int parent, const std::string& label, const char* icon) {
    const long long start = heapInUse();
    const int id = XTree_InsertItemImage(tree, 0, parent, XC_ID_LAST);
    XTree_SetItemText(tree, id, 1, tovalux::gbkToUtf16<XChar>(label).c_str());
    XTree_SetItemText(tree, id, 2, tovalux::gbkToUtf16<XChar>(tovalux::project::handleText(nextHost)).c_str());
    const long long made = heapInUse();
    items.add(id, parent, label, icon);
    map.add(nextHost, id);
    nextHost += 0x38;
    toolkitBytes += made - start;
    paneBytes += heapInUse() - made;
    return id;
  };
  const int root = add(0, "演示.e", "ProjectRoot");
  int group = 0;
  for (int i = 1; i < count; ++i) {
    if (i % 100 == 1)
      group = add(root, "程序集_" + std::to_string(i / 100), "Assembly");
    else
      add(group, "子程序_" + std::to_string(i), "SubProgram");
  }
  const long long beforeRefresh = heapInUse();
  XTree_ExpandItem(tree, root, true);
  XTree_RefreshData(tree);
  toolkitBytes += heapInUse() - beforeRefresh;
  XEle_Destroy(tree);
  return {static_cast<double>(toolkitBytes) / count, static_cast<double>(paneBytes) / count};
}

double listRows(HWINDOW window, int count) {
  HELE list = XListBox_Create(0, 0, 300, 600, window);
  XListBox_CreateAdapter(list);
  const long long start = heapInUse();
  for (int k = 0; k < count; ++k) {
    const std::string line =
        "程序集: 窗口程序集_启动窗口 (" + std::to_string(k + 1) + "): 计次循环首 第" + std::to_string(k) + "处";
    XListBox_AddItemText(list, tovalux::gbkToUtf16<XChar>(line).c_str());
  }
  XListBox_RefreshData(list);
  const double perRow = static_cast<double>(heapInUse() - start) / count;
  XEle_Destroy(list);
  return perRow;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int k = 1; k < argc; ++k) counts.push_back(std::max(100, std::atoi(argv[k])));
  if (counts.empty()) counts = {10000, 100000};
  XInitXCGUI("Tovalux");
  HWINDOW window = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 320, 640);
  std::printf("Heap per mirrored item in the model (this 64-bit build; glibc chunks with their headers)\n");
  for (const int count : counts) {
    const PerItem tree = treeItems(window, count);
    const double row = listRows(window, count);
    std::printf("  %7d tree items: toolkit %6.1f B + pane %6.1f B = %6.1f B per item;  search rows: %6.1f B per row\n",
                count, tree.toolkit, tree.pane, tree.toolkit + tree.pane, row);
    if (count == 100000) {
      tovalux::bench::reportFigure(
          "model_tree_item_bytes_100k", tree.toolkit + tree.pane, "B",
          tovalux::bench::format("toolkit %.1f B, pane %.1f B, 64-bit", tree.toolkit, tree.pane), "lower");
      tovalux::bench::reportFigure("model_list_row_bytes_100k", row, "B", "64-bit", "lower");
    }
  }
  XWnd_CloseWindow(window);
  XExitXCGUI();
  return 0;
}
