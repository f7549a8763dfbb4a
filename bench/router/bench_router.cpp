// What the host hooks cost the host's own calls, under Wine: each call timed unhooked, then with
// the hooks installed (the shell's state set running, every mirror slot filled with a no-op so
// the router's rows are live), in one run, as a ratio. The goals are the ones the hooks were built
// for; they are printed beside the figures, never asserted.
//
//   bench_router [CALLS]      default 100000 calls of the cheap functions (fewer of the dear ones)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hooks/host/host_hooks.h"
#include "hooks/host/hooks_internal.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "host/ui_jobs.h"
#include "settings/settings.h"
#include "shell/host_mirrors.h"
#include "standin_host.h"
#include "bench_support.h"

namespace {

using tovalux::bench::now;

using standin::Host;

// One run, in nanoseconds per call.
double nanosecondsPerCall(long calls, const std::function<void()>& call) {
  const double start = now();
  for (long i = 0; i < calls; ++i) call();
  return (now() - start) * 1e9 / static_cast<double>(calls);
}

struct Case {
  const char* name;
  double goal;
  long calls;
  std::function<void()> call;
  double unhooked = 1e30;
  double hooked = 1e30;
};

// The case of the table `./dev bench` ends with.
constexpr const char* kGuiFontCase = "SelectObject, GUI font, not the grid";

void ignoreMirror(const tovalux::HostMessage&) {}

void createFolder(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const long calls = argc > 1 ? std::atol(argv[1]) : 100000;
  Host& host = Host::instance();
  host.reset();
  if (!host.createWindows()) {
    std::fprintf(stderr, "bench_router: the stand-in's windows could not be made\n");
    return 1;
  }
  host.show(SW_SHOWNOACTIVATE);
  if (!host.runAction("page-open \"程序集: 窗口程序集_启动窗口\"").ok) {
    std::fprintf(stderr, "bench_router: no code page\n");
    return 1;
  }
  const standin::WindowTree& tree = host.tree();
  const HWND page = host.model().pageByTitle("程序集: 窗口程序集_启动窗口")->window;

  // A window of the host's whose text is 1 MB, and a label that no rule knows.
  WNDCLASSA big{};
  big.lpfnWndProc = DefWindowProcA;
  big.hInstance = GetModuleHandleA(nullptr);
  big.lpszClassName = "EBigText";
  RegisterClassA(&big);
  HWND bigText = CreateWindowExA(0, "EBigText", "", WS_CHILD, 0, 0, 200, 100, tree.main, nullptr, nullptr, nullptr);
  SetWindowTextA(bigText, std::string(1 << 20, 'x').c_str());
  HWND label = CreateWindowExA(0, "Static", "label", WS_CHILD, 0, 0, 50, 20, tree.main, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 50, 90, tree.main, nullptr,
                               nullptr, nullptr);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
  HDC labelDc = GetDC(label);
  HDC textDc = GetDC(bigText);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  volatile LONG_PTR sink = 0;

  std::vector<Case> cases = {
      {"SendMessageA, unwatched message", 1.10, calls / 4,
       [&] { sink = sink + SendMessageA(label, WM_USER + 1, 0, 0); }},
      {"SendMessageA, watched, no host control", 1.10, calls / 4,
       [&] { sink = sink + SendMessageA(combo, CB_SETCURSEL, 0, 0); }},
      {"WM_PAINT of the host main window", 1.10, calls / 200,
       [&] { RedrawWindow(tree.main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }},
      {"GetClientRect, another window", 1.10, calls,
       [&] {
         RECT r;
         sink = sink + GetClientRect(tree.propertyGrid, &r);
       }},
      {"GetClientRect, a code page", 1.50, calls,
       [&] {
         RECT r;
         sink = sink + GetClientRect(page, &r);
       }},
      {"SelectObject, a pen, not the grid", 1.10, calls,
       [&] { sink = sink + reinterpret_cast<LONG_PTR>(SelectObject(labelDc, pen)); }},
      {kGuiFontCase, 1.10, calls, [&] { sink = sink + reinterpret_cast<LONG_PTR>(SelectObject(labelDc, guiFont)); }},
      {"TextOutA, window text 1 MB", 1.30, calls / 20, [&] { sink = sink + TextOutA(textDc, 0, 0, "hello", 5); }},
      {"CreateWindowExA (+ DestroyWindow)", 1.20, calls / 200,
       [&] {
         HWND w = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 10, 10, tree.main, nullptr, nullptr, nullptr);
         DestroyWindow(w);
       }},
      {"SetBkColor", 1.10, calls, [&] { sink = sink + SetBkColor(labelDc, 0x123456); }},
      {"SetTextColor", 1.10, calls, [&] { sink = sink + SetTextColor(labelDc, 0x123456); }},
      {"GetSysColor", 1.10, calls, [&] { sink = sink + GetSysColor(COLOR_WINDOW); }},
  };

  // The hooks as start-up installs them, with every optional rule on.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.resize(folder.rfind('\\'));
  createFolder(folder + "\\lib\\Tovalux");
  tovalux::writeSetting("Theme", "CodeTip", "true");
  tovalux::writeSetting("修改选项", "修改组件属性表格内的字体", "1");
  tovalux::hostWindows().setMainWindow(tree.main);
  tovalux::setShellState(tovalux::ShellState::kRunning);
  tovalux::openUiJobs();
  for (size_t i = 0; i < static_cast<size_t>(tovalux::HostMirror::kCount); ++i)
    tovalux::setHostMirror(static_cast<tovalux::HostMirror>(i), &ignoreMirror);
  tovalux::installHostHooks();
  for (size_t i = 0; i < static_cast<size_t>(tovalux::HostHook::kCount); ++i) {
    if (!tovalux::hostHookInstalled(static_cast<tovalux::HostHook>(i))) {
      std::fprintf(stderr, "bench_router: hook %d was not installed\n", static_cast<int>(i));
      return 1;
    }
  }

  // Unhooked and hooked rounds take turns, so a machine that gets busier or quieter during the
  // run weighs on both alike: between them every hook's entry bytes go back and forth and the
  // two subclasses come off and on again.
  auto unhook = [&] {
    for (size_t i = 0; i < static_cast<size_t>(tovalux::HostHook::kCount); ++i)
      tovalux::detail::hookOf(static_cast<tovalux::HostHook>(i)).suspendHook();
    tovalux::restoreSubclasses();
  };
  auto rehook = [&] {
    for (size_t i = 0; i < static_cast<size_t>(tovalux::HostHook::kCount); ++i)
      tovalux::detail::hookOf(static_cast<tovalux::HostHook>(i)).resumeHook();
    tovalux::subclassWindow(tree.main, &tovalux::mainWindowProc);
    tovalux::subclassWindow(tree.mainToolBar, &tovalux::toolBarProc);
  };
  for (int round = 0; round < 15; ++round) {
    unhook();
    for (Case& c : cases) c.unhooked = std::min(c.unhooked, nanosecondsPerCall(c.calls, c.call));
    rehook();
    for (Case& c : cases) c.hooked = std::min(c.hooked, nanosecondsPerCall(c.calls, c.call));
  }

  tovalux::setShellState(tovalux::ShellState::kClosed);
  tovalux::removeHostHooks();
  tovalux::restoreSubclasses();
  tovalux::closeUiJobs();

  std::printf("host hooks: the host's calls hooked against unhooked (best of 15 alternating rounds, Wine)\n");
  std::printf("  %-40s %12s %12s %7s %6s\n", "call", "unhooked ns", "hooked ns", "ratio", "goal");
  for (const Case& c : cases) {
    const double ratio = c.hooked / c.unhooked;
    std::printf("  %-40s %12.1f %12.1f %7.2f %6.2f%s\n", c.name, c.unhooked, c.hooked, ratio, c.goal,
                ratio <= c.goal ? "" : "  (above the goal)");
    if (c.name == std::string_view(kGuiFontCase))
      tovalux::bench::report("select_gui_font", ratio, "x", c.goal,
                             tovalux::bench::format("%.1f vs %.1f ns per call", c.hooked, c.unhooked));
  }
  ReleaseDC(label, labelDc);
  ReleaseDC(bigText, textDc);
  DeleteObject(pen);
  return 0;
}
