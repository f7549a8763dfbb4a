// The shipped plug-in as the host loads it: the file from H\lib, its one export answering the same
// record each time, what the host reads of it, and the start ehost.exe journals with it.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::both;
using testing::fieldIs;

uint32_t u32(const void* base, size_t offset) {
  uint32_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, 4);
  return value;
}

TEST(LibraryLoad, TheShippedFileGivesOneRecordWithItsCategoryAndTheHostStartsIt) {
  HMODULE plugin = LoadLibraryA(testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux.fne").c_str());
  ASSERT_NE(plugin, nullptr);
  using GetNewInf = void*(__stdcall*)();
  const auto entry = reinterpret_cast<GetNewInf>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetNewInf")));
  ASSERT_NE(entry, nullptr);
  const void* record = entry();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(entry(), record) << "the same record every time";
  EXPECT_EQ(u32(record, 0), 20000101u);
  EXPECT_EQ(u32(record, 48), 0x100u);
  const auto* categories = reinterpret_cast<const char*>(static_cast<uintptr_t>(u32(record, 96)));
  ASSERT_NE(categories, nullptr);
  std::vector<std::string> names;
  for (const char* c = categories; *c; c += std::strlen(c) + 1) names.emplace_back(c);
  EXPECT_EQ(names, std::vector<std::string>{"0000调试辅助"});
  // Notifications the library does not handle answer 0.
  using Notify = int32_t(__stdcall*)(int32_t, int32_t, int32_t);
  const auto notify = reinterpret_cast<Notify>(static_cast<uintptr_t>(u32(record, 120)));
  ASSERT_NE(notify, nullptr);
  EXPECT_EQ(notify(42, 0, 0), 0);
  FreeLibrary(plugin);

  Session s("e2e_library_load", {});
  ASSERT_TRUE(s.start());
  const auto library = s.waitFor("library", fieldIs("name", "Tovalux.fne"));
  ASSERT_TRUE(library);
  EXPECT_EQ(library->get("title"), "Tovalux IDE");
  EXPECT_EQ(library->get("guid"), "{80F2C10C-50DD-4f5a-96EF-E8F9B422DAA7}");
  EXPECT_EQ(library->get("commands"), "2");
  const auto started = s.waitFor("notify", both(fieldIs("code", 1), fieldIs("library", "Tovalux.fne")));
  ASSERT_TRUE(started);
  EXPECT_EQ(started->get("answer"), "1");
  EXPECT_TRUE(s.find("menu-item 文件(F) depth=2", 10000)) << "the shell stands";
  EXPECT_TRUE(s.closeNormally());
}

}  // namespace
}  // namespace tovalux::scenarios
