#include "toolkit/win32/gallery/gallery.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/gbk.h"
#include "base/win32_handles.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::gallery {

namespace look {
const wchar_t* const kTopEdge =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(7)3(0,0,0,1)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"98:16(0,1,2,3);}";
const wchar_t* const kRightEdge =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"98:16(0,1);}";
const wchar_t* const kLeftEdge =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"98:16(0,1);}";
const wchar_t* const kBottomEdge =
    L"{99:1.9.9;5:2(15)3(0,6,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(7)3(1,0,1,6)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    L"5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"98:16(0,1,2,3);}";
const wchar_t* const kPane =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_PaneBd);"
    L"5:2(15)20(1)21(3)26(0)22(-3376640)23(255);5:2(13)3(1,1,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    L"3:2(37)3(60,5,60,0)4(@paneSP.png);3:2(37)3(60,5,60,0)4(@paneSP1.png);"
    L"98:1073741952(1,4)16(0)-2147483520(0,2,3);}";
const wchar_t* const kComboAway =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ComboBoxBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_PaneBd);"
    L"5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_PaneBd);3:2(36)3(6,3,3,3)4(@cd.png);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    L"5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,5,3,100)4(@cd.png);98:16(0,1,2)64(3,4,5);}";
const wchar_t* const kComboOver =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    L"5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    L"3:2(36)3(6,3,3,3)4(@cd.png);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    L"5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,5,3,100)4(@cd.png);98:16(0,1,2)64(3,4,5);}";
const wchar_t* const kNavComboOver =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);3:2(36)3(6,3,3,100)4(@cd2.png);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    L"5:2(14)3(13,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,3,3,100)4(@cd.png);"
    L"5:2(14)3(1,0,12,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_3);"
    L"98:16(0,5,6,1)64(2,3,4);}";
const wchar_t* const kNavComboAway =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ComboBoxBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    L"3:2(36)3(6,3,3,100)4(@cd.png);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    L"5:2(14)3(13,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,3,3,100)4(@cd.png);98:16(0,1)64(2,3,4);}";
const wchar_t* const kMenuBarButton =
    L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-13619923)23(255);5:2(15)20(1)21(3)26(0)22(-12566978)23(255);"
    L"5:2(15)20(1)21(3)26(0)22(-14935269)23(255);5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-13159629)23(255);"
    L"5:2(7)3(0,0,0,1)20(1)21(3)26(0)22(-13159629)23(255);5:2(14)3(1,0,0,0)20(1)21(3)26(0)22(-13159629)23(255);"
    L"98:16(0)32(1)64(2,3,4,5);}";
const wchar_t* const kMenuBarOpen =
    L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-14935269)23(255);5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-13159629)23(255);"
    L"5:2(7)3(0,0,0,1)20(1)21(3)26(0)22(-13159629)23(255);5:2(14)3(1,0,0,0)20(1)21(3)26(0)22(-13159629)23(255);"
    L"98:16(0,1,2,3)32(0,1,2,3)64(0,1,2,3);}";
const wchar_t* const kMenuBarHover = L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-12566978)23(255);98:16(0)32(0)64(0);}";
const wchar_t* const kMenuBarLeave = L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-13619923)23(255);98:16(0)32(0)64(0);}";
const wchar_t* const kFloatingPane =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"3:2(37)3(60,5,10,100)4(@paneSP1.png);98:4(0,4)16(1)32(2)8(3);}";
const wchar_t* const kFloatingDisassembly =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"3:2(37)3(70,5,10,100)4(@paneSP1.png);98:4(0,4)16(1)32(2)8(3);}";
const wchar_t* const kTabCloseInactive =
    L"{99:1.9.9;3:2(15)4(@tabBarNcClose.png);3:2(15)4(@tabBarNcClose1.png);3:2(15)4(@tabBarNcClose2.png);"
    L"98:16(0)32(1)64(2);}";
const wchar_t* const kTabCloseActive =
    L"{99:1.9.9;3:2(15)4(@tabBarActClose.png);3:2(15)4(@tabBarActClose1.png);3:2(15)4(@tabBarActClose2.png);"
    L"98:16(0)32(1)64(2);}";
const wchar_t* const kCodeTab =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(15)3(0,0,0,1)20(1)21(5)26(0)25(@ID_COLOR_CodeTab_Btn_Hov)"
    L";"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"98:272(0)288(2,1)320(0,1)128(3);}";
const wchar_t* const kTreeExpand =
    L"{99:1.9.9;3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgnWhite.png);"
    L"3:2(15)4(@CollapseRgn_xWhite.png);98:272(0)288(1)320(2)128(3);}";
const wchar_t* const kToolButton =
    L"{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ToolBtnHov);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_LibTreeSelect);"
    L"5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);98:272(0)288(1)320(2)128(3)2(4);}";
const wchar_t* const kToolSeparator =
    L"{99:1.9.9;5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-14540254)23(255);"
    L"5:2(11)3(1,0,1,0)20(1)21(3)26(0)22(-11909562)23(255);98:16(0,1);}";
}  // namespace look

namespace {

void setLook(HXCGUI element, const wchar_t* descriptor) {
  if (XC_IsHELE(element)) XBkM_SetBkInfo(XEle_GetBkManager(element), descriptor);
}

HELE named(const wchar_t* name) { return XC_GetObjectByName(name); }

// --- tool bars ---------------------------------------------------------------------------

struct ToolItem {
  const wchar_t* icon;  // nullptr: a separator
  const wchar_t* tip;
  bool enabled;
};

HELE addSeparator(HELE bar) {
  HELE separator = XEle_Create(0, 0, 2, 21, bar);
  setLook(separator, look::kToolSeparator);
  XEle_EnableMouseThrough(separator, true);
  XToolBar_InsertEle(bar, separator, -1);
  return separator;
}

// A tool-bar button in the shell's look; `disabledIcon` 0: the button has no disabled icon.
HELE addToolButton(HELE bar, HIMAGE icon, HIMAGE disabledIcon, const wchar_t* tip, bool enabled) {
  HELE button = XBtn_Create(0, 0, 20, 20, L"", bar);
  XBtn_SetIcon(button, icon);
  if (disabledIcon != 0) XBtn_SetIconDisable(button, disabledIcon);
  XEle_SetToolTip(button, tip);
  setLook(button, look::kToolButton);
  if (!enabled) XEle_Enable(button, false);
  XToolBar_InsertEle(bar, button, -1);
  return button;
}

// A button of the main tool bars, its icons from the theme's wintools folder.
HELE addToolButton(HELE bar, const std::wstring& images, const ToolItem& item) {
  HIMAGE icon = XImage_LoadFile((images + L"\\wintools\\" + item.icon).c_str(), false);
  HIMAGE disabled = XImage_LoadFile((images + L"\\wintools\\displayIcon\\" + item.icon).c_str(), false);
  return addToolButton(bar, icon, disabled, item.tip, item.enabled);
}

void buildToolBars(Gallery& g, const std::wstring& images) {
  // The main tool bar with no project loaded and a program ready to run: edit commands off,
  // build and run on, debugging commands off.
  static const ToolItem kMain[] = {
      {L"Backward_16x.png", L"后退", false},
      {L"Forward_16x.png", L"前进", false},
      {nullptr, nullptr, false},
      {L"NewFileCollection_16x.png", L"新建", true},
      {L"OpenFolder_16x.png", L"打开", true},
      {L"SaveStatusBar1_16x.png", L"保存", true},
      {nullptr, nullptr, false},
      {L"Cut_16x.png", L"剪切", false},
      {L"Copy_16x.png", L"复制", true},
      {L"Paste_16x.png", L"粘贴", true},
      {L"Undo_16x.png", L"撤销", false},
      {L"Redo_16x.png", L"重做", false},
      {nullptr, nullptr, false},
      {L"BuildSelection_16x.png", L"编译", true},
      {L"BuildSolution_16x.png", L"静态编译", true},
      {nullptr, nullptr, false},
      {L"Run_16x.png", L"运行", true},
      {L"Stop_16x.png", L"终止", false},
      {L"ToggleAllBreakpoints_16x.png", L"设置或清除断点", true},
      {L"StepOver_16x.png", L"单步跟踪", false},
      {L"StepIn_16x.png", L"单步跟踪进入", false},
      {L"StepOut_16x.png", L"跟踪返回", false},
      {nullptr, nullptr, false},
      {L"Bookmark_16x.png", L"设置或取消书签", true},
      {L"PreviousBookmark_16x.png", L"到上一个书签", true},
      {L"NextBookmark_16x.png", L"到下一个书签", true},
      {nullptr, nullptr, false},
      {L"Settings_16x.png", L"系统设置", true},
  };
  if (XC_IsHXCGUI(g.toolBar0, XC_TOOLBAR)) {
    for (const ToolItem& item : kMain) {
      if (item.icon == nullptr) {
        addSeparator(g.toolBar0);
        continue;
      }
      HELE button = addToolButton(g.toolBar0, images, item);
      g.toolButtons.push_back(button);
      if (std::wstring(item.icon) == L"Run_16x.png") g.runButton = button;
      if (std::wstring(item.icon) == L"Stop_16x.png") g.stopButton = button;
    }
    // A check-type button in its checked look (the word-wrap switch of the output pane).
    g.wrapButton = addToolButton(g.toolBar0, images, {L"TextLineHeight_16x.png", L"切换自动换行", true});
    XBtn_SetType(g.wrapButton, button_type_check);
    XBtn_SetCheck(g.wrapButton, true);
  }
  // The window-designer tool bar while no designer page is open: every button disabled.
  static const ToolItem kDesigner[] = {
      {L"RunTestDialog_16x.png", L"预览", false},
      {nullptr, nullptr, false},
      {L"AlignLeft_16x.png", L"左对齐", false},
      {L"AlignRight_16x.png", L"右对齐", false},
      {L"AlignTop_16x.png", L"顶对齐", false},
      {L"AlignBottom_16x.png", L"底对齐", false},
      {nullptr, nullptr, false},
      {L"TextCenterInFormHorizontal_16x.png", L"水平居中", false},
      {L"CenterInFormVertical_16x.png", L"垂直居中", false},
      {nullptr, nullptr, false},
      {L"SpaceAcross_16x.png", L"水平等距", false},
      {L"SpaceDown_16x.png", L"垂直等距", false},
  };
  if (XC_IsHXCGUI(g.toolBar1, XC_TOOLBAR))
    for (const ToolItem& item : kDesigner) {
      if (item.icon == nullptr)
        addSeparator(g.toolBar1);
      else
        addToolButton(g.toolBar1, images, item);
    }
}

// --- menu bar ------------------------------------------------------------------------------

struct MenuEntry {
  const wchar_t* text;  // nullptr: a separator
  const wchar_t* shortcut;
  const wchar_t* icon;
  int flags;
  std::vector<MenuEntry> sub;
};

// The label the shell hands to the toolkit: the text, then spaces up to 34 GBK bytes, then the
// shortcut; the owner drawing splits it again.
std::wstring menuLabel(const wchar_t* text, const wchar_t* shortcut) {
  std::wstring both = std::wstring(text) + shortcut;
  const int bytes = static_cast<int>(utf16ToGbk(both).size());
  return std::wstring(text) + std::wstring(static_cast<size_t>(std::max(0, 34 - bytes)), L' ') + shortcut;
}

void addMenuEntries(HMENUX menu, const std::vector<MenuEntry>& entries, int firstId, int parentId,
                    const std::wstring& images) {
  int id = firstId;
  for (const MenuEntry& e : entries) {
    if (e.text == nullptr) {
      XMenu_AddItem(menu, 0, L"", parentId, menu_item_flag_separator);
      continue;
    }
    std::wstring label = menuLabel(e.text, e.shortcut);
    if (e.icon != nullptr)
      XMenu_AddItemIcon(menu, id, label.c_str(), parentId,
                        XImage_LoadFile((images + L"\\winMenu\\" + e.icon).c_str(), false), e.flags);
    else
      XMenu_AddItem(menu, id, label.c_str(), parentId, e.flags);
    if (!e.sub.empty()) addMenuEntries(menu, e.sub, id * 10, id, images);
    ++id;
  }
}

// Owner drawing of the pop-ups in the dark look the shell draws them in.
int drawMenuBackground(HELE bar, HDRAW draw, XMenuDrawBackgroundInfo* info, bool*) {
  RECT r{};
  XWnd_GetDrawRect(info->window, &r);
  XDraw_FillRectColor(draw, &r, RGB(51, 51, 51), 255);
  InflateRect(&r, -1, -1);
  XDraw_FillRectColor(draw, &r, RGB(27, 27, 28), 255);
  // Under the open bar button the pop-up's top frame line is erased: button and menu are one shape.
  for (int i = 0; info->parentId == -1 && i < XEle_GetChildCount(bar); ++i)
    if (XMenuBar_GetMenu(bar, i) == info->menu) {
      XDraw_SetBrushColor(draw, RGB(27, 27, 28), 255);
      XDraw_DrawLine(draw, 1, 0, XEle_GetWidth(XEle_GetChildByIndex(bar, i)) - 2, 0);
    }
  return 0;
}

int drawMenuItem(HDRAW draw, XMenuDrawItemInfo* info, bool*) {
  const RECT r{info->rect.left, info->rect.top, info->rect.right, info->rect.bottom};
  const int state = info->state;
  if (state == menu_item_flag_separator) {
    XDraw_SetBrushColor(draw, RGB(51, 51, 52), 255);
    const int y = r.top + (r.bottom - r.top) / 2;
    XDraw_DrawLine(draw, 32, y, r.right - 6, y);
    return 0;
  }
  if (state == menu_item_flag_hot || state == (menu_item_flag_hot | menu_item_flag_popup))
    XDraw_FillRectColor(draw, &r, RGB(51, 51, 52), 255);
  if (state & menu_item_flag_popup) {
    POINT tri[3] = {{r.right - 12, r.top + 5}, {r.right - 12, r.top + 15}, {r.right - 7, r.top + 10}};
    const COLORREF color = state == (menu_item_flag_hot | menu_item_flag_popup) ? RGB(0, 122, 204)
                           : (state & menu_item_flag_disable)                   ? RGB(100, 100, 100)
                                                                                : RGB(153, 153, 153);
    XDraw_FillRgn(draw, XDraw_CreatePolygonRgn(draw, tri, 3, 1), XDraw_CreateSolidBrush(draw, color, 255));
  }
  const int left = XMenu_GetLeftWidth(info->menu);
  if (info->icon != 0 && XImage_GetWidth(info->icon) >= 2 && r.bottom - r.top > 2) {
    const int x = std::max(0, (left - XImage_GetWidth(info->icon)) / 2 + 4);
    const int y = std::max(0L, r.top + (r.bottom - r.top - XImage_GetHeight(info->icon)) / 2);
    XDraw_Image(draw, info->icon, x, y);
  }
  XDraw_SetBrushColor(draw, (state & menu_item_flag_disable) ? RGB(100, 100, 100) : RGB(241, 241, 241), 255);
  const RECT text{r.left + 36, r.top, r.right - 5, r.bottom};
  std::wstring label = info->text != nullptr ? info->text : L"";
  const size_t firstSpace = label.find(L' '), lastSpace = label.find_last_of(L' ');
  std::wstring name = label.substr(0, firstSpace);
  std::wstring shortcut = lastSpace == std::wstring::npos ? L"" : label.substr(lastSpace + 1);
  if (!shortcut.empty()) {
    XDraw_SetTextAlign(draw, text_align_left | text_align_vcenter);
    XDraw_DrawText(draw, name.c_str(), -1, &text);
    XDraw_SetTextAlign(draw, text_align_right | text_align_vcenter);
    XDraw_DrawText(draw, shortcut.c_str(), -1, &text);
  } else {
    XDraw_SetTextAlign(draw, text_align_left | text_align_vcenter);
    XDraw_DrawText(draw, label.c_str(), -1, &text);
  }
  return 0;
}

bool menuOpen = false;  // a bar menu is open: the bar buttons ignore hover

void styleBarButtons(HELE bar, HELE open) {
  menuOpen = open != 0;
  for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
    HELE button = XEle_GetChildByIndex(bar, i);
    if (!XC_IsHXCGUI(button, XC_MENUBAR_BUTTON)) continue;
    setLook(button, button == open ? look::kMenuBarOpen : look::kMenuBarButton);
    XEle_RedrawEle(button, false);
  }
}

const wchar_t* const kBarMenus[] = {L"文件(F)", L"编辑(E)", L"查看(V)", L"插入(I)", L"数据库(B)",
                                    L"调试(R)", L"生成(C)", L"工具(T)", L"扩展(X)", L"视图(W)",
                                    L"帮助(H)", L"设置(S)", L"关于(A)"};

// The bar's buttons, with the hover looks they take while no menu is open.
void addBarButtons(Gallery& g) {
  XEle_EnableCSS(g.menuBar, false);
  XMenuBar_SetButtonHeight(g.menuBar, 18);
  for (const wchar_t* name : kBarMenus) {
    int index = XMenuBar_AddButton(g.menuBar, name);
    HELE button = XEle_GetChildByIndex(g.menuBar, index);
    XEle_SetWidth(button, std::wstring(name) == L"数据库(B)" ? 58 + 16 : 58);
    XEle_EnableCSS(button, false);
    XEle_SetTextColor(button, RGB(241, 241, 241), 255);
    // Hover looks while no menu is open (an open menu keeps every button as it is).
    XEle_RegEventC1(button, XE_MOUSESTAY, [](HELE self, int, POINT*, bool*) {
      if (!menuOpen) setLook(self, look::kMenuBarHover), XEle_RedrawEle(self, false);
      return 0;
    });
    XEle_RegEventC1(button, XE_MOUSELEAVE, [](HELE self, HELE, bool*) {
      if (!menuOpen) setLook(self, look::kMenuBarLeave), XEle_RedrawEle(self, false);
      return 0;
    });
  }
  XEle_AdjustLayout(g.menuBar);
}

// The items: a file and a debug menu with icons, shortcuts and submenus; the others one greyed
// item each. The bar paints its menus itself (owner drawing).
void fillBarMenus(Gallery& g, const std::wstring& images) {
  const std::vector<MenuEntry> file = {
      {L"新建(N)", L"Ctrl+N", nullptr, 0, {}},
      {L"打开(O)", L"Ctrl+O", L"OpenFileFromProject_16x.png", 0, {}},
      {L"关闭(C)", L"", nullptr, menu_item_flag_disable, {}},
      {nullptr, nullptr, nullptr, 0, {}},
      {L"保存(S)", L"Ctrl+S", L"SaveStatusBar1_16x.png", 0, {}},
      {L"另存为(A)", L"", L"SaveAs_16x.png", 0, {}},
      {nullptr, nullptr, nullptr, 0, {}},
      {L"打印", L"Ctrl+P", L"Print_16x.png", menu_item_flag_disable, {}},
      {L"配置(U)", L"", L"Settings_16x.png", 0, {}},
      {L"最近打开(R)",
       L"",
       nullptr,
       menu_item_flag_popup,
       {{L"窗口程序.e", L"", L"Logo3.png", 0, {}}, {L"计算器.e", L"", L"Logo3.png", 0, {}}}},
      {nullptr, nullptr, nullptr, 0, {}},
      {L"退出(X)", L"", nullptr, 0, {}},
  };
  const std::vector<MenuEntry> debug = {
      {L"运行(S)", L"F5", L"Run_16x.png", 0, {}},
      {L"以指定类型运行(M)",
       L"",
       nullptr,
       menu_item_flag_popup,
       {{L"Windows窗口程序", L"", nullptr, 0, {}}, {L"Windows控制台程序", L"", nullptr, 0, {}}}},
      {L"终止(E)", L"Shift+F5", L"Stop_16x.png", menu_item_flag_disable, {}},
      {nullptr, nullptr, nullptr, 0, {}},
      {L"单步跟踪(O)", L"Shift+F8", L"StepOver_16x.png", menu_item_flag_disable, {}},
      {L"单步跟踪进入(I)", L"F8", L"StepIn_16x.png", menu_item_flag_disable, {}},
      {L"设置或清除断点(T)", L"F9", L"BreakpointEnable_Grey_16x.png", 0, {}},
  };
  for (int m = 0; m < static_cast<int>(std::size(kBarMenus)); ++m) {
    HMENUX menu = XMenuBar_GetMenu(g.menuBar, m);
    XMenu_SetItemHeight(menu, 22);
    XMenu_EnableDrawBackground(menu, true);
    XMenu_EnableDrawItem(menu, true);
    if (m == 0)
      addMenuEntries(menu, file, 100, 0, images);
    else if (m == 5)
      addMenuEntries(menu, debug, 600, 0, images);
    else
      addMenuEntries(menu, {{L"(空)", L"", nullptr, menu_item_flag_disable, {}}}, (m + 1) * 100, 0, images);
  }
}

// Drawing the menus, the open button's look, and the pop-ups' drop shadow.
void hookBarMenus(Gallery& g) {
  XEle_RegEventC1(g.menuBar, XE_MENU_DRAW_BACKGROUND, &drawMenuBackground);
  XEle_RegEventC(g.menuBar, XE_MENU_DRAWITEM, &drawMenuItem);
  XEle_RegEventC1(g.menuBar, XE_MENU_POPUP, [](HELE bar, HMENUX menu, bool*) {
    for (int i = 0; i < XEle_GetChildCount(bar); ++i)
      if (XMenuBar_GetMenu(bar, i) == menu) styleBarButtons(bar, XEle_GetChildByIndex(bar, i));
    return 0;
  });
  XEle_RegEventC1(g.menuBar, XE_MENU_POPUP_WND, [](HELE, XMenuPopupInfo* info, bool*) {
    // The pop-ups have a class of their own: the shadow style touches nothing else.
    HWND popup = XWnd_GetHWND(info->window);
    SetClassLongW(popup, GCL_STYLE, GetClassLongW(popup, GCL_STYLE) | CS_DROPSHADOW);
    return 0;
  });
  XEle_RegEventC1(g.menuBar, XE_MENU_EXIT, [](HELE bar, bool*) {
    styleBarButtons(bar, 0);
    return 0;
  });
  styleBarButtons(g.menuBar, 0);
}

void buildMenuBar(Gallery& g, const std::wstring& images) {
  if (!XC_IsHXCGUI(g.menuBar, XC_MENUBAR)) return;
  addBarButtons(g);
  fillBarMenus(g, images);
  hookBarMenus(g);
}

// --- combo boxes ---------------------------------------------------------------------------

// A combo box that swaps its descriptor on hover, as the shell's combo boxes do.
void styleCombo(HELE combo, const wchar_t* away, const wchar_t* over, const std::wstring& theme) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return;
  XComboBox_EnableEdit(combo, false);
  XComboBox_SetItemTemplateXML(combo, (theme + L"\\ComboBoxListBoxItem.xml").c_str());
  XEle_SetTextColor(combo, RGB(241, 241, 241), 255);
  setLook(combo, away);
  XEle_RegEventC1(combo, XE_MOUSESTAY, [over](HELE self, int, POINT*, bool*) {
    setLook(self, over);
    XEle_RedrawEle(self, false);
    return 0;
  });
  XEle_RegEventC1(combo, XE_MOUSELEAVE, [away](HELE self, HELE, bool*) {
    setLook(self, away);
    XEle_RedrawEle(self, false);
    return 0;
  });
}

void fillCombo(HELE combo, std::initializer_list<const wchar_t*> items, int selected) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return;
  XComboBox_DeleteItemAll(combo);
  for (const wchar_t* item : items) XComboBox_AddItemText(combo, item);
  XComboBox_SetSelItem(combo, selected);
}

void buildCombos(Gallery& g, const std::wstring& theme) {
  if (XC_IsHXCGUI(g.toolBar0, XC_TOOLBAR)) {
    // The linker selector sits after the first group of the main tool bar.
    g.linker = XComboBox_Create(0, 0, 160, 22, g.toolBar0);
    XToolBar_InsertEle(g.toolBar0, g.linker, 13);
    XEle_SetPadding(g.linker, 2, 0, 2, 0);
    XEle_SetToolTip(g.linker, L"更换选择其它链接器");
    styleCombo(g.linker, look::kComboAway, look::kComboOver, theme);
    fillCombo(g.linker, {L"VC6 链接器 (link.exe)", L"VS2017 链接器", L"GCC 链接器 (ld.exe)"}, 0);
  }
  g.navMain = named(L"navMainComboBox");
  g.navVoid = named(L"navVoidComboBox");
  styleCombo(g.navMain, look::kNavComboAway, look::kNavComboOver, theme);
  styleCombo(g.navVoid, look::kNavComboAway, look::kNavComboOver, theme);
  fillCombo(g.navMain, {L"窗口程序集_启动窗口", L"程序集1", L"类_数据库"}, 0);
  fillCombo(g.navVoid, {L"_启动窗口_创建完毕", L"_按钮1_被单击", L"_按钮2_被单击", L"_时钟1_周期事件"}, 1);
}

// --- dock panes ----------------------------------------------------------------------------

struct PaneEntry {
  const wchar_t* title;
  int width, height;
  const wchar_t* view;
};
// The shell's twelve panes, with sizes that suit the gallery's frame.
const PaneEntry kPanes[12] = {
    {L"易支持库", 290, 260, L"LibsTreeView2.xml"},      {L"项目结构", 290, 260, L"ProjectTreeView.xml"},
    {L"组件属性", 290, 260, L"CtrlProView.xml"},        {L"常用模块", 290, 260, L"EcTreeView.xml"},
    {L"系统组件", 230, 260, L"ControlBoxView.xml"},     {L"帮助提示", 380, 210, L"OutHelpTipView.xml"},
    {L"调试输出", 380, 210, L"OutDbugTipView.xml"},     {L"断点栈堆", 380, 210, L"StackFrameView.xml"},
    {L"变量监视", 380, 210, L"WatchVariableView.xml"},  {L"搜寻结果1", 380, 210, L"SearchResultView1.xml"},
    {L"搜寻结果2", 380, 210, L"SearchResultView2.xml"}, {L"反汇编显示", 380, 210, L"DisassemblyView.xml"},
};

// The pane-group tab labels: blue text on the chosen one, a lighter one under the mouse.
void styleTabBars(HWINDOW frame) {
  static std::vector<HELE> styled;
  for (int i = 0; i < XWnd_GetChildCount(frame); ++i) {
    HELE bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
    XTabBar_EnableTile(bar, false);
    XTabBar_SetLabelSpacing(bar, 0);
    for (int k = 0; k < XTabBar_GetLabelCount(bar); ++k) {
      HELE label = XTabBar_GetLabel(bar, k);
      if (XBtn_GetType(label) == button_type_check && XBtn_IsCheck(label))
        XEle_SetTextColor(label, RGB(0, 151, 251), 255);
      if (std::find(styled.begin(), styled.end(), label) != styled.end()) continue;
      styled.push_back(label);
      XEle_RegEventC1(label, XE_MOUSESTAY, [](HELE self, int, POINT*, bool*) {
        if (!XBtn_IsCheck(self)) XEle_SetTextColor(self, RGB(85, 170, 255), 255), XEle_RedrawEle(self, false);
        return 0;
      });
      XEle_RegEventC1(label, XE_MOUSELEAVE, [](HELE self, HELE, bool*) {
        if (!XBtn_IsCheck(self)) XEle_SetTextColor(self, RGB(241, 241, 241), 255), XEle_RedrawEle(self, false);
        return 0;
      });
      XEle_RegEventC1(label, XE_BUTTON_CHECK, [](HELE self, bool checked, bool*) {
        XEle_SetTextColor(self, checked ? RGB(0, 151, 251) : RGB(241, 241, 241), 255);
        XEle_RedrawEle(self, false);
        return 0;
      });
    }
  }
}

// A floating pane's window: its title bar layout and background, as the shell styles it.
int styleFloatingWindow(HWINDOW window, HELE pane, bool*) {
  XWnd_SetMinimumSize(window, 200, 200);
  XWnd_SetLayoutSize(window, 1, 24, 1, 1);
  const std::wstring title = XPane_GetTitle(pane);
  XBkM_SetBkInfo(XWnd_GetBkManager(window), title == L"反汇编显示" ? look::kFloatingDisassembly : look::kFloatingPane);
  HELE caption = XLayout_Create(0, 0, 100, 24, window);
  XEle_SetLayoutWidth(caption, layout_size_fill, 0);
  XEle_SetLayoutHeight(caption, layout_size_fill, 0);
  XEle_SetPadding(caption, 6, 0, 0, 0);
  XEle_EnableBkTransparent(caption, true);
  HSHAPE text = XShapeText_Create(0, 0, 200, 24, title.c_str(), caption);
  XShapeText_SetTextColor(text, RGB(255, 255, 255), 255);
  XWnd_BindLayoutEle(window, bind_top, caption);
  XWnd_AdjustLayout(window);
  return 0;
}

HIMAGE resImage(const wchar_t* name) { return XRes_GetImage(name); }

int addTreeItem(HELE tree, const wchar_t* icon, const wchar_t* text, int parent) {
  int id = XTree_InsertItemImage(tree, resImage(icon), parent);
  XTree_SetItemText(tree, id, 1, text);
  return id;
}

void fillProjectTree(Gallery& g) {
  HELE tree = g.projectTree = named(L"ProjectTree");
  if (!XC_IsHXCGUI(tree, XC_TREE)) return;
  XTree_CreateAdapter(tree);
  XTree_SetIndentation(tree, 10);
  XTree_EnableConnectLine(tree, false);
  // The expand button of each item: the row-23 descriptor, hidden on leaves.
  XEle_RegEventC1(tree, XE_TREE_TEMP_CREATE_END, [](HELE self, XTreeItemRecord* record, bool*) {
    HXCGUI button = XTree_GetTemplateObject(self, record->id, 0);
    if (!XC_IsHXCGUI(button, XC_BUTTON)) return 0;
    setLook(button, look::kTreeExpand);
    XEle_Show(button, XTree_GetFirstChildItem(self, record->id) >= 0);
    return 0;
  });
  const int root = addTreeItem(tree, L"proE.png", L"窗口程序", XC_ID_ROOT);
  const int code = addTreeItem(tree, L"Folder_new_16x.png", L"程序集", root);
  addTreeItem(tree, L"Class2_16x.png", L"窗口程序集_启动窗口", code);
  addTreeItem(tree, L"Namespace_16x.png", L"程序集1", code);
  addTreeItem(tree, L"Interface_16x.png", L"类_数据库", code);
  addTreeItem(tree, L"Constant_16x.png", L"全局变量", root);
  addTreeItem(tree, L"Structure_16x.png", L"自定义数据类型", root);
  addTreeItem(tree, L"ImportPackage_16x.png", L"DLL命令", root);
  const int windows = addTreeItem(tree, L"FilterFolder_new_16x.png", L"窗口", root);
  addTreeItem(tree, L"WindowsForm2_16x.png", L"_启动窗口", windows);
  addTreeItem(tree, L"Dialog.png", L"窗口_设置", windows);
  const int resources = addTreeItem(tree, L"LinkedFolder_new_16x.png", L"资源", root);
  addTreeItem(tree, L"ImageScale_16x.png", L"图片", resources);
  addTreeItem(tree, L"Volume_16x.png", L"声音", resources);
  for (int id : {root, code, windows}) XTree_ExpandItem(tree, id, true);
  XTree_SetSelectItem(tree, code + 1);
}

void fillPaneToolBar(const wchar_t* name, std::initializer_list<const wchar_t*> icons, const wchar_t* const* tips) {
  HELE bar = named(name);
  if (!XC_IsHXCGUI(bar, XC_TOOLBAR)) return;
  int i = 0;
  for (const wchar_t* icon : icons) {
    if (icon == nullptr) {
      addSeparator(bar);
      continue;
    }
    addToolButton(bar, resImage(icon), 0, tips[i++], true);
  }
}

void fillOutput(Gallery& g) {
  HELE edit = g.outputEdit = named(L"outDbugTipEdit");
  if (XC_IsHXCGUI(edit, XC_EDIT)) {
    const int plain = XEdit_AddStyleEx(edit, L"微软雅黑", 9, font_style_regular, RGB(220, 220, 220), true);
    const int good = XEdit_AddStyleEx(edit, L"微软雅黑", 9, font_style_regular, RGB(87, 166, 74), true);
    const int warn = XEdit_AddStyleEx(edit, L"微软雅黑", 9, font_style_regular, RGB(215, 186, 125), true);
    const int bad = XEdit_AddStyleEx(edit, L"微软雅黑", 9, font_style_bold, RGB(244, 71, 71), true);
    const int path = XEdit_AddStyleEx(edit, L"微软雅黑", 9, font_style_underline, RGB(86, 156, 214), true);
    XEdit_AddTextEx(edit, L"开始编译现行程序 窗口程序.e\n", plain);
    XEdit_AddTextEx(edit, L"正在检查重复名称...\n正在预处理现行程序\n", plain);
    XEdit_AddTextEx(edit, L"警告(201): 局部变量“计数”未被使用\n", warn);
    XEdit_AddTextEx(edit, L"错误(10040): 找不到指定的支持库“数据库支持库”\n", bad);
    XEdit_AddTextEx(edit, L"正在生成主程序入口代码\n正在连接, 输出文件: ", plain);
    XEdit_AddTextEx(edit, L"D:\\易语言\\窗口程序.exe\n", path);
    XEdit_AddTextEx(edit, L"编译成功, 用时 0.84 秒\n", good);
  }
  HELE log = named(L"outDbugHelpEdit");
  if (XC_IsHXCGUI(log, XC_EDIT)) {
    const int time = XEdit_AddStyleEx(log, L"微软雅黑", 9, font_style_regular, RGB(128, 128, 128), true);
    const int text = XEdit_AddStyleEx(log, L"微软雅黑", 9, font_style_regular, RGB(220, 220, 220), true);
    XEdit_AddTextEx(log, L"09:41:02 ", time);
    XEdit_AddTextEx(log, L"* 调试程序已启动\n", text);
    XEdit_AddTextEx(log, L"09:41:05 ", time);
    XEdit_AddTextEx(log, L"* 计数 = 3\n", text);
  }
  HELE help = named(L"outTipHelpEdit");
  if (XC_IsHXCGUI(help, XC_EDIT))
    XEdit_SetText(help, L"调试输出 (准备输出的内容, ...)\n在调试状态下输出内容到“调试输出”窗口。");
}

void fillStack(Gallery& g) {
  g.stackListBox = named(L"stackListBox");
  if (XC_IsHXCGUI(g.stackListBox, XC_LISTBOX)) {
    XListBox_CreateAdapter(g.stackListBox);
    const wchar_t* const frames[] = {L"_按钮1_被单击 (窗口程序集_启动窗口)", L"_启动窗口_创建完毕", L"_启动子程序"};
    for (int i = 0; i < 3; ++i) {
      int row = XListBox_AddItemImage(g.stackListBox, resImage(L"Method_left_16x.png"));
      XListBox_SetItemText(g.stackListBox, row, 1, frames[i]);
      if (i == 0) XListBox_SetItemImageEx(g.stackListBox, row, L"icon", resImage(L"BreakpointEnable_16x.png"));
    }
    XListBox_SetSelectItem(g.stackListBox, 0);
  }
  g.stackList = named(L"stackList");
  if (XC_IsHXCGUI(g.stackList, XC_LIST)) {
    XList_CreateAdapterHeader(g.stackList);
    XList_CreateAdapter(g.stackList);
    XList_AddColumnText(g.stackList, 70, L"name1", L"名称");
    XList_AddColumnText(g.stackList, 90, L"name2", L"值");
    XList_AddColumnText(g.stackList, 60, L"name3", L"类型");
    const wchar_t* const rows[][3] = {{L"计数", L"3", L"整数型"},
                                      {L"标签1.标题", L"“已单击 3 次”", L"文本型"},
                                      {L"启用", L"真", L"逻辑型"},
                                      {L"位置", L"(120, 48)", L"坐标"}};
    for (const auto& r : rows) {
      int row = XList_AddItemText(g.stackList, r[0]);
      XList_SetItemText(g.stackList, row, 1, r[1]);
      XList_SetItemText(g.stackList, row, 2, r[2]);
    }
  }
}

void fillToolbox(Gallery& g, const std::wstring& controlIcons) {
  g.toolbox = named(L"ControlListView");
  if (!XC_IsHXCGUI(g.toolbox, XC_LISTVIEW)) return;
  XListView_CreateAdapter(g.toolbox);
  XListView_SetItemSize(g.toolbox, 104, 26);
  struct Item {
    const wchar_t* icon;
    const wchar_t* name;
  };
  static const Item kCommon[] = {{L"Pointer.png", L"指针"},    {L"Button.png", L"按钮"},   {L"EditBox.png", L"编辑框"},
                                 {L"Label.png", L"标签"},      {L"PicBox.png", L"图片框"}, {L"CheckBox.png", L"选择框"},
                                 {L"RadioBox.png", L"单选框"}, {L"ListBox.png", L"列表框"}};
  const int common = XListView_Group_AddItemText(g.toolbox, L"基本组件");
  XListView_Group_SetText(g.toolbox, common, 1, L"系统核心支持库");
  for (const Item& item : kCommon) {
    int index = XListView_Item_AddItemImage(g.toolbox, common,
                                            XImage_LoadFile((controlIcons + L"\\" + item.icon).c_str(), false));
    XListView_Item_SetText(g.toolbox, common, index, 1, item.name);
  }
  const int more = XListView_Group_AddItemText(g.toolbox, L"扩展组件");
  XListView_Group_SetText(g.toolbox, more, 1, L"扩展界面支持库");
  int index = XListView_Item_AddItemImage(g.toolbox, more,
                                          XImage_LoadFile((controlIcons + L"\\DatePicker.png").c_str(), false));
  XListView_Item_SetText(g.toolbox, more, index, 1, L"日期框");
  XListView_ExpandGroup(g.toolbox, common, true);
  XListView_ExpandGroup(g.toolbox, more, false);
}

void buildPanes(Gallery& g, const std::wstring& theme) {
  for (int i = 0; i < 12; ++i) {
    const PaneEntry& entry = kPanes[i];
    HELE pane = g.panes[i] = XPane_Create(entry.title, entry.width, entry.height, g.frame);
    XEle_SetID(pane, 10000 + i + 1);
    HELE view = XC_LoadLayout((theme + L"\\" + entry.view).c_str(), pane, nullptr);
    XPane_SetView(pane, view);
  }
  HELE* p = g.panes;
  XFrameWnd_AddPane(g.frame, 0, p[0], pane_align_left);
  for (int i : {1, 2, 3}) XFrameWnd_MergePane(g.frame, p[0], p[i]);
  XFrameWnd_AddPane(g.frame, 0, p[4], pane_align_right);
  XFrameWnd_AddPane(g.frame, 0, p[5], pane_align_bottom);
  for (int i : {6, 9, 10, 11}) XFrameWnd_MergePane(g.frame, p[5], p[i]);
  // Beside the output group, so that its lists show too.
  XFrameWnd_AddPane(g.frame, p[5], p[7], pane_align_right);
  XFrameWnd_MergePane(g.frame, p[7], p[8]);
  XPane_ShowPane(p[1]);
  XPane_ShowPane(p[6]);
  for (int i : {1, 2, 3, 5, 6, 9, 10, 0, 4, 7, 8, 11}) {
    XEle_SetTextColor(p[i], RGB(241, 241, 241), 255);
    setLook(p[i], look::kPane);
    XEle_RegEventC1(p[i], XE_SETFOCUS, [](HELE self, bool*) {
      XEle_SetTextColor(self, RGB(255, 255, 255), 255);
      return 0;
    });
    XEle_RegEventC1(p[i], XE_KILLFOCUS, [](HELE self, bool*) {
      XEle_SetTextColor(self, RGB(241, 241, 241), 255);
      return 0;
    });
  }
  XFrameWnd_SetPaneSplitBarColor(g.frame, XRes_GetColor(L"ID_COLOR_WinBg"), 255);
  XWnd_RegEventC1(g.frame, XWM_DOCK_LAYOUT_CHANGE, [](HWINDOW frame, bool*) {
    styleTabBars(frame);
    return 0;
  });
  XWnd_RegEventC(g.frame, XWM_FLOAT_PANE, &styleFloatingWindow);
  styleTabBars(g.frame);

  static const wchar_t* const kProjectTips[] = {L"全部折叠", L"新建文件夹", L"添加窗口", L"添加类模块", L"添加程序集"};
  fillPaneToolBar(L"ProJectToolBar",
                  {L"CollapseAll_inverse_16x.png", nullptr, L"NewSolutionFolder_16x.png", L"AddForm_16x.png",
                   L"AddClass_16x.png", L"AddNamespace_16x.png"},
                  kProjectTips);
  static const wchar_t* const kOutputTips[] = {L"清空内容", L"切换自动换行", L"全选"};
  fillPaneToolBar(L"outDbugToolBar", {L"ClearWindowContent_16x.png", L"WordWrap_16x.png", L"SelectAll_16x.png"},
                  kOutputTips);
  fillProjectTree(g);
  fillOutput(g);
  fillStack(g);
  fillToolbox(g, theme + L"\\..\\Control\\DarkIcons");
  for (const wchar_t* name : {L"ProjectFindComboBox", L"libsFindComboBox", L"CtrlComboBox", L"CtrlEventComboBox"})
    styleCombo(named(name), look::kComboAway, look::kComboOver, theme);
}

// --- code tabs -----------------------------------------------------------------------------

void styleCodeTabs(HELE bar) {
  const int count = XTabBar_GetLabelCount(bar);
  const int selected = XTabBar_GetSelect(bar);
  for (int i = 0; i < count; ++i) {
    HELE label = XTabBar_GetLabel(bar, i);
    XEle_EnableCSS(label, false);
    setLook(label, look::kCodeTab);
    XEle_SetTextColor(label, i == selected ? XRGB(255, 255, 255) : XRGB(241, 241, 241), 255);
    HELE close = XTabBar_GetLabelClose(bar, i);
    XEle_EnableBkTransparent(close, true);
    setLook(close, i == selected ? look::kTabCloseActive : look::kTabCloseInactive);
  }
}

void buildCodeTabs(Gallery& g) {
  if (!XC_IsHXCGUI(g.codeTabs, XC_TABBAR)) return;
  XTabBar_EnableClose(g.codeTabs, true);
  XTabBar_SetLabelSpacing(g.codeTabs, 0);
  for (const wchar_t* title : {L"起始页", L"程序集1", L"窗口程序集_启动窗口", L"_启动窗口 - Dialog"}) {
    int index = XTabBar_AddLabel(g.codeTabs, title);
    XEle_SetPadding(XTabBar_GetLabel(g.codeTabs, index), 10, 0, 6, 0);
  }
  XTabBar_SetSelect(g.codeTabs, 1);
  styleCodeTabs(g.codeTabs);
  // The selected tab keeps the active close-button look.
  XEle_RegEventC1(g.codeTabs, XE_BUTTON_CHECK, [](HELE, bool, bool*) { return 0; });
  for (int i = 0; i < XTabBar_GetLabelCount(g.codeTabs); ++i) {
    HELE bar = g.codeTabs;
    XEle_RegEventC(XTabBar_GetLabel(g.codeTabs, i), XE_BUTTON_CHECK, [bar](bool, bool*) {
      styleCodeTabs(bar);
      XEle_RedrawEle(bar, false);
      return 0;
    });
  }
}

// --- the native code window ------------------------------------------------------------------

// Stands where the shell keeps the IDE's own main window: a plain native window with its own
// painting, kept over "eCodeView" as the element moves (event 36).
LRESULT CALLBACK codeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefWindowProcW(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  GdiObject<HBRUSH> background(CreateSolidBrush(RGB(30, 30, 30)));
  FillRect(dc, &client, background.get());
  RECT gutter{0, 0, 44, client.bottom};
  GdiObject<HBRUSH> gutterBrush(CreateSolidBrush(RGB(37, 37, 38)));
  FillRect(dc, &gutter, gutterBrush.get());
  GdiObject<HFONT> font(
      CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"宋体"));
  {
    Selection select(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    struct Line {
      const wchar_t* text;
      COLORREF color;
    };
    static const Line kLines[] = {
        {L".版本 2", RGB(86, 156, 214)},
        {L"", 0},
        {L".程序集 窗口程序集_启动窗口", RGB(78, 201, 176)},
        {L"", 0},
        {L".子程序 _按钮1_被单击", RGB(220, 220, 170)},
        {L".局部变量 计数, 整数型", RGB(156, 220, 254)},
        {L"", 0},
        {L"计数 ＝ 计数 ＋ 1", RGB(220, 220, 220)},
        {L"标签1.标题 ＝ “已单击 ” ＋ 到文本 (计数) ＋ “ 次”", RGB(206, 145, 120)},
        {L"调试输出 (计数)", RGB(220, 220, 220)},
    };
    int y = 8;
    for (size_t i = 0; i < std::size(kLines); ++i, y += 20) {
      std::wstring number = std::to_wstring(i + 1);
      SetTextColor(dc, RGB(43, 145, 175));
      RECT numberRect{0, y, 36, y + 20};
      DrawTextW(dc, number.c_str(), -1, &numberRect, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
      SetTextColor(dc, kLines[i].color);
      TextOutW(dc, 56, y + 3, kLines[i].text, static_cast<int>(std::wcslen(kLines[i].text)));
    }
  }
  EndPaint(hwnd, &ps);
  return 0;
}

void keepOver(HELE element, HWND window) {
  RECT r{0, 0, XEle_GetWidth(element), XEle_GetHeight(element)};
  XEle_RectClientToWndClient(element, &r);
  // A native window is placed in its parent's pixels: the element's units scaled.
  XWnd_UnitsToDevice(XEle_GetWindow(element), &r);
  MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void buildCodeWindow(Gallery& g) {
  if (!XC_IsHELE(g.codeView)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = codeWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
  wc.lpszClassName = L"TovaluxGalleryCode";
  RegisterClassExW(&wc);
  g.codeWindow = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                                 XWnd_GetHWND(g.frame), nullptr, wc.hInstance, nullptr);
  HWND window = g.codeWindow;
  XEle_RegEventC1(g.codeView, XE_SIZE, [window](HELE self, int, bool*) {
    keepOver(self, window);
    return 0;
  });
}

}  // namespace

Gallery buildFrameLayouts(const std::wstring& theme, bool compactCaption) {
  Gallery g;
  XC_LoadResource((theme + L"\\resource.res").c_str());
  XC_LoadStyle((theme + L"\\style.css").c_str());
  XC_SetDefaultFont(XFont_Create2(L"微软雅黑", 9, font_style_regular));

  g.frame = XFrameWnd_CreateEx(0, L"Tovalux", L"易语言 - Tovalux IDE", 0, 0, 0, 1280, 800, nullptr, 47);
  XWnd_SetMinimumSize(g.frame, 600, 600);
  const int topMargin = compactCaption ? 97 : 117;
  XWnd_SetLayoutSize(g.frame, 7, topMargin, 7, 32);

  g.top = XC_LoadLayout((theme + (compactCaption ? L"\\LayoutWindowTop2.xml" : L"\\LayoutWindowTop3.xml")).c_str(),
                        g.frame, nullptr);
  g.left = XC_LoadLayout((theme + L"\\LayoutWindowLeft.xml").c_str(), g.frame, nullptr);
  g.right = XC_LoadLayout((theme + L"\\LayoutWindowRight.xml").c_str(), g.frame, nullptr);
  g.bottom = XC_LoadLayout((theme + L"\\LayoutWindowBottom.xml").c_str(), g.frame, nullptr);
  XWnd_BindLayoutEle(g.frame, bind_top, g.top);
  XWnd_BindLayoutEle(g.frame, bind_left, g.left);
  XWnd_BindLayoutEle(g.frame, bind_right, g.right);
  XWnd_BindLayoutEle(g.frame, bind_bottom, g.bottom);
  setLook(g.top, look::kTopEdge);
  setLook(g.left, look::kLeftEdge);
  setLook(g.right, look::kRightEdge);
  setLook(g.bottom, look::kBottomEdge);

  g.view = XC_LoadLayout((theme + L"\\ViewMainLayout.xml").c_str(), g.frame, nullptr);
  XFrameWnd_SetView(g.frame, g.view);
  g.menuBar = named(L"winMainTopMenu");
  g.toolBar0 = named(L"winToolBar0");
  g.toolBar1 = named(L"winToolBar1");
  g.codeTabs = named(L"codePageTab");
  g.codeView = named(L"eCodeView");
  g.scrollBarV = named(L"codeScrollBarV");
  g.scrollBarH = named(L"codeScrollBarH");
  g.statusText = named(L"stateText");
  XWnd_AdjustLayout(g.frame);
  return g;
}

Gallery buildGallery(const std::wstring& theme, bool compactCaption) {
  Gallery g = buildFrameLayouts(theme, compactCaption);
  buildMenuBar(g, theme + L"\\Images");
  buildToolBars(g, theme + L"\\Images");
  buildCombos(g, theme);
  buildPanes(g, theme);
  buildCodeTabs(g);
  buildCodeWindow(g);
  XSBar_SetRange(g.scrollBarV, 200);
  XSBar_SetRange(g.scrollBarH, 100);

  XWnd_AdjustLayout(g.frame);
  // Docking laid the view out before the native window was there to follow it.
  if (g.codeWindow != nullptr) keepOver(g.codeView, g.codeWindow);
  return g;
}

}  // namespace tovalux::gallery
