// The shell's message boxes and the programs it starts go through base's seams, so tests answer
// them from a script and nothing is started under Wine.
#include "base/ui_seams.h"
#include "shell/shell_internal.h"

namespace tovalux::shell_detail {

int askUser(HWND owner, const std::string& text, const std::string& title, UINT flags) {
  return showMessageBox(owner, text, title, flags);
}

bool openInBrowser(const std::string& address) {
  LaunchRequest request;
  request.verb = "open";
  request.file = address;
  request.show = SW_SHOWNORMAL;
  return shellExecute(request);
}

bool selectInExplorer(const std::string& path) { return startExplorer(explorerSelectArguments(path)); }

}  // namespace tovalux::shell_detail
