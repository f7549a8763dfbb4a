// What the plug-in holds in memory, under Wine (private bytes: the committed private regions of a
// process's address space, as Wine reports no PrivateUsage):
//
//   start-up     ehost of the IDE folder started as the host starts (--host-start), its first
//                picture taken, the sample project opened: its private bytes then, with the
//                plug-in against without it (goal: the plug-in's share at most 25 MB)
//   per item     N host inserts into the program tree, in a process of its own: the growth of
//                its private bytes with the plug-in mirroring them, less the growth in the
//                stand-in alone, over N (goal: at most 200 bytes per mirrored item), for
//                N = 10,000 and 100,000. Likewise N lines of search results, handed to the
//                pane's mirror as the router hands them over (the host's own list box is left
//                out: under Wine it takes minutes for 100,000 lines), against the same lines
//                made and dropped
//
// The rounds of the plug-in and the stand-in alone take turns; each figure is the median.
//
//   bench_memory [ROUNDS] [IDE-FOLDER]      default 3 rounds, the build's stand-in folder
//   bench_memory --child tree|list N 0|1 OUT  (one measured process: N items, 1 with the plug-in)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ui_jobs.h"
#include "lifecycle/descriptor.h"
#include "panes/project_tree.h"
#include "panes/search_results.h"
#include "shell/shell.h"
#include "standin_host.h"
#include "toolkit/xcgui_views.h"
#include "bench_support.h"

namespace {

using tovalux::bench::format;
using tovalux::bench::median;
using tovalux::bench::privateBytes;
using tovalux::bench::pump;
using tovalux::bench::report;

using standin::Host;

constexpr double kStartupGoalMb = 25;
constexpr double kPerItemGoal = 200;  // bytes beyond the host's own
constexpr DWORD kProcessWaitMs = 300000;

std::string gFolder = TOVALUX_HOST_DIR_WINE;
volatile size_t gLinesMade = 0;  // the lines made without the plug-in, so they are made

std::string tempFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Waits for the process to end (at most kProcessWaitMs), closes its handles; its exit code, or -1.
long finish(PROCESS_INFORMATION& process) {
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, kProcessWaitMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

// --- start-up ---------------------------------------------------------------------------------

// ehost's private bytes once started with the sample project open; negative when the run failed.
double startupPrivateBytes(bool plugins, const std::string& work) {
  const std::string journal = work + "\\journal.txt";
  DeleteFileA(journal.c_str());
  PROCESS_INFORMATION process{};
  if (!tovalux::bench::startEhost(gFolder, work + "\\memory.txt", journal, work, plugins, &process, "--host-start"))
    return -1;
  if (finish(process) != 0) return -1;
  const std::string text = fileText(journal);
  const size_t entry = text.find("\"kind\":\"resources\"");
  if (entry == std::string::npos) return -1;
  const size_t line = text.rfind('\n', entry) == std::string::npos ? 0 : text.rfind('\n', entry);
  const size_t field = text.find("\"private\":", line);
  if (field == std::string::npos) return -1;
  // The journal writes every value as a string: "private":"30945280".
  const char* value = text.c_str() + field + 10;
  return std::atof(*value == '"' ? value + 1 : value);
}

void benchStartup(int rounds) {
  const std::string work = tempFolder("tovalux-bench-memory");
  if (FILE* file = std::fopen((work + "\\memory.txt").c_str(), "wb")) {
    std::fputs("screenshot first\r\nproject-open-sample\r\nresources after-start\r\nclose\r\n", file);
    std::fclose(file);
  }
  std::vector<double> with, without;
  for (int r = 0; r < rounds; ++r) {
    const double plain = startupPrivateBytes(false, work);
    const double plugged = startupPrivateBytes(true, work);
    if (plain <= 0 || plugged <= 0) {
      std::printf("start-up: a run failed (without %.0f, with %.0f bytes)\n", plain, plugged);
      report("startup_private_mb", NAN, "MB", kStartupGoalMb, "a run failed");
      return;
    }
    without.push_back(plain);
    with.push_back(plugged);
  }
  const double withMb = median(with) / 1048576, withoutMb = median(without) / 1048576;
  std::printf("ehost private bytes after start-up, sample project open, %s, median of %d rounds\n", gFolder.c_str(),
              rounds);
  std::printf("  without the plug-in  %8.1f MB\n", withoutMb);
  std::printf("  with the plug-in     %8.1f MB\n", withMb);
  std::printf("  the plug-in's share  %8.1f MB (goal <= %.0f)\n", withMb - withoutMb, kStartupGoalMb);
  report("startup_private_mb", withMb - withoutMb, "MB", kStartupGoalMb,
         format("%.1f MB with, %.1f MB without", withMb, withoutMb));
}

// --- per item ---------------------------------------------------------------------------------

void settle() {
  if (tovalux::uiJobsOpen()) tovalux::flushUiJobs();
  pump();
}

// In a process of its own: the growth of private bytes while the host inserts `items` into the
// program tree ("tree"), with the plug-in or without it, or while `items` search lines are handed
// to the search pane's mirror ("list"; without the plug-in they are made and dropped); written to
// `out` as "<growth> <items the plug-in's view holds>".
int child(const std::string& kind, int items, bool plugin, const std::string& out) {
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);
  if (plugin) host.addLibrary(&GetNewInf, "in-process");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  host.runAction("mode quiet-traffic 1");
  if (plugin) host.notifyStart();
  pump();
  const bool tree = kind == "tree";
  if (plugin && tree) tovalux::activatePaneByTitle("项目结构");
  // A small burst first, so what the first one sets up once is not counted.
  const auto burst = [&](int count) {
    if (tree) {
      host.runAction("project-close-sample");
      host.runAction("program-tree-bulk " + std::to_string(count));
    } else {
      // The lines of the stand-in's search, then its summary.
      if (plugin) tovalux::mirrorSearchClear(0);
      for (int k = 0; k <= count; ++k) {
        const std::string line = k < count ? "程序集: 窗口程序集_启动窗口 (" + std::to_string(k + 1) +
                                                 "): 计次循环首 第" + std::to_string(k) + "处"
                                           : "--- 共找到 " + std::to_string(count) + " 处 ---";
        if (plugin) {
          tovalux::mirrorSearchAdd(0, line);
        } else {
          gLinesMade = gLinesMade + line.size();
        }
      }
    }
    settle();
  };
  burst(100);
  if (tree) host.runAction("project-close-sample");
  settle();
  const long long before = privateBytes();
  burst(items);
  const long long after = privateBytes();
  int shown = -1;
  if (plugin) shown = tree ? XTree_GetCount(tovalux::projectTree()) : XListBox_GetCount(tovalux::searchList(0));
  if (plugin) host.notifyAll(6);
  host.destroyWindows();
  FILE* file = std::fopen(out.c_str(), "wb");
  if (!file) return 1;
  std::fprintf(file, "%lld %d\n", after - before, shown);
  std::fclose(file);
  return 0;
}

struct Growth {
  double bytes = -1;
  int shown = -1;
};

Growth runChild(const std::string& kind, int items, bool plugin, const std::string& work) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string out = work + "\\child.txt";
  DeleteFileA(out.c_str());
  std::string command = "\"" + std::string(exe) + "\" --child " + kind + " " + std::to_string(items) + " " +
                        (plugin ? "1" : "0") + " \"" + out + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return {};
  if (finish(process) != 0) return {};
  Growth growth;
  long long bytes = -1;
  if (std::sscanf(fileText(out).c_str(), "%lld %d", &bytes, &growth.shown) != 2) return {};
  growth.bytes = static_cast<double>(bytes);
  return growth;
}

void benchPerItem(int rounds, const char* kind, const char* id, int items, int expectedShown) {
  const std::string work = tempFolder("tovalux-bench-memory");
  std::vector<double> with, without;
  int shown = -1;
  for (int r = 0; r < rounds; ++r) {
    const Growth plain = runChild(kind, items, false, work);
    const Growth plugged = runChild(kind, items, true, work);
    if (plain.bytes < 0 || plugged.bytes < 0) {
      std::printf("%s of %d: a process failed\n", kind, items);
      report(id, NAN, "B", kPerItemGoal, "a process failed");
      return;
    }
    without.push_back(plain.bytes);
    with.push_back(plugged.bytes);
    shown = plugged.shown;
  }
  const double perItem = (median(with) - median(without)) / items;
  const bool complete = shown >= expectedShown;
  std::printf("%-5s %7d items: growth with the plug-in %8.1f MB, without %8.1f MB: %6.0f bytes per item%s\n", kind,
              items, median(with) / 1048576, median(without) / 1048576, perItem,
              complete ? "" : " (THE PLUG-IN'S VIEW DID NOT HOLD THEM ALL)");
  report(id, complete ? perItem : NAN, "B", kPerItemGoal,
         format("%.1f MB with, %.1f MB without, the view holds %d", median(with) / 1048576, median(without) / 1048576,
                shown));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--child")
    return child(argv[2], std::atoi(argv[3]), std::string(argv[4]) == "1", argv[5]);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (argc > 2) gFolder = argv[2];
  benchStartup(rounds);
  std::printf("private bytes per mirrored item beyond the host's own (goal <= %.0f), median of %d rounds\n",
              kPerItemGoal, rounds);
  // The tree mirror holds the root and every item; the search pane every line and the summary.
  benchPerItem(rounds, "tree", "tree_item_bytes_10k", 10000, 10000);
  benchPerItem(rounds, "tree", "tree_item_bytes_100k", 100000, 100000);
  benchPerItem(rounds, "list", "list_row_bytes_10k", 10000, 10001);
  benchPerItem(rounds, "list", "list_row_bytes_100k", 100000, 100001);
  return 0;
}
