// JSON read and write speed, and the memory a read document holds, beside nlohmann-json and
// RapidJSON in the same run.
//
//   bench_json [FILE|DIR ...]     default: canada, citm_catalog and twitter from ../shared/benchdata/json
//
// Each UTF-8 document is converted to GBK for JsonDocument (characters GBK lacks become '?'); the
// other two read the UTF-8 original, their own encoding. Speeds are MB/s of the text each one
// reads or writes; ratios compare times on the same document (above 1: JsonDocument is faster).
// Memory is the heap peak while reading, above what was in use before, counted by wrapping malloc.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <sstream>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/text.h"
#include "json/json_document.h"
#include "bench_report.h"

// --- Heap accounting: every malloc of the process passes here. -----------------------------------

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
size_t gLive = 0;
size_t gPeak = 0;

void* counted(void* block) {
  if (block) {
    gLive += malloc_usable_size(block);
    gPeak = std::max(gPeak, gLive);
  }
  return block;
}
}  // namespace

extern "C" {
void* malloc(size_t size) { return counted(__libc_malloc(size)); }
void* calloc(size_t count, size_t size) { return counted(__libc_calloc(count, size)); }
void free(void* block) {
  if (block) gLive -= malloc_usable_size(block);
  __libc_free(block);
}
void* realloc(void* block, size_t size) {
  const size_t before = block ? malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved || size == 0) gLive -= before;
  return moved ? counted(moved) : nullptr;
}
void* memalign(size_t alignment, size_t size) { return counted(__libc_memalign(alignment, size)); }
void* aligned_alloc(size_t alignment, size_t size) { return counted(__libc_memalign(alignment, size)); }
int posix_memalign(void** out, size_t alignment, size_t size) {
  void* block = counted(__libc_memalign(alignment, size));
  if (!block) return 12;  // ENOMEM
  *out = block;
  return 0;
}
}

namespace {

using Clock = std::chrono::steady_clock;

// The best time of repeated runs, for at least `minimum` seconds and three runs.
double bestSeconds(const std::function<void()>& run, double minimum = 0.4) {
  double best = 1e30, total = 0;
  for (int runs = 0; runs < 3 || total < minimum; ++runs) {
    const auto start = Clock::now();
    run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
  }
  return best;
}

// The heap peak above what was live before, while `read` builds and holds a document.
template <class Read>
size_t peakBytes(Read read) {
  const size_t before = gLive;
  gPeak = gLive;
  {
    auto document = read();
    (void)document;
  }
  return gPeak - before;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

struct Figures {
  double readSeconds = 0, writeSeconds = 0;
  size_t readBytes = 0, writtenBytes = 0, peak = 0;
  double readMBs() const { return readBytes / readSeconds / 1e6; }
  double writeMBs() const { return writtenBytes / writeSeconds / 1e6; }
};

Figures benchTovalux(const std::string& gbk) {
  Figures f;
  f.readBytes = gbk.size();
  f.readSeconds = bestSeconds([&] {
    tovalux::JsonDocument doc;
    if (!doc.parse(gbk)) std::abort();
  });
  tovalux::JsonDocument doc;
  doc.parse(gbk);
  std::string out;
  f.writeSeconds = bestSeconds([&] { out = doc.toText(); });
  f.writtenBytes = out.size();
  tovalux::JsonDocument back;
  if (!back.parse(out) || !(back == doc)) {
    std::fprintf(stderr, "JsonDocument: written text does not read back as the same tree\n");
    std::exit(1);
  }
  f.peak = peakBytes([&] {
    auto d = std::make_unique<tovalux::JsonDocument>();
    d->parse(gbk);
    return d;
  });
  return f;
}

Figures benchNlohmann(const std::string& utf8) {
  Figures f;
  f.readBytes = utf8.size();
  f.readSeconds = bestSeconds([&] { auto j = nlohmann::json::parse(utf8); });
  const auto j = nlohmann::json::parse(utf8);
  std::string out;
  f.writeSeconds = bestSeconds([&] { out = j.dump(); });
  f.writtenBytes = out.size();
  f.peak = peakBytes([&] { return nlohmann::json::parse(utf8); });
  return f;
}

Figures benchRapid(const std::string& utf8) {
  Figures f;
  f.readBytes = utf8.size();
  f.readSeconds = bestSeconds([&] {
    rapidjson::Document d;
    d.Parse(utf8.data(), utf8.size());
    if (d.HasParseError()) std::abort();
  });
  rapidjson::Document d;
  d.Parse(utf8.data(), utf8.size());
  std::string out;
  f.writeSeconds = bestSeconds([&] {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    d.Accept(writer);
    out.assign(buffer.GetString(), buffer.GetSize());
  });
  f.writtenBytes = out.size();
  f.peak = peakBytes([&] {
    auto doc = std::make_unique<rapidjson::Document>();
    doc->Parse(utf8.data(), utf8.size());
    return doc;
  });
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
  if (arguments.empty()) arguments.push_back(std::filesystem::path(TOVALUX_SOURCE_DIR) / "../shared/benchdata/json");
  for (const auto& argument : arguments) {
    if (std::filesystem::is_directory(argument)) {
      for (const auto& entry : std::filesystem::directory_iterator(argument))
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    } else if (std::filesystem::exists(argument)) {
      files.push_back(argument);
    } else {
      std::fprintf(stderr, "bench_json: %s: no such file or folder\n", argument.c_str());
      return 1;
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "bench_json: no .json documents\n");
    return 1;
  }

  std::printf("JSON read (text to tree) and write (tree to compact text); MB/s of the text each reads or writes.\n");
  std::printf("ratio = other's time / JsonDocument's time on the same document (above 1: JsonDocument faster)\n\n");
  std::printf("%-18s %9s %5s | %10s %10s %10s | %9s %9s\n", "document", "KB", "", "JsonDoc", "nlohmann", "RapidJSON",
              "vs nlohm", "vs Rapid");
  struct Row {
    std::string name;
    Figures ours, nlohmann, rapid;
  };
  std::vector<Row> rows;
  for (const auto& file : files) {
    const std::string utf8 = readFile(file);
    const std::string gbk = tovalux::utf16ToGbk(tovalux::utf8ToUtf16(utf8));
    Row row{file.filename().string(), benchTovalux(gbk), benchNlohmann(utf8), benchRapid(utf8)};
    std::printf("%-18s %9zu %5s | %10.1f %10.1f %10.1f | %9.2f %9.2f\n", row.name.c_str(), gbk.size() / 1024, "read",
                row.ours.readMBs(), row.nlohmann.readMBs(), row.rapid.readMBs(),
                row.nlohmann.readSeconds / row.ours.readSeconds, row.rapid.readSeconds / row.ours.readSeconds);
    std::printf("%-18s %9zu %5s | %10.1f %10.1f %10.1f | %9.2f %9.2f\n", "", utf8.size() / 1024, "write",
                row.ours.writeMBs(), row.nlohmann.writeMBs(), row.rapid.writeMBs(),
                row.nlohmann.writeSeconds / row.ours.writeSeconds, row.rapid.writeSeconds / row.ours.writeSeconds);
    std::fflush(stdout);
    rows.push_back(row);
  }
  std::printf("\n(KB column: GBK size on the read line, UTF-8 size on the write line)\n\n");
  // Every document together: the bytes over the time.
  double readBytes = 0, readSeconds = 0, writtenBytes = 0, writeSeconds = 0, nlohmannRead = 0;
  for (const Row& row : rows) {
    readBytes += row.ours.readBytes;
    readSeconds += row.ours.readSeconds;
    writtenBytes += row.ours.writtenBytes;
    writeSeconds += row.ours.writeSeconds;
    nlohmannRead += row.nlohmann.readSeconds;
  }
  tovalux::bench::reportFigure("json_read_mbs", readBytes / readSeconds / 1e6, "MB/s",
                               tovalux::bench::format("%zu documents, %.0f KB; nlohmann %.2fx slower", rows.size(),
                                                      readBytes / 1024, nlohmannRead / readSeconds));
  tovalux::bench::reportFigure("json_write_mbs", writtenBytes / writeSeconds / 1e6, "MB/s",
                               tovalux::bench::format("%zu documents, %.0f KB", rows.size(), writtenBytes / 1024));
  std::printf("Peak heap while reading and holding the document, KB (and times the text's size):\n");
  std::printf("%-18s | %16s %16s %16s\n", "document", "JsonDoc", "nlohmann", "RapidJSON");
  for (const Row& row : rows) {
    auto cell = [](const Figures& f) {
      static char text[4][32];
      static int next = 0;
      char* out = text[next++ % 4];
      std::snprintf(out, 32, "%9zu (%4.1fx)", f.peak / 1024, double(f.peak) / f.readBytes);
      return out;
    };
    std::printf("%-18s | %16s %16s %16s\n", row.name.c_str(), cell(row.ours), cell(row.nlohmann), cell(row.rapid));
  }
  return 0;
}
