// A user's session as the host plays it, timed whole in ehost.exe with the plug-in against the
// same host script without it (--no-plugins), in alternating rounds so both sides see the same
// machine: a project opened, its page shown, a build with marked lines, a search of 500 results,
// a debugging run of e-sample with output and exceptions, the designer page, the close.
//
//   bench_scenario.exe [IDE-FOLDER] [ROUNDS]
//
// The time is from CreateProcess to the host's exit; a run that does not end with exit code 0
// fails the benchmark. The session is timed twice: whole, and light (5 search results, no output
// lines from the program): without the plug-in the host's own output box and search list are on
// screen and repaint at every line, which the light session leaves out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using tovalux::bench::median;
using tovalux::bench::now;

std::string gFolder = TOVALUX_HOST_DIR_WINE;

constexpr char kScript[] =
    "project-open-sample\r\n"
    "project \"%WORK%\\演示.e\" create=1\r\n"
    "page-open \"程序集: 窗口程序集_启动窗口\" maximized=1\r\n"
    "compile\r\n"
    "output-line \"* “tv.s” | 编译成功: 演示.exe\"\r\n"
    "output-line \"* “tv.w” | 警告: 变量 “计次” 未使用\"\r\n"
    "search 1 500 窗口\r\n"
    "debuggee-script \"ods 第%n行 200;raise 0xC0000005 20;exit 0\"\r\n"
    "debug-run\r\n"
    "wait-journal debug-ended timeout=30000\r\n"
    "page-open \"窗口: _启动窗口\" maximized=1\r\n"
    "close\r\n";

// Seconds from the start to the host's exit; negative when the run failed.
double playSession(bool plugins, const std::string& work) {
  const std::string journal = work + "\\journal.txt";
  DeleteFileA(journal.c_str());
  PROCESS_INFORMATION process{};
  const double start = now();
  if (!tovalux::bench::startEhost(gFolder, work + "\\session.txt", journal, work, plugins, &process)) return -1;
  WaitForSingleObject(process.hProcess, 120000);
  const double took = now() - start;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0 ? took : -1;
}

// Median seconds of `rounds` alternating runs of the session in `script`, without and with.
bool timeSession(const char* name, std::string script, const std::string& work, int rounds) {
  script.replace(script.find("%WORK%"), 6, work);
  if (FILE* file = std::fopen((work + "\\session.txt").c_str(), "wb")) {
    std::fputs(script.c_str(), file);
    std::fclose(file);
  }
  std::vector<double> with, without;
  playSession(true, work);  // warm the file cache for both sides
  playSession(false, work);
  for (int i = 0; i < rounds; ++i) {
    const double a = playSession(false, work);
    const double b = playSession(true, work);
    if (a < 0 || b < 0) {
      std::printf("bench_scenario: a run failed (without %.3f, with %.3f)\n", a, b);
      return false;
    }
    without.push_back(a);
    with.push_back(b);
  }
  const double plain = median(without), plugged = median(with);
  std::printf("  %-8s without the plug-in %7.1f ms   with it %7.1f ms   ratio %5.2f\n", name, plain * 1000,
              plugged * 1000, plugged / plain);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gFolder = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string work = std::string(temp) + "tovalux_bench_scenario";
  CreateDirectoryA(work.c_str(), nullptr);
  std::printf("a user's session, start to exit, %s, median of %d rounds\n", gFolder.c_str(), rounds);
  std::string light = kScript;
  light.replace(light.find("search 1 500"), 12, "search 1 5");
  light.replace(light.find("ods 第%n行 200;"), std::string("ods 第%n行 200;").size(), "");
  return timeSession("whole", kScript, work, rounds) && timeSession("light", light, work, rounds) ? 0 : 1;
}
