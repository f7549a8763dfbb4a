// Pieces the commands' Win32 files share; not for other subsystems.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "commands/command.h"
#include "commands/run_state_rules.h"
#include "toolkit/xcgui.h"

namespace tovalux::commands {

// The run-state inputs, read afresh: the program tree's item count, the debugging flag, and,
// when asked, the page kind (only with a project; slot preset to 0) and the caption markers
// (only while debugging; the caption read with a buffer sized from its length).
RunState readRunState(bool withPageKind);

// The host main window's caption (sized from its length, capped).
std::string hostCaption();

void setDescriptor(HXCGUI element, std::string_view descriptor);

// The menu bar buildMainMenu built (0 before), and the names of the recent files its File menu
// shows (in menu order).
HELE menuBar();
std::vector<std::string> shownRecentNames();
// The bar button whose menu is `menu`, and its index; 0 / -1 when none.
HELE barButtonOf(HELE bar, HMENUX menu, int* index = nullptr);

// The bar's menu events (menu_drawing.cpp) and the pick handler (main_menu.cpp).
void registerBarMenuDrawing(HELE bar);
void styleBarButton(HELE button);
void resetMenuOpen();
int onMenuSelect(HELE bar, int id, bool* handled);

// Runs a command record: the menu bar's picks, the tool bars' clicks and the command box all end
// here (command_run.cpp).
void runCommand(const Command& command);

// The settings dialog, when its subsystem registered it.
void openSettingsDialog();

// Dialogs and launches the commands show.
int messageBox(std::string_view text, UINT flags);
bool aboutBox(std::string_view app, std::string_view other);
bool openWebPage(std::string_view address);

}  // namespace tovalux::commands
