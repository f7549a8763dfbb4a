// Files written beside a program: complete or not there, never half written, never replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "base/embedded_files.h"
#include "common/win32_support.h"

namespace tovalux {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> leftovers(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.tmp*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

TEST(EmbeddedFiles, WritesOnceCompletelyAndKeepsAnExistingFile) {
  const std::string folder = testing::programDirectory() + "\\embedded";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\engine.dll";
  DeleteFileA(path.c_str());
  const std::string data(300000, 'x');
  ASSERT_TRUE(writeFileAtomically(path, data));
  EXPECT_EQ(readAll(path), data);
  // An existing file is never replaced.
  EXPECT_TRUE(writeFileAtomically(path, "other"));
  EXPECT_EQ(readAll(path), data);
  EXPECT_TRUE(leftovers(folder).empty());

  // Racing writers: each sees a complete file, one of them wins, no temporary file stays.
  DeleteFileA(path.c_str());
  std::vector<std::thread> writers;
  std::vector<int> results(8, 0);
  for (int i = 0; i < 8; ++i)
    writers.emplace_back([&, i] { results[i] = writeFileAtomically(path, std::string(200000, char('a' + i))); });
  for (std::thread& w : writers) w.join();
  for (int ok : results) EXPECT_TRUE(ok);
  const std::string winner = readAll(path);
  ASSERT_EQ(winner.size(), 200000u);
  EXPECT_EQ(winner.find_first_not_of(winner[0]), std::string::npos);
  EXPECT_TRUE(leftovers(folder).empty());

  // A folder that does not exist: no file, no crash.
  EXPECT_FALSE(writeFileAtomically(folder + "\\missing\\x.dll", "data"));
  // A test program carries no resources.
  EXPECT_TRUE(embeddedData(TOVALUX_RES_OLLY).empty());
  EXPECT_FALSE(ensureEmbeddedFile(TOVALUX_RES_OLLY, folder + "\\olly.dll"));
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace tovalux
