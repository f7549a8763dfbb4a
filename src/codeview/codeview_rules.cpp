#include "codeview/codeview_rules.h"

#include <unordered_map>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::codeview {

bool isDesignerTitle(std::string_view title) {
  return gbkFindText(title, kDesignerTitleMark) != std::string_view::npos;
}

std::string tabCaption(std::string_view title) {
  // ':' (0x3A) is never the trail byte of a GBK character, but the walk costs nothing.
  const size_t colon = gbkFindLast(title, ':');
  std::string caption(colon == std::string_view::npos ? title : title.substr(colon + 1));
  if (isDesignerTitle(title)) caption += kDesignerCaptionSuffix;
  return caption;
}

namespace {

struct LookRule {
  std::string_view title;
  bool contains;  // the title contains the text (else: equals it)
  NavigationLook look;
};

constexpr LookRule kLookRules[] = {
    {"类模块: ", true, {"Class_16x.png", "Method_left_16x.png", false}},
    {"程序集: ", true, {"Namespace_16x.png", "Method_left_16x.png", false}},
    {"窗口: ", true, {"WindowsForm2_16x.png", "WindowsForm2_16x.png", false}},
    {"全局变量表", false, {"LocalVariable2_16x.png", "ProjectSystemSqlCommandVariables_16x.png", true}},
    {"声音资源表", false, {"SoundFile_16x.png", "SoundFile_16x.png", true}},
    {"图片资源表", false, {"pic.png", "pic.png", true}},
    {"Dll命令定义表", false, {"Interface_16x.png", "Interface_16x.png", true}},
    {"自定义数据类型表", false, {"Module_16x.png", "Structure_left_16x.png", true}},
    {"常量数据表", false, {"Constant_16x.png", "Enumerator_left_16x.png", true}},
};
constexpr NavigationLook kUnknownLook{"UnknownProject_16x.png", "UnknownProject_16x.png", false};

}  // namespace

NavigationLook navigationLookFor(std::string_view title) {
  for (const LookRule& rule : kLookRules) {
    const bool meets = rule.contains ? gbkFindText(title, rule.title) != std::string_view::npos : title == rule.title;
    if (meets) return rule.look;
  }
  return kUnknownLook;
}

bool isTableKind(int32_t pageKind) { return !tableCategoryFor(pageKind).empty(); }

std::string_view tableCategoryFor(int32_t pageKind) {
  switch (pageKind) {
    case 2: return "自定义数据类型";
    case 3: return "全局变量";
    case 4: return "Dll命令";
    default: return {};
  }
}

std::optional<std::vector<TreeNode>> walkTree(TreeReader& tree, size_t limit) {
  std::vector<TreeNode> nodes;
  // Pre-order with an explicit stack of "next sibling to visit" per level.
  std::vector<TreeNode> pending;
  if (const TreeItem root = tree.firstRoot()) pending.push_back({root, 0});
  while (!pending.empty()) {
    const TreeNode node = pending.back();
    pending.pop_back();
    if (nodes.size() >= limit) return std::nullopt;
    nodes.push_back(node);
    if (const TreeItem next = tree.nextSibling(node.item)) pending.push_back({next, node.parent});
    if (const TreeItem child = tree.firstChild(node.item)) pending.push_back({child, node.item});
  }
  return nodes;
}

namespace {

// The walk, when it meets the tree's count (`requireCount`), and the category item in it.
struct CategoryLookup {
  std::vector<TreeNode> nodes;
  TreeItem category = 0;
};

std::optional<CategoryLookup> findCategory(TreeReader& tree, std::string_view category, bool requireCount) {
  const int32_t count = tree.count();
  if (count < 0) return std::nullopt;
  // One item more than the tree says it holds shows the walk went astray.
  auto nodes = walkTree(tree, static_cast<size_t>(count) + 1);
  if (!nodes || (requireCount && nodes->size() != static_cast<size_t>(count))) return std::nullopt;

  std::unordered_map<TreeItem, std::string> texts;  // parents' texts, each read once
  auto textOf = [&](TreeItem item) -> const std::string& {
    auto found = texts.find(item);
    if (found == texts.end()) found = texts.emplace(item, tree.text(item)).first;
    return found->second;
  };
  for (const TreeNode& node : *nodes) {
    if (node.parent == 0 || textOf(node.parent) != kProgramDataItem) continue;
    if (textOf(node.item) == category) return CategoryLookup{std::move(*nodes), node.item};
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<TableMember>> readTableMembers(TreeReader& tree, std::string_view category) {
  auto lookup = findCategory(tree, category, true);
  if (!lookup) return std::nullopt;
  std::vector<TableMember> members;
  // Pre-order keeps siblings in their order.
  for (const TreeNode& node : lookup->nodes)
    if (node.parent == lookup->category) members.push_back({node.item, tree.text(node.item)});
  return members;
}

bool isTableMember(TreeReader& tree, std::string_view category, TreeItem item) {
  if (item == 0) return false;
  auto lookup = findCategory(tree, category, false);
  if (!lookup) return false;
  for (const TreeNode& node : lookup->nodes)
    if (node.parent == lookup->category && node.item == item) return true;
  return false;
}

ScrollMemory::Change ScrollMemory::take(int32_t max, int32_t pos) {
  Change change{max != lastMax, pos != lastPos};
  lastMax = max;
  lastPos = pos;
  return change;
}

uint32_t thumbPositionParam(int32_t position) {
  return 4u | (static_cast<uint32_t>(static_cast<uint16_t>(position)) << 16);
}

std::string lineStatus(int32_t row) { return "行 " + decimal(int64_t{row} + 1); }
std::string columnStatus(int32_t column) { return "列 " + decimal(int64_t{column} + 1); }
std::string lengthStatus(size_t bytes) { return "字符 " + decimal(static_cast<int64_t>(bytes)); }

int32_t caretRequestLength(int32_t reported) {
  if (reported <= 0) return 0;
  return reported < kCaretTextCap ? reported : kCaretTextCap;
}

}  // namespace tovalux::codeview
