// The files the plug-in carries as resources, and how one is written beside a program: to a
// temporary name first and then moved into place, so a second process that races us (two IDEs,
// or an IDE and a debugged program) never loads half a file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/embedded_ids.h"

namespace tovalux {

// The module this code is linked into (the plug-in DLL, or a test program).
HMODULE thisModule() noexcept;

// The bytes of RCDATA resource `id` of this module; empty when it has none.
std::string_view embeddedData(int id) noexcept;

// Writes `data` to `path` through a temporary file in the same folder and a rename that never
// replaces an existing file. True when `path` holds a complete file afterwards (ours, or one a
// racing writer put there first).
bool writeFileAtomically(const std::string& path, std::string_view data) noexcept;

// `path` exists, or the resource `id` was written there.
bool ensureEmbeddedFile(int id, const std::string& path) noexcept;

}  // namespace tovalux
