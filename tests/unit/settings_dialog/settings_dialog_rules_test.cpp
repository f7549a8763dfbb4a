// What the settings dialog shows for stored values and what a save writes back.
#include "settings/dialog/settings_dialog_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tovalux::settings_dialog {
namespace {

std::vector<std::pair<std::string, std::string>> pairs(const std::vector<SettingWrite>& writes) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const SettingWrite& w : writes) out.emplace_back(w.key, w.value);
  return out;
}

TEST(SettingsDialogFill, RadioPairsFollowTrueAndTheFilesFalseOnly) {
  EXPECT_EQ(pairFill("true"), PairFill::kFirst);
  EXPECT_EQ(pairFill("TRUE"), PairFill::kFirst);
  EXPECT_EQ(pairFill("fasle"), PairFill::kSecond);
  EXPECT_EQ(pairFill("FaSlE"), PairFill::kSecond);
  // "false" is not the file's text for false: both buttons stay as the layout has them.
  for (const char* other : {"false", "", "1", "0", " true", "yes"})
    EXPECT_EQ(pairFill(other), PairFill::kLeave) << other;
}

TEST(SettingsDialogFill, CheckBoxesAreCheckedOnlyForTrue) {
  EXPECT_TRUE(checkFill("true"));
  EXPECT_TRUE(checkFill("True"));
  for (const char* other : {"fasle", "false", "", "1", "truee"}) EXPECT_FALSE(checkFill(other)) << other;
}

TEST(SettingsDialogSave, AllSevenKeysInOrderWhenEveryControlExists) {
  const DialogValues values{true, false, true, false, std::string("宋体"), std::string("12"), std::string("")};
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Caption", "true"},  {"LibTree", "fasle"}, {"CodeTip", "true"},    {"CodeTree", "fasle"},
      {"FontName", "宋体"}, {"FontSize", "12"},   {"MenuButtonWidth", ""}};
  EXPECT_EQ(pairs(saveWrites(values)), expected);
}

TEST(SettingsDialogSave, MissingControlsLeaveTheirKeysAlone) {
  EXPECT_TRUE(saveWrites(DialogValues{}).empty());
  DialogValues old;
  old.caption = false;
  old.codeTree = true;
  old.fontSize = "10";
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Caption", "fasle"}, {"CodeTree", "true"}, {"FontSize", "10"}};
  EXPECT_EQ(pairs(saveWrites(old)), expected);
}

}  // namespace
}  // namespace tovalux::settings_dialog
