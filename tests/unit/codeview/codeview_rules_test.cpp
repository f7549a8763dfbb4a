// The code view companions' rules: captions, navigation icons, table member lists read from a
// tree that may change or lie, the scroll mirror's memory and the status texts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codeview/codeview_rules.h"

namespace tovalux::codeview {
namespace {

TEST(TabCaption, TextAfterTheLastColonWithTheDesignerSuffix) {
  EXPECT_EQ(tabCaption("程序集: 窗口程序集_启动窗口"), " 窗口程序集_启动窗口");
  EXPECT_EQ(tabCaption("窗口: _启动窗口"), " _启动窗口 - Dialog");
  EXPECT_EQ(tabCaption("全局变量表"), "全局变量表");
  EXPECT_EQ(tabCaption("起始页"), kStartPageCaption);
  EXPECT_EQ(tabCaption("a:b:c"), "c");
  EXPECT_EQ(tabCaption("类模块:"), "");
  EXPECT_EQ(tabCaption(""), "");
  // "窗口:" without the blank is no designer title.
  EXPECT_FALSE(isDesignerTitle("窗口:_启动窗口"));
  EXPECT_TRUE(isDesignerTitle("类模块: 窗口: x"));
  // The mark must start on a character boundary: 0xB4 0xB0 ("窗") inside another pair is no match.
  EXPECT_FALSE(isDesignerTitle("\xB0\xB4\xB0\xBF\xDA: x"));
}

TEST(NavigationLook, FirstMatchingRuleDecides) {
  EXPECT_EQ(navigationLookFor("类模块: 类_演示").unitIcon, "Class_16x.png");
  EXPECT_EQ(navigationLookFor("程序集: 程序集1").memberIcon, "Method_left_16x.png");
  // "类模块: " is tried before "窗口: ".
  EXPECT_EQ(navigationLookFor("类模块: 窗口: x").unitIcon, "Class_16x.png");
  const NavigationLook designer = navigationLookFor("窗口: _启动窗口");
  EXPECT_EQ(designer.unitIcon, "WindowsForm2_16x.png");
  EXPECT_EQ(designer.memberIcon, "WindowsForm2_16x.png");
  EXPECT_FALSE(designer.tablePage);
  const NavigationLook globals = navigationLookFor("全局变量表");
  EXPECT_EQ(globals.unitIcon, "LocalVariable2_16x.png");
  EXPECT_EQ(globals.memberIcon, "ProjectSystemSqlCommandVariables_16x.png");
  EXPECT_TRUE(globals.tablePage);
  EXPECT_TRUE(navigationLookFor("Dll命令定义表").tablePage);
  EXPECT_FALSE(navigationLookFor("DLL命令定义表").tablePage);  // only the host's spelling
  EXPECT_EQ(navigationLookFor("自定义数据类型表").memberIcon, "Structure_left_16x.png");
  EXPECT_EQ(navigationLookFor("常量数据表").memberIcon, "Enumerator_left_16x.png");
  EXPECT_EQ(navigationLookFor("图片资源表").unitIcon, "pic.png");
  EXPECT_EQ(navigationLookFor("声音资源表").unitIcon, "SoundFile_16x.png");
  // The table pages are matched whole, and anything else is unknown.
  EXPECT_FALSE(navigationLookFor("全局变量表 ").tablePage);
  EXPECT_EQ(navigationLookFor("起始页").unitIcon, "UnknownProject_16x.png");
  EXPECT_FALSE(navigationLookFor("起始页").tablePage);
}

TEST(TableKinds, OnlyDataTypesGlobalsAndDllCommands) {
  EXPECT_EQ(tableCategoryFor(2), "自定义数据类型");
  EXPECT_EQ(tableCategoryFor(3), "全局变量");
  EXPECT_EQ(tableCategoryFor(4), "Dll命令");
  for (int kind : {-1, 0, 1, 5, 6, 7, 8, 99}) EXPECT_FALSE(isTableKind(kind)) << kind;
}

// A tree held as parent -> children, answering the way a tree view does; it can be made to lie
// about its count or to answer in a circle.
class FakeTree : public TreeReader {
 public:
  TreeItem add(TreeItem parent, std::string text) {
    const TreeItem item = next_++;
    children_[parent].push_back(item);
    texts_[item] = std::move(text);
    return item;
  }
  void remove(TreeItem parent, TreeItem item) { std::erase(children_[parent], item); }

  TreeItem firstRoot() override { return firstOf(0); }
  TreeItem firstChild(TreeItem item) override {
    ++sends;
    return firstOf(item);
  }
  TreeItem nextSibling(TreeItem item) override {
    ++sends;
    if (loopAt != 0 && item == loopAt) return loopTo;
    for (const auto& [parent, list] : children_)
      for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == item) return i + 1 < list.size() ? list[i + 1] : 0;
    return 0;
  }
  std::string text(TreeItem item) override {
    ++textReads;
    return texts_.count(item) ? texts_[item] : std::string();
  }
  int32_t count() override {
    int32_t n = 0;
    for (const auto& [parent, list] : children_) n += static_cast<int32_t>(list.size());
    return n + countSkew;
  }

  int countSkew = 0;
  TreeItem loopAt = 0, loopTo = 0;
  int sends = 0, textReads = 0;

 private:
  TreeItem firstOf(TreeItem parent) {
    const auto found = children_.find(parent);
    return found == children_.end() || found->second.empty() ? 0 : found->second.front();
  }
  TreeItem next_ = 0x1000;
  std::map<TreeItem, std::vector<TreeItem>> children_;
  std::map<TreeItem, std::string> texts_;
};

// The sample project's shape: a root "程序数据" with assemblies and the table categories.
struct SampleTree {
  FakeTree tree;
  TreeItem root, assembly, globals, types, dlls;
  std::vector<TreeItem> globalItems;

  explicit SampleTree(int globalCount = 2) {
    root = tree.add(0, "程序数据");
    assembly = tree.add(root, "窗口程序集_启动窗口");
    tree.add(assembly, "_启动窗口_创建完毕");
    // A sub-program named like a category is not a category: its parent is no "程序数据".
    tree.add(assembly, "全局变量");
    globals = tree.add(root, "全局变量");
    for (int i = 0; i < globalCount; ++i) globalItems.push_back(tree.add(globals, "全局" + std::to_string(i)));
    types = tree.add(root, "自定义数据类型");
    tree.add(types, "坐标");
    dlls = tree.add(root, "Dll命令");
  }
};

TEST(TableMembers, ChildrenOfTheCategoryUnderProgramDataInOrder) {
  SampleTree sample(3);
  const auto members = readTableMembers(sample.tree, "全局变量");
  ASSERT_TRUE(members.has_value());
  ASSERT_EQ(members->size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ((*members)[i].item, sample.globalItems[i]);
    EXPECT_EQ((*members)[i].text, "全局" + std::to_string(i));
  }
  const auto types = readTableMembers(sample.tree, "自定义数据类型");
  ASSERT_TRUE(types.has_value());
  ASSERT_EQ(types->size(), 1u);
  EXPECT_EQ(types->front().text, "坐标");
  // An empty table is an empty list, not a failure.
  const auto dlls = readTableMembers(sample.tree, "Dll命令");
  ASSERT_TRUE(dlls.has_value());
  EXPECT_TRUE(dlls->empty());
  EXPECT_FALSE(readTableMembers(sample.tree, "没有这个表").has_value());
}

TEST(TableMembers, ATreeThatDisagreesWithItsCountOrLoopsGivesNothing) {
  SampleTree sample;
  sample.tree.countSkew = 1;  // changing under us: one item more than the walk finds
  EXPECT_FALSE(readTableMembers(sample.tree, "全局变量").has_value());
  sample.tree.countSkew = -1;
  EXPECT_FALSE(readTableMembers(sample.tree, "全局变量").has_value());
  sample.tree.countSkew = 0;
  // A sibling chain that comes back on itself stops the walk at one past the count.
  sample.tree.loopAt = sample.globalItems.back();
  sample.tree.loopTo = sample.globalItems.front();
  EXPECT_FALSE(readTableMembers(sample.tree, "全局变量").has_value());
  EXPECT_FALSE(walkTree(sample.tree, 1000).has_value());
}

TEST(TableMembers, TwoThousandGlobalsReadWithParentTextsReadOnce) {
  SampleTree sample(2000);
  const auto members = readTableMembers(sample.tree, "全局变量");
  ASSERT_TRUE(members.has_value());
  EXPECT_EQ(members->size(), 2000u);
  EXPECT_EQ(members->back().text, "全局1999");
  // Two messages per item walked; texts: the members' plus each parent once plus the candidates.
  EXPECT_LE(sample.tree.sends, 2 * 2008);  // 2,008 items in the sample
  EXPECT_LE(sample.tree.textReads, 2000 + 12);
}

TEST(TableMembers, AChoiceIsCheckedAgainstTheTableAsItIsNow) {
  SampleTree sample(3);
  EXPECT_TRUE(isTableMember(sample.tree, "全局变量", sample.globalItems[1]));
  sample.tree.remove(sample.globals, sample.globalItems[1]);
  EXPECT_FALSE(isTableMember(sample.tree, "全局变量", sample.globalItems[1]));
  EXPECT_TRUE(isTableMember(sample.tree, "全局变量", sample.globalItems[2]));
  // Items of another table, the category itself and none at all are no members.
  EXPECT_FALSE(isTableMember(sample.tree, "自定义数据类型", sample.globalItems[2]));
  EXPECT_FALSE(isTableMember(sample.tree, "全局变量", sample.globals));
  EXPECT_FALSE(isTableMember(sample.tree, "全局变量", 0));
  EXPECT_FALSE(isTableMember(sample.tree, "", sample.globalItems[2]));
}

TEST(ScrollMemory, OnlyChangesAreReportedAndStored) {
  ScrollMemory memory;
  // Zeros at the start: a host bar that reads zeros changes nothing.
  EXPECT_FALSE(memory.take(0, 0).range);
  auto change = memory.take(199, 40);
  EXPECT_TRUE(change.range);
  EXPECT_TRUE(change.position);
  change = memory.take(199, 40);
  EXPECT_FALSE(change.range || change.position);
  change = memory.take(199, 41);
  EXPECT_FALSE(change.range);
  EXPECT_TRUE(change.position);
  change = memory.take(99, 41);
  EXPECT_TRUE(change.range);
  EXPECT_FALSE(change.position);
  EXPECT_EQ(memory.lastMax, 99);
  EXPECT_EQ(memory.lastPos, 41);
}

TEST(ScrollParams, ThumbPositionInTheHighWord) {
  EXPECT_EQ(thumbPositionParam(0), 4u);
  EXPECT_EQ(thumbPositionParam(40), 4u | (40u << 16));
  EXPECT_EQ(thumbPositionParam(65535), 4u | 0xFFFF0000u);
  EXPECT_EQ(kLineBack, 0u);
  EXPECT_EQ(kLineForward, 1u);
}

TEST(CaretStatus, OneBasedTextsAndACappedRequest) {
  EXPECT_EQ(lineStatus(11), "行 12");
  EXPECT_EQ(columnStatus(4), "列 5");
  EXPECT_EQ(lengthStatus(0), "字符 0");
  EXPECT_EQ(lengthStatus(37), "字符 37");
  EXPECT_EQ(lineStatus(2147483647), "行 2147483648");  // no overflow on a wild row
  EXPECT_EQ(caretRequestLength(-5), 0);
  EXPECT_EQ(caretRequestLength(0), 0);
  EXPECT_EQ(caretRequestLength(12), 12);
  EXPECT_EQ(caretRequestLength(kCaretTextCap + 1), kCaretTextCap);
  EXPECT_EQ(caretRequestLength(2147483647), kCaretTextCap);
}

}  // namespace
}  // namespace tovalux::codeview
