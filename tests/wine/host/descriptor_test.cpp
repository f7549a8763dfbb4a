// The library record byte by byte, as the host reads it, and the export table of the built file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "debugging/disassembly_commands.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/notifications.h"
#include "base/version.h"

namespace tovalux {
namespace {

const unsigned char* recordBytes() { return reinterpret_cast<const unsigned char*>(GetNewInf()); }

uint32_t u32(const void* base, size_t offset) {
  uint32_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, 4);
  return value;
}
uint16_t u16(const void* base, size_t offset) {
  uint16_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, 2);
  return value;
}
std::string textAt(const void* base, size_t offset) {
  const auto* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(u32(base, offset)));
  return text ? std::string(text) : std::string("<null>");
}
const void* pointerAt(const void* base, size_t offset) {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(u32(base, offset)));
}

TEST(Descriptor, SameRecordEveryCall) {
  EXPECT_EQ(GetNewInf(), GetNewInf());
  EXPECT_EQ(static_cast<const void*>(GetNewInf()), static_cast<const void*>(libraryDescriptor()));
}

TEST(Descriptor, EveryFieldAtItsOffset) {
  const unsigned char* r = recordBytes();
  EXPECT_EQ(u32(r, 0), 20000101u);
  EXPECT_EQ(textAt(r, 4), "{80F2C10C-50DD-4f5a-96EF-E8F9B422DAA7}");
  EXPECT_EQ(u32(r, 8), 1u);
  EXPECT_EQ(u32(r, 12), 0u);
  EXPECT_EQ(u32(r, 16), 1u);
  EXPECT_EQ(u32(r, 20), 1u);
  EXPECT_EQ(u32(r, 24), 0u);
  EXPECT_EQ(u32(r, 28), 3u);
  EXPECT_EQ(u32(r, 32), 0u);
  EXPECT_EQ(textAt(r, 36), "Tovalux IDE");
  EXPECT_EQ(u32(r, 40), 1u);
  EXPECT_EQ(u32(r, 48), 0x100u);
  for (size_t offset : {52u, 56u, 60u, 64u, 72u, 76u}) EXPECT_NE(pointerAt(r, offset), nullptr) << offset;
  for (size_t offset : {68u, 80u, 88u, 112u, 116u, 124u, 128u, 140u})
    EXPECT_EQ(pointerAt(r, offset), nullptr) << offset;
  EXPECT_EQ(u32(r, 84), 0u);
  EXPECT_EQ(u32(r, 92), 1u);
  EXPECT_EQ(u32(r, 100), 2u);
  EXPECT_EQ(pointerAt(r, 120), reinterpret_cast<const void*>(&onHostNotify));
  EXPECT_EQ(u32(r, 132), 0u);
  EXPECT_NE(pointerAt(r, 136), nullptr);  // an empty array, not null
}

TEST(Descriptor, DescriptionLines) {
  const std::string description = textAt(recordBytes(), 44);
  const std::string head = "\r\n\r\n版本名称: 预览版\r\n内部版本: v" TOVALUX_VERSION "\r\n";
  ASSERT_EQ(description.compare(0, head.size(), head), 0);
  const std::string tail = "\r\n\r\n本支持库将给你带来全新的易语言IDE体验,目前本库还在处于开发阶段...";
  ASSERT_GT(description.size(), head.size() + tail.size());
  EXPECT_EQ(description.substr(description.size() - tail.size()), tail);
  // Exactly one contact line between them.
  const std::string contact = description.substr(head.size(), description.size() - head.size() - tail.size());
  EXPECT_FALSE(contact.empty());
  EXPECT_EQ(contact.find("\r\n"), std::string::npos);
}

TEST(Descriptor, CategoryListHasOneEntry) {
  const auto* list = static_cast<const char*>(pointerAt(recordBytes(), 96));
  ASSERT_NE(list, nullptr);
  std::vector<std::string> entries;
  for (const char* entry = list; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "0000调试辅助");
}

struct ExpectedArgument {
  const char* name;
  const char* description;
};

void expectCommand(const unsigned char* command, const char* name, const char* englishName, const char* engine,
                   std::vector<ExpectedArgument> arguments, CommandFunction entry, CommandFunction actual) {
  EXPECT_EQ(textAt(command, 0), name);
  EXPECT_EQ(textAt(command, 4), englishName);
  EXPECT_EQ(textAt(command, 8), std::string("使用") + engine +
                                    "引擎,查看当前调试进程指定位置的反汇编代码，反汇编结果将在Tovalux "
                                    "反汇编列表中显示。注意:  本命令仅作为调试时使用,不支持编译,编译时请删除本命令");
  EXPECT_EQ(u16(command, 12), 1);   // category
  EXPECT_EQ(u16(command, 14), 0);   // state
  EXPECT_EQ(u32(command, 16), 0u);  // no return value
  EXPECT_EQ(u16(command, 20), 0);   // reserved
  EXPECT_EQ(u16(command, 22), 1);   // user level
  EXPECT_EQ(u16(command, 24), 0);
  EXPECT_EQ(u16(command, 26), 0);
  ASSERT_EQ(u32(command, 28), arguments.size());
  const auto* argument = static_cast<const unsigned char*>(pointerAt(command, 32));
  ASSERT_NE(argument, nullptr);
  for (const ExpectedArgument& expected : arguments) {
    EXPECT_EQ(textAt(argument, 0), expected.name);
    EXPECT_EQ(textAt(argument, 4), expected.description);
    EXPECT_EQ(u16(argument, 8), 0);
    EXPECT_EQ(u16(argument, 10), 0);
    EXPECT_EQ(u32(argument, 12), 0x80000301u);
    EXPECT_EQ(u32(argument, 16), 0u);
    EXPECT_EQ(u32(argument, 20), 0u);
    argument += 24;
  }
  EXPECT_EQ(actual, entry);
}

TEST(Descriptor, BothCommandsWithTheirArgumentsInOrder) {
  const unsigned char* r = recordBytes();
  const auto* commands = static_cast<const unsigned char*>(pointerAt(r, 104));
  const auto* functions = static_cast<const CommandFunction*>(pointerAt(r, 108));
  ASSERT_NE(commands, nullptr);
  ASSERT_NE(functions, nullptr);
  const ExpectedArgument address{"反汇编地址", "需要反汇编的地址"};
  const ExpectedArgument length{"反汇编长度", "需要反汇编的长度"};
  const ExpectedArgument syntax{"反汇编语法", "选择反汇编语法，可选值: 512 = Nasm，0 = Masm，256 = GoAsm，AT = 1024"};
  expectCommand(commands, "Tovalux_反汇编_OD", "Tovalux_Dis_OD", "OD", {address, length}, &disassembleWithOlly,
                functions[0]);
  expectCommand(commands + 36, "Tovalux_反汇编_BE", "Tovalux_Dis_BE", "BeaEngine", {syntax, address, length},
                &disassembleWithBea, functions[1]);
}

// The export directory of the built file, read from its bytes.
TEST(PluginFile, ExportsOnlyGetNewInfUnderItsName) {
  const std::string path = testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux.fne");
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  const std::vector<unsigned char> image((std::istreambuf_iterator<char>(file)), {});
  ASSERT_GT(image.size(), 0x400u);
  const uint32_t pe = u32(image.data(), 0x3C);
  ASSERT_EQ(u32(image.data(), pe), 0x00004550u);  // "PE\0\0"
  EXPECT_EQ(u16(image.data(), pe + 4), 0x014C);   // i386
  const size_t optional = pe + 24;
  ASSERT_EQ(u16(image.data(), optional), 0x010B);  // PE32
  const uint32_t exportRva = u32(image.data(), optional + 96);
  ASSERT_NE(exportRva, 0u);

  // Map RVAs to file offsets through the section table.
  const uint16_t sections = u16(image.data(), pe + 6);
  const size_t sectionTable = optional + u16(image.data(), pe + 20);
  auto offsetOf = [&](uint32_t rva) -> size_t {
    for (uint16_t i = 0; i < sections; ++i) {
      const size_t s = sectionTable + i * 40u;
      const uint32_t virtualAddress = u32(image.data(), s + 12);
      const uint32_t rawSize = u32(image.data(), s + 16);
      if (rva >= virtualAddress && rva < virtualAddress + rawSize)
        return rva - virtualAddress + u32(image.data(), s + 20);
    }
    return 0;
  };
  const size_t exports = offsetOf(exportRva);
  ASSERT_NE(exports, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(image.data() + offsetOf(u32(image.data(), exports + 12))), "Tovalux.fne");
  EXPECT_EQ(u32(image.data(), exports + 20), 1u);  // functions
  ASSERT_EQ(u32(image.data(), exports + 24), 1u);  // names
  const size_t names = offsetOf(u32(image.data(), exports + 32));
  EXPECT_STREQ(reinterpret_cast<const char*>(image.data() + offsetOf(u32(image.data(), names))), "GetNewInf");
}

TEST(PluginFile, LoadsAndAnswersItsOwnRecord) {
  const std::string path = testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux.fne");
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  using GetNewInfFunction = const LibraryInfo*(__stdcall*)();
  auto getNewInf = reinterpret_cast<GetNewInfFunction>(reinterpret_cast<void*>(GetProcAddress(module, "GetNewInf")));
  ASSERT_NE(getNewInf, nullptr);
  const LibraryInfo* info = getNewInf();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info, getNewInf());
  EXPECT_NE(info, GetNewInf());  // the file's own record, not this program's copy
  EXPECT_EQ(info->formatVersion, 20000101u);
  EXPECT_STREQ(info->commands[1].arguments[0].name, "反汇编语法");
  FreeLibrary(module);
}

}  // namespace
}  // namespace tovalux
