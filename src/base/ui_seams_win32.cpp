#include "base/ui_seams.h"

#include <commdlg.h>
#include <shellapi.h>

#include <atomic>

#include "base/gbk.h"
#include "base/gbk_scan.h"

namespace tovalux {
namespace {

// The real APIs.
class SystemUi final : public UiSeams {
 public:
  int messageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) override {
    return MessageBoxA(owner, text.c_str(), title.c_str(), flags);
  }

  OpenFileAnswer openFiles(const OpenFileRequest& request) override {
    // Room for a long multi-selection; a selection that does not fit is refused by the dialog
    // (FNERR_BUFFERTOOSMALL) and answered as "not accepted".
    std::vector<char> buffer(request.multiSelect ? 65536 : MAX_PATH * 2, '\0');
    std::string filter = request.filter;
    filter.append(2, '\0');  // the list ends with an empty pair
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner(request.owner);
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size() - 1);
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.Flags = OFN_EXPLORER | request.extraFlags | (request.multiSelect ? OFN_ALLOWMULTISELECT : 0);
    OpenFileAnswer answer;
    if (!GetOpenFileNameA(&dialog)) return answer;
    answer.paths = splitOpenFileBuffer(buffer.data(), buffer.size());
    answer.accepted = !answer.paths.empty();
    return answer;
  }

  FontAnswer chooseFont(const FontRequest& request) override {
    FontAnswer answer;
    answer.font = request.initial;
    CHOOSEFONTA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner(request.owner);
    dialog.lpLogFont = &answer.font;
    dialog.Flags = request.flags | CF_INITTOLOGFONTSTRUCT;
    if (request.maxSize > 0) {
      dialog.Flags |= CF_LIMITSIZE;
      dialog.nSizeMin = request.minSize;
      dialog.nSizeMax = request.maxSize;
    }
    answer.accepted = ChooseFontA(&dialog) != FALSE;
    answer.pointSizeTenths = dialog.iPointSize;
    if (!answer.accepted) answer.font = request.initial;
    return answer;
  }

  bool shellExecute(const LaunchRequest& request) override {
    auto optional = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
    const HINSTANCE result = ShellExecuteA(request.owner, optional(request.verb), request.file.c_str(),
                                           optional(request.parameters), optional(request.directory), request.show);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }

  bool aboutBox(HWND window, const std::string& app, const std::string& other) override {
    return ShellAboutA(owner(window), app.c_str(), other.c_str(), nullptr) != FALSE;
  }

 private:
  // A destroyed owner would make the dialog fail; it then goes without one.
  static HWND owner(HWND window) { return window && IsWindow(window) ? window : nullptr; }
};

SystemUi gSystemUi;

std::atomic<UiSeams*> gInstalled{nullptr};

}  // namespace

UiSeams& uiSeams() {
  UiSeams* installed = gInstalled.load();
  return installed ? *installed : gSystemUi;
}

UiSeams* installUiSeams(UiSeams* seams) { return gInstalled.exchange(seams); }

int showMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) {
  return uiSeams().messageBox(owner, text, title, flags);
}

OpenFileAnswer askOpenFiles(const OpenFileRequest& request) { return uiSeams().openFiles(request); }

FontAnswer askFont(const FontRequest& request) { return uiSeams().chooseFont(request); }

bool shellExecute(const LaunchRequest& request) { return uiSeams().shellExecute(request); }

bool showAboutBox(HWND owner, const std::string& app, const std::string& other) {
  return uiSeams().aboutBox(owner, app, other);
}

std::string explorerPath() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return {};
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + "explorer.exe";
}

bool startExplorer(const std::string& arguments) {
  // By its full path: a bare name is searched for in the IDE's folder and the current directory
  // first (which the host's open dialogs move into project folders).
  const std::string program = explorerPath();
  if (program.empty()) return false;
  LaunchRequest request;
  request.verb = "open";
  request.file = program;
  request.parameters = arguments;
  return shellExecute(request);
}

std::string explorerSelectArguments(const std::string& path) { return "/select,\"" + path + "\""; }

std::vector<std::string> splitOpenFileBuffer(const char* buffer, size_t size) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < size && buffer[i] != '\0') {
    size_t end = i;
    while (end < size && buffer[end] != '\0') ++end;
    parts.emplace_back(buffer + i, end - i);
    i = end + 1;
  }
  if (parts.size() <= 1) return parts;  // one file: already its full path
  std::string folder = parts.front();
  if (!gbkEndsWith(folder, '\\')) folder += '\\';
  std::vector<std::string> paths;
  for (size_t n = 1; n < parts.size(); ++n) paths.push_back(folder + parts[n]);
  return paths;
}

}  // namespace tovalux
