// The rules behind the build-output pane and the debugging-run log, free of Win32: which texts
// carry a colour marker, which launches of the host start a debugging run, and the exact lines
// the log shows. The hooks and the pane (debug_output.cpp) only gather their inputs and apply
// these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovalux::debuglog {

// --- the build-output pane ------------------------------------------------------------------

// The three colour markers a line of the host's output may start with: "* “tv.s” | " and its
// siblings, 13 bytes in GBK (the curly quotes are two bytes each). Compared lower-cased.
enum class OutputStyle : uint8_t { kDefault, kSuccess, kWarning, kDebug };
inline constexpr size_t kMarkerBytes = 13;
std::string_view marker(OutputStyle style);

struct StyleColour {
  uint8_t red, green, blue;
};
StyleColour styleColour(OutputStyle style);  // green 87,166,74; red 229,20,0; amber 255,204,0

// How one text the host appended to its output box shows in the pane.
struct OutputLine {
  OutputStyle style = OutputStyle::kDefault;
  std::string text;  // what is appended
};
// A text whose first 13 bytes, lower-cased (ASCII letters only), are a marker shows "* " and the
// text after the last occurrence of that marker (the search respects case). When the marker is
// written in capitals, that search finds nothing and the line shows "* " and the text after its
// first 13 bytes. Anything else, a text shorter than 13 bytes included, shows unchanged.
OutputLine classifyOutput(std::string_view text);

// --- starting and stopping a debugging run ---------------------------------------------------

// The program a command line starts, as the log names it: the file-name part of the path. A
// quoted path loses its quotes and the arguments after it.
std::string programName(std::string_view commandLine);

// CreateProcessA's creation flags that start a debugging run.
inline constexpr uint32_t kDebugProcess = 0x1;
inline constexpr uint32_t kDebugOnlyThisProcess = 0x2;

// The host's launch starts a debugging run: CreateProcessA succeeded with a process id, with
// DEBUG_PROCESS or DEBUG_ONLY_THIS_PROCESS, and the program's name contains ".tmp" (any case;
// the host runs the program it debugs from a temporary file, its compiler and tools not).
bool startsDebuggingRun(bool succeeded, uint32_t processId, uint32_t creationFlags, std::string_view name);

// --- the log lines -----------------------------------------------------------------------------

// Hexadecimal digits of the value, upper case, no leading zeros ("0" for 0).
std::string hexText(uint32_t value);
// The description of an exception code (the host's table; any other code as signed decimal).
std::string exceptionText(uint32_t code);

// "程序 [1234] "e_1.tmp" 开始调试。\r\n"
std::string startLine(uint32_t processId, std::string_view name);
// "程序 [1234] "e_1.tmp" 停止调试。\r\n"
std::string stopLine(uint32_t processId, std::string_view name);
// exceptionText + " 目标地址 " + the address in signed decimal + " (0x" + lower-case hex + ")。\r\n"
std::string exceptionLine(uint32_t code, uint32_t address);

// The debug event the host's buffer still holds belongs to the run being logged: both ids are
// set and the process is the debugged one (which is not 0).
bool eventOfRun(uint32_t eventProcessId, uint32_t eventThreadId, uint32_t debuggedProcessId);
inline constexpr uint32_t kExceptionDebugEvent = 1;

// The title of the host's active code page names a window-designer page ("窗口: ", case kept).
bool designerPageTitle(std::string_view title);

}  // namespace tovalux::debuglog
