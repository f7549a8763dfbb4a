// What the module manager and the toolbox cost, each figure against a baseline measured in the
// same run:
//  - a 200-component group fill with icon.json read once for the fill, against once per insert;
//  - a reload of 1,000 modules with their digests, against a plain read of the same bytes;
//  - an atomic save of a 1,000-entry list, against writing the file in place made as durable
//    (flushed), and against the plain in-place write.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <string>
#include <vector>

#include "panes/module_manager_file.h"
#include "panes/module_manager_rules.h"
#include "panes/toolbox_rules.h"
#include "bench_report.h"

using namespace tovalux;

namespace {

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <typename Body>
double bestOf(int runs, Body body) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double start = now();
    body();
    best = std::min(best, now() - start);
  }
  return best;
}

// The best of `runs` timings of each, taken in turn, so that a busy moment of the machine falls on
// both sides alike.
template <typename Measured, typename Baseline>
std::pair<double, double> bestOfInTurn(int runs, Measured measured, Baseline baseline) {
  double best[2] = {1e300, 1e300};
  for (int i = 0; i < runs; ++i) {
    double start = now();
    measured();
    best[0] = std::min(best[0], now() - start);
    start = now();
    baseline();
    best[1] = std::min(best[1], now() - start);
  }
  return {best[0], best[1]};
}

// `id`: the figure's line for the table `./dev bench` ends with, or null for none.
void report(const char* what, double measured, double baseline, double goal, const char* id = nullptr) {
  const double ratio = baseline > 0 ? measured / baseline : 0;
  std::printf("%-58s %9.3f ms  baseline %9.3f ms  ratio %.3f (goal <= %.2f) %s\n", what, measured, baseline, ratio,
              goal, ratio <= goal ? "ok" : "OVER");
  if (id)
    bench::report(id, baseline > 0 ? ratio : NAN, "x", goal,
                  bench::format("%.3f vs %.3f ms, best of runs in turn", measured, baseline));
}

bool writePlain(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) != 0;
  CloseHandle(file);
  return ok;
}

}  // namespace

int main() {
  const std::string host = TOVALUX_HOST_DIR_WINE;
  const std::string iconFile = host + "\\lib\\Tovalux\\Control\\icon.json";
  std::vector<std::string> components;
  for (int i = 0; i < 200; ++i) components.push_back(i % 4 == 0 ? "Button" : "组件" + std::to_string(i));

  // 1. The group fill's icon lookups.
  size_t found = 0;
  const double perFill = bestOf(5, [&] {
    toolbox::IconIndex icons;
    const modules::FileBytes file = modules::readFileBytes(iconFile);
    icons.load(file.bytes);
    for (const std::string& name : components) found += !icons.iconFor(name).empty();
  });
  const double perInsert = bestOf(5, [&] {
    for (const std::string& name : components) {
      toolbox::IconIndex icons;
      const modules::FileBytes file = modules::readFileBytes(iconFile);
      icons.load(file.bytes);
      found += !icons.iconFor(name).empty();
    }
  });
  report("200-component fill, icon.json once per fill vs per insert", perFill, perInsert, 0.1);

  // 2. Reload of 1,000 modules with digests against a plain read of the same files.
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "tovalux-bench-modules";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string list = "{\"常用\":[";
  std::vector<std::string> paths;
  for (int i = 0; i < 1000; ++i) {
    const std::string path = folder + "\\m" + std::to_string(i) + ".ec";
    writePlain(path, std::string(16 * 1024, static_cast<char>('a' + i % 26)) + std::to_string(i));
    paths.push_back(path);
    std::string escaped;
    for (char c : path) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    list += (i ? ",\"" : "\"") + escaped + "\"";
  }
  list += "]}";
  const std::string listPath = folder + "\\EcManager.json";
  writePlain(listPath, list);
  size_t digests = 0;
  auto reloadOnce = [&] {
    const modules::ModuleList read = modules::readModuleList(modules::readFileBytes(listPath));
    modules::DigestRegistry registry;
    int item = 0;
    for (const modules::FolderEntry& entry : modules::folders(read.document))
      for (const std::string& path : entry.modules)
        if (const std::string digest = modules::fileDigest(path); !digest.empty())
          registry.add(++item, digest, entry.name);
    digests = registry.size();
  };
  size_t bytes = 0;
  auto plainReadOnce = [&] {
    bytes = modules::readFileBytes(listPath).bytes.size();
    for (const std::string& path : paths) bytes += modules::readFileBytes(path).bytes.size();
  };
  const auto [reload, plainRead] = bestOfInTurn(5, reloadOnce, plainReadOnce);
  report("reload of 1,000 modules with digests vs plain read", reload, plainRead, 1.1, "module_reload_1000");

  // 3. Saving a 1,000-entry list: against the in-place write made as durable (flushed), the
  // figure with a goal, and against the plain in-place write, for scale.
  const std::string savePath = folder + "\\save.json";
  const auto writeFlushed = [&] {
    HANDLE file =
        CreateFileA(savePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD wrote = 0;
    WriteFile(file, list.data(), static_cast<DWORD>(list.size()), &wrote, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
  };
  const auto [atomic, inPlaceFlushed] = bestOfInTurn(
      15, [&] { modules::saveFileAtomically(savePath, list); }, writeFlushed);
  report("atomic save of a 1,000-entry list vs flushed in-place write", atomic, inPlaceFlushed, 1.5, "atomic_save");
  const auto [atomicAgain, inPlace] = bestOfInTurn(
      15, [&] { modules::saveFileAtomically(savePath, list); }, [&] { writePlain(savePath, list); });
  std::printf("  (against the in-place write without a flush: %.3f ms vs %.3f ms, ratio %.3f)\n", atomicAgain, inPlace,
              inPlace > 0 ? atomicAgain / inPlace : 0.0);

  std::printf("(%zu icons found, %zu digests, %zu bytes read)\n", found, digests, bytes);
  for (const std::string& path : paths) DeleteFileA(path.c_str());
  DeleteFileA(listPath.c_str());
  DeleteFileA(savePath.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
