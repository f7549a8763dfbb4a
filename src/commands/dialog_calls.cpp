#include "commands/dialog_calls.h"

#include <shellapi.h>

namespace tovalux::commands {

DialogCalls realDialogCalls() {
  DialogCalls calls;
  calls.messageBox = [](HWND owner, const std::string& text, const std::string& title, UINT flags) {
    return MessageBoxA(owner, text.c_str(), title.c_str(), flags);
  };
  calls.aboutBox = [](HWND owner, const std::string& app, const std::string& other) {
    return ShellAboutA(owner, app.c_str(), other.c_str(), nullptr) != FALSE;
  };
  calls.openWebPage = [](const std::string& address) {
    const auto result =
        reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", address.c_str(), "", "", SW_SHOWNORMAL));
    return result > 32;
  };
  return calls;
}

DialogCalls& dialogCalls() {
  static DialogCalls calls = realDialogCalls();
  return calls;
}

}  // namespace tovalux::commands
