#include "host/host_text.h"

#include <cstring>
#include <vector>

#include "base/gbk.h"
#include "base/gbk_scan.h"
#include "host/text_rules.h"

namespace tovalux {

std::string hostFilledText(int64_t reportedLength, size_t capBytes, const std::function<void(char*, size_t)>& fill) {
  if (reportedLength <= 0 || capBytes == 0) return {};
  const size_t length =
      static_cast<uint64_t>(reportedLength) < capBytes ? static_cast<size_t>(reportedLength) : capBytes;
  std::vector<char> buffer(length + 1, '\0');
  fill(buffer.data(), buffer.size());
  buffer[length] = '\0';
  std::string_view text(buffer.data(), strnlen(buffer.data(), length));
  // A text cut at the cap may end on the lead byte of a character whose trail was not read.
  const bool cut = static_cast<uint64_t>(reportedLength) > length && text.size() == length;
  if (cut && !text.empty()) {
    size_t at = 0, last = 0;
    while (at < text.size()) {
      last = at;
      at += gbkCharLength(text, at);
    }
    if (last == text.size() - 1 && isGbkLeadByte(static_cast<unsigned char>(text[last]))) text.remove_suffix(1);
  }
  return std::string(text);
}

std::string windowTextCapped(HWND window, size_t capBytes) {
  if (!IsWindow(window)) return {};
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  return hostFilledText(length, capBytes, [&](char* buffer, size_t size) {
    SendMessageA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
  });
}

std::string windowText(HWND window) {
  if (!IsWindow(window)) return {};
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  const std::string read = hostFilledText(length, kWindowTextLimit + 1, [&](char* buffer, size_t size) {
    SendMessageA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
  });
  return elideWindowText(read, static_cast<size_t>(length));
}

std::string comboItemText(HWND combo, int index, size_t capBytes) {
  if (!IsWindow(combo) || index < 0) return {};
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length <= 0) return {};
  if (static_cast<uint64_t>(length) > capBytes) {
    // CB_GETLBTEXT has no size argument: a text longer than the cap is read whole into a buffer
    // of its own length + 1 and cut afterwards, never into a smaller buffer.
    if (static_cast<uint64_t>(length) > (64u << 20)) return {};
  }
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  if (SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())) == CB_ERR)
    return {};
  buffer[static_cast<size_t>(length)] = '\0';
  std::string_view text(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(length)));
  return std::string(text.substr(0, gbkSafeCut(text, capBytes)));
}

}  // namespace tovalux
