// The code view companions: the code-page tabs that mirror the host's MDI pages, the navigation
// bar that mirrors the host's unit and member combo boxes (and builds table member lists from
// its program tree), the shell's scroll bars kept in step with the active code view, and the
// caret status fields.
//
// Two Parts (shell/part.h): the code tabs' (tabs and navigation bar; it declares the procedures
// the hooks subclass the MDI client and every new code view with, and mirrors the host's unit and
// member combo boxes) and the scroll bars'. Their builders run after the hooks are installed; the
// tabs' tearDown runs before the subclasses are put back. Everything runs on the host's UI thread.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tovalux {

struct Part;
extern const Part kCodeTabsPart;
extern const Part kCodeScrollBarsPart;

// The Parts' builders: the tab bar "codePageTab" with the navigation bar, and the scroll bars
// "codeScrollBarV" / "codeScrollBarH". The designer tool bar follows the active page through the
// commands' syncDesignerToolBar peer.
void setupCodeTabs();
void setupCodeScrollBars();

// Stops the caret timer and any table fill still running and forgets every page (shut-down,
// before the subclasses are put back).
void shutDownCodeView();

// The procedures themselves (the hooks install them through the plug points).
LRESULT CALLBACK mdiClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK pageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK codeViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A code page became active: its icons and, on a table page, its emptied member list.
void refreshNavigationForPage(HWND page);
// The page's tab label (0 when the page has none) and whether it is a window-designer page.
uint32_t pageTabLabel(HWND page);
bool isWindowDesignerPage(HWND page);

// What the companions did, for tests and benchmarks.
struct CodeViewCounters {
  uint32_t pageTabsAdded = 0;
  uint32_t pageTabsRemoved = 0;       // labels deleted for pages that went
  uint32_t tabActivations = 0;        // WM_MDIACTIVATE sent for a tab click
  uint32_t closeRequests = 0;         // WM_MDIDESTROY sent for a close click
  uint32_t refusedCloses = 0;         // close clicks after which the page was still there
  uint32_t comboRefills = 0;          // shell combos refilled from the host's
  uint32_t deferredRefills = 0;       // of those, put off until the shell combo's own event returned
  uint32_t tableFills = 0;            // member lists built from the program tree
  uint32_t tableFillItems = 0;        // items the last fill added
  uint32_t tableFillSlices = 0;       // slices the last fill took
  double tableFillMs = 0;             // from the pop-up to the last item of the last fill
  double longestFillSliceMs = 0;      // the longest slice of the last fill
  uint32_t staleMemberChoices = 0;    // member choices whose tree item was gone
  uint32_t scrollPaints = 0;          // code-view paints the scroll mirror ran for
  uint32_t scrollBarUpdates = 0;      // XSBar_SetRange and XSBar_ScrollPos calls
  uint32_t caretTimerArms = 0;        // clicks and keys that (re)armed the caret timer
  uint32_t caretUpdates = 0;          // caret read-outs
  int32_t lastCaretBufferBytes = 0;   // size of the last caret text buffer (requested length + 1)
  uint32_t captureDancesSkipped = 0;  // clicks after which a window held the capture
};
CodeViewCounters codeViewCounters();
void resetCodeViewCountersForTests();

}  // namespace tovalux
