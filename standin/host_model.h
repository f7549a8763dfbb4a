// The host's data, apart from the windows that show it: the project, the code pages, the run
// state. Actions change the model first and then make the windows (and the messages a real
// host sends) follow; IDE queries answer from it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

enum class RunState { kIdle, kRunning, kPaused };

// Page kinds the host answers for IDE query 0x05030002.
namespace page_kind {
constexpr int kNone = 0;  // no page, or the start page
constexpr int kCode = 1;  // program set or class module
constexpr int kDataTypes = 2;
constexpr int kGlobals = 3;
constexpr int kDllCommands = 4;
constexpr int kDesigner = 5;
constexpr int kConstants = 6;
constexpr int kPictures = 7;
constexpr int kSounds = 8;
}  // namespace page_kind

// The kind the host gives a page with this title: "程序集: ..." and "类模块: ..." 1, "窗口: ..." 5,
// the fixed table pages 2, 3, 4, 6, 7, 8; anything else (the start page) 0.
int pageKindForTitle(const std::string& title);

struct PageRecord {
  HWND window = nullptr;  // the MDI child "AfxMDIFrame42s"
  std::string title;
  int kind = page_kind::kNone;
  HWND mainView = nullptr;    // 0xE900 under the page
  HWND codeView = nullptr;    // inner 0xE900 (code pages)
  HWND editor = nullptr;      // 1 under the code view, or the designer surface
  LONG_PTR ownProcedure = 0;  // the page's GWL_WNDPROC as the host made it
  int caretRow = 0;           // 0-based
  int caretColumn = 0;
};

struct HostModel {
  std::string projectPath;          // empty: no project loaded
  bool captionTestVariant = false;  // "易语言 - 测试 - path" (the third-piece rule)
  RunState runState = RunState::kIdle;
  std::vector<PageRecord> pages;  // in creation order
  HWND activePage = nullptr;

  // The main-window caption for this state: "易语言", "易语言 - path", plus " - [正在运行]" or
  // " - [运行暂停]".
  std::string caption() const;

  PageRecord* page(HWND window);
  PageRecord* pageByTitle(const std::string& title);
  const PageRecord* activePageRecord() const;
  int activePageKind() const;
  void forgetPage(HWND window);
};

}  // namespace standin
