// The form designer's side panels: the toolbox (group buttons above the component tree 1225),
// the component and event combo boxes 1058/1059.
//
// Toolbox: `toolbox-buttons` creates the four group buttons under container 0 of 110 and names
// them with SetWindowTextA ("基本组件", "扩展组件", "外部组件", "其它"); `recreate=1` destroys
// the ones there first, as the host does when a project is opened. A click on a button fills the
// tree during BN_CLICKED (root delete, "指针", the group's components). Selecting a component
// in the tree (TVN_SELCHANGED) starts placing it ("toolbox-pick"); `toolbox-place` completes it:
// the new component joins 1058 and the tree goes back to "指针".
//
// Designer combos: `designer-combos` fills 1058 with the designed window's components and selects
// one, which fills 1059 with its events. 1059 is subclassed: CB_SHOWDROPDOWN TRUE refills it
// (and shows no real drop-down), WM_COMMAND 0x103E8 creates the handler of the selected event
// ("event-handler"); WM_COMMAND 0x103E8 on 1058 selects the component at its selection.
// Switches: `combo-info-error 1` makes CB_GETCOMBOBOXINFO fail on both combos; `toolbox-extra N`
// adds N components to 基本组件, `toolbox-english 1` adds "WEBBROWSER" to 外部组件.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "control_traffic.h"
#include "host/ide_functions.h"
#include "standin_host.h"

namespace standin {
namespace {

const std::string kSeparator(100, '-');
constexpr char kNoEvents[] = "--- 无对应事件 ---";

struct Component {
  std::string name;
  std::vector<std::string> events;
};

struct Designer {
  std::vector<HWND> buttons;  // in creation order
  int filledGroup = -1;
  HTREEITEM pointer = nullptr;
  std::string placing;  // the component being placed; empty when none
  int placedCount = 0;
  std::vector<Component> components;
  int selected = -1;
  WNDPROC containerProcedure = nullptr;
  WNDPROC componentProcedure = nullptr;
  WNDPROC eventProcedure = nullptr;
};

Designer& designer() {
  static Designer d;
  return d;
}

const char* const kGroupTexts[] = {"基本组件", "扩展组件", "外部组件", "其它"};

std::vector<std::string> groupComponents(Host& host, int group) {
  std::vector<std::string> names;
  switch (group) {
    case 0: names = {"按钮", "编辑框", "标签", "图片框", "选择框", "时钟"}; break;
    case 1: names = {"超级列表框", "树型框"}; break;
    case 2: names = {"浏览器"}; break;
    default: break;
  }
  // An ActiveX component known by its English name, in another letter case, on request.
  if (group == 2 && host.mode("toolbox-english")) names.push_back("WEBBROWSER");
  // A larger group on request (benchmarks): "组件1", "组件2", ...
  for (int64_t i = 1, extra = host.mode("toolbox-extra"); group == 0 && i <= extra; ++i)
    names.push_back("组件" + std::to_string(i));
  return names;
}

HTREEITEM insertToolItem(HWND tree, const std::string& text) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = nullptr;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>(text.c_str());
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void fillToolbox(Host& host, int group) {
  Designer& d = designer();
  HWND tree = host.tree().toolboxTree;
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  d.filledGroup = group;
  d.placing.clear();
  d.pointer = insertToolItem(tree, "指针");
  for (const std::string& name : groupComponents(host, group)) insertToolItem(tree, name);
  host.journal().record(EntryBuilder("toolbox-fill").add("group", group));
}

std::string treeText(HWND tree, HTREEITEM item) {
  char buffer[260] = {};
  TVITEMA query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = buffer;
  query.cchTextMax = sizeof(buffer);
  hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  return buffer;
}

LRESULT CALLBACK containerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Host& host = Host::instance();
  Designer& d = designer();
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    for (size_t i = 0; i < d.buttons.size(); ++i)
      if (d.buttons[i] == reinterpret_cast<HWND>(lParam)) {
        fillToolbox(host, static_cast<int>(i));
        return 0;
      }
  }
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->hwndFrom == host.tree().toolboxTree &&
        (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
      const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
      const std::string text = treeText(header->hwndFrom, change->itemNew.hItem);
      d.placing = change->itemNew.hItem == d.pointer ? "" : text;
      host.journal().record(EntryBuilder("toolbox-pick").add("text", text).add("group", d.filledGroup));
      return 0;
    }
  }
  return CallWindowProcA(d.containerProcedure, window, message, wParam, lParam);
}

void destroyButtons() {
  Designer& d = designer();
  for (HWND button : d.buttons)
    if (IsWindow(button)) DestroyWindow(button);
  d.buttons.clear();
}

ActionResult toolboxButtons(Host& host, const ActionArgs& args) {
  Designer& d = designer();
  HWND container = host.tree().toolboxContainer;
  if (!container) return ActionResult::failure("no toolbox container");
  if (args.optionNumber("recreate") == 1) destroyButtons();
  if (!d.buttons.empty()) return ActionResult::failure("the buttons exist (recreate=1)");
  for (int i = 0; i < 4; ++i) {
    HWND button =
        CreateWindowExA(0, "button", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 2 + 52 * i, 2, 50, 20, container,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(2000 + i)), GetModuleHandleA(nullptr), nullptr);
    if (!button) return ActionResult::failure("CreateWindowExA failed");
    d.buttons.push_back(button);
  }
  for (size_t i = 0; i < d.buttons.size(); ++i) SetWindowTextA(d.buttons[i], kGroupTexts[i]);
  return ActionResult::success();
}

// toolbox-click N: the user clicks group button N (the host fills its tree).
ActionResult toolboxClick(Host&, const ActionArgs& args) {
  Designer& d = designer();
  const int64_t index = args.number(0, -1);
  if (index < 0 || index >= static_cast<int64_t>(d.buttons.size())) return ActionResult::failure("toolbox-click N");
  SendMessageA(d.buttons[index], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(d.buttons[index], WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  return ActionResult::success();
}

ActionResult toolboxRename(Host&, const ActionArgs& args) {
  Designer& d = designer();
  const int64_t index = args.number(0, -1);
  if (index < 0 || index >= static_cast<int64_t>(d.buttons.size()))
    return ActionResult::failure("toolbox-rename N TEXT");
  SetWindowTextA(d.buttons[index], args.text(1).c_str());
  return ActionResult::success();
}

// --- designer combos -----------------------------------------------------------------------

std::vector<Component> designedComponents(Host& host, bool prefixFirst) {
  std::vector<Component> list = {
      {"_启动窗口", {"创建完毕", "可否被关闭", "将被销毁", kSeparator, "鼠标左键被按下", "鼠标左键被放开"}},
      {"按钮1", {"被单击", kSeparator, "获得焦点"}},
      {"编辑框1", {"内容被改变"}},
      {"时钟1", {"周期事件"}},
      {"线条1", {}},
  };
  // "按钮10" before "按钮1": the name of a later component is a prefix of an earlier one.
  if (prefixFirst) list.insert(list.begin() + 1, Component{"按钮10", {"被单击", "被双击"}});
  // A component with a long event list on request.
  if (const int64_t many = host.mode("event-count"); many > 0) {
    Component big{"超长组件1", {}};
    for (int64_t i = 1; i <= many; ++i) big.events.push_back(i % 10 == 0 ? kSeparator : "事件" + std::to_string(i));
    list.push_back(big);
  }
  return list;
}

void fillEvents(Host& host) {
  Designer& d = designer();
  HWND combo = host.tree().eventCombo;
  hostSend(combo, CB_RESETCONTENT, 0, 0);
  if (d.selected < 0 || d.selected >= static_cast<int>(d.components.size())) return;
  const std::vector<std::string>& events = d.components[d.selected].events;
  if (events.empty()) {
    hostSend(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoEvents));
    return;
  }
  for (const std::string& event : events) hostSend(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(event.c_str()));
}

void selectComponent(Host& host, int index) {
  Designer& d = designer();
  d.selected = index;
  hostSend(host.tree().componentCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  fillEvents(host);
  hostSend(host.tree().eventCombo, CB_SETCURSEL, 0, 0);
  host.journal().record(EntryBuilder("component-selected")
                            .add("index", index)
                            .add("name", index >= 0 && index < static_cast<int>(d.components.size())
                                             ? d.components[index].name
                                             : std::string()));
}

// The combo's list box cannot be described (the combo-info-error switch): answers 0 with an error.
bool refuseComboInfo(Host& host, UINT message) {
  if (message != CB_GETCOMBOBOXINFO || !host.mode("combo-info-error")) return false;
  SetLastError(ERROR_ACCESS_DENIED);
  return true;
}

LRESULT CALLBACK componentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Designer& d = designer();
  if (refuseComboInfo(Host::instance(), message)) return 0;
  const LRESULT answer = CallWindowProcA(d.componentProcedure, window, message, wParam, lParam);
  if (message == WM_COMMAND && wParam == 0x103E8)
    selectComponent(Host::instance(), static_cast<int>(hostSend(window, CB_GETCURSEL, 0, 0)));
  return answer;
}

LRESULT CALLBACK eventProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Host& host = Host::instance();
  Designer& d = designer();
  if (message == CB_SHOWDROPDOWN) {
    // The host fills its list as the list opens; no real drop-down is shown off screen.
    if (wParam) fillEvents(host);
    host.journal().record(EntryBuilder("event-dropdown").add("open", static_cast<int64_t>(wParam != 0)));
    return TRUE;
  }
  if (refuseComboInfo(host, message)) return 0;
  if (message == CB_GETLBTEXTLEN && host.mode("event-length-error") == static_cast<int64_t>(wParam) + 1) return CB_ERR;
  if (message == WM_COMMAND && wParam == 0x103E8) {
    const LRESULT answer = CallWindowProcA(d.eventProcedure, window, message, wParam, lParam);
    const int row = static_cast<int>(hostSend(window, CB_GETCURSEL, 0, 0));
    if (d.selected >= 0 && d.selected < static_cast<int>(d.components.size())) {
      const Component& component = d.components[d.selected];
      if (row >= 0 && row < static_cast<int>(component.events.size()) && component.events[row] != kSeparator)
        host.journal().record(
            EntryBuilder("event-handler").add("name", "_" + component.name + "_" + component.events[row]));
      else
        host.journal().record(EntryBuilder("event-ignored").add("row", row));
    }
    return answer;
  }
  return CallWindowProcA(d.eventProcedure, window, message, wParam, lParam);
}

// designer-combos [select=I] [prefix=1]: the designed window's components in 1058, one selected.
ActionResult designerCombos(Host& host, const ActionArgs& args) {
  Designer& d = designer();
  d.components = designedComponents(host, args.optionNumber("prefix") == 1);
  HWND combo = host.tree().componentCombo;
  hostSend(combo, CB_RESETCONTENT, 0, 0);
  for (const Component& component : d.components)
    hostSend(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(component.name.c_str()));
  selectComponent(host, static_cast<int>(args.optionNumber("select", 0)));
  return ActionResult::success();
}

// designer-select I: the user clicks component I on the designed window.
ActionResult designerSelect(Host& host, const ActionArgs& args) {
  const int64_t index = args.number(0, -1);
  if (index < 0 || index >= static_cast<int64_t>(designer().components.size()))
    return ActionResult::failure("designer-select I");
  selectComponent(host, static_cast<int>(index));
  return ActionResult::success();
}

// toolbox-place: the user draws the component being placed; the host adds it and goes back to
// the pointer.
ActionResult toolboxPlace(Host& host, const ActionArgs&) {
  Designer& d = designer();
  if (d.placing.empty()) return ActionResult::failure("nothing is being placed");
  const std::string name = d.placing + std::to_string(++d.placedCount + 1);
  d.components.push_back({name, {"被单击"}});
  hostSend(host.tree().componentCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  selectComponent(host, static_cast<int>(d.components.size()) - 1);
  hostSend(host.tree().toolboxTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(d.pointer));
  host.journal().record(EntryBuilder("toolbox-placed").add("name", name));
  return ActionResult::success();
}

// --- module references ---------------------------------------------------------------------

void setUp(Host& host) {
  Designer& d = designer();
  d = Designer{};
  const WindowTree& t = host.tree();
  if (t.toolboxContainer)
    d.containerProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t.toolboxContainer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&containerProcedure)));
  if (t.componentCombo)
    d.componentProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t.componentCombo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&componentProcedure)));
  if (t.eventCombo)
    d.eventProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t.eventCombo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&eventProcedure)));
}

void tearDown(Host&) { designer() = Designer{}; }

const ActionRegistration kRegistrations[] = {
    {"toolbox-buttons",
     "toolbox-buttons [recreate=1]: the four group buttons under container 0 of 110, texts by SetWindowTextA",
     &toolboxButtons},
    {"toolbox-click", "toolbox-click N: a click on group button N (the host fills the toolbox tree)", &toolboxClick},
    {"toolbox-rename", "toolbox-rename N TEXT: SetWindowTextA on group button N", &toolboxRename},
    {"toolbox-place", "toolbox-place: the component being placed is drawn; the tree goes back to \"指针\"",
     &toolboxPlace},
    {"designer-combos", "designer-combos [select=I] [prefix=1]: 1058 filled with the components, one selected",
     &designerCombos},
    {"designer-select", "designer-select I: component I selected on the designed window", &designerSelect},
};

const TreeSetupRegistration kSetup{"modules", &setUp};
const TeardownRegistration kTeardown{"modules", &tearDown};

}  // namespace
}  // namespace standin
