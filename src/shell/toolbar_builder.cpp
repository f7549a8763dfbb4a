#include "shell/toolbar_builder.h"

#include "base/gbk.h"
#include "base/guard.h"
#include "shell/descriptors.h"

namespace tovalux {
namespace {

constexpr int kButtonSize = 20;
constexpr int kSeparatorWidth = 2;
constexpr int kSeparatorHeight = 21;

void setDescriptor(HXCGUI element, std::string_view descriptor) {
  XBkM_SetBkInfo(XEle_GetBkManager(element), gbkToUtf16<XChar>(descriptor).c_str());
}

}  // namespace

bool ToolBarBuilder::attach(HXCGUI toolBar) {
  bar_ = XC_IsHXCGUI(toolBar, XC_TOOLBAR) ? static_cast<HELE>(toolBar) : 0;
  return bar_ != 0;
}

bool ToolBarBuilder::attached() const { return XC_IsHXCGUI(bar_, XC_TOOLBAR); }

HELE ToolBarBuilder::addButton(std::string_view tooltip, HIMAGE image, HIMAGE disabledImage, bool useDisabledImage) {
  if (!attached()) return 0;
  HELE button = XBtn_Create(0, 0, kButtonSize, kButtonSize, L"", bar_);
  if (button == 0) return 0;
  if (image != 0) XBtn_SetIcon(button, image);
  XEle_SetToolTip(button, gbkToUtf16<XChar>(tooltip).c_str());
  setDescriptor(button, descriptor::kToolBarButton);
  if (useDisabledImage && disabledImage != 0) XBtn_SetIconDisable(button, disabledImage);
  XToolBar_InsertEle(bar_, button, -1);
  return button;
}

HELE ToolBarBuilder::addButton(std::string_view tooltip, HIMAGE image, HIMAGE disabledImage, bool useDisabledImage,
                               ClickHandler onClick) {
  HELE button = addButton(tooltip, image, disabledImage, useDisabledImage);
  if (button != 0 && onClick) {
    XEle_RegEventC1(button, XE_BNCLICK, [onClick = std::move(onClick)](HELE self, bool*) {
      guarded(GuardSite::kToolkit, [&] { onClick(self); });
      return 0;
    });
  }
  return button;
}

HELE ToolBarBuilder::addSeparator() {
  if (!attached()) return 0;
  HELE separator = XEle_Create(0, 0, kSeparatorWidth, kSeparatorHeight, bar_);
  if (separator == 0) return 0;
  setDescriptor(separator, descriptor::kToolBarSeparator);
  XEle_EnableMouseThrough(separator, true);
  XToolBar_InsertEle(bar_, separator, -1);
  return separator;
}

HELE ToolBarBuilder::addElement(HELE element) {
  if (!attached() || !XC_IsHELE(element)) return 0;
  XToolBar_InsertEle(bar_, element, -1);
  return element;
}

int ToolBarBuilder::count() const { return attached() ? XToolBar_GetEleCount(bar_) : 0; }

HELE toolBarElement(HXCGUI toolBar, int position) {
  if (!XC_IsHXCGUI(toolBar, XC_TOOLBAR) || position < 0) return 0;
  return XToolBar_GetEle(static_cast<HELE>(toolBar), position);
}

std::string themeImagePath(std::string_view folder, std::string_view file) {
  std::string path = "lib\\Tovalux\\Dark\\Images\\";
  path.append(folder);
  if (!folder.empty() && folder.back() != '\\') path.push_back('\\');
  path.append(file);
  return path;
}

HIMAGE loadThemeImage(std::string_view folder, std::string_view file) {
  if (file.empty()) return 0;
  return XImage_LoadFile(gbkToUtf16<XChar>(themeImagePath(folder, file)).c_str(), false);
}

HIMAGE loadToolIcon(std::string_view file) { return loadThemeImage("wintools", file); }
HIMAGE loadToolIconDisabled(std::string_view file) { return loadThemeImage("wintools\\displayIcon", file); }

}  // namespace tovalux
