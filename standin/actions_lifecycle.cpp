// Notifications, closing and the host's hostile switches.
#include "resource_counts.h"
#include "standin_host.h"

namespace standin {
namespace {

ActionResult notify(Host& host, const ActionArgs& args) {
  if (!args.isNumber(0)) return ActionResult::failure("notify CODE [P1] [P2]: CODE must be a number");
  host.notifyAll(static_cast<int32_t>(args.number(0)), static_cast<int32_t>(args.number(1)),
                 static_cast<int32_t>(args.number(2)));
  return ActionResult::success();
}

ActionResult start(Host& host, const ActionArgs&) {
  host.notifyStart();
  host.recordDockBars("after-notify-1");
  return ActionResult::success();
}

ActionResult close(Host& host, const ActionArgs&) {
  if (!host.mainWindow()) return ActionResult::failure("no main window");
  PostMessageA(host.mainWindow(), WM_CLOSE, 0, 0);
  return ActionResult::success();
}

ActionResult popup(Host& host, const ActionArgs& args) {
  if (!host.mainWindow()) return ActionResult::failure("no main window");
  // Posted: the menu's modal loop must not hold the sender (a script or another process).
  PostMessageA(host.mainWindow(), kShowPopupMessage, static_cast<WPARAM>(args.number(0, 3)),
               static_cast<LPARAM>(args.number(1, 7)));
  return ActionResult::success();
}

ActionResult setMode(Host& host, const ActionArgs& args) {
  if (args.text(0).empty()) return ActionResult::failure("mode NAME [VALUE]");
  host.setMode(args.text(0), args.number(1, 1));
  return ActionResult::success();
}

ActionResult mark(Host& host, const ActionArgs& args) {
  host.journal().record(EntryBuilder("mark").add("text", args.text(0)));
  return ActionResult::success();
}

ActionResult resources(Host& host, const ActionArgs& args) {
  recordResources(host, args.text(0));
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"notify", "notify CODE [P1] [P2]: sends notification CODE to every library (as given; see start)", &notify},
    {"start", "start: notification 1 with the host's function, then records the dock bars", &start},
    {"close", "close: posts WM_CLOSE to the main window (the host's own close: 6, destroy, quit)", &close},
    {"popup", "popup [P1 P2]: notification 19, then a pop-up menu that closes itself (default 3 7)", &popup},
    {"mode",
     "mode NAME [VALUE]: sets a host switch (refuse-close N: refuse the next N closes; quiet-traffic 1: no "
     "ctl-msg entries)",
     &setMode},
    {"mark", "mark TEXT: a \"mark\" journal entry, to find a point in the journal", &mark},
    {"resources",
     "resources [LABEL]: the process's GDI, USER, handle and thread counts and private bytes (\"resources\")",
     &resources},
};

}  // namespace

void recordResources(Host& host, const std::string& label) {
  const ResourceCounts counts = countResources();
  host.journal().record(EntryBuilder("resources")
                            .add("label", label)
                            .add("gdi", static_cast<int64_t>(counts.gdiObjects))
                            .add("user", static_cast<int64_t>(counts.userObjects))
                            .add("handles", static_cast<int64_t>(counts.handles))
                            .add("threads", static_cast<int64_t>(counts.threads))
                            .add("private", static_cast<int64_t>(counts.privateBytes))
                            .add("heap-busy", static_cast<int64_t>(heapBusyBytes()))
                            .add("largest-private-kib", largestPrivateAllocations(6))
                            .add("handle-kinds", handleKinds()));
}

}  // namespace standin
