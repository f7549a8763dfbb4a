// The module manager pane ("常用模块"): the user's own library of E module files grouped in
// category folders, kept in H\lib\Tovalux\EcManager.json. A double click on a module adds it as
// a module reference to the program open in the host. UI thread only.
//
// The list file is never lost: every change reads the file again, edits it and saves it through
// a temporary file moved over the old one; a file that exists but cannot be read or parsed is
// never written over (changes are refused with a message).
#pragma once

#include <string>
#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The pane's Part: it builds the pane and offers reloadModuleTree to the host main window's
// message 9909. Its "引用模块>" lines go to the debugging log (the appendDebugLine peer).
extern const Part kModuleManagerPart;

// Start-up: the pane's view, its tool bar and tree, then the tree filled from the file.
void buildModulePane();
// Empties the tree and fills it again from the file (message 9909 with (1, 1) runs it too). The
// list is shown at once; its files are hashed on a worker, and when the digests arrive a module
// whose file is gone or whose content is listed above it leaves the tree (it stays in the file).
// One reload runs at a time and at most one waits: a burst of requests makes two.
void reloadModuleTree();
// True when no reload runs or waits (tests wait on it).
bool moduleReloadIdle();
struct ModulePaneCounters {
  uint32_t reloadRequests = 0;
  uint32_t reloadsStarted = 0;
  uint32_t reloadsFinished = 0;
};
ModulePaneCounters modulePaneCounters();

// Shut-down: the pane's state back to "not built".
void tearDownModulePane();

// H\lib\Tovalux\EcManager.json.
std::string moduleListPath();

// For tests: the tree, the tool bar, the open name-entry window (0 when none).
HELE moduleTree();
HELE moduleToolBar();
HWINDOW moduleNameWindow();
// The tree's double click as the user makes it on the selected item.
void addSelectedModuleReference();

}  // namespace tovalux
