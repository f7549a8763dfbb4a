// The project and run state as the caption shows them, and the IDE queries answered from the
// model.
#include "host/ide_functions.h"
#include "standin_host.h"

namespace standin {
namespace {

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Libraries split the caption at every "-" and check the path names an existing file.
ActionResult setProject(Host& host, const ActionArgs& args) {
  const std::string& path = args.text(0);
  if (path.empty()) return ActionResult::failure("project PATH [create=1] [variant=test]");
  if (path.find('-') != std::string::npos) return ActionResult::failure("a project path holds no '-'");
  if (!fileExists(path)) {
    if (args.optionNumber("create") != 1) return ActionResult::failure("no file " + path);
    // Its folder too (C:\EProjects does not exist in a new prefix).
    if (const size_t slash = path.find_last_of('\\'); slash != std::string::npos && slash > 2)
      CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ActionResult::failure("cannot create " + path);
    CloseHandle(file);
  }
  host.model().projectPath = path;
  host.model().captionTestVariant = args.option("variant") == std::optional<std::string>("test");
  host.updateCaption();
  return ActionResult::success();
}

ActionResult closeProject(Host& host, const ActionArgs&) {
  host.model().projectPath.clear();
  host.model().runState = RunState::kIdle;
  host.updateCaption();
  return ActionResult::success();
}

ActionResult setRunState(Host& host, const ActionArgs& args) {
  const std::string& state = args.text(0);
  if (state == "idle")
    host.model().runState = RunState::kIdle;
  else if (state == "running")
    host.model().runState = RunState::kRunning;
  else if (state == "paused")
    host.model().runState = RunState::kPaused;
  else
    return ActionResult::failure("run-state idle|running|paused");
  host.updateCaption();
  return ActionResult::success();
}

// Query slots: p1 is the address the host writes to. With the silent-queries switch the host
// answers without writing anything (a library must not read garbage then).
void writeSlot(int32_t address, int32_t value) {
  if (Host::instance().mode("silent-queries")) return;
  if (auto* slot = reinterpret_cast<int32_t*>(static_cast<intptr_t>(address))) *slot = value;
}

int32_t queryPageKind(Host& host, int32_t slot, int32_t) {
  writeSlot(slot, host.model().activePageKind());
  return 1;
}

int32_t queryCaretRow(Host& host, int32_t slot, int32_t) {
  const PageRecord* page = host.model().activePageRecord();
  writeSlot(slot, page ? page->caretRow : 0);
  return 1;
}

int32_t queryCaretColumn(Host& host, int32_t slot, int32_t) {
  const PageRecord* page = host.model().activePageRecord();
  writeSlot(slot, page ? page->caretColumn : 0);
  return 1;
}

const ActionRegistration kRegistrations[] = {
    {"project",
     "project PATH [create=1] [variant=test]: the loaded project as the caption shows it (create=1: the file and its "
     "folder made when missing), then 0x362",
     &setProject},
    {"project-close", "project-close: no project in the caption (\"易语言\"), then 0x362", &closeProject},
    {"run-state", "run-state idle|running|paused: the caption's run marker, then 0x362", &setRunState},
};

const IdeFunctionRegistration kIdeFunctions[] = {
    {tovalux::ide::kQueryPageKind, "page kind", &queryPageKind},
    {tovalux::ide::kQueryCaretRow, "caret row", &queryCaretRow},
    {tovalux::ide::kQueryCaretColumn, "caret column", &queryCaretColumn},
};

}  // namespace
}  // namespace standin
