// XML layouts (XC_LoadLayout) and the objects of item templates. Formats: FORMATS.md 1 and 2.
// UI thread only. Reads the files it is given; creates objects only through the factories of
// registerKind and the element hooks, so it depends on no kind above the tree.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/model/theme/template.h"
#include "toolkit/model/theme/xml.h"
#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

// Kinds with layout attributes that name files (a data view's item template): relative paths
// resolve against the layout file's folder. Asked for attributes applyAttribute did not know.
class PathAttributes {
 public:
  virtual ~PathAttributes() = default;
  virtual bool applyPathAttribute(std::string_view name, std::string_view value,
                                  const std::filesystem::path& folder) = 0;
};

// Creates an element of one kind under `parent`. This layer knows only the plain <element>:
// each layer above registers the tags of its kinds (controls/kinds.h, views/kinds.h,
// menus/kinds.h), which XInitXCGUI calls; a tag nobody registered is skipped with its subtree.
// Tags compare without case; registering a tag again replaces its factory.
using KindFactory = std::function<Element*(HXCGUI parent)>;
void registerKind(std::string_view tag, KindFactory factory);

// Loads a layout; answers the root (a window or an element) or 0 with nothing created.
HXCGUI loadLayoutFile(const std::filesystem::path& file, HXCGUI parent, XHWND attach);
HXCGUI loadLayoutText(std::string_view xml, const std::filesystem::path& folder, HXCGUI parent, XHWND attach);

// Creates the objects of `section` (the <item>, <header> or <group> node) under `parent`.
TemplateInstance instantiate(const XmlNode& section, const std::filesystem::path& folder, HXCGUI parent);

}  // namespace tovalux::tk
