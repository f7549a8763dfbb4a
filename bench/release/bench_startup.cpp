// ehost.exe from its start to its first screenshot, with the plug-in against without it
// (--no-plugins), in alternating rounds so both sides see the same machine.
//
//   bench_startup.exe [IDE-FOLDER] [ROUNDS]
//
// The IDE folder holds ehost.exe and lib\Tovalux.fne: by default the build's stand-in folder;
// the tour passes the folder it unzipped the release into. Each round starts ehost with a script
// whose first line is a screenshot and whose second closes the host; the time is from
// CreateProcess to the picture's file being complete (ehost writes it, then journals it).
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
constexpr double kRatioGoal = 1.25;   // with the plug-in / without
constexpr double kAddedGoalMs = 150;  // with the plug-in - without

bool fileHas(const std::string& path, const char* text) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string content;
  char buffer[4096];
  size_t read;
  while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, read);
  std::fclose(file);
  return content.find(text) != std::string::npos;
}

// Seconds from the start to the screenshot's journal entry; negative when the run failed.
double startToScreenshot(bool plugins, const std::string& work) {
  const std::string journal = work + "\\journal.txt";
  const std::string script = work + "\\first.txt";
  DeleteFileA(journal.c_str());
  DeleteFileA((work + "\\first.png").c_str());
  PROCESS_INFORMATION process{};
  const double start = now();
  if (!tovalux::bench::startEhost(gFolder, script, journal, work, plugins, &process)) return -1;
  double seen = -1;
  while (WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT)
    if (seen < 0 && fileHas(journal, "\"kind\":\"screenshot\"")) seen = now() - start;
  if (seen < 0 && fileHas(journal, "\"kind\":\"screenshot\"")) seen = now() - start;  // seen only at exit
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0 ? seen : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gFolder = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string work = std::string(temp) + "tovalux-bench-startup";
  CreateDirectoryA(work.c_str(), nullptr);
  if (FILE* file = std::fopen((work + "\\first.txt").c_str(), "wb")) {
    std::fputs("screenshot first\r\nclose\r\n", file);
    std::fclose(file);
  }
  std::vector<double> with, without;
  startToScreenshot(true, work);  // warm the file cache for both sides
  startToScreenshot(false, work);
  for (int i = 0; i < rounds; ++i) {
    const double a = startToScreenshot(false, work);
    const double b = startToScreenshot(true, work);
    if (a < 0 || b < 0) {
      std::printf("bench_startup: a run failed (without %.3f, with %.3f)\n", a, b);
      return 1;
    }
    without.push_back(a);
    with.push_back(b);
  }
  const double plain = median(without), plugged = median(with);
  std::printf("ehost start to first screenshot, %s, median of %d rounds\n", gFolder.c_str(), rounds);
  std::printf("  without the plug-in  %7.1f ms\n", plain * 1000);
  std::printf("  with the plug-in     %7.1f ms\n", plugged * 1000);
  std::printf("  ratio                %7.2f   (goal <= %.2f)\n", plugged / plain, kRatioGoal);
  std::printf("  added                %7.1f ms (goal <= %.0f)\n", (plugged - plain) * 1000, kAddedGoalMs);
  const std::string detail = tovalux::bench::format("%.1f vs %.1f ms", plugged * 1000, plain * 1000);
  tovalux::bench::report("startup_ratio", plugged / plain, "x", kRatioGoal, detail);
  tovalux::bench::report("startup_added_ms", (plugged - plain) * 1000, "ms", kAddedGoalMs, detail);
  return 0;
}
