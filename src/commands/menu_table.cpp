#include "commands/menu_table.h"

#include <array>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::commands {
namespace {

using K = CommandAct;

constexpr Command run(uint32_t number) { return {.act = K::kRunIdeFunction, .value = number}; }
constexpr Command runThenCaption(uint32_t number) {
  return {.act = K::kRunIdeFunction, .value = number, .refreshesCaption = true};
}
constexpr Command send(uint32_t id) { return {.act = K::kSendCommand, .value = id}; }
constexpr Command pane(int32_t index) { return {.act = K::kTogglePane, .argument = index}; }
constexpr Command act(CommandAct kind) { return {.act = kind}; }
constexpr MenuEntry separator() { return {kSeparator, {}, {}}; }

// --- 文件(F): recent files, a separator and 退出(X) follow at build time ---
constexpr MenuEntry kFile[] = {
    {"新建(N)|||", run(0x03010001), {}},
    {"打开(O)|Ctrl+O|OpenFileFromProject_16x.png", run(0x03010002), {}},
    {"关闭(C)|||", runThenCaption(0x03010003), {}},
    {"保存(S)|Ctrl+S|SaveStatusBar1_16x.png", run(0x03010004), {}},
    {"另存为(A)||SaveAs_16x.png", runThenCaption(0x03010005), {}},
    {"打印|Ctrl+P|Print_16x.png", act(K::kNothing), {}},
    separator(),
    {"配置(U)||Settings_16x.png", run(0x02020059), {}},
    {"重新关联名称(L)|||", run(0x04020032), {}},
    separator(),
};

constexpr MenuEntry kEdit[] = {
    {"撤销(U)|Ctrl+Z|Undo_16x.png", run(0x02020032), {}},
    {"重做(R)|Ctrl+Y|Redo_16x.png", run(0x02020033), {}},
    separator(),
    {"复制(C)|Ctrl+C|Copy_16x.png", run(0x02030001), {}},
    {"粘贴(T)|Ctrl+V|Paste_16x.png", run(0x02020005), {}},
    {"剪切(P)|Ctrl+X|Cut_16x.png", run(0x02020004), {}},
    {"删除行(D)|F10||", run(0x02020003), {}},
    separator(),
    {"开始寻找(F)|Ctrl+F|QuickFind_16x.png", run(0x04020011), {}},
    {"高亮标记单词(G)|Ctrl+Q/Alt+双击||", send(0x80EE), {}},
    {"寻找下一个(N)|F3|FindNext_16x.png", run(0x04020012), {}},
    {"寻找上一个(V)|Shift+F3|FindPrevious_16x.png", run(0x04020014), {}},
    {"寻找替换(H)|Ctrl+H|QuickReplace_16x.png", run(0x0402002B), {}},
    {"整体搜寻(E)||FindinFiles_16x.png", run(0x0402002C), {}},
    separator(),
    {"导入其它程序(Z)||ImportFile_16x.png", run(0x02020058), {}},
    {"置为只读状态(Y)|||", run(0x0402000F), {}},
};

constexpr MenuEntry kView[] = {
    {"自定义数据类型表(D)|||", run(0x04020008), {}},
    {"全局变量表(G)||GlobalVariable_16x.png", run(0x04020009), {}},
    separator(),
    {"DLL命令定义表(L)|||", run(0x0402000A), {}},
    {"常量数据表(C)||Constant_16x.png", run(0x0402000B), {}},
    {"图片资源表||ImageIcon_16x.png", run(0x0402000C), {}},
    {"声音资源表||Volume_16x.png", run(0x0402000D), {}},
    separator(),
    {"到最近修改处(J)|Backspace|LastHistoryCommand_16x.png", run(0x04020033), {}},
    {"设置或取消书签(B)|Ctrl+F6|bookmark_002_16xMD.png", run(0x04020034), {}},
    {"到上一个书签(P)|Shift+F6|PreviousBookmark_16x.png", run(0x04020036), {}},
    {"到下一个书签(N)|F6|NextBookmark_16x.png", run(0x04020037), {}},
    {"书签跳转(K)|Ctrl+F7||", run(0x04020035), {}},
    separator(),
    {"预览被设计窗口(V)|Ctrl+Enter|RunTestDialog_16x.png", run(0x0402000E), {}},
};

constexpr MenuEntry kInsert[] = {
    {"现行单元(N)|Ctrl+N|AddColumn_16x.png", act(K::kInsertByPageKind), {}},
    separator(),
    {"类模块(C)||AddClass_16x.png", run(0x0202006A), {}},
    {"程序集(M)||AddNamespace_16x.png", run(0x0202000D), {}},
    {"子程序(S)||AddMethod_16x.png", run(0x02020009), {}},
    {"窗口(F)||AddForm_16x.png", run(0x02020037), {}},
    {"数据类型(D)|||", run(0x0202000A), {}},
    {"全局变量(G)|Ctrl+G||", run(0x0202000B), {}},
    {"DLL命令(L)|||", run(0x0202000C), {}},
    {"常量(T)|||", run(0x02020010), {}},
    {"图片资源||AddImage_16x.png", run(0x02020011), {}},
    {"声音资源||AddAttachment_16x.png", run(0x02020012), {}},
    separator(),
    {"参数(A)|||", run(0x0202000E), {}},
    {"局部变量(O)|Ctrl+L|AddVariable_16x.png", run(0x0202000F), {}},
    separator(),
    {"文件名(I)|F2|AddFile_16x.png", run(0x02020075), {}},
};

constexpr MenuEntry kDatabase[] = {
    {"结构编辑器(S)||DatabaseSchema_16x.png", run(0x04020019), {}},
    {"记录编辑器(R)||DatabaseSource_16x.png", run(0x0402001A), {}},
    {"数据库语言转换(L)||DatabaseApplication_16x.png", run(0x04020027), {}},
    {"数据库格式转换(C)||DatabaseDetailView_16x.png", run(0x0402001C), {}},
};

constexpr MenuEntry kRunAs[] = {
    {"Windows-窗口程序|Ctrl+5||", run(0x05020009), {}},
    {"Windows-控制台程序|Ctrl+6||", run(0x0502000A), {}},
    {"Windows-动态链接库|Ctrl+7||", run(0x0502000B), {}},
    {"Windows-易语言模块|Ctrl+8||", run(0x0502000C), {}},
};

constexpr MenuEntry kDebug[] = {
    {"运行(S)|F5|Run_16x.png", run(0x05020002), {}},
    {"以指定类型运行(M)|||", act(K::kNothing), kRunAs},
    {"终止(E)|Ctrl+F5|Stop_16x.png", run(0x05020003), {}},
    separator(),
    {"查看变量表达式(V)|Shift+F9|Watch_16x.png", run(0x05010005), {}},
    {"单步跟踪(O)|F8|StepOver_16x.png", run(0x05010002), {}},
    {"单步跟踪进入(I)|Shift+F8|StepIn_16x.png", run(0x05010001), {}},
    {"跟踪返回(U)|Ctrl+Shift+F8|StepOut_16x.png", run(0x05010003), {}},
    {"执行到光标处(R)|Ctrl+F8|Next_16x.png", run(0x05010004), {}},
    separator(),
    {"设置或清除断点(T)|F9|BreakpointEnable_Grey_16x.png", run(0x05010006), {}},
    {"条件断点(A)|Ctrl+F8||", run(0x0501000A), {}},
    {"清除所有断点(C)|Ctrl+Shift+F9|ClearBreakpointGroup_16x.png", run(0x05010007), {}},
    separator(),
    {"到现行执行位置(G)|Ctrl+.|StepIntoArrow_16x.png", run(0x05010008), {}},
    {"到运行时错误相关位置(N)|||", send(0x80F0), {}},
};

constexpr MenuEntry kCompileAs[] = {
    {"Windows-窗口程序|Ctrl+1||", run(0x0502000D), {}},
    {"Windows-控制台程序|Ctrl+2||", run(0x0502000E), {}},
    {"Windows-动态链接库|Ctrl+3||", run(0x0502000F), {}},
    {"Windows-易语言模块|Ctrl+4||", run(0x05020010), {}},
};

constexpr MenuEntry kStaticCompileAs[] = {
    {"Windows-窗口程序|Ctrl+Shift+1||", run(0x05020011), {}},
    {"Windows-控制台程序|Ctrl+Shift+2||", run(0x05020012), {}},
    {"Windows-动态链接库|Ctrl+Shift+3||", run(0x05020013), {}},
};

constexpr MenuEntry kBuild[] = {
    {"编译(C)|F7|BuildSelection_16x.png", run(0x05020001), {}},
    {"静态编译(S)|Shift+F7|BuildSolution_16x.png", run(0x05020007), {}},
    {"独立编译(D)|||", run(0x05020006), {}},
    {"编译为易包(P)|Ctrl+F10|BuildDefinition_16x.png", run(0x05020008), {}},
    separator(),
    {"编译为指定类型(M)|||", act(K::kNothing), kCompileAs},
    {"静态编译为指定类型(T)|||", act(K::kNothing), kStaticCompileAs},
    {"编译生成安装软件(I)|Ctrl+Shift+F7|PackageDeployment_16x.png", run(0x05020005), {}},
    separator(),
    {"黑月静态编译|版本要求 V3.66||", act(K::kBlackMoonBuild), {}},
};

constexpr MenuEntry kTools[] = {
    {"菜单编辑器(M)|Ctrl+E|MenuItem_16x.png", run(0x02020055), {}},
    {"报表编辑器(R)|||", run(0x0402001D), {}},
    {"执行易向导(W)|||", run(0x0402002A), {}},
    {"矢量图形设计器(D)|||", run(0x04020038), {}},
    separator(),
    {"安装新的支持库(I)||Library_16x.png", run(0x04020020), {}},
    {"类型库或OCX组件->支持库(Y)||ComponentInstallStatus_16x.png", run(0x04020022), {}},
    {"支持库配置(L)||LibraryEnvironment_16x.png", run(0x0402001F), {}},
    {"系统设置(O)||Settings_16x.png", run(0x04020010), {}},
    separator(),
    {"黑月工具设置|||", send(0x2710), {}},
    {"黑月资源编辑器|||", send(0x2711), {}},
    {"黑月应用程序向导|||", send(0x2712), {}},
    separator(),
    {"数字签名或验证(C)|||", send(0x80F4), {}},
    {"在模块或支持库搜索(F)|Ctrl+Shift+F||", send(0x80F5), {}},
};

constexpr MenuEntry kExtension[] = {
    {kExtensionItem, act(K::kNothing), {}},
};

constexpr MenuEntry kWindows[] = {
    {"易支持库||Library_16x.png", pane(0), {}},
    {"项目结构||proE.png", pane(1), {}},
    {"组件属性||NavigationProperty_16x.png", pane(2), {}},
    {"常用模块||ToolboxEc_16x.png", pane(3), {}},
    separator(),
    {"系统组件||FormInstance_16x.png", pane(4), {}},
    separator(),
    {"帮助提示||StatusHelp_16x.png", pane(5), {}},
    {"调试输出||Output_16x.png", pane(6), {}},
    {"断点栈堆||BreakpointWindow_16x.png", pane(7), {}},
    {"变量监视||FileSystemWatcher_16x.png", pane(8), {}},
    {"搜索结果1||FindResults_16x.png", pane(9), {}},
    {"搜索结果2||FindResults_16x.png", pane(10), {}},
    separator(),
    {"重置窗口布局|||", act(K::kResetLayout), {}},
};

constexpr MenuEntry kHelp[] = {
    {"易语言知识库(E)|||", run(0x04020029), {}},
    {"易语言多媒体教程(T)|||", run(0x0402002F), {}},
    {"每日一贴(D)||Manifest_16x.png", run(0x04020028), {}},
    separator(),
    {"关于(A)|||", run(0x04020001), {}},
    separator(),
    {"用户反馈(U)||UserVoice_16x.png", run(0x0402002D), {}},
};

constexpr MenuEntry kSettings[] = {
    {"Tovalux-主题设置||Settings_16x.png", act(K::kSettingsDialog), {}},
};

constexpr MenuEntry kAbout[] = {
    {"查看帮助(V)||StatusHelp_16x.png", act(K::kHelpPage), {}},
    separator(),
    {"建议反馈(F)|||", act(K::kContactLink), {}},
    {"联系作者(C)||FeedbackSmile_16x.png", act(K::kContactLink), {}},
    {"关于 Tovalux(A)|||", act(K::kAboutBox), {}},
};

constexpr std::array<BarMenu, kMenuCount> kBar = {{
    {"文件(F)", kFile},
    {"编辑(E)", kEdit},
    {"查看(V)", kView},
    {"插入(I)", kInsert},
    {"数据库(B)", kDatabase},
    {"调试(R)", kDebug},
    {"生成(C)", kBuild},
    {"工具(T)", kTools},
    {"扩展(X)", kExtension},
    {"视图(W)", kWindows},
    {"帮助(H)", kHelp},
    {"设置(S)", kSettings},
    {"关于(A)", kAbout},
}};

MenuRow rowFor(int id, int parentId, std::string_view item, const Command& command) {
  MenuRow row;
  row.id = id;
  row.parentId = parentId;
  row.label = displayLabel(item);
  const MenuItemText fields = splitMenuItem(item);
  if (fields.pieces > 1) row.icon = fields.icon;
  row.command = command;
  return row;
}

MenuRow separatorRow(int parentId) {
  MenuRow row;
  row.parentId = parentId;
  row.flags = 8;
  return row;
}

}  // namespace

const BarMenu& barMenu(int m) { return kBar.at(static_cast<size_t>(m - 1)); }
std::span<const BarMenu> barMenus() { return kBar; }

MenuItemText splitMenuItem(std::string_view item) {
  std::vector<std::string_view> pieces = gbkSplit(item, '|');
  if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
  MenuItemText fields;
  fields.pieces = pieces.size();
  fields.text = std::string(pieces.front());
  if (pieces.size() >= 2) fields.shortcut = std::string(pieces[1]);
  // The icon is what follows the last bar.
  if (const size_t bar = gbkFindLast(item, '|'); bar != std::string_view::npos) fields.icon = item.substr(bar + 1);
  return fields;
}

std::string paddedLabel(std::string_view text, std::string_view shortcut) {
  const int spaces = kDisplayWidthBytes - static_cast<int>(text.size() + shortcut.size());
  std::string label(text);
  if (spaces >= 1) label.append(static_cast<size_t>(spaces), ' ');
  label.append(shortcut);
  return label;
}

std::string displayLabel(std::string_view item) {
  const MenuItemText fields = splitMenuItem(item);
  if (fields.pieces == 3) return paddedLabel(fields.text, fields.shortcut);
  return fields.text;
}

std::string recentEntryName(std::string_view path) {
  std::string name;
  for (char c : gbkFileName(path))
    if (c != ' ') name.push_back(c);  // 0x20 is never a GBK trail byte
  return name;
}

std::vector<MenuRow> layoutMenu(int m, std::span<const std::string> recentNames) {
  std::vector<MenuRow> rows;
  if (m < 1 || m > kMenuCount) return rows;
  if (m == kExtensionMenu) {
    // A plain label, not reformatted.
    MenuRow row;
    row.id = 900;
    row.label = std::string(kExtensionItem);
    rows.push_back(row);
    return rows;
  }
  int k = 0;
  for (const MenuEntry& entry : barMenu(m).items) {
    if (entry.item == kSeparator) {
      rows.push_back(separatorRow(0));
      continue;
    }
    const int id = m * 100 + k;
    MenuRow row = rowFor(id, 0, entry.item, entry.command);
    if (!entry.submenu.empty()) row.flags = 4;
    rows.push_back(row);
    int j = 0;
    for (const MenuEntry& child : entry.submenu) {
      if (child.item == kSeparator) {
        rows.push_back(separatorRow(id));
        continue;
      }
      rows.push_back(rowFor(id * 10 + j, id, child.item, child.command));
      ++j;
    }
    ++k;
  }
  if (m == kFileMenu) {
    // Recent entries are built field by field: a file name is never split again at its bars.
    int id = kFirstRecentFileId;
    for (size_t i = 0; i < recentNames.size(); ++i) {
      MenuRow row;
      row.id = id++;
      row.label = paddedLabel(recentNames[i], "");
      row.icon = std::string(kRecentFileIcon);
      row.command = {.act = CommandAct::kRecentFile};
      row.recentIndex = static_cast<int>(i);
      rows.push_back(row);
    }
    rows.push_back(separatorRow(0));
    MenuRow exit = rowFor(id, 0, kExitItem, {.act = CommandAct::kExit});
    rows.push_back(exit);
  }
  return rows;
}

namespace {

// The table entry of a fixed id (the ids layoutMenu gives), or null.
const MenuEntry* entryOf(int id) {
  for (int m = 1; m <= kMenuCount; ++m) {
    if (m == kExtensionMenu) continue;
    int k = 0;
    for (const MenuEntry& entry : barMenu(m).items) {
      if (entry.item == kSeparator) continue;
      const int itemId = m * 100 + k;
      if (itemId == id) return &entry;
      int j = 0;
      for (const MenuEntry& child : entry.submenu) {
        if (child.item == kSeparator) continue;
        if (itemId * 10 + j == id) return &child;
        ++j;
      }
      ++k;
    }
  }
  return nullptr;
}

}  // namespace

Command menuCommandFor(int id) {
  const MenuEntry* entry = entryOf(id);
  return entry != nullptr ? entry->command : Command{};
}

std::string_view menuItemString(int id) {
  if (id == 900) return kExtensionItem;
  const MenuEntry* entry = entryOf(id);
  return entry != nullptr ? entry->item : std::string_view();
}

uint32_t insertCommandForPageKind(int32_t pageKind) {
  switch (pageKind) {
    case 1: return 0x02020009;  // 子程序
    case 2: return 0x0202000A;  // 数据类型
    case 3: return 0x0202000B;  // 全局变量
    case 4: return 0x0202000C;  // DLL命令
    case 6: return 0x02020010;  // 常量
    case 7: return 0x02020011;  // 图片资源
    case 8: return 0x02020012;  // 声音资源
    default: return 0;
  }
}

int menuIndexOfId(int id) {
  if (id >= 1000 && id <= 1399) return id / 100 - 1;  // 视图, 帮助, 设置, 关于
  if (id >= 1000) return id / 1000 - 1;               // submenu items: 6010 -> 调试(R)
  return id / 100 - 1;
}

LabelParts splitLabelForDrawing(std::string_view label) {
  LabelParts parts;
  const size_t first = label.find(' ');  // a space is never a GBK trail byte
  if (first == std::string_view::npos) {
    parts.name = std::string(trim(label));
    return parts;
  }
  parts.name = std::string(trim(label.substr(0, first)));
  parts.shortcut = std::string(trim(label.substr(label.rfind(' ') + 1)));
  return parts;
}

}  // namespace tovalux::commands
