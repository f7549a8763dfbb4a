// The host's own windows: what a test reads of them and the messages a harness sends them.
#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

std::string className(HWND window) {
  char name[128] = {};
  if (window) GetClassNameA(window, name, sizeof name);
  return name;
}

int64_t flag(bool value) { return value ? 1 : 0; }

ActionResult dockBars(Host& host, const ActionArgs& args) {
  const std::string moment = args.text(0).empty() ? "now" : args.text(0);
  // The host shows its bars again itself (its own layout restored, a bar docked back).
  if (args.optionNumber("show", 0) != 0) {
    const WindowTree& t = host.tree();
    for (HWND bar : {t.topDockBar, t.leftDockBar, t.bottomDockBar, t.rightDockBar})
      if (bar) ShowWindow(bar, SW_SHOW);
  }
  host.recordDockBars(moment.c_str());
  return ActionResult::success();
}

// What a library may have changed on the host's windows, in one entry.
ActionResult windowState(Host& host, const ActionArgs& args) {
  const WindowTree& t = host.tree();
  if (!t.main) return ActionResult::failure("no main window");
  auto ownProcedure = [&](HWND window) {
    return flag(window && GetWindowLongPtrA(window, GWLP_WNDPROC) == host.ownProcedure(window));
  };
  auto atHome = [&](HWND window) { return flag(IsWindow(window) && GetParent(window) == t.leftContainer); };
  HWND parent = GetAncestor(t.main, GA_PARENT);
  if (parent == GetDesktopWindow()) parent = nullptr;
  const LONG exStyle = GetWindowLongA(t.main, GWL_EXSTYLE);
  int pagesSubclassed = 0;
  for (const PageRecord& page : host.model().pages)
    if (GetWindowLongPtrA(page.window, GWLP_WNDPROC) != page.ownProcedure) ++pagesSubclassed;

  host.journal().record(EntryBuilder("window-state")
                            .add("label", args.text(0))
                            .add("main-parent", handleNumber(parent))
                            .add("main-parent-class", className(parent))
                            .addHex("main-style", static_cast<uint32_t>(GetWindowLongA(t.main, GWL_STYLE)))
                            .addHex("main-exstyle", static_cast<uint32_t>(exStyle))
                            .add("main-layered", flag(exStyle & WS_EX_LAYERED))
                            .add("main-own-proc", ownProcedure(t.main))
                            .add("toolbar-own-proc", ownProcedure(t.mainToolBar))
                            .add("mdi-own-proc", ownProcedure(t.mdiClient))
                            .add("pages", static_cast<int64_t>(host.model().pages.size()))
                            .add("pages-subclassed", pagesSubclassed)
                            .add("grid-alive", flag(IsWindow(t.propertyGrid)))
                            .add("grid-home", atHome(t.propertyGrid))
                            .add("combo1059-alive", flag(IsWindow(t.eventCombo)))
                            .add("combo1059-home", atHome(t.eventCombo))
                            .add("dock-bars", host.dockBarsVisible())
                            .add("main-paints", host.mainPaintCount()));
  return ActionResult::success();
}

ActionResult toolBar(Host& host, const ActionArgs& args) {
  HWND bar = host.tree().mainToolBar;
  if (!bar) return ActionResult::failure("no main tool bar");
  const std::string& how = args.text(0);
  if (how != "show" && how != "hide") return ActionResult::failure("toolbar show|hide");
  ShowWindow(bar, how == "show" ? SW_SHOW : SW_HIDE);
  return ActionResult::success();
}

// A harness peer's message to the main window (9909, 89757, ...).
ActionResult messageToMain(Host& host, const ActionArgs& args, bool post) {
  if (!host.mainWindow()) return ActionResult::failure("no main window");
  if (!args.isNumber(0)) return ActionResult::failure("MSG must be a number");
  const auto message = static_cast<UINT>(args.number(0));
  const auto wParam = static_cast<WPARAM>(args.number(1));
  const auto lParam = static_cast<LPARAM>(args.number(2));
  if (post) {
    PostMessageA(host.mainWindow(), message, wParam, lParam);
  } else {
    const LRESULT answer = SendMessageA(host.mainWindow(), message, wParam, lParam);
    host.journal().record(EntryBuilder("sent").addHex("msg", message).add("answer", static_cast<int64_t>(answer)));
  }
  return ActionResult::success();
}

ActionResult sendMain(Host& host, const ActionArgs& args) { return messageToMain(host, args, false); }
ActionResult postMain(Host& host, const ActionArgs& args) { return messageToMain(host, args, true); }

const ActionRegistration kRegistrations[] = {
    {"dock-bars",
     "dock-bars [MOMENT] [show=1]: records the dock bars' visibility (\"dock-bars\"); show=1 shows the four bars "
     "first",
     &dockBars},
    {"window-state",
     "window-state [LABEL]: records the main window's parent, styles, procedures, 118/1059 and paint count",
     &windowState},
    {"toolbar", "toolbar show|hide: ShowWindow on the main tool bar 0xE800", &toolBar},
    {"send-main", "send-main MSG [W] [L]: SendMessageA to the main window, answer journaled as \"sent\"", &sendMain},
    {"post-main", "post-main MSG [W] [L]: PostMessageA to the main window", &postMain},
};

}  // namespace
}  // namespace standin
