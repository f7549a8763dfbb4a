#include "ui_reader.h"

#include <cstdio>
#include <iterator>
#include <cwchar>
#include <mutex>
#include <string_view>
#include <vector>

#include "base/gbk.h"

namespace standin::ui {

namespace {

// Deep enough for any real tree; a cycle or a runaway tree ends here instead of hanging.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxObjects = 500000;

// Top-level windows of these classes are the toolkit's (its frame, windows, menus, drop-downs,
// floating panes, tooltip).
// The toolkit's window classes all start so: its own (frame, menus, drop-downs, panes, tips) and
// those a layout names for its window (the settings dialog, the update tip...).
constexpr wchar_t kToolkitClassPrefix[] = L"Tovalux";

std::string gbk(BSTR text) {
  if (text == nullptr) return {};
  return tovalux::utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

template <class Get>
std::string readText(Get get) {
  BSTR text = nullptr;
  const HRESULT hr = get(&text);
  std::string out = SUCCEEDED(hr) ? gbk(text) : std::string();
  SysFreeString(text);
  return out;
}

Node describe(IAccessible* object, HWND window, int depth) {
  Node n;
  n.window = window;
  n.depth = depth;
  VARIANT self;
  VariantInit(&self);
  V_VT(&self) = VT_I4;
  V_I4(&self) = CHILDID_SELF;
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accRole(self, &v)) && V_VT(&v) == VT_I4) n.role = roleWord(V_I4(&v));
  VariantClear(&v);
  if (SUCCEEDED(object->get_accState(self, &v)) && V_VT(&v) == VT_I4) {
    n.states = stateWords(V_I4(&v));
    n.invisible = (V_I4(&v) & STATE_SYSTEM_INVISIBLE) != 0;
    n.unavailable = (V_I4(&v) & STATE_SYSTEM_UNAVAILABLE) != 0;
  }
  VariantClear(&v);
  n.name = readText([&](BSTR* t) { return object->get_accName(self, t); });
  n.value = readText([&](BSTR* t) { return object->get_accValue(self, t); });
  n.description = readText([&](BSTR* t) { return object->get_accDescription(self, t); });
  n.action = readText([&](BSTR* t) { return object->get_accDefaultAction(self, t); });
  long x = 0, y = 0, w = 0, h = 0;
  if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, self))) n.bounds = {x, y, x + w, y + h};
  return n;
}

// Depth first; false when the visit asked to stop.
bool walkObject(IAccessible* object, HWND window, int depth, const Visit& visit, size_t& seen) {
  if (++seen > kMaxObjects) return false;
  if (!visit(describe(object, window, depth), object)) return false;
  if (depth >= kMaxDepth) return true;
  long count = 0;
  if (FAILED(object->get_accChildCount(&count)) || count <= 0) return true;
  std::vector<VARIANT> kids(static_cast<size_t>(count));
  long got = 0;
  if (FAILED(AccessibleChildren(object, 0, count, kids.data(), &got))) got = 0;
  bool go = true;
  for (long i = 0; i < got; ++i) {
    VARIANT& kid = kids[static_cast<size_t>(i)];
    if (go && V_VT(&kid) == VT_DISPATCH && V_DISPATCH(&kid) != nullptr) {
      IAccessible* child = nullptr;
      if (SUCCEEDED(V_DISPATCH(&kid)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
        go = walkObject(child, window, depth + 1, visit, seen);
        child->Release();
      }
    }
    VariantClear(&kid);
  }
  return go;
}

}  // namespace

std::string roleWord(LONG role) {
  switch (role) {
    case ROLE_SYSTEM_WINDOW: return "window";
    case ROLE_SYSTEM_CLIENT: return "client";
    case ROLE_SYSTEM_PANE: return "pane";
    case ROLE_SYSTEM_PAGETABLIST: return "page-tab-list";
    case ROLE_SYSTEM_PAGETAB: return "page-tab";
    case ROLE_SYSTEM_TOOLBAR: return "tool-bar";
    case ROLE_SYSTEM_PUSHBUTTON: return "push-button";
    case ROLE_SYSTEM_MENUBAR: return "menu-bar";
    case ROLE_SYSTEM_MENUPOPUP: return "menu";
    case ROLE_SYSTEM_MENUITEM: return "menu-item";
    case ROLE_SYSTEM_SEPARATOR: return "separator";
    case ROLE_SYSTEM_OUTLINE: return "outline";
    case ROLE_SYSTEM_OUTLINEITEM: return "outline-item";
    case ROLE_SYSTEM_LIST: return "list";
    case ROLE_SYSTEM_LISTITEM: return "list-item";
    case ROLE_SYSTEM_COLUMNHEADER: return "column-header";
    case ROLE_SYSTEM_STATICTEXT: return "text";
    case ROLE_SYSTEM_TEXT: return "editable-text";
    case ROLE_SYSTEM_COMBOBOX: return "combo-box";
    case ROLE_SYSTEM_CHECKBUTTON: return "check-box";
    case ROLE_SYSTEM_RADIOBUTTON: return "radio-button";
    case ROLE_SYSTEM_SCROLLBAR: return "scroll-bar";
    case ROLE_SYSTEM_STATUSBAR: return "status-bar";
    case ROLE_SYSTEM_TOOLTIP: return "tool-tip";
    case ROLE_SYSTEM_GROUPING: return "grouping";
    case ROLE_SYSTEM_GRAPHIC: return "graphic";
    default: return "role-" + std::to_string(role);
  }
}

std::string stateWords(LONG states) {
  static constexpr std::pair<LONG, const char*> kWords[] = {
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_SELECTED, "selected"},
      {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_PRESSED, "pressed"},
      {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_READONLY, "read-only"},
      {STATE_SYSTEM_HOTTRACKED, "hot"},          {STATE_SYSTEM_EXPANDED, "expanded"},
      {STATE_SYSTEM_COLLAPSED, "collapsed"},     {STATE_SYSTEM_INVISIBLE, "invisible"},
      {STATE_SYSTEM_OFFSCREEN, "offscreen"},     {STATE_SYSTEM_FOCUSABLE, "focusable"},
      {STATE_SYSTEM_SELECTABLE, "selectable"},   {STATE_SYSTEM_HASPOPUP, "has-popup"},
  };
  std::string out;
  for (const auto& [bit, word] : kWords)
    if (states & bit) {
      if (!out.empty()) out += ' ';
      out += word;
    }
  return out;
}

namespace {
struct Search {
  DWORD process;
  HWND first;
  bool hidden;
  bool firstFound = false;
  std::vector<HWND> found;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != s->process) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wcsncmp(name, kToolkitClassPrefix, std::size(kToolkitClassPrefix) - 1) != 0) return TRUE;
  if (window == s->first)
    s->firstFound = true;
  else if (s->hidden || IsWindowVisible(window))
    s->found.push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> toolkitWindows(DWORD processId, HWND first, bool hidden) {
  Search search{processId, first, hidden, false, {}};
  EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
  if (search.firstFound) search.found.insert(search.found.begin(), first);
  return search.found;
}

namespace {

// Each window's object, asked for once and kept while it answers: Wine's AccessibleObjectFromWindow
// keeps about a kilobyte of every object it hands over within one process (its marshalling data),
// so a reader that asked again for every look would grow the process it measures. A screen reader
// keeps its window objects the same way.
struct KeptRoot {
  HWND window;
  IAccessible* object;
};
std::mutex gKeptLock;
std::vector<KeptRoot> gKeptRoots;

IAccessible* windowObject(HWND window, HRESULT* failure) {
  std::lock_guard lock(gKeptLock);
  // Windows that are gone take their objects along.
  std::erase_if(gKeptRoots, [](const KeptRoot& kept) {
    if (IsWindow(kept.window)) return false;
    kept.object->Release();
    return true;
  });
  for (auto it = gKeptRoots.begin(); it != gKeptRoots.end(); ++it) {
    if (it->window != window) continue;
    long count = 0;
    if (SUCCEEDED(it->object->get_accChildCount(&count))) {
      it->object->AddRef();
      return it->object;
    }
    // The handle now names another window, or the object was disconnected: ask again.
    it->object->Release();
    gKeptRoots.erase(it);
    break;
  }
  IAccessible* root = nullptr;
  *failure = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&root));
  if (FAILED(*failure) || root == nullptr) return nullptr;
  root->AddRef();
  gKeptRoots.push_back({window, root});
  return root;
}

}  // namespace

void forgetWindowObjects() {
  // Not released: the library that made them is about to go, and with it the code to release them.
  std::lock_guard lock(gKeptLock);
  gKeptRoots.clear();
}

bool walk(HWND window, const Visit& visit, std::string* error) {
  HRESULT hr = S_OK;
  IAccessible* root = windowObject(window, &hr);
  if (root == nullptr) {
    if (error != nullptr) {
      char text[96];
      std::snprintf(text, sizeof text, "no accessible object for window 0x%p (0x%08lX)", static_cast<void*>(window),
                    static_cast<unsigned long>(hr));
      *error = text;
    }
    return false;
  }
  size_t seen = 0;
  walkObject(root, window, 0, visit, seen);
  root->Release();
  return true;
}

}  // namespace standin::ui
