// The host's debugger as the other areas of the stand-in reach it: the run its debugger thread
// drives (actions_debugging.cpp) and the paused page it fills (actions_paused.cpp). The host's
// own commands use them: 运行 resumes a paused run, the stepping commands go on from the pause,
// 终止 stops a real run (S-STOP).
#pragma once

namespace standin {

class Host;

// A run of the debugger thread is going on (not yet ended).
bool debuggerRunActive();
// S-RESUME: the paused page emptied, the caption back to running, the debugger thread let go.
// False when no run is paused.
bool debuggerResume();
// S-STOP: the program terminated and a paused run let go; returns at once.
void debuggerStop();
// S-RUN from the host's 运行 (in the mode real-runs): S-COMPILE, then the debugger thread starts
// e-sample, pausing at its own breakpoints. False when a run is active or cannot start.
bool debuggerStartRun(Host& host);

// The paused page: the stack levels (1224), the call stack (1167) and the variables of level 0
// (1109) filled, the watch values updated; and emptied again at a resume.
void showPausedPage(Host& host);
void clearPausedPage(Host& host);

}  // namespace standin
