// e-sample.exe: the program the stand-in IDE debugs. The host copies it to H\temp\e_<n>.tmp and
// starts it under its debugger; it runs the actions in ESTANDIN_SCRIPT (or on its command line),
// separated by ';' or new lines, and reports what it did with OutputDebugStringA lines that begin
// "esample " (the host's debugger journals them). Library commands are called the way the host
// calls them: the entry from the descriptor's command table, a 16-byte result slot, the argument
// count and an array of 12-byte arguments with the value in the first four bytes.
//
//   load                          LoadLibraryA(ESTANDIN_PLUGIN), GetNewInf, the command table
//   symbols                       reports the addresses of the code below ("esample symbols ...")
//   olly ADDR LEN                 command 1; ADDR and LEN are numbers or symbols
//   bea SYNTAX ADDR LEN           command 2
//   call olly|bea count=N|null    a command with a wrong argument count, or no argument array
//   noaccess                      a page of code whose last instruction runs into a no-access
//                                 page; symbol "edge" is 16 bytes before that page
//   buffer SIZE [sample]          SIZE bytes of this program's own code (or of a run of plain
//                                 instructions both engines decode), repeated; symbol "buf"
//   int3 | av                     a breakpoint / an access violation at a known address, handled
//   raise CODE [N]                RaiseException(CODE) N times (default 1), each handled
//   ods TEXT [N]                  OutputDebugStringA(TEXT + CR LF), N times ("%n" numbers them)
//   line TEXT...                  OutputDebugStringA of the rest of the action as written + CR LF
//                                 (a marked line such as "* “tv.s” | 成功")
//   sleep MS | exit CODE
//
// Symbols: code (55 8B EC 5D C3), bad (0F 04, no instruction), av, int3, edge, buf, end (the
// end of `buf`).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/library_info.h"

extern "C" {
void esample_code();
void esample_bad();
void esample_av();
void esample_int3();
}

// Known bytes at known addresses: the commands' sample, an undecodable pair, and the two
// instructions that fault (each followed by a return the handler resumes at).
asm(".text\n"
    ".globl _esample_code\n_esample_code:\n .byte 0x55, 0x8B, 0xEC, 0x5D, 0xC3\n"
    ".globl _esample_bad\n_esample_bad:\n .byte 0x0F, 0x04, 0xC3\n"
    ".globl _esample_av\n_esample_av:\n .byte 0xC7, 0x05, 0, 0, 0, 0, 1, 0, 0, 0\n ret\n"
    ".globl _esample_int3\n_esample_int3:\n int3\n ret\n");

namespace {

constexpr DWORD kAvLength = 10;  // C7 05 <disp32> <imm32>

using GetNewInf = const tovalux::LibraryInfo*(__stdcall*)();

std::map<std::string, uint32_t> gSymbols;
const tovalux::CommandFunction* gCommands = nullptr;
volatile LONG gRaising = 0;

// One line each: the host puts the text in its output box unchanged, so the line break is ours.
void report(const std::string& text) { OutputDebugStringA(("esample " + text + "\r\n").c_str()); }

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

uint32_t address(void (*function)()) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function)); }

LONG CALLBACK handleException(EXCEPTION_POINTERS* pointers) {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  const auto at = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress));
  CONTEXT* context = pointers->ContextRecord;
  if (code == EXCEPTION_ACCESS_VIOLATION && at == address(&esample_av)) {
    context->Eip = at + kAvLength;
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  if (code == EXCEPTION_BREAKPOINT && at == address(&esample_int3)) {
    if (context->Eip == at) context->Eip = at + 1;
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  if (gRaising) return EXCEPTION_CONTINUE_EXECUTION;
  return EXCEPTION_CONTINUE_SEARCH;
}

// Words of one action: blanks separate them, "double quotes" keep blanks inside one.
std::vector<std::string> words(const std::string& action) {
  std::vector<std::string> result;
  std::string word;
  bool quoted = false, any = false;
  for (char c : action) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) result.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) result.push_back(word);
  return result;
}

int32_t value(const std::string& word) {
  const auto symbol = gSymbols.find(word);
  if (symbol != gSymbols.end()) return static_cast<int32_t>(symbol->second);
  return static_cast<int32_t>(std::strtoll(word.c_str(), nullptr, 0));
}

// One command call as the host makes it; reports its arguments and how long it took.
void callCommand(int index, std::vector<int32_t> values, int32_t count, bool nullArray) {
  if (!gCommands || !gCommands[index]) {
    report("no-command " + std::to_string(index));
    return;
  }
  std::vector<tovalux::CommandArgument> arguments(values.size() + 1);
  for (size_t i = 0; i < values.size(); ++i) arguments[i] = {values[i], {0, 0}};
  unsigned char result[16] = {};
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  gCommands[index](result, count, nullArray ? nullptr : arguments.data());
  QueryPerformanceCounter(&end);
  const double ms = 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", ms);
  report(std::string(index == 0 ? "olly" : "bea") + " returned ms=" + text);
}

bool loadPlugin() {
  char path[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("ESTANDIN_PLUGIN", path, sizeof path)) return false;
  HMODULE plugin = LoadLibraryA(path);
  auto getNewInf =
      plugin ? reinterpret_cast<GetNewInf>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetNewInf"))) : nullptr;
  const tovalux::LibraryInfo* info = getNewInf ? getNewInf() : nullptr;
  if (!info || info->commandCount < 2) return false;
  gCommands = info->commandFunctions;
  report("loaded commands=" + std::to_string(info->commandCount));
  return true;
}

// A page of NOPs whose last three bytes begin MOV EAX, imm32, followed by a no-access page.
bool makeNoAccessEdge() {
  auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x2000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!pages) return false;
  std::memset(pages, 0x90, 0x1000);
  pages[0xFFD] = 0xB8;
  pages[0xFFE] = 0x11;
  pages[0xFFF] = 0x22;
  DWORD old = 0;
  VirtualProtect(pages, 0x1000, PAGE_EXECUTE_READ, &old);
  VirtualProtect(pages + 0x1000, 0x1000, PAGE_NOACCESS, &old);
  gSymbols["edge"] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pages)) + 0x1000 - 16;
  report("noaccess edge=" + hex(gSymbols["edge"]));
  return true;
}

// A run of instructions both engines decode, as a compiler writes them: a frame, locals, a
// call, the epilogue (28 bytes).
constexpr uint8_t kSampleCode[] = {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0x8B, 0x45, 0x08, 0x89, 0x45, 0xFC, 0xC7, 0x45,
                                   0xF8, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x8B, 0xE5, 0x5D, 0xC3};

// SIZE bytes of this program's own code section repeated, or of the sample run above.
bool makeBuffer(uint32_t size, bool sample) {
  auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uint8_t* code = sample ? kSampleCode : base + nt->OptionalHeader.BaseOfCode;
  const uint32_t codeSize = sample ? sizeof kSampleCode : nt->OptionalHeader.SizeOfCode;
  auto* buffer = static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!buffer || codeSize == 0) return false;
  for (uint32_t at = 0; at < size; at += codeSize) std::memcpy(buffer + at, code, std::min(codeSize, size - at));
  DWORD old = 0;
  VirtualProtect(buffer, size, PAGE_EXECUTE_READ, &old);
  gSymbols["buf"] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
  gSymbols["end"] = gSymbols["buf"] + size;
  report("buffer buf=" + hex(gSymbols["buf"]) + " size=" + std::to_string(size));
  return true;
}

void raise(DWORD code, int times) {
  InterlockedExchange(&gRaising, 1);
  for (int i = 0; i < times; ++i) RaiseException(code, 0, 0, nullptr);
  InterlockedExchange(&gRaising, 0);
  report("raised " + hex(code) + " times=" + std::to_string(times));
}

// %n in a text becomes the line's number.
std::string numbered(const std::string& text, int n) {
  std::string result = text;
  const size_t at = result.find("%n");
  if (at != std::string::npos) result.replace(at, 2, std::to_string(n));
  return result;
}

// Runs one action; false ends the script with exit code 2.
bool run(const std::vector<std::string>& w, int& exitCode, bool& exitNow) {
  const std::string& name = w[0];
  auto arg = [&](size_t i) -> std::string { return i < w.size() ? w[i] : std::string(); };
  if (name == "load") return loadPlugin();
  if (name == "symbols") {
    report("symbols code=" + hex(gSymbols["code"]) + " bad=" + hex(gSymbols["bad"]) + " av=" + hex(gSymbols["av"]) +
           " int3=" + hex(gSymbols["int3"]));
    return true;
  }
  if (name == "olly" && w.size() == 3) {
    callCommand(0, {value(w[1]), value(w[2])}, 2, false);
    return true;
  }
  if (name == "bea" && w.size() == 4) {
    callCommand(1, {value(w[1]), value(w[2]), value(w[3])}, 3, false);
    return true;
  }
  if (name == "call" && w.size() == 3) {
    const int index = arg(1) == "bea" ? 1 : 0;
    const std::vector<int32_t> values =
        index ? std::vector<int32_t>{0, value("code"), 3} : std::vector<int32_t>{value("code"), 3};
    if (arg(2) == "null")
      callCommand(index, values, static_cast<int32_t>(values.size()), true);
    else
      callCommand(index, values, value(arg(2).substr(arg(2).find('=') + 1)), false);
    return true;
  }
  if (name == "noaccess") return makeNoAccessEdge();
  if (name == "buffer") return makeBuffer(static_cast<uint32_t>(value(arg(1))), arg(2) == "sample");
  if (name == "int3") {
    report("int3 at=" + hex(gSymbols["int3"]));
    esample_int3();
    report("int3 passed");
    return true;
  }
  if (name == "av") {
    report("av at=" + hex(gSymbols["av"]));
    esample_av();
    report("av passed");
    return true;
  }
  if (name == "raise") {
    raise(static_cast<DWORD>(std::strtoul(arg(1).c_str(), nullptr, 0)), w.size() > 2 ? value(w[2]) : 1);
    return true;
  }
  if (name == "ods") {
    const int times = w.size() > 2 ? value(w[2]) : 1;
    for (int i = 1; i <= times; ++i) OutputDebugStringA((numbered(arg(1), i) + "\r\n").c_str());
    return true;
  }
  if (name == "sleep") {
    Sleep(static_cast<DWORD>(value(arg(1))));
    return true;
  }
  if (name == "exit") {
    exitCode = value(arg(1));
    exitNow = true;
    return true;
  }
  return false;
}

std::string script(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) text += std::string(argv[i]) + (i + 1 < argc ? " " : "");
  if (!text.empty()) return text;
  // Read as UTF-16 and converted here: Wine's ANSI call cuts a double-byte value short.
  std::wstring wide(1 << 16, L'\0');
  const DWORD units = GetEnvironmentVariableW(L"ESTANDIN_SCRIPT", wide.data(), static_cast<DWORD>(wide.size()));
  if (units == 0 || units >= wide.size()) return {};
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  std::string value(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), value.data(), bytes, nullptr, nullptr);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  AddVectoredExceptionHandler(1, &handleException);
  gSymbols["code"] = address(&esample_code);
  gSymbols["bad"] = address(&esample_bad);
  gSymbols["av"] = address(&esample_av);
  gSymbols["int3"] = address(&esample_int3);

  const std::string actions = script(argc, argv);
  int exitCode = 0;
  size_t start = 0;
  while (start <= actions.size()) {
    size_t end = actions.find_first_of(";\n", start);  // never GBK trail bytes
    if (end == std::string::npos) end = actions.size();
    std::string action = actions.substr(start, end - start);
    while (!action.empty() && (action.back() == '\r' || action.back() == ' ')) action.pop_back();
    start = end + 1;
    if (action.rfind("line ", 0) == 0) {  // the rest as written, blanks and bars included
      OutputDebugStringA((action.substr(5) + "\r\n").c_str());
      continue;
    }
    const std::vector<std::string> w = words(action);
    if (w.empty()) continue;
    bool exitNow = false;
    if (!run(w, exitCode, exitNow)) {
      report("failed " + action);
      return 2;
    }
    if (exitNow) break;
  }
  report("exit code=" + std::to_string(exitCode));
  return exitCode;
}
