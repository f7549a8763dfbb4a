// Reading what the plug-in shows as a screen reader reads it: the accessible objects of the
// toolkit's top-level windows of this process (the frame that holds the main window first, then
// menus, drop-downs, dialogs, tips...), through AccessibleObjectFromWindow and IAccessible only.
//
//   ui-dump [hidden=1]          one "ui" entry per object (window, depth, role, name, value,
//                               description, action, states, x, y, width, height), then "ui-dump"
//                               (windows, objects, ms); hidden=1 also reads hidden windows
//   ui-find ROLE NAME [shown=1] [timeout=MS] [value=PATTERN] [line=TEXT]
//                               the first object with that role and name ("ui-found"), a shown
//                               one before a hidden one; fails when there is none (shown=1: when
//                               there is no shown one) after waiting up to MS for it. NAME "*" is
//                               any name; value= asks the value to match PATTERN ("*" any run of
//                               characters, line breaks too, "?" any one byte), line= one line of
//                               the value to be TEXT exactly (a text box's lines); depth=N only
//                               at that depth of its window's tree (1: a pop-up menu's items,
//                               2: the menu bar's)
//   ui-click ROLE NAME [value=PATTERN] [line=TEXT] [at=left] [clicks=2] [button=right]
//                               a real click (SendInput) where the accessible tree places it
//   ui-absent ROLE NAME [value=PATTERN] [line=TEXT]
//                               fails when a shown object matches (what must not be seen)
//   ui-press ROLE NAME [value=PATTERN] [line=TEXT]
//                               as ui-find, then its default action ("ui-pressed"); the action
//                               runs on the UI thread's next turn, which this serves before it
//                               returns
#include <chrono>
#include <optional>
#include <string_view>

#include "standin_host.h"
#include "ui_reader.h"

namespace standin {
namespace {

std::string hexHandle(HWND window) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

EntryBuilder entryOf(const char* kind, const ui::Node& n) {
  EntryBuilder e(kind);
  e.add("window", hexHandle(n.window)).add("depth", n.depth).add("role", n.role).add("name", n.name);
  if (!n.value.empty()) e.add("value", n.value);
  if (!n.description.empty()) e.add("description", n.description);
  if (!n.action.empty()) e.add("action", n.action);
  e.add("states", n.states)
      .add("x", n.bounds.left)
      .add("y", n.bounds.top)
      .add("width", n.bounds.right - n.bounds.left)
      .add("height", n.bounds.bottom - n.bounds.top);
  return e;
}

// The frame that holds the host's main window, then every other toolkit window of the process.
std::vector<HWND> windowsToRead(Host& host, bool hidden) {
  HWND main = host.mainWindow();
  HWND frame = main != nullptr ? GetAncestor(main, GA_ROOT) : nullptr;
  return ui::toolkitWindows(GetCurrentProcessId(), frame, hidden);
}

// COM for the time of one action, on the UI thread.
struct Apartment {
  HRESULT hr = CoInitialize(nullptr);
  ~Apartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

ActionResult dump(Host& host, const ActionArgs& args) {
  Apartment com;
  const auto start = std::chrono::steady_clock::now();
  const std::vector<HWND> windows = windowsToRead(host, args.optionNumber("hidden", 0) != 0);
  if (windows.empty()) return ActionResult::failure("no toolkit window in this process");
  std::vector<JournalEntry> entries;
  std::string error;
  for (HWND window : windows)
    if (!ui::walk(
            window, [&](const ui::Node& n, IAccessible*) { return entries.push_back(entryOf("ui", n)), true; }, &error))
      return ActionResult::failure(error);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  // Journaled after the reading, so that writing the journal is not counted in its time.
  for (JournalEntry& e : entries) host.journal().record(std::move(e));
  host.journal().record(EntryBuilder("ui-dump")
                            .add("windows", static_cast<int64_t>(windows.size()))
                            .add("objects", static_cast<int64_t>(entries.size()))
                            .add("ms", static_cast<int64_t>(ms)));
  return ActionResult::success();
}

// What an object must be to match: its role, its name ("*" for any) and, when given, a pattern
// its value matches or a text one of its value's lines is.
struct Wanted {
  std::string role, name;
  std::optional<std::string> valuePattern, line;
  int depth = -1;  // any

  static Wanted of(const ActionArgs& args) {
    return {args.text(0), args.text(1), args.option("value"), args.option("line"),
            static_cast<int>(args.optionNumber("depth", -1))};
  }
  std::string describe() const {
    std::string d = role + (name == "*" ? std::string(" of any name") : " named \"" + name + "\"");
    if (valuePattern) d += " whose value matches \"" + *valuePattern + "\"";
    if (line) d += " with the line \"" + *line + "\"";
    return d;
  }
  bool matches(const ui::Node& n) const {
    if (n.role != role || (name != "*" && n.name != name) || (depth >= 0 && n.depth != depth)) return false;
    if (valuePattern && !globMatch(*valuePattern, n.value)) return false;
    return !line || hasLine(n.value, *line);
  }

  // "*" matches any run of bytes, "?" any one; everything else itself. Iterative, with one
  // back-track point, so that a long value never recurses.
  static bool globMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
      if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
        ++p, ++t;
      } else if (p < pattern.size() && pattern[p] == '*') {
        starP = p++, starT = t;
      } else if (starP != std::string_view::npos) {
        p = starP + 1, t = ++starT;
      } else {
        return false;
      }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
  }
  static bool hasLine(std::string_view value, std::string_view wanted) {
    while (!value.empty()) {
      const size_t end = value.find('\n');
      std::string_view one = value.substr(0, end);
      if (!one.empty() && one.back() == '\r') one.remove_suffix(1);
      if (one == wanted) return true;
      if (end == std::string_view::npos) break;
      value.remove_prefix(end + 1);
    }
    return false;
  }
};

// The first match, shown before hidden; `object` is kept (AddRef) for the caller.
bool find(Host& host, const Wanted& wanted, ui::Node* node, IAccessible** object, std::string* error) {
  *object = nullptr;
  IAccessible* hiddenMatch = nullptr;
  ui::Node hiddenNode;
  for (HWND window : windowsToRead(host, true)) {
    ui::walk(
        window,
        [&](const ui::Node& n, IAccessible* o) {
          if (!wanted.matches(n)) return true;
          if (n.invisible) {
            if (hiddenMatch == nullptr) hiddenMatch = o, o->AddRef(), hiddenNode = n;
            return true;
          }
          *object = o, o->AddRef(), *node = n;
          return false;
        },
        error);
    if (*object != nullptr) break;
  }
  if (*object == nullptr && hiddenMatch != nullptr) {
    *object = hiddenMatch;
    *node = hiddenNode;
    return true;
  }
  if (hiddenMatch != nullptr) hiddenMatch->Release();
  if (*object == nullptr && error != nullptr) *error = "no " + wanted.describe();
  return *object != nullptr;
}

// Serves the UI thread until a message comes or `ms` pass.
void serveFor(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

ActionResult findObject(Host& host, const ActionArgs& args) {
  if (args.count() < 2) return ActionResult::failure("ui-find ROLE NAME [shown=1] [timeout=MS]");
  Apartment com;
  const bool shownOnly = args.optionNumber("shown", 0) != 0;
  const DWORD timeout = static_cast<DWORD>(args.optionNumber("timeout", 0));
  const DWORD start = GetTickCount();
  for (;;) {
    ui::Node node;
    IAccessible* object = nullptr;
    std::string error;
    if (find(host, Wanted::of(args), &node, &object, &error)) {
      object->Release();
      if (!shownOnly || !node.invisible) {
        host.journal().record(entryOf("ui-found", node));
        return ActionResult::success();
      }
      error = Wanted::of(args).describe() + " is hidden";
    }
    // What the plug-in shows may come a moment later (a reader's walk, a posted refill): the
    // UI thread is served while waiting, so that it can come.
    if (GetTickCount() - start >= timeout) return ActionResult::failure(error);
    serveFor(50);
  }
}

// Nothing shown that matches: what the user must not see (a row removed, a tab closed).
ActionResult findNone(Host& host, const ActionArgs& args) {
  if (args.count() < 2) return ActionResult::failure("ui-absent ROLE NAME [value=PATTERN] [line=TEXT]");
  Apartment com;
  ui::Node node;
  IAccessible* object = nullptr;
  if (!find(host, Wanted::of(args), &node, &object, nullptr)) return ActionResult::success();
  object->Release();
  if (node.invisible) return ActionResult::success();
  host.journal().record(entryOf("ui-found", node));
  return ActionResult::failure("ui-absent: there is a shown " + Wanted::of(args).describe());
}

// A user's click on what a screen reader finds: the object's place read through the accessible
// tree, then real input there (its centre, or at=left: 8 pixels in, where a tree's expander is).
ActionResult clickObject(Host& host, const ActionArgs& args) {
  if (args.count() < 2)
    return ActionResult::failure("ui-click ROLE NAME [value=PATTERN] [line=TEXT] [at=left] [clicks=2] [button=right]");
  ui::Node node;
  {
    Apartment com;
    IAccessible* object = nullptr;
    std::string error;
    if (!find(host, Wanted::of(args), &node, &object, &error)) return ActionResult::failure(error);
    object->Release();
  }
  if (node.invisible) return ActionResult::failure(Wanted::of(args).describe() + " is hidden");
  const RECT& r = node.bounds;
  const int x = args.option("at") == "left" ? r.left + 8 : (r.left + r.right) / 2;
  host.journal().record(entryOf("ui-clicked", node));
  return clickOnScreen(host, x, (r.top + r.bottom) / 2, static_cast<int>(args.optionNumber("clicks", 1)),
                       args.option("button") == "right");
}

// Serves the UI thread until nothing waits in its queue (the action and what it set off), for at
// most `limit` milliseconds.
void serveUntilQuiet(DWORD limit) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limit) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) return;
  }
}

ActionResult press(Host& host, const ActionArgs& args) {
  if (args.count() < 2) return ActionResult::failure("ui-press ROLE NAME");
  Apartment com;
  ui::Node node;
  IAccessible* object = nullptr;
  std::string error;
  if (!find(host, Wanted::of(args), &node, &object, &error)) return ActionResult::failure(error);
  VARIANT self;
  VariantInit(&self);
  V_VT(&self) = VT_I4;
  V_I4(&self) = CHILDID_SELF;
  const HRESULT hr = object->accDoDefaultAction(self);
  object->Release();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  host.journal().record(entryOf("ui-pressed", node).add("hr", code));
  if (FAILED(hr)) return ActionResult::failure(std::string("the default action failed: ") + code);
  serveUntilQuiet(5000);
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"ui-dump",
     "ui-dump [hidden=1]: every accessible object of the toolkit's windows (\"ui\" entries: depth, role, name, "
     "value, states, bounds), read through AccessibleObjectFromWindow",
     &dump},
    {"ui-find",
     "ui-find ROLE NAME [shown=1] [timeout=MS] [value=PATTERN] [line=TEXT]: the first accessible object with "
     "that role and name (NAME * for any), its value matching PATTERN (* and ?) or holding the line TEXT "
     "(\"ui-found\"), waited for up to MS, or a failure",
     &findObject},
    {"ui-click",
     "ui-click ROLE NAME [value=PATTERN] [line=TEXT] [at=left] [clicks=2] [button=right]: a real click (SendInput) "
     "on the object ui-find finds, at its centre or 8 pixels in from its left",
     &clickObject},
    {"ui-absent",
     "ui-absent ROLE NAME [value=PATTERN] [line=TEXT]: fails when a shown accessible object matches (as ui-find)",
     &findNone},
    {"ui-press",
     "ui-press ROLE NAME [value=PATTERN] [line=TEXT]: the object's default action (accDoDefaultAction), then what it "
     "set off",
     &press},
};

}  // namespace
}  // namespace standin
