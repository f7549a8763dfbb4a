#include "base/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace tovalux {
namespace {

constexpr DWORD kWriteBlock = 4096;
constexpr LONGLONG kMaxReadBytes = 64 << 20;
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
  if (!GetFileSizeEx(in.handle, &size) || size.QuadPart > kMaxReadBytes) {
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
  removeStaleTemporaries(path);
  return true;
}

void removeStaleTemporaries(const std::string& path) {
  const size_t slash = path.find_last_of('\\');  // the folder part: ASCII up to the separator
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = path.substr(folder.size());
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((path + ".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string file = found.cFileName;
    // Exactly "<name>.<digits>.tmp": the pattern also matches longer names.
    if (file.size() <= name.size() + 5 || file.compare(0, name.size() + 1, name + ".") != 0 ||
        file.compare(file.size() - 4, 4, ".tmp") != 0)
      continue;
    const std::string digits = file.substr(name.size() + 1, file.size() - name.size() - 5);
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const DWORD owner = static_cast<DWORD>(std::stoull(digits));
    if (owner == GetCurrentProcessId()) continue;
    // A save of another running IDE may be under way: its file is left to it.
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, owner)) {
      const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
      CloseHandle(process);
      if (running) continue;
    }
    DeleteFileA((folder + file).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void setSaveFaultForTests(SaveFault fault) { gFault = fault; }

}  // namespace tovalux
