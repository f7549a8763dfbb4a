// Real dialog boxes: scripted answers through the watchdog.
#include "standin_host.h"

namespace standin {
namespace {

ActionResult answerDialog(Host& host, const ActionArgs& args) {
  const int button = DialogWatchdog::buttonFromName(args.text(1));
  if (args.text(0).empty() || !button) return ActionResult::failure("dialog-answer TEXT yes|no|ok|cancel|ID");
  host.watchdog().expect(args.text(0), button);
  host.watchdog().start();
  return ActionResult::success();
}

// dialog-file TEXT PATH: the next file dialog whose title contains TEXT gets PATH as its file
// name, then OK.
ActionResult answerFileDialog(Host& host, const ActionArgs& args) {
  if (args.count() < 2) return ActionResult::failure("dialog-file TEXT PATH");
  host.watchdog().expect(args.text(0), IDOK, args.text(1));
  host.watchdog().start();
  return ActionResult::success();
}

ActionResult switchWatchdog(Host& host, const ActionArgs& args) {
  if (args.text(0) == "on")
    host.watchdog().start(static_cast<DWORD>(args.optionNumber("grace", 1500)));
  else if (args.text(0) == "off")
    host.watchdog().stop();
  else
    return ActionResult::failure("watchdog on|off [grace=MS]");
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"dialog-answer",
     "dialog-answer TEXT BUTTON: the next dialog box whose title or text contains TEXT gets BUTTON pressed",
     &answerDialog},
    {"dialog-file", "dialog-file TEXT PATH: the next file dialog whose title contains TEXT gets PATH typed, then OK",
     &answerFileDialog},
    {"watchdog", "watchdog on|off [grace=MS]: answers unexpected dialog boxes after MS (journaled as forced)",
     &switchWatchdog},
};

}  // namespace
}  // namespace standin
