#include "panes/module_manager_rules.h"

#include <algorithm>
#include <cstring>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::modules {
namespace {

constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

uint32_t rotateLeft(uint32_t value, uint32_t bits) { return (value << bits) | (value >> (32 - bits)); }

bool hasNonAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

// One step of each round, unrolled: a module file is hashed whole when it is added or loaded.
#define TOVALUX_MD5_STEP(f, a, b, c, d, k, s, t) \
  a += f(b, c, d) + m[k] + t;                    \
  a = b + rotateLeft(a, s)

void Md5::block(const uint8_t* data) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i)
    m[i] = uint32_t(data[i * 4]) | uint32_t(data[i * 4 + 1]) << 8 | uint32_t(data[i * 4 + 2]) << 16 |
           uint32_t(data[i * 4 + 3]) << 24;
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  auto F = [](uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); };
  auto G = [](uint32_t x, uint32_t y, uint32_t z) { return y ^ (z & (x ^ y)); };
  auto H = [](uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; };
  auto I = [](uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); };
  TOVALUX_MD5_STEP(F, a, b, c, d, 0, 7, kSines[0]);
  TOVALUX_MD5_STEP(F, d, a, b, c, 1, 12, kSines[1]);
  TOVALUX_MD5_STEP(F, c, d, a, b, 2, 17, kSines[2]);
  TOVALUX_MD5_STEP(F, b, c, d, a, 3, 22, kSines[3]);
  TOVALUX_MD5_STEP(F, a, b, c, d, 4, 7, kSines[4]);
  TOVALUX_MD5_STEP(F, d, a, b, c, 5, 12, kSines[5]);
  TOVALUX_MD5_STEP(F, c, d, a, b, 6, 17, kSines[6]);
  TOVALUX_MD5_STEP(F, b, c, d, a, 7, 22, kSines[7]);
  TOVALUX_MD5_STEP(F, a, b, c, d, 8, 7, kSines[8]);
  TOVALUX_MD5_STEP(F, d, a, b, c, 9, 12, kSines[9]);
  TOVALUX_MD5_STEP(F, c, d, a, b, 10, 17, kSines[10]);
  TOVALUX_MD5_STEP(F, b, c, d, a, 11, 22, kSines[11]);
  TOVALUX_MD5_STEP(F, a, b, c, d, 12, 7, kSines[12]);
  TOVALUX_MD5_STEP(F, d, a, b, c, 13, 12, kSines[13]);
  TOVALUX_MD5_STEP(F, c, d, a, b, 14, 17, kSines[14]);
  TOVALUX_MD5_STEP(F, b, c, d, a, 15, 22, kSines[15]);
  TOVALUX_MD5_STEP(G, a, b, c, d, 1, 5, kSines[16]);
  TOVALUX_MD5_STEP(G, d, a, b, c, 6, 9, kSines[17]);
  TOVALUX_MD5_STEP(G, c, d, a, b, 11, 14, kSines[18]);
  TOVALUX_MD5_STEP(G, b, c, d, a, 0, 20, kSines[19]);
  TOVALUX_MD5_STEP(G, a, b, c, d, 5, 5, kSines[20]);
  TOVALUX_MD5_STEP(G, d, a, b, c, 10, 9, kSines[21]);
  TOVALUX_MD5_STEP(G, c, d, a, b, 15, 14, kSines[22]);
  TOVALUX_MD5_STEP(G, b, c, d, a, 4, 20, kSines[23]);
  TOVALUX_MD5_STEP(G, a, b, c, d, 9, 5, kSines[24]);
  TOVALUX_MD5_STEP(G, d, a, b, c, 14, 9, kSines[25]);
  TOVALUX_MD5_STEP(G, c, d, a, b, 3, 14, kSines[26]);
  TOVALUX_MD5_STEP(G, b, c, d, a, 8, 20, kSines[27]);
  TOVALUX_MD5_STEP(G, a, b, c, d, 13, 5, kSines[28]);
  TOVALUX_MD5_STEP(G, d, a, b, c, 2, 9, kSines[29]);
  TOVALUX_MD5_STEP(G, c, d, a, b, 7, 14, kSines[30]);
  TOVALUX_MD5_STEP(G, b, c, d, a, 12, 20, kSines[31]);
  TOVALUX_MD5_STEP(H, a, b, c, d, 5, 4, kSines[32]);
  TOVALUX_MD5_STEP(H, d, a, b, c, 8, 11, kSines[33]);
  TOVALUX_MD5_STEP(H, c, d, a, b, 11, 16, kSines[34]);
  TOVALUX_MD5_STEP(H, b, c, d, a, 14, 23, kSines[35]);
  TOVALUX_MD5_STEP(H, a, b, c, d, 1, 4, kSines[36]);
  TOVALUX_MD5_STEP(H, d, a, b, c, 4, 11, kSines[37]);
  TOVALUX_MD5_STEP(H, c, d, a, b, 7, 16, kSines[38]);
  TOVALUX_MD5_STEP(H, b, c, d, a, 10, 23, kSines[39]);
  TOVALUX_MD5_STEP(H, a, b, c, d, 13, 4, kSines[40]);
  TOVALUX_MD5_STEP(H, d, a, b, c, 0, 11, kSines[41]);
  TOVALUX_MD5_STEP(H, c, d, a, b, 3, 16, kSines[42]);
  TOVALUX_MD5_STEP(H, b, c, d, a, 6, 23, kSines[43]);
  TOVALUX_MD5_STEP(H, a, b, c, d, 9, 4, kSines[44]);
  TOVALUX_MD5_STEP(H, d, a, b, c, 12, 11, kSines[45]);
  TOVALUX_MD5_STEP(H, c, d, a, b, 15, 16, kSines[46]);
  TOVALUX_MD5_STEP(H, b, c, d, a, 2, 23, kSines[47]);
  TOVALUX_MD5_STEP(I, a, b, c, d, 0, 6, kSines[48]);
  TOVALUX_MD5_STEP(I, d, a, b, c, 7, 10, kSines[49]);
  TOVALUX_MD5_STEP(I, c, d, a, b, 14, 15, kSines[50]);
  TOVALUX_MD5_STEP(I, b, c, d, a, 5, 21, kSines[51]);
  TOVALUX_MD5_STEP(I, a, b, c, d, 12, 6, kSines[52]);
  TOVALUX_MD5_STEP(I, d, a, b, c, 3, 10, kSines[53]);
  TOVALUX_MD5_STEP(I, c, d, a, b, 10, 15, kSines[54]);
  TOVALUX_MD5_STEP(I, b, c, d, a, 1, 21, kSines[55]);
  TOVALUX_MD5_STEP(I, a, b, c, d, 8, 6, kSines[56]);
  TOVALUX_MD5_STEP(I, d, a, b, c, 15, 10, kSines[57]);
  TOVALUX_MD5_STEP(I, c, d, a, b, 6, 15, kSines[58]);
  TOVALUX_MD5_STEP(I, b, c, d, a, 13, 21, kSines[59]);
  TOVALUX_MD5_STEP(I, a, b, c, d, 4, 6, kSines[60]);
  TOVALUX_MD5_STEP(I, d, a, b, c, 11, 10, kSines[61]);
  TOVALUX_MD5_STEP(I, c, d, a, b, 2, 15, kSines[62]);
  TOVALUX_MD5_STEP(I, b, c, d, a, 9, 21, kSines[63]);
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

#undef TOVALUX_MD5_STEP

void Md5::update(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  length_ += size;
  if (buffered_ > 0) {
    const size_t take = std::min(size, sizeof(buffer_) - buffered_);
    std::memcpy(buffer_ + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    size -= take;
    if (buffered_ < sizeof(buffer_)) return;
    block(buffer_);
    buffered_ = 0;
  }
  for (; size >= 64; bytes += 64, size -= 64) block(bytes);
  std::memcpy(buffer_, bytes, size);
  buffered_ = size;
}

std::array<uint8_t, 16> Md5::finish() {
  const uint64_t bits = length_ * 8;
  static const uint8_t kPadding[64] = {0x80};
  update(kPadding, buffered_ < 56 ? 56 - buffered_ : 120 - buffered_);
  uint8_t lengthBytes[8];
  for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  update(lengthBytes, 8);
  std::array<uint8_t, 16> digest{};
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(state_[i / 4] >> (8 * (i % 4)));
  return digest;
}

std::string Md5::finishHex() {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : finish()) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string md5Hex(std::string_view bytes) {
  Md5 md5;
  md5.update(bytes.data(), bytes.size());
  return md5.finishHex();
}

// --- paths ---------------------------------------------------------------------------------

std::string escapePathName(std::string_view name) {
  std::string path;
  path.reserve(name.size() + 4);
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (gbkCharLength(name, i) == 2) {
      path += c;
      path += name[++i];
      continue;
    }
    if (c == '.' || c == '[' || c == ']' || c == '\\') path += '\\';
    path += c;
  }
  return path;
}

std::string folderPath(int position) { return "[" + std::to_string(position) + "]"; }

std::string modulePath(int position, int moduleIndex) {
  return folderPath(position) + ".[" + std::to_string(moduleIndex) + "]";
}

// --- the file ------------------------------------------------------------------------------

bool isWellFormedGbk(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); i += gbkCharLength(bytes, i)) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte > 0x80 && gbkCharLength(bytes, i) == 1) return false;
  }
  return true;
}

bool decodeUtf8(std::string_view bytes, std::u16string& out) {
  out.clear();
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      out += static_cast<char16_t>(b0);
      ++i;
      continue;
    }
    int extra;
    uint32_t code;
    uint32_t minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      extra = 1, code = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      extra = 2, code = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      extra = 3, code = b0 & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      code = code << 6 | (b & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += extra + 1;
  }
  return true;
}

ModuleList readModuleList(const FileBytes& file) {
  ModuleList list;
  list.document = JsonDocument::withRoot(JsonKind::Object);
  if (!file.exists) return list;
  if (file.readFailed) {
    list.state = ListState::kUnreadable;
    list.problem = "文件无法读取";
    return list;
  }
  std::string_view bytes = file.bytes;
  std::string gbk;
  const bool bom = bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom) bytes.remove_prefix(3);
  std::u16string wide;
  // The encoding the file was written in: a byte-order mark says UTF-8; without one it is GBK (as
  // this program writes it) unless the bytes can only be UTF-8. A GBK list whose bytes happen to
  // form UTF-8 is read as GBK, never rewritten under other names.
  if (bom || (hasNonAscii(bytes) && !isWellFormedGbk(bytes) && decodeUtf8(bytes, wide))) {
    if (bom && !decodeUtf8(bytes, wide)) {
      list.state = ListState::kBroken;
      list.problem = "文件以 UTF-8 标记开头, 但内容不是 UTF-8";
      return list;
    }
    gbk = utf16ToGbk(wide);
    if (gbkToUtf16(gbk) != wide) {
      list.state = ListState::kBroken;
      list.problem = "文件为 UTF-8 编码, 含有 GBK 无法表示的字符";
      return list;
    }
    list.wasUtf8 = true;
    bytes = gbk;
  }
  JsonDocument document;
  int error = 0;
  int position = 0;
  if (!document.parse(bytes, 0, error, position) || document.kind("") != JsonKind::Object) {
    list.state = ListState::kBroken;
    list.problem = "文件内容不是有效的模块列表";
    return list;
  }
  list.document = std::move(document);
  // The reader keeps one value per name: the next save would lose the other folder's list (or
  // the other value of a name repeated deeper down).
  if (list.document.repeatsNames("")) {
    list.state = ListState::kBroken;
    list.problem = "文件中有同名的分类文件夹";
    return list;
  }
  if (list.document.readRepeatedNames()) {
    list.state = ListState::kBroken;
    list.problem = "文件中有重复的名称";
    return list;
  }
  list.state = ListState::kReady;
  return list;
}

std::vector<FolderEntry> folders(const JsonDocument& list) {
  std::vector<std::string> names;
  list.memberNames("", names);
  std::vector<FolderEntry> entries;
  entries.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    FolderEntry entry{names[i], {}};
    const std::string path = folderPath(static_cast<int>(i));
    if (list.kind(path) == JsonKind::Array) {
      const int count = list.count(path);
      for (int k = 0; k < count; ++k)
        if (list.kind(modulePath(static_cast<int>(i), k)) == JsonKind::String)
          entry.modules.push_back(list.getText(modulePath(static_cast<int>(i), k)));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

int findFolder(const JsonDocument& list, int position, std::string_view name) {
  std::vector<std::string> names;
  list.memberNames("", names);
  if (position >= 0 && position < static_cast<int>(names.size()) && names[position] == name) return position;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

bool hasFolder(const JsonDocument& list, std::string_view name) { return findFolder(list, -1, name) >= 0; }

bool addFolder(JsonDocument& list, std::string_view name) {
  if (name.empty() || hasFolder(list, name)) return false;
  return list.setText(escapePathName(name), "");
}

bool folderTakesModules(const JsonDocument& list, int position) {
  if (position < 0 || position >= list.count("")) return false;
  const std::string folder = folderPath(position);
  const JsonKind kind = list.kind(folder);
  return kind == JsonKind::Array || (kind == JsonKind::String && list.getText(folder).empty());
}

bool appendModule(JsonDocument& list, int position, std::string_view path) {
  if (!folderTakesModules(list, position)) return false;
  const std::string folder = folderPath(position);
  const int next = list.kind(folder) == JsonKind::Array ? list.count(folder) : 0;
  if (list.kind(folder) != JsonKind::Array && !list.setEmptyArray(folder)) return false;
  return list.setText(modulePath(position, next), path);
}

bool removeFolder(JsonDocument& list, int position) {
  if (position < 0 || position >= list.count("")) return false;
  return list.remove(folderPath(position));
}

bool removeModule(JsonDocument& list, int position, std::string_view path) {
  if (position < 0 || position >= list.count("")) return false;
  const std::string folder = folderPath(position);
  if (list.kind(folder) != JsonKind::Array) return false;
  const int count = list.count(folder);
  for (int k = 0; k < count; ++k)
    if (list.kind(modulePath(position, k)) == JsonKind::String && list.getText(modulePath(position, k)) == path)
      return list.removeAt(folder, k);
  return false;
}

std::string listText(const JsonDocument& list) { return list.toText("", false); }

// --- texts ---------------------------------------------------------------------------------

std::string missingModuleMessage(std::string_view path) { return "模块丢失:" + std::string(path) + ",已移除"; }

std::string duplicateModuleMessage(std::string_view path, std::string_view folder) {
  return "重复添加:" + std::string(path) + ",已存在于分类文件 < " + std::string(folder) + " >";
}

std::string refusedChangeMessage(const ModuleList& list) { return refusedChangeMessage(list.problem); }

std::string refusedChangeMessage(std::string_view problem) {
  return "模块列表文件 EcManager.json 已存在但无法使用(" + std::string(problem) +
         ").\r\n为避免覆盖其中的内容, 本次修改没有保存. 请修复或移走该文件后重新载入.";
}

std::string notAListProblem(std::string_view folder) {
  return "分类文件夹 < " + std::string(folder) + " > 的内容不是模块列表";
}

std::string fileNameOf(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (gbkCharLength(path, i) == 2) {
      ++i;
      continue;
    }
    if (path[i] == '\\') start = i + 1;
  }
  return std::string(path.substr(start));
}

bool isModulePath(std::string_view path) {
  // '.' is never a trail byte, so the suffix always starts on a character.
  return path.size() >= 3 && asciiLower(path.substr(path.size() - 3)) == ".ec";
}

std::string deleteFilesQuestion(size_t deletable, const std::vector<std::string>& kept) {
  std::string text = "你确定[删除]这 " + std::to_string(deletable) + " 个[本地模块文件]么?";
  if (!kept.empty()) {
    text += "\r\n以下路径不是模块文件, 不会删除:";
    for (const std::string& path : kept) text += "\r\n" + path;
  }
  return text;
}

std::string trimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

// --- digests -------------------------------------------------------------------------------

std::string DigestRegistry::holder(const std::string& digest) const {
  const auto found = byDigest_.find(digest);
  return found == byDigest_.end() ? std::string() : found->second.first;
}

void DigestRegistry::add(int item, const std::string& digest, const std::string& folder) {
  removeItem(item);
  byDigest_[digest] = {folder, item};
  byItem_[item] = digest;
}

void DigestRegistry::removeItem(int item) {
  const auto found = byItem_.find(item);
  if (found == byItem_.end()) return;
  const auto digest = byDigest_.find(found->second);
  if (digest != byDigest_.end() && digest->second.second == item) byDigest_.erase(digest);
  byItem_.erase(found);
}

void DigestRegistry::clear() {
  byDigest_.clear();
  byItem_.clear();
}

// --- hashing off the UI thread --------------------------------------------------------------

std::string DigestCache::find(const std::string& path, const FileStamp& stamp) const {
  std::lock_guard guard(lock_);
  const auto found = entries_.find(path);
  if (found == entries_.end() || !(found->second.stamp == stamp)) return {};
  return found->second.digest;
}

void DigestCache::store(const std::string& path, const FileStamp& stamp, const std::string& digest) {
  if (digest.empty() || capacity_ == 0) return;
  std::lock_guard guard(lock_);
  auto found = entries_.find(path);
  if (found == entries_.end() && entries_.size() >= capacity_) {
    auto oldest = entries_.begin();
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (it->second.age < oldest->second.age) oldest = it;
    entries_.erase(oldest);
  }
  entries_[path] = {stamp, digest, ++clock_};
}

void DigestCache::clear() {
  std::lock_guard guard(lock_);
  entries_.clear();
}

size_t DigestCache::size() const {
  std::lock_guard guard(lock_);
  return entries_.size();
}

bool ReloadCoalescer::request() {
  if (running_) {
    pending_ = true;
    return false;
  }
  running_ = true;
  return true;
}

bool ReloadCoalescer::finished() {
  running_ = pending_;
  pending_ = false;
  return running_;
}

}  // namespace tovalux::modules
