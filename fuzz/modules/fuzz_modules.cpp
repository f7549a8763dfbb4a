// The module list file (EcManager.json) as any program or editor may leave it: bytes -> encoding
// -> folders. Whatever is ready for changes must survive a change and a save unchanged elsewhere;
// whatever repeats a name (anywhere) must never be ready; a folder that is not a list is never
// replaced; GBK that could be GBK is never read as UTF-8 without a byte-order mark.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "panes/module_manager_rules.h"

using namespace tovalux;
using namespace tovalux::modules;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_modules: %s\n", what);
    std::abort();
  }
}

bool sameFolders(const std::vector<FolderEntry>& a, const std::vector<FolderEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].modules != b[i].modules) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ModuleList list = readModuleList({true, false, bytes});
  require(list.state == ListState::kReady || list.state == ListState::kBroken, "a file that exists is missing");
  const bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (!bom && isWellFormedGbk(bytes)) require(!list.wasUtf8, "well-formed GBK read as UTF-8");
  if (list.state == ListState::kBroken) {
    require(!list.problem.empty() && !list.writable(), "a refused list without a reason");
    return 0;
  }
  require(!list.document.readRepeatedNames(), "a list that repeats a name is ready for changes");
  const std::vector<FolderEntry> before = folders(list.document);

  // Written and read again: the same folders, still ready, still GBK.
  const std::string text = listText(list.document);
  const ModuleList again = readModuleList({true, false, text});
  require(again.state == ListState::kReady, "a written list does not read back");
  require(!again.wasUtf8, "a written list reads as UTF-8");
  require(sameFolders(folders(again.document), before), "a written list reads back differently");

  // A change to each folder: only lists take a module; every other folder stays as it was.
  for (size_t i = 0; i < before.size() && i < 8; ++i) {
    JsonDocument changed = JsonDocument::copyOf(list.document);
    const int position = static_cast<int>(i);
    const bool takes = folderTakesModules(changed, position);
    const std::string folderText = changed.toText(folderPath(position));
    const bool appended = appendModule(changed, position, "C:\\m\\new.ec");
    require(appended == takes, "a module went into a folder that is not a list (or not into one that is)");
    if (!appended) require(changed.toText(folderPath(position)) == folderText, "a refused change changed the folder");
    const std::vector<FolderEntry> after = folders(readModuleList({true, false, listText(changed)}).document);
    require(after.size() == before.size(), "a change lost or added a folder");
    for (size_t k = 0; k < before.size(); ++k) {
      require(after[k].name == before[k].name, "a change renamed a folder");
      if (k != i) require(after[k].modules == before[k].modules, "a change touched another folder");
    }
    if (appended) require(after[i].modules.size() == before[i].modules.size() + 1, "the module is not there");
  }
  // A new folder of an existing name is refused; a new one is added last.
  if (!before.empty()) require(!addFolder(list.document, before[0].name), "an existing name was added again");
  if (addFolder(list.document, "fuzz\\new[0].x")) {
    const std::vector<FolderEntry> after = folders(list.document);
    require(after.size() == before.size() + 1 && after.back().name == "fuzz\\new[0].x", "the new folder is wrong");
  }
  return 0;
}
