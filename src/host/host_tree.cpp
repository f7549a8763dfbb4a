#include "host/host_tree.h"

#include <cstring>
#include <string_view>

#include "base/gbk_scan.h"

namespace tovalux {
namespace {

HTREEITEM nextItem(HWND tree, WPARAM relation, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Bytes readable from `address` to the end of its region; 0 when it is not readable.
size_t readableRun(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(address, &info, sizeof info) != sizeof info) return 0;
  if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 || (info.Protect & kReadable) == 0)
    return 0;
  return reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize - reinterpret_cast<uintptr_t>(address);
}

// A NUL-terminated text the control keeps elsewhere, at most `cap` bytes.
std::string foreignText(const char* text, size_t cap) {
  std::string out;
  while (out.size() < cap) {
    const size_t run = readableRun(text);
    if (run == 0) return {};
    const size_t take = run < cap - out.size() ? run : cap - out.size();
    if (const void* end = std::memchr(text, 0, take)) {
      out.append(text, static_cast<const char*>(end) - text);
      return out;
    }
    out.append(text, take);
    text += take;
  }
  out.resize(gbkSafeCut(out, cap));
  return out;
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
  if (text == nullptr || text == LPSTR_TEXTCALLBACKA) return {};
  return foreignText(text, kTreeItemTextCap);
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
