// What the commands cost inside the stand-in IDE, measured in one run under Wine:
//   1. 1,000 status-line messages (0x362) to the host main window with the tool-bar sync the
//      plug-in's subclass runs for each, against the same messages to the stand-in alone
//      (goal: ratio <= 2), with the state unchanged and while a program runs;
//   2. tool-bar redraws: 1,000 syncs with nothing changed, then 1,000 with the run state
//      changing every time;
//   3. time from a bar menu's pop-up (event 57) to its last item drawn (event 61), for every
//      menu, opened by a real click (goal < 16 ms).
//   bench_commands.exe [messages]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "common/win32_support.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/library_info.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "standin_host.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/xcgui_win32.h"

// The plug-in's only export, linked in.
extern "C" const tovalux::LibraryInfo* __stdcall GetNewInf();

namespace {

using namespace tovalux;

double secondsNow() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

// The host main window's subclass as the plug-in installs it: the host's own handling, then the
// tool-bar sync.
WNDPROC gHostProcedure = nullptr;
LRESULT CALLBACK withToolBarSync(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(gHostProcedure, window, message, wParam, lParam);
  if (message == 0x0362) syncToolBarState();
  return result;
}

// Best of five runs of `count` status-line messages, in microseconds per message.
double statusLineCost(HWND main, int count) {
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    const double start = secondsNow();
    for (int i = 0; i < count; ++i) SendMessageA(main, 0x0362, 0xE001, 0);
    best = std::min(best, (secondsNow() - start) * 1e6 / count);
  }
  return best;
}

void pump() { testing::pumpMessages(); }

void click(HWND window, POINT client) {
  ClientToScreen(window, &client);
  SetCursorPos(client.x, client.y);
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof input[0]);
}

}  // namespace

int main(int argc, char** argv) {
  const int messages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
  standin::Host& host = standin::Host::instance();
  host.reset();
  host.setDirectory(testing::programDirectory());
  if (!host.createWindows() || !host.addLibrary(&GetNewInf, "Tovalux.fne")) return 1;
  host.setMode("quiet-traffic", 1);
  const HWND main = host.mainWindow();
  // The shell as the host starts it: the frame builds the menu bar and the tool bars.
  if (host.notifyStart() != 1 || !shellExists()) return 1;
  pump();
  host.runAction("program-tree 3");

  // 1. The status-line message with and without the sync.
  const double alone = statusLineCost(main, messages);
  gHostProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&withToolBarSync)));
  const double synced = statusLineCost(main, messages);
  SetWindowTextA(main, "易语言 - C:\\EProjects\\demo.e - [正在运行]");
  setDebugging(true);
  const double syncedRunning = statusLineCost(main, messages);
  setDebugging(false);
  SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gHostProcedure));
  std::printf("0x362 x %d, stand-in alone:          %8.2f us per message\n", messages, alone);
  std::printf("0x362 x %d, with the tool-bar sync:  %8.2f us per message  ratio %.2f (goal <= 2)\n", messages, synced,
              synced / alone);
  std::printf("0x362 x %d, sync while running:      %8.2f us per message  ratio %.2f (goal <= 2)\n", messages,
              syncedRunning, syncedRunning / alone);
  // While running, the sync also asks the host for its main window (to read the caption's run
  // marker); the stand-in journals that call, which a real host does not.
  double hostCall = 1e30;
  for (int run = 0; run < 5; ++run) {
    const double start = secondsNow();
    for (int i = 0; i < messages; ++i) (void)getHostMainWindow();
    hostCall = std::min(hostCall, (secondsNow() - start) * 1e6 / messages);
  }
  std::printf("  (one main-window request, which the stand-in journals: %.2f us)\n", hostCall);

  // 2. Redraws: none while nothing changes, one per change.
  syncToolBarState();
  int before = toolBarRedrawCount();
  for (int i = 0; i < messages; ++i) syncToolBarState();
  const int unchanged = toolBarRedrawCount() - before;
  before = toolBarRedrawCount();
  for (int i = 0; i < messages; ++i) {
    setDebugging(i % 2 == 0);
    syncToolBarState();
  }
  const int changing = toolBarRedrawCount() - before;
  setDebugging(false);
  std::printf("tool-bar redraws: %d syncs unchanged -> %d redraws; %d syncs each changing -> %d redraws\n", messages,
              unchanged, messages, changing);

  // 3. Pop-up to last item drawn, every bar menu opened by a click, ten rounds.
  HELE bar = static_cast<HELE>(frameElement("winMainTopMenu"));
  HWND frame = shellFrameHwnd();
  SetForegroundWindow(frame);
  double popped = 0, lastDrawn = 0;
  XEle_RegEventC1(bar, XE_MENU_POPUP, [&](HELE, HMENUX, bool*) {
    popped = secondsNow();
    lastDrawn = 0;
    return 0;
  });
  XEle_RegEventC(bar, XE_MENU_DRAWITEM, [&](HDRAW, XMenuDrawItemInfo*, bool*) {
    lastDrawn = secondsNow();
    return 0;
  });
  std::vector<double> times;
  for (int round = 0; round < 10; ++round) {
    for (int m = 0; m < 13; ++m) {
      HELE button = static_cast<HELE>(XEle_GetChildByIndex(bar, m));
      RECT r{0, 0, XEle_GetWidth(button), XEle_GetHeight(button)};
      XEle_RectClientToWndClient(button, &r);
      lastDrawn = 0;
      click(frame, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      const DWORD start = GetTickCount();
      // Until the pop-up has painted (its items drawn) and a little quiet after.
      while (GetTickCount() - start < 2000 && (lastDrawn == 0 || secondsNow() - lastDrawn < 0.05)) {
        pump();
        Sleep(1);
      }
      if (lastDrawn > popped) times.push_back((lastDrawn - popped) * 1000);
      tk::menuDismiss();
      pump();
    }
  }
  std::sort(times.begin(), times.end());
  if (!times.empty())
    std::printf(
        "pop-up to last item drawn (%zu menus opened): median %.2f ms, 90%% %.2f ms, max %.2f ms (goal < 16 ms)\n",
        times.size(), times[times.size() / 2], times[times.size() * 9 / 10], times.back());

  host.notifyAll(6);
  host.destroyWindows();
  return 0;
}
