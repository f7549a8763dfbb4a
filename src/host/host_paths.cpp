#include "host/host_paths.h"

#include <windows.h>

#include "base/gbk.h"

namespace tovalux {

std::string hostDirectory() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return ".";
  std::string directory(path, length);
  // Walk characters, not bytes: '\\' (0x5C) can be the trail byte of a GBK character.
  size_t lastSeparator = std::string::npos;
  for (size_t i = 0; i < directory.size(); ++i) {
    const auto byte = static_cast<unsigned char>(directory[i]);
    if (isGbkLeadByte(byte) && i + 1 < directory.size()) {
      ++i;
    } else if (byte == '\\' || byte == '/') {
      lastSeparator = i;
    }
  }
  if (lastSeparator != std::string::npos) directory.resize(lastSeparator);
  return directory;
}

std::string hostPath(std::string_view relative) {
  std::string path = hostDirectory();
  path += '\\';
  path += relative;
  return path;
}

}  // namespace tovalux
