// Running a command record (command.h): the one place where the menu bar, the tool bars and the
// command box turn a command into host calls or shell actions. UI thread.
#include <windows.h>

#include <string>

#include "base/gbk.h"
#include "base/diagnostics.h"
#include "base/pump_wait.h"
#include "base/version.h"
#include "commands/blackmoon.h"
#include "commands/blackmoon_rules.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/host_queries.h"
#include "commands/menu_table.h"
#include "host/host_protocol.h"
#include "host/ide_functions.h"
#include "settings/settings.h"
#include "shell/run_state.h"
#include "shell/shell.h"

namespace tovalux::commands {
namespace {

constexpr char kBuildOutputPane[] = "调试输出";
constexpr char kAboutApp[] = "Tovalux IDE";
constexpr char kAboutText[] = "易语言 - Tovalux IDE 预览版 v" TOVALUX_VERSION "\r\n由 Tovalux 开发者制作";
// How long "重新运行" waits for the stop to be handled before it gives up.
constexpr DWORD kRestartStopLimitMs = 5000;

struct RestartState {
  bool restarting = false;
  DWORD ended = 0;  // tick count when the last restart finished; 0: none yet
};

RestartState& restartState() {
  static RestartState s;
  return s;
}

void togglePane(int index) {
  HELE p = pane(index);
  if (!XC_IsHXCGUI(p, XC_PANE)) return;
  if (XPane_IsShowPane(p))
    XPane_HidePane(p);
  else
    XPane_ShowPane(p);
  XEle_AdjustLayout(p);
  styleTabBars();
}

// The frame's caption copies the host's title (after 关闭 and 另存为).
void refreshCaption() {
  HXCGUI title = frameElement("winTitle");
  if (!XC_IsHXCGUI(title, XC_SHAPE_TEXT)) return;
  XShapeText_SetText(title, gbkToUtf16<XChar>(hostCaption()).c_str());
  XShape_Redraw(title);
}

void insertByPageKind() {
  const uint32_t command = insertCommandForPageKind(queryIdeValue(ide::kQueryPageKind, 0));
  if (command != 0) runIdeFunction(command);
}

void sendHostCommand(uint32_t id) {
  if (HWND main = getHostMainWindow()) SendMessageA(main, WM_COMMAND, id, 0);
}

void closeShell() {
  // The frame's own close path asks the user first, as its close button does.
  if (HWND frame = shellFrameHwnd()) PostMessageA(frame, WM_CLOSE, 0, 0);
}

void runFunction(const Command& command) {
  if (isBuildFunction(command.value)) noteBuildCommandStarted();
  if (command.clearsOutput) clearBuildOutput();
  if (command.showsOutput) activatePaneByTitle(kBuildOutputPane);
  runIdeFunction(command.value);
  if (command.refreshesCaption) refreshCaption();
}

void runHelpTip() {
  readHelpTipText([](HelpTipQuery& query) {
    // The host's record: {first, second, text address, text length}.
    int32_t record[4] = {query.first, query.second, static_cast<int32_t>(reinterpret_cast<intptr_t>(query.text)),
                         query.length};
    runIdeFunction(ide::kQueryHelpTipText, static_cast<int32_t>(reinterpret_cast<intptr_t>(record)));
    if (query.text == nullptr) query.length = record[3];
  });
  const int32_t row = queryIdeValue(ide::kQueryCaretRow, 0);
  const int32_t column = queryIdeValue(ide::kQueryCaretColumn, 0);
  runIdeFunction(ide::kShowHelpAt, row, column);
}

void restart() {
  RestartState& s = restartState();
  // A request while the stop is awaited, or the second press of a double click, starts nothing.
  if (s.restarting) return;
  if (s.ended != 0 && GetTickCount() - s.ended < GetDoubleClickTime()) return;
  struct Busy {
    RestartState& s;
    explicit Busy(RestartState& state) : s(state) { s.restarting = true; }
    ~Busy() {
      s.restarting = false;
      s.ended = GetTickCount() | 1;  // never 0, which means "none yet"
    }
  } busy(s);
  noteBuildCommandStarted();
  clearBuildOutput();
  runIdeFunction(ide::kStop);
  // The host stops the program on its debugger thread; the run state drops when it has. A
  // stop that is not handled in time (or a wait already running below us) starts nothing.
  const PumpResult waited = pumpingWait(kRestartStopLimitMs, [] { return !debugging(); });
  if (waited == PumpResult::kConditionMet)
    runIdeFunction(ide::kRun);
  else
    logToNotepad(waited == PumpResult::kTimedOut ? "重新运行: 程序未能及时停止" : "重新运行: 另一个等待尚未结束");
}

}  // namespace

void runCommand(const Command& command) {
  switch (command.act) {
    case CommandAct::kRunIdeFunction: runFunction(command); break;
    case CommandAct::kSendCommand: sendHostCommand(command.value); break;
    case CommandAct::kTogglePane: togglePane(command.argument); break;
    case CommandAct::kSettingsDialog: openSettingsDialog(); break;
    case CommandAct::kInsertByPageKind: insertByPageKind(); break;
    case CommandAct::kBlackMoonBuild: startBlackMoonBuild(); break;
    case CommandAct::kHelpPage: openWebPage(helpPagePath()); break;
    case CommandAct::kContactLink:
      // Its items are disabled when no address is set; a pick that comes anyway opens nothing.
      if (const std::string address = feedbackAddress(); !address.empty()) openWebPage(address);
      break;
    case CommandAct::kAboutBox: aboutBox(kAboutApp, kAboutText); break;
    case CommandAct::kExit: closeShell(); break;
    case CommandAct::kRestart: restart(); break;
    case CommandAct::kHelpTip: runHelpTip(); break;
    case CommandAct::kResetLayout: resetWindowLayout(); break;
    // A recent entry is opened by the menu's pick, which knows its label (main_menu.cpp).
    case CommandAct::kRecentFile:
    case CommandAct::kNothing: break;
  }
}

}  // namespace tovalux::commands
