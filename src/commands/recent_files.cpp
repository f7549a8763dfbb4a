#include "commands/recent_files.h"

#include <windows.h>

#include "commands/host_queries.h"
#include "commands/menu_table.h"

namespace tovalux::commands {
namespace {

// A value larger than this is not a path; it is passed over like a non-string value.
constexpr DWORD kMaxValueBytes = 1 << 20;

enum class ValueRead { kMissing, kNotAPath, kPath };

ValueRead readValue(HKEY key, int number, std::string& path) {
  const std::string name = "File" + std::to_string(number);
  // The size first; the value may change between the two calls, so a few tries.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return ValueRead::kMissing;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return ValueRead::kMissing;
    if (size > kMaxValueBytes) return ValueRead::kNotAPath;
    std::string bytes(static_cast<size_t>(size) + 1, '\0');
    DWORD read = size;
    status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &read);
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_FILE_NOT_FOUND) return ValueRead::kMissing;
    if (status != ERROR_SUCCESS) return ValueRead::kNotAPath;
    bytes.resize(read <= size ? read : size);
    std::optional<std::string> text = recentPathFromValue(type, bytes);
    if (!text) return ValueRead::kNotAPath;
    path = std::move(*text);
    return ValueRead::kPath;
  }
  return ValueRead::kNotAPath;
}

class RecentKey {
 public:
  RecentKey() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecentFileKey, 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RecentKey() {
    if (key_) RegCloseKey(key_);
  }
  RecentKey(const RecentKey&) = delete;
  RecentKey& operator=(const RecentKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::vector<RecentFile> readRecentFiles() {
  std::vector<RecentFile> files;
  RecentKey key;
  if (!key.get()) return files;
  for (int n = 1; n <= kMaxRecentFiles; ++n) {
    std::string path;
    const ValueRead result = readValue(key.get(), n, path);
    if (result == ValueRead::kMissing) break;
    if (result == ValueRead::kPath) files.push_back({n, std::move(path)});
  }
  return files;
}

std::optional<std::string> readRecentFile(int number) {
  RecentKey key;
  std::string path;
  if (key.get() && number >= 1 && number <= kMaxRecentFiles && readValue(key.get(), number, path) == ValueRead::kPath)
    return path;
  return std::nullopt;
}

bool projectFileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace tovalux::commands
