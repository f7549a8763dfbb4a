// The linker selector's rules on plain text: where the host keeps its linkers and its setting,
// and how the name in use is cut out of the setting (GBK-aware searches, base/gbk_scan.h).
// Every text is GBK; H is the host's folder without a trailing backslash.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovalux::commands {

// Written in a marker, stands for a double-quote character.
inline constexpr std::string_view kQuoteWord = "#引号";
inline constexpr char kLinkerSection[] = "linker";
inline constexpr char kLinkerKey[] = "linker";
inline constexpr std::string_view kLinkerTooltip = "更换选择其它链接器";
inline constexpr std::string_view kLinkerItemTemplate = "lib\\Tovalux\\Dark\\ComboBoxListBoxItem.xml";
// GetPrivateProfileStringA's buffer for the setting.
inline constexpr size_t kLinkerSettingBuffer = 10240;

// The text between the first `start` marker and the first `end` marker after it (both searched
// with gbkFindTextIgnoringCase, "#引号" in a marker read as '"'); empty when either is missing.
std::string textBetween(std::string_view text, std::string_view start, std::string_view end);

// H\tools\link.ini, H\linker, H\linker\<name>\bin\link.exe.
std::string linkIniPath(std::string_view host);
std::string linkerFolder(std::string_view host);
std::string linkerExePath(std::string_view host, std::string_view name);

// The linker named by the host's setting: the text between H\linker\ and \bin\; empty when the
// value does not follow that layout.
std::string linkerNameFromSetting(std::string_view host, std::string_view value);

// A subfolder that counts as a linker folder: not "." or "..", no name starting with a dot.
bool isListedFolderName(std::string_view name);

// The message box texts: a linker whose link.exe is not there, and a setting that could not be
// written (the combo keeps the name in use).
std::string linkerMissingText(std::string_view host, std::string_view name);
std::string linkerWriteFailedText(std::string_view iniPath, std::string_view name, unsigned long error);

}  // namespace tovalux::commands
