// The rules of the hooked host functions, free of Win32: colour substitutions, the code-page
// client rectangle, the task-comment and tip colours of TextOutA, which creation rule a new
// window falls under, the disassembly block's length check and the log lines of the host main
// window. The Win32 replacements (host_hooks.cpp) only gather their inputs and apply these.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux::hostrules {

// --- the hooks and when they are installed ------------------------------------------------

enum class HookWhen : uint8_t { kAlways, kCodeTip, kGridFont };

struct HookEntry {
  const char* function;
  const char* module;
  int byteCount;  // entry bytes to move (the engine raises it to an instruction boundary)
  HookWhen when;
  bool removedAtShutdown;  // the others stay installed and pass through once the shell is closed
};

// In installation order; the index is the hook's number minus one.
inline constexpr std::array<HookEntry, 12> kHostHooks = {{
    {"GetClientRect", "user32.dll", 7, HookWhen::kAlways, true},
    {"SendMessageA", "user32.dll", 5, HookWhen::kAlways, true},
    {"LoadBitmapA", "user32.dll", 5, HookWhen::kAlways, true},
    {"SetBkColor", "gdi32.dll", 5, HookWhen::kAlways, true},
    {"CreateWindowExA", "user32.dll", 5, HookWhen::kAlways, true},
    {"CreateProcessA", "kernel32.dll", 5, HookWhen::kAlways, false},
    {"WaitForDebugEvent", "kernel32.dll", 5, HookWhen::kAlways, false},
    {"DebugActiveProcessStop", "kernel32.dll", 5, HookWhen::kAlways, false},
    {"TextOutA", "gdi32.dll", 5, HookWhen::kCodeTip, true},
    {"SetTextColor", "gdi32.dll", 5, HookWhen::kCodeTip, true},
    {"GetSysColor", "user32.dll", 5, HookWhen::kCodeTip, true},
    {"SelectObject", "gdi32.dll", 5, HookWhen::kGridFont, false},
}};

// Whether `hook` belongs to this start, given the two settings read at installation.
bool hookWanted(const HookEntry& hook, bool codeTip, int32_t gridFontSetting);

// --- colours (COLORREF 0x00BBGGRR) ----------------------------------------------------------

inline constexpr uint32_t kHostCodeBackground = 0xFFF1EB;  // RGB 235, 241, 255
inline constexpr uint32_t kHostTipBackground = 0xE1FFFF;   // RGB 255, 255, 225
inline constexpr uint32_t kDarkBackground = 0x262525;      // RGB 37, 37, 38
inline constexpr uint32_t kDarkTipBackground = 0x454242;   // RGB 66, 66, 69
inline constexpr uint32_t kDarkWindowFrame = 0x302D2D;     // RGB 45, 45, 48
inline constexpr uint32_t kTaskCommentBackground = 0x65472D;
inline constexpr uint32_t kTaskCommentText = 0xC563BD;

// SetBkColor: the host's code background and tip background become the dark ones. (Inline:
// these run on every call of the hooked function.)
constexpr uint32_t substituteBkColor(uint32_t color) {
  if (color == kHostCodeBackground) color = kDarkBackground;
  if (color == kHostTipBackground) color = kDarkTipBackground;
  return color;
}
// SetTextColor: pure blue (RGB 0, 0, 255) becomes teal (78, 201, 176), mid grey a shade darker.
constexpr uint32_t substituteTextColor(uint32_t color) {
  if (color == 0xFF0000) return 0xB0C94E;
  if (color == 0x808080) return 0x7F7F7F;
  return color;
}
// GetSysColor: COLOR_INFOBK (24) and COLOR_WINDOWFRAME (6) are answered by us; nullopt passes.
constexpr std::optional<uint32_t> substituteSysColor(int32_t index) {
  if (index == 24) return kDarkTipBackground;
  if (index == 6) return kDarkWindowFrame;
  return std::nullopt;
}
// The code tip's text colour for the DC's current one; nullopt leaves it.
std::optional<uint32_t> tipTextColor(uint32_t current);

// --- GetClientRect on a code page -------------------------------------------------------------

struct Rect32 {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect32&) const = default;
};

// The start page is grown by 2 on every side; any other page 2 up and left and 20 down and
// right (the shell shows its own scroll bars over the extra).
Rect32 pageClientRect(Rect32 real, bool startPage);

// The start page's title "起始页" (GBK), read at most this many bytes.
inline constexpr std::string_view kStartPageTitle = "起始页";
bool isStartPageTitle(std::string_view title);

// --- TextOutA -------------------------------------------------------------------------------

// The host's code tip window is recognised by its text.
inline constexpr std::string_view kTipWindowText = "CTipWnd";
// Bytes of the window text read to decide: one more than the tip's text, so a longer text is
// told apart without reading it whole.
inline constexpr size_t kTipTextProbeBytes = kTipWindowText.size() + 1;

// A line that starts with a task comment: `count` > 0 bytes at `text`, of which the first ten
// are "' // TODO:". Never looks past `count`.
bool isTaskCommentLine(const char* text, int32_t count);

// --- CreateWindowExA ------------------------------------------------------------------------

enum class CreationRule : uint8_t {
  kLink,        // 1: "MyHyperLinker" (exact case)
  kStatic,      // 2: "STATIC" in any case
  kSplash,      // 3: 400 x 280, any class but "_EL_PicWnd"
  kPicture,     // 4: "_EL_PicWnd": not created, answered -1
  kRecentList,  // 5: "SysListView32" (exact case)
  kButton,      // 6: "button" in any case
  kOther,       // 7: anything else (the code-view test)
};

// `className` is empty (nullopt) when the caller gave an atom: no rule that names a class matches.
CreationRule classifyCreation(std::optional<std::string_view> className, int32_t width, int32_t height);

inline constexpr int32_t kSplashWidth = 400;
inline constexpr int32_t kSplashHeight = 280;
inline constexpr int32_t kHiddenStaticId = 0xFFFF;
inline constexpr int32_t kRecentListId = 1214;
inline constexpr int32_t kCodeViewParentId = 0xE900;
inline constexpr std::string_view kCodePageClass = "AfxMDIFrame42s";

// The start-page links the shell paints and remembers: "新建", "打开...", "最近", "清空".
bool isPaintedLink(std::string_view caption);
// "清空": its creation starts the start-page watcher.
bool startsWatcher(std::string_view caption);

// --- the host main window ------------------------------------------------------------------

inline constexpr uint32_t kStartPageInjectMessage = 99999;  // 0x1869F
inline constexpr uint32_t kModulesChangedMessage = 9909;    // 0x26B5
inline constexpr uint32_t kDisasmTextMessage = 89963;       // 0x15F6B
inline constexpr uint32_t kHostRefitMessage = 89757;        // 0x15E9D
inline constexpr uint32_t kStatusLineMessage = 0x362;
inline constexpr uint32_t kShowToolBarCommand = 0x80C3;  // posted when the host shows its tool bar

// A disassembly block: the 4-byte process id and the text; at least the id, at most `cap` bytes.
bool blockLengthAccepted(int64_t length, uint32_t cap);

// The host title as the frame shows it: at most 256 bytes, never ending inside a character.
inline constexpr size_t kFrameTitleBytes = 256;
std::string_view frameTitle(std::string_view hostTitle);

// Notepad log lines.
std::string moduleReloadLine(int32_t window);                            // "<hwnd> 收到模块管理"
std::string notifyLine(int32_t idFrom, int32_t code, int32_t hwndFrom);  // "WM_NOTIFY： idFrom ..."
std::string commandLine(int32_t wParam, int32_t lParam);                 // " 菜单选择： wParam ..."
inline constexpr std::string_view kExitSizeMoveLine = "XEle_IsBkTransparent";

// --- the code-completion list (router row 6) ------------------------------------------------

inline constexpr int32_t kCodeListWidth = 501;
inline constexpr int32_t kCodeListHeight = 221;
inline constexpr int32_t kCompletionStripHeight = 30;
inline constexpr int32_t kCompletionStripButton = 24;
inline constexpr uint32_t kCompletionListBackground = 0x262525;
inline constexpr uint32_t kCompletionListText = 0xF0F0F0;

struct CompletionLayout {
  Rect32 list;         // x, y, width, height of the tree (as left, top, right = width, bottom = height)
  bool strip = false;  // the icon strip under the tree
  Rect32 stripRect;    // the same form for the strip
};
// With "CodeTree" on, the tree leaves room for the strip and its scroll bar.
CompletionLayout completionLayout(bool codeTree, int32_t verticalScrollWidth);

// The strip's eight icons, in order (theme resources).
inline constexpr std::array<std::string_view, 8> kCompletionIcons = {
    "allmet.png",        "Method_left_16x.png", "Class2_16x.png",         "LocalVariable2_16x.png",
    "Interface_16x.png", "Constant_16x.png",    "ValueType_left_16x.png", "WindowsForm2_16x.png"};

// --- LoadBitmapA 620 --------------------------------------------------------------------------

inline constexpr uint32_t kBannerBitmapId = 620;

// A packed DIB (a BITMAP resource: header, colour table, bits): where its pixels begin and how
// many bytes they take. nullopt when the header is not one a bitmap can be made from (a core
// header, compression, more than 256 colours) or the pixels would lie past `size`.
struct DibLayout {
  size_t bitsOffset = 0;
  size_t bitsSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // negative for a top-down DIB
};
std::optional<DibLayout> packedDibLayout(const uint8_t* dib, size_t size);

}  // namespace tovalux::hostrules
