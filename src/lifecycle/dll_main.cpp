// Tovalux.fne: the plug-in library plus its entry point. The descriptor is static storage,
// zero-filled by the loader before any host call; GetNewInf fills it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
