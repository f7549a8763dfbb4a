// The code view companions' pure rules: tab captions from page titles, the navigation bar's
// icons per page, the table member lists read from the host's program tree, the scroll-bar
// mirror's memory and the caret status texts. No Win32 here: the glue (code_tabs.cpp,
// navigation_bar.cpp, code_scroll.cpp) feeds these with what it reads from the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::codeview {

// --- code-page tabs ---------------------------------------------------------------------------

// Window-designer pages are titled "窗口: " + the window's name.
inline constexpr std::string_view kDesignerTitleMark = "窗口: ";
inline constexpr std::string_view kDesignerCaptionSuffix = " - Dialog";
inline constexpr std::string_view kStartPageCaption = "起始页";
inline constexpr std::string_view kStartPageTip = "根据易语言官方起始页说明，本插件不提供关闭起始页的功能";
inline constexpr std::string_view kStartPageCloseIcon = "FeedbackSmile_16x.png";
inline constexpr int kStartPageCloseSize = 20;

bool isDesignerTitle(std::string_view title);
// The part of the title after its last ':' (the blank after it kept), or the whole title; a
// designer page's caption ends with " - Dialog".
std::string tabCaption(std::string_view title);

// --- the navigation bar -----------------------------------------------------------------------

struct NavigationLook {
  std::string_view unitIcon;
  std::string_view memberIcon;
  bool tablePage = false;  // the member list comes from the program tree, not the host's combo
};
// The icons for a page, by the first rule its title meets.
NavigationLook navigationLookFor(std::string_view title);

// Page kinds (IDE query 0x05030002) whose member list the shell builds from the program tree:
// 2 custom data types, 3 global variables, 4 DLL commands. Their tree categories; empty for any
// other kind.
bool isTableKind(int32_t pageKind);
std::string_view tableCategoryFor(int32_t pageKind);
// The program tree's item that the table categories hang under.
inline constexpr std::string_view kProgramDataItem = "程序数据";

// How the fill of a table member list is cut into slices: one slice adds items until this much
// time went by (checked every kFillCheckEvery items), then the host's messages get their turn.
inline constexpr double kFillSliceMs = 8.0;
inline constexpr size_t kFillCheckEvery = 16;
// The pop-up of the member list is at least this high.
inline constexpr int kMemberPopupMinHeight = 120;

// --- reading the host's program tree ------------------------------------------------------------

// A host tree item (an HTREEITEM of the 32-bit host); 0 is none.
using TreeItem = uint32_t;

// One tree as the glue reads it, one message per call. Implementations send to the host's tree
// on the calling thread and never pump, so the tree cannot change between two calls of one walk.
class TreeReader {
 public:
  virtual ~TreeReader() = default;
  virtual TreeItem firstRoot() = 0;
  virtual TreeItem firstChild(TreeItem item) = 0;
  virtual TreeItem nextSibling(TreeItem item) = 0;
  virtual std::string text(TreeItem item) = 0;
  virtual int32_t count() = 0;
};

struct TreeNode {
  TreeItem item = 0;
  TreeItem parent = 0;  // 0: a root item
};
// Every item in pre-order. Stops (nullopt) past `limit` items, so a host tree that answers in a
// circle cannot hold us.
std::optional<std::vector<TreeNode>> walkTree(TreeReader& tree, size_t limit);

struct TableMember {
  TreeItem item = 0;
  std::string text;
};
// The entries of a table category ("全局变量"...): the children, in order, of the first item
// whose parent's text is "程序数据" and whose own text is `category`. nullopt when the walk does
// not meet the tree's own count (the tree is changing) or the category is not there.
std::optional<std::vector<TableMember>> readTableMembers(TreeReader& tree, std::string_view category);
// True when `item` is still a child of that category item (found afresh): a member chosen from a
// list filled earlier is only handed to the host after this.
bool isTableMember(TreeReader& tree, std::string_view category, TreeItem item);

// --- scroll bars and caret status ---------------------------------------------------------------

// What the shell's scroll bar last took from the host's: the range's maximum and the position.
struct ScrollMemory {
  int32_t lastMax = 0;
  int32_t lastPos = 0;
  struct Change {
    bool range = false;
    bool position = false;
  };
  // Stores what differs and says which of the two changed.
  Change take(int32_t max, int32_t pos);
};

// WM_VSCROLL / WM_HSCROLL wParam for a thumb moved to `position` (SB_THUMBPOSITION, the position
// in the high word), and for the line buttons.
uint32_t thumbPositionParam(int32_t position);
inline constexpr uint32_t kLineBack = 0;     // SB_LINEUP / SB_LINELEFT
inline constexpr uint32_t kLineForward = 1;  // SB_LINEDOWN / SB_LINERIGHT

// The status fields: "行 " + (row + 1), "列 " + (column + 1), "字符 " + byte length.
std::string lineStatus(int32_t row);
std::string columnStatus(int32_t column);
std::string lengthStatus(size_t bytes);

// The caret text the host reports (record field 3 of 0x0503000A) as the length we ask for: no
// buffer for 0 or a negative length, and never more than kCaretTextCap bytes.
inline constexpr int32_t kCaretTextCap = 1 << 20;
int32_t caretRequestLength(int32_t reported);
// How long after a click or key the caret status is read.
inline constexpr uint32_t kCaretDelayMs = 150;

}  // namespace tovalux::codeview
