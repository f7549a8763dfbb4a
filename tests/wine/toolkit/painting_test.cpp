// What the toolkit paints, read back from the screen: descriptor parts in their colours, the
// hover and pressed looks, disabled icons, images with alpha, fonts and text alignment, clipping,
// dirty-area repainting, and native child windows left alone.
#include "toolkit_screen.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

namespace tovalux::testing {
namespace {

using Painting = ToolkitScreen;

constexpr COLORREF kWinBg = RGB(0x2D, 0x2D, 0x30);
constexpr COLORREF kWinBd = RGB(0x00, 0x7A, 0xCC);
constexpr COLORREF kToolBtnHov = RGB(0x3E, 0x3E, 0x40);
constexpr COLORREF kLibTreeSelect = RGB(0x33, 0x99, 0xFF);

// A 32-bit PNG of `width` x `height` whose pixels `pixel(x, y)` gives as 0xAARRGGBB.
template <class F>
std::string makePng(int width, int height, F pixel) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  std::string bytes;
  {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(pixel(x, y)));
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::string buffer(size, '\0');
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
      if (std::wstring(codecs[i].MimeType) != L"image/png") continue;
      IStream* stream = SHCreateMemStream(nullptr, 0);
      bitmap.Save(stream, &codecs[i].Clsid, nullptr);
      STATSTG stat{};
      stream->Stat(&stat, STATFLAG_NONAME);
      bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
      LARGE_INTEGER zero{};
      stream->Seek(zero, STREAM_SEEK_SET, nullptr);
      ULONG read = 0;
      stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
      stream->Release();
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return bytes;
}

// A 24-bit bottom-up BMP.
template <class F>
std::string makeBmp(int width, int height, F rgb) {
  const int stride = (width * 3 + 3) & ~3;
  std::string b(54 + stride * height, '\0');
  auto put32 = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  b[26] = 1, b[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      COLORREF c = rgb(x, height - 1 - y);
      size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
      b[at] = static_cast<char>(GetBValue(c)), b[at + 1] = static_cast<char>(GetGValue(c));
      b[at + 2] = static_cast<char>(GetRValue(c));
    }
  return b;
}

// A plain window with a solid background for painting tests, and the board its test
// elements go on.
std::pair<HWINDOW, HELE> testWindow(int width, int height, COLORREF background) {
  HWINDOW w = XWnd_CreateEx(0, L"", L"", 0, 120, 80, width, height, nullptr, 0);
  std::wstring info = L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(" +
                      std::to_wstring(static_cast<int32_t>(0xFF000000u | background)) + L")23(255);98:16(0);}";
  XBkM_SetBkInfo(XWnd_GetBkManager(w), info.c_str());
  return {w, board(w)};
}

TEST_F(Painting, DescriptorPartsShowTheirColours) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  Capture screen(frame);
  RECT c{};
  GetClientRect(frame, &c);
  // Edges: a 1-pixel WinBd line outside, WinBg inside (top, left, right); the bottom edge is a
  // 6-pixel WinBg gap over the WinBd status bar.
  EXPECT_EQ(screen.at(0, 300), kWinBd);
  EXPECT_EQ(screen.at(1, 300), kWinBg);
  EXPECT_EQ(screen.at(c.right - 1, 300), kWinBd);
  EXPECT_EQ(screen.at(c.right - 2, 300), kWinBg);
  EXPECT_EQ(screen.at(500, 0), kWinBd);
  EXPECT_EQ(screen.at(500, 1), kWinBg);
  EXPECT_EQ(screen.at(500, c.bottom - 32 + 3), kWinBg);
  EXPECT_EQ(screen.at(500, c.bottom - 32 + 7), kWinBd);
  EXPECT_EQ(screen.at(500, c.bottom - 1), kWinBd);

  // Tool-bar button at rest (state 272: part 0, WinBg), the checked one (128: WinBg inside a
  // LibTreeSelect frame), and a separator (two lines of literal colours).
  RECT run = clientRect(g.runButton);
  EXPECT_EQ(screen.at(run.left + 1, run.top + 1), kWinBg);
  RECT wrap = clientRect(g.wrapButton);
  EXPECT_EQ(screen.at(wrap.left, wrap.top + 5), kLibTreeSelect);
  EXPECT_EQ(screen.at(wrap.left + 1, wrap.top + 1), kWinBg);
  HELE separator = XToolBar_GetEle(g.toolBar0, 2);
  ASSERT_FALSE(XC_IsHXCGUI(separator, XC_BUTTON));
  RECT sep = clientRect(separator);
  EXPECT_EQ(screen.at(sep.left, sep.top + 5), RGB(34, 34, 34));
  EXPECT_EQ(screen.at(sep.left + 1, sep.top + 5), RGB(70, 70, 74));

  // The selected code tab (checked: WinBd) and an unselected one (WinBg).
  RECT selected = clientRect(XTabBar_GetLabel(g.codeTabs, 1));
  RECT other = clientRect(XTabBar_GetLabel(g.codeTabs, 2));
  EXPECT_EQ(screen.at(selected.left + 2, selected.top + 2), kWinBd);
  EXPECT_EQ(screen.at(other.left + 2, other.top + 2), kWinBg);
  // Style-sheet colours where no descriptor is set: the scroll-bar track.
  RECT bar = clientRect(g.scrollBarV);
  EXPECT_EQ(screen.at(bar.left + 2, (bar.top + bar.bottom) / 2 + 40), RGB(0x3E, 0x3E, 0x42));
}

TEST_F(Painting, HoverAndPressedLooksFollowTheMouse) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  RECT run = clientRect(g.runButton);
  const POINT corner{run.left + 1, run.top + 1};  // off the icon
  EXPECT_EQ(Capture(frame).at(corner), kWinBg);

  moveTo(frame, centre(g.runButton));
  EXPECT_EQ(Capture(frame).at(corner), kToolBtnHov) << "state 288: the hover fill";
  buttonDown();
  EXPECT_EQ(Capture(frame).at(corner), kWinBd) << "state 320: the pressed fill";
  // Off the button with the button held: the pressed element keeps the capture but is no
  // longer under the mouse.
  moveTo(frame, centre(XTabBar_GetLabel(g.codeTabs, 2)));
  EXPECT_EQ(Capture(frame).at(corner), kWinBd) << "still pressed while held";
  release();
  EXPECT_EQ(Capture(frame).at(corner), kWinBg);

  // Descriptors swapped by handlers on hover, as the shell does for combo boxes.
  HELE combo = XC_GetObjectByName(L"navMainComboBox");
  if (XC_IsHELE(combo)) {
    XBkM_SetBkInfo(XEle_GetBkManager(combo), gallery::look::kComboAway);
    XEle_RegEventC1(combo, XE_MOUSESTAY, [](HELE self, int, POINT*, bool*) {
      XBkM_SetBkInfo(XEle_GetBkManager(self), gallery::look::kComboOver);
      XEle_RedrawEle(self, false);
      return 0;
    });
    XEle_RegEventC1(combo, XE_MOUSELEAVE, [](HELE self, HELE, bool*) {
      XBkM_SetBkInfo(XEle_GetBkManager(self), gallery::look::kComboAway);
      XEle_RedrawEle(self, false);
      return 0;
    });
    XEle_RedrawEle(combo, false);
    serveQueued();
    RECT box = clientRect(combo);
    const POINT inside{box.left + 4, box.top + 4};
    EXPECT_EQ(Capture(frame).at(inside), RGB(0x33, 0x33, 0x37)) << "ID_COLOR_ComboBoxBg";
    moveTo(frame, inside);
    EXPECT_EQ(Capture(frame).at(inside), RGB(0x3F, 0x3F, 0x46)) << "ID_COLOR_PaneBd under the mouse";
    parkCursor();  // the system reports the leave a moment later
    EXPECT_TRUE(pumpUntil([&] { return Capture(frame).at(inside) == RGB(0x33, 0x33, 0x37); }));
  }
}

TEST_F(Painting, DisabledButtonsShowTheirDisabledIcon) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  RECT stop = clientRect(g.stopButton);
  const RECT icon{stop.left + 2, stop.top + 2, stop.right - 2, stop.bottom - 2};
  // The stop icon is a salmon square; its disabled look a translucent grey one.
  const COLORREF salmon = RGB(244, 135, 113);
  auto grey = [](COLORREF c) {
    return GetRValue(c) > 80 && std::abs(GetRValue(c) - GetGValue(c)) < 3 && std::abs(GetGValue(c) - GetBValue(c)) < 4;
  };
  auto count = [&](const Capture& s, auto predicate) {
    int n = 0;
    for (int y = icon.top; y < icon.bottom; ++y)
      for (int x = icon.left; x < icon.right; ++x) n += predicate(s.at(x, y));
    return n;
  };
  Capture disabled(frame);
  EXPECT_EQ(disabled.count(icon, salmon), 0);
  EXPECT_GE(count(disabled, grey), 100) << "the disabled icon is drawn";
  EXPECT_EQ(disabled.at(stop.left + 1, stop.top + 1), kWinBg) << "state 2: the disabled fill";

  XEle_Enable(g.stopButton, true);
  XEle_RedrawEle(g.stopButton, false);
  serveQueued();
  Capture enabled(frame);
  EXPECT_EQ(enabled.count(icon, salmon), 144) << "enabled, the normal icon, all of it";
  EXPECT_EQ(count(enabled, grey), 0);
  // Disabled buttons take no mouse: no hover look.
  XEle_Enable(g.stopButton, false);
  XEle_RedrawEle(g.stopButton, false);
  moveTo(frame, centre(g.stopButton));
  EXPECT_EQ(Capture(frame).at(stop.left + 1, stop.top + 1), kWinBg);
}

TEST_F(Painting, ImagesBlendByTheirAlpha) {
  auto [w, b] = testWindow(200, 120, RGB(0, 0, 0));
  // 8 x 8: opaque red left half, half-transparent white right half; and a transparent corner.
  std::string png = makePng(8, 8, [](int x, int y) -> uint32_t {
    if (x == 0 && y == 0) return 0x00000000;
    return x < 4 ? 0xFFFF0000 : 0x80FFFFFF;
  });
  HIMAGE image = XImage_LoadMemory(png.data(), static_cast<int>(png.size()), false);
  ASSERT_NE(image, 0u);
  EXPECT_EQ(XImage_GetWidth(image), 8);
  HSHAPE natural = XShapePic_Create(10, 10, 8, 8, b);
  XShapePic_SetImage(natural, image);
  // Loaded for stretching: scaled to its element, smoothly between its pixels.
  std::string twoColumns = makePng(2, 2, [](int x, int) -> uint32_t { return x == 0 ? 0xFFFF0000 : 0xFF0000FF; });
  HIMAGE stretchy = XImage_LoadMemory(twoColumns.data(), static_cast<int>(twoColumns.size()), true);
  HSHAPE stretched = XShapePic_Create(40, 10, 40, 20, b);
  XShapePic_SetImage(stretched, stretchy);
  std::string bluePng = makePng(2, 2, [](int, int) -> uint32_t { return 0xFF0000FF; });
  HIMAGE blue = XImage_LoadMemory(bluePng.data(), static_cast<int>(bluePng.size()), false);
  std::string bmp = makeBmp(6, 4, [](int x, int y) { return RGB(10 * x, 20 * y, 200); });
  HIMAGE bitmap = XImage_LoadMemory(bmp.data(), static_cast<int>(bmp.size()), false);
  ASSERT_NE(bitmap, 0u);
  HSHAPE bmpShape = XShapePic_Create(100, 10, 6, 4, b);
  XShapePic_SetImage(bmpShape, bitmap);
  HSHAPE blueShape = XShapePic_Create(100, 40, 2, 2, b);
  XShapePic_SetImage(blueShape, blue);
  show(w);

  Capture screen(XWnd_GetHWND(w));
  EXPECT_EQ(screen.at(10, 10), RGB(0, 0, 0)) << "a transparent pixel shows the background";
  EXPECT_EQ(screen.at(11, 12), RGB(255, 0, 0));
  COLORREF half = screen.at(16, 12);
  EXPECT_NEAR(GetRValue(half), 128, 2);
  EXPECT_NEAR(GetGValue(half), 128, 2);
  EXPECT_EQ(GetRValue(half), GetBValue(half));
  EXPECT_EQ(screen.at(100, 10), RGB(0, 0, 200)) << "BMP rows are bottom-up in the file";
  EXPECT_EQ(screen.at(105, 13), RGB(50, 60, 200));
  EXPECT_EQ(screen.at(101, 41), RGB(0, 0, 255));
  EXPECT_EQ(screen.at(40, 20), RGB(255, 0, 0));
  EXPECT_EQ(screen.at(79, 20), RGB(0, 0, 255));
  COLORREF middle = screen.at(60, 20);
  EXPECT_NEAR(GetRValue(middle), 128, 16);
  EXPECT_NEAR(GetBValue(middle), 128, 16);

  // A stretch is made once per size and kept: a repaint of part of it (clipped, at an offset
  // into the kept pixels) gives the same pixels as the first, whole paint.
  RECT part{57, 13, 75, 27};
  InvalidateRect(XWnd_GetHWND(w), &part, TRUE);
  UpdateWindow(XWnd_GetHWND(w));
  Capture again(XWnd_GetHWND(w));
  int differing = 0;
  for (int y = 10; y < 30; ++y)
    for (int x = 40; x < 80; ++x) differing += again.at(x, y) != screen.at(x, y);
  EXPECT_EQ(differing, 0);
}

TEST_F(Painting, FontsAlignmentAndClipping) {
  auto [w, b] = testWindow(420, 200, RGB(0, 0, 0));
  const COLORREF ink = RGB(255, 255, 255);
  auto textShape = [&](int x, int y, int width, int align, int style) {
    HSHAPE s = XShapeText_Create(x, y, width, 24, L"Tovalux 文本", b);
    XShapeText_SetTextColor(s, ink, 255);
    XShapeText_SetTextAlign(s, align);
    XShapeText_SetFont(s, XFont_Create2(L"微软雅黑", 11, style));
    return s;
  };
  textShape(0, 0, 200, text_align_left | text_align_vcenter, font_style_regular);
  textShape(0, 30, 200, text_align_left | text_align_vcenter, font_style_bold);
  textShape(0, 60, 200, text_align_left | text_align_vcenter, font_style_underline);
  textShape(0, 90, 200, text_align_left | text_align_vcenter, font_style_strikeout);
  textShape(210, 0, 200, text_align_center | text_align_vcenter, 0);
  textShape(210, 30, 200, text_align_right | text_align_vcenter, 0);
  textShape(210, 60, 40, text_align_left | text_align_vcenter, 0);  // clipped to 40 pixels
  show(w);
  Capture s(XWnd_GetHWND(w));
  saveArtefact(XWnd_GetHWND(w), "toolkit-fonts");

  auto inkIn = [&](RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        COLORREF c = s.at(x, y);
        n += GetRValue(c) > 100;
      }
    return n;
  };
  auto inkColumns = [&](RECT r) {
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x)
      for (int y = r.top; y < r.bottom; ++y)
        if (GetRValue(s.at(x, y)) > 100) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    return std::make_pair(first, last);
  };
  // The longest run of ink along one row: underline and strike-out draw one.
  auto longestRow = [&](RECT r) {
    int best = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      int run = 0;
      for (int x = r.left; x < r.right; ++x) {
        run = GetRValue(s.at(x, y)) > 100 ? run + 1 : 0;
        best = std::max(best, run);
      }
    }
    return best;
  };
  const int regular = inkIn({0, 0, 200, 24});
  EXPECT_GT(regular, 50);
  EXPECT_GT(inkIn({0, 30, 200, 54}), regular * 6 / 5) << "bold has more ink";
  auto [left, leftEnd] = inkColumns({0, 0, 200, 24});
  const int textWidth = leftEnd - left;
  EXPECT_GT(longestRow({0, 60, 200, 84}), textWidth * 3 / 4) << "underline";
  EXPECT_GT(longestRow({0, 90, 200, 114}), textWidth * 3 / 4) << "strike-out";
  EXPECT_LT(longestRow({0, 0, 200, 24}), textWidth / 3) << "the regular font draws no line";
  EXPECT_LE(left, 3);
  auto [centred, centredEnd] = inkColumns({210, 0, 410, 24});
  EXPECT_NEAR((centred + centredEnd) / 2, 310, 3);
  auto [right, rightEnd] = inkColumns({210, 30, 410, 54});
  EXPECT_GE(rightEnd, 405);
  (void)right;
  EXPECT_GT(inkIn({210, 60, 250, 84}), 10);
  EXPECT_EQ(inkIn({250, 60, 420, 84}), 0) << "text stays inside its element";
}

TEST_F(Painting, OnlyTheDirtyAreaIsRepainted) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  win32::WindowProbe before;
  ASSERT_TRUE(win32::probeWindow(g.frame, &before));
  EXPECT_GT(before.paints, 0);
  serveQueued();
  ASSERT_TRUE(win32::probeWindow(g.frame, &before));

  moveTo(frame, centre(g.runButton));
  win32::WindowProbe after;
  ASSERT_TRUE(win32::probeWindow(g.frame, &after));
  EXPECT_GT(after.paints, before.paints);
  RECT run = clientRect(g.runButton);
  EXPECT_TRUE(EqualRect(&after.lastPaint, &run)) << "only the hovered button";

  XEle_RedrawEle(g.statusText, true);  // immediate: painted before the call returns
  win32::WindowProbe status;
  ASSERT_TRUE(win32::probeWindow(g.frame, &status));
  EXPECT_EQ(status.paints, after.paints + 1);
  RECT text = clientRect(g.statusText);
  EXPECT_TRUE(EqualRect(&status.lastPaint, &text));

  // Two areas far apart are painted as two rectangles, not as everything between them.
  XEle_RedrawEle(g.runButton, false);
  XEle_RedrawEle(g.statusText, false);
  serveQueued();
  win32::WindowProbe two;
  ASSERT_TRUE(win32::probeWindow(g.frame, &two));
  EXPECT_EQ(two.paints, status.paints + 1);
  EXPECT_EQ(two.lastAreas, 2);
  RECT both{};
  UnionRect(&both, &run, &text);
  EXPECT_TRUE(EqualRect(&two.lastPaint, &both));

  XWnd_RedrawWnd(g.frame, false);  // not immediate: on the next WM_PAINT
  win32::WindowProbe whole;
  ASSERT_TRUE(win32::probeWindow(g.frame, &whole));
  EXPECT_EQ(whole.paints, two.paints);
  serveQueued();
  ASSERT_TRUE(win32::probeWindow(g.frame, &whole));
  RECT client{};
  GetClientRect(frame, &client);
  EXPECT_TRUE(EqualRect(&whole.lastPaint, &client));
}

TEST_F(Painting, NativeChildWindowsKeepTheirPixels) {
  auto [w, b] = testWindow(300, 200, RGB(0, 0, 0));
  XEle_Destroy(b);
  HELE holder = XLayout_Create(0, 0, 100, 100, w);
  XEle_SetLayoutWidth(holder, layout_size_fill, 0);
  XEle_SetLayoutHeight(holder, layout_size_fill, 0);
  XEle_SetPadding(holder, 20, 20, 20, 20);
  HELE spot = XEle_Create(0, 0, 10, 10, holder);
  XEle_SetLayoutWidth(spot, layout_size_fill, 0);
  XEle_SetLayoutHeight(spot, layout_size_fill, 0);
  XBkM_SetBkInfo(XEle_GetBkManager(spot), L"{99:1.9.9;5:2(15)20(1)21(3)26(0)22(-16776961)23(255);98:16(0);}");
  // A native child in a colour of its own, kept over the element by its size event.
  HWND native = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 0, 0, 10, 10, XWnd_GetHWND(w),
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  XEle_RegEventC1(spot, XE_SIZE, [native](HELE self, int, bool*) {
    RECT r{0, 0, XEle_GetWidth(self), XEle_GetHeight(self)};
    XEle_RectClientToWndClient(self, &r);
    MoveWindow(native, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    return 0;
  });
  show(w);
  RECT r{};
  GetWindowRect(native, &r);
  MapWindowPoints(nullptr, XWnd_GetHWND(w), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 280);

  XWnd_RedrawWnd(w, true);
  Capture s(XWnd_GetHWND(w));
  EXPECT_EQ(s.at(150, 100), RGB(255, 255, 255)) << "the toolkit did not paint over its native child";
  EXPECT_EQ(s.at(10, 100), RGB(0, 0, 0));

  // Resizing moves the child with its element.
  MoveWindow(XWnd_GetHWND(w), 120, 80, 400, 260, TRUE);
  serveQueued();
  GetWindowRect(native, &r);
  MapWindowPoints(nullptr, XWnd_GetHWND(w), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.right, 380);
  EXPECT_EQ(r.bottom, 240);
  EXPECT_EQ(Capture(XWnd_GetHWND(w)).at(360, 200), RGB(255, 255, 255));
}

}  // namespace
}  // namespace tovalux::testing
