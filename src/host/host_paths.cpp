#include "host/host_paths.h"

#include <windows.h>

#include "base/text.h"

namespace tovalux {

std::string hostDirectory() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return ".";
  return std::string(parentFolder(std::string_view(path, length)));
}

std::string hostPath(std::string_view relative) {
  std::string path = hostDirectory();
  path += '\\';
  path += relative;
  return path;
}

}  // namespace tovalux
