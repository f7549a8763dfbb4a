// The host's recently opened projects, read from its registry list: HKEY_CURRENT_USER,
// "Software\FlySky\E\Recent File List", string values File1, File2, ... (at most 20, up to the
// first one missing). Every read sizes the value first and terminates it itself; a value that
// is not a string is passed over.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovalux::commands {

inline constexpr char kRecentFileKey[] = "Software\\FlySky\\E\\Recent File List";

struct RecentFile {
  int number = 0;  // N of FileN
  std::string path;
};

// The values in registry order (non-string values left out).
std::vector<RecentFile> readRecentFiles();
// FileN alone: nothing when it is missing or not a string.
std::optional<std::string> readRecentFile(int number);

// A project file exists at `path` (a folder does not count).
bool projectFileExists(const std::string& path);

}  // namespace tovalux::commands
