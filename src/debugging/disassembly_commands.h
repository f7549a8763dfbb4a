// The two library commands. A program under debugging calls them; they disassemble a range of
// its own memory and send the text to every IDE that shows the shell, whose host main window
// hands it to the disassembly pane when it debugs that program. The descriptor publishes their
// addresses. Everything here runs inside the debugged program, on the thread that called.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/library_info.h"

namespace tovalux {

// Command 1, "Tovalux_反汇编_OD": address, length (OllyDbg's engine).
void __cdecl disassembleWithOlly(void* result, int32_t argumentCount, CommandArgument* arguments) noexcept;
// Command 2, "Tovalux_反汇编_BE": syntax, address, length (BeaEngine).
void __cdecl disassembleWithBea(void* result, int32_t argumentCount, CommandArgument* arguments) noexcept;

// The message a block is announced with: wParam its address inside the IDE, lParam its length.
inline constexpr UINT kDisasmTextMessage = 89963;
// How long one IDE may take to answer; one that does not (or is hung) is skipped.
inline constexpr UINT kIdeAnswerTimeoutMs = 5000;

// The top-level windows of class "Tovalux" (the shell's frame, and its hidden auxiliary
// window), in enumeration order, with their process and thread.
struct IdeWindow {
  HWND window = nullptr;
  DWORD processId = 0;
  DWORD threadId = 0;
  std::string title;
  std::string className;
};
std::vector<IdeWindow> findIdeWindows();

// Writes `block` into every IDE process whose "Tovalux" window holds a host main window
// ("ENewFrame") and announces it there; windows of this process are skipped. Answers how many
// IDEs took the message in time.
int sendBlockToIdes(const std::string& block);

// What the commands did in this process, for tests and benchmarks.
struct CommandCounters {
  uint32_t ollyOptionsSet = 0;  // VB_SetOptions calls (1 after the first OllyDbg command)
  uint32_t enginesLoaded = 0;   // engine DLLs loaded by path
  uint32_t blocksSent = 0;      // messages an IDE answered
  uint32_t sendsTimedOut = 0;   // IDEs that did not answer in time (hung or busy)
};
CommandCounters commandCounters();

}  // namespace tovalux
