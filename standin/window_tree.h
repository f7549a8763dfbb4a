// The host's window tree: an MFC-like frame with four dock bars, a tool bar and an MDI client,
// and the panel controls at the dialog-item id paths libraries walk with GetDlgItem.
#pragma once

#include <windows.h>

namespace standin {

// Control ids of the tree.
namespace id {
constexpr int kTopDockBar = 59419;
constexpr int kLeftDockBar = 59420;
constexpr int kRightDockBar = 59421;
constexpr int kBottomDockBar = 59422;
constexpr int kToolBar = 59392;
constexpr int kMdiClient = 59648;
constexpr int kTopBar = 135;
constexpr int kUnitCombo = 629;
constexpr int kMemberCombo = 630;
constexpr int kLeftPanel = 129;
constexpr int kBottomPanel = 130;
constexpr int kRightPanel = 110;
constexpr int kPanelInner = 0;
constexpr int kPanelContainer = 1000;
constexpr int kLibraryTree = 1022;
constexpr int kProgramTree = 1019;
constexpr int kComponentCombo = 1058;
constexpr int kEventCombo = 1059;
constexpr int kPropertyGrid = 118;
constexpr int kTipsBox = 1001;
constexpr int kOutputBox = 1011;
constexpr int kCallStackTree = 1224;
constexpr int kVariablesTree = 1109;
constexpr int kVariableDescription = 1115;
constexpr int kVariableValue = 1010;
constexpr int kStackLevelCombo = 1167;
constexpr int kWatchList = 1187;
constexpr int kSearchList1 = 1182;
constexpr int kSearchList2 = 1183;
constexpr int kToolboxTree = 1225;
}  // namespace id

constexpr char kMainWindowClass[] = "ENewFrame";

// Posted to the main window when a dock bar was shown or hidden.
constexpr UINT kRelayoutMessage = WM_APP + 2;

struct WindowTree {
  HWND main = nullptr;
  HWND topDockBar = nullptr, leftDockBar = nullptr, rightDockBar = nullptr, bottomDockBar = nullptr;
  HWND topToolBar = nullptr, topBar = nullptr, unitCombo = nullptr, memberCombo = nullptr;
  HWND leftContainer = nullptr;
  HWND libraryTree = nullptr, programTree = nullptr, componentCombo = nullptr, eventCombo = nullptr;
  HWND propertyGrid = nullptr;
  HWND bottomTabs = nullptr;  // the output tab strip: window 1000 of the bottom path
  HWND tipsBox = nullptr, outputBox = nullptr, callStackTree = nullptr, variablesTree = nullptr;
  HWND variableDescription = nullptr, variableValue = nullptr, stackLevelCombo = nullptr;
  HWND watchList = nullptr, searchList1 = nullptr, searchList2 = nullptr;
  HWND toolboxContainer = nullptr, toolboxTree = nullptr;
  HWND mainToolBar = nullptr;
  HWND mdiClient = nullptr;
};

// Registers the host's window classes (once per process).
bool registerHostClasses(HINSTANCE instance, WNDPROC mainProcedure);

// Creates the main window and every child in creation order; the main window stays hidden.
bool createWindowTree(HINSTANCE instance, WindowTree& tree);

// Puts the host's traffic watch (control_traffic.h) on every panel control; createWindowTree
// does it before any library can see them.
void watchTreeControls(const WindowTree& tree);

// The window exists and has WS_VISIBLE (its parents may still hide it).
bool hasVisibleStyle(HWND window);

// Places the visible dock bars and lets the MDI client fill the rest, as MFC does with
// control bars: a hidden bar takes no room.
void layoutMainWindow(const WindowTree& tree);

}  // namespace standin
