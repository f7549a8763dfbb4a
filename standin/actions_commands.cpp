// What the menus and tool bars need from the host: the registry's recent-file list (seeded,
// hostile values, cleaned up), a program tree that makes a project "loaded", the project
// commands that change the caption before they return, the help-tip text record, and a debug
// run that a stop ends later (non-blocking) and that a new run waits for.
#include "actions_commands.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "control_traffic.h"
#include "debugger.h"
#include "host/ide_functions.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kRecentKey[] = "Software\\FlySky\\E\\Recent File List";
constexpr UINT_PTR kRunEndTimer = 0x7C01;

std::function<void()> gRunStarted;
std::function<void()> gRunEnded;
bool gRunEnding = false;
bool gWroteRecentFiles = false;  // the list is cleaned up with the host

// --- the recent-file list --------------------------------------------------------------------

bool writeRecentValue(int number, DWORD type, const void* data, DWORD bytes) {
  gWroteRecentFiles = true;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRecentKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const std::string name = "File" + std::to_string(number);
  const bool ok = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool makeFile(const std::string& path) {
  // Every folder on the way (walking characters: 0x5C can be a trail byte), then an empty file.
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte >= 0x81 && byte <= 0xFE) {
      ++i;
      continue;
    }
    if (path[i] == '\\' && i > 2) CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  if (path.back() == '\\') return true;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// recent-file N PATH [type=sz|dword|binary] [nul=0] [create=1]
ActionResult setRecentFile(Host& host, const ActionArgs& args) {
  const int number = static_cast<int>(args.number(0));
  const std::string& path = args.text(1);
  if (number < 1 || args.count() < 2)
    return ActionResult::failure("recent-file N PATH [type=sz|dword|binary] [nul=0] [create=1]");
  if (args.optionNumber("create") == 1 && !makeFile(path)) return ActionResult::failure("cannot create " + path);
  const std::string type = args.option("type").value_or("sz");
  bool ok = false;
  if (type == "dword") {
    const DWORD value = 1;
    ok = writeRecentValue(number, REG_DWORD, &value, sizeof value);
  } else {
    // With nul=0 the value is stored without its terminating NUL.
    const DWORD bytes = static_cast<DWORD>(path.size()) + (args.optionNumber("nul", 1) != 0 ? 1 : 0);
    ok = writeRecentValue(number, type == "binary" ? REG_BINARY : REG_SZ, path.c_str(), bytes);
  }
  host.journal().record(EntryBuilder("recent-file").add("n", number).add("path", path).add("type", type));
  return ok ? ActionResult::success() : ActionResult::failure("cannot write File" + std::to_string(number));
}

void removeRecentFiles() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecentKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  for (int n = 1; n <= 40; ++n) RegDeleteValueA(key, ("File" + std::to_string(n)).c_str());
  RegCloseKey(key);
}

ActionResult clearRecentFiles(Host&, const ActionArgs&) {
  removeRecentFiles();
  return ActionResult::success();
}

// caret ROW COLUMN: where the active page's caret is (0-based), as a click would put it.
ActionResult setCaret(Host& host, const ActionArgs& args) {
  PageRecord* page = host.model().page(host.model().activePage);
  if (!page || args.count() < 2) return ActionResult::failure("caret ROW COLUMN (a page must be active)");
  page->caretRow = static_cast<int>(args.number(0));
  page->caretColumn = static_cast<int>(args.number(1));
  return ActionResult::success();
}

// --- a program tree with items: the menus read "project loaded" from its item count ----------

ActionResult fillProgramTree(Host& host, const ActionArgs& args) {
  HWND tree = host.tree().programTree;
  if (!tree) return ActionResult::failure("no program tree");
  const int items = static_cast<int>(args.number(0, 2));
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  TVINSERTSTRUCTA insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  HTREEITEM root = nullptr;
  for (int i = 0; i < items; ++i) {
    std::string text = i == 0 ? "解决方案项目结构" : "程序集" + std::to_string(i);
    insert.hParent = root;
    insert.item.pszText = text.data();
    auto item = reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (i == 0) root = item;
  }
  SendMessageA(host.mainWindow(), kStatusLineMessage, 0xE001, 0);
  return ActionResult::success();
}

// --- the project opened and closed as the host does it -----------------------------------------

// Every FileN in order, up to the first missing one.
std::vector<std::string> recentPaths() {
  std::vector<std::string> paths;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecentKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return paths;
  for (int n = 1; n <= 20; ++n) {
    char path[MAX_PATH * 2] = {};
    DWORD bytes = sizeof path - 1, type = 0;
    if (RegQueryValueExA(key, ("File" + std::to_string(n)).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(path),
                         &bytes) != ERROR_SUCCESS)
      break;
    if (type == REG_SZ) paths.emplace_back(path);
  }
  RegCloseKey(key);
  return paths;
}

// The opened project goes to the top of the list; the one it was is taken out further down.
void rememberRecent(const std::string& path) {
  std::vector<std::string> paths = recentPaths();
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  for (size_t i = 0; i < paths.size() && i < 20; ++i)
    writeRecentValue(static_cast<int>(i) + 1, REG_SZ, paths[i].c_str(), static_cast<DWORD>(paths[i].size() + 1));
}

// The host closes its project: every page but the start page, the program tree, the component list and the watch
// list emptied, the caption without a project, all before the call returns.
void closeProjectWindows(Host& host) {
  std::vector<HWND> pages;
  for (const PageRecord& page : host.model().pages)
    if (page.title != "起始页") pages.push_back(page.window);
  for (HWND page : pages)
    if (IsWindow(page)) hostSend(host.tree().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(page), 0);
  if (host.tree().programTree) hostSend(host.tree().programTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (host.tree().componentCombo) hostSend(host.tree().componentCombo, CB_RESETCONTENT, 0, 0);
  if (host.tree().watchList) hostSend(host.tree().watchList, LVM_DELETEALLITEMS, 0, 0);
  host.model().projectPath.clear();
  host.model().runState = RunState::kIdle;
  host.updateCaption();
  host.journal().record(EntryBuilder("project-closed"));
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The host opens a project: an open one closed first; the library tree and the program tree refilled, the
// toolbox's group buttons made anew, the start window's designer and program-set pages opened
// (the program set's active, which fills 629/630), the caption, the recent list, 0x362.
bool openProjectWindows(Host& host, const std::string& path, std::string& why) {
  if (!host.model().projectPath.empty() ||
      (host.tree().programTree && hostSend(host.tree().programTree, TVM_GETCOUNT, 0, 0) >= 2))
    closeProjectWindows(host);
  for (const std::string& line : {std::string("project-open-sample"), std::string("toolbox-buttons recreate=1"),
                                  "page-open " + quoted("窗口: _启动窗口") + " maximized=1",
                                  "page-open " + quoted("程序集: 窗口程序集_启动窗口") + " maximized=1"})
    if (!host.runAction(line).ok) {
      why = line + " failed";
      return false;
    }
  host.model().projectPath = path;
  host.model().captionTestVariant = false;
  rememberRecent(path);
  host.updateCaption();
  host.journal().record(EntryBuilder("project-opened").add("path", path));
  return true;
}

// project-open PATH: the host opens the project file.
ActionResult openProject(Host& host, const ActionArgs& args) {
  const std::string& path = args.text(0);
  if (path.empty()) return ActionResult::failure("project-open PATH");
  if (path.find('-') != std::string::npos) return ActionResult::failure("a project path holds no '-'");
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && !makeFile(path))
    return ActionResult::failure("cannot create " + path);
  std::string why;
  return openProjectWindows(host, path, why) ? ActionResult::success() : ActionResult::failure(why);
}

// --- IDE functions -----------------------------------------------------------------------------

// 0x03010003 关闭: the project is closed before the call returns.
int32_t closeProject(Host& host, int32_t, int32_t) {
  closeProjectWindows(host);
  return 1;
}

int32_t saveProjectAs(Host& host, int32_t, int32_t) {
  const std::string path = host.mode("save-as-path") ? "C:\\EProjects\\saved.e" : host.model().projectPath;
  if (!path.empty()) {
    makeFile(path);
    host.model().projectPath = path;
  }
  host.updateCaption();
  return 1;
}

// 0x03010008: the project path at p1, journaled as text. An existing file without a '-' in its
// path (the caption could not show it) is opened as project-open opens it.
int32_t openProjectByName(Host& host, int32_t p1, int32_t) {
  const char* text = reinterpret_cast<const char*>(static_cast<intptr_t>(p1));
  const std::string path = text ? std::string(text, strnlen(text, 4096)) : "";
  host.journal().record(EntryBuilder("open-project").add("path", path));
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      path.find('-') != std::string::npos)
    return 1;
  std::string why;
  openProjectWindows(host, path, why);
  return 1;
}

// 0x0503000B: {first, second, text, length}. Call 1 (no text) answers the length of the word
// at the caret ("如果" unless help-tip-length says otherwise); call 2 copies at most that many
// bytes, and with help-tip-nul on a NUL after them as a C host would.
int32_t helpTipText(Host& host, int32_t p1, int32_t) {
  auto* record = reinterpret_cast<int32_t*>(static_cast<intptr_t>(p1));
  if (!record) return 0;
  const std::string word = "如果";
  const int32_t reported = host.mode("help-tip-length") ? static_cast<int32_t>(host.mode("help-tip-length"))
                                                        : static_cast<int32_t>(word.size());
  auto* text = reinterpret_cast<char*>(static_cast<intptr_t>(record[2]));
  host.journal().record(EntryBuilder("help-tip")
                            .add("first", record[0])
                            .add("second", record[1])
                            .add("has-text", text ? 1 : 0)
                            .add("length", record[3]));
  if (!text) {
    record[3] = reported;
    return 1;
  }
  const size_t length = record[3] > 0 ? static_cast<size_t>(record[3]) : 0;
  const size_t copied = std::min(length, word.size());
  std::memcpy(text, word.data(), copied);
  if (host.mode("help-tip-nul")) text[length] = '\0';  // one past the length the record names
  return 1;
}

void CALLBACK endRun(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  Host& host = Host::instance();
  host.model().runState = RunState::kIdle;
  gRunEnding = false;
  host.journal().record(EntryBuilder("run-ended"));
  if (gRunEnded) gRunEnded();
  host.updateCaption();
}

// 0x05020003 终止: returns at once; the run ends a little later, as the debugger thread's
// stop would make it end.
int32_t stopRun(Host& host, int32_t, int32_t) {
  if (debuggerRunActive()) {  // the debugger thread's run: S-STOP
    debuggerStop();
    return 1;
  }
  if (host.model().runState == RunState::kIdle || gRunEnding) return 1;
  gRunEnding = true;
  SetTimer(host.mainWindow(), kRunEndTimer, static_cast<UINT>(host.mode("stop-delay") ? host.mode("stop-delay") : 150),
           &endRun);
  return 1;
}

// 0x05020002 运行: a run still ending is waited for (pumping, at most 5 s), then a new one
// starts; a paused run resumes; a running one is left alone.
int32_t startRun(Host& host, int32_t, int32_t) {
  const DWORD start = GetTickCount();
  while (gRunEnding && GetTickCount() - start < 5000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  // The debugger thread's run: a pause resumes (S-RESUME); in the mode real-runs, a project
  // with no run starts one (S-RUN: the build, then the debugger thread).
  if (debuggerRunActive()) {
    debuggerResume();
    return 1;
  }
  if (host.mode("real-runs") && host.model().runState == RunState::kIdle) {
    host.journal().record(EntryBuilder("run-started").add("resumed", int64_t{0}));
    debuggerStartRun(host);
    return 1;
  }
  if (host.model().runState == RunState::kRunning) return 1;
  const bool resumed = host.model().runState == RunState::kPaused;
  host.model().runState = RunState::kRunning;
  host.journal().record(EntryBuilder("run-started").add("resumed", resumed ? 1 : 0));
  if (!resumed && gRunStarted) gRunStarted();
  host.updateCaption();
  return 1;
}

// 0x05010001-0x05010004 (the stepping commands): from a pause of the debugger thread, the run
// goes on (S-RESUME); this host does not step line by line.
int32_t stepOn(Host&, int32_t, int32_t) {
  debuggerResume();
  return 1;
}

const ActionRegistration kRegistrations[] = {
    {"recent-file",
     "recent-file N PATH [type=sz|dword|binary] [nul=0] [create=1]: the registry's FileN (nul=0: stored without its "
     "NUL; create=1: the file too)",
     &setRecentFile},
    {"recent-files-clear", "recent-files-clear: File1..File40 removed from the registry", &clearRecentFiles},
    {"project-open",
     "project-open PATH: the host opens the project (an open one closed first, both trees refilled, the group "
     "buttons made anew, the start window's two pages, caption, File1 = PATH, 0x362)",
     &openProject},
    {"program-tree", "program-tree N: the program tree holds N items (2 or more: a project is loaded), then 0x362",
     &fillProgramTree},
    {"caret", "caret ROW COLUMN: the active page's caret (0-based)", &setCaret},
};

void tearDown(Host&) {
  gRunEnding = false;
  gRunStarted = nullptr;
  gRunEnded = nullptr;
  if (gWroteRecentFiles) removeRecentFiles();
  gWroteRecentFiles = false;
}

const TeardownRegistration kTeardown{"commands", &tearDown};

const IdeFunctionRegistration kIdeFunctions[] = {
    {tovalux::ide::kCloseProject, "close project", &closeProject},
    {tovalux::ide::kSaveProjectAs, "save project as", &saveProjectAs},
    {tovalux::ide::kOpenProjectByName, "open project by name", &openProjectByName},
    {tovalux::ide::kQueryHelpTipText, "help-tip text", &helpTipText},
    {tovalux::ide::kStop, "stop", &stopRun},
    {tovalux::ide::kRun, "run", &startRun},
    {0x05010001, "step in", &stepOn},
    {0x05010002, "step over", &stepOn},
    {0x05010003, "step out", &stepOn},
    {0x05010004, "run to the caret", &stepOn},
};

}  // namespace

void setRunListeners(std::function<void()> started, std::function<void()> ended) {
  gRunStarted = std::move(started);
  gRunEnded = std::move(ended);
}

}  // namespace standin
