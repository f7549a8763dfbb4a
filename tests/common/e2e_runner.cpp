#include "common/e2e_runner.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/win32_support.h"

namespace tovalux::testing {

std::string artefactsFolder() {
  const char* folder = std::getenv("TOVALUX_ARTEFACTS");
  const std::string path = winePath(folder ? folder : TOVALUX_BUILD_DIR "/artefacts");
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::string hostFile(const std::string& relative) { return winePath(TOVALUX_HOST_DIR) + "\\" + relative; }

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void removeSeededLinkers() {
  SetFileAttributesA(hostFile("tools\\link.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(hostFile("tools\\link.ini").c_str());
  RemoveDirectoryA(hostFile("tools").c_str());
  for (const char* name : {"LinkerA", "LinkerB", "Broken", ".hidden"}) {
    const std::string folder = hostFile(std::string("linker\\") + name);
    DeleteFileA((folder + "\\bin\\link.exe").c_str());
    RemoveDirectoryA((folder + "\\bin").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  RemoveDirectoryA(hostFile("linker").c_str());
}

DWORD sendDisassemblyBlock(HWND ide, const std::string& arguments) {
  const std::string program = hostFile("edisasm.exe");
  std::string command = "\"" + program + "\" " + std::to_string(reinterpret_cast<intptr_t>(ide)) + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  CloseHandle(process.hThread);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return code;
}

EhostRun::EhostRun(EhostOptions options) : options_(std::move(options)) {
  journalPath_ = artefact(options_.name + "_journal.txt");
}

EhostRun::~EhostRun() {
  if (running()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  if (process_.hProcess) CloseHandle(process_.hProcess);
  if (process_.hThread) CloseHandle(process_.hThread);
}

bool EhostRun::start() {
  if (process_.hProcess) return false;
  DeleteFileA(journalPath_.c_str());
  // A layout an earlier run saved would arrange this run's panes differently.
  if (!options_.keepLayout) DeleteFileA(winePath(TOVALUX_HOST_DIR "/lib/Tovalux/Layout.json").c_str());
  std::string command = "\"" + winePath(TOVALUX_HOST_DIR "/ehost.exe") + "\" --journal \"" + journalPath_ +
                        "\" --artefacts \"" + artefactsFolder() + "\"";
  if (!options_.plugins) command += " --no-plugins";
  if (options_.watchdog) command += " --watchdog";
  if (!options_.script.empty()) {
    const std::string scriptPath = artefact(options_.name + "_script.txt");
    std::ofstream(scriptPath, std::ios::binary) << options_.script;
    command += " --script \"" + scriptPath + "\"";
  }
  for (const std::string& argument : options_.arguments) command += " " + argument;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_) !=
         FALSE;
}

bool EhostRun::running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void EhostRun::readJournal() {
  HANDLE file = CreateFileA(journalPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(readOffset_);
  SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    readOffset_ += read;
    partialLine_.append(buffer, read);
  }
  CloseHandle(file);
  // Only whole lines: the host may be writing the next one.
  size_t start = 0;
  for (size_t end; (end = partialLine_.find('\n', start)) != std::string::npos; start = end + 1)
    if (auto entry = standin::parseJournalLine(partialLine_.substr(start, end - start))) entries_.push_back(*entry);
  partialLine_.erase(0, start);
}

const std::vector<standin::JournalEntry>& EhostRun::journal() {
  readJournal();
  return entries_;
}

size_t EhostRun::count(const std::string& kind, const JournalPredicate& predicate) {
  size_t n = 0;
  for (const standin::JournalEntry& entry : journal())
    if (entry.kind == kind && (!predicate || predicate(entry))) ++n;
  return n;
}

std::optional<standin::JournalEntry> EhostRun::waitForJournal(const std::string& kind,
                                                              const JournalPredicate& predicate, DWORD timeoutMs,
                                                              size_t since) {
  std::optional<standin::JournalEntry> found;
  size_t checked = since;
  auto look = [&] {
    const bool ended = !running();  // read after this: an exit leaves nothing more to come
    readJournal();
    for (; checked < entries_.size(); ++checked) {
      if (entries_[checked].kind == kind && (!predicate || predicate(entries_[checked]))) {
        found = entries_[checked];
        return true;
      }
    }
    return ended;
  };
  pumpMessagesUntil(look, timeoutMs, process_.hProcess);
  return found;
}

HWND EhostRun::windowFromJournal(const char* kind, DWORD timeoutMs) {
  const auto entry = waitForJournal(kind, {}, timeoutMs);
  return entry ? reinterpret_cast<HWND>(static_cast<intptr_t>(entry->number("hwnd", 0))) : nullptr;
}

HWND EhostRun::mainWindow(DWORD timeoutMs) { return windowFromJournal("main-window", timeoutMs); }

HWND EhostRun::controlWindow(DWORD timeoutMs) { return windowFromJournal("control-window", timeoutMs); }

bool EhostRun::send(const std::string& action, DWORD timeoutMs) {
  HWND channel = controlWindow();
  if (!channel) return false;
  COPYDATASTRUCT data{0, static_cast<DWORD>(action.size()), const_cast<char*>(action.data())};
  DWORD_PTR answer = 0;
  // SMTO_NORMAL: this thread still handles what the host sends it meanwhile (a log sink here).
  if (!SendMessageTimeoutA(channel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs, &answer))
    return false;
  return answer == 1;
}

bool EhostRun::screenshot(const std::string& step) { return send("screenshot " + options_.name + "-" + step); }

int EhostRun::waitForExit(DWORD timeoutMs) {
  if (exited_) return exitCode_;
  if (!process_.hProcess) return kKilled;
  // Pumping: the host may send to this process's windows while it closes.
  const bool ended = pumpMessagesUntil([&] { return !running(); }, timeoutMs, process_.hProcess);
  if (!ended) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    exitCode_ = kKilled;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    exitCode_ = static_cast<int>(code);
  }
  exited_ = true;
  readJournal();
  return exitCode_;
}

}  // namespace tovalux::testing
