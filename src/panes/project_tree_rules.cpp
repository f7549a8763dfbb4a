#include "panes/project_tree_rules.h"

#include <charconv>

#include "base/gbk_scan.h"

namespace tovalux::project {

bool isHiddenBranch(std::string_view hostText) { return hostText == kExternalFilesText; }

std::string_view topLevelLabel(std::string_view hostText) {
  return hostText == kProgramDataText ? kRootLabel : hostText;
}

ItemLabel childLabel(std::string_view hostText) {
  if (hostText == "常量表...") return {"常量表", true};
  if (hostText == "图片或图片组...") return {"图片或图片组", false};
  if (hostText == "声音...") return {"声音或音频", false};
  return {hostText, false};
}

std::string_view programIcon(int image, std::string_view text, std::string_view parentLabel) {
  std::string_view icon;
  // A later rule replaces an earlier one, so the direct children of the root keep the folder
  // look only when no kind rule below names them.
  if (parentLabel == kRootLabel) icon = image == 16 ? "Folder_new_16x.png" : "FilterFolder_new_16x.png";
  if (image == 12) icon = "ImportPackage_16x.png";
  if (image == 9) icon = "Constant_16x.png";
  if (image == 3) icon = "Namespace_16x.png";
  if (image == 4) icon = "Interface_16x.png";
  if (image == 6) icon = "WindowsForm2_16x.png";
  if (image == 0) icon = text == "自定义数据类型" ? "Structure_16x.png" : "Class2_16x.png";
  if (image == 14) icon = "LinkedFolder_new_16x.png";
  if (image == 2) icon = "Method_left_16x.png";
  if (image == 1) icon = "LocalVariable_16x.png";
  if (image == 1 && parentLabel == "全局变量") icon = "ProjectSystemSqlCommandVariables_16x.png";
  if (image == 0 && parentLabel == "自定义数据类型") icon = "Structure_left_16x.png";
  if (image == 4 && parentLabel == "Dll命令") icon = "Interface_16x.png";
  if (image == 6 && parentLabel == "窗口") icon = "Dialog.png";
  if (image == 10) icon = "Volume_16x.png";
  if (image == 11) icon = "ImageScale_16x.png";
  if (image == 13) icon = "ec.png";
  if (image == 16) icon = "Folder_new_16x.png";
  return icon;
}

std::string_view libraryIcon(int image) {
  switch (image) {
    case 0: return "VBLibrary_16x.png";
    case 1: return "MethodSnippet_16x.png";
    case 2: return "Method_left_16x.png";
    case 3: return "WindowsForm_16x.png";
    case 4: return "Event_left_16x.png";
    case 5: return "Structure_16x.png";
    case 6: return "Enumerator_16x.png";
    case 7: return "Enumerator_left_16x.png";
    case 8: return "Field_left_16x.png";
    case 9: return "Constant_left_16x.png";
    case 10: return "PickBranch_16x.png";
    case 11: return "LocalVariable_16x.png";
    case 12:
    case 17:
    case 25:
    case 26: return "MatchTag_16x.png";
    case 14: return "ReparentBranch_16x.png";
    case 23: return "DivideMember_16x.png";
    case 24: return "LaunchInstrumentationTargetBinary_16x.png";
    case 28: return "ReturnValue_16x.png";
    case 30: return "Database_16x.png";
    default: return {};
  }
}

HostHandle parseHandle(std::string_view text) {
  if (text.empty() || text.size() > 10) return 0;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFull) return 0;
  return static_cast<HostHandle>(value);
}

std::string handleText(HostHandle handle) { return std::to_string(handle); }

namespace {

constexpr std::string_view kGoToIcon = "GoToSourceCode_16x.png";
constexpr std::string_view kTidyIcon = "ListFolder_16x.png";

MenuRow item(int id, std::string_view text, std::string_view icon) { return {id, text, icon, false, false}; }
MenuRow disabledItem(int id, std::string_view text, std::string_view icon) { return {id, text, icon, true, false}; }
MenuRow leafOnly(int id, std::string_view text, std::string_view icon) { return {id, text, icon, false, true}; }
MenuRow separator() { return {}; }

// The rows of the kinds whose menus go "jump; insert; delete; tidy".
std::vector<MenuRow> elementMenu(int base, std::string_view insertText, std::string_view insertIcon,
                                 MenuRow deleteRow) {
  return {item(base, "跳转", kGoToIcon),
          separator(),
          item(base + 1, insertText, insertIcon),
          deleteRow,
          separator(),
          item(base + 3, "整理文件夹", kTidyIcon)};
}

}  // namespace

std::vector<MenuRow> contextMenu(int image, std::string_view hostText, std::string_view parentLabel) {
  switch (image) {
    case 8:
      return {item(1000, "新类模块", "AddClass_16x.png"),
              item(1001, "新程序集", "AddNamespace_16x.png"),
              item(1002, "新窗口", "AddForm_16x.png"),
              item(1003, "新数据类型", "AddModule_16x.png"),
              item(1004, "新全局变量", "AddVariable_16x.png"),
              item(1005, "新Dll命令", "AddInterface_16x.png"),
              separator(),
              item(1006, "创建文件夹", "NewSolutionFolder_16x.png"),
              item(1007, "整理文件夹", kTidyIcon)};
    case 16:
      return {item(2000, "创建文件夹", "NewSolutionFolder_16x.png"), item(2001, "删除文件夹", "FolderOffline_16x.png"),
              item(2002, "文件夹重命名", "FolderTopPanel_16x.png"), item(2003, "整理文件夹", kTidyIcon)};
    case 3:
      return elementMenu(3000, "插入新程序集", "AddNamespace_16x.png",
                         item(3002, "删除程序集", "RemoveNamespace_16x.png"));
    case 1:
      return elementMenu(4000, "插入全局变量", "AddVariable_16x.png",
                         leafOnly(4002, "删除全局变量", "DeleteVariables_16x.png"));
    case 4:
      return elementMenu(5000, "插入新Dll命令", "AddInterface_16x.png",
                         leafOnly(5002, "删除Dll命令", "InterfaceSealed_16x.png"));
    case 6: return elementMenu(6000, "插入新窗口", "AddForm_16x.png", leafOnly(6002, "删除窗口", "DeleteDig_16x.png"));
    case 0:
      if (hostText == "自定义数据类型" || parentLabel == "自定义数据类型")
        return elementMenu(7000, "插入新数据类型", "AddModule_16x.png",
                           leafOnly(7002, "删除数据类型", "DeletedModule_16x.png"));
      return elementMenu(8000, "插入新类模块", "AddClass_16x.png", item(8002, "删除类模块", "DeleteClass_16x.png"));
    case 14:
      return {disabledItem(9000, "查看模块信息", "Watch_16x.png"),
              separator(),
              item(9001, "添加模块引用", "addEc_16x.png"),
              disabledItem(9002, "删除模块引用", "DeleteEc_16x.png"),
              item(9003, "刷新所有模块引用信息", "Synchronize_16x.png"),
              disabledItem(9004, "继续公开", {}),
              separator(),
              item(9005, "整理文件夹", kTidyIcon)};
    case 13:
      return {item(10000, "查看模块信息", "Watch_16x.png"),
              separator(),
              item(10001, "添加模块引用", "addEc_16x.png"),
              item(10002, "删除模块引用", "DeleteEc_16x.png"),
              item(10003, "更新模块引用信息", "Synchronize_16x.png"),
              disabledItem(10004, "继续公开", {}),
              separator(),
              item(10005, "整理文件夹", kTidyIcon)};
    default: return {};
  }
}

int menuFlags(const MenuRow& row, bool hasChildren) {
  if (row.id < 0) return kMenuSeparatorFlag;
  return row.disabled || (row.disabledWithChildren && hasChildren) ? kMenuDisabledFlag : 0;
}

HostAction menuAction(int id) {
  const auto ideFunction = [](uint32_t number) { return HostAction{HostAction::kIdeFunction, number, 0}; };
  const auto hostCommand = [](uint32_t number) { return HostAction{HostAction::kCommand, number, 0}; };
  switch (id) {
    case 1000:
    case 8001: return ideFunction(ide::kNewClass);
    case 1001:
    case 3001: return ideFunction(ide::kNewAssembly);
    case 1002:
    case 6001: return ideFunction(ide::kNewWindow);
    case 1003:
    case 7001: return ideFunction(ide::kNewDataType);
    case 1004:
    case 4001: return ideFunction(ide::kNewGlobal);
    case 1005:
    case 5001: return ideFunction(ide::kNewDllCommand);
    case 1006:
    case 2000: return hostCommand(command::kNewFolder);
    case 2001: return hostCommand(command::kDeleteFolder);
    case 2002: return hostCommand(command::kRenameFolder);
    case 1007:
    case 2003:
    case 3003:
    case 4003:
    case 5003:
    case 6003:
    case 7003:
    case 8003:
    case 9005:
    case 10005: return hostCommand(command::kTidyFolders);
    case 3000:
    case 4000:
    case 5000:
    case 6000:
    case 7000:
    case 8000:
    case 10000: return hostCommand(command::kGoTo);
    case 3002:
    case 4002:
    case 5002:
    case 6002:
    case 7002:
    case 8002:
    case 10002: return hostCommand(command::kDelete);
    case 9003:
    case 10003: return hostCommand(command::kRefreshModules);
    case 9001:
    case 10001: return {HostAction::kAddModuleReference, 0, 0};
    default: return {};
  }
}

const std::vector<ToolButton>& projectToolButtons() {
  static const std::vector<ToolButton> buttons = {
      {"全部收缩", "CollapseAll_inverse_16x.png", {HostAction::kCollapseAll}},
      {"|", {}, {}},
      {"新建文件夹", "NewSolutionFolder_16x.png", {HostAction::kNewFolder}},
      {"整理文件夹", "ListFolder_16x.png", {HostAction::kTidyFolders}},
      {"|", {}, {}},
      {"添加模块引用", "AddReference_16x.png", {HostAction::kAddModuleReference}},
      {"|", {}, {}},
      {"新窗口", "AddForm_16x.png", {HostAction::kIdeFunction, ide::kNewWindow}},
      {"新类模块", "AddClass_16x.png", {HostAction::kIdeFunction, ide::kNewClass}},
      {"新程序集", "AddNamespace_16x.png", {HostAction::kIdeFunction, ide::kNewAssembly}},
      {"新数据类型", "AddModule_16x.png", {HostAction::kIdeFunction, ide::kNewDataType}},
      {"新全局变量", "AddVariable_16x.png", {HostAction::kIdeFunction, ide::kNewGlobal}},
      {"新DLL命令", "AddInterface_16x.png", {HostAction::kIdeFunction, ide::kNewDllCommand}},
      {"|", {}, {}},
      {"新长文本常量",
       "NewConsole_inverse_16x.png",
       {HostAction::kIdeFunction, ide::kLongTextFirst, ide::kLongTextSecond}},
      {"新图片资源", "AddImage_16x.png", {HostAction::kIdeFunction, ide::kNewPicture}},
  };
  return buttons;
}

HostAction toolButtonAction(std::string_view tooltip) {
  if (tooltip == "|") return {};
  for (const ToolButton& button : projectToolButtons())
    if (button.text == tooltip) return button.action;
  return {};
}

void HostItemMap::add(HostHandle host, int paneId) {
  removeHost(host);
  removePane(paneId);
  if (reverse_.put(paneId, host) == nullptr) return;
  forward_.put(host, paneId);
}

int HostItemMap::paneOf(HostHandle host) const {
  const int* pane = forward_.find(host);
  return pane == nullptr ? -1 : *pane;
}

HostHandle HostItemMap::hostOf(int paneId) const {
  const HostHandle* host = reverse_.find(paneId);
  return host == nullptr ? 0 : *host;
}

void HostItemMap::removeHost(HostHandle host) {
  const int* pane = forward_.find(host);
  if (pane == nullptr) return;
  reverse_.erase(*pane);
  forward_.erase(host);
}

void HostItemMap::removePane(int paneId) {
  const HostHandle* host = reverse_.find(paneId);
  if (host == nullptr) return;
  forward_.erase(*host);
  reverse_.erase(paneId);
}

void HostItemMap::clear() {
  forward_.clear();
  reverse_.clear();
}

namespace {

unsigned char foldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// Compares `query` with `label` from `at` character by character.
bool matchesAt(std::string_view label, size_t at, std::string_view query) {
  size_t q = 0;
  while (q < query.size()) {
    if (at >= label.size()) return false;
    const size_t labelChar = gbkCharLength(label, at);
    const size_t queryChar = gbkCharLength(query, q);
    if (labelChar != queryChar) return false;
    if (queryChar == 1) {
      if (foldAscii(static_cast<unsigned char>(label[at])) != foldAscii(static_cast<unsigned char>(query[q])))
        return false;
    } else if (label.compare(at, 2, query, q, 2) != 0) {
      return false;
    }
    at += labelChar;
    q += queryChar;
  }
  return true;
}

}  // namespace

bool labelMatches(std::string_view label, std::string_view query) {
  if (query.empty()) return true;
  if (label.size() < query.size()) return false;
  // A search runs this over every item: the query's first character is compared first.
  const size_t firstLength = gbkCharLength(query, 0);
  const unsigned char first = foldAscii(static_cast<unsigned char>(query[0]));
  for (size_t at = 0; at < label.size();) {
    const size_t length = gbkCharLength(label, at);
    if (length == firstLength && foldAscii(static_cast<unsigned char>(label[at])) == first &&
        matchesAt(label, at, query))
      return true;
    at += length;
  }
  return false;
}

std::string_view trimQuery(std::string_view query) {
  const size_t first = query.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = query.find_last_not_of(" \t");
  return query.substr(first, last - first + 1);
}

}  // namespace tovalux::project
