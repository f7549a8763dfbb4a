// The host-control table's own consistency: what the router and the kept handles rely on.
#include "host/host_control_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tovalux {
namespace {

TEST(HostControlTable, RowsAreInEnumOrderWithDistinctPathsAndAccessors) {
  std::set<std::vector<int32_t>> paths;
  std::set<std::string> accessors;
  for (size_t i = 0; i < std::size(kHostControls); ++i) {
    const HostControlRow& row = kHostControls[i];
    SCOPED_TRACE(row.role);
    EXPECT_EQ(static_cast<size_t>(row.control), i);
    ASSERT_LE(row.path.length, row.path.ids.size());
    if (row.path.length == 0) {
      EXPECT_STREQ(row.accessor, "");
      continue;
    }
    EXPECT_EQ(row.path.ids[row.path.length - 1], row.path.id);
    EXPECT_TRUE(paths.insert({row.path.ids.begin(), row.path.ids.begin() + row.path.length}).second);
    EXPECT_TRUE(accessors.insert(row.accessor).second);
  }
  // The two tool bars share an id at different depths.
  EXPECT_EQ(hostControlId(HostControl::kTopToolBar), hostControlId(HostControl::kMainToolBar));
}

TEST(HostControlTable, EveryMirrorSlotBelongsToExactlyOneRow) {
  std::vector<int> owners(static_cast<size_t>(MirrorSlot::kCount), 0);
  for (const HostControlRow& row : kHostControls) {
    SCOPED_TRACE(row.role);
    if (row.first == MirrorSlot::kCount) {
      EXPECT_EQ(row.second, MirrorSlot::kCount);  // a second consumer follows a first one
      continue;
    }
    ++owners[static_cast<size_t>(row.first)];
    if (row.second != MirrorSlot::kCount) ++owners[static_cast<size_t>(row.second)];
  }
  for (size_t slot = 0; slot < owners.size(); ++slot) EXPECT_EQ(owners[slot], 1) << slot;
  EXPECT_EQ(secondMirror(HostControl::kTipsText), MirrorSlot::kTipsStatus);
  EXPECT_EQ(secondMirror(HostControl::kOutputText), MirrorSlot::kOutputScan);
  EXPECT_EQ(firstMirror(HostControl::kProgramTree), MirrorSlot::kProgramTree);
  EXPECT_EQ(firstMirror(HostControl::kPropertyGrid), MirrorSlot::kCount);
}

}  // namespace
}  // namespace tovalux
