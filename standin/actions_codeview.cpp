// What a code page's views do for a library that mirrors them: close rules on the MDI client (a
// page that refuses WM_MDIDESTROY, a page whose close takes another one with it), the page's
// scroll bars set by the host, clicks and keys in the code view, and the caret-text query.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "control_traffic.h"
#include "host/ide_functions.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr int kRowHeight = 16;  // as the code view maps clicks to rows and columns
constexpr int kColumnWidth = 8;

// --- close rules on the MDI client -------------------------------------------------------------

struct CloseRule {
  bool refuse = false;
  std::string alsoClose;  // destroyed first, while the host handles this page's close
};
std::map<std::string, CloseRule> gCloseRules;  // by page title
WNDPROC gClientProcedure = nullptr;

LRESULT CALLBACK clientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MDIDESTROY) {
    Host& host = Host::instance();
    if (const PageRecord* page = host.model().page(reinterpret_cast<HWND>(wParam))) {
      const auto rule = gCloseRules.find(page->title);
      if (rule != gCloseRules.end()) {
        if (rule->second.refuse) {
          host.journal().record(EntryBuilder("close-refused-page").add("title", page->title));
          return 0;
        }
        if (const PageRecord* other = host.model().pageByTitle(rule->second.alsoClose)) {
          host.journal().record(EntryBuilder("close-also").add("title", other->title));
          DestroyWindow(other->window);
        }
      }
    }
  }
  return CallWindowProcA(gClientProcedure, window, message, wParam, lParam);
}

void setUpClient(Host& host) {
  HWND client = host.tree().mdiClient;
  if (!client) return;
  gClientProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&clientProcedure)));
}

ActionResult closeRule(Host&, const ActionArgs& args) {
  const std::string& title = args.text(0);
  const std::string& what = args.text(1);
  if (title.empty()) return ActionResult::failure("page-close-rule TITLE refuse|clear|also=OTHER");
  if (what == "clear") {
    gCloseRules.erase(title);
  } else if (what == "refuse") {
    gCloseRules[title] = CloseRule{true, {}};
  } else if (const auto other = args.option("also")) {
    gCloseRules[title] = CloseRule{false, *other};
  } else {
    return ActionResult::failure("page-close-rule TITLE refuse|clear|also=OTHER");
  }
  return ActionResult::success();
}

// --- the code view -----------------------------------------------------------------------------

const PageRecord* codePage(Host& host, const ActionArgs& args, std::string& error) {
  const PageRecord* page = host.model().pageByTitle(args.text(0));
  if (!page) {
    error = "no page \"" + args.text(0) + "\"";
  } else if (!page->codeView) {
    error = "page \"" + args.text(0) + "\" has no code view";
    page = nullptr;
  }
  return page;
}

// The host keeps its page's scroll bars current and repaints the view.
ActionResult scrollPage(Host& host, const ActionArgs& args) {
  std::string error;
  const PageRecord* page = codePage(host, args, error);
  if (!page) return ActionResult::failure(error);
  const std::string& which = args.text(1);
  if (which != "v" && which != "h") return ActionResult::failure("page-scroll TITLE v|h [range=N] [pos=N]");
  HWND bar = GetDlgItem(page->mainView, which == "v" ? 0xEA10 : 0xEA00);
  if (const auto range = args.option("range"))
    SetScrollRange(bar, SB_CTL, 0, static_cast<int>(args.optionNumber("range")), FALSE);
  if (args.option("pos")) SetScrollPos(bar, SB_CTL, static_cast<int>(args.optionNumber("pos")), FALSE);
  InvalidateRect(page->codeView, nullptr, FALSE);
  if (args.optionNumber("paint", 1)) UpdateWindow(page->codeView);
  return ActionResult::success();
}

// A click in the code view at a row and column (0-based), button down and up, as the user's.
ActionResult clickPage(Host& host, const ActionArgs& args) {
  std::string error;
  const PageRecord* page = codePage(host, args, error);
  if (!page) return ActionResult::failure(error);
  const int row = static_cast<int>(args.optionNumber("row", 0));
  const int column = static_cast<int>(args.optionNumber("column", 0));
  const LPARAM at = MAKELPARAM(column * kColumnWidth + kColumnWidth / 2, row * kRowHeight + kRowHeight / 2);
  SendMessageA(page->codeView, WM_LBUTTONDOWN, MK_LBUTTON, at);
  if (args.optionNumber("hold", 0) == 0) SendMessageA(page->codeView, WM_LBUTTONUP, 0, at);
  return ActionResult::success();
}

// The button of a click made with hold=1 comes up.
ActionResult releasePage(Host& host, const ActionArgs& args) {
  std::string error;
  const PageRecord* page = codePage(host, args, error);
  if (!page) return ActionResult::failure(error);
  SendMessageA(page->codeView, WM_LBUTTONUP, 0, 0);
  return ActionResult::success();
}

ActionResult keyUpPage(Host& host, const ActionArgs& args) {
  std::string error;
  const PageRecord* page = codePage(host, args, error);
  if (!page) return ActionResult::failure(error);
  SendMessageA(page->codeView, WM_KEYUP, static_cast<WPARAM>(args.optionNumber("key", VK_DOWN)), 0);
  return ActionResult::success();
}

// --- the caret-text query 0x0503000A -------------------------------------------------------------
//
// Record {-1, -1, text, length, 0, 0}: with no text address the host writes the length of the
// caret line's text; with one it copies at most `length` bytes there (a NUL after a shorter text).
// The line's text is "代码第N行" for row N (1-based); mode "caret-text-length" replaces its length
// (the text is then that many 'x'). Each call is journaled; the second says whether the byte after
// the asked length is a zero the caller left there (a buffer of length + 1).

std::string caretLineText(Host& host) {
  const int64_t forced = host.mode("caret-text-length");
  if (forced != 0) return std::string(static_cast<size_t>(std::max<int64_t>(forced, 0)), 'x');
  const PageRecord* page = host.model().activePageRecord();
  const int row = page ? page->caretRow : 0;
  return "代码第" + std::to_string(row + 1) + "行";
}

int32_t queryCaretText(Host& host, int32_t address, int32_t) {
  auto* record = reinterpret_cast<int32_t*>(static_cast<intptr_t>(address));
  if (!record) return 0;
  const std::string text = caretLineText(host);
  const int64_t forced = host.mode("caret-text-length");
  const int32_t reported = forced < 0 ? static_cast<int32_t>(forced) : static_cast<int32_t>(text.size());
  if (record[2] == 0) {
    record[3] = reported;
    host.journal().record(EntryBuilder("caret-text").add("call", 1).add("length", reported));
    return 1;
  }
  auto* buffer = reinterpret_cast<char*>(static_cast<intptr_t>(record[2]));
  const int32_t room = record[3];
  const size_t copy = std::min<size_t>(text.size(), room > 0 ? static_cast<size_t>(room) : 0);
  // The byte after the room: read before writing, so what the caller left there shows.
  const int nulAfter = room > 0 && buffer[room] == '\0' ? 1 : 0;
  std::memcpy(buffer, text.data(), copy);
  if (copy < static_cast<size_t>(std::max(room, 0))) buffer[copy] = '\0';
  host.journal().record(EntryBuilder("caret-text")
                            .add("call", 2)
                            .add("length", room)
                            .add("copied", static_cast<int64_t>(copy))
                            .add("nul-after", nulAfter));
  return 1;
}

void tearDown(Host&) {
  gCloseRules.clear();
  gClientProcedure = nullptr;
}

const ActionRegistration kRegistrations[] = {
    {"page-close-rule",
     "page-close-rule TITLE refuse|clear|also=OTHER: the MDI client refuses WM_MDIDESTROY for "
     "the page, or destroys OTHER first",
     &closeRule},
    {"page-scroll",
     "page-scroll TITLE v|h [range=N] [pos=N] [paint=0]: the page's scroll bar 0xEA10/0xEA00, then "
     "the code view repaints",
     &scrollPage},
    {"page-click", "page-click TITLE row=R column=C [hold=1]: button down (and up) in the code view", &clickPage},
    {"page-release", "page-release TITLE: the button of a held click comes up", &releasePage},
    {"page-key", "page-key TITLE [key=VK]: WM_KEYUP in the code view", &keyUpPage},
};

const IdeFunctionRegistration kIdeFunctions[] = {
    {tovalux::ide::kQueryCaretText, "caret text", &queryCaretText},
};

const TreeSetupRegistration kSetup{"code pages", &setUpClient};
const TeardownRegistration kTeardown{"code pages", &tearDown};

}  // namespace
}  // namespace standin
