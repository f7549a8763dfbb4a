// Every background descriptor of the theme parses and names only colours and images that the
// theme's resource package has.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "shell/descriptors.h"
#include "toolkit/model/theme/descriptor.h"

namespace tovalux {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(Descriptors, EveryRowParsesWithItsStateTable) {
  for (size_t i = 0; i < descriptor::kAll.size(); ++i) {
    const auto info = tk::parseDescriptor(descriptor::kAll[i]);
    ASSERT_TRUE(info.has_value()) << "row " << i + 1;
    EXPECT_FALSE(info->states.empty()) << "row " << i + 1;
  }
}

TEST(Descriptors, NamedColoursAndImagesExistInTheTheme) {
  const std::string resources = readFile(TOVALUX_SOURCE_DIR "/theme/Dark/resource.res");
  ASSERT_FALSE(resources.empty());
  size_t names = 0;
  for (std::string_view row : descriptor::kAll) {
    for (size_t at = row.find("(@"); at != std::string_view::npos; at = row.find("(@", at + 1)) {
      const size_t end = row.find(')', at);
      const std::string name(row.substr(at + 2, end - at - 2));
      ++names;
      EXPECT_NE(resources.find(name), std::string::npos) << name;
    }
  }
  EXPECT_GT(names, 50u);
}

}  // namespace
}  // namespace tovalux
