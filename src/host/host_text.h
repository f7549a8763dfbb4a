// Reading texts out of host windows and host-filled buffers without trusting the host: every
// buffer is the reported length + 1, zeroed, capped, and terminated by us; a length the host
// reports as 0, negative or an error reads as empty text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tovalux {

// A host window's text, at most `capBytes` bytes (cut on a character boundary).
std::string windowTextCapped(HWND window, size_t capBytes);

// The host's window text with the long-text rule: past 50,000 bytes, cut and marked with the
// number of bytes left out.
std::string windowText(HWND window);

// The text of item `index` of a combo box (CB_GETLBTEXTLEN, then CB_GETLBTEXT into length + 1
// bytes); empty for CB_ERR and for an index past the end.
std::string comboItemText(HWND combo, int index, size_t capBytes = 4096);

// A buffer for a host that writes `reportedLength` bytes into memory we give it: `fill` gets
// length + 1 zeroed bytes (the length capped at `capBytes`) and the text ends at the first NUL or
// at the cap, whatever the host wrote.
std::string hostFilledText(int64_t reportedLength, size_t capBytes, const std::function<void(char*, size_t)>& fill);

}  // namespace tovalux
