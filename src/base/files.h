// The plug-in's own files beside the host (the module list, the window layout): read whole, and
// saved so that a crash or a full disk on the way never leaves a half-written file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/file_bytes.h"

namespace tovalux {

// The file's bytes (64 MiB at most); `exists` false only when there is no such file (any other
// failure to open or read is `readFailed`).
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

// After a successful save: the temporary files "<path>.<pid>.tmp" left by saves that were killed
// mid-way, of processes that are no longer running, are removed.
void removeStaleTemporaries(const std::string& path);

}  // namespace tovalux
