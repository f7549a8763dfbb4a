// What the shell's own files share: the frame's parts and small helpers. Not for other layers.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "shell/layout_rules.h"
#include "shell/pane_kit.h"
#include "shell/shell.h"
#include "shell/shell_rules.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::shell_detail {

struct FrameParts {
  HWINDOW frame = 0;
  // The four edge elements, from the edge layout files.
  HELE top = 0, left = 0, right = 0, bottom = 0;
  HELE codeView = 0;  // "eCodeView"
  HELE mainView = 0;  // "codeMainView"
  std::array<HELE, shell_rules::kPaneCount> panes{};
};
FrameParts& parts();

// "lib\Tovalux\Dark\<name>" as the toolkit takes it (relative to the current directory).
using pane_kit::themeFile;
HXCGUI named(const char* name);

bool isEdge(HXCGUI element);

// The host main window when the host answers one (1 or above), null otherwise.
HWND hostMainWindow();

// Part of buildPanes and the frame's handlers.
void buildPaneTable();
int onPaneFloated(HWINDOW window, HELE pane);
void registerPaneTextColours();
void countUndockRefusal();

// The property form's side of floating panes (property_form.cpp).
void onPropertiesPaneFloated(HWINDOW window);
void onOtherPaneFloated(HWINDOW window);
void propertyFormBackToFrame();

// Where the layout file of this start-up puts the frame; none when it gives no usable place
// (the frame then opens as without one). Reads the file on first use (layout.cpp).
std::optional<layout::FramePlacement> savedFramePlacement();

// The message box and the programs the shell starts (explorer, the browser).
int askUser(HWND owner, const std::string& text, const std::string& title, UINT flags);
bool openInBrowser(const std::string& address);
bool selectInExplorer(const std::string& path);

}  // namespace tovalux::shell_detail
