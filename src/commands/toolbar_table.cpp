#include "commands/toolbar_table.h"

#include <array>

#include "base/gbk_scan.h"

namespace tovalux::commands {
namespace {

constexpr ToolButton kFirstGroup[] = {
    {"跳回前跳转处", "Backward_16x.png"},        // 0
    {"跳到调用命令处", "Forward_16x.png"},       // 1
    {"|", "|"},                                  // 2
    {"新建", "NewFileCollection_16x.png"},       // 3
    {"打开(Ctrl+O)", "OpenFolder_16x.png"},      // 4
    {"保存(Ctrl+S)", "SaveStatusBar1_16x.png"},  // 5
    {"|", "|"},                                  // 6
    {"剪切(Ctrl+X)", "Cut_16x.png"},             // 7
    {"复制(Ctrl+C)", "Copy_16x.png"},            // 8
    {"粘贴(Ctrl+V)", "Paste_16x.png"},           // 9
    {"撤销(Ctrl+Z)", "Undo_16x.png"},            // 10
    {"重做", "Redo_16x.png"},                    // 11
    {"|", "|"},                                  // 12
};

constexpr ToolButton kSecondGroup[] = {
    {"|", "|"},                                           // 14
    {"编译(F7)", "BuildSelection_16x.png"},               // 15
    {"静态编译(Shift+F7)", "BuildSolution_16x.png"},      // 16
    {"黑月静态编译", "BuildSolutionStatusBar6_16x.png"},  // 17
    {"|", "|"},                                           // 18
    {"整体搜寻", "SearchInFile_16x.png"},                 // 19
    {"|", "|"},                                           // 20
    {"运行(F5)", "Run_16x.png"},                          // 21
    {"停止运行(Ctrl+F5)", "Stop_16x.png"},                // 22
    {"设置断点(F9)", "ToggleAllBreakpoints_16x.png"},     // 23
    {"删除全部断点", "ClearBreakpointGroup_16x.png"},     // 24
    {"查看(Shift+F9)", "FileSystemWatcher_16x.png"},      // 25
    {"重新运行", "Restart_16x.png"},                      // 26
    {"执行到光标处(Ctrl+F8)", "Next_16x.png"},            // 27
    {"单步(F8)", "StepOver_16x.png"},                     // 28
    {"单步进入(Shift+F8)", "StepIn_16x.png"},             // 29
    {"跟踪返回(Ctrl+Shift+F8)", "StepOut_16x.png"},       // 30
    {"|", "|"},                                           // 31
    {"查看帮助提示(F1)", "ToolTip_16x.png"},              // 32
    {"|", "|"},                                           // 33
    {"设置书签(Ctrl+F6)", "Bookmark_16x.png"},            // 34
    {"到上一个书签", "PreviousBookmark_16x.png"},         // 35
    {"到下一个书签", "NextBookmark_16x.png"},             // 36
    {"跳转书签", "NextBookmarkFolder_16x.png"},           // 37
    {"|", "|"},                                           // 38
    {"程序配置", "Settings_16x.png"},                     // 39
    {"系统设置", "Builder_16x.png"},                      // 40
};

constexpr ToolButton kDesigner[] = {
    {"预览窗口设计", "RunTestDialog_16x.png"},               // 0
    {"|", "|"},                                              // 1
    {"左对齐", "AlignLeft_16x.png"},                         // 2
    {"右对齐", "AlignRight_16x.png"},                        // 3
    {"顶对齐", "AlignTop_16x.png"},                          // 4
    {"底对齐", "AlignBottom_16x.png"},                       // 5
    {"|", "|"},                                              // 6
    {"窗口水平居中", "TextCenterInFormHorizontal_16x.png"},  // 7
    {"窗口垂直居中", "CenterInFormVertical_16x.png"},        // 8
    {"|", "|"},                                              // 9
    {"组件水平居中", "DistributeHorizontalCenter_16x.png"},  // 10
    {"组件垂直居中", "DistributeVerticalCenter_16x.png"},    // 11
    {"水平平均分布", "SpaceAcross_16x.png"},                 // 12
    {"垂直平均分布", "SpaceDown_16x.png"},                   // 13
    {"|", "|"},                                              // 14
    {"使宽度相同", "AutosizeFixedWidth_16x.png"},            // 15
    {"使高度相同", "TextLineHeight_16x.png"},                // 16
    {"使高宽全等", "AutosizeOptimize_16x.png"},              // 17
};

using K = CommandAct;

constexpr Command run(uint32_t number) { return {.act = K::kRunIdeFunction, .value = number}; }
// 编译, 静态编译: the output emptied and brought forward first.
constexpr Command build(uint32_t number) {
  return {.act = K::kRunIdeFunction, .value = number, .clearsOutput = true, .showsOutput = true};
}
// 运行: the output emptied first.
constexpr Command runClearing(uint32_t number) {
  return {.act = K::kRunIdeFunction, .value = number, .clearsOutput = true};
}
constexpr Command act(CommandAct kind) { return {.act = kind}; }

struct NamedCommand {
  std::string_view name;
  Command command;
};

constexpr NamedCommand kCommands[] = {
    {"跳到调用命令处", run(0x0101002F)},
    {"跳回前跳转处", run(0x01010043)},
    {"新建", run(0x03010001)},
    {"打开", run(0x03010002)},
    {"保存", run(0x03010004)},
    {"剪切", run(0x02020004)},
    {"复制", run(0x02030001)},
    {"粘贴", run(0x02020005)},
    {"撤销", run(0x02020032)},
    {"重做", run(0x02020033)},
    {"编译", build(0x05020001)},
    {"静态编译", build(0x05020007)},
    {"整体搜寻", run(0x0402002C)},
    {"运行", runClearing(0x05020002)},
    {"停止运行", run(0x05020003)},
    {"设置断点", run(0x05010006)},
    {"删除全部断点", run(0x05010007)},
    {"查看", run(0x05010005)},
    {"重新运行", act(K::kRestart)},
    {"执行到光标处", run(0x05010004)},
    {"单步", run(0x05010002)},
    {"单步进入", run(0x05010001)},
    {"跟踪返回", run(0x05010003)},
    {"查看帮助提示", act(K::kHelpTip)},
    {"设置书签", run(0x04020034)},
    {"到上一个书签", run(0x04020036)},
    {"到下一个书签", run(0x04020037)},
    {"跳转书签", run(0x04020035)},
    {"程序配置", run(0x02020059)},
    {"系统设置", run(0x04020010)},
    {"左对齐", run(0x0202005D)},
    {"右对齐", run(0x0202005F)},
    {"顶对齐", run(0x0202005E)},
    {"底对齐", run(0x02020060)},
    {"窗口水平居中", run(0x0202004F)},
    {"窗口垂直居中", run(0x02020050)},
    {"组件水平居中", run(0x02020061)},
    // Runs the vertical spacing command; 0x02020062, named by the host, has no known effect.
    {"组件垂直居中", run(0x02020064)},
    {"水平平均分布", run(0x02020063)},
    {"垂直平均分布", run(0x02020064)},
    {"使宽度相同", run(0x02020065)},
    {"使高度相同", run(0x02020066)},
    {"使高宽全等", run(0x02020067)},
    {"预览窗口设计", run(0x0402000E)},
    {"黑月静态编译", act(K::kBlackMoonBuild)},
};

constexpr auto kCommandNames = [] {
  std::array<std::string_view, std::size(kCommands)> names{};
  for (size_t i = 0; i < names.size(); ++i) names[i] = kCommands[i].name;
  return names;
}();

}  // namespace

std::span<const ToolButton> mainToolBarFirstGroup() { return kFirstGroup; }
std::span<const ToolButton> mainToolBarSecondGroup() { return kSecondGroup; }
std::span<const ToolButton> designerToolBar() { return kDesigner; }

std::string_view toolButtonName(std::string_view tooltip) {
  const size_t paren = gbkFind(tooltip, '(');
  if (paren == std::string_view::npos || paren == 0) return tooltip;
  return tooltip.substr(0, paren);
}

Command toolCommandFor(std::string_view name) {
  for (const NamedCommand& entry : kCommands)
    if (entry.name == name) return entry.command;
  return {};
}

std::span<const std::string_view> toolCommandNames() { return kCommandNames; }

}  // namespace tovalux::commands
