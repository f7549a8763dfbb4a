// The toolbox's rules without Win32: which host group buttons become groups, the icons of
// icon.json, and which host tree item a pick in the pane may name.
//
// The host keeps one group's components in its tree at a time and refills the tree (deleting
// every item first) when a group button is clicked. The pane lists every group it has seen. A
// host item handle is only good until the next refill: ToolItems remembers which fill each
// listed item came from, and a pick of an item from an older fill asks for that group's fill
// first instead of sending a handle the host has freed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::toolbox {

// The description of the group a host button text starts ("基本组件", "扩展组件", "外部组件");
// empty for a button that makes no group.
std::string groupDescription(std::string_view buttonText);

// ASCII letters lowered, GBK characters untouched.
std::string lowerText(std::string_view gbk);

// icon.json: an array of {"eName", "cName", "iCons"}. Read once per group fill.
class IconIndex {
 public:
  // `text` is the file's UTF-8 bytes (a byte-order mark is skipped). False when it does not
  // parse to an array; the index is then empty.
  bool load(std::string_view utf8Text);
  // The icon file of the first row whose "eName" or "cName" equals the component name in any
  // letter case; empty when none does.
  std::string iconFor(std::string_view componentName) const;
  size_t size() const { return rows_.size(); }

 private:
  struct Row {
    std::string eName;  // lowered
    std::string cName;  // lowered
    std::string icon;
  };
  std::vector<Row> rows_;
};

class ToolItems {
 public:
  // The host emptied its tree: the items that follow are a new fill of `group`.
  void beginFill(int group);
  // The host inserted `hostItem` during the current fill. Answers the item's index in the fill's
  // group: the pane replaces the item at that index when the group already has one (a group
  // filled again lists its components once) and appends otherwise.
  struct Placed {
    int group = -1;
    int index = -1;
    bool replaces = false;
  };
  Placed add(uintptr_t hostItem, std::string_view text);
  // How many items the pane lists in `group`.
  int count(int group) const;

  // What a pick of (group, index) may send: the host item when it belongs to the current fill,
  // 0 when the group must be filled first (or the item is unknown).
  uintptr_t liveItem(int group, int index) const;
  // After the group was filled again: the item at `index` when its text is still `text`, or the
  // first item of the fill with that text; 0 when the fill has none.
  uintptr_t itemAfterRefill(int group, int index, std::string_view text) const;
  std::string text(int group, int index) const;

  int fillGroup() const { return fillGroup_; }
  // Every group gone (the host destroyed its buttons).
  void clear();

 private:
  struct Item {
    std::string text;
    uintptr_t hostItem = 0;
    uint64_t fill = 0;
  };
  std::map<int, std::vector<Item>> groups_;
  int fillGroup_ = -1;
  uint64_t fill_ = 0;
  int nextIndex_ = 0;
};

}  // namespace tovalux::toolbox
