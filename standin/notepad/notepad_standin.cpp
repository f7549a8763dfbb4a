// notepad.exe for the tests: a process whose image is notepad.exe, with a top-level "Notepad"
// window of the given title and an Edit as its first child, as the plug-in's line log looks for.
//
//   notepad.exe TITLE READY-EVENT [relay=HWND] [parent=PID] [hang=EVENT]
//
// READY-EVENT (a named event) is set once the windows exist. With relay, every EM_REPLACESEL the
// edit receives is first handed to that window as WM_COPYDATA (dwData 1, the text without its
// terminator), so the host that started us can journal the line. The program ends with its
// parent. With hang, the window thread stops serving messages right after READY-EVENT until the
// named event `hang` is set: a window that does not answer, as a hung program's does.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND gRelay = nullptr;
WNDPROC gEditProcedure = nullptr;

std::string option(int argc, char** argv, const char* name) {
  const size_t length = std::strlen(name);
  for (int i = 3; i < argc; ++i)
    if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=') return argv[i] + length + 1;
  return {};
}

LRESULT CALLBACK editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EM_REPLACESEL && lParam && gRelay) {
    const char* text = reinterpret_cast<const char*>(lParam);
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = static_cast<DWORD>(std::strlen(text));
    data.lpData = const_cast<char*>(text);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(gRelay, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data),
                        SMTO_NORMAL, 10000, &result);
  }
  return CallWindowProcA(gEditProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI followParent(void* process) {
  WaitForSingleObject(static_cast<HANDLE>(process), INFINITE);
  ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string relay = option(argc, argv, "relay");
  if (!relay.empty()) gRelay = reinterpret_cast<HWND>(static_cast<intptr_t>(std::strtoll(relay.c_str(), nullptr, 10)));
  const std::string parent = option(argc, argv, "parent");
  if (!parent.empty()) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(parent.c_str(), nullptr, 10)));
    if (!process) return 3;  // the parent is already gone
    CloseHandle(CreateThread(nullptr, 0, &followParent, process, 0, nullptr));
  }

  WNDCLASSA wc{};
  wc.lpfnWndProc = &frameProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Notepad";
  RegisterClassA(&wc);
  HWND frame = CreateWindowExA(0, "Notepad", argv[1], WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 280, frame, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!frame || !edit) return 4;
  gEditProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editProcedure)));

  if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2])) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  const std::string hang = option(argc, argv, "hang");
  if (!hang.empty()) {
    if (HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, hang.c_str())) {
      WaitForSingleObject(release, INFINITE);
      CloseHandle(release);
    }
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
