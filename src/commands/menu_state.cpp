// The menu items follow the run state: the five passes of the rules applied to the bar's menus,
// in order, up to the first menu that is missing.
#include "base/guard.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/run_state_rules.h"

namespace tovalux {

void syncMenuState() {
  guarded(GuardSite::kToolkit, [] {
    HELE bar = commands::menuBar();
    if (bar == 0) return;
    const commands::RunState state = commands::readRunState(true);
    for (const commands::ItemFlags& entry : commands::menuStatePasses(state)) {
      HMENUX menu = XMenuBar_GetMenu(bar, entry.menuIndex);
      // A menu that is not there ends the sync: later menus keep their previous flags.
      if (!XC_IsHXCGUI(menu, XC_MENU)) return;
      XMenu_SetItemFlags(menu, entry.id, entry.flags);
    }
  });
}

}  // namespace tovalux
