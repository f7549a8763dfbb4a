// main() of every Windows test program. A crash must fail the test: under Wine an unhandled
// exception would start the debugger, print a backtrace and still end the process with code 0.
// Set TOVALUX_WINEDBG=1 to get Wine's debugger backtrace instead.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LONG WINAPI failOnCrash(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  HMODULE module = nullptr;
  char name[MAX_PATH] = "?";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(record->ExceptionAddress), &module))
    GetModuleFileNameA(module, name, sizeof name);
  std::fprintf(stderr, "\nCRASH: exception 0x%08lX at %p (%s+0x%lx)\n", record->ExceptionCode, record->ExceptionAddress,
               name,
               static_cast<unsigned long>(reinterpret_cast<uintptr_t>(record->ExceptionAddress) -
                                          reinterpret_cast<uintptr_t>(module)));
  std::fflush(stderr);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
  const char* debugger = std::getenv("TOVALUX_WINEDBG");
  if (!debugger || *debugger != '1') SetUnhandledExceptionFilter(&failOnCrash);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
