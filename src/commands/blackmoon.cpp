#include "commands/blackmoon.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/guard.h"
#include "base/last_error.h"
#include "commands/blackmoon_rules.h"
#include "commands/commands_internal.h"
#include "host/host_protocol.h"
#include "shell/part.h"

namespace tovalux {
namespace {

using namespace commands;

bool gPending = false;

// The lines about a result the plug-in was not given go to the build-output pane (the debugging
// Part's writeBuildOutput peer); without it they are dropped.
void writeLine(std::string_view line) {
  if (const auto write = peers().writeBuildOutput) write(line);
}

using Routine = void(__stdcall*)(const char* path, int32_t zero);

// A copy of the headers as mapped: as many bytes of the image's first region as it has, at most
// 64 KB, copied with ReadProcessMemory (a read that fails, never faults).
std::vector<uint8_t> mappedHeaders(const void* base) {
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(base, &region, sizeof region) == 0 || region.State != MEM_COMMIT) return {};
  const size_t size =
      region.RegionSize - (static_cast<const uint8_t*>(base) - static_cast<uint8_t*>(region.BaseAddress));
  std::vector<uint8_t> headers(size < 0x10000 ? size : 0x10000);
  SIZE_T read = 0;
  if (!ReadProcessMemory(GetCurrentProcess(), base, headers.data(), headers.size(), &read)) return {};
  headers.resize(read);
  return headers;
}

std::optional<FileVersion> loadedVersion(HMODULE module) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  return fixedFileVersion(data, SizeofResource(module, found));
}

// Takes the plug-in at the moment of the call and keeps it loaded until the routine returns.
void handToPlugin(const std::string& path) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(0, kBlackMoonModule, &module) || module == nullptr) {
    writeLine(blackMoonGoneLine(path));
    return;
  }
  struct Release {
    HMODULE module;
    ~Release() { FreeLibrary(module); }
  } release{module};
  const std::optional<FileVersion> version = loadedVersion(module);
  if (!version || !isExpectedBlackMoonVersion(*version)) {
    writeLine(blackMoonWrongVersionLine(version, path));
    return;
  }
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const std::vector<uint8_t> headers = mappedHeaders(base);
  if (!rvaInExecutableSection(headers.data(), headers.size(), kBlackMoonRoutineOffset)) {
    writeLine(blackMoonNotCodeLine(path));
    return;
  }
  const auto routine = reinterpret_cast<Routine>(reinterpret_cast<uintptr_t>(base) + kBlackMoonRoutineOffset);
  routine(path.c_str(), 0);  // a copy: the host's text may change under a re-entrant send
}

}  // namespace

void startBlackMoonBuild() {
  if (GetModuleHandleA(kBlackMoonModule) == nullptr) {
    commands::messageBox(kBlackMoonMissingText, MB_ICONERROR);
    return;
  }
  gPending = true;
  // Posted: the menu or button handler returns before the plug-in's build starts.
  if (HWND main = getHostMainWindow()) PostMessageA(main, WM_COMMAND, kBlackMoonBuildCommand, 0);
}

bool blackMoonBuildPending() { return gPending; }
void setBlackMoonBuildPending(bool pending) { gPending = pending; }

void noteBuildCommandStarted() { gPending = false; }

void scanBlackMoonOutput(std::string_view text) {
  if (!gPending) return;
  const BlackMoonResult result = readBlackMoonResult(text);
  if (!result.resultLine) return;
  // Lowered before the call: the routine may write to the output box again.
  gPending = false;
  if (result.path.empty()) {
    writeLine(std::string(kBlackMoonNoPathLine) + "\r\n");
    return;
  }
  handToPlugin(result.path);
}

void watchBlackMoonOutput(const HostMessage& message) {
  LastErrorGuard lastError;
  // The host empties its output box with EM_SETSEL(-1, 0) as each of its builds starts, whoever
  // started it (our menu, or its own F7 and the other build keys): a BlackMoon build still waiting
  // for its result line is over, and this build's line is not the plug-in's. The plug-in's own
  // build only appends to the box.
  if (message.message == EM_SETSEL && static_cast<int32_t>(message.wParam) == -1 && message.lParam == 0) {
    noteBuildCommandStarted();
    return;
  }
  if (message.message != EM_REPLACESEL || !message.hasText) return;
  guarded(GuardSite::kHookReplacement, [&] { scanBlackMoonOutput(message.text); });
}

}  // namespace tovalux
