// The module manager's files: the list file read whole and saved atomically, and the digest of
// a module file read in blocks.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/files.h"
#include "panes/module_manager_rules.h"

namespace tovalux::modules {

// The list file is read whole and saved atomically by base's file functions (base/files.h); their
// names stay reachable here.
using ::tovalux::readFileBytes;
using ::tovalux::removeStaleTemporaries;
using ::tovalux::SaveFault;
using ::tovalux::saveFileAtomically;
using ::tovalux::SaveStage;
using ::tovalux::setSaveFaultForTests;
using ::tovalux::temporaryPathFor;

// The MD5 of the file's content as hex, read in 64 KiB blocks; empty when it cannot be read.
std::string fileDigest(const std::string& path);

bool regularFileExists(const std::string& path);

// The file's size and last write time; nullopt for a path that is no regular file (missing, a
// folder, unreachable).
std::optional<FileStamp> fileStamp(const std::string& path);
// The digest through the cache: read again only when the file's stamp changed. Empty when the
// path is no regular file or cannot be read.
std::string cachedFileDigest(const std::string& path, DigestCache& cache);

// Whether the path may be deleted as a module file: its name ends with ".ec" (any case) and it is
// a regular file, not a folder and not a link or other reparse point.
bool deletableModuleFile(const std::string& path);
// Deletes it when it is. The check and the delete act on one open handle of the path itself
// (never of a link's target), so a file swapped for a link in between is not followed.
bool deleteModuleFile(const std::string& path);

// Tests: called with each path before its file is hashed, stamped or probed (the thread it runs
// on tells whether the UI thread waits for files).
enum class FileProbe { kExists, kStamp, kHash };
using FileProbeObserver = void (*)(const std::string& path, FileProbe probe);
void setFileProbeObserverForTests(FileProbeObserver observer);

}  // namespace tovalux::modules
