// The resource package ("resource.res": named colours and images) and the style-sheet subset
// ("style.css"). Formats: FORMATS.md sections 3 and 4.
// UI thread only; reads the files it is given.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

class ResourcePackage {
 public:
  // Replaces the package with the file's content; false (and an empty package) when the file
  // cannot be read.
  bool load(const std::filesystem::path& file);
  void parse(std::string_view text, const std::filesystem::path& folder);
  void clear();

  std::optional<ColorValue> color(std::string_view name) const;
  // The image of that name, read on first use; 0 when unknown or unreadable.
  HIMAGE image(std::string_view name);
  bool hasImage(std::string_view name) const;
  size_t colorCount() const { return colors_.size(); }
  size_t imageCount() const { return images_.size(); }

 private:
  struct ImageEntry {
    std::string name;  // as written
    std::filesystem::path path;
    HIMAGE handle = 0;
    bool tried = false;
  };
  static std::string key(std::string_view name);
  std::map<std::string, ColorValue> colors_;
  std::map<std::string, ImageEntry> images_;
};

// The values a style sheet can give an element.
struct CssStyle {
  std::optional<ColorValue> background;
  std::optional<ColorValue> text;
  std::optional<ColorValue> border;
  std::optional<int> borderWidth;
};

enum CssState : unsigned { css_hover = 1, css_pressed = 2, css_checked = 4, css_disabled = 8 };

class StyleSheet {
 public:
  bool load(const std::filesystem::path& file);
  void parse(std::string_view text);
  void clear() { rules_.clear(); }
  size_t ruleCount() const { return rules_.size(); }

  // `kinds` lists the element's kind and the kinds it derives from ("tabLabel", "button");
  // `state` is a set of CssState bits the element is in.
  CssStyle resolve(const std::vector<std::string_view>& kinds, std::string_view className, unsigned state) const;

 private:
  struct Rule {
    std::string kind;  // empty or "*": any
    std::string className;
    unsigned state = 0;  // 0: any state
    int specificity = 0;
    size_t order = 0;
    CssStyle style;
  };
  static std::optional<Rule> parseSelector(std::string_view selector);
  std::vector<Rule> rules_;
};

// The theme in use: what XC_LoadResource and XC_LoadStyle loaded, and the image files layouts
// named (by full path, so two layouts naming one file share its image). context() holds it
// (core/context.h) and shutdown() drops it; every layer from here up reaches it through
// resourceStore().
class ResourceStore {
 public:
  ResourcePackage resources;
  StyleSheet style;
  std::vector<std::pair<std::u16string, HIMAGE>> imageCache;
};
// The store of context(), made on first use.
ResourceStore& resourceStore();

}  // namespace tovalux::tk
