// Resource counters of this process: GDI objects, USER objects, kernel handles, threads and private
// bytes. Tests read them before and after repeating an operation, to show nothing leaks; ehost
// journals them (action "resources", option --resources-every) for long runs.
//
// Under Wine, GetGuiResources and GetProcessHandleCount answer 0. The counters then read what
// Wine keeps instead: GDI objects from the process's GDI handle table (the PEB's
// GdiSharedHandleTable, entries with a type), handles from NtQuerySystemInformation's handle
// list, and USER objects as the number of windows the process owns (menus, cursors and icons
// are not counted there).
#pragma once

#include <string>

namespace standin {

struct ResourceCounts {
  long gdiObjects = 0;
  long userObjects = 0;
  long handles = 0;
  long threads = 0;
  long long privateBytes = 0;  // committed private memory; -1 when the system cannot tell
};

long gdiObjectCount();
long userObjectCount();
long handleCount();
long threadCount();
long long privateByteCount();
// Bytes in use in the process's heaps (their busy blocks).
long long heapBusyBytes();
// The `shown` largest committed private allocations, "base:KiB" each.
std::string largestPrivateAllocations(size_t shown);
ResourceCounts countResources();
// The process's handles counted by object type, "type:count ..." (the system's type numbers),
// to tell which kind a long run's growth is.
std::string handleKinds();

// "gdi 24, user 31, handles 40, threads 3, private 12345678"
std::string describe(const ResourceCounts& counts);

}  // namespace standin
