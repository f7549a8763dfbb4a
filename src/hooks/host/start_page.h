// The host's start page in the dark look: its four links painted by us, the splash covered, and
// the web view's page styled once it has loaded. The hooks on the host find the windows
// (creation rules 1 and 3, main-window message 99999); this part acts on them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tovalux {

struct Part;
// The start page's Part: the link procedure and the start-page hooks (creation rules 1 and 3,
// message 99999) offered to the hooks; its tearDown forgets how far the page's styling got.
extern const Part kStartPagePart;
void tearDownStartPage();

// The procedure of the links "新建", "打开...", "最近" and "清空".
LRESULT CALLBACK startPageLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The document of one web view, reached through its "Internet Explorer_Server" window, and used
// by name through IDispatch (readyState, parentWindow.execScript). COM is initialised for the
// object's life and balanced only when that initialise succeeded (S_OK or S_FALSE): a thread
// already in another apartment keeps its COM untouched.
class PageAutomation {
 public:
  PageAutomation();
  ~PageAutomation();
  PageAutomation(const PageAutomation&) = delete;
  PageAutomation& operator=(const PageAutomation&) = delete;

  HRESULT comResult() const { return com_; }
  // Finds the server window (the window itself or its first such descendant, depth first) and
  // asks it for its document (WM_HTML_GETOBJECT, 1 s at most for a hung window).
  bool attachToView(HWND window);
  bool attached() const { return document_ != nullptr; }
  // The document's readyState, read once; empty when it cannot be read.
  std::string readyState() const;
  // Runs `code` (GBK) with the window's execScript; `language` as scriptLanguage decides.
  bool runScript(std::string_view code, std::string_view language);

 private:
  HRESULT com_;
  bool comInitialised_;
  IDispatch* document_ = nullptr;
};

// What the start page did, for tests.
struct StartPageCounters {
  uint32_t linkPaints = 0;
  uint32_t watchersStarted = 0;
  uint32_t watchersRunning = 0;
  uint32_t watcherRequests = 0;   // 99999 sent to the host main window
  uint32_t watchersAccepted = 0;  // ended because a request was answered 1
  uint32_t watchersLinkGone = 0;  // ended because their link window died
  uint32_t watchersStopped = 0;   // ended at shut-down
  uint32_t readinessChecks = 0;   // readyState reads made for a request
  uint32_t scriptsInjected = 0;
  uint32_t pagesGivenUp = 0;  // not complete within the limit
  uint32_t splashesCovered = 0;
  uint32_t splashPicturesLoaded = 0;  // decodes of the splash picture
};
StartPageCounters startPageCounters();
void resetStartPageCountersForTests();

}  // namespace tovalux
