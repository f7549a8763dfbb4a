#include "hooks/engine/api_hook.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace tovalux {
namespace {

// Engine-wide: hooks are installed and removed one transaction at a time.
std::mutex gEngineMutex;
std::atomic<uint32_t> gThreadsMoved{0};

// --- Executable memory ------------------------------------------------------------------------
// Trampolines and the argument stub live in pages the engine allocated executable; a heap block
// whose protection were changed would share its page with unrelated data.
class ExecutableArena {
 public:
  static constexpr size_t kSlotSize = 128;
  static_assert(hooks::kMaxTrampolineSize <= kSlotSize);

  uint8_t* allocate() {
    if (free_.empty()) {
      constexpr size_t kChunk = 64 * 1024;
      auto* chunk =
          static_cast<uint8_t*>(VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
      if (!chunk) return nullptr;
      for (size_t offset = kChunk; offset >= kSlotSize; offset -= kSlotSize)
        free_.push_back(chunk + offset - kSlotSize);
    }
    uint8_t* slot = free_.back();
    free_.pop_back();
    return slot;
  }
  void release(uint8_t* slot) {
    std::memset(slot, 0xCC, kSlotSize);
    free_.push_back(slot);
  }

 private:
  std::vector<uint8_t*> free_;  // chunks are never returned: a slot may be reused, never unmapped
};

ExecutableArena& arena() {
  static ExecutableArena instance;
  return instance;
}

// --- Thread freezing --------------------------------------------------------------------------
// Suspends every other thread of the process for the lifetime of the object. Nothing may be
// allocated while they are frozen (one of them may hold the heap lock), so room for the list is
// made first. Contexts are read once to make sure each thread has really stopped.
class ThreadFreezer {
 public:
  ThreadFreezer() {
    for (size_t room = countThreads() + 16;; room *= 2) {
      threads_.reserve(room);
      contexts_.resize(room);
      valid_.assign(room, false);
      if (suspendAll(room)) break;
      resumeAll();  // more threads appeared than there was room for: try again with more
    }
    for (size_t i = 0; i < threads_.size(); ++i) {
      contexts_[i].ContextFlags = CONTEXT_CONTROL;
      valid_[i] = GetThreadContext(threads_[i], &contexts_[i]) != FALSE;
    }
  }

  ~ThreadFreezer() { resumeAll(); }

  ThreadFreezer(const ThreadFreezer&) = delete;
  ThreadFreezer& operator=(const ThreadFreezer&) = delete;

  // Moves every thread whose instruction pointer `move` changes.
  template <typename Move>
  void moveInstructionPointers(Move move) {
    for (size_t i = 0; i < threads_.size(); ++i) {
      if (!valid_[i]) continue;
      const DWORD moved = move(contexts_[i].Eip);
      if (moved != contexts_[i].Eip) {
        contexts_[i].Eip = moved;
        if (SetThreadContext(threads_[i], &contexts_[i])) gThreadsMoved.fetch_add(1, std::memory_order_relaxed);
      }
    }
  }

  bool anyInside(uintptr_t begin, size_t size) const {
    for (size_t i = 0; i < threads_.size(); ++i)
      if (valid_[i] && contexts_[i].Eip - begin < size) return true;
    return false;
  }

 private:
  static constexpr ACCESS_MASK kAccess =
      THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_LIMITED_INFORMATION;
  using NextThreadFunction = LONG(NTAPI*)(HANDLE process, HANDLE thread, ACCESS_MASK access, ULONG attributes,
                                          ULONG flags, HANDLE* next);

  // NtGetNextThread hands out thread handles directly; under Wine it is far cheaper than a
  // system-wide Toolhelp snapshot. The snapshot stays as the fallback.
  static NextThreadFunction nextThread() {
    static const auto function = reinterpret_cast<NextThreadFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtGetNextThread")));
    return function;
  }

  // Calls visit(handle) for every other thread of the process with a handle the visitor may
  // keep (answer true) or that is closed for it (answer false); stops when visit answers -1.
  template <typename Visit>
  static void forEachOtherThread(Visit visit) {
    const DWORD self = GetCurrentThreadId();
    if (NextThreadFunction next = nextThread()) {
      HANDLE cursor = nullptr;
      bool keepCursor = false;
      HANDLE thread = nullptr;
      while (next(GetCurrentProcess(), cursor, kAccess, 0, 0, &thread) >= 0) {
        if (cursor && !keepCursor) CloseHandle(cursor);
        cursor = thread;
        keepCursor = false;
        if (GetThreadId(thread) == self) continue;
        const int answer = visit(thread);
        keepCursor = answer > 0;
        if (answer < 0) break;
      }
      if (cursor && !keepCursor) CloseHandle(cursor);
      return;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD process = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self) continue;
      HANDLE thread = OpenThread(kAccess, FALSE, entry.th32ThreadID);
      if (!thread) continue;
      const int answer = visit(thread);
      if (answer <= 0) CloseHandle(thread);
      if (answer < 0) break;
    }
    CloseHandle(snapshot);
  }

  static size_t countThreads() {
    size_t count = 0;
    forEachOtherThread([&](HANDLE) {
      ++count;
      return 0;
    });
    return count;
  }

  // False when there were more threads than `room`.
  bool suspendAll(size_t room) {
    bool fits = true;
    forEachOtherThread([&](HANDLE thread) {
      if (threads_.size() == room) {
        fits = false;
        return -1;
      }
      if (SuspendThread(thread) == static_cast<DWORD>(-1)) return 0;
      threads_.push_back(thread);
      return 1;
    });
    return fits;
  }

  void resumeAll() {
    for (HANDLE thread : threads_) {
      ResumeThread(thread);
      CloseHandle(thread);
    }
    threads_.clear();
  }

  std::vector<HANDLE> threads_;
  std::vector<CONTEXT> contexts_;
  std::vector<bool> valid_;
};

void copyCode(void* address, const uint8_t* bytes, size_t size) {
  std::memcpy(address, bytes, size);
  FlushInstructionCache(GetCurrentProcess(), address, size);
}

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// How many bytes from `address` on, up to `wanted`, are committed with one of the `allowed`
// protections, walking region by region: the entry may sit at the end of a mapped region, and a
// range may run into a reserved or guarded one.
size_t accessibleBytes(const void* address, size_t wanted, DWORD allowed) {
  const auto begin = reinterpret_cast<uintptr_t>(address);
  size_t covered = 0;
  while (covered < wanted) {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(reinterpret_cast<const void*>(begin + covered), &info, sizeof info) || info.State != MEM_COMMIT ||
        (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) || !(info.Protect & allowed))
      break;
    const uintptr_t end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (end <= begin + covered) break;  // the top of the address space
    covered = end - begin;
  }
  return covered < wanted ? covered : wanted;
}

size_t readableBytes(const void* address, size_t wanted) { return accessibleBytes(address, wanted, kReadable); }

// Makes [address, address + size) writable and answers the protection it had before. Queried
// first: when two hooks share a page, the second must see the page as it was, not as the
// first change left it.
bool makeWritable(void* address, size_t size, DWORD& original) {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(address, &info, sizeof info) || info.State != MEM_COMMIT) return false;
  original = info.Protect;
  DWORD scratch = 0;
  return VirtualProtect(address, size, PAGE_EXECUTE_READWRITE, &scratch) != FALSE;
}

void restoreProtection(void* address, size_t size, DWORD protection) {
  DWORD scratch = 0;
  VirtualProtect(address, size, protection, &scratch);
}

using ProtectFunction = LONG(NTAPI*)(HANDLE process, PVOID* address, SIZE_T* size, ULONG protection, ULONG* old);

ProtectFunction protectFunction() {
  static const auto function = reinterpret_cast<ProtectFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "ZwProtectVirtualMemory")));
  return function;
}

bool writeCodeChecked(void* address, const uint8_t* bytes, size_t size) {
  PVOID base = address;
  SIZE_T length = size;
  ULONG old = 0;
  ProtectFunction protect = protectFunction();
  const bool changed =
      protect && protect(reinterpret_cast<HANDLE>(-1), &base, &length, PAGE_EXECUTE_READWRITE, &old) >= 0;
  // Writing anywhere that is not writable now would fault inside the host: the protection may
  // not have been changed, or only part of the range is committed.
  if (accessibleBytes(address, size, kWritable) < size) {
    if (changed) protect(reinterpret_cast<HANDLE>(-1), &base, &length, old, &old);
    return false;
  }
  std::memmove(address, bytes, size);  // `bytes` may overlap the destination
  FlushInstructionCache(GetCurrentProcess(), address, size);
  // Give the pages their protection back: a data page must not stay executable.
  if (changed) protect(reinterpret_cast<HANDLE>(-1), &base, &length, old, &old);
  return true;
}

// The argument stub entered through CallWindowProcA(stub, function, args, count, cdecl):
// pushes count values from args (last first), calls function, drops the arguments itself for a
// cdecl function, answers the result and pops its own four arguments.
constexpr uint8_t kArgCallStub[69] = {
    0x55,                    // push ebp
    0x8B, 0xEC,              // mov ebp, esp
    0x56, 0x57, 0x53,        // push esi / edi / ebx
    0x8B, 0x4D, 0x10,        // mov ecx, [ebp+16]        count
    0x8B, 0x75, 0x0C,        // mov esi, [ebp+12]        args
    0x85, 0xC9,              // test ecx, ecx
    0x74, 0x0C,              // jz call
    0x8D, 0x7C, 0x8E, 0xFC,  // lea edi, [esi+ecx*4-4]   last argument
    0xFF, 0x37,              // next: push dword [edi]
    0x83, 0xEF, 0x04,        // sub edi, 4
    0x49,                    // dec ecx
    0x75, 0xF8,              // jnz next
    0xFF, 0x55, 0x08,        // call: call dword [ebp+8]
    0x83, 0x7D, 0x14, 0x00,  // cmp dword [ebp+20], 0   cdecl?
    0x74, 0x06,              // jz done
    0x8B, 0x4D, 0x10,        // mov ecx, [ebp+16]
    0x8D, 0x24, 0x8C,        // lea esp, [esp+ecx*4]
    0x8D, 0x65, 0xF4,        // done: lea esp, [ebp-12]
    0x5B, 0x5F, 0x5E, 0x5D,  // pop ebx / edi / esi / ebp
    0xC2, 0x10, 0x00,        // ret 16
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
};

const void* argumentStub() {
  static const void* stub = [] {
    std::lock_guard lock(gEngineMutex);
    uint8_t* slot = arena().allocate();
    if (slot) copyCode(slot, kArgCallStub, sizeof kArgCallStub);
    return static_cast<const void*>(slot);
  }();
  return stub;
}

}  // namespace

HookStatus toHookStatus(hooks::PrologueStatus status) {
  switch (status) {
    case hooks::PrologueStatus::ok: return HookStatus::ok;
    case hooks::PrologueStatus::badCount: return HookStatus::badCount;
    case hooks::PrologueStatus::undecodable: return HookStatus::undecodable;
    case hooks::PrologueStatus::endsTooSoon: return HookStatus::endsTooSoon;
    case hooks::PrologueStatus::unmovableBranch: return HookStatus::unmovableBranch;
    case hooks::PrologueStatus::branchIntoPatch: return HookStatus::branchIntoPatch;
  }
  return HookStatus::undecodable;
}

const char* toString(HookStatus status) {
  switch (status) {
    case HookStatus::ok: return "ok";
    case HookStatus::invalidArgument: return "no module, function or replacement given";
    case HookStatus::moduleNotFound: return "module not found";
    case HookStatus::exportNotFound: return "export not found";
    case HookStatus::noSlot: return "no executable memory for the trampoline";
    case HookStatus::protectFailed: return "page protection could not be changed";
    case HookStatus::notInstalled: return "not installed";
    case HookStatus::badCount: return hooks::toString(hooks::PrologueStatus::badCount);
    case HookStatus::undecodable: return hooks::toString(hooks::PrologueStatus::undecodable);
    case HookStatus::endsTooSoon: return hooks::toString(hooks::PrologueStatus::endsTooSoon);
    case HookStatus::unmovableBranch: return hooks::toString(hooks::PrologueStatus::unmovableBranch);
    case HookStatus::branchIntoPatch: return hooks::toString(hooks::PrologueStatus::branchIntoPatch);
  }
  return "?";
}

uint32_t ApiHook::threadsMoved() { return gThreadsMoved.load(); }

ApiHook::~ApiHook() {
  removeHook();
  std::lock_guard lock(gEngineMutex);
  auto* slot = static_cast<uint8_t*>(trampoline_.load());
  if (!slot) return;
  ThreadFreezer frozen;
  // A thread still running the moved instructions keeps the slot alive.
  if (!frozen.anyInside(reinterpret_cast<uintptr_t>(slot), ExecutableArena::kSlotSize)) {
    trampoline_ = nullptr;
    arena().release(slot);
  }
}

bool ApiHook::installHook(const char* moduleName, const char* functionName, const void* replacement, int byteCount,
                          std::span<const uint8_t> filler) {
  HookTransaction transaction;
  return transaction.install(*this, moduleName, functionName, replacement, byteCount, filler);
}

bool ApiHook::removeHook() {
  HookTransaction transaction;
  return transaction.remove(*this);
}

bool ApiHook::report(HookStatus status) {
  lastStatus_.store(status, std::memory_order_relaxed);
  return status == HookStatus::ok;
}

bool ApiHook::prepareInstall(const char* moduleName, const char* functionName, const void* replacement, int byteCount,
                             std::span<const uint8_t> filler, uint8_t* patch) {
  if (!moduleName || !functionName || !replacement) return report(HookStatus::invalidArgument);
  HMODULE module = GetModuleHandleA(moduleName);
  if (!module) module = LoadLibraryA(moduleName);
  if (!module) return report(HookStatus::moduleNotFound);
  auto* entry = reinterpret_cast<uint8_t*>(reinterpret_cast<void*>(GetProcAddress(module, functionName)));
  if (!entry) return report(HookStatus::exportNotFound);
  const auto target = reinterpret_cast<uintptr_t>(entry);

  // The entry's bytes as far as they can be read, copied by ReadProcessMemory: a page that goes
  // away after the query fails the copy instead of faulting.
  size_t available = readableBytes(entry, kMaxEntryBytes);
  uint8_t code[kMaxEntryBytes];
  SIZE_T copied = 0;
  if (available > 0 && !ReadProcessMemory(GetCurrentProcess(), entry, code, available, &copied)) available = copied;

  // The hook keeps its slot across install and remove: a thread may still be finishing a call
  // through it. A slot whose moved instructions would change is retired, never rewritten.
  const size_t requested = byteCount < 0 ? 0 : static_cast<size_t>(byteCount);
  auto buildAt = [&](const uint8_t* slot) {
    return hooks::buildTrampoline(code, available, static_cast<uint32_t>(target),
                                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(slot)), requested);
  };
  auto* slot = static_cast<uint8_t*>(trampoline_.load());
  hooks::Trampoline image;
  bool reuse = false;
  if (slot) {
    image = buildAt(slot);
    reuse = image.status == hooks::PrologueStatus::ok && image.size == image_.size &&
            std::memcmp(image.code.data(), image_.code.data(), image.size) == 0;
  }
  if (!reuse) {
    if (!(slot = arena().allocate())) return report(HookStatus::noSlot);
    image = buildAt(slot);
  }
  DWORD oldProtection = 0;
  const HookStatus status = image.status != hooks::PrologueStatus::ok               ? toHookStatus(image.status)
                            : !makeWritable(entry, image.movedCount, oldProtection) ? HookStatus::protectFailed
                                                                                    : HookStatus::ok;
  if (status != HookStatus::ok) {
    if (!reuse) arena().release(slot);
    return report(status);
  }

  // Everything is ready before the jump goes live.
  if (!reuse) copyCode(slot, image.code.data(), image.size);
  image_ = image;
  savedProtection_ = oldProtection;
  savedCount_ = image.movedCount;
  std::memcpy(savedBytes_.data(), code, savedCount_);
  const auto jump =
      hooks::encodeJump(static_cast<uint32_t>(target), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(replacement)));
  std::memcpy(jumpPatch_.data(), jump.data(), jump.size());
  preparedTarget_ = target;
  trampoline_.store(slot, std::memory_order_release);

  // The bytes written over the entry: the jump, then the filler where it fits in the moved
  // bytes; the rest keeps its old values and is never executed.
  std::memcpy(patch, code, image.movedCount);
  std::memcpy(patch, jump.data(), jump.size());
  const size_t fillerRoom = image.movedCount - hooks::kJumpLength;
  std::memcpy(patch + hooks::kJumpLength, filler.data(), filler.size() < fillerRoom ? filler.size() : fillerRoom);
  return report(HookStatus::ok);
}

uintptr_t ApiHook::relocatedInstructionPointer(uintptr_t ip) const {
  const uintptr_t target = preparedTarget_;
  if (ip - target >= image_.movedCount) return ip;
  const auto offset = image_.trampolineOffsetOf(ip - target);
  return offset ? reinterpret_cast<uintptr_t>(trampoline_.load()) + *offset : ip;
}

bool ApiHook::writeTargetBytes(std::span<const uint8_t> bytes, bool relocateIntoTrampoline) {
  auto* entry = reinterpret_cast<void*>(target_.load());
  DWORD protection = 0;
  if (!makeWritable(entry, bytes.size(), protection)) return false;
  {
    ThreadFreezer frozen;
    if (relocateIntoTrampoline)
      frozen.moveInstructionPointers([&](DWORD ip) { return static_cast<DWORD>(relocatedInstructionPointer(ip)); });
    copyCode(entry, bytes.data(), bytes.size());
  }
  restoreProtection(entry, bytes.size(), protection);
  return true;
}

bool ApiHook::suspendHook() {
  std::lock_guard lock(gEngineMutex);
  if (target_.load() == 0) return report(HookStatus::notInstalled);
  return report(writeTargetBytes(savedBytes(), false) ? HookStatus::ok : HookStatus::protectFailed);
}

bool ApiHook::resumeHook() {
  std::lock_guard lock(gEngineMutex);
  if (target_.load() == 0) return report(HookStatus::notInstalled);
  return report(writeTargetBytes(jumpPatch_, true) ? HookStatus::ok : HookStatus::protectFailed);
}

int32_t ApiHook::callThroughWithArgs(std::span<const int32_t> args) const {
  const void* stub = argumentStub();
  void* trampoline = trampolineOf();
  if (!stub || !trampoline) return 0;
  return static_cast<int32_t>(CallWindowProcA(
      reinterpret_cast<WNDPROC>(const_cast<void*>(stub)), reinterpret_cast<HWND>(trampoline),
      static_cast<UINT>(reinterpret_cast<uintptr_t>(args.data())), static_cast<WPARAM>(args.size()), 0));
}

HookTransaction::HookTransaction() : lock_(gEngineMutex) {}

HookTransaction::~HookTransaction() { commit(); }

bool HookTransaction::install(ApiHook& hook, const char* moduleName, const char* functionName, const void* replacement,
                              int byteCount, std::span<const uint8_t> filler) {
  if (hook.target_.load() != 0 || hook.pending_) return hook.report(HookStatus::ok);
  Change change{&hook, true, 0, {}, 0, 0};
  if (!hook.prepareInstall(moduleName, functionName, replacement, byteCount, filler, change.bytes)) return false;
  change.target = hook.preparedTarget_;
  change.size = hook.image_.movedCount;
  change.protection = hook.savedProtection_;
  hook.pending_ = true;
  changes_.push_back(change);
  return true;
}

bool HookTransaction::remove(ApiHook& hook) {
  // A hook whose install or removal is already part of this transaction is not installed yet,
  // or no longer.
  if (hook.target_.load() == 0 || hook.pending_) return hook.report(HookStatus::notInstalled);
  Change change{&hook, false, hook.target_.load(), {}, hook.savedCount_, 0};
  if (!makeWritable(reinterpret_cast<void*>(change.target), change.size, change.protection))
    return hook.report(HookStatus::protectFailed);
  std::memcpy(change.bytes, hook.savedBytes_.data(), hook.savedCount_);
  hook.pending_ = true;
  changes_.push_back(change);
  return hook.report(HookStatus::ok);
}

void HookTransaction::commit() {
  if (changes_.empty()) return;
  {
    ThreadFreezer frozen;
    frozen.moveInstructionPointers([&](DWORD ip) {
      // A thread stopped inside an entry about to be patched continues in its trampoline; one
      // inside a trampoline may stay there, its jump back lands on the restored code.
      for (const Change& change : changes_)
        if (change.install) ip = static_cast<DWORD>(change.hook->relocatedInstructionPointer(ip));
      return ip;
    });
    for (const Change& change : changes_) copyCode(reinterpret_cast<void*>(change.target), change.bytes, change.size);
  }
  // Code pages get their protection back; in reverse, so a page two changes share ends as it
  // was before the first.
  for (auto change = changes_.rbegin(); change != changes_.rend(); ++change)
    restoreProtection(reinterpret_cast<void*>(change->target), change->size, change->protection);
  for (const Change& change : changes_) {
    ApiHook& hook = *change.hook;
    hook.pending_ = false;
    if (change.install) {
      hook.target_.store(change.target, std::memory_order_release);
    } else {
      hook.savedCount_ = 0;
      hook.target_.store(0, std::memory_order_release);
    }
  }
  changes_.clear();
}

bool writeCode(void* address, std::span<const uint8_t> bytes) {
  if (bytes.empty() || readableBytes(address, 1) == 0) return false;
  return writeCodeChecked(address, bytes.data(), bytes.size());
}

bool writeCodeInt32(void* address, int32_t value) {
  if (readableBytes(address, 4) < 4) return false;
  uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);
  return writeCodeChecked(address, bytes, 4);
}

}  // namespace tovalux
