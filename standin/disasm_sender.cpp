// edisasm.exe: a stand-in for a debugged program sending a disassembly block to an IDE's main
// window (message 89963), well-formed or hostile, so the IDE's receiver can be tried across
// processes.
//
//   edisasm.exe HWND BLOCK-BYTES LPARAM [pid=self|N|self+N] [address=block|zero|freed] [fill=TEXT]
//
// The block (BLOCK-BYTES long, at least 4) is the process id followed by the fill text repeated,
// written into the IDE's process with VirtualAllocEx / WriteProcessMemory; LPARAM is the length
// the message claims, which need not be the block's. address=freed frees the block before the
// message, address=zero sends address 0. Exit code 0 when the message was sent, 2 on bad
// arguments, 3 when the IDE process could not be opened or written.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kDisasmTextMessage = 89963;

std::string option(int argc, char** argv, const char* name, const char* fallback) {
  const size_t length = std::strlen(name);
  for (int i = 4; i < argc; ++i)
    if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=') return argv[i] + length + 1;
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  HWND ide = reinterpret_cast<HWND>(static_cast<intptr_t>(std::strtoll(argv[1], nullptr, 0)));
  const size_t blockBytes = std::strtoull(argv[2], nullptr, 0);
  const LPARAM claimed = static_cast<LPARAM>(std::strtoll(argv[3], nullptr, 0));
  if (!IsWindow(ide) || blockBytes < 4) return 2;

  uint32_t pid = GetCurrentProcessId();
  const std::string pidOption = option(argc, argv, "pid", "self");
  if (pidOption.rfind("self+", 0) == 0)
    pid += static_cast<uint32_t>(std::strtoul(pidOption.c_str() + 5, nullptr, 0));
  else if (pidOption != "self")
    pid = static_cast<uint32_t>(std::strtoul(pidOption.c_str(), nullptr, 0));
  const std::string address = option(argc, argv, "address", "block");
  const std::string fill = option(argc, argv, "fill", "401000 | 55 | push ebp\r\n");

  std::vector<char> block(blockBytes);
  std::memcpy(block.data(), &pid, 4);
  for (size_t i = 4; i < blockBytes; ++i) block[i] = fill.empty() ? 'x' : fill[(i - 4) % fill.size()];

  DWORD idePid = 0;
  GetWindowThreadProcessId(ide, &idePid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, idePid);
  if (!process) return 3;
  void* remote = VirtualAllocEx(process, nullptr, blockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, block.data(), blockBytes, nullptr)) {
    CloseHandle(process);
    return 3;
  }
  WPARAM sentAddress = reinterpret_cast<WPARAM>(remote);
  if (address == "freed") VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (address == "zero") sentAddress = 0;
  SendMessageA(ide, kDisasmTextMessage, sentAddress, claimed);
  if (address != "freed") VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return 0;
}
