#include "panes/module_manager_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>

namespace tovalux::modules {
namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr DWORD kWriteBlock = 4096;
std::atomic<SaveFault> gFault{nullptr};
std::atomic<FileProbeObserver> gProbeObserver{nullptr};

void observeProbe(const std::string& path, FileProbe probe) {
  if (const FileProbeObserver observer = gProbeObserver.load()) observer(path, probe);
}

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
  observeProbe(path, FileProbe::kExists);
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

void setFileProbeObserverForTests(FileProbeObserver observer) { gProbeObserver = observer; }

std::optional<FileStamp> fileStamp(const std::string& path) {
  if (path.empty()) return std::nullopt;
  observeProbe(path, FileProbe::kStamp);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  FileStamp stamp;
  stamp.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  stamp.writeTime = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

std::string cachedFileDigest(const std::string& path, DigestCache& cache) {
  const std::optional<FileStamp> stamp = fileStamp(path);
  if (!stamp) return {};
  std::string digest = cache.find(path, *stamp);
  if (!digest.empty()) return digest;
  digest = fileDigest(path);
  // Stored with the stamp taken before the read: a file written meanwhile is read again next time.
  cache.store(path, *stamp, digest);
  return digest;
}

namespace {

// The path opened as itself (a link is opened, not followed; a folder can be opened too), for
// reading its attributes and deleting it.
HANDLE openForDelete(const std::string& path) {
  return CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool isPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) ==
         0;
}

}  // namespace

bool deletableModuleFile(const std::string& path) {
  if (!isModulePath(path)) return false;
  FileHandle file;
  file.handle = openForDelete(path);
  return file.handle != INVALID_HANDLE_VALUE && isPlainFile(file.handle);
}

bool deleteModuleFile(const std::string& path) {
  if (!isModulePath(path)) return false;
  FileHandle file;
  file.handle = openForDelete(path);
  if (file.handle == INVALID_HANDLE_VALUE || !isPlainFile(file.handle)) return false;
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(file.handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

std::string fileDigest(const std::string& path) {
  observeProbe(path, FileProbe::kHash);
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
