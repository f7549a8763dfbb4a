// The settings dialog in the stand-in IDE: filled from the settings file, the radio partners,
// the seven keys saved with the restart message, an unwritable file, an old or missing layout,
// two dialogs at once and the font choice.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <fstream>
#include <map>
#include <string>

#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "lifecycle/lifecycle.h"
#include "settings/dialog/settings_dialog.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/controls/scrollbar.h"
#include "toolkit/model/core/context.h"
#include "toolkit/win32/xcgui_win32.h"
#include "toolkit/xcgui.h"
#include "wine/toolkit/accessible_reader.h"

namespace tovalux {
namespace {

using testing::HostFixture;
using testing::ScriptedUi;

const bool kResets = (HostFixture::setAfterTeardown([] {
                        resetLifecycleForTests();
                        setSettingsDialogLayoutForTests("");
                      }),
                      true);

constexpr char kSaved[] = "Tovalux 设置已更新,重启易语言后即可生效!";
const char* const kKeys[] = {"Caption", "LibTree", "CodeTip", "CodeTree", "FontName", "FontSize", "MenuButtonWidth"};

XString wide(const std::string& gbk) { return XC_AnsiToUnicode(gbk.c_str()); }

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
    SetFileAttributesA(settingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(settingsFilePath().c_str());
    store({{"Caption", "fasle"},
           {"LibTree", "FASLE"},
           {"CodeTip", "True"},
           {"CodeTree", "fasle"},
           {"FontName", "宋体"},
           {"FontSize", "11"},
           {"MenuButtonWidth", "64"}});
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    settle();
  }

  static void store(const std::map<std::string, std::string>& values) {
    for (const auto& [key, value] : values) ASSERT_TRUE(writeSetting(setting::kThemeSection, key, value)) << key;
  }
  static std::map<std::string, std::string> stored() {
    std::map<std::string, std::string> values;
    for (const char* key : kKeys) values[key] = readSetting(setting::kThemeSection, key);
    return values;
  }

  void settle() { EXPECT_TRUE(testing::serveQueuedMessages()); }

  static HELE element(HWINDOW dialog, int id) { return static_cast<HELE>(XC_GetObjectByID(dialog, id)); }
  static bool checked(HWINDOW dialog, int id) { return XBtn_IsCheck(element(dialog, id)); }
  static std::string text(HWINDOW dialog, int id) { return XC_wtoa(XEdit_GetText(element(dialog, id)).c_str()); }
  static void setText(HWINDOW dialog, int id, const std::string& value) {
    XEdit_SetText(element(dialog, id), wide(value).c_str());
  }
  void click(HWINDOW dialog, int id) {
    XEle_SendEvent(element(dialog, id), XE_BNCLICK);
    settle();
  }

  HostFixture host;
};

TEST_F(SettingsDialogTest, MenuEntryOpensTheDialogFilledFromTheFileAndSaveWritesAllSevenKeys) {
  // Menu "设置(S)" > "Tovalux-主题设置" through the bar's pick event.
  XEle_SendEvent(frameElement("winMainTopMenu"), XE_MENU_SELECT, 1200);
  settle();
  HXCGUI save = XC_GetObjectByID(0, 2110);
  ASSERT_TRUE(XC_IsHELE(save)) << "no dialog";
  HWINDOW dialog = XEle_GetWindow(save);
  EXPECT_TRUE(IsWindowVisible(XWnd_GetHWND(dialog)));

  EXPECT_FALSE(checked(dialog, 202));
  EXPECT_TRUE(checked(dialog, 203));
  EXPECT_FALSE(checked(dialog, 204));  // "FASLE": compared lower-cased
  EXPECT_TRUE(checked(dialog, 205));
  EXPECT_TRUE(checked(dialog, 206));
  EXPECT_FALSE(checked(dialog, 207));
  EXPECT_EQ(text(dialog, 208), "宋体");
  EXPECT_EQ(text(dialog, 210), "11");
  EXPECT_EQ(text(dialog, 211), "64");
  const auto* fontName = tk::context().registry.get<tk::Edit>(element(dialog, 208));
  ASSERT_NE(fontName, nullptr);
  EXPECT_TRUE(fontName->readOnly);

  // The scrolling area's bars: class "style_", no arrow buttons, the slider drawn without CSS.
  HXCGUI area = XC_GetObjectByID(dialog, 10);
  int bars = 0;
  for (int i = 0; i < XEle_GetChildCount(area); ++i) {
    const auto* bar = tk::context().registry.get<tk::ScrollBar>(XEle_GetChildByIndex(area, i));
    if (bar == nullptr) continue;
    ++bars;
    EXPECT_EQ(bar->cssClass, u"style_");
    EXPECT_FALSE(bar->showButtons);
    ASSERT_NE(bar->slider(), nullptr);
    EXPECT_FALSE(bar->slider()->cssEnabled);
  }
  EXPECT_GE(bars, 1);

  // Each radio button's partner takes the opposite state, both ways.
  XBtn_SetCheck(element(dialog, 202), true);
  EXPECT_FALSE(checked(dialog, 203));
  XBtn_SetCheck(element(dialog, 202), false);
  EXPECT_TRUE(checked(dialog, 203));
  XBtn_SetCheck(element(dialog, 202), true);
  XBtn_SetCheck(element(dialog, 204), true);
  EXPECT_FALSE(checked(dialog, 205));
  XBtn_SetCheck(element(dialog, 205), true);
  EXPECT_FALSE(checked(dialog, 204));
  XBtn_SetCheck(element(dialog, 204), true);

  XBtn_SetCheck(element(dialog, 206), false);
  XBtn_SetCheck(element(dialog, 207), true);
  setText(dialog, 210, "13");
  setText(dialog, 211, "70");
  host.ui().answerMessageBox(IDOK);
  click(dialog, 2110);

  const std::map<std::string, std::string> expected = {
      {"Caption", "true"},  {"LibTree", "true"}, {"CodeTip", "fasle"},     {"CodeTree", "true"},
      {"FontName", "宋体"}, {"FontSize", "13"},  {"MenuButtonWidth", "70"}};
  EXPECT_EQ(stored(), expected);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kSaved);
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_FALSE(XC_IsHWINDOW(dialog)) << "save closes the dialog";
}

TEST_F(SettingsDialogTest, UnknownValuesLeaveTheRadiosAsTheLayoutHasThem) {
  store({{"Caption", "false"}, {"LibTree", ""}, {"CodeTip", "1"}});
  HWINDOW dialog = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(dialog));
  // The layout checks 202 and 204.
  EXPECT_TRUE(checked(dialog, 202));
  EXPECT_FALSE(checked(dialog, 203));
  EXPECT_TRUE(checked(dialog, 204));
  EXPECT_FALSE(checked(dialog, 205));
  EXPECT_FALSE(checked(dialog, 206));
  XWnd_CloseWindow(dialog);
}

TEST_F(SettingsDialogTest, AnUnwritableFileShowsAnErrorKeepsTheDialogAndLosesNothing) {
  const std::map<std::string, std::string> before = stored();
  HWINDOW dialog = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(dialog));
  setText(dialog, 211, "99");
  XBtn_SetCheck(element(dialog, 202), true);
  // Read-only, and held open without sharing (the test runs as root, for whom the attribute
  // alone may not stop a write).
  ASSERT_TRUE(SetFileAttributesA(settingsFilePath().c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE held = CreateFileA(settingsFilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  host.ui().answerMessageBox(IDOK);
  click(dialog, 2110);
  CloseHandle(held);
  SetFileAttributesA(settingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(stored(), before);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text, kSaved);
  EXPECT_NE(boxes[0].text.find("Tovalux.ini"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  ASSERT_TRUE(XC_IsHWINDOW(dialog)) << "the user's choices stay on screen";
  EXPECT_EQ(text(dialog, 211), "99");

  // Writable again: the same dialog saves.
  host.ui().answerMessageBox(IDOK);
  click(dialog, 2110);
  EXPECT_EQ(readSetting(setting::kThemeSection, "MenuButtonWidth"), "99");
  EXPECT_EQ(readSetting(setting::kThemeSection, "Caption"), "true");
  EXPECT_FALSE(XC_IsHWINDOW(dialog));
}

TEST_F(SettingsDialogTest, AnOldLayoutSavesOnlyTheKeysItHasControlsFor) {
  // An older layout: the title-bar pair, the code-tip box and save; nothing else.
  const std::string relative = "lib\\Tovalux\\Dark\\SysSettingOld_test.xml";
  {
    std::ofstream file(relative, std::ios::binary);  // theme paths are relative to the host folder
    file << R"(<?xml version="1.0" encoding="UTF-8"?>
<window title="old" width="300" height="200">
  <layout width="fill" height="fill" flow="vertical">
    <button id="202" type="radio" group="1" width="100" height="22" text="a"/>
    <button id="203" type="radio" group="1" width="100" height="22" text="b"/>
    <button id="206" type="checkBox" width="100" height="22" text="c"/>
    <button id="2110" width="80" height="26" text="save"/>
  </layout>
</window>
)";
  }
  setSettingsDialogLayoutForTests(relative);
  std::map<std::string, std::string> expected = stored();
  HWINDOW dialog = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(dialog));
  EXPECT_TRUE(checked(dialog, 203));
  EXPECT_TRUE(checked(dialog, 206));
  XBtn_SetCheck(element(dialog, 202), true);
  XBtn_SetCheck(element(dialog, 206), false);
  host.ui().answerMessageBox(IDOK);
  click(dialog, 2110);
  DeleteFileA(relative.c_str());

  expected["Caption"] = "true";
  expected["CodeTip"] = "fasle";
  EXPECT_EQ(stored(), expected) << "LibTree, CodeTree, the font and the sizes stay the user's";
  ASSERT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u);

  // No layout at all: no dialog, nothing written, nothing shown.
  setSettingsDialogLayoutForTests("lib\\Tovalux\\Dark\\NoSuchSetting.xml");
  EXPECT_EQ(openSettingsDialog(), 0u);
  EXPECT_EQ(stored(), expected);
}

TEST_F(SettingsDialogTest, EachDialogSavesAndClosesOnlyItself) {
  HWINDOW first = openSettingsDialog();
  HWINDOW second = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(first));
  ASSERT_TRUE(XC_IsHWINDOW(second));
  ASSERT_NE(first, second);
  setText(first, 211, "42");
  setText(second, 211, "99");
  XBtn_SetCheck(element(second, 202), true);
  EXPECT_TRUE(checked(first, 203)) << "a radio partner in the other dialog";

  host.ui().answerMessageBox(IDOK);
  click(first, 2110);
  EXPECT_EQ(readSetting(setting::kThemeSection, "MenuButtonWidth"), "42");
  EXPECT_EQ(readSetting(setting::kThemeSection, "Caption"), "fasle");
  EXPECT_FALSE(XC_IsHWINDOW(first));
  ASSERT_TRUE(XC_IsHWINDOW(second));

  host.ui().answerMessageBox(IDOK);
  click(second, 2110);
  EXPECT_EQ(readSetting(setting::kThemeSection, "MenuButtonWidth"), "99");
  EXPECT_EQ(readSetting(setting::kThemeSection, "Caption"), "true");
  EXPECT_FALSE(XC_IsHWINDOW(second));
}

TEST_F(SettingsDialogTest, FontChoicePutsTheFaceIntoTheNameAndACancelShowsTheError) {
  HWINDOW dialog = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(dialog));
  LOGFONTA font{};
  lstrcpyA(font.lfFaceName, "黑体");
  host.ui().answerFont(font, 140);
  click(dialog, 209);
  EXPECT_EQ(text(dialog, 208), "黑体");
  const auto asked = host.ui().calls(ScriptedUi::Kind::kFont);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].flags & (CF_BOTH | CF_EFFECTS | CF_FORCEFONTEXIST),
            static_cast<UINT>(CF_BOTH | CF_EFFECTS | CF_FORCEFONTEXIST));

  host.ui().cancelFont();
  host.ui().answerMessageBox(IDOK);
  click(dialog, 209);
  EXPECT_EQ(text(dialog, 208), "黑体");
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "字体名称不得为空!");
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  XWnd_CloseWindow(dialog);
}

// CTest runs this program at 96, 144 and 192 dpi: the layout's 96-dpi sizes on the screen are
// times dpi / 96, read as a screen reader reads them.
TEST_F(SettingsDialogTest, TheDialogShowsItsLayoutSizesAtTheSystemDpi) {
  HWINDOW dialog = openSettingsDialog();
  ASSERT_TRUE(XC_IsHWINDOW(dialog));
  settle();
  const HWND window = XWnd_GetHWND(dialog);
  const double k = XWnd_GetDPI(dialog) / 96.0;
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(XWnd_GetDPI(dialog), GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_NEAR(client.right, 480 * k, 1);
  EXPECT_NEAR(client.bottom, 520 * k, 1);

  // The first radio button: 150 x 22 units, where the layout put it.
  const testing::Acc root = testing::clientOf(window);
  RECT units{};
  XEle_GetClientRect(element(dialog, 202), &units);
  XEle_RectClientToWndClient(element(dialog, 202), &units);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const testing::Acc radio = testing::nearest(
      root, ROLE_SYSTEM_RADIOBUTTON, {origin.x + std::lround(units.left * k), origin.y + std::lround(units.top * k)});
  ASSERT_TRUE(radio);
  const RECT r = radio.bounds();
  EXPECT_NEAR(r.left - origin.x, units.left * k, 2);
  EXPECT_NEAR(r.top - origin.y, units.top * k, 2);
  EXPECT_NEAR(r.right - r.left, 150 * k, 1);
  EXPECT_NEAR(r.bottom - r.top, 22 * k, 1);
  XWnd_CloseWindow(dialog);
  settle();
}

}  // namespace
}  // namespace tovalux
