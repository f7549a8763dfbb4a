// The shell around the host: the frame window, its twelve dock panes, the re-hosting of host
// windows and the theme operations. Everything above the shell (hooks/host, commands, codeview,
// panes, debugging, update, the settings dialog) reaches the frame through these functions;
// all of them run on the UI thread and do nothing (or answer 0/false/empty) when the frame does
// not exist.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/os_info.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// --- the frame --------------------------------------------------------------------------------

// Builds the frame with its layouts, panes, tool bars and menu bar and shows it (start-up, once).
// False when the toolkit could not make the window.
bool createFrame();
// The exit question, owned by the frame ("Tovalux 提示" from the frame's close, "提示" from the
// close button); true for Yes.
bool confirmExit(const std::string& title);
// What Yes to the exit question does: the host main window leaves the frame and is posted
// WM_CLOSE (the host then shuts the shell down with notification 6 outside our handlers); when
// the host refuses to close, it goes back into the frame.
void closeFromFrame();

// The toolkit frame window; 0 before start-up built it and after shut-down closed it.
HWINDOW shellFrame();
// The frame exists: XC_IsHWINDOW answers true for it.
bool shellExists();
// The frame's native window; null when there is no frame.
HWND shellFrameHwnd();
// The same from any thread (the router's walk to a host control runs on the sender's): kept
// apart from the toolkit, which only the UI thread may ask.
HWND shellFrameHwndAnyThread();
// An element of the frame's layouts by name ("winTitle", "codePageTab", "winToolBar0"...); 0
// when absent.
HXCGUI frameElement(std::string_view name);

// Puts the host main window over the frame's code view (only when its rectangle differs, so a
// paint of the host never leads to a move and another paint).
void syncHostWindow();

// The current project file, taken from the host main window's caption; empty when the caption
// names no existing file.
std::string currentProjectPath();

// isWindows10() (base/os_info.h): the operating system's WMI caption names Windows 10, asked
// once per process.
// The host process runs elevated: a system with token elevation (6.0 or later) and an elevated
// token (base's processIsElevated, which tests override).
bool isElevated();

// The dark-theme flag: set at start-up and never cleared.
bool darkTheme();
void setDarkTheme(bool dark);

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
// Loads the theme layout `layoutFile` (a file of lib\Tovalux\Dark\) into the pane of that index and
// makes it the pane's view; the view, or 0 when there is no such pane or the layout does not load
// (a builder then leaves its pane empty).
HELE loadPaneView(int index, std::string_view layoutFile);
// Brings the tab whose button text is `title` to the front (showing its pane when hidden).
void activatePaneByTitle(std::string_view title);
// Shows (true) or hides (false) the toolbox pane.
void showToolboxPane(bool show);

// --- the window layout ---------------------------------------------------------------------------

// Where the layout is kept between sessions: lib\Tovalux\Layout.json beside the host.
std::string layoutFilePath();
// Puts the panes back where start-up docks them ("重置窗口布局"); shut-down then saves that.
void resetWindowLayout();

// --- re-hosting host windows ------------------------------------------------------------------

// Makes `window` a child of `newParent` at (x, y), width and height kept when absent (< 0),
// recording its previous parent and style on the window itself.
bool attachWindow(HWND newParent, HWND window, int x, int y, int width = -1, int height = -1);
// Gives `window` back its recorded parent and style; does nothing when it carries no record.
bool detachWindow(HWND window, int x, int y, int width = -1, int height = -1);

// Host controls that the shell's panes re-parent (the property grid 118, the event combo 1059):
// borrowHostControl records where the control belongs (parent, styles, place) the first time it
// is called for it; shut-down gives every borrowed control back before the frame or the form
// closes, so none dies with them.
void borrowHostControl(HWND control);
// Answers how many controls were given back alive.
int returnHostControls();

// Start-up step 21 and its undoing: on Windows 10 the host main window is made layered with a
// colour key; shut-down clears the bit when we set it.
void layerHostMainWindow();
void unlayerHostMainWindow();

// Shut-down: the host main window leaves the frame when it is in it (parent, style and place
// restored, at (0, 0)), then the frame closes. The hidden auxiliary window closes too.
void detachHostMainWindow();
void closeFrame();
// The hidden auxiliary window of start-up (class and title "Tovalux", never shown).
void createAuxiliaryWindow();
void closeAuxiliaryWindow();

// --- the component-property host form --------------------------------------------------------

// Creates the form (a plain native window of ours), moves the host's property grid into it and
// places it over the properties pane's "CtrlProLayout"; registers the form's handlers on the pane
// and on that element. The properties pane calls it while building its view. Answers the form.
HWND createPropertyForm(HELE ctrlProLayout);
HWND propertyForm();
void showPropertyForm(bool show);
// The properties pane raises it when it shows the form while pane 2 is docked: the next close of
// the window that holds the pane refits the form instead of hiding it.
void setPropertyFormOneShot();
// Shut-down: before the frame closes the form leaves it (hidden, top-level again); notification
// 6 then destroys it, 17 keeps it.
void releasePropertyForm(bool destroy);

// --- theme operations -------------------------------------------------------------------------

void setBackground(HXCGUI element, std::string_view descriptor);
void setTextColor(HXCGUI element, int red, int green, int blue);
// The frame's normal or debugging look (edges, shadow colour, resize grip).
void applyFrameLook(bool debugging);
void styleTabBars();
void applyScrollViewLook(HXCGUI element);
// The pane descriptor on all twelve panes (start-up, dark theme).
void applyPaneLook();
// A descriptor set from a mouse event: the element is redrawn after it.
void setBackgroundAndRedraw(HXCGUI element, std::string_view descriptor);
// The shared hover look of combo boxes (descriptor rows 11 over, 10 away).
void registerComboBoxHover(HELE comboBox);
// The hover look of a menu-bar button (rows 14 over, 15 away), skipped while a menu is open
// (the commands' mainMenuOpen peer).
void registerMenuBarButtonHover(HELE button);

// --- the shell's Parts (shell/part.h) ------------------------------------------------------------

struct Part;
// The frame: made with its panes, tool bars and menu bar; closed at shut-down, after every
// borrowed host control went back.
extern const Part kFramePart;
// The panes "易支持库" and "帮助提示" brought to the front of their tab groups.
extern const Part kFirstPanesPart;
// The host main window put into the frame (and layered on Windows 10); taken out at shut-down.
extern const Part kHostInFramePart;
// The hidden auxiliary window.
extern const Part kAuxiliaryWindowPart;
// The window layout: the panes arranged as the layout file says once their views are built (the
// frame took its place from the file when it was made); the live layout saved at shut-down.
extern const Part kLayoutPart;

// --- counters (tests and benchmarks) ----------------------------------------------------------

struct ShellCounters {
  uint32_t hostWindowMoves = 0;  // syncHostWindow calls that moved the host main window
  uint32_t hostWindowSyncs = 0;  // syncHostWindow calls with a frame
  uint32_t undockRefusals = 0;   // undock clicks refused (not Windows 10)
  uint32_t closeRequests = 0;    // WM_CLOSE posted to the host main window
  uint32_t refusedCloses = 0;    // host windows taken back after a refused close
};
ShellCounters shellCounters();
void resetShellCountersForTests();

}  // namespace tovalux
