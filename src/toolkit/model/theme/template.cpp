// Item template files (XTemp_Load) and the slot a view keeps its template in. Loading only
// parses; the objects of a section are made by the loader (tree/loader.h, instantiate), for the
// items on screen.
#include "toolkit/model/theme/template.h"

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

namespace {
constexpr size_t kMaxTemplateFile = 4u << 20;
}  // namespace

HXCGUI TemplateInstance::find(int itemId) const {
  for (const auto& [id, h] : ids)
    if (id == itemId) return h;
  return 0;
}

Template* loadTemplateText(std::string_view xml, const std::filesystem::path& folder, int listType) {
  if (!context().initialized) return nullptr;
  auto root = parseXml(xml);
  if (!root || !equalsNoCase(root->name, "template")) return nullptr;
  static constexpr std::pair<std::string_view, int> kKinds[] = {{"listBox", listType_listBox},
                                                                {"list", listType_list},
                                                                {"tree", listType_tree},
                                                                {"listView", listType_listView},
                                                                {"comboBox", listType_comboBox}};
  // A template written for one kind of view is refused by another (its objects would not fit);
  // listType 0 takes any.
  if (const std::string* kind = root->attribute("for"); kind != nullptr && listType != 0) {
    for (const auto& [name, type] : kKinds)
      if (equalsNoCase(*kind, name) && type != listType) return nullptr;
  }
  Template* t = context().registry.create<Template>();
  t->listType = listType;
  t->folder = folder;
  for (XmlNode& section : root->children) {
    if (equalsNoCase(section.name, "item"))
      t->item = std::move(section);
    else if (equalsNoCase(section.name, "header"))
      t->header = std::move(section);
    else if (equalsNoCase(section.name, "group"))
      t->group = std::move(section);
  }
  return t;
}

Template* loadTemplateFile(const std::filesystem::path& file, int listType) {
  auto text = readFile(file, kMaxTemplateFile);
  if (!text) return nullptr;
  return loadTemplateText(*text, file.parent_path(), listType);
}

Template* TemplateSlot::take(HTEMP temp, bool own) {
  Registry& registry = context().registry;
  Template* t = registry.get<Template>(temp);
  if (t == nullptr || !t->item) return nullptr;
  if (owned && handle != temp) registry.erase(handle);
  handle = temp;
  owned = own;
  return t;
}

void TemplateSlot::release() {
  if (owned) context().registry.erase(handle);
}

XSize sectionSize(const XmlNode& section) {
  XSize s;
  if (const std::string* w = section.attribute("width"))
    if (auto n = parseInt(*w)) s.cx = clampSize(*n);
  if (const std::string* h = section.attribute("height"))
    if (auto n = parseInt(*h)) s.cy = clampSize(*n);
  return s;
}

}  // namespace tovalux::tk
