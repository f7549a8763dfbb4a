// ehostile.exe: another program that sends the IDE's main window every message the plug-in
// takes from outside, in malformed, oversized, out-of-order and flooding forms.
//
//   ehostile.exe HWND VARIANT
//
// VARIANT: disasm (89963), refit (89757), modules (9909), startpage (99999), caption (0x362),
// copydata (WM_COPYDATA), mixed (all of them interleaved). Sends use SendMessageTimeoutA (2 s,
// SMTO_ABORTIFHUNG) so that a hung IDE shows as time-outs rather than hanging this program too;
// the exit code is the number of sends that timed out (0: the IDE answered every one), 2 on bad
// arguments, 3 when the IDE's process could not be written.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kStartPage = 99999;
constexpr UINT kModules = 9909;
constexpr UINT kDisasm = 89963;
constexpr UINT kRefit = 89757;
// VARIANT's marker: 89757 with this wParam and the number given after VARIANT as lParam.
constexpr WPARAM kDrainedMarker = 0x7E57;
constexpr UINT kCaption = 0x362;

HWND gIde = nullptr;
int gTimedOut = 0;

void send(UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(gIde, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, 2000, &answer)) ++gTimedOut;
}

// Windows keeps at most 10,000 posted messages in a queue (USERPostMessageLimit); Wine keeps
// any number, so a larger flood only makes the IDE drain what Windows would have refused.
constexpr int kQueueLimit = 10000;

void flood(UINT message, WPARAM wParam, LPARAM lParam, int count) {
  if (count > kQueueLimit) count = kQueueLimit;
  for (int i = 0; i < count; ++i) PostMessageA(gIde, message, wParam, lParam);
}

// A block written into the IDE's process, as a debugged program writes it: a process id (not the
// run's: nothing is being debugged) and `bytes` - 4 bytes of text.
void disasm() {
  DWORD idePid = 0;
  GetWindowThreadProcessId(gIde, &idePid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, idePid);
  if (!process) std::exit(3);
  const size_t cap = 4u << 20;
  std::vector<char> block(cap + 16, 'x');
  const uint32_t pid = idePid;  // claims to be the IDE itself
  std::memcpy(block.data(), &pid, 4);
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) std::exit(3);
  const auto at = reinterpret_cast<WPARAM>(remote);
  // Malformed: no address, kernel and unmapped addresses, lengths below the id, negative, huge.
  for (WPARAM address : {WPARAM(0), WPARAM(1), WPARAM(0xFFFFFFF0u), WPARAM(0x80000000u), at})
    for (LPARAM length : {LPARAM(0), LPARAM(3), LPARAM(-1), LPARAM(0x7FFFFFFF), LPARAM(cap), LPARAM(cap + 1)})
      send(kDisasm, address, length);
  // A block freed before the message reaches the IDE.
  void* freed = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  VirtualFreeEx(process, freed, 0, MEM_RELEASE);
  send(kDisasm, reinterpret_cast<WPARAM>(freed), 4096);
  // Flooding: posted blocks pile up behind the IDE's other work.
  flood(kDisasm, at, LPARAM(cap), 3000);
  for (int i = 0; i < 200; ++i) send(kDisasm, at, LPARAM(cap));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

void refit() {
  for (WPARAM w : {WPARAM(0), WPARAM(1), WPARAM(0xFFFFFFFFu)}) send(kRefit, w, LPARAM(-1));
  flood(kRefit, 0, 0, kQueueLimit);
  for (int i = 0; i < 500; ++i) send(kRefit, i, i);
}

void modules() {
  // Out of order and malformed: the wrong parameters, then a storm of reloads.
  for (WPARAM w : {WPARAM(0), WPARAM(1), WPARAM(2), WPARAM(0xFFFFFFFFu)})
    for (LPARAM l : {LPARAM(0), LPARAM(1), LPARAM(-1)}) send(kModules, w, l);
  flood(kModules, 1, 1, 5000);
  for (int i = 0; i < 300; ++i) send(kModules, 1, 1);
}

void startPage(HWND own) {
  const HWND kWindows[] = {
      nullptr,         reinterpret_cast<HWND>(1), reinterpret_cast<HWND>(0xFFFFFFF0u), GetDesktopWindow(), own, gIde,
      GetParent(gIde), GetWindow(gIde, GW_CHILD)};
  for (HWND window : kWindows) send(kStartPage, reinterpret_cast<WPARAM>(window), 0);
  flood(kStartPage, reinterpret_cast<WPARAM>(own), 0, 5000);
  for (int i = 0; i < 300; ++i) send(kStartPage, reinterpret_cast<WPARAM>(own), i);
}

void caption() {
  for (WPARAM w : {WPARAM(0), WPARAM(0xE001), WPARAM(0xFFFFFFFFu)}) send(kCaption, w, LPARAM(0x12345678));
  flood(kCaption, 0xE001, 0, kQueueLimit);
  for (int i = 0; i < 500; ++i) send(kCaption, 0xE001, 0);
}

void copyData(HWND own) {
  std::vector<char> big(1u << 20, 'y');
  COPYDATASTRUCT data{};
  for (ULONG_PTR kind : {ULONG_PTR(0), ULONG_PTR(1), ULONG_PTR(0xFFFFFFFFu)}) {
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(big.size());
    data.lpData = big.data();
    send(WM_COPYDATA, reinterpret_cast<WPARAM>(own), reinterpret_cast<LPARAM>(&data));
    data.cbData = 0;
    data.lpData = nullptr;
    send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }
  for (int i = 0; i < 100; ++i) {
    data.dwData = i;
    data.cbData = 4096;
    data.lpData = big.data();
    send(WM_COPYDATA, reinterpret_cast<WPARAM>(own), reinterpret_cast<LPARAM>(&data));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  gIde = reinterpret_cast<HWND>(static_cast<intptr_t>(std::strtoll(argv[1], nullptr, 0)));
  if (!IsWindow(gIde)) return 2;
  const std::string variant = argv[2];
  HWND own = CreateWindowExA(0, "STATIC", "hostile", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (variant == "disasm")
    disasm();
  else if (variant == "refit")
    refit();
  else if (variant == "modules")
    modules();
  else if (variant == "startpage")
    startPage(own);
  else if (variant == "caption")
    caption();
  else if (variant == "copydata")
    copyData(own);
  else if (variant == "mixed") {
    for (int round = 0; round < 3; ++round) {
      caption();
      modules();
      startPage(own);
      refit();
    }
  } else {
    return 2;
  }
  // Posted last: once the IDE's journal shows it, the floods before it are drained.
  if (argc > 3) PostMessageA(gIde, kRefit, kDrainedMarker, static_cast<LPARAM>(std::strtol(argv[3], nullptr, 10)));
  DestroyWindow(own);
  return gTimedOut;
}
