#include "host_model.h"

#include <algorithm>

namespace standin {

int pageKindForTitle(const std::string& title) {
  auto startsWith = [&](const char* prefix) { return title.rfind(prefix, 0) == 0; };
  if (startsWith("程序集: ") || startsWith("类模块: ")) return page_kind::kCode;
  if (startsWith("窗口: ")) return page_kind::kDesigner;
  static const struct {
    const char* title;
    int kind;
  } kTables[] = {
      {"自定义数据类型表", page_kind::kDataTypes}, {"全局变量表", page_kind::kGlobals},
      {"Dll命令定义表", page_kind::kDllCommands},  {"常量数据表", page_kind::kConstants},
      {"图片资源表", page_kind::kPictures},        {"声音资源表", page_kind::kSounds},
  };
  for (const auto& table : kTables)
    if (title == table.title) return table.kind;
  return page_kind::kNone;
}

std::string HostModel::caption() const {
  std::string caption = "易语言";
  if (projectPath.empty()) return caption;
  caption += captionTestVariant ? " - 测试 - " : " - ";
  caption += projectPath;
  if (runState == RunState::kRunning) caption += " - [正在运行]";
  if (runState == RunState::kPaused) caption += " - [运行暂停]";
  return caption;
}

PageRecord* HostModel::page(HWND window) {
  for (PageRecord& record : pages)
    if (record.window == window) return &record;
  return nullptr;
}

PageRecord* HostModel::pageByTitle(const std::string& title) {
  for (PageRecord& record : pages)
    if (record.title == title) return &record;
  return nullptr;
}

const PageRecord* HostModel::activePageRecord() const {
  for (const PageRecord& record : pages)
    if (record.window == activePage) return &record;
  return nullptr;
}

int HostModel::activePageKind() const {
  const PageRecord* active = activePageRecord();
  return active ? active->kind : page_kind::kNone;
}

void HostModel::forgetPage(HWND window) {
  pages.erase(std::remove_if(pages.begin(), pages.end(), [&](const PageRecord& r) { return r.window == window; }),
              pages.end());
  if (activePage == window) activePage = nullptr;
}

}  // namespace standin
