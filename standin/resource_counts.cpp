#include "resource_counts.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace standin {
namespace {

// One entry of Wine's GDI handle table (ntgdi.h: GDI_HANDLE_ENTRY, 24 bytes, 0x10000 entries).
struct GdiHandleEntry {
  unsigned long long object;
  unsigned short ownerProcess;
  unsigned short ownerCount;
  unsigned short unique;
  unsigned char type;
  unsigned char flags;
  unsigned long long userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0x94;  // PEB.GdiSharedHandleTable, 32-bit

const unsigned char* processEnvironmentBlock() {
  using QueryFunction = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return nullptr;
  return reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
}

long gdiObjectsFromTable() {
  const unsigned char* peb = processEnvironmentBlock();
  if (!peb) return -1;
  const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiTableOffset);
  if (!table) return -1;
  long count = 0;
  for (size_t i = 0; i < kGdiTableEntries; ++i)
    if (table[i].type) ++count;
  return count;
}

// SYSTEM_HANDLE_INFORMATION as NtQuerySystemInformation(16) fills it.
struct SystemHandleEntry {
  ULONG processId;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};

std::vector<SystemHandleEntry> handlesOfThisProcess() {
  using QueryFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return {};
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<unsigned char> buffer(1 << 16);
  LONG status = 0;
  ULONG needed = 0;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
             kInfoLengthMismatch &&
         buffer.size() < (64u << 20))
    buffer.resize(buffer.size() * 2);
  if (status != 0) return {};
  const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entry = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG));
  std::vector<SystemHandleEntry> own;
  for (ULONG i = 0; i < entries; ++i)
    if (entry[i].processId == GetCurrentProcessId()) own.push_back(entry[i]);
  return own;
}

long handlesFromSystemList() {
  const std::vector<SystemHandleEntry> own = handlesOfThisProcess();
  return own.empty() ? -1 : static_cast<long>(own.size());
}

BOOL CALLBACK countChild(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) {
    ++*reinterpret_cast<long*>(counter);
    EnumChildWindows(window, &countChild, counter);
  }
  return TRUE;
}

long windowsOfProcess() {
  long count = 0;
  EnumWindows(&countTopLevel, reinterpret_cast<LPARAM>(&count));
  // Message-only windows are not top-level windows of the desktop.
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++count;
  }
  return count;
}

}  // namespace

long gdiObjectCount() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  return reported ? static_cast<long>(reported) : gdiObjectsFromTable();
}

long userObjectCount() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return reported ? static_cast<long>(reported) : windowsOfProcess();
}

long handleCount() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported) return static_cast<long>(reported);
  return handlesFromSystemList();
}

long threadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long count = 0;
  if (Thread32First(snapshot, &entry)) {
    do {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    } while (Thread32Next(snapshot, &entry));
  }
  CloseHandle(snapshot);
  return count;
}

namespace {
template <class Visit>
void forEachCommittedPrivateRegion(Visit visit) {
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) visit(region);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
}
}  // namespace

long long privateByteCount() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
      memory.PrivateUsage != 0)
    return static_cast<long long>(memory.PrivateUsage);
  // Wine leaves PrivateUsage at 0: add up the committed private regions of the address space.
  long long total = 0;
  forEachCommittedPrivateRegion(
      [&](const MEMORY_BASIC_INFORMATION& region) { total += static_cast<long long>(region.RegionSize); });
  return total;
}

long long heapBusyBytes() {
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = GetProcessHeaps(count, heaps.data());
  }
  long long busy = 0;
  for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  return busy;
}

std::string largestPrivateAllocations(size_t shown) {
  // Committed private bytes by the allocation they belong to (a heap's segment, a thread's
  // stack, a module's copy), largest first: between two readings, the one that grew says who.
  std::map<const void*, long long> byBase;
  forEachCommittedPrivateRegion([&](const MEMORY_BASIC_INFORMATION& region) {
    byBase[region.AllocationBase] += static_cast<long long>(region.RegionSize);
  });
  std::vector<std::pair<long long, const void*>> sizes;
  for (const auto& [base, size] : byBase) sizes.emplace_back(size, base);
  std::sort(sizes.begin(), sizes.end(), std::greater<>());
  std::string text;
  char item[48];
  for (size_t i = 0; i < sizes.size() && i < shown; ++i) {
    std::snprintf(item, sizeof item, "%s%p:%lld", text.empty() ? "" : " ", sizes[i].second, sizes[i].first >> 10);
    text += item;
  }
  return text;
}

std::string handleKinds() {
  std::map<int, long> byType;
  for (const SystemHandleEntry& entry : handlesOfThisProcess()) ++byType[entry.objectType];
  std::string text;
  for (const auto& [type, count] : byType)
    text += (text.empty() ? "" : " ") + std::to_string(type) + ":" + std::to_string(count);
  return text;
}

ResourceCounts countResources() {
  ResourceCounts counts;
  counts.privateBytes = privateByteCount();
  counts.gdiObjects = gdiObjectCount();
  counts.userObjects = userObjectCount();
  counts.threads = threadCount();
  counts.handles = handleCount();  // last: the snapshot above must not be counted
  return counts;
}

std::string describe(const ResourceCounts& counts) {
  return "gdi " + std::to_string(counts.gdiObjects) + ", user " + std::to_string(counts.userObjects) + ", handles " +
         std::to_string(counts.handles) + ", threads " + std::to_string(counts.threads) + ", private " +
         std::to_string(counts.privateBytes);
}

}  // namespace standin
