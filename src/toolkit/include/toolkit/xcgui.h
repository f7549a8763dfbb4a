// The toolkit's public surface: XCGUI-style functions over 32-bit handles.
//
// Every function validates its handles: 0, a stale handle or a handle of the wrong kind makes it
// do nothing and answer 0, false, -1 or an empty text. Texts are UTF-16 (XChar: wchar_t on
// Windows, char16_t elsewhere); functions that fill a RECT also accept any struct with RECT's
// members (so Win32 RECT* and XRect* both work). Toolkit objects are used on one thread.
//
// Index (families): life and lookup · fonts, images, resources, backgrounds · windows ·
// elements · events · layout elements · shapes · buttons · tool bars · tab bars · scroll bars
// · scroll views · edits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "toolkit/types.h"

namespace tovalux::tk {
struct EventArgs;
}

// --- life and lookup ---------------------------------------------------------------------
bool XInitXCGUI(const char* appName);
void XExitXCGUI();
bool XC_LoadResource(const XChar* path);
bool XC_LoadStyle(const XChar* path);
void XC_SetDefaultFont(HFONTX font);
XString XC_AnsiToUnicode(const char* gbk);
std::string XC_wtoa(const XChar* text);
bool XC_IsHWINDOW(HXCGUI h);
bool XC_IsHELE(HXCGUI h);
bool XC_IsHXCGUI(HXCGUI h, int type);
int XC_GetObjectType(HXCGUI h);
// How many calls reached the toolkit on a thread other than the one that called XInitXCGUI
// (toolkit objects belong to that thread; a debug build stops at the first such call).
uint32_t XC_GetForeignThreadCalls();
HXCGUI XC_LoadLayout(const XChar* xmlFile, HXCGUI parent = 0, XHWND attachWindow = nullptr);
HXCGUI XC_GetObjectByName(const XChar* name);
// window 0 searches every window.
HXCGUI XC_GetObjectByID(HWINDOW window, int id);

// --- fonts, images, resources, backgrounds -------------------------------------------------
HFONTX XFont_Create2(const XChar* face, int size, int style);
HIMAGE XImage_LoadFile(const XChar* path, bool stretch = false);
HIMAGE XImage_LoadMemory(const void* data, int size, bool stretch = false);
int XImage_GetWidth(HIMAGE image);
int XImage_GetHeight(HIMAGE image);
XColor XRes_GetColor(const XChar* name);
HIMAGE XRes_GetImage(const XChar* name);
HBKM XEle_GetBkManager(HELE ele);
HBKM XWnd_GetBkManager(HWINDOW window);
int XBkM_SetBkInfo(HBKM bkm, const XChar* descriptor);
HTEMP XTemp_Load(int listType, const XChar* xmlFile);

// --- windows -------------------------------------------------------------------------------
HWINDOW XWnd_CreateEx(uint32_t exStyle, const XChar* className, const XChar* title, uint32_t style, int x, int y,
                      int width, int height, XHWND parent = nullptr, int xcStyle = 0);
HWINDOW XFrameWnd_CreateEx(uint32_t exStyle, const XChar* className, const XChar* title, uint32_t style, int x, int y,
                           int width, int height, XHWND parent = nullptr, int xcStyle = 0);
void XWnd_SetMinimumSize(HWINDOW window, int width, int height);
void XWnd_SetTransparentType(HWINDOW window, int type);
void XWnd_SetTransparentAlpha(HWINDOW window, int alpha);
void XWnd_SetShadowInfo(HWINDOW window, int size, int depth, int cornerSize, bool rightAngle, XColor color);
void XWnd_SetLayoutSize(HWINDOW window, int left, int top, int right, int bottom);
void XWnd_BindLayoutEle(HWINDOW window, int position, HELE ele);
void XFrameWnd_SetView(HWINDOW frame, HELE view);
void XWnd_AdjustLayout(HWINDOW window);
void XWnd_ShowWindow(HWINDOW window, int nCmdShow);
void XWnd_RedrawWnd(HWINDOW window, bool immediate = false);
void XWnd_CloseWindow(HWINDOW window);
void XWnd_GetDrawRect(HWINDOW window, XRect* out);
XHWND XWnd_GetHWND(HWINDOW window);
void XWnd_EnableDragWindow(HWINDOW window, bool enable);
void XWnd_EnableDragCaption(HWINDOW window, bool enable);
int XWnd_GetChildCount(HWINDOW window);
HXCGUI XWnd_GetChildByIndex(HWINDOW window, int index);
// The window's position and size (screen, or the native parent's client area).
void XWnd_SetRect(HWINDOW window, const XRect* rect);
void XWnd_GetRect(HWINDOW window, XRect* out);

// --- elements ------------------------------------------------------------------------------
HELE XEle_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XEle_Destroy(HXCGUI ele);
void XEle_SetID(HXCGUI ele, int id);
int XEle_GetID(HXCGUI ele);
void XEle_SetName(HXCGUI ele, const XChar* name);
int XEle_GetChildCount(HXCGUI ele);
HXCGUI XEle_GetChildByIndex(HXCGUI ele, int index);
HELE XEle_GetParentEle(HXCGUI ele);
HWINDOW XEle_GetWindow(HXCGUI ele);
XHWND XEle_GetHWND(HXCGUI ele);
int XEle_GetWidth(HXCGUI ele);
int XEle_GetHeight(HXCGUI ele);
void XEle_SetWidth(HXCGUI ele, int width);
void XEle_SetHeight(HXCGUI ele, int height);
// Position and size in the parent's coordinates.
void XEle_SetRect(HXCGUI ele, const XRect* rect);
void XEle_GetRect(HXCGUI ele, XRect* out);
void XEle_GetClientRect(HXCGUI ele, XRect* out);
void XEle_RectClientToWndClient(HXCGUI ele, XRect* inout);
void XEle_SetLayoutWidth(HXCGUI ele, int sizeType, int value);
void XEle_SetLayoutHeight(HXCGUI ele, int sizeType, int value);
void XEle_SetMinSize(HXCGUI ele, int width, int height);
void XEle_SetBorderSize(HXCGUI ele, int left, int top, int right, int bottom);
void XEle_SetPadding(HXCGUI ele, int left, int top, int right, int bottom);
void XEle_SetDragBorder(HXCGUI ele, int edgeFlags);
void XEle_SetDragBorderBindEle(HXCGUI ele, int edge, HELE bound, int space);
void XEle_AdjustLayout(HXCGUI ele);
void XEle_RedrawEle(HXCGUI ele, bool immediate = false);
void XEle_Enable(HXCGUI ele, bool enable);
bool XEle_IsEnable(HXCGUI ele);
void XEle_Show(HXCGUI ele, bool show);
bool XEle_IsShow(HXCGUI ele);
void XEle_SetTextColor(HXCGUI ele, XColor color, int alpha = 255);
void XEle_SetFont(HXCGUI ele, HFONTX font);
void XEle_EnableCSS(HXCGUI ele, bool enable);
void XEle_SetCssName(HXCGUI ele, const XChar* name);
void XEle_EnableBkTransparent(HXCGUI ele, bool enable);
bool XEle_IsBkTransparent(HXCGUI ele);
void XEle_EnableMouseThrough(HXCGUI ele, bool enable);
void XEle_SetToolTip(HXCGUI ele, const XChar* text);
XString XEle_GetToolTip(HXCGUI ele);
// Gives the element the focus inside its window (31 and 32 raised as a click raises them); the
// native window takes the keyboard only when the platform gives it the focus (SetFocus on
// XWnd_GetHWND). A disabled or hidden element is refused.
void XEle_SetFocus(HXCGUI ele);
// The element that has the focus inside the window; 0 when none.
HELE XWnd_GetFocusEle(HWINDOW window);

// --- events --------------------------------------------------------------------------------
// Handlers: `int handler([HELE|HWINDOW self,] event arguments..., bool* handled)` as function
// pointers or non-generic callables. The C1 forms receive the object they are registered on
// first. Handlers run newest first; one that sets *handled stops the rest and the toolkit's
// default action. Missing trailing arguments arrive as 0.
namespace xcgui_detail {
using RawHandler = std::function<int(HXCGUI self, const tovalux::tk::EventArgs& args, bool* handled)>;
bool regEle(HXCGUI ele, int event, RawHandler handler);
bool regWnd(HWINDOW window, int event, RawHandler handler);
int sendEle(HXCGUI ele, int event, const intptr_t* args, int count);
intptr_t eventArg(const tovalux::tk::EventArgs& args, int index);

template <class T>
T fromArg(intptr_t v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<T>(v);
  else if constexpr (std::is_same_v<T, bool>)
    return v != 0;
  else
    return static_cast<T>(v);
}
template <class T>
intptr_t toArg(T v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<intptr_t>(v);
  else
    return static_cast<intptr_t>(v);
}

template <bool WithSelf, class R, class... A>
RawHandler wrap(std::function<R(A...)> fn) {
  return [fn = std::move(fn)](HXCGUI self, const tovalux::tk::EventArgs& args, bool* handled) -> int {
    constexpr size_t n = sizeof...(A);
    auto pick = [&]<size_t K>(std::integral_constant<size_t, K>) {
      using T = std::tuple_element_t<K, std::tuple<A...>>;
      if constexpr (WithSelf && K == 0) {
        return fromArg<T>(static_cast<intptr_t>(self));
      } else if constexpr (K == n - 1 && std::is_same_v<T, bool*>) {
        return handled;
      } else {
        return fromArg<T>(eventArg(args, static_cast<int>(K) - (WithSelf ? 1 : 0)));
      }
    };
    auto call = [&]<size_t... K>(std::index_sequence<K...>)->int {
      if constexpr (std::is_void_v<R>) {
        fn(pick(std::integral_constant<size_t, K>{})...);
        return 0;
      } else {
        return static_cast<int>(fn(pick(std::integral_constant<size_t, K>{})...));
      }
    };
    return call(std::index_sequence_for<A...>{});
  };
}

template <class F>
struct CallableSig;
template <class C, class R, class... A>
struct CallableSig<R (C::*)(A...) const> {
  using type = std::function<R(A...)>;
};
template <class C, class R, class... A>
struct CallableSig<R (C::*)(A...)> {
  using type = std::function<R(A...)>;
};
template <bool WithSelf, class F>
RawHandler wrapCallable(F fn) {
  using Fn = typename CallableSig<decltype(&F::operator())>::type;
  return wrap<WithSelf>(Fn(std::move(fn)));
}
}  // namespace xcgui_detail

template <class R, class... A>
bool XEle_RegEventC(HXCGUI ele, int event, R (*fn)(A...)) {
  return xcgui_detail::regEle(ele, event, xcgui_detail::wrap<false>(std::function<R(A...)>(fn)));
}
template <class F>
bool XEle_RegEventC(HXCGUI ele, int event, F fn) {
  return xcgui_detail::regEle(ele, event, xcgui_detail::wrapCallable<false>(std::move(fn)));
}
template <class R, class... A>
bool XEle_RegEventC1(HXCGUI ele, int event, R (*fn)(A...)) {
  return xcgui_detail::regEle(ele, event, xcgui_detail::wrap<true>(std::function<R(A...)>(fn)));
}
template <class F>
bool XEle_RegEventC1(HXCGUI ele, int event, F fn) {
  return xcgui_detail::regEle(ele, event, xcgui_detail::wrapCallable<true>(std::move(fn)));
}
template <class R, class... A>
bool XWnd_RegEventC(HWINDOW window, int event, R (*fn)(A...)) {
  return xcgui_detail::regWnd(window, event, xcgui_detail::wrap<false>(std::function<R(A...)>(fn)));
}
template <class F>
bool XWnd_RegEventC(HWINDOW window, int event, F fn) {
  return xcgui_detail::regWnd(window, event, xcgui_detail::wrapCallable<false>(std::move(fn)));
}
template <class R, class... A>
bool XWnd_RegEventC1(HWINDOW window, int event, R (*fn)(A...)) {
  return xcgui_detail::regWnd(window, event, xcgui_detail::wrap<true>(std::function<R(A...)>(fn)));
}
template <class F>
bool XWnd_RegEventC1(HWINDOW window, int event, F fn) {
  return xcgui_detail::regWnd(window, event, xcgui_detail::wrapCallable<true>(std::move(fn)));
}
// Raises an event as if it happened: handlers, then the default action unless handled.
// Answers 1 when a handler marked it handled, 0 otherwise (also for a dead element).
template <class... A>
int XEle_SendEvent(HXCGUI ele, int event, A... args) {
  intptr_t values[sizeof...(A) + 1] = {xcgui_detail::toArg(args)...};
  return xcgui_detail::sendEle(ele, event, values, static_cast<int>(sizeof...(A)));
}

// --- layout elements -----------------------------------------------------------------------
HELE XLayout_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XLayout_EnableHorizon(HELE layout, bool horizontal);
void XLayout_SetSpace(HELE layout, int space);
void XLayout_SetAlignH(HELE layout, int align);
void XLayout_SetAlignV(HELE layout, int align);

// --- shapes --------------------------------------------------------------------------------
HSHAPE XShapePic_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XShapePic_SetImage(HSHAPE shape, HIMAGE image);
HSHAPE XShapeText_Create(int x, int y, int width, int height, const XChar* text, HXCGUI parent = 0);
void XShapeText_SetText(HSHAPE shape, const XChar* text);
XString XShapeText_GetText(HSHAPE shape);
void XShapeText_SetTextColor(HSHAPE shape, XColor color, int alpha = 255);
void XShapeText_SetFont(HSHAPE shape, HFONTX font);
void XShapeText_SetTextAlign(HSHAPE shape, int flags);
void XShape_Redraw(HSHAPE shape);

// --- buttons -------------------------------------------------------------------------------
HELE XBtn_Create(int x, int y, int width, int height, const XChar* text, HXCGUI parent = 0);
void XBtn_SetIcon(HELE button, HIMAGE image);
void XBtn_SetIconDisable(HELE button, HIMAGE image);
HELE XBtn_GetBindEle(HELE button);
void XBtn_SetBindEle(HELE button, HELE bound);
int XBtn_GetType(HELE button);
void XBtn_SetType(HELE button, int type);
void XBtn_SetGroupID(HELE button, int group);
void XBtn_SetCheck(HELE button, bool checked);
bool XBtn_IsCheck(HELE button);
void XBtn_SetText(HELE button, const XChar* text);
XString XBtn_GetText(HELE button);

// --- tool bars -----------------------------------------------------------------------------
HELE XToolBar_Create(int x, int y, int width, int height, HXCGUI parent = 0);
int XToolBar_InsertEle(HELE bar, HELE ele, int index = -1);
HELE XToolBar_GetEle(HELE bar, int index);
int XToolBar_GetEleCount(HELE bar);

// --- tab bars ------------------------------------------------------------------------------
HELE XTabBar_Create(int x, int y, int width, int height, HXCGUI parent = 0);
int XTabBar_AddLabel(HELE bar, const XChar* text);
HELE XTabBar_GetLabel(HELE bar, int index);
HELE XTabBar_GetLabelClose(HELE bar, int index);
int XTabBar_GetLabelCount(HELE bar);
void XTabBar_SetSelect(HELE bar, int index);
int XTabBar_GetSelect(HELE bar);
void XTabBar_DeleteLabel(HELE bar, int index);
void XTabBar_SetPadding(HELE bar, int left, int top, int right, int bottom);
void XTabBar_SetLabelSpacing(HELE bar, int spacing);
void XTabBar_EnableClose(HELE bar, bool enable);
void XTabBar_EnableTile(HELE bar, bool enable);

// --- scroll bars ---------------------------------------------------------------------------
HELE XSBar_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XSBar_EnableHorizon(HELE bar, bool horizontal);
void XSBar_SetSliderPadding(HELE bar, int padding);
void XSBar_SetSliderLength(HELE bar, int length);
HELE XSBar_GetButtonUp(HELE bar);
HELE XSBar_GetButtonDown(HELE bar);
HELE XSBar_GetButtonSlider(HELE bar);
void XSBar_SetRange(HELE bar, int range);
int XSBar_GetRange(HELE bar);
void XSBar_ScrollPos(HELE bar, int pos);
int XSBar_GetPos(HELE bar);
void XSBar_ShowButton(HELE bar, bool show);

// --- scroll views --------------------------------------------------------------------------
HELE XSView_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XSView_ShowSBarV(HELE view, bool show);
void XSView_ShowSBarH(HELE view, bool show);
void XSView_EnableAutoShowScrollBar(HELE view, bool enable);
void XSView_SetScrollBarSize(HELE view, int size);
void XSView_GetBorderSize(HELE view, XRect* out);
void XSView_SetBorderSize(HELE view, int left, int top, int right, int bottom);
void XSView_SetTotalSize(HELE view, int width, int height);
HELE XSView_GetScrollBarV(HELE view);
HELE XSView_GetScrollBarH(HELE view);

// --- edits ---------------------------------------------------------------------------------
HELE XEdit_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XEdit_EnableAutoWrap(HELE edit, bool enable);
void XEdit_EnableMultiLine(HELE edit, bool enable);
void XEdit_EnableReadOnly(HELE edit, bool enable);
void XEdit_SetText(HELE edit, const XChar* text);
// At most maxChars characters (a negative value: all of it).
XString XEdit_GetText(HELE edit, int maxChars = -1);
void XEdit_AddText(HELE edit, const XChar* text);
int XEdit_AddStyleEx(HELE edit, const XChar* face, int size, int fontStyle, XColor color, bool useColor);
void XEdit_AddTextEx(HELE edit, const XChar* text, int styleIndex);
// Removes the characters [from, to), read-only or not (as XEdit_SetText): a log drops its oldest
// text this way without being filled again. The selection stays on the text it was on.
void XEdit_RemoveText(HELE edit, int from, int to);
void XEdit_AutoScroll(HELE edit);
void XEdit_SelectAll(HELE edit);

// --- RECT-shaped arguments -----------------------------------------------------------------
template <class R>
concept XRectShaped = !std::is_same_v<R, XRect> && requires(R r) {
  r.left;
  r.top;
  r.right;
  r.bottom;
};
namespace xcgui_detail {
template <class R>
XRect fromShaped(const R& r) {
  return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
          static_cast<int32_t>(r.bottom)};
}
template <class R>
void toShaped(const XRect& r, R* out) {
  out->left = r.left, out->top = r.top, out->right = r.right, out->bottom = r.bottom;
}
}  // namespace xcgui_detail
template <XRectShaped R>
void XEle_GetClientRect(HXCGUI ele, R* out) {
  XRect r;
  XEle_GetClientRect(ele, &r);
  if (out != nullptr) xcgui_detail::toShaped(r, out);
}
template <XRectShaped R>
void XEle_GetRect(HXCGUI ele, R* out) {
  XRect r;
  XEle_GetRect(ele, &r);
  if (out != nullptr) xcgui_detail::toShaped(r, out);
}
template <XRectShaped R>
void XEle_RectClientToWndClient(HXCGUI ele, R* inout) {
  if (inout == nullptr) return;
  XRect r = xcgui_detail::fromShaped(*inout);
  XEle_RectClientToWndClient(ele, &r);
  xcgui_detail::toShaped(r, inout);
}
template <XRectShaped R>
void XWnd_GetDrawRect(HWINDOW window, R* out) {
  XRect r;
  XWnd_GetDrawRect(window, &r);
  if (out != nullptr) xcgui_detail::toShaped(r, out);
}
template <XRectShaped R>
void XSView_GetBorderSize(HELE view, R* out) {
  XRect r;
  XSView_GetBorderSize(view, &r);
  if (out != nullptr) xcgui_detail::toShaped(r, out);
}
#include "toolkit/xcgui_menus.h"
#include "toolkit/xcgui_views.h"
