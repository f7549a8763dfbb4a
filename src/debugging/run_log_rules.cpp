#include "debugging/run_log_rules.h"

#include <array>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::debuglog {
namespace {

// "* “tv.s” | " and the like, spelt as their GBK bytes (“ is A1 B0, ” is A1 B1) so that a build
// whose literals stay UTF-8 (the fuzz preset's clang) compares the same bytes.
constexpr std::string_view kSuccessMarker = "* \xA1\xB0tv.s\xA1\xB1 | ";
constexpr std::string_view kWarningMarker = "* \xA1\xB0tv.w\xA1\xB1 | ";
constexpr std::string_view kDebugMarker = "* \xA1\xB0tv.d\xA1\xB1 | ";
static_assert(kSuccessMarker.size() == kMarkerBytes && kWarningMarker.size() == kMarkerBytes &&
              kDebugMarker.size() == kMarkerBytes);

struct ExceptionRow {
  uint32_t code;
  std::string_view text;
};

// Tested in this order; the texts are the host's own, odd wording included.
constexpr std::array<ExceptionRow, 20> kExceptions = {{
    {0xC0000005, "触发异常， 程序正在读写一个不可访问的地址。"},
    {0xC000008C, "触发异常， 程序发生数组访问越界。"},
    {0x80000003, "触发断点。"},
    {0x80000002, "触发触发异常， 程序正在读取一个未经对齐的数据。"},
    {0xC000008D, "触发异常， 浮点数操作的操作数是非正常的。。"},
    {0xC000008E, "触发异常， 浮点数除法的除数是 0 。"},
    {0xC000008F, "触发异常， 浮点数操作的结果不能精确表示成小数。"},
    {0xC0000090, "触发异常， 该异常表示不包括在这个表内的其它浮点数异常。"},
    {0xC0000091, "触发异常， 浮点数的指数超过所能表示的最大值。"},
    {0xC0000092, "触发异常， 进行浮点数运算时栈发生溢出或下溢。"},
    {0xC0000093, "触发异常， 浮点数的指数小于所能表示的最小值。"},
    {0xC000001D, "触发异常， 程序企图执行一个无效的指令。"},
    {0xC0000006, "触发异常， 程序访问的内存页不在物理内存中。"},
    {0xC0000094, "触发异常， 整数除法的除数是 0 。"},
    {0xC0000095, "触发异常， 整数操作的结果溢出。"},
    {0xC0000026, "触发异常， 异常处理器返回一个无效的处理。"},
    {0xC0000025, "触发异常， 程序发生一个不可继续执行的异常。"},
    {0xC0000096, "触发异常， 程序企图执行一条当前CPU模式不允许的指令。"},
    {0x80000004, "触发单步。"},
    {0xC00000FD, "触发异常， 堆栈溢出。"},
}};

std::string runLine(uint32_t processId, std::string_view name, std::string_view verb) {
  std::string line = "程序 [";
  line += decimal(processId);
  line += "] \"";
  line += name;
  line += "\" ";
  line += verb;
  line += "\r\n";
  return line;
}

// The last occurrence of `needle` in `text` that starts on a character boundary.
size_t findLastText(std::string_view text, std::string_view needle) {
  size_t found = std::string_view::npos;
  for (size_t at = gbkFindText(text, needle); at != std::string_view::npos;
       at = gbkFindText(text, needle, at + gbkCharLength(text, at)))
    found = at;
  return found;
}

}  // namespace

std::string_view marker(OutputStyle style) {
  switch (style) {
    case OutputStyle::kSuccess: return kSuccessMarker;
    case OutputStyle::kWarning: return kWarningMarker;
    case OutputStyle::kDebug: return kDebugMarker;
    case OutputStyle::kDefault: break;
  }
  return {};
}

StyleColour styleColour(OutputStyle style) {
  switch (style) {
    case OutputStyle::kSuccess: return {87, 166, 74};
    case OutputStyle::kWarning: return {229, 20, 0};
    case OutputStyle::kDebug: return {255, 204, 0};
    case OutputStyle::kDefault: break;
  }
  return {241, 241, 241};
}

OutputLine classifyOutput(std::string_view text) {
  // A shorter text cannot hold a marker: nothing past its end is compared.
  if (text.size() >= kMarkerBytes) {
    const std::string head = asciiLower(text.substr(0, kMarkerBytes));
    for (OutputStyle style : {OutputStyle::kSuccess, OutputStyle::kWarning, OutputStyle::kDebug}) {
      const std::string_view m = marker(style);
      if (head != m) continue;
      const size_t last = findLastText(text, m);
      const size_t from = last == std::string_view::npos ? kMarkerBytes : last + m.size();
      return {style, "* " + std::string(text.substr(from))};
    }
  }
  return {OutputStyle::kDefault, std::string(text)};
}

std::string programName(std::string_view commandLine) {
  std::string_view path = commandLine;
  if (!path.empty() && path.front() == '"') {
    path.remove_prefix(1);
    const size_t close = path.find('"');  // '"' is never a GBK trail byte
    if (close != std::string_view::npos) path = path.substr(0, close);
  }
  // PathFindFileNameA: the part after the last '\\', '/' or ':'.
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += gbkCharLength(path, i))
    if (gbkCharLength(path, i) == 1 && (path[i] == '\\' || path[i] == '/' || path[i] == ':')) start = i + 1;
  return std::string(path.substr(start));
}

bool startsDebuggingRun(bool succeeded, uint32_t processId, uint32_t creationFlags, std::string_view name) {
  if (!succeeded || processId == 0) return false;
  if ((creationFlags & (kDebugProcess | kDebugOnlyThisProcess)) == 0) return false;
  return asciiLower(name).find(".tmp") != std::string::npos;
}

std::string hexText(uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

std::string exceptionText(uint32_t code) {
  for (const ExceptionRow& row : kExceptions)
    if (row.code == code) return std::string(row.text);
  return "触发异常， 未记录的错误代码:" + decimal(static_cast<int32_t>(code)) + "。";
}

std::string startLine(uint32_t processId, std::string_view name) { return runLine(processId, name, "开始调试。"); }

std::string stopLine(uint32_t processId, std::string_view name) { return runLine(processId, name, "停止调试。"); }

std::string exceptionLine(uint32_t code, uint32_t address) {
  return exceptionText(code) + " 目标地址 " + decimal(static_cast<int32_t>(address)) + " (0x" +
         asciiLower(hexText(address)) + ")。\r\n";
}

bool eventOfRun(uint32_t eventProcessId, uint32_t eventThreadId, uint32_t debuggedProcessId) {
  return eventProcessId != 0 && eventThreadId != 0 && debuggedProcessId != 0 && eventProcessId == debuggedProcessId;
}

bool designerPageTitle(std::string_view title) { return gbkFindText(title, "窗口: ") != std::string_view::npos; }

}  // namespace tovalux::debuglog
