#include "settings/dialog/settings_dialog.h"

#include <windows.h>

#include <string>

#include "base/gbk.h"
#include "base/ui_seams.h"
#include "settings/dialog/settings_dialog_rules.h"
#include "settings/settings.h"
#include "shell/part.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

using settings_dialog::DialogValues;
using settings_dialog::PairFill;

constexpr char kDefaultLayout[] = "lib\\Tovalux\\Dark\\SysSetting.xml";
std::string gLayoutOverride;  // tests only; UI thread

enum Id : int {
  kScrollArea = 10,
  kCaptionYes = 202,
  kCaptionNo = 203,
  kLibTreeYes = 204,
  kLibTreeNo = 205,
  kCodeTip = 206,
  kCodeTree = 207,
  kFontName = 208,
  kChooseFont = 209,
  kFontSize = 210,
  kMenuButtonWidth = 211,
  kNote = 212,
  kSave = 2110,
};

constexpr char kSavedMessage[] = "Tovalux 设置已更新,重启易语言后即可生效!";
constexpr char kSaveFailedMessage[] = "Tovalux 设置保存失败,请检查设置文件是否只读:\r\n";
constexpr char kEmptyFontMessage[] = "字体名称不得为空!";

// Every handler finds its controls through the window its element sits in, so two dialogs open
// at once never read or close each other.
HELE control(HWINDOW dialog, int id, int type) {
  HXCGUI object = XC_GetObjectByID(dialog, id);
  return object != 0 && XC_GetObjectType(object) == type ? static_cast<HELE>(object) : 0;
}
HELE button(HWINDOW dialog, int id) { return control(dialog, id, XC_BUTTON); }
HELE edit(HWINDOW dialog, int id) { return control(dialog, id, XC_EDIT); }

std::optional<bool> checkedState(HWINDOW dialog, int id) {
  HELE b = button(dialog, id);
  if (b == 0) return std::nullopt;
  return XBtn_IsCheck(b);
}
std::optional<std::string> editText(HWINDOW dialog, int id) {
  HELE e = edit(dialog, id);
  if (e == 0) return std::nullopt;
  return utf16ToGbk(XEdit_GetText(e, settings_dialog::kMaxEditChars));
}

void fillPair(HWINDOW dialog, int first, int second, std::string_view key) {
  const PairFill fill = settings_dialog::pairFill(readSetting(setting::kThemeSection, key));
  if (fill == PairFill::kLeave) return;
  const bool firstChecked = fill == PairFill::kFirst;
  // The one being unchecked goes first, so a radio group never holds two checks in between.
  if (HELE b = button(dialog, firstChecked ? second : first)) XBtn_SetCheck(b, false);
  if (HELE b = button(dialog, firstChecked ? first : second)) XBtn_SetCheck(b, true);
}

void fillCheck(HWINDOW dialog, int id, std::string_view key) {
  if (HELE b = button(dialog, id))
    XBtn_SetCheck(b, settings_dialog::checkFill(readSetting(setting::kThemeSection, key)));
}

void fillEdit(HWINDOW dialog, int id, std::string_view key) {
  if (HELE e = edit(dialog, id)) XEdit_SetText(e, gbkToUtf16<XChar>(readSetting(setting::kThemeSection, key)).c_str());
}

void fillFromSettings(HWINDOW dialog) {
  fillPair(dialog, kCaptionYes, kCaptionNo, setting::kCaption);
  fillPair(dialog, kLibTreeYes, kLibTreeNo, setting::kLibTree);
  fillCheck(dialog, kCodeTip, setting::kCodeTip);
  fillCheck(dialog, kCodeTree, setting::kCodeTree);
  fillEdit(dialog, kMenuButtonWidth, setting::kMenuButtonWidth);
  fillEdit(dialog, kFontName, setting::kFontName);
  fillEdit(dialog, kFontSize, setting::kFontSize);
}

int partnerOf(int id) {
  switch (id) {
    case kCaptionYes: return kCaptionNo;
    case kCaptionNo: return kCaptionYes;
    case kLibTreeYes: return kLibTreeNo;
    case kLibTreeNo: return kLibTreeYes;
    default: return 0;
  }
}

// The partner of a changed radio button takes the opposite state (setCheck raises nothing when
// the state is already right, so the two handlers never call each other back and forth).
int onRadioChanged(HELE self, bool checked, bool*) {
  if (HELE partner = button(XEle_GetWindow(self), partnerOf(XEle_GetID(self)))) XBtn_SetCheck(partner, !checked);
  return 0;
}

int onSave(HELE self, bool* handled) {
  *handled = true;
  HWINDOW dialog = XEle_GetWindow(self);
  const DialogValues values{checkedState(dialog, kCaptionYes), checkedState(dialog, kLibTreeYes),
                            checkedState(dialog, kCodeTip),    checkedState(dialog, kCodeTree),
                            editText(dialog, kFontName),       editText(dialog, kFontSize),
                            editText(dialog, kMenuButtonWidth)};
  std::string failed;
  for (const settings_dialog::SettingWrite& write : settings_dialog::saveWrites(values))
    if (!writeSetting(setting::kThemeSection, write.key, write.value))
      failed += std::string(failed.empty() ? "" : ", ") + write.key;
  HWND owner = XWnd_GetHWND(dialog);
  if (!failed.empty()) {
    // The dialog stays open with the user's choices: nothing was lost, and a second try can
    // follow once the file is writable.
    showMessageBox(owner, kSaveFailedMessage + settingsFilePath() + "\r\n(" + failed + ")", "", MB_OK | MB_ICONERROR);
    return 0;
  }
  showMessageBox(owner, kSavedMessage, "", MB_OK | MB_ICONINFORMATION);
  XWnd_CloseWindow(dialog);
  return 0;
}

int onChooseFont(HELE self, bool* handled) {
  *handled = true;
  HWINDOW dialog = XEle_GetWindow(self);
  FontRequest request;
  request.owner = XWnd_GetHWND(dialog);
  request.initial.lfHeight = -16;  // 12 points at 96 dots per inch
  request.initial.lfWeight = FW_NORMAL;
  request.initial.lfCharSet = DEFAULT_CHARSET;
  request.flags = CF_BOTH | CF_EFFECTS | CF_FORCEFONTEXIST;
  request.minSize = 10;
  request.maxSize = 72;
  const FontAnswer answer = askFont(request);
  // A cancelled dialog leaves the face name empty and lands here too.
  const std::string face =
      answer.accepted ? std::string(answer.font.lfFaceName, strnlen(answer.font.lfFaceName, LF_FACESIZE)) : "";
  if (face.empty()) {
    showMessageBox(request.owner, kEmptyFontMessage, "", MB_OK | MB_ICONERROR);
    return 0;
  }
  if (HELE name = edit(dialog, kFontName)) {
    XEdit_SetText(name, gbkToUtf16<XChar>(face).c_str());
    XEle_RedrawEle(name);
  }
  return 0;
}

void restyleScrollBars(HWINDOW dialog) {
  HXCGUI area = XC_GetObjectByID(dialog, kScrollArea);
  if (area == 0 || XC_GetObjectType(area) != XC_SCROLLVIEW) return;
  const int count = XEle_GetChildCount(area);
  for (int i = 0; i < count; ++i) {
    HXCGUI child = XEle_GetChildByIndex(area, i);
    if (XC_GetObjectType(child) != XC_SCROLLBAR) continue;
    HELE bar = static_cast<HELE>(child);
    XEle_SetCssName(bar, L"style_");
    XSBar_ShowButton(bar, false);
    XEle_EnableCSS(XSBar_GetButtonSlider(bar), false);
  }
}

}  // namespace

HWINDOW openSettingsDialog() {
  const std::string fontName = fontNameSetting();
  HFONTX dialogFont = XFont_Create2(gbkToUtf16<XChar>(fontName).c_str(), 14, 0);
  const std::string layout = gLayoutOverride.empty() ? kDefaultLayout : gLayoutOverride;
  HXCGUI loaded = XC_LoadLayout(gbkToUtf16<XChar>(layout).c_str(), shellFrame());
  if (!XC_IsHWINDOW(loaded)) return 0;
  HWINDOW dialog = static_cast<HWINDOW>(loaded);

  restyleScrollBars(dialog);
  for (int id = 1; id <= 5; ++id)
    if (HXCGUI heading = XC_GetObjectByID(dialog, id); XC_GetObjectType(heading) == XC_SHAPE_TEXT)
      XShapeText_SetFont(static_cast<HSHAPE>(heading), dialogFont);
  if (HELE name = edit(dialog, kFontName)) XEdit_EnableReadOnly(name, true);
  if (HXCGUI note = XC_GetObjectByID(dialog, kNote); XC_GetObjectType(note) == XC_SHAPE_TEXT)
    XShapeText_SetFont(static_cast<HSHAPE>(note), XFont_Create2(gbkToUtf16<XChar>(fontName).c_str(), 8, 0));

  fillFromSettings(dialog);
  for (int id : {kCaptionYes, kCaptionNo, kLibTreeYes, kLibTreeNo})
    if (HELE radio = button(dialog, id)) XEle_RegEventC1(radio, XE_BUTTON_CHECK, &onRadioChanged);
  if (HELE save = button(dialog, kSave)) XEle_RegEventC1(save, XE_BNCLICK, &onSave);
  if (HELE choose = button(dialog, kChooseFont)) XEle_RegEventC1(choose, XE_BNCLICK, &onChooseFont);

  XWnd_AdjustLayout(dialog);
  XWnd_ShowWindow(dialog, SW_SHOW);
  return dialog;
}

void openSettingsDialogFromMenu() { openSettingsDialog(); }

const Part kSettingsDialogPart{.name = "settings dialog",
                               .offers = {.openSettingsDialog = &openSettingsDialogFromMenu}};

void setSettingsDialogLayoutForTests(const std::string& relativePath) { gLayoutOverride = relativePath; }

}  // namespace tovalux
