// The built theme folder as the shell uses it: every layout and item template loads with the
// toolkit and holds the names, ids and kinds the shell looks up (theme_lookups.txt); the frame
// edges fit their margins; every colour and image that a descriptor, a layout, the style sheet
// or the shell names is in the resource package and loads; the icon folders, the toolbox's
// icon.json and the pictures the plug-in carries are complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "json/json_document.h"
#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/scrollbar.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/theme/xml.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/loader.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

namespace tovalux {
namespace {

namespace fs = std::filesystem;

const fs::path kLib = TOVALUX_THEME_DIR;  // .../lib/Tovalux
const fs::path kDark = kLib / "Dark";
const fs::path kControl = kLib / "Control";
const fs::path kPictures = TOVALUX_PICTURES_DIR;
const fs::path kLookups = fs::path(TOVALUX_SOURCE_DIR) / "tests/unit/theme/theme_lookups.txt";

XString x(const fs::path& p) {
  std::u16string u = p.u16string();
  return XString(u.begin(), u.end());
}
XString x(const std::string& utf8) { return tk::toX(tk::utf8ToUtf16(utf8)); }

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// --- kinds ------------------------------------------------------------------------------------

struct Kind {
  std::string tag;
  int type = 0;
  std::optional<int> buttonType;
};

Kind parseKind(const std::string& text) {
  static const std::map<std::string, int> kTypes = {{"window", XC_WINDOW},
                                                    {"element", XC_ELE},
                                                    {"layout", XC_ELE_LAYOUT},
                                                    {"shapeText", XC_SHAPE_TEXT},
                                                    {"shapePic", XC_SHAPE_PICTURE},
                                                    {"button", XC_BUTTON},
                                                    {"toolBar", XC_TOOLBAR},
                                                    {"tabBar", XC_TABBAR},
                                                    {"scrollBar", XC_SCROLLBAR},
                                                    {"scrollView", XC_SCROLLVIEW},
                                                    {"edit", XC_EDIT},
                                                    {"comboBox", XC_COMBOBOX},
                                                    {"listBox", XC_LISTBOX},
                                                    {"list", XC_LIST},
                                                    {"tree", XC_TREE},
                                                    {"listView", XC_LISTVIEW},
                                                    {"menuBar", XC_MENUBAR}};
  static const std::map<std::string, int> kButtonTypes = {{"push", button_type_push},
                                                          {"check", button_type_check},
                                                          {"checkBox", button_type_checkbox},
                                                          {"radio", button_type_radio}};
  Kind k;
  const size_t dot = text.find('.');
  k.tag = text.substr(0, dot);
  auto t = kTypes.find(k.tag);
  if (t == kTypes.end())
    ADD_FAILURE() << "unknown kind " << text;
  else
    k.type = t->second;
  if (dot != std::string::npos) {
    auto b = kButtonTypes.find(text.substr(dot + 1));
    if (b == kButtonTypes.end())
      ADD_FAILURE() << "unknown button type " << text;
    else
      k.buttonType = b->second;
  }
  return k;
}

// --- the lookups file ------------------------------------------------------------------------------

struct Lookups {
  struct Top {
    std::string file;
    int margin;
  };
  struct Edge {
    int position;
    std::string file;
    int margin;
  };
  struct FrameName {
    std::string name, kind, file;
  };
  struct PaneName {
    std::string file, name, kind;
  };
  struct WindowId {
    std::string file;
    int id;
    std::string kind;
  };
  struct TemplateObject {
    std::string file, listKind, section;
    int itemId;
    std::string kind, column;
  };
  std::vector<Top> tops;
  std::vector<Edge> edges;
  std::string view;
  std::vector<FrameName> frameNames;
  std::vector<PaneName> paneNames;
  std::vector<WindowId> windowIds;
  std::vector<TemplateObject> templateObjects;
  std::vector<std::string> colours, images, menuIcons, toolIcons, components, descriptors;

  std::vector<std::string> paneFiles() const {
    std::vector<std::string> files;
    for (const auto& p : paneNames)
      if (std::find(files.begin(), files.end(), p.file) == files.end()) files.push_back(p.file);
    return files;
  }
  std::vector<std::string> windowFiles() const {
    std::vector<std::string> files;
    for (const auto& w : windowIds)
      if (std::find(files.begin(), files.end(), w.file) == files.end()) files.push_back(w.file);
    return files;
  }
};

const Lookups& lookups() {
  static const Lookups data = [] {
    Lookups d;
    std::ifstream in(kLookups);
    EXPECT_TRUE(in) << kLookups;
    std::string line;
    int no = 0;
    while (std::getline(in, line)) {
      ++no;
      std::istringstream s(line);
      std::string key;
      if (!(s >> key) || key[0] == '#') continue;
      if (key == "descriptor") {
        std::string rest;
        std::getline(s >> std::ws, rest);
        d.descriptors.push_back(rest);
        continue;
      }
      std::vector<std::string> w;
      for (std::string word; s >> word;) w.push_back(word);
      auto need = [&](size_t lo, size_t hi) {
        EXPECT_TRUE(w.size() >= lo && w.size() <= hi) << kLookups << ":" << no << ": " << line;
        return w.size() >= lo && w.size() <= hi;
      };
      if (key == "frame-top" && need(2, 2)) {
        d.tops.push_back({w[0], std::stoi(w[1])});
      } else if (key == "frame-edge" && need(3, 3)) {
        const int pos = w[0] == "left" ? bind_left : w[0] == "right" ? bind_right : bind_bottom;
        d.edges.push_back({pos, w[1], std::stoi(w[2])});
      } else if (key == "frame-view" && need(1, 1)) {
        d.view = w[0];
      } else if (key == "frame" && need(2, 3)) {
        d.frameNames.push_back({w[0], w[1], w.size() > 2 ? w[2] : ""});
      } else if (key == "pane" && need(3, 3)) {
        d.paneNames.push_back({w[0], w[1], w[2]});
      } else if (key == "window" && need(3, 3)) {
        d.windowIds.push_back({w[0], std::stoi(w[1]), w[2]});
      } else if (key == "template" && need(5, 6)) {
        d.templateObjects.push_back({w[0], w[1], w[2], std::stoi(w[3]), w[4], w.size() > 5 ? w[5] : ""});
      } else if (key == "colour" && need(1, 1)) {
        d.colours.push_back(w[0]);
      } else if (key == "image" && need(1, 1)) {
        d.images.push_back(w[0]);
      } else if (key == "menu-icon" && need(1, 1)) {
        d.menuIcons.push_back(w[0]);
      } else if (key == "tool-icon" && need(1, 1)) {
        d.toolIcons.push_back(w[0]);
      } else if (key == "component" && need(1, 1)) {
        d.components.push_back(w[0]);
      } else if (key != "frame-top" && key != "frame-edge" && key != "frame-view" && key != "frame" && key != "pane" &&
                 key != "window" && key != "template" && key != "colour" && key != "image" && key != "menu-icon" &&
                 key != "tool-icon" && key != "component") {
        ADD_FAILURE() << kLookups << ":" << no << ": unknown line " << line;
      }
    }
    return d;
  }();
  return data;
}

// --- the resource package as written ----------------------------------------------------------------

// NAME = VALUE lines of one section of resource.res, read independently of the toolkit.
std::vector<std::pair<std::string, std::string>> packageSection(const std::string& wanted) {
  std::vector<std::pair<std::string, std::string>> out;
  std::istringstream in(readFile(kDark / "resource.res"));
  std::string line, section;
  while (std::getline(in, line)) {
    std::string_view t = tk::trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    if (t[0] == '[') {
      section = std::string(t.substr(1, t.find(']') - 1));
      continue;
    }
    const size_t eq = t.find('=');
    if (section == wanted && eq != std::string_view::npos)
      out.emplace_back(std::string(tk::trim(t.substr(0, eq))), std::string(tk::trim(t.substr(eq + 1))));
  }
  return out;
}

bool hasColour(const std::string& name) { return tk::resourceStore().resources.color(name).has_value(); }

// --- the fixture: an initialised toolkit with the theme's package and style sheet ---------------------

class Theme : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    ASSERT_TRUE(XC_LoadResource(x(kDark / "resource.res").c_str()));
    ASSERT_TRUE(XC_LoadStyle(x(kDark / "style.css").c_str()));
  }
  void TearDown() override { XExitXCGUI(); }

  // Whether the toolkit creates an object for a layout tag (every tag the theme uses must).
  static bool kindAvailable(const std::string& tag) {
    static std::map<std::string, bool> known;
    auto it = known.find(tag);
    if (it != known.end()) return it->second;
    HXCGUI root = tk::loadLayoutText("<layout><" + tag + "/></layout>", kDark, 0, nullptr);
    const bool ok = root != 0 && XEle_GetChildCount(root) == 1;
    XEle_Destroy(root);
    return known[tag] = ok;
  }

  // Checks one object the shell looks up: loaded, of its kind and button type.
  static void expectObject(HXCGUI h, const Kind& kind, const std::string& key, const std::string& value) {
    SCOPED_TRACE(key + " " + value);
    ASSERT_TRUE(kindAvailable(kind.tag)) << "the toolkit makes no object for <" << kind.tag << ">";
    ASSERT_NE(h, 0u) << "not found";
    EXPECT_EQ(XC_GetObjectType(h), kind.type);
    if (kind.buttonType) {
      EXPECT_EQ(XBtn_GetType(h), *kind.buttonType);
    }
  }

  // Objects carrying a name, among those alive.
  static int namedCount(const std::string& name) {
    const std::u16string n = tk::utf8ToUtf16(name);
    int count = 0;
    for (const auto& [objectName, h] : tk::context().names)
      if (objectName == n && tk::context().registry.alive(h)) ++count;
    return count;
  }

  static tk::Element* element(HXCGUI h) { return tk::context().registry.get<tk::Element>(h); }

  static bool inside(const XRect& inner, const XRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
  }

  // Every visible element of the subtree lies inside its parent (a scroll view's content may
  // extend past the view: it scrolls). `vertical` only compares tops and bottoms.
  static void expectContained(const tk::Element& e, bool verticalOnly, const std::string& where) {
    if (dynamic_cast<const tk::ScrollView*>(&e) != nullptr) return;
    const XRect outer = e.windowRect();
    for (const tk::Element* c : e.children()) {
      if (!c->visible) continue;
      XRect r = c->windowRect();
      if (r.empty()) continue;
      XRect o = outer;
      if (verticalOnly) r.left = o.left, r.right = o.right;
      EXPECT_TRUE(inside(r, o)) << where << ": " << tk::utf16ToUtf8(c->name) << " (" << c->rect.left << ","
                                << c->rect.top << " " << c->width() << "x" << c->height() << ") leaves "
                                << tk::utf16ToUtf8(e.name) << " (" << e.width() << "x" << e.height() << ")";
      expectContained(*c, verticalOnly, where);
    }
  }

  // Loads the frame as the shell builds it: top edge, left, right and bottom edges bound to the
  // margins, the view set; answers the frame.
  struct Frame {
    HWINDOW window = 0;
    HXCGUI top = 0, view = 0;
    std::map<int, HXCGUI> edges;
    std::vector<std::string> files;
  };
  static Frame loadFrame(const Lookups::Top& top, int width, int height) {
    const Lookups& l = lookups();
    Frame f;
    f.window = XFrameWnd_CreateEx(0, u"Tovalux", u"Tovalux", 0, 0, 0, width, height, nullptr, 0x2F);
    EXPECT_TRUE(XC_IsHWINDOW(f.window));
    int margins[4] = {0, 0, 0, 0};  // top bottom left right
    margins[bind_top] = top.margin;
    f.top = XC_LoadLayout(x(kDark / top.file).c_str(), f.window);
    EXPECT_TRUE(XC_IsHELE(f.top)) << top.file;
    f.files.push_back(top.file);
    for (const auto& e : l.edges) {
      f.edges[e.position] = XC_LoadLayout(x(kDark / e.file).c_str(), f.window);
      EXPECT_TRUE(XC_IsHELE(f.edges[e.position])) << e.file;
      margins[e.position] = e.margin;
      f.files.push_back(e.file);
    }
    XWnd_SetLayoutSize(f.window, margins[bind_left], margins[bind_top], margins[bind_right], margins[bind_bottom]);
    XWnd_BindLayoutEle(f.window, bind_top, f.top);
    for (int pos : {bind_left, bind_right, bind_bottom}) XWnd_BindLayoutEle(f.window, pos, f.edges[pos]);
    f.view = XC_LoadLayout(x(kDark / l.view).c_str(), f.window);
    EXPECT_TRUE(XC_IsHELE(f.view)) << l.view;
    f.files.push_back(l.view);
    XFrameWnd_SetView(f.window, f.view);
    XWnd_AdjustLayout(f.window);
    return f;
  }

  // A stand-in for a dock pane: a layout element of the pane's size in a window of its own.
  static HXCGUI paneHost(int width, int height) {
    HWINDOW w = XWnd_CreateEx(0, u"TovaluxPane", u"pane", 0, 0, 0, width, height, nullptr, 0);
    return XLayout_Create(0, 0, width, height, w);
  }

  static HXCGUI loadPane(const std::string& file, int width = 320, int height = 260) {
    HXCGUI host = paneHost(width, height);
    HXCGUI root = XC_LoadLayout(x(kDark / file).c_str(), host);
    EXPECT_TRUE(XC_IsHELE(root)) << file;
    XWnd_AdjustLayout(XEle_GetWindow(host));
    return root;
  }

  static bool under(HXCGUI h, HXCGUI root) {
    for (HXCGUI p = h; p != 0; p = XEle_GetParentEle(p))
      if (p == root) return true;
    return false;
  }
};

// --- layouts ------------------------------------------------------------------------------------------

TEST_F(Theme, EveryXmlFileIsWellFormed) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(kDark)) {
    if (entry.path().extension() != ".xml") continue;
    ++files;
    EXPECT_TRUE(tk::parseXml(readFile(entry.path()))) << entry.path().filename();
  }
  // 22 layouts and 10 item templates.
  EXPECT_EQ(files, 32);
}

class ThemeFrame : public Theme, public ::testing::WithParamInterface<size_t> {};

TEST_P(ThemeFrame, HoldsEveryNameOnceWithItsKind) {
  const Lookups& l = lookups();
  const auto& top = l.tops.at(GetParam());
  SCOPED_TRACE(top.file);
  Frame f = loadFrame(top, 1100, 800);
  ASSERT_EQ(l.frameNames.size(), 25u);
  for (const auto& n : l.frameNames) {
    HXCGUI h = XC_GetObjectByName(x(n.name).c_str());
    expectObject(h, parseKind(n.kind), "name", n.name);
    EXPECT_EQ(namedCount(n.name), 1) << n.name;
    if (!n.file.empty()) {
      HXCGUI root = n.file == l.view ? f.view : n.file == top.file ? f.top : 0;
      for (const auto& e : l.edges)
        if (n.file == e.file) root = f.edges[e.position];
      EXPECT_TRUE(under(h, root)) << n.name << " is not in " << n.file;
    }
  }
}

TEST_P(ThemeFrame, EdgesFillTheirMarginsAndEverythingFits) {
  const Lookups& l = lookups();
  const auto& top = l.tops.at(GetParam());
  SCOPED_TRACE(top.file);
  Frame f = loadFrame(top, 1100, 800);
  const int bottom = l.edges.back().margin;
  EXPECT_EQ(element(f.top)->windowRect(), (XRect{0, 0, 1100, top.margin}));
  EXPECT_EQ(element(f.edges[bind_bottom])->windowRect(), (XRect{0, 800 - bottom, 1100, 800}));
  EXPECT_EQ(element(f.edges[bind_left])->windowRect().top, top.margin);
  EXPECT_EQ(element(f.edges[bind_right])->windowRect().right, 1100);
  for (HXCGUI root : {f.top, f.view, f.edges[bind_left], f.edges[bind_right], f.edges[bind_bottom]})
    expectContained(*element(root), false, top.file + " at 1100 x 800");

  // The area the IDE's window covers is there at every size the frame allows.
  HXCGUI code = XC_GetObjectByName(u"eCodeView");
  EXPECT_GT(XEle_GetWidth(code), 700);
  EXPECT_GT(XEle_GetHeight(code), 500);
  XRect small{0, 0, 600, 600};
  XWnd_SetRect(f.window, &small);
  XWnd_AdjustLayout(f.window);
  for (HXCGUI root : {f.top, f.view, f.edges[bind_bottom]})
    expectContained(*element(root), true, top.file + " at 600 x 600");
  EXPECT_GT(XEle_GetWidth(code), 400);
  EXPECT_GT(XEle_GetHeight(code), 300);
}

TEST_P(ThemeFrame, CodeScrollBarsFollowTheirParents) {
  const auto& top = lookups().tops.at(GetParam());
  Frame f = loadFrame(top, 1100, 800);
  HXCGUI v = XC_GetObjectByName(u"codeScrollBarV");
  HXCGUI h = XC_GetObjectByName(u"codeScrollBarH");
  HXCGUI code = XC_GetObjectByName(u"eCodeView");
  ASSERT_NE(v, 0u);
  ASSERT_NE(h, 0u);
  HXCGUI vParent = XEle_GetParentEle(v), hParent = XEle_GetParentEle(h);
  ASSERT_TRUE(XC_IsHELE(vParent));
  ASSERT_TRUE(XC_IsHELE(hParent));
  const int codeWidth = XEle_GetWidth(code), codeHeight = XEle_GetHeight(code);
  // As the shell does with the system's scroll-bar size.
  XEle_SetWidth(vParent, 21);
  XEle_SetHeight(hParent, 21);
  XWnd_AdjustLayout(f.window);
  EXPECT_EQ(XEle_GetWidth(v), 21);
  EXPECT_EQ(XEle_GetHeight(h), 21);
  EXPECT_EQ(XEle_GetWidth(code), codeWidth - 4);
  EXPECT_EQ(XEle_GetHeight(code), codeHeight - 4);
  XRect rv, rc;
  XEle_GetRect(v, &rv);
  XEle_GetRect(code, &rc);
  XEle_RectClientToWndClient(XEle_GetParentEle(v), &rv);
  XEle_RectClientToWndClient(XEle_GetParentEle(code), &rc);
  EXPECT_EQ(rv.left, rc.right) << "the vertical bar stands right of the code";
}

TEST_P(ThemeFrame, ToolBarsHoldButtonsSeparatorsAndTheLinkerBox) {
  const auto& top = lookups().tops.at(GetParam());
  Frame f = loadFrame(top, 1100, 800);
  for (const char16_t* name : {u"winToolBar0", u"winToolBar1"}) {
    HXCGUI bar = XC_GetObjectByName(name);
    ASSERT_NE(bar, 0u);
    // What the shell puts in: 20 x 20 buttons, 2 x 21 separators, a 22-pixel combo box.
    XToolBar_InsertEle(bar, XBtn_Create(0, 0, 20, 20, u"", bar));
    XToolBar_InsertEle(bar, XEle_Create(0, 0, 2, 21, bar));
    XToolBar_InsertEle(bar, XEle_Create(0, 0, 150, 22, bar));
    XWnd_AdjustLayout(f.window);
    const XRect r = element(bar)->windowRect();
    for (int i = 0; i < XToolBar_GetEleCount(bar); ++i) {
      const XRect c = element(XToolBar_GetEle(bar, i))->windowRect();
      EXPECT_TRUE(inside(c, r)) << tk::utf16ToUtf8(name) << " element " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tops, ThemeFrame, ::testing::Values(size_t(0), size_t(1)));

TEST_F(Theme, PaneViewsHoldTheirNames) {
  const Lookups& l = lookups();
  ASSERT_EQ(l.paneNames.size(), 34u);
  ASSERT_EQ(l.paneFiles().size(), 13u);
  for (const std::string& file : l.paneFiles()) {
    SCOPED_TRACE(file);
    HXCGUI root = loadPane(file);
    for (const auto& p : l.paneNames) {
      if (p.file != file) continue;
      HXCGUI h = XC_GetObjectByName(x(p.name).c_str());
      expectObject(h, parseKind(p.kind), "name", p.name);
      EXPECT_TRUE(under(h, root)) << p.name;
    }
    // Both docked sizes of the panes.
    expectContained(*element(root), false, file + " at 320 x 260");
    XEle_Destroy(XEle_GetParentEle(root));
    root = loadPane(file, 260, 320);
    expectContained(*element(root), false, file + " at 260 x 320");
    XEle_Destroy(XEle_GetParentEle(root));
  }
}

TEST_F(Theme, TheWholeShellHasEachLookedUpNameOnce) {
  // The frame and every pane together, with either support-library view.
  const Lookups& l = lookups();
  for (const char* libsView : {"LibsTreeView.xml", "LibsTreeView2.xml"}) {
    SCOPED_TRACE(libsView);
    XExitXCGUI();
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    ASSERT_TRUE(XC_LoadResource(x(kDark / "resource.res").c_str()));
    Frame f = loadFrame(l.tops.front(), 1100, 800);
    std::vector<std::string> loaded = f.files;
    for (const std::string& file : l.paneFiles()) {
      if ((file == "LibsTreeView.xml" || file == "LibsTreeView2.xml") && file != libsView) continue;
      loadPane(file);
      loaded.push_back(file);
    }
    std::set<std::string> names;
    for (const auto& n : l.frameNames) names.insert(n.name);
    for (const auto& p : l.paneNames)
      if (std::find(loaded.begin(), loaded.end(), p.file) != loaded.end()) names.insert(p.name);
    EXPECT_GT(names.size(), 30u);
    for (const std::string& n : names) EXPECT_EQ(namedCount(n), 1) << n;
  }
}

TEST_F(Theme, DialogsHoldTheirIds) {
  const Lookups& l = lookups();
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"Tovalux", 0, 0, 0, 1100, 800, nullptr, 0x2F);
  ASSERT_EQ(l.windowIds.size(), 23u);
  ASSERT_EQ(l.windowFiles().size(), 3u);
  for (const std::string& file : l.windowFiles()) {
    SCOPED_TRACE(file);
    HXCGUI w = XC_LoadLayout(x(kDark / file).c_str(), frame);
    ASSERT_TRUE(XC_IsHWINDOW(w));
    XWnd_AdjustLayout(w);
    tk::Window* window = tk::getWindow(w);
    ASSERT_NE(window, nullptr);
    for (const auto& id : l.windowIds) {
      if (id.file != file) continue;
      const Kind kind = parseKind(id.kind);
      expectObject(XC_GetObjectByID(w, id.id), kind, "id", std::to_string(id.id));
      // Exactly one object of the window carries the id.
      int count = 0;
      std::function<void(const tk::Element&)> walk = [&](const tk::Element& e) {
        if (e.id == id.id) ++count;
        for (const tk::Element* c : e.children()) walk(*c);
      };
      for (const tk::Element* c : window->children()) walk(*c);
      EXPECT_EQ(count, 1) << "id " << id.id;
    }
    for (const tk::Element* c : window->children()) {
      EXPECT_TRUE(inside(c->windowRect(), XRect{0, 0, window->clientWidth(), window->clientHeight()}))
          << tk::utf16ToUtf8(c->name);
      expectContained(*c, false, file);
    }
  }
}

TEST_F(Theme, TheUpdateTipIsDesignedForItsPlace) {
  // The shell moves the tip to 400 x 106 at the frame's lower right corner.
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"Tovalux", 0, 0, 0, 1100, 800, nullptr, 0x2F);
  HXCGUI tip = XC_LoadLayout(x(kDark / "TipsWnd.xml").c_str(), frame);
  ASSERT_TRUE(XC_IsHWINDOW(tip));
  XRect r;
  XWnd_GetRect(tip, &r);
  EXPECT_EQ(r.width(), 400);
  EXPECT_EQ(r.height(), 106);
}

// --- item templates -------------------------------------------------------------------------------------

int listType(const std::string& kind) {
  if (kind == "listBox") return listType_listBox;
  if (kind == "list") return listType_list;
  if (kind == "tree") return listType_tree;
  if (kind == "listView") return listType_listView;
  if (kind == "comboBox") return listType_comboBox;
  ADD_FAILURE() << "unknown list kind " << kind;
  return 0;
}

TEST_F(Theme, ItemTemplatesHoldTheirObjects) {
  const Lookups& l = lookups();
  std::set<std::string> files;
  for (const auto& t : l.templateObjects) files.insert(t.file);
  EXPECT_EQ(files.size(), 10u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    std::string kind;
    for (const auto& t : l.templateObjects)
      if (t.file == file) kind = t.listKind;
    const int type = listType(kind);
    HTEMP h = XTemp_Load(type, x(kDark / file).c_str());
    ASSERT_NE(h, 0u);
    // The file says which view it is for: another view refuses it.
    const int other = type == listType_tree ? listType_listBox : listType_tree;
    EXPECT_EQ(XTemp_Load(other, x(kDark / file).c_str()), 0u);
    tk::Template* t = tk::context().registry.get<tk::Template>(h);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->item) << "no item section";
    EXPECT_GT(tk::sectionSize(*t->item).cy, 0) << "the item section gives no height";
    for (const auto& o : l.templateObjects) {
      if (o.file != file) continue;
      SCOPED_TRACE(o.section + " " + std::to_string(o.itemId));
      const std::optional<tk::XmlNode>& section = o.section == "item"     ? t->item
                                                  : o.section == "header" ? t->header
                                                                          : t->group;
      ASSERT_TRUE(section) << "no " << o.section << " section";
      HXCGUI scratch = XLayout_Create(0, 0, 300, 30);
      tk::TemplateInstance instance = tk::instantiate(*section, t->folder, scratch);
      HXCGUI obj = instance.find(o.itemId);
      ASSERT_NE(obj, 0u) << "no object " << o.itemId;
      const Kind k = parseKind(o.kind);
      EXPECT_EQ(XC_GetObjectType(obj), k.type);
      if (k.buttonType) {
        EXPECT_EQ(XBtn_GetType(obj), *k.buttonType);
      }
      int ids = 0;
      for (const auto& [id, handle] : instance.ids) ids += id == o.itemId;
      EXPECT_EQ(ids, 1) << "item id used " << ids << " times";
      std::string column;
      for (const auto& [handle, c] : instance.columns)
        if (handle == obj) column = c;
      EXPECT_EQ(column, o.column);
      XEle_Destroy(scratch);
    }
  }
}

// --- colours, images and what names them -------------------------------------------------------------------

TEST_F(Theme, ThePackageHoldsTheNamedColours) {
  const Lookups& l = lookups();
  ASSERT_EQ(l.colours.size(), 11u);
  for (const std::string& c : l.colours) EXPECT_TRUE(hasColour(c)) << c;
  // Every colour line of the package reads.
  const auto colours = packageSection("colors");
  EXPECT_GE(colours.size(), l.colours.size());
  for (const auto& [name, value] : colours) {
    EXPECT_TRUE(tk::parseColor(value, false)) << name << " = " << value;
    EXPECT_TRUE(hasColour(name)) << name;
  }
  // The dark look: the frame is dark, the accent is a blue.
  const XColor bg = XRes_GetColor(u"ID_COLOR_WinBg");
  EXPECT_LT((bg & 0xFF) + ((bg >> 8) & 0xFF) + ((bg >> 16) & 0xFF), 3 * 64);
  const XColor accent = XRes_GetColor(u"ID_COLOR_WinBd");
  EXPECT_GT((accent >> 16) & 0xFF, (accent & 0xFF) + 64) << "blue over red";
}

TEST_F(Theme, EveryPackageImageLoads) {
  const auto images = packageSection("images");
  ASSERT_GT(images.size(), 90u);
  for (const auto& [name, path] : images) {
    SCOPED_TRACE(name);
    HIMAGE h = XRes_GetImage(x(name).c_str());
    ASSERT_NE(h, 0u) << path;
    EXPECT_GT(XImage_GetWidth(h), 0);
    EXPECT_GT(XImage_GetHeight(h), 0);
    if (name.find("_16x") != std::string::npos) {
      EXPECT_EQ(XImage_GetWidth(h), 16);
      EXPECT_EQ(XImage_GetHeight(h), 16);
    }
  }
  for (const std::string& name : lookups().images) {
    HIMAGE h = XRes_GetImage(x(name).c_str());
    EXPECT_NE(h, 0u) << name;
  }
  EXPECT_EQ(XRes_GetImage(u"NoSuchImage_16x.png"), 0u);
}

TEST_F(Theme, EveryDescriptorFindsItsColoursAndImages) {
  const Lookups& l = lookups();
  ASSERT_EQ(l.descriptors.size(), 27u);
  for (const std::string& text : l.descriptors) {
    SCOPED_TRACE(text);
    auto info = tk::parseDescriptor(text);
    ASSERT_TRUE(info);
    for (const tk::BkPart& part : info->parts) {
      if (part.fill && part.fill->named) {
        EXPECT_TRUE(hasColour(part.fill->name)) << part.fill->name;
      }
      if (part.border && part.border->named) {
        EXPECT_TRUE(hasColour(part.border->name)) << part.border->name;
      }
      if (part.kind == tk::BkPart::Kind::image) {
        HIMAGE h = XRes_GetImage(x(part.image).c_str());
        ASSERT_NE(h, 0u) << part.image;
        if (part.anchors & 32) {
          // Images kept at their own size sit inside a 22-pixel combo box or pane caption.
          EXPECT_LE(part.dist.top + XImage_GetHeight(h), 22) << part.image;
          EXPECT_LE(XImage_GetWidth(h), 12) << part.image;
        }
      }
    }
  }
}

// Colour and image references of every layout and template: bkColor, textColor, image, icon,
// iconDisable, bkInfo; the templates a view names load for that view.
TEST_F(Theme, EveryLayoutReferenceResolves) {
  static const std::map<std::string, int> kViews = {{"comboBox", listType_comboBox},
                                                    {"listBox", listType_listBox},
                                                    {"list", listType_list},
                                                    {"tree", listType_tree},
                                                    {"listView", listType_listView}};
  int references = 0;
  std::function<void(const tk::XmlNode&, const std::string&)> walk = [&](const tk::XmlNode& n,
                                                                         const std::string& file) {
    for (const auto& [key, value] : n.attributes) {
      SCOPED_TRACE(file + ": " + n.name + " " + key + "=" + value);
      if (key == "bkColor" || key == "textColor") {
        auto c = tk::parseColor(value, true);
        ASSERT_TRUE(c);
        if (!c->reference.empty()) {
          EXPECT_TRUE(hasColour(c->reference));
          ++references;
        }
      } else if (key == "image" || key == "icon" || key == "iconDisable") {
        ++references;
        if (value.starts_with("@")) {
          EXPECT_NE(XRes_GetImage(x(value.substr(1)).c_str()), 0u);
        } else
          EXPECT_TRUE(tk::sniffImage(readFile(kDark / tk::toPath(value))));
      } else if (key == "bkInfo") {
        auto info = tk::parseDescriptor(value);
        ASSERT_TRUE(info);
        for (const tk::BkPart& part : info->parts) {
          if (part.fill && part.fill->named) {
            EXPECT_TRUE(hasColour(part.fill->name)) << part.fill->name;
            ++references;
          }
          if (part.border && part.border->named) {
            EXPECT_TRUE(hasColour(part.border->name)) << part.border->name;
            ++references;
          }
          if (part.kind == tk::BkPart::Kind::image) {
            EXPECT_NE(XRes_GetImage(x(part.image).c_str()), 0u);
          }
        }
      } else if (key == "itemTemplate") {
        ++references;
        auto view = kViews.find(n.name);
        ASSERT_NE(view, kViews.end());
        EXPECT_NE(XTemp_Load(view->second, x(kDark / tk::toPath(value)).c_str()), 0u);
      } else if (key == "font") {
        EXPECT_TRUE(tk::parseFont(value));
      }
    }
    for (const tk::XmlNode& c : n.children) walk(c, file);
  };
  for (const auto& entry : fs::directory_iterator(kDark)) {
    if (entry.path().extension() != ".xml") continue;
    auto doc = tk::parseXml(readFile(entry.path()));
    ASSERT_TRUE(doc) << entry.path();
    walk(*doc, entry.path().filename().string());
  }
  EXPECT_GT(references, 100);
}

TEST_F(Theme, TheStyleSheetReadsWholeAndItsColoursExist) {
  const std::string css = readFile(kDark / "style.css");
  // One rule per block (the sheet uses no selector lists): a block the toolkit drops is an error.
  const size_t blocks = std::count(css.begin(), css.end(), '{');
  EXPECT_EQ(tk::resourceStore().style.ruleCount(), blocks);
  int refs = 0;
  for (size_t at = css.find('@'); at != std::string::npos; at = css.find('@', at + 1), ++refs) {
    size_t end = at + 1;
    while (end < css.size() && (std::isalnum(static_cast<unsigned char>(css[end])) || css[end] == '_')) ++end;
    const std::string name = css.substr(at + 1, end - at - 1);
    EXPECT_TRUE(hasColour(name)) << name;
  }
  EXPECT_GT(refs, 20);
  // The settings dialog's scroll bars carry the class "style_".
  tk::CssStyle slim = tk::resourceStore().style.resolve({"scrollBar"}, "style_", 0);
  tk::CssStyle plain = tk::resourceStore().style.resolve({"scrollBar"}, "", 0);
  ASSERT_TRUE(slim.background);
  ASSERT_TRUE(plain.background);
  EXPECT_NE(slim.background->reference, plain.background->reference);
}

// --- icon folders -----------------------------------------------------------------------------------------

TEST_F(Theme, MenuIconsLoad) {
  const Lookups& l = lookups();
  ASSERT_EQ(l.menuIcons.size(), 69u);
  for (const std::string& f : l.menuIcons) {
    HIMAGE h = XImage_LoadFile(x(kDark / "Images" / "winMenu" / f).c_str());
    ASSERT_NE(h, 0u) << f;
    EXPECT_EQ(XImage_GetWidth(h), 16) << f;
    EXPECT_EQ(XImage_GetHeight(h), 16) << f;
  }
}

TEST_F(Theme, ToolIconsHaveADisabledLook) {
  const Lookups& l = lookups();
  ASSERT_EQ(l.toolIcons.size(), 45u);
  for (const std::string& f : l.toolIcons) {
    const fs::path normal = kDark / "Images" / "wintools" / f;
    const fs::path disabled = kDark / "Images" / "wintools" / "displayIcon" / f;
    for (const fs::path& p : {normal, disabled}) {
      HIMAGE h = XImage_LoadFile(x(p).c_str());
      ASSERT_NE(h, 0u) << p;
      EXPECT_EQ(XImage_GetWidth(h), 16) << p;
      EXPECT_EQ(XImage_GetHeight(h), 16) << p;
    }
    EXPECT_NE(readFile(normal), readFile(disabled)) << f << ": the disabled look is a copy";
  }
}

TEST_F(Theme, ToolboxComponentsHaveIcons) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parseUtf16(tk::utf8ToUtf16(readFile(kControl / "icon.json"))));
  const int rows = doc.count("");
  ASSERT_GT(rows, 0);
  for (int i = 0; i < rows; ++i) {
    const std::string icon = tk::utf16ToUtf8(doc.getUtf16Text("[" + std::to_string(i) + "].iCons"));
    EXPECT_NE(XImage_LoadFile(x(kControl / "DarkIcons" / icon).c_str()), 0u) << icon;
  }
  // Matched as the toolbox matches them: by English or Chinese name, in any letter case.
  ASSERT_EQ(lookups().components.size(), 10u);
  for (const std::string& component : lookups().components) {
    std::string icon;
    for (int i = 0; i < rows && icon.empty(); ++i) {
      const std::string path = "[" + std::to_string(i) + "]";
      if (lower(tk::utf16ToUtf8(doc.getUtf16Text(path + ".eName"))) == lower(component) ||
          lower(tk::utf16ToUtf8(doc.getUtf16Text(path + ".cName"))) == lower(component))
        icon = tk::utf16ToUtf8(doc.getUtf16Text(path + ".iCons"));
    }
    ASSERT_FALSE(icon.empty()) << component;
    EXPECT_NE(XImage_LoadFile(x(kControl / "DarkIcons" / icon).c_str()), 0u) << component;
  }
}

// --- the pictures the plug-in carries -------------------------------------------------------------------------

TEST(ThemePictures, StartPageBannerIsA500x300TrueColourBitmap) {
  const std::string bmp = readFile(kPictures / "banner620.bmp");
  ASSERT_EQ(bmp.size(), 450056u);
  auto info = tk::sniffImage(bmp);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->format, tk::ImageInfo::Format::bmp);
  EXPECT_EQ(info->width, 500);
  EXPECT_EQ(info->height, 300);
  auto le16 = [&](size_t at) { return uint8_t(bmp[at]) | uint8_t(bmp[at + 1]) << 8; };
  EXPECT_EQ(le16(28), 24) << "bits per pixel";
  EXPECT_EQ(le16(10), 54) << "pixel data offset";
  // Dark: the average of the pixels is well below mid-grey.
  uint64_t sum = 0;
  for (size_t i = 54; i < 54 + 450000; ++i) sum += uint8_t(bmp[i]);
  EXPECT_LT(sum / 450000, 80u);
}

TEST(ThemePictures, SplashIs680x420AndTheListBadge24x24) {
  auto splash = tk::sniffImage(readFile(kPictures / "splash.png"));
  ASSERT_TRUE(splash);
  EXPECT_EQ(splash->format, tk::ImageInfo::Format::png);
  EXPECT_EQ(splash->width, 680);
  EXPECT_EQ(splash->height, 420);
  auto badge = tk::sniffImage(readFile(kPictures / "startpage-num.png"));
  ASSERT_TRUE(badge);
  EXPECT_EQ(badge->width, 24);
  EXPECT_EQ(badge->height, 24);
}

}  // namespace
}  // namespace tovalux
