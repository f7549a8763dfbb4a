// XML layouts (XC_LoadLayout) and item templates (XTemp_Load). Formats: FORMATS.md 1 and 2.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Creates an element of one kind under `parent`. The data views and menu bar register theirs
// when they are linked in (later toolkit parts); an unregistered tag is skipped.
using KindFactory = std::function<Element*(HXCGUI parent)>;
void registerKind(std::string_view tag, KindFactory factory);

// The kinds of the data views (views_kinds.cpp) and of the menu bar and dock panes
// (menus_kinds.cpp); called when the toolkit is initialised.
void registerDataViewKinds();
void registerMenuAndPaneKinds();

// Loads a layout; answers the root (a window or an element) or 0 with nothing created.
HXCGUI loadLayoutFile(const std::filesystem::path& file, HXCGUI parent, XHWND attach);
HXCGUI loadLayoutText(std::string_view xml, const std::filesystem::path& folder, HXCGUI parent, XHWND attach);

// An item template: the parsed sections of a template file.
class Template : public Object {
 public:
  Template() : Object(XC_TEMP) {}
  int listType = 0;
  std::filesystem::path folder;
  std::optional<XmlNode> item, header, group;
};

Template* loadTemplateFile(const std::filesystem::path& file, int listType);
Template* loadTemplateText(std::string_view xml, const std::filesystem::path& folder, int listType);

// The objects created from one template section.
struct TemplateInstance {
  std::vector<HXCGUI> roots;
  std::vector<std::pair<int, HXCGUI>> ids;              // itemId -> object
  std::vector<std::pair<HXCGUI, std::string>> columns;  // object -> column it shows
  HXCGUI find(int itemId) const;
};
// Creates the objects of `section` (the <item>, <header> or <group> node) under `parent`.
TemplateInstance instantiate(const XmlNode& section, const std::filesystem::path& folder, HXCGUI parent);
// The item size a section asks for (0 when it gives none).
XSize sectionSize(const XmlNode& section);

}  // namespace tovalux::tk
