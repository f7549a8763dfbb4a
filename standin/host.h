// The stand-in IDE: towards a support library it is the host. It owns the main window
// "ENewFrame" with the whole window tree at the ids the library walks, loads libraries from
// H\lib\*.fne, sends the notifications, answers the library's calls and runs IDE functions,
// recording everything in its journal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/library_info.h"
#include "journal.h"
#include "window_tree.h"

namespace standin {

using GetNewInfFunction = const tovalux::LibraryInfo*(__stdcall*)();

// The host's own version, checked against a library's required host version.
constexpr int32_t kHostMajorVersion = 5;
constexpr int32_t kHostMinorVersion = 9;

struct LoadedLibrary {
  std::string name;          // file name, or a label for an in-process library
  HMODULE module = nullptr;  // null for an in-process library
  const tovalux::LibraryInfo* info = nullptr;
};

class Host {
 public:
  static Host& instance();

  // H, the folder of the host's executable (the current directory during the run).
  const std::string& directory() const { return directory_; }
  void setDirectory(const std::string& directory) { directory_ = directory; }

  Journal& journal() { return journal_; }

  // Registers the classes and creates the main window with the whole tree (hidden until show()).
  bool createWindows();
  void show(int command = SW_SHOWNORMAL);
  // Destroys the tree without notifications (tests tear down with it).
  void destroyWindows();
  HWND mainWindow() const { return tree_.main; }
  const WindowTree& tree() const { return tree_; }

  // Libraries: every H\lib\*.fne, or one linked into the process.
  int loadLibraries();
  bool addLibrary(GetNewInfFunction getNewInf, const std::string& label);
  void unloadLibraries();
  const std::vector<LoadedLibrary>& libraries() const { return libraries_; }

  // Sends a notification to every library, recording each answer; answers the last one.
  int32_t notifyAll(int32_t code, int32_t param1 = 0, int32_t param2 = 0);
  // Shows one of the host's pop-up menus (sends notification 19 first).
  void showPopupMenu(int32_t first, int32_t second, POINT screen);

  // The host's start-up after its windows exist: notification 1, then 18.
  void startLibraries();
  // Closing: notification 6 while the main window exists, destroy it, quit the loop.
  void close();

  // What the library's calls reach (hostNotify).
  int32_t onLibraryCall(int32_t code, int32_t param1, int32_t param2);
  // Answer to hostNotify(1); 0 until the main window exists.
  HWND mainWindowForLibraries() const { return tree_.main; }

  // IDE functions: queries write their slot, the others are accepted and recorded.
  int32_t runIdeFunction(uint32_t number, const int32_t* block);

  // Scripted actions a test may send as WM_COPYDATA text to the main window.
  void runControlCommand(const std::string& command);

  // The visibility of the four dock bars (top, left, bottom, right) as "1010"; recorded with
  // the moment it was taken.
  std::string dockBarsVisible() const;
  void recordDockBars(const char* moment);

  // Main window procedure pieces.
  LRESULT handleMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

 private:
  Host() = default;

  std::string directory_ = ".";
  Journal journal_;
  WindowTree tree_;
  std::vector<LoadedLibrary> libraries_;
  bool closing_ = false;
};

// The host's function handed to libraries with notification 1.
int32_t __stdcall hostNotifyEntry(int32_t code, int32_t param1, int32_t param2);

// "ui" on the thread that created the main window, "other" elsewhere.
std::string threadLabel();

}  // namespace standin
