// One machine-readable line per headline figure, printed beside a benchmark's own output:
//
//   BENCH {"id":"tree_inserts_10k","value":2.42,"unit":"x","goal":1.3,"cmp":"<=","detail":"64.1 vs 26.5 ms"}
//
// scripts/bench_table.py reads these lines from a run's output and makes the table `./dev bench`
// ends with. A figure with no goal is reported with reportFigure; a value that is not a number
// (a division by a zero baseline, a part that failed) is written as null, which the table shows
// as not measured.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace tovalux::bench {

namespace detail {

inline std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

inline std::string jsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// `rule` is "cmp" (against the goal) or "better" (a figure without one).
inline void line(const char* id, double value, const char* unit, const char* goal, const char* rule, const char* cmp,
                 const std::string& detail) {
  std::printf("BENCH {\"id\":%s,\"value\":%s,\"unit\":%s,\"goal\":%s,\"%s\":%s,\"detail\":%s}\n", jsonText(id).c_str(),
              jsonNumber(value).c_str(), jsonText(unit).c_str(), goal, rule, jsonText(cmp).c_str(),
              jsonText(detail).c_str());
  std::fflush(stdout);
}

}  // namespace detail

// printf-style text for a line's detail.
inline std::string format(const char* pattern, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, pattern);
  std::vsnprintf(text, sizeof text, pattern, arguments);
  va_end(arguments);
  return text;
}

// A figure with its goal: met when value <= goal (cmp "<=") or value >= goal (cmp ">=").
inline void report(const char* id, double value, const char* unit, double goal, const std::string& detail,
                   const char* cmp = "<=") {
  detail::line(id, value, unit, detail::jsonNumber(goal).c_str(), "cmp", cmp, detail);
}

// A figure without a goal (a component's speed); `better` is "higher" or "lower", for comparing runs.
inline void reportFigure(const char* id, double value, const char* unit, const std::string& detail,
                         const char* better = "higher") {
  detail::line(id, value, unit, "null", "better", better, detail);
}

}  // namespace tovalux::bench
