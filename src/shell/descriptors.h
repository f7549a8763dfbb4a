// The background descriptors of the dark theme: one text per element kind and state, handed
// unchanged (as UTF-16) to the element's background manager. Every subsystem takes its texts from
// here; none writes one of its own.
#pragma once

#include <array>
#include <string_view>

namespace tovalux::descriptor {

// frame top edge, debugging look
inline constexpr std::string_view kFrameTopDebugging =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBugBd);"
    "5:2(13)3(1,1,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBg);98:16(0,1);}";
// frame right edge, debugging look
inline constexpr std::string_view kFrameRightDebugging =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBugBd);98:16(0,1);}";
// frame left edge, debugging look
inline constexpr std::string_view kFrameLeftDebugging =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBugBd);98:16(0,1);}";
// frame bottom edge, debugging look
inline constexpr std::string_view kFrameBottomDebugging =
    "{99:1.9.9;5:2(15)3(0,6,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBugBd);"
    "5:2(7)3(1,0,1,6)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBugBd);"
    "5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBugBd);98:16(0,1,2,3);}";
// frame top edge, normal look
inline constexpr std::string_view kFrameTopNormal =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(7)3(0,0,0,1)20(1)21(5)26(0)25(@ID_COLOR_WinBd);98:16(0,1,2,3);}";
// frame right edge, normal look
inline constexpr std::string_view kFrameRightNormal =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);98:16(0,1);}";
// frame left edge, normal look
inline constexpr std::string_view kFrameLeftNormal =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);98:16(0,1);}";
// frame bottom edge, normal look
inline constexpr std::string_view kFrameBottomNormal =
    "{99:1.9.9;5:2(15)3(0,6,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(7)3(1,0,1,6)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(14)3(1,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(11)3(0,0,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);98:16(0,1,2,3);}";
// every pane (active caption: orange bar and paneSP1.png)
inline constexpr std::string_view kPane =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_PaneBd);"
    "5:2(15)20(1)21(3)26(0)22(-3376640)23(255);5:2(13)3(1,1,1,0)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "3:2(37)3(60,5,60,0)4(@paneSP.png);3:2(37)3(60,5,60,0)4(@paneSP1.png);"
    "98:1073741952(1,4)16(0)-2147483520(0,2,3);}";
// combo box, mouse away, and the linker combo box at creation
inline constexpr std::string_view kComboBoxAway =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ComboBoxBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_PaneBd);"
    "5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_PaneBd);3:2(36)3(6,3,3,3)4(@cd.png);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    "5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,5,3,100)4(@cd.png);"
    "98:16(0,1,2)64(3,4,5);}";
// combo box, mouse over
inline constexpr std::string_view kComboBoxOver =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    "5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    "3:2(36)3(6,3,3,3)4(@cd.png);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_PaneBd)10(1)7(1)11(5)16(0)15(@ID_COLOR_WinBd);"
    "5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,5,3,100)4(@cd.png);"
    "98:16(0,1,2)64(3,4,5);}";
// menu-bar buttons whose menu is closed
inline constexpr std::string_view kMenuBarButtonClosed =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-13619923)23(255);5:2(15)20(1)21(3)26(0)22(-12566978)23(255);"
    "5:2(15)20(1)21(3)26(0)22(-14935269)23(255);5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-13159629)23(255);"
    "5:2(7)3(0,0,0,1)20(1)21(3)26(0)22(-13159629)23(255);"
    "5:2(14)3(1,0,0,0)20(1)21(3)26(0)22(-13159629)23(255);98:16(0)32(1)64(2,3,4,5);}";
// the menu-bar button whose menu is open (the same parts in every state)
inline constexpr std::string_view kMenuBarButtonOpen =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-14935269)23(255);"
    "5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-13159629)23(255);"
    "5:2(7)3(0,0,0,1)20(1)21(3)26(0)22(-13159629)23(255);"
    "5:2(14)3(1,0,0,0)20(1)21(3)26(0)22(-13159629)23(255);98:16(0,1,2,3)32(0,1,2,3)64(0,1,2,3);}";
// menu-bar button, mouse over
inline constexpr std::string_view kMenuBarButtonOver =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-12566978)23(255);98:16(0)32(0)64(0);}";
// menu-bar button, mouse away
inline constexpr std::string_view kMenuBarButtonAway =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-13619923)23(255);98:16(0)32(0)64(0);}";
// floating pane window of any pane but the disassembly pane
inline constexpr std::string_view kFloatingPaneWindow =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "3:2(37)3(60,5,10,100)4(@paneSP1.png);98:4(0,4)16(1)32(2)8(3);}";
// floating pane window of the pane titled 反汇编显示 (disassembly display)
inline constexpr std::string_view kFloatingDisassemblyWindow =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "3:2(37)3(70,5,10,100)4(@paneSP1.png);98:4(0,4)16(1)32(2)8(3);}";
// close button of an inactive code-page tab
inline constexpr std::string_view kCodeTabCloseInactive =
    "{99:1.9.9;3:2(15)4(@tabBarNcClose.png);3:2(15)4(@tabBarNcClose1.png);"
    "3:2(15)4(@tabBarNcClose2.png);98:16(0)32(1)64(2);}";
// close button of the active code-page tab
inline constexpr std::string_view kCodeTabCloseActive =
    "{99:1.9.9;3:2(15)4(@tabBarActClose.png);3:2(15)4(@tabBarActClose1.png);"
    "3:2(15)4(@tabBarActClose2.png);98:16(0)32(1)64(2);}";
// code-page tab label
inline constexpr std::string_view kCodeTabLabel =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(15)3(0,0,0,1)20(1)21(5)26(0)25(@ID_COLOR_CodeTab_Btn_Hov);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "98:272(0)288(2,1)320(0,1)128(3);}";
// strip under the host's code-completion list (framed layout element)
inline constexpr std::string_view kCompletionStrip =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-14277339)23(255)10(1)7(1)11(3)16(0)12(-13619923)13(255);"
    "5:2(11)3(0,1,1,1)20(1)21(3)26(0)22(-14277339)23(255);98:16(0,1);}";
// button of that strip
inline constexpr std::string_view kCompletionStripButton =
    "{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-14277339)23(255);5:2(15)20(1)21(3)26(0)22(-3376640)23(255);"
    "5:2(15)20(1)21(3)26(0)22(-26317)23(255);98:16(0)32(1)64(2);}";
// expand button of a tree item (checked while expanded)
inline constexpr std::string_view kTreeExpandButton =
    "{99:1.9.9;3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgnWhite.png);"
    "3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgn_xWhite.png);98:272(0)288(1)320(2)128(3);}";
// navigation-bar combo box, mouse over
inline constexpr std::string_view kNavComboBoxOver =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    "3:2(36)3(6,3,3,100)4(@cd2.png);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    "5:2(14)3(13,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,3,3,100)4(@cd.png);"
    "5:2(14)3(1,0,12,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(14)3(12,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_3);98:16(0,5,6,1)64(2,3,4);}";
// navigation-bar combo box, mouse away
inline constexpr std::string_view kNavComboBoxAway =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ComboBoxBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    "3:2(36)3(6,3,3,100)4(@cd.png);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_2)10(1)7(1)11(5)16(0)15(@ID_COLOR_1);"
    "5:2(14)3(13,0,0,0)20(1)21(5)26(0)25(@ID_COLOR_WinBd);3:2(36)3(6,3,3,100)4(@cd.png);"
    "98:16(0,1)64(2,3,4);}";
// tool-bar button
inline constexpr std::string_view kToolBarButton =
    "{99:1.9.9;5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_ToolBtnHov);5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBd);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg)10(1)7(1)11(5)16(0)15(@ID_COLOR_LibTreeSelect);"
    "5:2(15)20(1)21(5)26(0)25(@ID_COLOR_WinBg);98:272(0)288(1)320(2)128(3)2(4);}";
// tool-bar separator (an element 2 × 21 pixels)
inline constexpr std::string_view kToolBarSeparator =
    "{99:1.9.9;5:2(11)3(0,0,1,0)20(1)21(3)26(0)22(-14540254)23(255);"
    "5:2(11)3(1,0,1,0)20(1)21(3)26(0)22(-11909562)23(255);98:16(0,1);}";

// Every row, in the order of the theme's table (tests parse each one).
inline constexpr std::array<std::string_view, 27> kAll = {
    kFrameTopDebugging,
    kFrameRightDebugging,
    kFrameLeftDebugging,
    kFrameBottomDebugging,
    kFrameTopNormal,
    kFrameRightNormal,
    kFrameLeftNormal,
    kFrameBottomNormal,
    kPane,
    kComboBoxAway,
    kComboBoxOver,
    kMenuBarButtonClosed,
    kMenuBarButtonOpen,
    kMenuBarButtonOver,
    kMenuBarButtonAway,
    kFloatingPaneWindow,
    kFloatingDisassemblyWindow,
    kCodeTabCloseInactive,
    kCodeTabCloseActive,
    kCodeTabLabel,
    kCompletionStrip,
    kCompletionStripButton,
    kTreeExpandButton,
    kNavComboBoxOver,
    kNavComboBoxAway,
    kToolBarButton,
    kToolBarSeparator,
};

}  // namespace tovalux::descriptor
