// The settings file through the INI API, with the defaults written back where they apply.
#include "settings/settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "common/win32_support.h"

namespace tovalux {
namespace {

std::string folder() { return testing::programDirectory() + "\\lib\\Tovalux"; }

std::string fileText() {
  std::ifstream file(settingsFilePath(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA(folder().c_str(), nullptr);
    SetFileAttributesA(settingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(settingsFilePath().c_str());
  }
  void TearDown() override { SetFileAttributesA(settingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL); }

  static void writeFile(const std::string& text) {
    std::ofstream file(settingsFilePath(), std::ios::binary | std::ios::trunc);
    file << text;
  }
};

TEST_F(SettingsTest, FileSitsInTheHostsLibFolder) {
  EXPECT_EQ(settingsFilePath(), testing::programDirectory() + "\\lib\\Tovalux\\Tovalux.ini");
}

TEST_F(SettingsTest, AnEmptyFileGetsItsDefaultsWrittenBack) {
  writeFile("");
  EXPECT_EQ(fontNameSetting(), "微软雅黑");
  EXPECT_EQ(fontSizeSetting(), 9);
  EXPECT_TRUE(captionSetting());
  EXPECT_EQ(menuButtonWidthSetting(), 58);
  EXPECT_TRUE(libTreeSetting());
  EXPECT_FALSE(codeTipSetting());
  EXPECT_FALSE(codeTreeSetting());
  EXPECT_FALSE(propertyGridFontSetting());
  const WindowSize size = windowSizeSetting();
  EXPECT_EQ(size.width, 1100);
  EXPECT_EQ(size.height, 800);

  EXPECT_EQ(readSetting("Theme", "FontName"), "微软雅黑");
  EXPECT_EQ(readSetting("Theme", "FontSize"), "9");
  EXPECT_EQ(readSetting("Theme", "Caption"), "true");
  EXPECT_EQ(readSetting("Theme", "MenuButtonWidth"), "58");
  EXPECT_EQ(readSetting("Theme", "LibTree"), "true");
  // Keys without a written default stay absent.
  const std::string text = fileText();
  for (const char* absent : {"CodeTip", "CodeTree", "WinodwWidth", "WinodwHeight", "修改选项"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}

TEST_F(SettingsTest, BooleansAreTrueOnlyForTrueInAnyCase) {
  writeFile("[Theme]\r\nCaption=fasle\r\nLibTree=false\r\nCodeTip=TRUE\r\nCodeTree=yes\r\n");
  EXPECT_FALSE(captionSetting());
  EXPECT_FALSE(libTreeSetting());
  EXPECT_TRUE(codeTipSetting());
  EXPECT_FALSE(codeTreeSetting());
  EXPECT_EQ(readSetting("Theme", "Caption"), "fasle");  // a present value is never rewritten

  ASSERT_TRUE(writeBoolSetting("Theme", "CodeTip", false));
  EXPECT_EQ(readSetting("Theme", "CodeTip"), "fasle");
  ASSERT_TRUE(writeBoolSetting("Theme", "CodeTip", true));
  EXPECT_EQ(readSetting("Theme", "CodeTip"), "true");
}

TEST_F(SettingsTest, IntegersConvertAsAtoiAndBadOnesFallBack) {
  writeFile("[Theme]\r\nFontSize=12px\r\nMenuButtonWidth=-3\r\nWinodwWidth=0\r\nWinodwHeight=900\r\n");
  EXPECT_EQ(fontSizeSetting(), 12);
  EXPECT_EQ(readSetting("Theme", "FontSize"), "12px");  // usable, so left alone
  EXPECT_EQ(menuButtonWidthSetting(), 58);
  EXPECT_EQ(readSetting("Theme", "MenuButtonWidth"), "58");
  EXPECT_EQ(windowSizeSetting().width, 1100);  // either side below 1: the default size
  EXPECT_EQ(windowSizeSetting().height, 800);

  for (const char* bad : {"abc", "0", "  -1", ""}) {
    ASSERT_TRUE(writeSetting("Theme", "FontSize", bad));
    EXPECT_EQ(fontSizeSetting(), 9) << bad;
    EXPECT_EQ(readSetting("Theme", "FontSize"), "9") << bad;
  }
  ASSERT_TRUE(writeSetting("Theme", "FontSize", "  14"));
  EXPECT_EQ(readIntSetting("Theme", "FontSize"), 14);

  writeWindowSizeSetting({1234, 777});
  EXPECT_EQ(windowSizeSetting().width, 1234);
  EXPECT_EQ(windowSizeSetting().height, 777);
}

// A hand-edited number the shell cannot draw with (MenuButtonWidth=2147483647 overflowed the menu
// bar's sum) reads as the key's default, like one below 1.
TEST_F(SettingsTest, NumbersOutsideTheirRangeReadAsTheDefault) {
  writeFile(
      "[Theme]\r\nFontSize=100000\r\nMenuButtonWidth=2147483647\r\nWinodwWidth=99999999\r\n"
      "WinodwHeight=900\r\n");
  EXPECT_EQ(fontSizeSetting(), 9);
  EXPECT_EQ(readSetting("Theme", "FontSize"), "9");
  EXPECT_EQ(menuButtonWidthSetting(), 58);
  EXPECT_EQ(readSetting("Theme", "MenuButtonWidth"), "58");
  EXPECT_EQ(windowSizeSetting().width, 1100);
  EXPECT_EQ(windowSizeSetting().height, 800);
  ASSERT_TRUE(writeSetting("Theme", "MenuButtonWidth", "400"));
  EXPECT_EQ(menuButtonWidthSetting(), 400);
  ASSERT_TRUE(writeSetting("Theme", "FontSize", "72"));
  EXPECT_EQ(fontSizeSetting(), 72);
}

TEST_F(SettingsTest, GbkSectionsKeysAndValues) {
  ASSERT_TRUE(writeSetting("修改选项", "修改组件属性表格内的字体", "1"));
  EXPECT_TRUE(propertyGridFontSetting());
  ASSERT_TRUE(writeSetting("Theme", "FontName", "宋体"));
  EXPECT_EQ(fontNameSetting(), "宋体");
}

TEST_F(SettingsTest, AMissingFolderFailsSilently) {
  DeleteFileA(settingsFilePath().c_str());
  ASSERT_TRUE(RemoveDirectoryA(folder().c_str()));
  EXPECT_FALSE(writeSetting("Theme", "FontSize", "12"));
  EXPECT_EQ(readSetting("Theme", "FontSize"), "");
  // The defaults still apply in use.
  EXPECT_EQ(fontNameSetting(), "微软雅黑");
  EXPECT_EQ(fontSizeSetting(), 9);
  EXPECT_TRUE(captionSetting());
  EXPECT_EQ(GetFileAttributesA(folder().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenKeepsItsValues) {
  writeFile("[Theme]\r\nFontName=\r\n");
  // Another program holds the file open for itself (a read-only file behaves alike on Windows;
  // Wine running as root writes read-only files anyway).
  HANDLE locked = CreateFileA(settingsFilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(writeSetting("Theme", "FontSize", "12"));
  EXPECT_EQ(fontNameSetting(), "微软雅黑");
  EXPECT_EQ(fontSizeSetting(), 9);
  CloseHandle(locked);
  EXPECT_EQ(fileText(), "[Theme]\r\nFontName=\r\n");
}

}  // namespace
}  // namespace tovalux
