#include "panes/module_manager_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace tovalux::modules {
namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr DWORD kWriteBlock = 4096;
std::atomic<SaveFault> gFault{nullptr};

bool faultStops(SaveStage stage, size_t written) {
  const SaveFault fault = gFault.load();
  return fault != nullptr && !fault(stage, written);
}

struct FileHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

bool regularFileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileBytes readFileBytes(const std::string& path) {
  FileBytes file;
  FileHandle in;
  in.handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in.handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    file.exists = !(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
    file.readFailed = file.exists;
    return file;
  }
  file.exists = true;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(in.handle, &size) || size.QuadPart > (64 << 20)) {
    file.readFailed = true;
    return file;
  }
  file.bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < file.bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(in.handle, file.bytes.data() + done, static_cast<DWORD>(file.bytes.size() - done), &read, nullptr)) {
      file.readFailed = true;
      return file;
    }
    if (read == 0) break;
    done += read;
  }
  file.bytes.resize(done);
  return file;
}

std::string temporaryPathFor(const std::string& path) {
  return path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

bool saveFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = temporaryPathFor(path);
  {
    FileHandle out;
    out.handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);  // made durable by the flush below
    if (out.handle == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool written = true;
    while (done < bytes.size()) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(kWriteBlock, bytes.size() - done));
      DWORD wrote = 0;
      if (!WriteFile(out.handle, bytes.data() + done, piece, &wrote, nullptr) || wrote != piece) {
        written = false;
        break;
      }
      done += wrote;
      if (faultStops(SaveStage::kWritten, done)) return false;
    }
    if (faultStops(SaveStage::kBeforeFlush, done)) return false;
    if (!written || !FlushFileBuffers(out.handle)) {
      CloseHandle(out.handle);
      out.handle = INVALID_HANDLE_VALUE;
      DeleteFileA(temporary.c_str());
      return false;
    }
  }
  if (faultStops(SaveStage::kBeforeMove, bytes.size())) return false;
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

void setSaveFaultForTests(SaveFault fault) { gFault = fault; }

std::string fileDigest(const std::string& path) {
  FileHandle in;
  in.handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in.handle == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(in.handle, &size)) return {};
  // Small files (most modules) in one read; large ones in blocks, never whole.
  const size_t blockSize = static_cast<size_t>(std::min<LONGLONG>(std::max<LONGLONG>(size.QuadPart, 1), kBlock));
  std::unique_ptr<char[]> block(new (std::nothrow) char[blockSize]);
  if (!block) return {};
  Md5 md5;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in.handle, block.get(), static_cast<DWORD>(blockSize), &read, nullptr)) return {};
    if (read == 0) break;
    md5.update(block.get(), read);
  }
  return md5.finishHex();
}

}  // namespace tovalux::modules
