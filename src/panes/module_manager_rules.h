// The module manager's rules without Win32: the digest of a module file, how the list file
// EcManager.json is read and changed, and which module content is already listed.
//
// The list file is a JSON object, one member per category folder in display order; a member's
// value is the array of the folder's module paths, or "" for a folder that never held one.
// Folders are addressed by their position ("[i]"), never by their name in a path: folder names
// are the user's text and "v1.2", "a[1]" or a name ending in "\" are path syntax. A new member
// is added through escapePathName, the one helper that turns a name into a path.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_bytes.h"
#include "json/json_document.h"

namespace tovalux::modules {

// MD5 (RFC 1321), fed in pieces so that a file is read in blocks, never whole.
class Md5 {
 public:
  Md5();
  void update(const void* data, size_t size);
  // The digest of everything fed so far; the object is spent afterwards.
  std::array<uint8_t, 16> finish();
  // finish() as 32 lower-case hex digits.
  std::string finishHex();

 private:
  void block(const uint8_t* data);
  uint32_t state_[4];
  uint64_t length_ = 0;
  uint8_t buffer_[64];
  size_t buffered_ = 0;
};

std::string md5Hex(std::string_view bytes);

// --- paths into the list document ---------------------------------------------------------------

// A member name as a path: a backslash before ".", "[", "]" and "\" (never inside a two-byte
// GBK character, whose second byte may be 0x5C or 0x5B).
std::string escapePathName(std::string_view gbkName);
std::string folderPath(int position);                   // "[i]"
std::string modulePath(int position, int moduleIndex);  // "[i].[k]"

// --- the list file --------------------------------------------------------------------------------

enum class ListState {
  kMissing,     // no file: an empty list, the first change creates it
  kReady,       // read and parsed; changes may be written
  kUnreadable,  // the file exists but could not be read: never written over
  kBroken,      // read, but not a list this program wrote or can read: never written over
};

using FileBytes = ::tovalux::FileBytes;

struct ModuleList {
  ListState state = ListState::kMissing;
  // An empty object unless the file parsed (a kBroken file with two folders of one name parses:
  // it is shown, never written).
  JsonDocument document;
  bool wasUtf8 = false;  // read as UTF-8 (another editor re-saved it); written back as GBK
  std::string problem;   // why the file is refused (GBK, for the message box)

  bool writable() const { return state == ListState::kReady || state == ListState::kMissing; }
};

// Reads the file's bytes: UTF-8 when they start with a byte-order mark; otherwise GBK, unless they
// are well-formed UTF-8 (beyond ASCII) and not well-formed GBK. UTF-8 is converted to GBK
// (refused when a character has no GBK form). Anything that does not parse to an object is
// kBroken, and so is a file in which an object names a member twice (the parser keeps one value,
// so the next save would lose the other): the reader itself reports it.
ModuleList readModuleList(const FileBytes& file);

// Bytes this program could have written as GBK: every byte beyond ASCII is 0x80 (the euro sign of
// code page 936) or a lead byte with its trail byte (base/gbk.h's pairing rule).
bool isWellFormedGbk(std::string_view bytes);

// Strict UTF-8 to UTF-16; false for anything that is not well-formed UTF-8.
bool decodeUtf8(std::string_view bytes, std::u16string& out);

struct FolderEntry {
  std::string name;
  std::vector<std::string> modules;  // the stored paths in order (empty for "")
};
std::vector<FolderEntry> folders(const JsonDocument& list);

// The position of the folder shown at `position` with `name`: that position when the name still
// matches, else the first member of that name; -1 when there is none.
int findFolder(const JsonDocument& list, int position, std::string_view name);
bool hasFolder(const JsonDocument& list, std::string_view name);
// Appends a folder holding "" (false when the name exists or the change fails).
bool addFolder(JsonDocument& list, std::string_view name);
// A folder modules can be added to: an array, or "" (an empty folder as the file writes it). A
// folder holding anything else (an object, a path, a number) is shown but never changed.
bool folderTakesModules(const JsonDocument& list, int position);
// Appends a path to the folder's array ("" becomes a one-element array); false, with the list
// unchanged, for a folder that does not take modules.
bool appendModule(JsonDocument& list, int position, std::string_view path);
bool removeFolder(JsonDocument& list, int position);
// Removes the first element equal to `path`; false when there is none.
bool removeModule(JsonDocument& list, int position, std::string_view path);
// The text written to the file: compact, GBK.
std::string listText(const JsonDocument& list);

// --- texts -----------------------------------------------------------------------------------

// "模块丢失:" + path + ",已移除"
std::string missingModuleMessage(std::string_view path);
// "重复添加:" + path + ",已存在于分类文件 < " + folder + " >"
std::string duplicateModuleMessage(std::string_view path, std::string_view folder);
// The message shown when a change is refused because the list file cannot be kept safe.
std::string refusedChangeMessage(const ModuleList& list);
std::string refusedChangeMessage(std::string_view problem);
// The problem of a folder whose value is not a list of modules.
std::string notAListProblem(std::string_view folder);
// The second question before module files are deleted: how many, and the paths that are not
// module files (they stay).
std::string deleteFilesQuestion(size_t deletable, const std::vector<std::string>& kept);

// The file name of a path: what follows the last "\" (GBK-aware).
std::string fileNameOf(std::string_view path);
// A module file's path: it ends with ".ec" in any letter case ("x.ec.exe" does not). The add
// command takes only these, and only these are ever deleted from disk.
bool isModulePath(std::string_view path);
// The name typed into the name-entry window without its leading and trailing blanks.
std::string trimBlanks(std::string_view text);

// --- which content is listed ------------------------------------------------------------------

// Digest -> the folder holding it, kept by the tree item that shows it: removing an item removes
// the digest it was added with, whatever its file holds now.
class DigestRegistry {
 public:
  // The folder that holds this digest; empty when none does.
  std::string holder(const std::string& digest) const;
  bool contains(const std::string& digest) const { return byDigest_.count(digest) != 0; }
  void add(int item, const std::string& digest, const std::string& folder);
  void removeItem(int item);
  void clear();
  size_t size() const { return byDigest_.size(); }

 private:
  std::map<std::string, std::pair<std::string, int>> byDigest_;  // digest -> folder, item
  std::map<int, std::string> byItem_;
};

// --- hashing off the UI thread -------------------------------------------------------------------

// A file as the hashing worker found it: its size and last write time identify the content it
// was hashed with, so an unchanged file is never read again.
struct FileStamp {
  uint64_t size = 0;
  uint64_t writeTime = 0;
  bool operator==(const FileStamp&) const = default;
};

// Digests by path, valid while the file keeps its stamp; at most `capacity` paths (the oldest
// entry goes first). Safe from any thread.
class DigestCache {
 public:
  explicit DigestCache(size_t capacity = 4096) : capacity_(capacity) {}
  // The digest kept for the path with this stamp; empty when there is none or the file changed.
  std::string find(const std::string& path, const FileStamp& stamp) const;
  void store(const std::string& path, const FileStamp& stamp, const std::string& digest);
  void clear();
  size_t size() const;

 private:
  struct Entry {
    FileStamp stamp;
    std::string digest;
    uint64_t age = 0;
  };
  mutable std::mutex lock_;
  size_t capacity_;
  std::map<std::string, Entry> entries_;
  uint64_t clock_ = 0;
};

// Reloads of the list (start-up, message 9909 from any program): one runs at a time, at most one
// waits; more requests while one waits are the same request.
class ReloadCoalescer {
 public:
  // True: start a reload now. False: one runs; this request waits (merged with any waiting one).
  bool request();
  // The running reload has finished. True: start the waiting one now.
  bool finished();
  bool busy() const { return running_; }
  bool waiting() const { return pending_; }
  void reset() { running_ = pending_ = false; }

 private:
  bool running_ = false;
  bool pending_ = false;
};

}  // namespace tovalux::modules
