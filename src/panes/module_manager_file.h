// The module manager's files: the list file read whole and saved atomically, and the digest of
// a module file read in blocks.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "panes/module_manager_rules.h"

namespace tovalux::modules {

// The file's bytes; `exists` false only when there is no such file (any other failure to open
// or read is `readFailed`).
FileBytes readFileBytes(const std::string& path);

// Writes `bytes` to a temporary file in the same folder, flushes it and moves it over `path`
// (replacing it in one step): a crash or a full disk on the way leaves the old file whole. The
// temporary file is removed when the save fails. False when `path` was not replaced.
bool saveFileAtomically(const std::string& path, std::string_view bytes);

// Tests: the temporary file's name for `path` in this process.
std::string temporaryPathFor(const std::string& path);

// Tests: called while a save runs, after each block written (`written` bytes so far), before the
// flush and before the move. Answering false ends the save on the spot as a killed process would:
// nothing is cleaned up and `path` is not touched.
enum class SaveStage { kWritten, kBeforeFlush, kBeforeMove };
using SaveFault = bool (*)(SaveStage stage, size_t written);
void setSaveFaultForTests(SaveFault fault);

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

// After a successful save: the temporary files "<path>.<pid>.tmp" left by saves that were killed
// mid-way, of processes that are no longer running, are removed.
void removeStaleTemporaries(const std::string& path);

// Tests: called with each path before its file is hashed, stamped or probed (the thread it runs
// on tells whether the UI thread waits for files).
enum class FileProbe { kExists, kStamp, kHash };
using FileProbeObserver = void (*)(const std::string& path, FileProbe probe);
void setFileProbeObserverForTests(FileProbeObserver observer);

}  // namespace tovalux::modules
