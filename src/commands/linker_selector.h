// The linker selector at position 13 of the main tool bar: a combo box that shows the linker the
// host links with (its setting [linker] linker in H\tools\link.ini), lists the linkers installed
// under H\linker (each a subfolder with bin\link.exe), and rewrites the setting when the user
// picks another one. The host's INI value is the only state. UI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/xcgui.h"

namespace tovalux {

// Position 13 of the main tool bar: creates the combo box inside `toolBar` and answers it (the
// builder appends it); 0 when it cannot be made.
HELE createLinkerSelector(HELE toolBar);

// The name of the linker in use (empty when the setting is missing or outside the layout).
std::string currentLinkerName();
// Empties `combo` and lists the installed linkers, in the file system's order.
void fillLinkerList(HELE combo);
// The subfolders of `folder` (names, or with `withPath` the folder and the name), dot names
// skipped, in the file system's order.
std::vector<std::string> listSubfolders(std::string_view folder, bool withPath);
// Event 71: the linker of item `index` becomes the host's. False (and `*handled` set, so the
// combo keeps its text) when it is not installed or the setting could not be written.
bool chooseLinker(HELE combo, int index, bool* handled);

// The folder the selector takes for H; empty (the default) means the host's own folder.
void setLinkerHostFolderForTests(std::string folder);

}  // namespace tovalux
