// The commands subsystem: the frame's menu bar and its two tool bars, the run-state rules that
// enable their items, and the places where later subsystems plug their own work in. Everything
// here runs on the UI thread unless it says otherwise.
#pragma once

#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The commands' Part: it offers the frame its tool bars and menu bar, and the tool-bar syncs and
// the context-menu look to the other Parts; it watches the host's output for BlackMoon builds.
extern const Part kCommandsPart;

// Builds "winMainTopMenu" (the thirteen menus, recent files from the registry). Once.
void buildMainMenu();
// Fills "winToolBar0" and "winToolBar1". Once.
void buildToolBars();
// A bar menu is open (from its pop-up to its close): the bar buttons ignore hover meanwhile.
bool mainMenuOpen();

// --- run state ---------------------------------------------------------------------------------

// Brings the menu items in line with the run state (project, debugging, paused or running,
// page kind); runs each time a bar or context menu pops up.
void syncMenuState();
// Re-applies the main tool bar's enabled states; redraws the bar only when one changed.
void syncToolBarState();
// From any thread: a coalesced syncToolBarState on the UI thread (a burst of requests, for
// example one per debug event, ends in one sync).
void requestToolBarSync();
// The designer tool bar on the activation of a page: every button enabled exactly when the
// page is a window page and no program is being debugged.
void syncDesignerToolBar(bool windowPage);
// How often syncToolBarState / syncDesignerToolBar redrew their bar (the benchmark reads it).
int toolBarRedrawCount();

// --- what other subsystems fill in -------------------------------------------------------------

// Empties the build-output pane; "编译", "静态编译", "运行" and "重新运行" call it first (the
// debugging Part's clearBuildOutput peer; without it the buttons only skip that step). The
// settings dialog (menu "设置(S)" > "Tovalux-主题设置", id 1200) is the openSettingsDialog peer.
void clearBuildOutput();

// Position 13 of "winToolBar0" is the linker selector (createLinkerSelector). When it cannot be
// made, a placeholder combo box holds the position, so every later position stays where the
// state rules expect it.
// The element at position 13 (the placeholder or the linker selector); 0 before the bars exist.
HELE toolBarSlot13();
// Puts `element` (created inside "winToolBar0") at position 13 instead of the element there,
// which is destroyed; the run state is applied to it. False when there is no tool bar or
// `element` is not an element.
bool replaceToolBarPosition13(HELE element);

}  // namespace tovalux
