// Basic types of the toolkit's public surface: handles, texts, rectangles, colours, object types
// and event numbers. Portable: no <windows.h>; on Windows the types line up with the Win32 ones
// (XChar is wchar_t, XHWND is HWND, XRect has RECT's layout).
#pragma once

#include <cstdint>
#include <string>

// Every toolkit handle is a 32-bit value, 0 = none.
using HXCGUI = uint32_t;
using HWINDOW = uint32_t;
using HELE = uint32_t;
using HSHAPE = uint32_t;
using HIMAGE = uint32_t;
using HFONTX = uint32_t;
using HMENUX = uint32_t;
using HBKM = uint32_t;
using HTEMP = uint32_t;
using HADAPTER = uint32_t;
using HDRAW = uint32_t;

// UTF-16 texts cross the surface as XChar strings. wchar_t is UTF-16 only on Windows.
#ifdef _WIN32
using XChar = wchar_t;
struct HWND__;
using XHWND = HWND__*;  // the same type as HWND under STRICT
#else
using XChar = char16_t;
using XHWND = void*;
#endif
using XString = std::basic_string<XChar>;
static_assert(sizeof(XChar) == 2, "toolkit texts are UTF-16");

// COLORREF: red | green << 8 | blue << 16. Alpha travels separately.
using XColor = uint32_t;
constexpr XColor XRGB(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }

// Same member names and layout as RECT / POINT / SIZE.
struct XRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const XRect&) const = default;
};
struct XPoint {
  int32_t x = 0, y = 0;
  bool operator==(const XPoint&) const = default;
};
struct XSize {
  int32_t cx = 0, cy = 0;
  bool operator==(const XSize&) const = default;
};

// Object types answered by XC_GetObjectType and tested by XC_IsHXCGUI.
enum XObjectType : int {
  XC_BUTTON = 22,
  XC_COMBOBOX = 24,
  XC_SCROLLBAR = 25,
  XC_LIST = 27,
  XC_LISTBOX = 28,
  XC_TOOLBAR = 34,
  XC_TABBAR = 40,
  XC_PANE = 42,
  XC_MENUBAR_BUTTON = 44,
  XC_EDIT = 45,
  XC_SCROLLVIEW = 54,
  XC_SHAPE_TEXT = 62,
  XC_MENU = 81,
  XC_WINDOW = 101,
  XC_FRAMEWND = 102,
  XC_ELE = 110,
  XC_ELE_LAYOUT = 111,
  XC_SHAPE_PICTURE = 112,
  XC_TREE = 113,
  XC_LISTVIEW = 114,
  XC_MENUBAR = 115,
  XC_IMAGE = 120,
  XC_FONT = 121,
  XC_TEMP = 122,
  XC_ADAPTER = 123,
  XC_BKM = 124,
  XC_DRAW = 125,
};

// Element events (XEle_RegEventC / XEle_RegEventC1).
enum XEleEvent : int {
  XE_MOUSESTAY = 6,        // (int flags, XPoint* pt)
  XE_MOUSELEAVE = 8,       // (HELE hoverEle)
  XE_LBUTTONDOWN = 10,     // (int flags, XPoint* pt)
  XE_LBUTTONUP = 11,       // (int flags, XPoint* pt)
  XE_RBUTTONUP = 13,       // (int flags, XPoint* pt)
  XE_LBUTTONDBCLICK = 14,  // (int flags, XPoint* pt)
  XE_SETFOCUS = 31,
  XE_KILLFOCUS = 32,
  XE_BNCLICK = 34,
  XE_BUTTON_CHECK = 35,  // (bool checked)
  XE_SIZE = 36,          // (int flags)
  XE_SHOW = 37,          // (bool shown)
  // (int key, int flags): a key pressed while the element (or one inside it) has the focus, or
  // while the drop-down of a combo box is open. Raised before the element's own key handling;
  // a handler that sets *handled takes the key (the element does nothing with it).
  XE_KEYDOWN = 39,
  XE_SBAR_SCROLL = 56,  // (int pos)
  XE_MENU_POPUP = 57,
  XE_MENU_POPUP_WND = 58,
  XE_MENU_SELECT = 59,
  XE_MENU_DRAW_BACKGROUND = 60,
  XE_MENU_DRAWITEM = 61,
  XE_MENU_EXIT = 62,
  XE_COMBOBOX_SELECT = 71,
  XE_COMBOBOX_POPUP_LIST = 72,
  XE_EDIT_CHANGED = 180,  // (): the text of an editable combo box changed by typing
  XE_LISTBOX_TEMP_CREATE_END = 82,
  XE_LISTBOX_SELECT = 86,
  XE_LIST_TEMP_CREATE_END = 102,
  XE_LIST_DRAWITEM = 105,
  XE_LIST_HEADER_DRAWITEM = 107,
  XE_TREE_TEMP_CREATE = 121,
  XE_TREE_TEMP_CREATE_END = 122,
  XE_TREE_SELECT = 126,
  XE_TREE_EXPAND = 127,
  XE_LISTVIEW_SELECT = 146,
  XE_LISTVIEW_EXPAND = 147,
  XE_TABBAR_DELETE = 222,  // (int index)
};

// Window events that are not window messages (XWnd_RegEventC).
enum XWndEvent : int {
  XWM_FLOAT_PANE = 28690,  // (HWINDOW floatWindow, HELE pane)
  XWM_DOCK_LAYOUT_CHANGE = 28692,
};

// Background states (descriptor "98:" entries).
enum XBkState : uint32_t {
  XBK_DISABLE = 0x2,
  XBK_WINDOW_ACTIVE = 0x4,
  XBK_WINDOW_INACTIVE = 0x8,
  XBK_NORMAL = 0x10,
  XBK_HOVER = 0x20,
  XBK_PRESSED = 0x40,
  XBK_CHECKED = 0x80,
  XBK_UNCHECKED = 0x100,
  XBK_PANE_ACTIVE = 0x40000000,
  XBK_PANE_INACTIVE = 0x80000000,
};

// Layout size types (XEle_SetLayoutWidth / XEle_SetLayoutHeight).
enum XLayoutSize : int {
  layout_size_fixed = 0,
  layout_size_fill = 1,
  layout_size_auto = 2,
  layout_size_weight = 3,
};

// Alignment (XLayout_SetAlignH / XLayout_SetAlignV) and text-alignment flags.
// Horizontal: 0 left, 1 centre, 2 right. Vertical: 0 top, 4 centre, 8 bottom (the text flags' bits).
enum XAlign : int {
  align_left = 0,
  align_center_h = 1,
  align_right = 2,
  align_top = 0,
  align_center_v = 4,
  align_bottom = 8
};
enum XTextAlign : int {
  text_align_left = 0,
  text_align_center = 1,
  text_align_right = 2,
  text_align_vcenter = 4,
  text_align_bottom = 8,
};

// Button types (XBtn_SetType / XBtn_GetType).
enum XButtonType : int { button_type_push = 0, button_type_check = 1, button_type_checkbox = 2, button_type_radio = 3 };

// Window margin bands (XWnd_BindLayoutEle).
enum XBindPosition : int { bind_top = 0, bind_bottom = 1, bind_left = 2, bind_right = 3 };

// Edges (drag borders, descriptor anchors).
enum XEdge : int { edge_left = 1, edge_top = 2, edge_right = 4, edge_bottom = 8 };

// Keys of keyboard input: the virtual-key numbers Windows uses, so the backend passes them on.
enum XKey : int {
  key_back = 0x08,
  key_tab = 0x09,
  key_return = 0x0D,
  key_escape = 0x1B,
  key_space = 0x20,
  key_prior = 0x21,
  key_next = 0x22,
  key_end = 0x23,
  key_home = 0x24,
  key_left = 0x25,
  key_up = 0x26,
  key_right = 0x27,
  key_down = 0x28,
  key_delete = 0x2E,
};

// Font styles (XFont_Create2).
enum XFontStyle : int {
  font_style_regular = 0,
  font_style_bold = 1,
  font_style_italic = 2,
  font_style_underline = 4,
  font_style_strikeout = 8
};

// Item-template list kinds (XTemp_Load).
enum XListType : int {
  listType_listBox = 1,
  listType_list = 2,
  listType_tree = 3,
  listType_listView = 4,
  listType_comboBox = 5
};
