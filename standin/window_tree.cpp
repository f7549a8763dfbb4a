#include "window_tree.h"

#include <commctrl.h>

#include "control_traffic.h"

namespace standin {
namespace {

constexpr char kDockBarClass[] = "EDockBar";
constexpr char kPanelClass[] = "EPanel";
constexpr char kToolBarClass[] = "EToolBar";
constexpr char kPropertyGridClass[] = "EPropertyGrid";
constexpr char kTextPaneClass[] = "ETextPane";

// Panel controls have a real size even while their dock bar is hidden: trees must answer item
// rectangles and buttons must be hit at (1, 1).
constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 200;

constexpr int kTopBarHeight = 56;
constexpr int kSideBarWidth = 230;
constexpr int kBottomBarHeight = 180;
constexpr int kMainToolBarHeight = 26;

WNDPROC gTabProcedure = nullptr;
// Where panels send their children's notifications. Not the root window: a library may have
// re-parented the main window into a frame of its own.
HWND gMainWindow = nullptr;

HWND child(HWND parent, const char* className, const char* text, DWORD style, int controlId, int x = 0, int y = 0,
           int width = kPanelWidth, int height = kPanelHeight, DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, className, text, WS_CHILD | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleA(nullptr), nullptr);
}

// Containers hand their children's notifications up to the main window, like MFC panels.
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY) {
    if (gMainWindow) return SendMessageA(gMainWindow, message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A dock bar shown or hidden by anyone makes the main window lay itself out again.
LRESULT CALLBACK dockBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGED && gMainWindow) {
    const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (position->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) PostMessageA(gMainWindow, kRelayoutMessage, 0, 0);
  }
  return panelProcedure(window, message, wParam, lParam);
}

// The bottom tab strip parents every bottom control, so it must pass their notifications on:
// a tab control keeps its children's WM_COMMAND and WM_NOTIFY to itself.
LRESULT CALLBACK tabStripProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_COMMAND || message == WM_NOTIFY) && reinterpret_cast<HWND>(lParam) != window) {
    const bool ownNotification = message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == window;
    if (!ownNotification) {
      if (gMainWindow) return SendMessageA(gMainWindow, message, wParam, lParam);
    }
  }
  return CallWindowProcA(gTabProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK textPaneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &rect, DT_LEFT | DT_WORDBREAK);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK propertyGridProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    // The host paints its own grid with the GUI font; the shell observes that SelectObject.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    static const char* const kRows[] = {"名称", "左边", "顶边", "宽度", "高度", "可视", "禁止"};
    int y = 2;
    for (const char* row : kRows) {
      TextOutA(dc, 4, y, row, lstrlenA(row));
      y += 18;
    }
    SelectObject(dc, old);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance, const char* name, WNDPROC procedure, int background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool registerHostClasses(HINSTANCE instance, WNDPROC mainProcedure) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return registerClass(instance, kMainWindowClass, mainProcedure, COLOR_APPWORKSPACE) &&
         registerClass(instance, kDockBarClass, dockBarProcedure, COLOR_BTNFACE) &&
         registerClass(instance, kPanelClass, panelProcedure, COLOR_BTNFACE) &&
         registerClass(instance, kToolBarClass, panelProcedure, COLOR_BTNFACE) &&
         registerClass(instance, kPropertyGridClass, propertyGridProcedure, COLOR_WINDOW) &&
         registerClass(instance, kTextPaneClass, textPaneProcedure, COLOR_WINDOW);
}

bool createWindowTree(HINSTANCE instance, WindowTree& t) {
  t.main = CreateWindowExA(0, kMainWindowClass, "易语言", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, 1280, 860, nullptr, nullptr, instance, nullptr);
  if (!t.main) return false;
  gMainWindow = t.main;

  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  constexpr DWORD kCombo = WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST;
  constexpr DWORD kTree = WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;

  // Top dock bar: its own tool bar and the navigation combo boxes.
  t.topDockBar = child(t.main, kDockBarClass, "", kVisible, id::kTopDockBar);
  t.topToolBar = child(t.topDockBar, kToolBarClass, "", kVisible, id::kToolBar, 0, 0, 600, 26);
  t.topBar = child(t.topDockBar, kPanelClass, "", kVisible, id::kTopBar, 0, 28, 700, 26);
  t.unitCombo = child(t.topBar, "ComboBox", "", kCombo, id::kUnitCombo, 0, 0, 300, 300);
  t.memberCombo = child(t.topBar, "ComboBox", "", kCombo, id::kMemberCombo, 310, 0, 300, 300);

  // Left dock bar: 129 -> 0 -> 1000 -> trees, designer combo boxes and the property grid.
  t.leftDockBar = child(t.main, kDockBarClass, "", kVisible, id::kLeftDockBar);
  HWND left129 = child(t.leftDockBar, kPanelClass, "", kVisible, id::kLeftPanel);
  HWND left0 = child(left129, kPanelClass, "", kVisible, id::kPanelInner);
  t.leftContainer = child(left0, kPanelClass, "", kVisible, id::kPanelContainer);
  t.libraryTree = child(t.leftContainer, WC_TREEVIEWA, "", kTree, id::kLibraryTree);
  t.programTree = child(t.leftContainer, WC_TREEVIEWA, "", kTree, id::kProgramTree);
  t.componentCombo = child(t.leftContainer, "ComboBox", "", kCombo, id::kComponentCombo, 0, 0, kPanelWidth, 300);
  t.eventCombo = child(t.leftContainer, "ComboBox", "", kCombo, id::kEventCombo, 0, 24, kPanelWidth, 300);
  t.propertyGrid = child(t.leftContainer, kPropertyGridClass, "", WS_VISIBLE | WS_BORDER, id::kPropertyGrid, 0, 48,
                         kPanelWidth, kPanelHeight, WS_EX_CLIENTEDGE);

  // Bottom dock bar: 130 -> 0 -> 1000, where 1000 is the output tab strip parenting every control.
  t.bottomDockBar = child(t.main, kDockBarClass, "", kVisible, id::kBottomDockBar);
  HWND bottom130 = child(t.bottomDockBar, kPanelClass, "", kVisible, id::kBottomPanel);
  HWND bottom0 = child(bottom130, kPanelClass, "", kVisible, id::kPanelInner);
  t.bottomTabs = child(bottom0, WC_TABCONTROLA, "", kVisible, id::kPanelContainer, 0, 0, 900, 170);
  gTabProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(t.bottomTabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tabStripProcedure)));
  static const char* const kTabs[] = {"提示", "输出", "调用表", "监视表", "变量表", "搜寻1", "搜寻2", "剪辑历史"};
  for (int i = 0; i < static_cast<int>(sizeof kTabs / sizeof kTabs[0]); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kTabs[i]);
    hostSend(t.bottomTabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  constexpr DWORD kEdit = WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
  t.tipsBox = child(t.bottomTabs, "Edit", "", kEdit | ES_READONLY, id::kTipsBox, 4, 26);
  t.outputBox = child(t.bottomTabs, "Edit", "", kEdit, id::kOutputBox, 4, 26);
  t.callStackTree = child(t.bottomTabs, WC_TREEVIEWA, "", kTree, id::kCallStackTree, 4, 26);
  t.variablesTree = child(t.bottomTabs, WC_TREEVIEWA, "", kTree, id::kVariablesTree, 4, 26);
  t.variableDescription = child(t.bottomTabs, kTextPaneClass, "", WS_VISIBLE, id::kVariableDescription, 4, 26);
  t.variableValue = child(t.bottomTabs, kTextPaneClass, "", WS_VISIBLE, id::kVariableValue, 4, 26);
  t.stackLevelCombo = child(t.bottomTabs, "ComboBox", "", kCombo, id::kStackLevelCombo, 4, 26, kPanelWidth, 300);
  t.watchList =
      child(t.bottomTabs, WC_LISTVIEWA, "", WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, id::kWatchList, 4, 26);
  t.searchList1 = child(t.bottomTabs, "ListBox", "", WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, id::kSearchList1, 4, 26);
  t.searchList2 = child(t.bottomTabs, "ListBox", "", WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, id::kSearchList2, 4, 26);

  // Right dock bar: 110 -> 0 -> group buttons (created later) and the toolbox tree.
  t.rightDockBar = child(t.main, kDockBarClass, "", kVisible, id::kRightDockBar);
  HWND right110 = child(t.rightDockBar, kPanelClass, "", kVisible, id::kRightPanel);
  t.toolboxContainer = child(right110, kPanelClass, "", kVisible, id::kPanelInner);
  t.toolboxTree = child(t.toolboxContainer, WC_TREEVIEWA, "", kTree, id::kToolboxTree, 0, 100);

  // The main tool bar, directly under the main window, starts hidden.
  t.mainToolBar = child(t.main, kToolBarClass, "", WS_CLIPSIBLINGS, id::kToolBar);

  CLIENTCREATESTRUCT client{};
  client.idFirstChild = 0xFF00;
  t.mdiClient = CreateWindowExA(
      WS_EX_CLIENTEDGE, "MDIClient", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0,
      100, 100, t.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::kMdiClient)), instance, &client);
  if (!t.mdiClient) return false;
  watchTreeControls(t);
  layoutMainWindow(t);
  return true;
}

void watchTreeControls(const WindowTree& t) {
  const struct {
    HWND window;
    const char* name;
    ControlKind kind;
  } kWatched[] = {
      {t.unitCombo, "629", ControlKind::kComboBox},
      {t.memberCombo, "630", ControlKind::kComboBox},
      {t.libraryTree, "1022", ControlKind::kTree},
      {t.programTree, "1019", ControlKind::kTree},
      {t.componentCombo, "1058", ControlKind::kComboBox},
      {t.eventCombo, "1059", ControlKind::kComboBox},
      {t.propertyGrid, "118", ControlKind::kOther},
      {t.bottomTabs, "1000", ControlKind::kTabStrip},
      {t.tipsBox, "1001", ControlKind::kEdit},
      {t.outputBox, "1011", ControlKind::kEdit},
      {t.callStackTree, "1224", ControlKind::kTree},
      {t.variablesTree, "1109", ControlKind::kTree},
      {t.variableDescription, "1115", ControlKind::kOther},
      {t.variableValue, "1010", ControlKind::kOther},
      {t.stackLevelCombo, "1167", ControlKind::kComboBox},
      {t.watchList, "1187", ControlKind::kListView},
      {t.searchList1, "1182", ControlKind::kListBox},
      {t.searchList2, "1183", ControlKind::kListBox},
      {t.toolboxTree, "1225", ControlKind::kTree},
      {t.mdiClient, "59648", ControlKind::kMdiClient},
  };
  for (const auto& control : kWatched) watchControl(control.window, control.name, control.kind);
}

bool hasVisibleStyle(HWND window) { return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void layoutMainWindow(const WindowTree& t) {
  if (!t.main) return;
  RECT area;
  GetClientRect(t.main, &area);
  if (hasVisibleStyle(t.mainToolBar)) {
    MoveWindow(t.mainToolBar, area.left, area.top, area.right - area.left, kMainToolBarHeight, TRUE);
    area.top += kMainToolBarHeight;
  }
  if (hasVisibleStyle(t.topDockBar)) {
    MoveWindow(t.topDockBar, area.left, area.top, area.right - area.left, kTopBarHeight, TRUE);
    area.top += kTopBarHeight;
  }
  if (hasVisibleStyle(t.bottomDockBar)) {
    MoveWindow(t.bottomDockBar, area.left, area.bottom - kBottomBarHeight, area.right - area.left, kBottomBarHeight,
               TRUE);
    area.bottom -= kBottomBarHeight;
  }
  if (hasVisibleStyle(t.leftDockBar)) {
    MoveWindow(t.leftDockBar, area.left, area.top, kSideBarWidth, area.bottom - area.top, TRUE);
    area.left += kSideBarWidth;
  }
  if (hasVisibleStyle(t.rightDockBar)) {
    MoveWindow(t.rightDockBar, area.right - kSideBarWidth, area.top, kSideBarWidth, area.bottom - area.top, TRUE);
    area.right -= kSideBarWidth;
  }
  if (t.mdiClient) MoveWindow(t.mdiClient, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

}  // namespace standin
