// The resource package, the style-sheet subset and the store of those in use. Both parsers skip
// what they do not understand line by line (rule by rule), so one bad entry never loses the rest
// of a theme. Files are read whole, within a size limit, on the UI thread.
#include "toolkit/model/theme/resources.h"

#include <algorithm>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"

namespace tovalux::tk {

namespace {
constexpr size_t kMaxThemeFile = 4u << 20;

std::string_view stripBom(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}
}  // namespace

ResourceStore& resourceStore() {
  auto& store = context().store;
  if (!store) store = {new ResourceStore, [](ResourceStore* dropped) { delete dropped; }};
  return *store;
}

std::string ResourcePackage::key(std::string_view name) {
  std::string out(trim(name));
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return out;
}

bool ResourcePackage::load(const std::filesystem::path& file) {
  clear();
  auto text = readFile(file, kMaxThemeFile);
  if (!text) return false;
  parse(*text, file.parent_path());
  return true;
}

void ResourcePackage::clear() {
  colors_.clear();
  images_.clear();
}

void ResourcePackage::parse(std::string_view text, const std::filesystem::path& folder) {
  text = stripBom(text);
  enum class Section { none, colors, images } section = Section::none;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      auto name = trim(line.substr(1, line.size() - 2));
      section = equalsNoCase(name, "colors")   ? Section::colors
                : equalsNoCase(name, "images") ? Section::images
                                               : Section::none;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string name = key(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    if (name.empty() || value.empty()) continue;
    if (section == Section::colors) {
      if (auto color = parseColor(value, false)) colors_[name] = *color;
    } else if (section == Section::images) {
      images_[name] = ImageEntry{std::string(trim(line.substr(0, eq))), folder / toPath(value), 0, false};
    }
  }
}

std::optional<ColorValue> ResourcePackage::color(std::string_view name) const {
  auto it = colors_.find(key(name));
  if (it == colors_.end()) return std::nullopt;
  return it->second;
}

bool ResourcePackage::hasImage(std::string_view name) const { return images_.count(key(name)) != 0; }

// Read on first use and kept: a package names many images a window may never show. A file that
// failed once is not read again; an image a caller destroyed is read again.
HIMAGE ResourcePackage::image(std::string_view name) {
  auto it = images_.find(key(name));
  if (it == images_.end()) return 0;
  ImageEntry& entry = it->second;
  if (entry.handle != 0 && context().registry.alive(entry.handle)) return entry.handle;
  if (entry.tried && entry.handle == 0) return 0;
  entry.tried = true;
  Image* image = loadImageFile(entry.path, false);
  if (image == nullptr) return entry.handle = 0;
  image->source = utf8ToUtf16(entry.name);
  return entry.handle = image->handle();
}

// --- style sheet -------------------------------------------------------------------------

bool StyleSheet::load(const std::filesystem::path& file) {
  clear();
  auto text = readFile(file, kMaxThemeFile);
  if (!text) return false;
  parse(*text);
  return true;
}

namespace {
std::string stripComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 1;
      out.push_back(' ');
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

bool isIdentChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         (unsigned char)c >= 0x80;
}
}  // namespace

namespace {
// The declarations of one rule body ("prop: value; ..."): the four properties of the subset;
// any other property, or a value that does not parse, is skipped.
CssStyle parseDeclarations(std::string_view body) {
  CssStyle style;
  size_t start = 0;
  for (size_t i = 0; i <= body.size(); ++i) {
    if (i != body.size() && body[i] != ';') continue;
    std::string_view decl = body.substr(start, i - start);
    start = i + 1;
    size_t colon = decl.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view prop = trim(decl.substr(0, colon));
    std::string_view value = trim(decl.substr(colon + 1));
    if (equalsNoCase(prop, "background-color")) {
      if (auto c = parseColor(value, true)) style.background = *c;
    } else if (equalsNoCase(prop, "color")) {
      if (auto c = parseColor(value, true)) style.text = *c;
    } else if (equalsNoCase(prop, "border-color")) {
      if (auto c = parseColor(value, true)) style.border = *c;
    } else if (equalsNoCase(prop, "border-width")) {
      if (value.ends_with("px")) value.remove_suffix(2);
      if (auto w = parseInt(value); w && *w >= 0 && *w <= 100) style.borderWidth = *w;
    }
  }
  return style;
}

// The state of a ":state" selector suffix; 0 for one the subset does not know.
unsigned cssStateNamed(std::string_view state) {
  if (equalsNoCase(state, "hover")) return css_hover;
  if (equalsNoCase(state, "pressed") || equalsNoCase(state, "active")) return css_pressed;
  if (equalsNoCase(state, "checked")) return css_checked;
  if (equalsNoCase(state, "disabled")) return css_disabled;
  return 0;
}
}  // namespace

// One simple selector, "kind", ".class", "kind.class" or "*", each with an optional ":state",
// as a rule without its style; nothing for any other selector (descendants, ids, attributes...).
// A class counts 10 towards the specificity, a state 5.
std::optional<StyleSheet::Rule> StyleSheet::parseSelector(std::string_view sel) {
  Rule rule;
  size_t p = 0;
  while (p < sel.size() && (isIdentChar(sel[p]) || sel[p] == '*')) ++p;
  rule.kind = std::string(sel.substr(0, p));
  if (rule.kind == "*") rule.kind.clear();
  if (p < sel.size() && sel[p] == '.') {
    size_t q = ++p;
    while (p < sel.size() && isIdentChar(sel[p])) ++p;
    rule.className = std::string(sel.substr(q, p - q));
    if (rule.className.empty()) return std::nullopt;
    rule.specificity += 10;
  }
  if (p < sel.size() && sel[p] == ':') {
    rule.state = cssStateNamed(sel.substr(p + 1));
    if (rule.state == 0) return std::nullopt;
    p = sel.size();
    rule.specificity += 5;
  }
  // Nothing may follow, and a rule must name something: "*" alone (or "*:state") may match all.
  if (p != sel.size() || (rule.kind.empty() && rule.className.empty() && sel != "*" && !sel.starts_with("*:")))
    return std::nullopt;
  return rule;
}

// Rule by rule: a body with a nested '{' (@media and the like) is skipped whole; a selector list
// gives one rule per selector the subset understands, in the order written (later wins ties).
void StyleSheet::parse(std::string_view input) {
  std::string text = stripComments(stripBom(input));
  std::string_view rest = text;
  while (true) {
    size_t open = rest.find('{');
    if (open == std::string_view::npos) break;
    size_t close = rest.find('}', open);
    if (close == std::string_view::npos) break;
    std::string_view selectors = rest.substr(0, open);
    std::string_view body = rest.substr(open + 1, close - open - 1);
    rest = rest.substr(close + 1);
    if (body.find('{') != std::string_view::npos) continue;

    const CssStyle style = parseDeclarations(body);
    size_t selStart = 0;
    for (size_t i = 0; i <= selectors.size(); ++i) {
      if (i != selectors.size() && selectors[i] != ',') continue;
      std::string_view sel = trim(selectors.substr(selStart, i - selStart));
      selStart = i + 1;
      if (sel.empty()) continue;
      auto rule = parseSelector(sel);
      if (!rule) continue;
      rule->style = style;
      rule->order = rules_.size();
      rules_.push_back(std::move(*rule));
    }
  }
}

// Every rule that matches, weakest first, each overriding what it sets: the most specific rule
// wins each value, and among equals the later one.
CssStyle StyleSheet::resolve(const std::vector<std::string_view>& kinds, std::string_view className,
                             unsigned state) const {
  std::vector<const Rule*> matching;
  for (const Rule& rule : rules_) {
    if (!rule.kind.empty() &&
        std::none_of(kinds.begin(), kinds.end(), [&](std::string_view k) { return equalsNoCase(k, rule.kind); }))
      continue;
    if (!rule.className.empty() && rule.className != className) continue;
    if (rule.state != 0 && (state & rule.state) == 0) continue;
    matching.push_back(&rule);
  }
  std::stable_sort(matching.begin(), matching.end(), [](const Rule* a, const Rule* b) {
    return a->specificity != b->specificity ? a->specificity < b->specificity : a->order < b->order;
  });
  CssStyle out;
  for (const Rule* rule : matching) {
    if (rule->style.background) out.background = rule->style.background;
    if (rule->style.text) out.text = rule->style.text;
    if (rule->style.border) out.border = rule->style.border;
    if (rule->style.borderWidth) out.borderWidth = rule->style.borderWidth;
  }
  return out;
}

}  // namespace tovalux::tk
