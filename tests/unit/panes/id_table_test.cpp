#include "panes/id_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tovalux::testing {
namespace {

std::vector<std::pair<int, std::string>> contents(const IdTable<std::string>& table) {
  std::vector<std::pair<int, std::string>> out;
  table.forEach([&](int id, const std::string& value) { out.emplace_back(id, value); });
  return out;
}

using Contents = std::vector<std::pair<int, std::string>>;

TEST(IdTable, IdsFromAnyBaseInAnyOrderWithHolesLeftByErases) {
  IdTable<std::string> table;
  ASSERT_NE(table.put(1000, "a"), nullptr);
  table.put(1002, "c");
  table.put(998, "before");  // an id under the first one is put in front
  table.put(1001, "b");
  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(contents(table), (Contents{{998, "before"}, {1000, "a"}, {1001, "b"}, {1002, "c"}}));
  EXPECT_EQ(table.find(999), nullptr);
  EXPECT_EQ(table.find(997), nullptr);
  EXPECT_EQ(table.find(1003), nullptr);
  EXPECT_EQ(table.find(-5), nullptr);

  table.put(1001, "B");  // replaced, not counted twice
  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(*table.find(1001), "B");

  EXPECT_TRUE(table.erase(1000));
  EXPECT_FALSE(table.erase(1000));
  EXPECT_FALSE(table.erase(999));
  EXPECT_EQ(table.find(1000), nullptr);
  EXPECT_EQ(contents(table), (Contents{{998, "before"}, {1001, "B"}, {1002, "c"}}));
}

TEST(IdTable, TheLastEraseEmptiesItAndTheNextIdStartsAfresh) {
  IdTable<std::string> table;
  table.put(1, "one");
  table.put(2, "two");
  table.erase(2);
  table.erase(1);
  EXPECT_TRUE(table.empty());
  // A tree emptied and filled again hands out ids after the old ones.
  table.put(5000000, "again");
  EXPECT_EQ(contents(table), (Contents{{5000000, "again"}}));
  table.clear();
  EXPECT_EQ(table.find(5000000), nullptr);
  table.put(INT32_MIN, "lowest");
  table.put(INT32_MIN + 1, "next");
  EXPECT_EQ(contents(table), (Contents{{INT32_MIN, "lowest"}, {INT32_MIN + 1, "next"}}));
}

TEST(IdTable, AnIdFarFromTheOthersIsRefusedInsteadOfReservingRoomForMillions) {
  IdTable<int> table;
  for (int id = 1; id <= 100; ++id) table.put(id, id);
  EXPECT_EQ(table.put(INT32_MAX, 7), nullptr);
  EXPECT_EQ(table.put(-2000000000, 7), nullptr);
  EXPECT_EQ(table.size(), 100u);
  EXPECT_EQ(table.find(INT32_MAX), nullptr);
  // Ids that keep up with the count are always taken, however far they go.
  for (int id = 101; id <= 200000; ++id) ASSERT_NE(table.put(id, id), nullptr);
  EXPECT_EQ(table.size(), 200000u);
}

}  // namespace
}  // namespace tovalux::testing
