// The layout loader: XML layouts and item-template sections become element trees. It knows the
// attributes every element has; a kind's own attributes, images, child tags and file-naming
// attributes go to the element's hooks, and tags to the factories the layers above registered,
// so this layer names no kind above it. UI thread only; reads the files it is given.
#include "toolkit/model/tree/loader.h"

#include <algorithm>
#include <map>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

namespace {

constexpr size_t kMaxLayoutFile = 4u << 20;

// Tag (lower case) -> factory. The plain element is this layer's own; every other kind is
// registered by the layer that defines it (controls/kinds.cpp, views/kinds.cpp, menus/kinds.cpp)
// when XInitXCGUI runs.
std::map<std::string, KindFactory>& factories() {
  static std::map<std::string, KindFactory> table{
      {"element", [](HXCGUI p) -> Element* { return makeElement<Element>(p, {}); }}};
  return table;
}

// "fill", "auto", "N*" (a weight; "*" is 1) or a pixel count.
std::optional<SizeRule> parseSize(std::string_view v) {
  v = trim(v);
  if (equalsNoCase(v, "fill")) return SizeRule{layout_size_fill, 1};
  if (equalsNoCase(v, "auto")) return SizeRule{layout_size_auto, 0};
  if (v.ends_with('*')) {
    v.remove_suffix(1);
    if (v.empty()) return SizeRule{layout_size_weight, 1};
    auto n = parseInt(v);
    if (!n || *n <= 0) return std::nullopt;
    return SizeRule{layout_size_weight, std::min(*n, 10000)};
  }
  auto n = parseInt(v);
  if (!n || *n < 0) return std::nullopt;
  return SizeRule{layout_size_fixed, clampSize(*n)};
}

// A drag-border value: a number of edge_ bits, or edge names joined by '|'.
int parseEdges(std::string_view v) {
  if (auto n = parseInt(v)) return *n & 15;
  int flags = 0;
  size_t start = 0;
  for (size_t i = 0; i <= v.size(); ++i) {
    if (i != v.size() && v[i] != '|') continue;
    std::string_view w = trim(v.substr(start, i - start));
    start = i + 1;
    if (equalsNoCase(w, "left"))
      flags |= edge_left;
    else if (equalsNoCase(w, "top"))
      flags |= edge_top;
    else if (equalsNoCase(w, "right"))
      flags |= edge_right;
    else if (equalsNoCase(w, "bottom"))
      flags |= edge_bottom;
  }
  return flags;
}

// "@name" is an image of the resource package; anything else a file relative to the layout's
// folder, loaded once per full path and shared by every layout that names it.
HIMAGE imageValue(std::string_view v, const std::filesystem::path& folder) {
  v = trim(v);
  if (v.empty()) return 0;
  ResourceStore& store = resourceStore();
  if (v.front() == '@') return store.resources.image(v.substr(1));
  std::filesystem::path path = folder / toPath(v);
#ifdef _WIN32
  std::wstring wide = path.wstring();
  std::u16string key(wide.begin(), wide.end());
#else
  std::u16string key = utf8ToUtf16(path.string());
#endif
  for (const auto& [k, h] : store.imageCache)
    if (k == key && context().registry.alive(h)) return h;
  Image* image = loadImageFile(path, false);
  if (image == nullptr) return 0;
  store.imageCache.emplace_back(key, image->handle());
  return image->handle();
}

// What one load shares: the folder relative paths start from, and while a template section is
// instantiated, the record of its objects.
struct Build {
  std::filesystem::path folder;
  TemplateInstance* instance = nullptr;  // set while instantiating a template
};

// The attributes of FORMATS.md 1.2 that place and size an element; false for any other key.
bool applyGeometryAttribute(Element& e, std::string_view key, std::string_view value) {
  if (key == "x" || key == "y") {
    // A position moves the element and keeps its size.
    if (auto n = parseInt(value)) {
      int v = clampCoord(*n);
      if (key == "x")
        e.rect.right += v - e.rect.left, e.rect.left = v;
      else
        e.rect.bottom += v - e.rect.top, e.rect.top = v;
    }
  } else if (key == "width" || key == "height") {
    if (auto rule = parseSize(value)) {
      bool horizontal = key == "width";
      (horizontal ? e.widthRule : e.heightRule) = *rule;
      if (rule->type == layout_size_fixed) {
        if (horizontal)
          e.rect.right = e.rect.left + rule->value;
        else
          e.rect.bottom = e.rect.top + rule->value;
      }
    }
  } else if (key == "minWidth") {
    if (auto n = parseInt(value)) e.minSize.cx = clampSize(*n);
  } else if (key == "minHeight") {
    if (auto n = parseInt(value)) e.minSize.cy = clampSize(*n);
  } else if (key == "float") {
    if (auto b = parseBool(value)) e.floating = *b;
  } else if (key == "flow") {
    if (equalsNoCase(value, "horizontal"))
      e.flows = true, e.vertical = false;
    else if (equalsNoCase(value, "vertical"))
      e.flows = true, e.vertical = true;
  } else if (key == "padding") {
    if (auto r = parseSides(value)) e.padding = *r;
  } else if (key == "border") {
    if (auto r = parseSides(value)) e.border = *r;
  } else if (key == "spacing") {
    if (auto n = parseInt(value)) e.spacing = clampSize(*n);
  } else if (key == "alignH") {
    if (equalsNoCase(value, "left"))
      e.alignH = align_left;
    else if (equalsNoCase(value, "center"))
      e.alignH = align_center_h;
    else if (equalsNoCase(value, "right"))
      e.alignH = align_right;
  } else if (key == "alignV") {
    if (equalsNoCase(value, "top"))
      e.alignV = align_top;
    else if (equalsNoCase(value, "center"))
      e.alignV = align_center_v;
    else if (equalsNoCase(value, "bottom"))
      e.alignV = align_bottom;
  } else {
    return false;
  }
  return true;
}

// The attributes of FORMATS.md 1.2 that set how an element looks and takes input; false for
// any other key. Named colours resolve now, against the resource package loaded before the
// layout.
bool applyLookAttribute(Element& e, std::string_view key, std::string_view value) {
  Context& ctx = context();
  if (key == "visible") {
    if (auto b = parseBool(value)) e.visible = *b;
  } else if (key == "enabled") {
    if (auto b = parseBool(value)) e.enabled = *b;
  } else if (key == "tooltip") {
    e.tooltip = utf8ToUtf16(value);
  } else if (key == "textColor") {
    if (auto c = parseColor(value, true)) {
      if (c->reference.empty())
        e.textColor = std::make_pair(c->color, c->alpha);
      else if (auto named = resourceStore().resources.color(c->reference))
        e.textColor = std::make_pair(named->color, named->alpha);
    }
  } else if (key == "font") {
    if (auto f = parseFont(value)) e.font = ctx.font(f->face, f->size, f->style);
  } else if (key == "bkColor") {
    if (auto c = parseColor(value, true)) e.bkColor = *c;
  } else if (key == "bkTransparent") {
    if (auto b = parseBool(value)) e.bkTransparent = *b;
  } else if (key == "bkInfo") {
    if (auto* manager = ctx.registry.get<BkManager>(e.bkm())) manager->set(utf8ToUtf16(value));
  } else if (key == "mouseThrough") {
    if (auto b = parseBool(value)) e.mouseThrough = *b;
  } else if (key == "css") {
    if (auto b = parseBool(value)) e.cssEnabled = *b;
  } else if (key == "class") {
    e.cssClass = utf8ToUtf16(value);
  } else if (key == "dragBorder") {
    e.dragBorder = parseEdges(value);
  } else {
    return false;
  }
  return true;
}

// One attribute of a layout or template element. An attribute no rule knows, or a value that
// does not parse, changes nothing (FORMATS.md 1.2).
void applyAttribute(Element& e, std::string_view key, std::string_view value, const Build& build) {
  if (applyGeometryAttribute(e, key, value) || applyLookAttribute(e, key, value)) return;
  if (key == "name") {
    e.setName(utf8ToUtf16(value));
  } else if (key == "id") {
    if (auto n = parseInt(value)) e.id = *n;
  } else if (key == "image" || key == "icon" || key == "iconDisable") {
    e.applyImageAttribute(key, imageValue(value, build.folder));
  } else if (key == "itemId") {
    // Template objects are found again by the item id they carry (TemplateInstance::find).
    if (auto n = parseInt(value); n && build.instance != nullptr) build.instance->ids.emplace_back(*n, e.handle());
  } else if (key == "column") {
    if (build.instance != nullptr) build.instance->columns.emplace_back(e.handle(), std::string(trim(value)));
  } else if (!e.applyAttribute(key, value)) {
    // Last, the kind's own attributes, then those naming files (relative to the layout's folder).
    if (auto* files = dynamic_cast<PathAttributes*>(&e)) files->applyPathAttribute(key, value, build.folder);
  }
}

Element* buildElement(const XmlNode& node, HXCGUI parent, const Build& build, int depth);

void buildChildren(const XmlNode& node, Element& e, const Build& build, int depth) {
  for (const XmlNode& child : node.children)
    if (!e.applyChildTag(child)) buildElement(child, e.handle(), build, depth + 1);
}

// The element of one tag, its attributes in document order, then its children; an unknown tag
// is skipped with its subtree. ("bind" belongs to the window, which applies it afterwards.)
Element* buildElement(const XmlNode& node, HXCGUI parent, const Build& build, int depth) {
  auto& table = factories();
  auto it = table.find(asciiLower(node.name));
  if (it == table.end()) return nullptr;  // a kind this toolkit build does not have
  Element* e = it->second(parent);
  if (e == nullptr) return nullptr;
  for (const auto& [key, value] : node.attributes) {
    if (key == "bind") continue;
    applyAttribute(*e, key, value, build);
  }
  buildChildren(node, *e, build, depth);
  return e;
}

// The attributes of a layout's <window> (FORMATS.md 1.1).
void applyWindowAttribute(Window& w, std::string_view key, std::string_view value) {
  if (key == "title") {
    w.title = utf8ToUtf16(value);
  } else if (key == "className") {
    w.className = utf8ToUtf16(value);
  } else if (key == "x" || key == "y") {
    if (auto n = parseInt(value)) {
      int v = clampCoord(*n);
      if (key == "x")
        w.rect.right += v - w.rect.left, w.rect.left = v;
      else
        w.rect.bottom += v - w.rect.top, w.rect.top = v;
    }
  } else if (key == "width") {
    if (auto n = parseInt(value); n && *n >= 0) w.rect.right = w.rect.left + clampSize(*n);
  } else if (key == "height") {
    if (auto n = parseInt(value); n && *n >= 0) w.rect.bottom = w.rect.top + clampSize(*n);
  } else if (key == "margin") {
    if (auto r = parseSides(value)) w.margins = *r;
  } else if (key == "minWidth") {
    if (auto n = parseInt(value)) w.minSize.cx = clampSize(*n);
  } else if (key == "minHeight") {
    if (auto n = parseInt(value)) w.minSize.cy = clampSize(*n);
  } else if (key == "dragWindow") {
    if (auto b = parseBool(value)) w.dragWindow = *b;
  } else if (key == "dragCaption") {
    if (auto b = parseBool(value)) w.dragCaption = *b;
  } else if (key == "style") {
    if (auto n = parseInt(value)) w.xcStyle = *n;
  } else if (key == "bkInfo") {
    if (auto* manager = context().registry.get<BkManager>(w.bkm())) manager->set(utf8ToUtf16(value));
  }
}

// A layout is a <window> with its elements, or one element tree put under `parent`. The window is
// announced to the platform only once it is complete, so its native window is made at its final
// size, with its bound edge elements in place.
HXCGUI buildLayout(const XmlNode& root, const std::filesystem::path& folder, HXCGUI parent, XHWND attach) {
  Build build{folder, nullptr};
  if (!equalsNoCase(root.name, "window")) {
    Element* e = buildElement(root, parent, build, 1);
    return e != nullptr ? e->handle() : 0;
  }
  Window* w = createWindow();
  w->rect = {0, 0, 300, 200};
  if (Window* owner = getWindow(parent)) {
    w->owner = owner->handle();
    w->parentNative = owner->native;
  } else {
    w->parentNative = attach;
  }
  for (const auto& [key, value] : root.attributes) applyWindowAttribute(*w, key, value);
  for (const XmlNode& child : root.children) {
    Element* e = buildElement(child, w->handle(), build, 2);
    if (e == nullptr) continue;
    if (const std::string* bind = child.attribute("bind")) {
      static constexpr std::string_view kPositions[] = {"top", "bottom", "left", "right"};  // Window::bound
      for (int i = 0; i < 4; ++i)
        if (equalsNoCase(*bind, kPositions[i])) w->bind(i, e);
    }
  }
  announceWindow(w);
  return w->handle();
}

}  // namespace

void registerKind(std::string_view tag, KindFactory factory) { factories()[asciiLower(tag)] = std::move(factory); }

HXCGUI loadLayoutText(std::string_view xml, const std::filesystem::path& folder, HXCGUI parent, XHWND attach) {
  if (!context().initialized) return 0;
  auto root = parseXml(xml);
  if (!root) return 0;
  return buildLayout(*root, folder, parent, attach);
}

HXCGUI loadLayoutFile(const std::filesystem::path& file, HXCGUI parent, XHWND attach) {
  auto text = readFile(file, kMaxLayoutFile);
  if (!text) return 0;
  return loadLayoutText(*text, file.parent_path(), parent, attach);
}

TemplateInstance instantiate(const XmlNode& section, const std::filesystem::path& folder, HXCGUI parent) {
  TemplateInstance instance;
  Build build{folder, &instance};
  for (const XmlNode& child : section.children)
    if (Element* e = buildElement(child, parent, build, 2)) instance.roots.push_back(e->handle());
  return instance;
}

}  // namespace tovalux::tk
