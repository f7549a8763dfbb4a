#include "debugging/disassembly_commands.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "base/diagnostics.h"
#include "base/embedded_files.h"
#include "base/guard.h"
#include "base/text.h"
#include "debugging/disassembly_rules.h"
#include "debugging/engine_lines.h"

namespace tovalux {
namespace {

using OllyDisasmExport = uint32_t(__stdcall*)(char* source, uint32_t size, uint32_t ip, olly::TDisasm* record,
                                              int mode);
using OllyOptionsExport = void(__stdcall*)(int ideal, int lower, int tabs, int showSegment);
using BeaDisasmExport = int32_t(__stdcall*)(bea::Disasm32* record);

constexpr int kOllyFullDisassembly = 4;

std::atomic<uint32_t> gOptionsSet{0};
std::atomic<uint32_t> gEnginesLoaded{0};
std::atomic<uint32_t> gBlocksSent{0};
std::atomic<uint32_t> gSendsTimedOut{0};

// The folder of the running program's executable, without a trailing backslash.
std::string programFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  return std::string(parentFolder(path));
}

// An engine DLL beside the program: written from our resources when missing (atomically, so a
// second caller never loads half a file) and loaded by its full path, never through the search
// order. Loaded once per process and kept; a failed attempt is tried again by the next call.
HMODULE loadEngine(int resource, const char* fileName) {
  const std::string folder = programFolder();
  if (folder.empty()) return nullptr;
  const std::string path = folder + "\\" + fileName;
  ensureEmbeddedFile(resource, path);
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module) gEnginesLoaded.fetch_add(1);
  return module;
}

struct OllyEngine {
  OllyDisasmExport disasm = nullptr;
};
struct BeaEngine {
  BeaDisasmExport disasm = nullptr;
};

std::mutex gEngineLock;
OllyEngine gOlly;
BeaEngine gBea;

// OllyDbg's options are set here, once per process, after the DLL is loaded and before its
// first Disasm (never from DllMain: the loader lock is held there).
OllyEngine loadOlly() {
  std::lock_guard lock(gEngineLock);
  if (gOlly.disasm) return gOlly;
  HMODULE module = loadEngine(TOVALUX_RES_OLLY, "olly.dll");
  if (!module) return {};
  auto disasm = reinterpret_cast<OllyDisasmExport>(reinterpret_cast<void*>(GetProcAddress(module, "Disasm")));
  auto options = reinterpret_cast<OllyOptionsExport>(reinterpret_cast<void*>(GetProcAddress(module, "VB_SetOptions")));
  if (!disasm || !options) return {};
  options(0, 0, 0, 1);
  gOptionsSet.fetch_add(1);
  gOlly.disasm = disasm;
  return gOlly;
}

BeaEngine loadBea() {
  std::lock_guard lock(gEngineLock);
  if (gBea.disasm) return gBea;
  HMODULE module = loadEngine(TOVALUX_RES_BEAENGINE, "BeaEngine.dll");
  if (!module) return {};
  gBea.disasm = reinterpret_cast<BeaDisasmExport>(reinterpret_cast<void*>(GetProcAddress(module, "_Disasm@4")));
  return gBea;
}

bool readableProtection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                     PAGE_EXECUTE_WRITECOPY)) != 0;
}

// This process's memory: VirtualQuery says what is committed and readable, and the bytes are
// copied with ReadProcessMemory, which fails instead of faulting should a page go away between
// the query and the copy (another thread of the program may free it).
class ProcessMemory : public disasm::CodeMemory {
 public:
  uint32_t read(uint32_t address, uint8_t* out, uint32_t count) override {
    uint32_t copied = 0;
    while (copied < count) {
      const uintptr_t at = uintptr_t{address} + copied;
      MEMORY_BASIC_INFORMATION info{};
      if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) != sizeof info) break;
      if (info.State != MEM_COMMIT || !readableProtection(info.Protect)) break;
      const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
      const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count - copied, regionEnd - at));
      SIZE_T read = 0;
      if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(at), out + copied, n, &read) ||
          read != n) {
        copied += static_cast<uint32_t>(read);
        break;
      }
      copied += n;
    }
    return copied;
  }
};

// The largest block the host main window takes; the text is cut to fit at a line boundary.
constexpr size_t kBlockCap = 4u << 20;
constexpr size_t kTextCap = kBlockCap - disasm::kBlockHeaderBytes;

void disassembleAndSend(disasm::LineDecoder& decoder, const disasm::Range& range) {
  ProcessMemory memory;
  const disasm::WalkResult result = disasm::walk(memory, decoder, range, kTextCap);
  sendBlockToIdes(disasm::block(GetCurrentProcessId(), result.text));
}

// The windows EnumWindows reports run through a callback inside the system's own frames, in the
// debugged program: nothing in it may throw (no allocation, no std::string), so it only notes the
// handles, at most kMaxIdeWindows of them; their details are read after EnumWindows returned.
constexpr size_t kMaxIdeWindows = 64;
struct FoundWindows {
  HWND windows[kMaxIdeWindows];
  size_t count = 0;
};

BOOL CALLBACK collectIdeWindow(HWND window, LPARAM context) noexcept {
  char className[51] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "Tovalux") != 0) return TRUE;
  auto* found = reinterpret_cast<FoundWindows*>(context);
  if (found->count < kMaxIdeWindows) found->windows[found->count++] = window;
  return TRUE;
}

bool sendToIde(const IdeWindow& ide, HWND hostMain, const std::string& block) {
  logToNotepad(" 进程标识:" + decimal(ide.processId));
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, ide.processId);
  if (!process) return false;
  bool answered = false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote) {
    if (WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) {
      // One IDE that does not answer (its user-interface thread hung or busy) must not hold the
      // program: it is skipped after the timeout. Should it read the block later, the block is
      // gone and its receiver copies nothing.
      DWORD_PTR answer = 0;
      answered = SendMessageTimeoutA(hostMain, kDisasmTextMessage, reinterpret_cast<WPARAM>(remote),
                                     static_cast<LPARAM>(block.size()), SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                     kIdeAnswerTimeoutMs, &answer) != 0;
      (answered ? gBlocksSent : gSendsTimedOut).fetch_add(1);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return answered;
}

}  // namespace

std::vector<IdeWindow> findIdeWindows() {
  FoundWindows found;
  EnumWindows(&collectIdeWindow, reinterpret_cast<LPARAM>(&found));
  std::vector<IdeWindow> windows;
  for (size_t i = 0; i < found.count; ++i) {
    IdeWindow ide;
    ide.window = found.windows[i];
    ide.threadId = GetWindowThreadProcessId(ide.window, &ide.processId);
    char title[257] = {};
    GetWindowTextA(ide.window, title, sizeof title);
    ide.title = title;
    ide.className = "Tovalux";
    windows.push_back(std::move(ide));
  }
  return windows;
}

int sendBlockToIdes(const std::string& block) {
  int answered = 0;
  const DWORD self = GetCurrentProcessId();
  for (const IdeWindow& ide : findIdeWindows()) {
    // Only a frame holds the host main window; the IDE's hidden auxiliary window has none.
    if (ide.processId == self) continue;
    HWND hostMain = FindWindowExA(ide.window, nullptr, "ENewFrame", nullptr);
    if (!hostMain) continue;
    if (sendToIde(ide, hostMain, block)) ++answered;
  }
  return answered;
}

CommandCounters commandCounters() {
  return {gOptionsSet.load(), gEnginesLoaded.load(), gBlocksSent.load(), gSendsTimedOut.load()};
}

// Both run inside the debugged program, on its thread: nothing may unwind into it, and a bad
// argument array ends the command quietly.
void __cdecl disassembleWithOlly(void*, int32_t argumentCount, CommandArgument* arguments) noexcept {
  guarded(GuardSite::kCommand, [&] {
    if (argumentCount < 2 || arguments == nullptr) return;
    disasm::Range range;
    if (!disasm::rangeFromArguments(arguments[0].value, arguments[1].value, range)) return;
    const OllyEngine engine = loadOlly();
    if (!engine.disasm) return;
    disasm::OllyLines decoder([&](const uint8_t* source, uint32_t size, uint32_t ip, olly::TDisasm* record) {
      return engine.disasm(reinterpret_cast<char*>(const_cast<uint8_t*>(source)), size, ip, record,
                           kOllyFullDisassembly);
    });
    disassembleAndSend(decoder, range);
  });
}

void __cdecl disassembleWithBea(void*, int32_t argumentCount, CommandArgument* arguments) noexcept {
  guarded(GuardSite::kCommand, [&] {
    if (argumentCount < 3 || arguments == nullptr) return;
    disasm::Range range;
    if (!disasm::rangeFromArguments(arguments[1].value, arguments[2].value, range)) return;
    const BeaEngine engine = loadBea();
    if (!engine.disasm) return;
    disasm::BeaLines decoder(
        [&](bea::Disasm32& record, const uint8_t* code) {
          record.EIP = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code));
          return engine.disasm(&record);
        },
        disasm::beaSyntax(arguments[0].value));
    disassembleAndSend(decoder, range);
  });
}

}  // namespace tovalux
