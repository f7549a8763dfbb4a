// Finds the host's windows by walking dialog-item ids from its main window. Nothing but the
// main window is kept: every call walks again, so a window the host recreated is found afresh.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace tovalux {

class HostWindows {
 public:
  // Where two items may have moved when the host's walk no longer finds them: the event combo
  // into the shell frame's window, the property grid into the property form.
  using WindowSource = HWND (*)();

  void setMainWindow(HWND window) { main_ = window; }
  HWND mainWindow() const { return main_; }
  void setFallbackSources(WindowSource shellFrame, WindowSource propertyForm) {
    shellFrame_ = shellFrame;
    propertyForm_ = propertyForm;
  }

  HWND topDockBar() const { return walk({kTopDockBar}); }
  HWND topToolBar() const { return walk({kTopDockBar, kToolBar}); }
  HWND leftDockBar() const { return walk({kLeftDockBar}); }
  HWND bottomDockBar() const { return walk({kBottomDockBar}); }
  HWND rightDockBar() const { return walk({kRightDockBar}); }

  HWND leftPanelItem1022() const { return leftPanelItem(1022); }                 // support-library tree
  HWND leftPanelItem1019() const { return leftPanelItem(1019); }                 // program tree
  HWND leftPanelItem1058() const { return leftPanelItem(1058); }                 // component combo box
  HWND leftPanelItem1059() const { return leftPanelItemOr(1059, shellFrame_); }  // event combo box
  HWND leftPanelItem118() const { return leftPanelItemOr(118, propertyForm_); }  // component-property grid

  HWND mdiClient() const { return walk({kMdiClient}); }
  HWND mainToolBar() const { return walk({kToolBar}); }

  HWND bottomPanelItem1001() const { return bottomPanelItem(1001); }  // tips text
  HWND bottomPanelItem1011() const { return bottomPanelItem(1011); }  // output text
  HWND bottomPanelItem1224() const { return bottomPanelItem(1224); }  // call-stack tree
  HWND bottomPanelItem1109() const { return bottomPanelItem(1109); }  // variables tree
  HWND bottomPanelItem1115() const { return bottomPanelItem(1115); }  // variable description
  HWND bottomPanelItem1010() const { return bottomPanelItem(1010); }  // variable value
  HWND bottomPanelItem1167() const { return bottomPanelItem(1167); }  // stack-level combo box
  HWND bottomPanelItem1187() const { return bottomPanelItem(1187); }  // watch list view
  HWND bottomPanelItem1182() const { return bottomPanelItem(1182); }  // search results 1
  HWND bottomPanelItem1183() const { return bottomPanelItem(1183); }  // search results 2

  HWND rightPanelItem1225() const { return walk({kRightDockBar, 110, 0, 1225}); }  // toolbox tree
  HWND topBarItem629() const { return walk({kTopDockBar, 135, 629}); }             // unit combo box
  HWND topBarItem630() const { return walk({kTopDockBar, 135, 630}); }             // member combo box

  static constexpr int kTopDockBar = 59419;
  static constexpr int kLeftDockBar = 59420;
  static constexpr int kRightDockBar = 59421;
  static constexpr int kBottomDockBar = 59422;
  static constexpr int kToolBar = 59392;
  static constexpr int kMdiClient = 59648;

 private:
  HWND walk(std::initializer_list<int> ids) const;
  HWND leftPanelItem(int id) const { return walk({kLeftDockBar, 129, 0, 1000, id}); }
  HWND bottomPanelItem(int id) const { return walk({kBottomDockBar, 130, 0, 1000, id}); }
  // The left-panel item, or the item `id` of the window `movedTo` answers when the walk fails.
  HWND leftPanelItemOr(int id, WindowSource movedTo) const;

  HWND main_ = nullptr;
  WindowSource shellFrame_ = nullptr;
  WindowSource propertyForm_ = nullptr;
};

// The one instance of the library.
HostWindows& hostWindows();

}  // namespace tovalux
