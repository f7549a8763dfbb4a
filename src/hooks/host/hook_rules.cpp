#include "hooks/host/hook_rules.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::hostrules {

bool hookWanted(const HookEntry& hook, bool codeTip, int32_t gridFontSetting) {
  switch (hook.when) {
    case HookWhen::kAlways: return true;
    case HookWhen::kCodeTip: return codeTip;
    case HookWhen::kGridFont: return gridFontSetting > 0;
  }
  return false;
}

std::optional<uint32_t> tipTextColor(uint32_t current) {
  if (current == 0) return 0xC8C8C8;
  if (current == 0x0000FF) return 0x0014E4;  // RGB 255, 0, 0 -> 228, 20, 0
  return std::nullopt;
}

Rect32 pageClientRect(Rect32 real, bool startPage) {
  const int32_t grow = startPage ? 2 : 20;
  return {real.left - 2, real.top - 2, real.right + grow, real.bottom + grow};
}

bool isStartPageTitle(std::string_view title) { return title == kStartPageTitle; }

bool isTaskCommentLine(const char* text, int32_t count) {
  static constexpr char kPrefix[] = "' // TODO:";
  constexpr int32_t kPrefixLength = sizeof kPrefix - 1;
  if (text == nullptr || count < kPrefixLength) return false;
  return std::memcmp(text, kPrefix, kPrefixLength) == 0;
}

CreationRule classifyCreation(std::optional<std::string_view> className, int32_t width, int32_t height) {
  const bool picture = className && *className == "_EL_PicWnd";
  if (className && *className == "MyHyperLinker") return CreationRule::kLink;
  if (className && asciiLower(*className) == "static") return CreationRule::kStatic;
  if (width == kSplashWidth && height == kSplashHeight && !picture) return CreationRule::kSplash;
  if (picture) return CreationRule::kPicture;
  if (className && *className == "SysListView32") return CreationRule::kRecentList;
  if (className && asciiLower(*className) == "button") return CreationRule::kButton;
  return CreationRule::kOther;
}

bool isPaintedLink(std::string_view caption) {
  return caption == "新建" || caption == "打开..." || caption == "最近" || caption == "清空";
}

bool startsWatcher(std::string_view caption) { return caption == "清空"; }

bool blockLengthAccepted(int64_t length, uint32_t cap) { return length >= 4 && length <= static_cast<int64_t>(cap); }

std::string_view frameTitle(std::string_view hostTitle) {
  return hostTitle.substr(0, gbkSafeCut(hostTitle, kFrameTitleBytes));
}

std::string moduleReloadLine(int32_t window) { return decimal(window) + " 收到模块管理"; }

std::string notifyLine(int32_t idFrom, int32_t code, int32_t hwndFrom) {
  return "WM_NOTIFY： idFrom " + decimal(idFrom) + " code " + decimal(code) + " hwndFrom " + decimal(hwndFrom);
}

std::string commandLine(int32_t wParam, int32_t lParam) {
  return " 菜单选择： wParam " + decimal(wParam) + " lParam " + decimal(lParam);
}

CompletionLayout completionLayout(bool codeTree, int32_t verticalScrollWidth) {
  CompletionLayout layout;
  if (!codeTree) {
    layout.list = {0, 0, kCodeListWidth, kCodeListHeight};
    return layout;
  }
  layout.list = {0, 0, kCodeListWidth + verticalScrollWidth + 4, kCodeListHeight - kCompletionStripHeight};
  layout.strip = true;
  layout.stripRect = {0, kCodeListHeight - kCompletionStripHeight, kCodeListWidth, kCompletionStripHeight};
  return layout;
}

namespace {
uint32_t readU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
}  // namespace

std::optional<DibLayout> packedDibLayout(const uint8_t* dib, size_t size) {
  if (dib == nullptr || size < 40) return std::nullopt;
  const uint32_t headerSize = readU32(dib);
  if (headerSize < 40 || headerSize > size) return std::nullopt;  // BITMAPINFOHEADER or a later version
  const auto width = static_cast<int32_t>(readU32(dib + 4));
  const auto height = static_cast<int32_t>(readU32(dib + 8));
  const uint16_t planes = readU16(dib + 12);
  const uint16_t bitCount = readU16(dib + 14);
  const uint32_t compression = readU32(dib + 16);
  const uint32_t coloursUsed = readU32(dib + 32);
  if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) return std::nullopt;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return std::nullopt;
  if (compression != 0 && compression != 3) return std::nullopt;  // BI_RGB, BI_BITFIELDS
  const uint64_t colours = coloursUsed != 0 ? coloursUsed : (bitCount <= 8 ? 1u << bitCount : 0);
  if (colours > 256) return std::nullopt;
  uint64_t offset = headerSize + colours * 4;
  if (compression == 3 && headerSize == 40) offset += 12;  // three masks after the short header
  const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
  if (width > 0x10000 || rows > 0x10000) return std::nullopt;  // no picture of ours is that large
  const uint64_t stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
  if (offset + stride * rows > size) return std::nullopt;
  return DibLayout{static_cast<size_t>(offset), static_cast<size_t>(stride * rows), width, height};
}

}  // namespace tovalux::hostrules
