// Resource counters a test reads before and after repeating an operation, to show nothing leaks:
// GDI objects, USER objects, kernel handles and threads of this process.
//
// Under Wine, GetGuiResources and GetProcessHandleCount answer 0. The counters then read what
// Wine keeps instead: GDI objects from the process's GDI handle table (the PEB's
// GdiSharedHandleTable, entries with a type), handles from NtQuerySystemInformation's handle
// list, and USER objects as the number of windows the process owns (menus, cursors and icons
// are not counted there).
#pragma once

#include <string>

namespace tovalux::testing {

struct ResourceCounts {
  long gdiObjects = 0;
  long userObjects = 0;
  long handles = 0;
  long threads = 0;
};

long gdiObjectCount();
long userObjectCount();
long handleCount();
long threadCount();
ResourceCounts countResources();

// "gdi 24, user 31, handles 40, threads 3"
std::string describe(const ResourceCounts& counts);

}  // namespace tovalux::testing
