// The command box's filter, one keystroke at a time: for each query below, every prefix of it
// (what the box has after each key) is matched and ranked against
//   1. every command of the menus and tool bars (with ten recent files), goal <= 1 ms a key;
//   2. 10,000 made-up names (Chinese characters of the GB2312 common set, Latin words, menu
//      markers), goal <= 8 ms a key.
// Beside it, the same keystrokes filtered by a plain byte substring of the names (what a box
// without pinyin would do), measured in the same run; the ratio is the price of pinyin.
//
//   bench_command_box [ROUNDS]     default 50 rounds; the median and the worst key are printed
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/command_list.h"
#include "commands/command_match.h"
#include "commands/command_search.h"
#include "commands/command_usage.h"

using namespace tovalux::commands;
using Clock = std::chrono::steady_clock;

namespace {

// GBK literals (the sources are compiled to GBK): the queries a user types, prefix by prefix.
const char* const kQueries[] = {"jtby", "bianyi", "yx", "dll", "windows", "编译", "jt编译", "szdd", "zhongxin", "q"};

struct Corpus {
  std::vector<std::string> names;
  std::vector<PreparedText> prepared;
  std::vector<uint32_t> scores;
  std::vector<std::string> lowered;  // for the substring baseline
};

std::string lowerAscii(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

Corpus corpusOf(std::vector<std::string> names, const std::vector<std::string>& usageKeys) {
  Corpus c;
  const std::vector<UsageEntry> usage = parseUsage("m701*3;t15*2;m600*9;m1006*1;x*1");
  c.names = std::move(names);
  for (size_t i = 0; i < c.names.size(); ++i) {
    c.prepared.push_back(prepareName(c.names[i]));
    c.scores.push_back(i < usageKeys.size() ? usageScore(usage, usageKeys[i]) : 0);
    c.lowered.push_back(lowerAscii(c.names[i]));
  }
  return c;
}

// Deterministic made-up names: 2 to 8 common characters (GB2312 level 1, 0xB0A1..0xD7F9), now
// and then a Latin word or an access-key marker.
std::vector<std::string> syntheticNames(size_t count) {
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  const char* const words[] = {"Windows", "DLL", "OCX", "Tovalux", "Ctrl", "Debug", "Build"};
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) {
    std::string name;
    const uint32_t length = 2 + next(7);
    for (uint32_t k = 0; k < length; ++k) {
      if (next(10) == 0) {
        name += words[next(std::size(words))];
        continue;
      }
      const uint32_t lead = 0xB0 + next(0xD7 - 0xB0 + 1);
      const uint32_t trail = 0xA1 + next(lead == 0xD7 ? 0xF9 - 0xA1 + 1 : 0xFE - 0xA1 + 1);
      name.push_back(static_cast<char>(lead));
      name.push_back(static_cast<char>(trail));
    }
    if (next(3) == 0) {
      name.push_back('(');
      name.push_back(static_cast<char>('A' + next(26)));
      name.push_back(')');
    }
    names.push_back(name);
  }
  return names;
}

template <class F>
double microseconds(F&& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

struct Figures {
  double median = 0;
  double worst = 0;
  size_t keys = 0;
  size_t matched = 0;  // rows the last round's keystrokes listed, summed
};

Figures summarize(std::vector<double> times, size_t matched) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back(), times.size(), matched};
}

// One measurement per keystroke: the median of `rounds` runs of that key's filter.
template <class Filter>
Figures perKeystroke(int rounds, Filter filter) {
  std::vector<double> times;
  size_t matched = 0;
  for (const char* query : kQueries) {
    const std::string full = query;
    // Each prefix that ends on a whole character: what the box holds after each key.
    for (size_t end = 0; end < full.size();) {
      end += static_cast<unsigned char>(full[end]) >= 0x81 ? 2 : 1;
      const std::string typed = full.substr(0, end);
      std::vector<double> runs;
      size_t rows = 0;
      for (int r = 0; r < rounds; ++r) runs.push_back(microseconds([&] { rows = filter(typed); }));
      std::sort(runs.begin(), runs.end());
      times.push_back(runs[runs.size() / 2]);
      matched += rows;
    }
  }
  return summarize(times, matched);
}

void report(const char* what, const Corpus& corpus, int rounds, double goalMs) {
  const Figures box = perKeystroke(rounds, [&](const std::string& typed) {
    return rankCommands(corpus.prepared, corpus.scores, prepareQuery(typed)).size();
  });
  const Figures plain = perKeystroke(rounds, [&](const std::string& typed) {
    const std::string needle = lowerAscii(typed);
    size_t rows = 0;
    for (const std::string& name : corpus.lowered) rows += name.find(needle) != std::string::npos;
    return rows;
  });
  std::printf("%s (%zu names, %zu keystrokes):\n", what, corpus.names.size(), box.keys);
  std::printf("  command box filter   median %8.1f us   worst %8.1f us   (goal <= %.0f ms: %s)\n", box.median,
              box.worst, goalMs, box.worst <= goalMs * 1000 ? "met" : "NOT met");
  std::printf("  byte substring       median %8.1f us   worst %8.1f us\n", plain.median, plain.worst);
  std::printf("  ratio (median)       %8.1f x        rows listed: %zu (box) / %zu (substring)\n",
              box.median / std::max(plain.median, 0.001), box.matched, plain.matched);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  std::vector<std::string> recent;
  for (int i = 0; i < 10; ++i) {
    std::string name = "项目";
    name += std::to_string(i);
    name += ".e";
    recent.push_back(name);
  }
  const std::vector<CommandEntry> list = buildCommandList(recent);
  std::vector<std::string> names, keys;
  for (const CommandEntry& e : list) {
    names.push_back(e.name);
    keys.push_back(e.usageKey);
  }
  double prepare = microseconds([&] { (void)corpusOf(names, keys); });
  report("every command", corpusOf(names, keys), rounds, 1);
  std::printf("  preparing the list when the box opens: %.1f us\n\n", prepare);
  const std::vector<std::string> synthetic = syntheticNames(10000);
  prepare = microseconds([&] { (void)corpusOf(synthetic, {}); });
  report("10,000 made-up names", corpusOf(synthetic, {}), std::max(1, rounds / 5), 8);
  std::printf("  preparing 10,000 names: %.1f ms\n", prepare / 1000);
  return 0;
}
