#include "panes/toolbox_rules.h"

#include "base/gbk_scan.h"
#include "json/json_document.h"
#include "panes/module_manager_rules.h"

namespace tovalux::toolbox {

std::string groupDescription(std::string_view text) {
  // The first four characters: eight bytes of GBK.
  const std::string_view head = text.substr(0, 8);
  if (head == "基本组件") return "核心支持库内的组件";
  if (head == "扩展组件") return "扩展支持库内的组件";
  if (head == "外部组件") return "COM包装支持库所封装的Activex组件";
  return {};
}

std::string lowerText(std::string_view gbk) {
  std::string lowered(gbk);
  for (size_t i = 0; i < lowered.size(); ++i) {
    const auto c = static_cast<unsigned char>(lowered[i]);
    if (gbkCharLength(lowered, i) == 2) {
      ++i;
      continue;
    }
    if (c >= 'A' && c <= 'Z') lowered[i] = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

bool IconIndex::load(std::string_view utf8Text) {
  rows_.clear();
  if (utf8Text.size() >= 3 && utf8Text.substr(0, 3) == "\xEF\xBB\xBF") utf8Text.remove_prefix(3);
  std::u16string wide;
  if (!modules::decodeUtf8(utf8Text, wide)) return false;
  JsonDocument document;
  if (!document.parseUtf16(wide) || document.kind("") != JsonKind::Array) return false;
  const int count = document.count("");
  rows_.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string at = "[" + std::to_string(i) + "].";
    rows_.push_back({lowerText(document.getText(at + "eName")), lowerText(document.getText(at + "cName")),
                     document.getText(at + "iCons")});
  }
  return true;
}

std::string IconIndex::iconFor(std::string_view componentName) const {
  const std::string name = lowerText(componentName);
  if (name.empty()) return {};
  for (const Row& row : rows_)
    if (row.eName == name || row.cName == name) return row.icon;
  return {};
}

void ToolItems::beginFill(int group) {
  fillGroup_ = group;
  ++fill_;
  nextIndex_ = 0;
}

ToolItems::Placed ToolItems::add(uintptr_t hostItem, std::string_view text) {
  if (fillGroup_ < 0) return {};
  std::vector<Item>& items = groups_[fillGroup_];
  const int index = nextIndex_++;
  Placed placed{fillGroup_, index, index < static_cast<int>(items.size())};
  if (placed.replaces)
    items[index] = Item{std::string(text), hostItem, fill_};
  else
    items.push_back(Item{std::string(text), hostItem, fill_});
  return placed;
}

int ToolItems::count(int group) const {
  const auto found = groups_.find(group);
  return found == groups_.end() ? 0 : static_cast<int>(found->second.size());
}

uintptr_t ToolItems::liveItem(int group, int index) const {
  if (group != fillGroup_) return 0;
  const auto found = groups_.find(group);
  if (found == groups_.end() || index < 0 || index >= static_cast<int>(found->second.size())) return 0;
  const Item& item = found->second[index];
  return item.fill == fill_ ? item.hostItem : 0;
}

uintptr_t ToolItems::itemAfterRefill(int group, int index, std::string_view text) const {
  if (group != fillGroup_) return 0;
  const auto found = groups_.find(group);
  if (found == groups_.end()) return 0;
  const std::vector<Item>& items = found->second;
  if (index >= 0 && index < static_cast<int>(items.size()) && items[index].fill == fill_ && items[index].text == text)
    return items[index].hostItem;
  for (const Item& item : items)
    if (item.fill == fill_ && item.text == text) return item.hostItem;
  return 0;
}

std::string ToolItems::text(int group, int index) const {
  const auto found = groups_.find(group);
  if (found == groups_.end() || index < 0 || index >= static_cast<int>(found->second.size())) return {};
  return found->second[index].text;
}

void ToolItems::clear() {
  groups_.clear();
  fillGroup_ = -1;
  ++fill_;
  nextIndex_ = 0;
}

}  // namespace tovalux::toolbox
