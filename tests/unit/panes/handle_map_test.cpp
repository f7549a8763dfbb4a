#include "panes/handle_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

namespace tovalux::testing {
namespace {

void expectSame(const HandleMap& map, const std::unordered_map<uint32_t, int>& model,
                const std::vector<uint32_t>& keys) {
  ASSERT_EQ(map.size(), model.size());
  for (const uint32_t key : keys) {
    const int* found = map.find(key);
    const auto expected = model.find(key);
    if (expected == model.end()) {
      ASSERT_EQ(found, nullptr) << key;
    } else {
      ASSERT_NE(found, nullptr) << key;
      ASSERT_EQ(*found, expected->second) << key;
    }
  }
}

// Erases `key` or puts `value` under it, in the map and in the model alike; answers whether an
// erase found the same in both.
bool sameStep(HandleMap& map, std::unordered_map<uint32_t, int>& model, uint32_t key, bool erase, int value) {
  if (erase) return map.erase(key) == (model.erase(key) == 1);
  map.put(key, value);
  model[key] = value;
  return true;
}

// Handles of one heap (alike in their low bits) and any others put, replaced and erased at
// random: the map answers what a hash map answers. Erasing moves later entries back into the
// hole, across the table's end too, so that no probe stops before its key.
TEST(HandleMap, AnswersWhatAHashMapAnswersThroughGrowthReplacementAndErasure) {
  std::mt19937 random(20261211);
  std::vector<uint32_t> keys{0, 0xFFFFFFFFu};
  for (uint32_t k = 0; k < 600; ++k) keys.push_back(0x00A30000u + k * 0x38);
  for (int k = 0; k < 1400; ++k) keys.push_back(static_cast<uint32_t>(random()));
  HandleMap map;
  std::unordered_map<uint32_t, int> model;
  for (int step = 0; step < 60000; ++step) {
    const uint32_t key = keys[random() % keys.size()];
    const bool erase = random() % 3 == 0;
    EXPECT_TRUE(sameStep(map, model, key, erase, static_cast<int>(random() % 1000) - 500)) << key;
    if (step % 97 == 0) expectSame(map, model, keys);
  }
  expectSame(map, model, keys);
  for (const uint32_t key : keys) {
    EXPECT_EQ(map.erase(key), model.erase(key) == 1);
  }
  EXPECT_EQ(map.size(), 0u);
  map.put(5, 1);
  map.clear();
  EXPECT_EQ(map.find(5), nullptr);
  map.put(5, 2);
  ASSERT_NE(map.find(5), nullptr);
  EXPECT_EQ(*map.find(5), 2);
}

// A dozen keys in a table of sixteen slots: clusters run across the table's end all the time,
// and the map is compared after every step.
TEST(HandleMap, SmallTablesWhoseClustersWrapAroundKeepEveryKeyFindable) {
  std::mt19937 random(7);
  for (int pool = 0; pool < 300; ++pool) {
    std::vector<uint32_t> keys;
    for (int k = 0; k < 12; ++k) keys.push_back(static_cast<uint32_t>(random()) | 1);
    HandleMap map;
    std::unordered_map<uint32_t, int> model;
    for (int step = 0; step < 200; ++step) {
      const uint32_t key = keys[random() % keys.size()];
      ASSERT_TRUE(sameStep(map, model, key, random() % 2 == 0, step)) << key;
      expectSame(map, model, keys);
    }
  }
}

}  // namespace
}  // namespace tovalux::testing
