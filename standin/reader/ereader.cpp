// ereader.exe: reads another program's toolkit windows as a screen reader does, from outside its
// process (AccessibleObjectFromWindow; every call crosses to the program and back), and writes
// what it read as journal lines, one per object ("ui": window, depth, role, name, value,
// description, action, states, x, y, width, height), then "ui-dump" (windows, objects, ms).
//
//   ereader.exe --window HWND --out FILE [--hidden]
//
// HWND (decimal or 0x-hex) is any window of the program: its top-level window is read first, then
// the program's other toolkit windows (shown ones; --hidden for all). Exit code 0 when it read,
// 2 when it could not, 1 for bad arguments.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "journal.h"
#include "ui_reader.h"

namespace {

std::string hexHandle(HWND window) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

standin::JournalEntry entryOf(const standin::ui::Node& n) {
  standin::EntryBuilder e("ui");
  e.add("window", hexHandle(n.window)).add("depth", n.depth).add("role", n.role).add("name", n.name);
  if (!n.value.empty()) e.add("value", n.value);
  if (!n.description.empty()) e.add("description", n.description);
  if (!n.action.empty()) e.add("action", n.action);
  e.add("states", n.states)
      .add("x", n.bounds.left)
      .add("y", n.bounds.top)
      .add("width", n.bounds.right - n.bounds.left)
      .add("height", n.bounds.bottom - n.bounds.top);
  return e.build();
}

}  // namespace

int main(int argc, char** argv) {
  HWND window = nullptr;
  std::string out;
  bool hidden = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--window" && i + 1 < argc)
      window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[++i], nullptr, 0)));
    else if (arg == "--out" && i + 1 < argc)
      out = argv[++i];
    else if (arg == "--hidden")
      hidden = true;
    else
      return std::fprintf(stderr, "ereader --window HWND --out FILE [--hidden]\n"), 1;
  }
  if (window == nullptr || out.empty() || !IsWindow(window))
    return std::fprintf(stderr, "ereader: no such window, or no --out\n"), 1;
  if (FAILED(CoInitialize(nullptr))) return 2;
  int code = 0;
  {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const auto start = std::chrono::steady_clock::now();
    std::ofstream file(out, std::ios::binary);
    size_t objects = 0;
    const std::vector<HWND> windows = standin::ui::toolkitWindows(process, GetAncestor(window, GA_ROOT), hidden);
    std::string error;
    for (HWND w : windows) {
      const bool read = standin::ui::walk(
          w,
          [&](const standin::ui::Node& n, IAccessible*) {
            file << entryOf(n).toJsonLine() << "\n";
            ++objects;
            return true;
          },
          &error);
      if (!read) {
        std::fprintf(stderr, "ereader: %s\n", error.c_str());
        code = 2;
        break;
      }
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    file << standin::EntryBuilder("ui-dump")
                .add("windows", static_cast<int64_t>(windows.size()))
                .add("objects", static_cast<int64_t>(objects))
                .add("ms", static_cast<int64_t>(ms))
                .build()
                .toJsonLine()
         << "\n";
    if (windows.empty()) code = 2;
  }
  CoUninitialize();
  return code;
}
