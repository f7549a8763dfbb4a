// Item templates (XTemp_Load): the parsed sections of a template file, and the objects one
// section created for an item (loader.h instantiates them). Format: FORMATS.md 2.
// UI thread only.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/model/core/object.h"
#include "toolkit/model/theme/xml.h"

namespace tovalux::tk {

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

// The item template a data view or combo box shows its items with, and whether the view owns it:
// one it loaded itself (a layout's itemTemplate attribute) is destroyed when replaced and with the
// view; one the caller set (X..._SetItemTemplate) stays the caller's.
struct TemplateSlot {
  HTEMP handle = 0;
  bool owned = false;
  // Holds `temp` when it is a template with an item section (else answers null and changes
  // nothing); the template held before is destroyed when it was owned and is another one.
  Template* take(HTEMP temp, bool own);
  // The view is going: its own template goes too.
  void release();
};

// The objects created from one template section.
struct TemplateInstance {
  std::vector<HXCGUI> roots;
  std::vector<std::pair<int, HXCGUI>> ids;              // itemId -> object
  std::vector<std::pair<HXCGUI, std::string>> columns;  // object -> column it shows
  HXCGUI find(int itemId) const;
};
// The item size a section asks for (0 when it gives none).
XSize sectionSize(const XmlNode& section);

}  // namespace tovalux::tk
