#include "host/host_tree.h"

#include <cstring>
#include <string_view>

#include "base/gbk_scan.h"
#include "host/host_memory.h"

namespace tovalux {
namespace {

HTREEITEM nextItem(HWND tree, WPARAM relation, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

HTREEITEM treeRoot(HWND tree) { return nextItem(tree, TVGN_ROOT, nullptr); }

HTREEITEM treeChild(HWND tree, HTREEITEM item) { return item ? nextItem(tree, TVGN_CHILD, item) : nullptr; }

HTREEITEM treeNext(HWND tree, HTREEITEM item) { return item ? nextItem(tree, TVGN_NEXT, item) : nullptr; }

HTREEITEM treeParent(HWND tree, HTREEITEM item) { return item ? nextItem(tree, TVGN_PARENT, item) : nullptr; }

int32_t treeCount(HWND tree) { return static_cast<int32_t>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)); }

std::string treeItemText(HWND tree, HTREEITEM item) {
  if (!item) return {};
  char buffer[kTreeItemTextCap + 1] = {};
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = buffer;
  request.cchTextMax = static_cast<int>(sizeof buffer);
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request))) return {};
  buffer[kTreeItemTextCap] = '\0';
  const char* text = request.pszText;
  if (text == buffer) {
    const std::string_view read(buffer, strnlen(buffer, kTreeItemTextCap));
    return std::string(read.substr(0, gbkSafeCut(read, kTreeItemTextCap)));
  }
  // A text the control keeps elsewhere: read as far as it is readable.
  return readHostText(text, kTreeItemTextCap).value_or(std::string());
}

bool treeSelect(HWND tree, HTREEITEM item) {
  return static_cast<int32_t>(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item))) > 0;
}

std::string hostItemText(HWND tree, HTREEITEM item) {
  std::string text = treeItemText(tree, item);
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

int hostItemImage(HWND tree, HTREEITEM item) {
  if (!item) return -1;
  TVITEMA request{};
  request.mask = TVIF_IMAGE;
  request.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request))) return -1;
  return request.iImage;
}

bool hostItemExpanded(HWND tree, HTREEITEM item) {
  if (!item) return false;
  const LRESULT state = SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

bool selectHostItem(HWND tree, HTREEITEM item) { return treeSelect(tree, item); }

HTREEITEM selectedHostItem(HWND tree) { return nextItem(tree, TVGN_CARET, nullptr); }

std::vector<HTREEITEM> listHostItems(HWND tree) {
  std::vector<HTREEITEM> items;
  const int32_t count = treeCount(tree);
  if (count <= 0) return items;
  items.reserve(static_cast<size_t>(count));
  HTREEITEM item = treeRoot(tree);
  while (item && items.size() < static_cast<size_t>(count)) {
    items.push_back(item);
    if (HTREEITEM child = treeChild(tree, item)) {
      item = child;
      continue;
    }
    HTREEITEM next = treeNext(tree, item);
    while (!next) {  // climb until an ancestor has a next sibling
      item = treeParent(tree, item);
      if (!item) break;
      next = treeNext(tree, item);
    }
    item = next;
  }
  return items;
}

}  // namespace tovalux
