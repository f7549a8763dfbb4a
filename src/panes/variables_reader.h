// The variables list of the pane "断点栈堆" ("stackList") and the reader that fills it.
//
// The host shows a variable's value and description only for the item selected in its variables
// tree, so the reader selects each variable in turn and reads the two windows, waiting for the
// host between select and read. It runs on a worker thread (never more than one; the busy flag is
// taken with one atomic test-and-set before a thread is made), and does every host read and every
// list change on the UI thread, where the host also empties and refills its tree. A generation
// count, bumped by every host insert and delete in that tree, is checked in the same UI-thread
// step as each read: when it moved, the item handles of the walk may be dead, so nothing more is
// sent with them; the walk's rows are dropped and the tree is walked again, until one walk
// completes with the tree unchanged. Each walk replaces the rows (a second burst adds none twice).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// Start-up (from buildStackPane): the list's look, columns and events. A list that is not live
// leaves everything off.
void setUpVariablesList(HXCGUI list);

// Router row 10 (UI thread; the stack pane's Part fills the slot): inserts start the reader when
// none runs; a delete of the root (or 0) empties the list; every insert and delete moves the
// generation. Nothing while the list does not exist.
void onVariablesMessage(const HostMessage& message);
void mirrorVariablesClear(LPARAM item);

// The rows the reader adds (UI thread).
void addVariableHeading(std::u16string_view text);
void addVariableRow(std::u16string_view joined);

HELE variablesList();

struct VariablesReaderStats {
  uint32_t threadsStarted = 0;  // reader threads made
  uint32_t walks = 0;           // walks begun
  uint32_t restarts = 0;        // walks given up because the tree changed
  uint32_t completed = 0;       // readers that ended with the tree unchanged
  uint32_t strikeFonts = 0;     // strike-out fonts made
  uint32_t generation = 0;
};
VariablesReaderStats variablesReaderStats();
bool variablesReaderBusy();
// The waits of a read (100 ms before a walk, 50 ms per variable), for benchmarks that compare
// the reader with them.
inline constexpr DWORD kReaderStartWait = 100;
inline constexpr DWORD kReaderValueWait = 50;

// Tests: counters back to zero (the busy flag only when no reader runs).
void resetVariablesReaderForTests();

}  // namespace tovalux
