// The toolkit at the DPI of the run (wine-run --dpi: the prefix's LogPixels), checked as a
// screen reader and a pair of eyes would: the gallery frame, a pane with its tree and a menu
// through the accessible tree (places are the 96-dpi sizes of the layouts times dpi / 96, within
// a pixel or two), text drawn at its real size and icons drawn from their own pixels.
// CTest runs this program at 96, 144 and 192 dpi.
#include <windows.h>
#include <gdiplus.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "wine/toolkit/accessible_reader.h"
#include "wine/toolkit/toolkit_screen.h"

namespace tovalux::testing {
namespace {

int runDpi() {
  const char* dpi = std::getenv("TOVALUX_DPI");
  return dpi != nullptr && std::atoi(dpi) > 0 ? std::atoi(dpi) : 96;
}

// A 96-dpi length at the run's DPI, as exactly as a pixel can be.
double at(double units) { return units * runDpi() / 96.0; }

#define EXPECT_SCALED(device, units, slack) EXPECT_NEAR(static_cast<double>(device), at(units), (slack))

class DpiTest : public ToolkitScreen {
 protected:
  // The gallery frame at a size that fits the test screen at 200 %.
  gallery::Gallery showSmallGallery() {
    gallery::Gallery g = gallery::buildGallery(themeFolder());
    XWnd_SetMinimumSize(g.frame, 300, 300);  // its 600 x 600 would not fit the screen at 200 %
    const XRect place{0, 0, 780, 480};
    XWnd_SetRect(g.frame, &place);
    XWnd_AdjustLayout(g.frame);
    XWnd_ShowWindow(g.frame, SW_SHOW);
    showInFront(XWnd_GetHWND(g.frame));
    return g;
  }
};

TEST_F(DpiTest, TheFrameAndItsWindowsTakeTheSystemDpi) {
  // Under Wine the host's unaware process sees the system DPI, and so does every toolkit window.
  HDC screen = GetDC(nullptr);
  const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(logPixels, runDpi()) << "the prefix's LogPixels did not reach the process";
  const gallery::Gallery g = showSmallGallery();
  EXPECT_EQ(XWnd_GetDPI(g.frame), runDpi());
  RECT client{};
  GetClientRect(XWnd_GetHWND(g.frame), &client);
  EXPECT_SCALED(client.right, 780, 0.5);
  EXPECT_SCALED(client.bottom, 480, 0.5);
  // The native window kept over "eCodeView" stands on the element's scaled place.
  RECT code{};
  GetWindowRect(g.codeWindow, &code);
  RECT expected = clientRect(g.codeView);
  XWnd_UnitsToDevice(g.frame, &expected);
  MapWindowPoints(XWnd_GetHWND(g.frame), nullptr, reinterpret_cast<POINT*>(&expected), 2);
  EXPECT_EQ(code.left, expected.left);
  EXPECT_EQ(code.top, expected.top);
  EXPECT_EQ(code.right, expected.right);
  EXPECT_EQ(code.bottom, expected.bottom);
  EXPECT_SCALED(code.right - code.left, XEle_GetWidth(g.codeView), 1);
}

TEST_F(DpiTest, ThePaneTreeAndLinkerComboSitAtTheirScaledPlaces) {
  const gallery::Gallery g = showSmallGallery();
  const HWND frame = XWnd_GetHWND(g.frame);
  const Acc root = clientOf(frame);
  ASSERT_TRUE(root);
  POINT origin{0, 0};
  ClientToScreen(frame, &origin);

  // The linker combo is 160 x 22 units wherever it stands, and it stands where the layout put
  // it: the object of its role nearest to its unit place scaled is it, and has its size.
  const RECT units = clientRect(g.linker);
  const Acc linker =
      nearest(root, ROLE_SYSTEM_COMBOBOX, {origin.x + lround(at(units.left)), origin.y + lround(at(units.top))});
  ASSERT_TRUE(linker) << "no combo box in the accessible tree";
  const RECT box = linker.bounds();
  EXPECT_SCALED(box.right - box.left, 160, 1);
  EXPECT_SCALED(box.bottom - box.top, 22, 1);
  EXPECT_SCALED(box.left - origin.x, units.left, 2);
  EXPECT_SCALED(box.top - origin.y, units.top, 2);

  // The project tree's rows are 20 units apart, each as high as its pitch.
  const RECT treeUnits = clientRect(g.projectTree);
  const Acc tree =
      nearest(root, ROLE_SYSTEM_OUTLINE, {origin.x + lround(at(treeUnits.left)), origin.y + lround(at(treeUnits.top))});
  ASSERT_TRUE(tree) << "no project tree in the accessible tree";
  std::vector<RECT> rows;
  for (const Acc& item : tree.children())
    if (item.role() == ROLE_SYSTEM_OUTLINEITEM && !(item.state() & STATE_SYSTEM_INVISIBLE))
      rows.push_back(item.bounds());
  ASSERT_GE(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_SCALED(rows[i].bottom - rows[i].top, 20, 1);
    if (i > 0) {
      EXPECT_SCALED(rows[i].top - rows[i - 1].top, 20, 1);
    }
  }

  // Hit-testing goes the other way: the centre of each scaled place finds its own object.
  for (const Acc& item : {linker, tree}) {
    const RECT r = item.bounds();
    VARIANT found;
    VariantInit(&found);
    ASSERT_EQ(root.get()->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &found), S_OK);
    Acc hit;
    if (V_VT(&found) == VT_DISPATCH) {
      IAccessible* p = nullptr;
      V_DISPATCH(&found)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&p));
      hit = Acc(p);
    }
    VariantClear(&found);
    ASSERT_TRUE(hit);
    // The centre of a combo may lie on its edit part or arrow, of a tree on a row: whatever it
    // found lies inside the object asked about.
    const RECT h = hit.bounds();
    EXPECT_GE(h.left, r.left);
    EXPECT_LE(h.right, r.right);
  }
}

TEST_F(DpiTest, AMenuOpensUnderItsButtonWithScaledRows) {
  const gallery::Gallery g = showSmallGallery();
  const HWND frame = XWnd_GetHWND(g.frame);
  const Acc root = clientOf(frame);
  const Acc file = root.find(ROLE_SYSTEM_MENUITEM, L"文件(F)");
  ASSERT_TRUE(file) << "no menu-bar button 文件(F)";
  const RECT button = file.bounds();
  // A real click at the button's scaled centre: the mouse comes back to units to find it.
  click(frame, {(button.left + button.right) / 2 -
                    [&] {
                      POINT o{0, 0};
                      ClientToScreen(frame, &o);
                      return o.x;
                    }(),
                (button.top + button.bottom) / 2 -
                    [&] {
                      POINT o{0, 0};
                      ClientToScreen(frame, &o);
                      return o.y;
                    }()});
  HWND popup = nullptr;
  ASSERT_TRUE(waitFor("the menu pop-up", [&] {
    popup = FindWindowW(L"TovaluxMenu", nullptr);
    return popup != nullptr && IsWindowVisible(popup);
  }));
  RECT place{};
  GetWindowRect(popup, &place);
  EXPECT_NEAR(place.left, button.left, 2);
  EXPECT_NEAR(place.top, button.bottom, 2);
  const Acc menu = clientOf(popup);
  int rows = 0;
  for (const Acc& item : menu.children()) {
    if (item.role() != ROLE_SYSTEM_MENUITEM) continue;
    const RECT r = item.bounds();
    SCOPED_TRACE(item.name());
    EXPECT_SCALED(r.bottom - r.top, 22, 1);
    EXPECT_GE(r.left, place.left);
    EXPECT_LE(r.right, place.right);
    ++rows;
  }
  EXPECT_GE(rows, 3);
  key(VK_ESCAPE);
  waitFor("the menu closed", [] { return FindWindowW(L"TovaluxMenu", nullptr) == nullptr; });
}

TEST_F(DpiTest, AWindowMovedToAMonitorOfAnotherDpiTakesItsScale) {
  // What Windows sends a per-monitor window moved between monitors (Wine has no such monitors:
  // the message is sent as Windows would): the suggested rectangle at the new DPI.
  HWINDOW w = XWnd_CreateEx(0, L"", L"moved", 0, 50, 50, 200, 100, nullptr, 0);
  XBtn_Create(10, 10, 80, 24, L"按钮", board(w));
  show(w);
  const HWND hwnd = XWnd_GetHWND(w);
  const int dpi = 2 * runDpi();
  RECT before{};
  GetWindowRect(hwnd, &before);
  const RECT suggested{before.left, before.top, before.left + 200 * dpi / 96, before.top + 100 * dpi / 96};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  serveQueued();

  EXPECT_EQ(XWnd_GetDPI(w), dpi);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, suggested.right - suggested.left);
  EXPECT_EQ(client.bottom, suggested.bottom - suggested.top);
  // The model keeps its units; the button is drawn, hit and read at the new scale.
  XRect units{};
  XWnd_GetRect(w, &units);
  EXPECT_EQ(units.right - units.left, 200);
  const Acc found = nearest(clientOf(hwnd), ROLE_SYSTEM_PUSHBUTTON, [&] {
    POINT p{10 * dpi / 96, 10 * dpi / 96};
    ClientToScreen(hwnd, &p);
    return p;
  }());
  ASSERT_TRUE(found);
  const RECT r = found.bounds();
  EXPECT_EQ(r.right - r.left, 80 * dpi / 96);
  EXPECT_EQ(r.bottom - r.top, 24 * dpi / 96);
  XWnd_CloseWindow(w);
}

// The pixels of a PNG as the toolkit blends them: premultiplied, over an opaque background.
std::vector<COLORREF> composited(const std::wstring& file, COLORREF background, int* width, int* height) {
  std::vector<COLORREF> out;
  Gdiplus::Bitmap bitmap(file.c_str());
  *width = static_cast<int>(bitmap.GetWidth()), *height = static_cast<int>(bitmap.GetHeight());
  Gdiplus::Rect all(0, 0, *width, *height);
  Gdiplus::BitmapData data{};
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) != Gdiplus::Ok) return out;
  for (int y = 0; y < *height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
    for (int x = 0; x < *width; ++x) {
      const uint32_t p = row[x];
      const unsigned na = 255 - (p >> 24);
      auto channel = [&](unsigned s, unsigned d) { return std::min(255u, s + (d * na + 127) / 255); };
      out.push_back(RGB(channel((p >> 16) & 0xFF, GetRValue(background)),
                        channel((p >> 8) & 0xFF, GetGValue(background)), channel(p & 0xFF, GetBValue(background))));
    }
  }
  bitmap.UnlockBits(&data);
  return out;
}

TEST_F(DpiTest, TextIsDrawnAtItsSizeAndIconsFromTheirOwnPixels) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  const std::wstring icon = themeFolder() + L"\\Images\\ui\\TovaluxLogo.png";
  HWINDOW w = XWnd_CreateEx(0, L"", L"dpi", 0, 40, 40, 240, 120, nullptr, 0);
  const HELE body = board(w);
  const HSHAPE picture = XShapePic_Create(10, 10, 16, 16, body);
  XShapePic_SetImage(picture, XImage_LoadFile(icon.c_str(), false));
  const HSHAPE label = XShapeText_Create(10, 40, 200, 40, L"窗口程序", body);
  XShapeText_SetFont(label, XFont_Create2(L"微软雅黑", 9, 0));
  XShapeText_SetTextColor(label, RGB(255, 255, 255));
  show(w);
  const HWND hwnd = XWnd_GetHWND(w);
  const Capture shot(hwnd);
  saveArtefact(hwnd, "wine_dpi_" + std::to_string(runDpi()));

  // The icon: the file of the scaled size, pixel for pixel (a stretched 16-pixel icon would
  // bring colours of its own between the file's).
  const int size = static_cast<int>(std::lround(at(16)));
  const std::wstring rendition =
      size == 16 ? icon : themeFolder() + L"\\Images\\ui\\" + std::to_wstring(size) + L"\\TovaluxLogo.png";
  const int x0 = static_cast<int>(std::lround(at(10))), y0 = x0;
  const COLORREF background = shot.at(x0 - 2, y0 + size / 2);
  int fw = 0, fh = 0;
  const std::vector<COLORREF> file = composited(rendition, background, &fw, &fh);
  ASSERT_EQ(fw, size);
  ASSERT_EQ(fh, size);
  int differing = 0;
  std::set<COLORREF> fileColours(file.begin(), file.end()), foreign;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const COLORREF shown = shot.at(x0 + x, y0 + y);
      differing += shown != file[static_cast<size_t>(y) * size + x];
      if (!fileColours.count(shown)) foreign.insert(shown);
    }
  EXPECT_EQ(differing, 0) << "pixels of the icon that are not its " << size << "-pixel file's";
  EXPECT_TRUE(foreign.empty()) << foreign.size() << " colours the file does not have";

  // The text: 9 points are 12 pixels at 96 dpi; the ink of CJK characters fills most of the em.
  const RECT area{static_cast<LONG>(at(10)), static_cast<LONG>(at(40)), static_cast<LONG>(at(210)),
                  static_cast<LONG>(at(80))};
  const COLORREF paper = shot.at(area.left, area.top);
  int first = -1, last = -1;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = shot.at(x, y);
      if (std::abs(GetRValue(c) - GetRValue(paper)) + std::abs(GetGValue(c) - GetGValue(paper)) > 120) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  ASSERT_GE(first, 0) << "no text drawn";
  const int ink = last - first + 1;
  EXPECT_GE(ink, at(12) * 0.7);
  EXPECT_LE(ink, at(12) * 1.1 + 1);
  XWnd_CloseWindow(w);
  Gdiplus::GdiplusShutdown(token);
}

}  // namespace
}  // namespace tovalux::testing
