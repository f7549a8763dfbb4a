#include "commands/linker_selector.h"

#include <windows.h>

#include "base/gbk.h"
#include "base/gbk_scan.h"
#include "base/guard.h"
#include "commands/commands_internal.h"
#include "commands/linker_rules.h"
#include "host/host_paths.h"
#include "shell/descriptors.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

using namespace commands;

constexpr XColor kTextColor = XRGB(241, 241, 241);

std::string gHostFolderForTests;

std::string hostFolder() { return gHostFolderForTests.empty() ? hostDirectory() : gHostFolderForTests; }

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// ERROR_SUCCESS, or why the value could not be written. A read-only link.ini is refused as
// Windows refuses it to every user (a process that may write anything, such as Wine run by root,
// would otherwise rewrite it).
DWORD writeSetting(const std::string& ini, const std::string& value) {
  const DWORD attributes = GetFileAttributesA(ini.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return ERROR_ACCESS_DENIED;
  if (WritePrivateProfileStringA(kLinkerSection, kLinkerKey, value.c_str(), ini.c_str())) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

int onLinkerSelect(HELE combo, int index, bool* handled) {
  guarded(GuardSite::kToolkit, [&] { chooseLinker(combo, index, handled); });
  return 0;
}

int onLinkerPopup(HELE combo, HWINDOW, HELE, bool*) {
  guarded(GuardSite::kToolkit, [&] { fillLinkerList(combo); });
  return 0;
}

}  // namespace

HELE createLinkerSelector(HELE toolBar) {
  return guarded(GuardSite::kToolkit, [&]() -> HELE {
    HELE combo = XComboBox_Create(0, 0, 160, 22, toolBar);
    if (combo == 0) return 0;
    XComboBox_EnableEdit(combo, false);
    XComboBox_SetItemTemplateXML(combo, gbkToUtf16<XChar>(kLinkerItemTemplate).c_str());
    XComboBox_CreateAdapter(combo);
    XEle_SetToolTip(combo, gbkToUtf16<XChar>(kLinkerTooltip).c_str());
    XEle_SetTextColor(combo, kTextColor, 255);
    XComboBox_SetText(combo, gbkToUtf16<XChar>(currentLinkerName()).c_str());
    fillLinkerList(combo);
    XEle_SetPadding(combo, 2, 0, 2, 0);
    setDescriptor(combo, descriptor::kComboBoxAway);
    registerComboBoxHover(combo);  // events 6 and 8: the hover look and back, each redrawn
    XEle_RegEventC1(combo, XE_COMBOBOX_POPUP_LIST, &onLinkerPopup);
    XEle_RegEventC1(combo, XE_COMBOBOX_SELECT, &onLinkerSelect);
    return combo;
  });
}

std::string currentLinkerName() {
  const std::string host = hostFolder();
  std::string value(kLinkerSettingBuffer, '\0');
  const DWORD length = GetPrivateProfileStringA(kLinkerSection, kLinkerKey, "", value.data(),
                                                static_cast<DWORD>(value.size()), linkIniPath(host).c_str());
  value.resize(length < value.size() ? length : 0);
  return linkerNameFromSetting(host, value);
}

std::vector<std::string> listSubfolders(std::string_view folder, bool withPath) {
  std::string base(folder);
  if (!gbkEndsWith(base, '\\')) base += '\\';
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    const std::string name = found.cFileName;
    if (!isListedFolderName(name)) continue;
    names.push_back(withPath ? base + name : name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void fillLinkerList(HELE combo) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return;
  const std::string host = hostFolder();
  XComboBox_DeleteItemAll(combo);
  for (const std::string& name : listSubfolders(linkerFolder(host), false))
    if (fileExists(linkerExePath(host, name))) XComboBox_AddItemText(combo, gbkToUtf16<XChar>(name).c_str());
  XEle_RedrawEle(combo);
}

bool chooseLinker(HELE combo, int index, bool* handled) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return false;
  const std::string host = hostFolder();
  const std::string name = utf16ToGbk(XComboBox_GetItemText(combo, index, 0));
  const std::string exe = linkerExePath(host, name);
  bool switched = false;
  if (name.empty() || !fileExists(exe)) {
    messageBox(linkerMissingText(host, name), MB_ICONERROR);
  } else if (const DWORD error = writeSetting(linkIniPath(host), exe); error != ERROR_SUCCESS) {
    // The host would go on linking with the old linker: say so, and keep its name shown.
    messageBox(linkerWriteFailedText(linkIniPath(host), name, error), MB_ICONERROR);
  } else {
    XComboBox_SetText(combo, gbkToUtf16<XChar>(name).c_str());
    switched = true;
  }
  if (!switched && handled != nullptr) *handled = true;
  XEle_RedrawEle(combo);
  return switched;
}

void setLinkerHostFolderForTests(std::string folder) { gHostFolderForTests = std::move(folder); }

}  // namespace tovalux
