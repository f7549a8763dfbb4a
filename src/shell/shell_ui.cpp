// The shell's message boxes and the programs it starts.
#include <windows.h>
#include <shellapi.h>

#include "shell/shell_internal.h"

namespace tovalux::shell_detail {

int askUser(HWND owner, const std::string& text, const std::string& title, UINT flags) {
  return MessageBoxA(owner, text.c_str(), title.c_str(), flags);
}

bool openInBrowser(const std::string& address) {
  return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) >
         32;
}

bool selectInExplorer(const std::string& path) {
  const std::string arguments = "/select,\"" + path + "\"";
  return reinterpret_cast<intptr_t>(
             ShellExecuteA(nullptr, "open", "explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace tovalux::shell_detail
