// The linker selector's and the BlackMoon watch's rules on plain text and bytes: GBK-aware
// searches (trail bytes equal to '\\' and to letters), the setting's name, the result line, the
// build functions, the version resource and the executable-section test on a made-up image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "commands/blackmoon_rules.h"
#include "commands/linker_rules.h"
#include "base/gbk_scan.h"

namespace tovalux::commands {
namespace {

// "乗" is 0x81 0x5C (its trail byte is '\\'); "丄" is 0x81 0x41 and "乤" 0x81 0x61: a byte-wise
// case-insensitive compare takes them for one another.
constexpr char kBackslashTrail[] = "乗";
constexpr char kUpperTrail[] = "丄";
constexpr char kLowerTrail[] = "乤";

TEST(LinkerRules, CharacterSetAssumptions) {
  ASSERT_EQ(std::string(kBackslashTrail), "\x81\x5C");
  ASSERT_EQ(std::string(kUpperTrail), "\x81\x41");
  ASSERT_EQ(std::string(kLowerTrail), "\x81\x61");
}

TEST(LinkerRules, FindIgnoresAsciiCaseOnly) {
  EXPECT_EQ(gbkFindTextIgnoringCase("C:\\E\\Linker\\x", "\\LINKER\\"), 4u);
  EXPECT_EQ(gbkFindTextIgnoringCase("abcABC", "abc", 1), 3u);
  EXPECT_EQ(gbkFindTextIgnoringCase("abc", ""), 0u);
  EXPECT_EQ(gbkFindTextIgnoringCase("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(gbkFindTextIgnoringCase("abc", "a", 4), std::string_view::npos);
  // A double-byte character matches only itself, whatever its trail byte looks like.
  EXPECT_EQ(gbkFindTextIgnoringCase(kUpperTrail, kLowerTrail), std::string_view::npos);
  EXPECT_EQ(gbkFindTextIgnoringCase(std::string("x") + kUpperTrail, kUpperTrail), 1u);
  // A match never starts on a trail byte: "乗" holds '\\' but no backslash.
  EXPECT_EQ(gbkFindTextIgnoringCase(kBackslashTrail, "\\"), std::string_view::npos);
  EXPECT_EQ(gbkFindTextIgnoringCase(std::string(kUpperTrail) + "a", "Aa"), std::string_view::npos);
  EXPECT_EQ(gbkFindTextIgnoringCase(std::string(kUpperTrail) + "A", "a"), 2u);
}

TEST(LinkerRules, EndsWithBackslashWalksCharacters) {
  EXPECT_TRUE(gbkEndsWith("C:\\a\\", '\\'));
  EXPECT_FALSE(gbkEndsWith("C:\\a", '\\'));
  EXPECT_FALSE(gbkEndsWith("", '\\'));
  EXPECT_FALSE(gbkEndsWith(std::string("C:\\") + kBackslashTrail, '\\'));
  EXPECT_TRUE(gbkEndsWith(std::string("C:\\") + kBackslashTrail + "\\", '\\'));
  EXPECT_TRUE(
      gbkEndsWith("\x81"
                  "\\\\",
                  '\\'));
}

TEST(LinkerRules, TextBetweenMarkers) {
  EXPECT_EQ(textBetween("a[x]b", "[", "]"), "x");
  EXPECT_EQ(textBetween("A<<name>>B", "a<<", ">>b"), "name");
  EXPECT_EQ(textBetween("no start", "[", "]"), "");
  EXPECT_EQ(textBetween("[no end", "[", "]"), "");
  EXPECT_EQ(textBetween("]x[", "[", "]"), "") << "the end marker is searched after the start";
  EXPECT_EQ(textBetween("[]", "[", "]"), "");
  // "#引号" in a marker is a double quote.
  EXPECT_EQ(textBetween("写出\"C:\\a.exe\"成功", "写出#引号", "#引号成功"), "C:\\a.exe");
  EXPECT_EQ(textBetween("#引号x#引号", "#引号", "#引号"), "") << "only markers are rewritten";
}

TEST(LinkerRules, NameFromTheSetting) {
  const std::string host = "C:\\E IDE";
  EXPECT_EQ(linkIniPath(host), "C:\\E IDE\\tools\\link.ini");
  EXPECT_EQ(linkerExePath(host, "VC6"), "C:\\E IDE\\linker\\VC6\\bin\\link.exe");
  EXPECT_EQ(linkerNameFromSetting(host, "C:\\E IDE\\linker\\VC6\\bin\\link.exe"), "VC6");
  EXPECT_EQ(linkerNameFromSetting(host, "c:\\e ide\\LINKER\\VC6\\BIN\\link.exe"), "VC6") << "letter case";
  EXPECT_EQ(linkerNameFromSetting(host, "D:\\other\\linker\\VC6\\bin\\link.exe"), "");
  EXPECT_EQ(linkerNameFromSetting(host, "C:\\E IDE\\tools\\link.exe"), "");
  EXPECT_EQ(linkerNameFromSetting(host, ""), "");
}

TEST(LinkerRules, HostFolderWithAwkwardDoubleByteCharacters) {
  // H holds a character whose trail byte is '\\' and one whose trail byte is 'A'.
  const std::string host = std::string("C:\\易") + kBackslashTrail + kUpperTrail;
  const std::string value = linkerExePath(host, std::string("链") + kBackslashTrail);
  EXPECT_EQ(linkerNameFromSetting(host, value), std::string("链") + kBackslashTrail);
  // Upper-casing the ASCII of the value leaves the double-byte characters as they are.
  std::string upper = value;
  for (size_t i = 0; i < upper.size(); ++i) {
    if (static_cast<unsigned char>(upper[i]) >= 0x81) {
      ++i;
      continue;
    }
    if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 32);
  }
  EXPECT_EQ(linkerNameFromSetting(host, upper), std::string("链") + kBackslashTrail);
  // A host folder that differs only in a trail byte's "case" is another folder.
  const std::string other = std::string("C:\\易") + kBackslashTrail + kLowerTrail;
  EXPECT_EQ(linkerNameFromSetting(other, value), "");
}

TEST(LinkerRules, ListedFoldersAndTexts) {
  EXPECT_TRUE(isListedFolderName("LinkerA"));
  for (const char* name : {".", "..", ".hidden", ""}) EXPECT_FALSE(isListedFolderName(name)) << name;
  EXPECT_EQ(linkerMissingText("C:\\E", "Broken"),
            "无法切换链接器:Broken\r\n无法找到 link.exe：C:\\E\\linker\\Broken\\bin\\link.exe");
  const std::string failed = linkerWriteFailedText("C:\\E\\tools\\link.ini", "B", 5);
  EXPECT_NE(failed.find("C:\\E\\tools\\link.ini"), std::string::npos);
  EXPECT_NE(failed.find("(错误 5)"), std::string::npos);
}

TEST(BlackMoonRules, ResultLine) {
  BlackMoonResult r = readBlackMoonResult("黑月编译: 写出可执行文件\"C:\\EProjects\\demo_bm.exe\"成功\r\n");
  EXPECT_TRUE(r.resultLine);
  EXPECT_EQ(r.path, "C:\\EProjects\\demo_bm.exe");
  r = readBlackMoonResult("写出可执行文件成功\r\n");
  EXPECT_TRUE(r.resultLine);
  EXPECT_EQ(r.path, "");
  EXPECT_FALSE(readBlackMoonResult("编译成功\r\n").resultLine);
  EXPECT_FALSE(readBlackMoonResult("写出可执行文件\"C:\\a.exe\"\r\n").resultLine);
  EXPECT_FALSE(readBlackMoonResult("").resultLine);
  // Both markers must be whole characters of the text: here a stray lead byte takes the first
  // byte of "成功" as its trail.
  EXPECT_FALSE(readBlackMoonResult(std::string("写出可执行文件 \x81") + "成功").resultLine);
}

TEST(BlackMoonRules, BuildFunctions) {
  for (uint32_t f : {0x05020001u, 0x05020002u, 0x05020005u, 0x05020006u, 0x05020007u, 0x05020008u, 0x05020009u,
                     0x0502000Cu, 0x0502000Du, 0x05020010u, 0x05020013u})
    EXPECT_TRUE(isBuildFunction(f)) << std::hex << f;
  for (uint32_t f : {0x05020003u, 0x05020004u, 0x05020014u, 0x05010002u, 0x03010001u, 0u})
    EXPECT_FALSE(isBuildFunction(f)) << std::hex << f;
}

// A VS_VERSIONINFO block as windres lays it out: header, "VS_VERSION_INFO", padding, the fixed
// part.
std::vector<uint8_t> versionBlock(uint16_t major, uint16_t minor, uint32_t signature = 0xFEEF04BD) {
  std::vector<uint8_t> b;
  auto put16 = [&](uint16_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8); };
  auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  put16(0), put16(52), put16(0);
  for (char c : std::string("VS_VERSION_INFO")) put16(static_cast<uint16_t>(c));
  put16(0);
  while (b.size() % 4) b.push_back(0);
  put32(signature), put32(0x00010000);
  put32(uint32_t(major) << 16 | minor), put32(7u << 16 | 9);
  for (int i = 0; i < 9; ++i) put32(0);
  b[0] = static_cast<uint8_t>(b.size()), b[1] = static_cast<uint8_t>(b.size() >> 8);
  return b;
}

TEST(BlackMoonRules, VersionResource) {
  std::vector<uint8_t> block = versionBlock(3, 66);
  const auto v = fixedFileVersion(block.data(), block.size());
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->major, 3);
  EXPECT_EQ(v->minor, 66);
  EXPECT_EQ(v->build, 7);
  EXPECT_EQ(v->revision, 9);
  EXPECT_TRUE(isExpectedBlackMoonVersion(*v));
  EXPECT_TRUE(isExpectedBlackMoonVersion({3, 6, 6, 0})) << "written digit by digit";
  EXPECT_FALSE(isExpectedBlackMoonVersion({3, 6, 7, 0}));
  EXPECT_FALSE(isExpectedBlackMoonVersion({4, 66, 0, 0}));
  block = versionBlock(3, 70);
  EXPECT_FALSE(isExpectedBlackMoonVersion(*fixedFileVersion(block.data(), block.size())));
  EXPECT_EQ(versionText(*fixedFileVersion(block.data(), block.size())), "3.70");
  block = versionBlock(3, 66, 0x12345678);
  EXPECT_FALSE(fixedFileVersion(block.data(), block.size()).has_value()) << "no signature";
  block = versionBlock(3, 66);
  for (size_t cut : {size_t(0), size_t(5), size_t(20), block.size() - 1})
    EXPECT_FALSE(fixedFileVersion(block.data(), cut).has_value()) << cut;
  EXPECT_FALSE(fixedFileVersion(nullptr, 100).has_value());
  // A key without its NUL runs to the block's end.
  std::vector<uint8_t> endless(64, 'A');
  endless[0] = 64, endless[1] = 0, endless[2] = 52, endless[3] = 0;
  EXPECT_FALSE(fixedFileVersion(endless.data(), endless.size()).has_value());
  EXPECT_NE(blackMoonWrongVersionLine(FileVersion{3, 70}, "C:\\a.exe").find("V3.70"), std::string::npos);
  EXPECT_NE(blackMoonWrongVersionLine(std::nullopt, "C:\\a.exe").find("V3.66"), std::string::npos);
}

// The first page of a made-up PE image with the given sections {address, size, characteristics}.
struct Section {
  uint32_t address, size, characteristics;
};
std::vector<uint8_t> imageHeaders(const std::vector<Section>& sections, uint16_t optionalSize = 0xE0) {
  const uint32_t nt = 0x80;
  std::vector<uint8_t> h(std::max<size_t>(0x400, nt + 24 + optionalSize + 40 * sections.size()), 0);
  h[0] = 'M', h[1] = 'Z';
  std::memcpy(&h[0x3C], &nt, 4);
  std::memcpy(&h[nt], "PE\0\0", 4);
  const auto count = static_cast<uint16_t>(sections.size());
  std::memcpy(&h[nt + 6], &count, 2);
  std::memcpy(&h[nt + 20], &optionalSize, 2);
  size_t at = nt + 24 + optionalSize;
  for (const Section& s : sections) {
    std::memcpy(&h[at + 8], &s.size, 4);
    std::memcpy(&h[at + 12], &s.address, 4);
    std::memcpy(&h[at + 36], &s.characteristics, 4);
    at += 40;
  }
  return h;
}

TEST(BlackMoonRules, RoutineMustLieInExecutableCode) {
  constexpr uint32_t kCode = 0x60000020, kData = 0xC0000040;
  std::vector<uint8_t> h = imageHeaders({{0x1000, 0x2000, kCode}, {0x3000, 0x1000, kData}});
  EXPECT_TRUE(rvaInExecutableSection(h.data(), h.size(), 0x16D0));
  EXPECT_TRUE(rvaInExecutableSection(h.data(), h.size(), 0x2FFF));
  EXPECT_FALSE(rvaInExecutableSection(h.data(), h.size(), 0x3000)) << "data";
  EXPECT_FALSE(rvaInExecutableSection(h.data(), h.size(), 0x0FFF)) << "headers";
  // Code that ends before the routine (the rest of the page is padding, not code).
  h = imageHeaders({{0x1000, 0x600, kCode}, {0x2000, 0x1000, kData}});
  EXPECT_FALSE(rvaInExecutableSection(h.data(), h.size(), 0x16D0));
  h = imageHeaders({{0x1000, 0x2000, kData}});
  EXPECT_FALSE(rvaInExecutableSection(h.data(), h.size(), 0x16D0)) << "no execute flag";
  // Malformed headers.
  h = imageHeaders({{0x1000, 0x2000, kCode}});
  EXPECT_FALSE(rvaInExecutableSection(h.data(), 0x20, 0x16D0));
  EXPECT_FALSE(rvaInExecutableSection(h.data(), 0x80 + 24 + 0xE0 + 39, 0x16D0)) << "section table cut";
  std::vector<uint8_t> bad = h;
  bad[0] = 'X';
  EXPECT_FALSE(rvaInExecutableSection(bad.data(), bad.size(), 0x16D0));
  bad = h;
  const uint32_t far = 0x7FFFFFF0;
  std::memcpy(&bad[0x3C], &far, 4);
  EXPECT_FALSE(rvaInExecutableSection(bad.data(), bad.size(), 0x16D0));
  bad = imageHeaders({{0x1000, 0x2000, kCode}}, 0xFFFF);
  EXPECT_FALSE(rvaInExecutableSection(bad.data(), 0x400, 0x16D0)) << "optional header past the end";
  EXPECT_FALSE(rvaInExecutableSection(nullptr, 0x400, 0x16D0));
}

}  // namespace
}  // namespace tovalux::commands
