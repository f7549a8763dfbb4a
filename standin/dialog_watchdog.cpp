#include "dialog_watchdog.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/gbk.h"
#include "journal.h"

namespace standin {
namespace {

constexpr DWORD kPollMs = 20;

// A window's text without sending it a message (the dialog's thread may be the one waiting).
std::string windowText(HWND window) {
  wchar_t text[512] = {};
  const int length = InternalGetWindowText(window, text, 512);
  return tovalux::utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text), length > 0 ? length : 0));
}

std::string className(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct DialogParts {
  std::string text;          // every static text, joined by blanks
  std::vector<int> buttons;  // ids of the push buttons
};

BOOL CALLBACK collectPart(HWND child, LPARAM context) {
  auto* parts = reinterpret_cast<DialogParts*>(context);
  const std::string kind = className(child);
  if (_stricmp(kind.c_str(), "Static") == 0) {
    const std::string text = windowText(child);
    if (!text.empty()) parts->text += (parts->text.empty() ? "" : " ") + text;
  } else if (_stricmp(kind.c_str(), "Button") == 0) {
    const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && IsWindowVisible(child))
      parts->buttons.push_back(GetDlgCtrlID(child));
  }
  return TRUE;
}

struct Found {
  std::vector<HWND> dialogs;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM context) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (className(window) != "#32770" || GetPropA(window, kNoWatchdogProperty)) return TRUE;
  reinterpret_cast<Found*>(context)->dialogs.push_back(window);
  return TRUE;
}

BOOL CALLBACK firstEdit(HWND child, LPARAM context) {
  if (_stricmp(className(child).c_str(), "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
  *reinterpret_cast<HWND*>(context) = child;
  return FALSE;
}

// The file name box of a file dialog: the edit inside combo box cmb13 (explorer style, where it
// may sit in a ComboBoxEx), else edt1, else the dialog's first shown edit.
HWND fileNameBox(HWND dialog) {
  HWND edit = nullptr;
  if (HWND combo = GetDlgItem(dialog, 0x47C)) EnumChildWindows(combo, &firstEdit, reinterpret_cast<LPARAM>(&edit));
  if (!edit) edit = GetDlgItem(dialog, 0x480);
  if (!edit) EnumChildWindows(dialog, &firstEdit, reinterpret_cast<LPARAM>(&edit));
  return edit;
}

bool has(const std::vector<int>& buttons, int id) {
  return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

}  // namespace

void DialogWatchdog::start(DWORD graceMs) {
  if (thread_) return;
  graceMs_ = graceMs;
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &threadMain, this, 0, nullptr);
}

void DialogWatchdog::stop() {
  if (!thread_) return;
  SetEvent(stop_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(stop_);
  thread_ = stop_ = nullptr;
  firstSeen_.clear();
  pressed_.clear();
}

void DialogWatchdog::expect(const std::string& text, int button, const std::string& fileName) {
  std::lock_guard lock(mutex_);
  expectations_.push_back(Expectation{text, button, fileName});
}

std::vector<DialogWatchdog::Answer> DialogWatchdog::answers() const {
  std::lock_guard lock(mutex_);
  return answers_;
}

size_t DialogWatchdog::forcedCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(
      std::count_if(answers_.begin(), answers_.end(), [](const Answer& a) { return !a.scripted; }));
}

size_t DialogWatchdog::pendingExpectations() const {
  std::lock_guard lock(mutex_);
  return expectations_.size();
}

void DialogWatchdog::clear() {
  std::lock_guard lock(mutex_);
  expectations_.clear();
  answers_.clear();
}

int DialogWatchdog::buttonFromName(const std::string& name) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const struct {
    const char* name;
    int id;
  } kButtons[] = {{"ok", IDOK},         {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
                  {"ignore", IDIGNORE}, {"yes", IDYES},       {"no", IDNO}};
  for (const auto& button : kButtons)
    if (lower == button.name) return button.id;
  char* end = nullptr;
  const long id = std::strtol(name.c_str(), &end, 10);
  return end && *end == '\0' && id > 0 ? static_cast<int>(id) : 0;
}

DWORD WINAPI DialogWatchdog::threadMain(void* self) {
  auto* watchdog = static_cast<DialogWatchdog*>(self);
  while (WaitForSingleObject(watchdog->stop_, kPollMs) == WAIT_TIMEOUT) watchdog->poll();
  return 0;
}

void DialogWatchdog::poll() {
  Found found;
  EnumWindows(&collectDialog, reinterpret_cast<LPARAM>(&found));
  // Forget windows that are gone (a handle may come back for a new dialog).
  for (auto it = firstSeen_.begin(); it != firstSeen_.end();)
    it = std::count(found.dialogs.begin(), found.dialogs.end(), it->first) ? std::next(it) : firstSeen_.erase(it);
  for (auto it = pressed_.begin(); it != pressed_.end();)
    it = std::count(found.dialogs.begin(), found.dialogs.end(), *it) ? std::next(it) : pressed_.erase(it);
  for (HWND dialog : found.dialogs) inspect(dialog);
}

void DialogWatchdog::inspect(HWND dialog) {
  if (pressed_.count(dialog)) return;
  DialogParts parts;
  EnumChildWindows(dialog, &collectPart, reinterpret_cast<LPARAM>(&parts));
  if (parts.buttons.empty()) return;  // not a dialog box (a popup list of class #32770)
  const std::string title = windowText(dialog);
  firstSeen_.emplace(dialog, GetTickCount());

  Answer answer{title, parts.text, 0, false};
  std::string fileName;
  {
    std::lock_guard lock(mutex_);
    for (auto it = expectations_.begin(); it != expectations_.end(); ++it) {
      if (title.find(it->text) != std::string::npos || parts.text.find(it->text) != std::string::npos) {
        answer.button = it->button;
        answer.scripted = true;
        fileName = it->fileName;
        expectations_.erase(it);
        break;
      }
    }
  }
  // Typed as a user types it: the dialog's thread is in its own loop and takes the text at once
  // (bounded, so a dialog that stopped answering cannot hold this thread).
  if (!fileName.empty()) {
    HWND box = fileNameBox(dialog);
    DWORD_PTR result = 0;
    if (!box || !SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()), SMTO_ABORTIFHUNG,
                                     2000, &result))
      answer.text += " (no file name box)";
  }
  if (!answer.scripted) {
    if (GetTickCount() - firstSeen_[dialog] < graceMs_) return;
    for (int id : {IDCANCEL, IDNO, IDOK})
      if (!answer.button && has(parts.buttons, id)) answer.button = id;
    if (!answer.button) answer.button = parts.buttons.front();
  }
  pressed_.insert(dialog);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer.button)));
  journal_.record(EntryBuilder("dialog")
                      .add("title", answer.title)
                      .add("text", answer.text)
                      .add("button", answer.button)
                      .add("answered", answer.scripted ? "script" : "watchdog"));
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

}  // namespace standin
