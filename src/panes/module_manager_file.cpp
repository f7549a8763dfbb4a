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
std::atomic<FileProbeObserver> gProbeObserver{nullptr};

void observeProbe(const std::string& path, FileProbe probe) {
  if (const FileProbeObserver observer = gProbeObserver.load()) observer(path, probe);
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
