// The plug-in's own modal UI and the programs it starts, behind one replaceable interface.
// Shell code calls showMessageBox, askOpenFiles, askFont, shellExecute and startExplorer instead
// of MessageBoxA, GetOpenFileNameA, ChooseFontA and ShellExecuteA: the real APIs run by default,
// and a test installs its own UiSeams that answers from a script and records what was asked
// (no modal loop to hang on, no explorer or browser started under Wine).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tovalux {

struct OpenFileRequest {
  HWND owner = nullptr;
  std::string title;
  // Pairs "description\0pattern\0" as OPENFILENAMEA takes them; embedded NULs are kept.
  std::string filter;
  std::string initialFolder;
  bool multiSelect = false;
  DWORD extraFlags = 0;  // OFN_* besides OFN_EXPLORER and OFN_ALLOWMULTISELECT
};

struct OpenFileAnswer {
  bool accepted = false;
  std::vector<std::string> paths;  // full paths, one per chosen file
};

struct FontRequest {
  HWND owner = nullptr;
  LOGFONTA initial{};
  DWORD flags = 0;  // CF_*; CF_INITTOLOGFONTSTRUCT is always added (the dialog starts at `initial`)
  int minSize = 0;  // points; with maxSize > 0 the dialog limits the sizes (CF_LIMITSIZE)
  int maxSize = 0;
};

struct FontAnswer {
  bool accepted = false;
  LOGFONTA font{};
  int pointSizeTenths = 0;  // CHOOSEFONTA.iPointSize
};

struct LaunchRequest {
  HWND owner = nullptr;
  std::string verb;  // "open", or empty for the default verb
  std::string file;
  std::string parameters;
  std::string directory;
  int show = SW_SHOWNORMAL;
};

class UiSeams {
 public:
  virtual ~UiSeams() = default;
  // Answers the button pressed (IDOK, IDYES, ...), 0 when no box could be shown.
  virtual int messageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) = 0;
  virtual OpenFileAnswer openFiles(const OpenFileRequest& request) = 0;
  virtual FontAnswer chooseFont(const FontRequest& request) = 0;
  // True when the program or document was started.
  virtual bool shellExecute(const LaunchRequest& request) = 0;
  // The Windows About box (ShellAboutA, no icon): `app` goes to its title, `other` below the
  // system's lines. True when it was shown.
  virtual bool aboutBox(HWND owner, const std::string& app, const std::string& other) = 0;
};

// The seams in use. Safe from any thread.
UiSeams& uiSeams();
// Installs `seams` (nullptr puts the real APIs back) and answers the ones installed before.
// The caller keeps `seams` alive while it is installed.
UiSeams* installUiSeams(UiSeams* seams);

int showMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags);
OpenFileAnswer askOpenFiles(const OpenFileRequest& request);
FontAnswer askFont(const FontRequest& request);
bool shellExecute(const LaunchRequest& request);
bool showAboutBox(HWND owner, const std::string& app, const std::string& other);

// Starts explorer.exe from the Windows directory (its full path, never the bare name) with
// `arguments` through shellExecute.
bool startExplorer(const std::string& arguments);
// GetWindowsDirectoryA + "\\explorer.exe"; empty when the directory cannot be had.
std::string explorerPath();
// "/select,\"path\"": the path quoted, so a comma or a blank in it stays part of it.
std::string explorerSelectArguments(const std::string& path);

// The files of a multi-select answer as the dialog writes them: "folder\0name\0name\0\0", or a
// single "path\0\0". Full paths, in the dialog's order; nothing for an empty buffer.
std::vector<std::string> splitOpenFileBuffer(const char* buffer, size_t size);

}  // namespace tovalux
