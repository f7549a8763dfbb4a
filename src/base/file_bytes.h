// A file read whole: its bytes, or why there are none. Portable, so the rules that read a file's
// content are tested without one; base/files.h reads it on Windows.
#pragma once

#include <string>

namespace tovalux {

struct FileBytes {
  bool exists = false;      // false only when there is no such file
  bool readFailed = false;  // it is there but could not be opened or read whole
  std::string bytes;
};

}  // namespace tovalux
