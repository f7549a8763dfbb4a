#include "base/embedded_files.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace tovalux {

namespace {

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool writeAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 20));
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return FlushFileBuffers(file) != FALSE;
}

}  // namespace

HMODULE thisModule() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

std::string_view embeddedData(int id) noexcept {
  HMODULE module = thisModule();
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (info == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, info);
  if (bytes == nullptr || size == 0) return {};
  return {static_cast<const char*>(bytes), size};
}

bool writeFileAtomically(const std::string& path, std::string_view data) noexcept {
  try {
    if (fileExists(path)) return true;
    static std::atomic<unsigned> serial{0};
    const std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount()) + "-" + std::to_string(serial++);
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = writeAll(file, data);
    CloseHandle(file);
    // MoveFileEx without MOVEFILE_REPLACE_EXISTING: a complete file that got there first stays.
    const bool moved = written && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!moved) DeleteFileA(temporary.c_str());
    return fileExists(path);
  } catch (...) {
    return false;
  }
}

bool ensureEmbeddedFile(int id, const std::string& path) noexcept {
  if (fileExists(path)) return true;
  const std::string_view data = embeddedData(id);
  if (data.empty()) return false;
  return writeFileAtomically(path, data);
}

}  // namespace tovalux
