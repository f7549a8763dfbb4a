#include "shell/shell_rules.h"

#include <algorithm>
#include <vector>

namespace tovalux::shell_rules {

const std::array<PaneLayout, kPaneCount> kPanes = {{
    {"易支持库", 320, 260, 10001, PaneDock::kLeftGroup, -1, true},
    {"项目结构", 320, 260, 10002, PaneDock::kMerged, 0, true},
    {"组件属性", 320, 260, 10003, PaneDock::kMerged, 0, true},
    {"常用模块", 320, 260, 10004, PaneDock::kMerged, 0, true},
    {"系统组件", 260, 260, 10005, PaneDock::kRightAlone, -1, false},
    {"帮助提示", 260, 320, 10006, PaneDock::kBottomGroup, -1, true},
    {"调试输出", 260, 320, 10007, PaneDock::kMerged, 5, true},
    {"断点栈堆", 260, 320, 10008, PaneDock::kMerged, 5, true},
    {"变量监视", 260, 320, 10009, PaneDock::kMerged, 5, true},
    {"搜寻结果1", 260, 320, 10010, PaneDock::kMerged, 5, true},
    {"搜寻结果2", 260, 320, 10011, PaneDock::kMerged, 5, true},
    {"反汇编显示", 260, 320, 10012, PaneDock::kMerged, 5, true},
}};

Size frameSizeFromSettings(int storedWidth, int storedHeight, Size screenArea) {
  Size size{storedWidth, storedHeight};
  if (storedWidth < 1 || storedHeight < 1) size = {kDefaultFrameWidth, kDefaultFrameHeight};
  if (screenArea.width > 0) size.width = std::min(size.width, std::max(screenArea.width, kMinimumFrameSize));
  if (screenArea.height > 0) size.height = std::min(size.height, std::max(screenArea.height, kMinimumFrameSize));
  return size;
}

Placement tipWindowPlacement(int frameRight, int frameBottom) {
  return {frameRight - 418, frameBottom - 146, 400, 106};
}

namespace {

// Blanks only: the caption's separators are " - ".
std::string trimBlanks(std::string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace

std::string projectPathFromCaption(std::string_view caption,
                                   const std::function<bool(const std::string&)>& fileExists) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    const size_t dash = caption.find('-', start);
    pieces.push_back(caption.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start));
    if (dash == std::string_view::npos) break;
    start = dash + 1;
  }
  for (size_t index : {size_t{1}, size_t{2}}) {
    if (index >= pieces.size()) break;
    std::string candidate = trimBlanks(pieces[index]);
    if (!candidate.empty() && fileExists(candidate)) return candidate;
  }
  return {};
}

bool captionNamesWindows10(std::string_view osCaption) {
  return osCaption.find("Windows 10") != std::string_view::npos;
}

bool versionHasElevation(uint32_t getVersionAnswer) {
  const uint32_t major = getVersionAnswer & 0xFF;
  const uint32_t minor = (getVersionAnswer >> 8) & 0xFF;
  return major * 256 + minor > 1535;
}

}  // namespace tovalux::shell_rules
