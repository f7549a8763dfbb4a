// The shell around the host: the frame window, its twelve dock panes, the re-hosting of host
// windows and the theme operations. Everything above the shell (hooks/host, commands, codeview,
// panes, debugging, update, the settings dialog) reaches the frame through these functions;
// all of them run on the UI thread and do nothing (or answer 0/false/empty) when the frame does
// not exist.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

// --- the frame --------------------------------------------------------------------------------

// The toolkit frame window; 0 before start-up built it and after shut-down closed it.
HWINDOW shellFrame();
// The frame exists: XC_IsHWINDOW answers true for it.
bool shellExists();
// The frame's native window; null when there is no frame.
HWND shellFrameHwnd();
// An element of the frame's layouts by name ("winTitle", "codePageTab", "winToolBar0"...); 0
// when absent.
HXCGUI frameElement(std::string_view name);

// Puts the host main window over the frame's code view (only when its rectangle differs, so a
// paint of the host never leads to a move and another paint).
void syncHostWindow();

// The current project file, taken from the host main window's caption; empty when the caption
// names no existing file.
std::string currentProjectPath();

// The operating system's caption names Windows 10 (computed once per process).
bool isWindows10();
// The host process runs elevated (token closed on every path).
bool isElevated();

// --- dock panes -------------------------------------------------------------------------------

enum PaneIndex : int {
  kPaneLibraries = 0,     // "易支持库"
  kPaneProject = 1,       // "项目结构"
  kPaneProperties = 2,    // "组件属性"
  kPaneModules = 3,       // "常用模块"
  kPaneToolbox = 4,       // "系统组件"
  kPaneHelpTips = 5,      // "帮助提示"
  kPaneDebugOutput = 6,   // "调试输出"
  kPaneStack = 7,         // "断点栈堆"
  kPaneWatch = 8,         // "变量监视"
  kPaneSearch1 = 9,       // "搜寻结果1"
  kPaneSearch2 = 10,      // "搜寻结果2"
  kPaneDisassembly = 11,  // "反汇编显示"
  kPaneCount = 12
};

// The pane of that index; 0 when there is no frame.
HELE pane(int index);
// Brings the tab whose button text is `title` to the front (showing its pane when hidden).
void activatePaneByTitle(std::string_view title);
// Shows (true) or hides (false) the toolbox pane.
void showToolboxPane(bool show);

// --- re-hosting host windows ------------------------------------------------------------------

// Makes `window` a child of `newParent` at (x, y), width and height kept when absent (< 0),
// recording its previous parent and style on the window itself.
bool attachWindow(HWND newParent, HWND window, int x, int y, int width = -1, int height = -1);
// Gives `window` back its recorded parent and style; does nothing when it carries no record.
bool detachWindow(HWND window, int x, int y, int width = -1, int height = -1);

// --- theme operations -------------------------------------------------------------------------

void setBackground(HXCGUI element, std::string_view descriptor);
void setTextColor(HXCGUI element, int red, int green, int blue);
// The frame's normal or debugging look (edges, shadow colour, resize grip).
void applyFrameLook(bool debugging);
void styleTabBars();
void applyScrollViewLook(HXCGUI element);

// --- what layers above the shell plug in ------------------------------------------------------

// Builders the frame calls while it is created (the commands subsystem fills them): the tool
// bars and the menu bar go into the frame's places for them; until they are set the places
// stay empty.
struct FrameBuilders {
  void (*buildToolBars)() = nullptr;
  void (*buildMainMenu)() = nullptr;
  // The menu bar marks one of its menus as open; hover looks of the bar buttons wait for it.
  bool (*mainMenuOpen)() = nullptr;
};
void setFrameBuilders(const FrameBuilders& builders);
const FrameBuilders& frameBuilders();

}  // namespace tovalux
