// Inline hooks on exported functions of the host process.
//
// installHook overwrites the entry of a function with `jmp replacement` and builds a trampoline
// (the moved entry instructions, then a jump back) through which the replacement reaches the
// original behaviour. The moved bytes are the requested count raised to an instruction
// boundary; relative branches among them are re-targeted. The jump goes live while every other
// thread of the process is suspended, and a thread stopped inside the patched bytes is moved to
// the matching place in the trampoline. Trampolines live in executable memory the engine owns;
// a hook keeps its trampoline until it is destroyed, so a thread still inside a replacement
// after removeHook can finish its call through.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "hooks/engine/trampoline.h"

namespace tovalux {

// Entry bytes read, saved or rewritten at most: room for the largest count raised to the end of
// the instruction it cuts (an x86 instruction is at most 15 bytes long).
inline constexpr size_t kMaxEntryBytes = hooks::kMaxByteCount + 15;

// What the last operation on a hook found; everything but ok is a failure that wrote nothing.
enum class HookStatus {
  ok,
  invalidArgument,  // no module name, function name or replacement
  moduleNotFound,   // neither loaded nor loadable
  exportNotFound,   // the module has no such export
  noSlot,           // no executable memory left for the trampoline
  protectFailed,    // the entry's page protection could not be changed
  notInstalled,     // suspend, resume or remove of a hook that is not installed
  // Why the entry cannot be moved (hooks::PrologueStatus).
  badCount,
  undecodable,
  endsTooSoon,
  unmovableBranch,
  branchIntoPatch,
};

HookStatus toHookStatus(hooks::PrologueStatus status);
const char* toString(HookStatus status);

class ApiHook {
 public:
  ApiHook() = default;
  ~ApiHook();
  ApiHook(const ApiHook&) = delete;
  ApiHook& operator=(const ApiHook&) = delete;

  // [in] moduleName, functionName: the export to redirect (the module is loaded when needed)
  // [in] replacement: a routine with the function's exact signature
  // [in] byteCount: entry bytes to move, 5..25; raised to the next instruction boundary
  // [in] filler: written after the jump, within the moved bytes
  // True when the hook is installed, also when it already was (then nothing is written).
  // False when the export cannot be found, its entry cannot be moved safely, or memory cannot
  // be made writable; nothing is written then, and lastStatus() says which.
  bool installHook(const char* moduleName, const char* functionName, const void* replacement,
                   int byteCount = static_cast<int>(hooks::kDefaultByteCount), std::span<const uint8_t> filler = {});

  // The trampoline: call it with the replacement's arguments for the unhooked behaviour.
  // Read it on every call; it stays callable after removeHook until the hook is destroyed.
  void* trampolineOf() const { return trampoline_.load(std::memory_order_acquire); }
  template <typename Function>
  Function original() const {
    return reinterpret_cast<Function>(trampolineOf());
  }

  // Restores the saved bytes. False, with nothing written, when the hook is not installed or
  // the entry cannot be made writable. The entry's page protection is changed only while bytes
  // are written, never left writable.
  bool removeHook();
  // Writes the saved bytes back / the jump again, without changing the installed state. False,
  // with nothing written, when the hook is not installed or the entry cannot be made writable.
  bool suspendHook();
  bool resumeHook();

  // Calls the trampoline with `args` as stdcall arguments and answers its result.
  int32_t callThroughWithArgs(std::span<const int32_t> args) const;

  bool installed() const { return target_.load(std::memory_order_acquire) != 0; }
  uintptr_t target() const { return target_.load(std::memory_order_acquire); }
  size_t movedCount() const { return image_.movedCount; }
  std::span<const uint8_t> savedBytes() const { return {savedBytes_.data(), savedCount_}; }
  std::span<const uint8_t> jumpPatch() const { return jumpPatch_; }
  // Why the last install, remove, suspend or resume failed; ok when it succeeded.
  HookStatus lastStatus() const { return lastStatus_.load(std::memory_order_relaxed); }

  // Threads found inside patched bytes and moved, since the library was loaded (diagnostics).
  static uint32_t threadsMoved();

 private:
  friend class HookTransaction;
  // Builds the trampoline and the bytes to write over the entry into `patch`; nothing is
  // written to the entry yet.
  bool prepareInstall(const char* moduleName, const char* functionName, const void* replacement, int byteCount,
                      std::span<const uint8_t> filler, uint8_t* patch);
  // Where a thread stopped at `ip` continues once the prepared jump is live.
  uintptr_t relocatedInstructionPointer(uintptr_t ip) const;
  bool writeTargetBytes(std::span<const uint8_t> bytes, bool relocateIntoTrampoline);
  // Records `status` as the last operation's outcome and answers whether it is ok.
  bool report(HookStatus status);

  std::atomic<uintptr_t> target_{0};
  uintptr_t preparedTarget_ = 0;
  bool pending_ = false;  // part of an uncommitted transaction
  std::atomic<void*> trampoline_{nullptr};
  std::array<uint8_t, kMaxEntryBytes> savedBytes_{};
  size_t savedCount_ = 0;
  std::array<uint8_t, hooks::kJumpLength> jumpPatch_{};
  hooks::Trampoline image_;            // as last prepared; its movedCount is the patch's length
  unsigned long savedProtection_ = 0;  // of the entry before the hook; restored after every write
  std::atomic<HookStatus> lastStatus_{HookStatus::ok};
};

// Changes to several hooks written under one freeze of the other threads: start-up installs
// eight at once. Holds the engine lock from construction until commit (or destruction).
class HookTransaction {
 public:
  HookTransaction();
  ~HookTransaction();
  HookTransaction(const HookTransaction&) = delete;
  HookTransaction& operator=(const HookTransaction&) = delete;

  // As ApiHook::installHook; the jump goes live at commit().
  bool install(ApiHook& hook, const char* moduleName, const char* functionName, const void* replacement,
               int byteCount = static_cast<int>(hooks::kDefaultByteCount), std::span<const uint8_t> filler = {});
  // As ApiHook::removeHook; the bytes come back at commit().
  bool remove(ApiHook& hook);
  void commit();

 private:
  struct Change {
    ApiHook* hook;
    bool install;
    uintptr_t target;  // the entry written
    uint8_t bytes[kMaxEntryBytes];
    size_t size;
    unsigned long protection;  // of the entry before the change
  };
  std::unique_lock<std::mutex> lock_;
  std::vector<Change> changes_;
};

// Writes bytes into code or data of this process after making them writable. An address that
// cannot be read, or a range that can be neither made nor found writable, is left alone: the
// answer is false then.
bool writeCode(void* address, std::span<const uint8_t> bytes);
bool writeCodeInt32(void* address, int32_t value);

}  // namespace tovalux
