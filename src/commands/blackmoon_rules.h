// The BlackMoon build's rules on plain data: the result line the plug-in writes into the host's
// output box, the build commands that end a pending BlackMoon build, and the checks made on the
// loaded plug-in's image before its routine is called (its version resource, and that the
// routine's address lies in an executable section).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux::commands {

inline constexpr std::string_view kResultWrote = "写出可执行文件";
inline constexpr std::string_view kResultSucceeded = "成功";
inline constexpr std::string_view kBlackMoonNoPathLine =
    "使用黑月编译时发生异常,无法获取当前编译保存路径,黑月编译失败...";
// The routine that takes the written executable: module base + this offset, stdcall
// (const char* path, int 0). It belongs to this version of the plug-in only.
inline constexpr uint32_t kBlackMoonRoutineOffset = 0x16D0;
inline constexpr uint16_t kBlackMoonMajor = 3;
inline constexpr uint16_t kBlackMoonMinor = 66;

struct BlackMoonResult {
  bool resultLine = false;  // the text carries both "写出可执行文件" and "成功"
  std::string path;         // between the double quotes that follow and precede them; may be empty
};
BlackMoonResult readBlackMoonResult(std::string_view text);

// An IDE function that compiles or runs the program (编译, 静态编译, 运行, 独立编译, the
// "...指定类型" builds...): started by the shell, it ends a pending BlackMoon build, so that its
// result line is never taken for the plug-in's.
bool isBuildFunction(uint32_t ideFunction);

struct FileVersion {
  uint16_t major = 0, minor = 0, build = 0, revision = 0;
};
// The file version of a VS_VERSIONINFO resource as it lies in memory (the fixed part after the
// "VS_VERSION_INFO" key); nothing when the block is cut short or carries no fixed part.
std::optional<FileVersion> fixedFileVersion(const uint8_t* resource, size_t size);
// 3.66: file version 3.66.x.x or 3.6.6.x.
bool isExpectedBlackMoonVersion(const FileVersion& version);
std::string versionText(const FileVersion& version);  // "3.66"

// True when `rva` lies inside a section of the mapped image whose characteristics allow
// execution. `headers` are the image's first bytes as mapped (DOS header, PE headers, section
// table); a short or malformed header answers false.
bool rvaInExecutableSection(const uint8_t* headers, size_t size, uint32_t rva);

// The output-pane lines for a result the routine was not given.
std::string blackMoonGoneLine(std::string_view path);
std::string blackMoonWrongVersionLine(std::optional<FileVersion> found, std::string_view path);
std::string blackMoonNotCodeLine(std::string_view path);

}  // namespace tovalux::commands
