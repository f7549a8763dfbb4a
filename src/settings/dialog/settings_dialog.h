// The settings dialog (menu "设置(S)" > "Tovalux-主题设置"): the seven user-facing keys of the
// settings file, saved for the next start of the host. UI thread only.
#pragma once

#include <string>

#include "toolkit/xcgui.h"

namespace tovalux {

// Builds and shows a new dialog over the frame (every call makes another one); answers its
// window, 0 when the layout could not be loaded.
HWINDOW openSettingsDialog();
// The menu's opener (a void function: the Part offers it to the commands' menu 1200).
void openSettingsDialogFromMenu();

struct Part;
extern const Part kSettingsDialogPart;

// The layout, relative to the host folder. Tests load an older or broken layout through it;
// an empty text puts the theme's own back.
void setSettingsDialogLayoutForTests(const std::string& relativePath);

}  // namespace tovalux
