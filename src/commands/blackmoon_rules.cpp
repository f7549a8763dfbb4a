#include "commands/blackmoon_rules.h"

#include <cstring>

#include "base/gbk_scan.h"
#include "commands/linker_rules.h"

namespace tovalux::commands {
namespace {

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24;
}

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
constexpr uint32_t kSectionExecutes = 0x20000000;  // IMAGE_SCN_MEM_EXECUTE

}  // namespace

BlackMoonResult readBlackMoonResult(std::string_view text) {
  BlackMoonResult result;
  result.resultLine = gbkFindTextIgnoringCase(text, kResultWrote) != std::string_view::npos &&
                      gbkFindTextIgnoringCase(text, kResultSucceeded) != std::string_view::npos;
  if (result.resultLine)
    result.path = textBetween(text, std::string(kResultWrote) + "#引号", "#引号" + std::string(kResultSucceeded));
  return result;
}

bool isBuildFunction(uint32_t f) {
  switch (f) {
    case 0x05020001:  // 编译
    case 0x05020002:  // 运行
    case 0x05020005:  // 编译生成安装软件
    case 0x05020006:  // 独立编译
    case 0x05020007:  // 静态编译
    case 0x05020008:  // 编译为易包
      return true;
    default: return f >= 0x05020009 && f <= 0x05020013;  // 运行 / 编译 / 静态编译为指定类型
  }
}

std::optional<FileVersion> fixedFileVersion(const uint8_t* resource, size_t size) {
  if (resource == nullptr || size < 6) return std::nullopt;
  const size_t length = read16(resource);
  const size_t valueLength = read16(resource + 2);
  if (length < 6 || length > size || valueLength < kFixedInfoSize) return std::nullopt;
  // The key: UTF-16 up to its NUL, then padding to a 32-bit boundary.
  size_t at = 6;
  for (;; at += 2) {
    if (at + 2 > length) return std::nullopt;
    if (read16(resource + at) == 0) break;
  }
  at = (at + 2 + 3) & ~size_t(3);
  if (at + kFixedInfoSize > length) return std::nullopt;
  const uint8_t* fixed = resource + at;
  if (read32(fixed) != kFixedInfoSignature) return std::nullopt;
  const uint32_t high = read32(fixed + 8), low = read32(fixed + 12);
  return FileVersion{static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high), static_cast<uint16_t>(low >> 16),
                     static_cast<uint16_t>(low)};
}

// "3.66" written as 3.66.x.x, or digit by digit as 3.6.6.x.
bool isExpectedBlackMoonVersion(const FileVersion& v) {
  if (v.major != kBlackMoonMajor) return false;
  return v.minor == kBlackMoonMinor || (v.minor == kBlackMoonMinor / 10 && v.build == kBlackMoonMinor % 10);
}

std::string versionText(const FileVersion& v) { return std::to_string(v.major) + "." + std::to_string(v.minor); }

bool rvaInExecutableSection(const uint8_t* headers, size_t size, uint32_t rva) {
  if (headers == nullptr || size < 0x40 || headers[0] != 'M' || headers[1] != 'Z') return false;
  const size_t nt = read32(headers + 0x3C);
  if (nt > size || size - nt < 24 || std::memcmp(headers + nt, "PE\0\0", 4) != 0) return false;
  const size_t sections = read16(headers + nt + 6);
  const size_t optionalSize = read16(headers + nt + 20);
  const size_t table = nt + 24 + optionalSize;
  if (table > size || sections > (size - table) / 40) return false;
  for (size_t i = 0; i < sections; ++i) {
    const uint8_t* s = headers + table + i * 40;
    const uint32_t virtualSize = read32(s + 8), address = read32(s + 12), rawSize = read32(s + 16);
    const uint32_t extent = virtualSize != 0 ? virtualSize : rawSize;
    if ((read32(s + 36) & kSectionExecutes) == 0) continue;
    if (rva >= address && rva - address < extent) return true;
  }
  return false;
}

std::string blackMoonGoneLine(std::string_view path) {
  return "黑月编译插件已不在,未能处理黑月编译结果: " + std::string(path) + "\r\n";
}

std::string blackMoonWrongVersionLine(std::optional<FileVersion> found, std::string_view path) {
  const std::string have = found ? "V" + versionText(*found) : std::string("未知版本");
  return "黑月编译插件为" + have + ",需要 V" + versionText({kBlackMoonMajor, kBlackMoonMinor}) +
         ",未能处理黑月编译结果: " + std::string(path) + "\r\n";
}

std::string blackMoonNotCodeLine(std::string_view path) {
  return "黑月编译插件的处理程序不在其可执行代码中,未能处理黑月编译结果: " + std::string(path) + "\r\n";
}

}  // namespace tovalux::commands
