// A writer that keeps saving the module list, for the test that kills it mid-write:
//   panes_modules_writer.exe LIST EVENT
// Save n holds the modules m0 .. mn of one folder; the event is set after every save.
#include <windows.h>

#include <string>

#include "panes/module_manager_file.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HANDLE saved = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (saved == nullptr) return 3;
  std::string list = "{\"常用\":[\"C:\\\\m0.ec\"";
  for (int n = 1;; ++n) {
    if (!tovalux::modules::saveFileAtomically(argv[1], list + "]}")) return 4;
    SetEvent(saved);
    list += ",\"C:\\\\m" + std::to_string(n) + ".ec\"";
  }
}
