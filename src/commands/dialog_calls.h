// The modal boxes and launches of the commands (the BlackMoon error box, the About box, the web
// links), behind replaceable calls: the real APIs by default, a test's recorder otherwise.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tovalux::commands {

struct DialogCalls {
  std::function<int(HWND owner, const std::string& text, const std::string& title, UINT flags)> messageBox;
  std::function<bool(HWND owner, const std::string& app, const std::string& other)> aboutBox;
  std::function<bool(const std::string& address)> openWebPage;
};

// The calls in use (UI thread).
DialogCalls& dialogCalls();
// The real APIs: MessageBoxA, ShellAboutA without an icon, ShellExecuteA "open" without an owner.
DialogCalls realDialogCalls();

}  // namespace tovalux::commands
