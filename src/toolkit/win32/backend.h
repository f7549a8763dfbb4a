// The Win32 backend: the model's Platform over real windows. One instance, alive between
// XInitXCGUI and XExitXCGUI on the thread that called XInitXCGUI (the UI thread); everything
// here runs on that thread except XC_CallUiThread's hand-over (ui_thread.cpp).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "toolkit/model/core/platform.h"
#include "toolkit/win32/fonts.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::tk::win32 {

class NativeWindow;
class ToolTip;

// Native window classes of the toolkit's own pop-ups; each has a class of its own, so that a
// change to one class (the shell ORs CS_DROPSHADOW into the menu pop-ups') touches no other. The
// model names no class for them: NativeWindow::create picks it by the window's kind.
inline constexpr wchar_t kDefaultClass[] = L"TovaluxWindow";
inline constexpr wchar_t kMenuClass[] = L"TovaluxMenu";
inline constexpr wchar_t kPaneClass[] = L"TovaluxPane";
inline constexpr wchar_t kDropDownClass[] = L"TovaluxDropDown";
inline constexpr wchar_t kToolTipClass[] = L"TovaluxToolTip";
inline constexpr wchar_t kShadowClass[] = L"TovaluxShadow";
inline constexpr wchar_t kCallClass[] = L"TovaluxUiCall";
inline constexpr wchar_t kAccessClass[] = L"TovaluxAccess";  // message-only: accessibility notices

HINSTANCE moduleInstance();
LRESULT CALLBACK toolkitWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class Backend : public Platform {
 public:
  // The running backend, or null outside XInitXCGUI .. XExitXCGUI.
  static Backend* running();
  static Platform* start();

  void windowCreated(Window& window) override;
  void windowDestroyed(Window& window) override;
  void invalidate(Window& window, const XRect& area, bool immediate) override;
  void showWindow(Window& window, ShowMode mode) override;
  void windowCommand(Window& window, WindowCommand command) override;
  void windowMoved(Window& window) override;
  XPoint unitsFromScreen(XHWND owner, XPoint screen) override;
  TextMeasurer* measurer() override { return &measurer_; }
  void toolkitExited() override;

  NativeWindow* find(HWINDOW window) const;
  // The scale of a toolkit window's native window (the measuring scale when it has none).
  Scale scaleOf(HWINDOW window) const;
  // Deletes retired native-window objects whose window is gone and whose window procedure is
  // not running.
  void purge();
  ToolTip* toolTip() { return toolTip_.get(); }

  // Registers a class of this module with `proc` (once per name, unregistered when the toolkit
  // exits); answers whether the class is usable.
  bool ensureClass(const std::wstring& name, UINT classStyle, WNDPROC proc = toolkitWindowProc);

 private:
  Backend() = default;
  void stop();

  GdiTextMeasurer measurer_;
  std::map<HWINDOW, std::unique_ptr<NativeWindow>> windows_;
  // Destroyed, waiting for their window procedure to return before they are deleted.
  std::vector<std::unique_ptr<NativeWindow>> retired_;
  std::set<std::wstring> classes_;
  std::unique_ptr<ToolTip> toolTip_;
};

// XC_CallUiThread's side on the UI thread (ui_thread.cpp).
bool startUiCalls();
void stopUiCalls();

}  // namespace tovalux::tk::win32
