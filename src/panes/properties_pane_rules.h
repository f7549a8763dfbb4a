// The properties pane's rules without Win32: the host's fixed texts in the event combo box and
// how the pane's event rows map onto the host's entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovalux::properties {

inline constexpr std::string_view kNoEvents = "--- 无对应事件 ---";
inline constexpr std::string_view kLoadingEvents = "事件信息载入中";
inline constexpr std::string_view kNoComponent = "无可用组件";

// A host event entry made of exactly 100 "-": a separator line, listed without an icon.
bool isSeparatorEntry(std::string_view text);

// The pane's event rows in order, each with the index of the host entry it shows. An entry the
// host could not give (CB_ERR) is left out, so rows and host indexes may differ.
class EventRows {
 public:
  void clear() { hostIndexes_.clear(); }
  void add(int hostIndex) { hostIndexes_.push_back(hostIndex); }
  int size() const { return static_cast<int>(hostIndexes_.size()); }
  // The host index of a row; -1 for a row that does not exist.
  int hostIndex(int row) const;

 private:
  std::vector<int> hostIndexes_;
};

}  // namespace tovalux::properties
