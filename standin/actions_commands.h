// The stand-in's commands area (actions_commands.cpp): hooks an in-process test sets so that
// the plug-in's run state follows the host's fake debug run, as the debugging hooks make it
// follow a real one.
#pragma once

#include <functional>

namespace standin {

// `started` runs when 0x05020002 starts a run, `ended` when a stopped run has ended.
void setRunListeners(std::function<void()> started, std::function<void()> ended);

}  // namespace standin
