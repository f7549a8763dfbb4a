// toolkit-gallery.exe: the toolkit's demo. Shows the gallery frame from the theme beside the
// program (lib\Tovalux\Dark) and runs the message loop the toolkit lives in.
//
//   toolkit-gallery.exe [--theme DIR] [--compact] [--screenshot FILE.png]
//
// With --screenshot it saves the frame once it has been painted and exits.
#include <windows.h>

#include <string>

#include "base/gbk.h"
#include "base/screenshot.h"
#include "toolkit/win32/gallery/gallery.h"
#include "toolkit/win32/xcgui_win32.h"

namespace {

std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring theme = programFolder() + L"\\lib\\Tovalux\\Dark";
  std::string screenshot;
  bool compact = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--theme" && i + 1 < argc) {
      theme = tovalux::gbkToUtf16<wchar_t>(argv[++i]);
    } else if (arg == "--screenshot" && i + 1 < argc) {
      screenshot = argv[++i];
    } else if (arg == "--compact") {
      compact = true;
    }
  }

  XInitXCGUI("Tovalux");
  tovalux::gallery::Gallery gallery = tovalux::gallery::buildGallery(theme, compact);
  if (!XC_IsHWINDOW(gallery.frame)) return 1;
  // Closing the frame ends the program.
  XWnd_RegEventC(gallery.frame, WM_DESTROY, [](WPARAM, LPARAM, bool*) {
    PostQuitMessage(0);
    return 0;
  });
  XWnd_ShowWindow(gallery.frame, SW_SHOW);
  HWND frame = XWnd_GetHWND(gallery.frame);

  int result = 0;
  if (!screenshot.empty()) {
    UpdateWindow(frame);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    result = tovalux::saveWindowPng(frame, screenshot) ? 0 : 2;
  } else {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  XExitXCGUI();
  return result;
}
