// What the debugging aids cost, under Wine, each figure beside its peer measured in the same run:
//
//   debug events  e-sample under the stand-in's debugger thread with 2,000 handled exceptions,
//                 and separately 2,000 output-debug-string lines: the run with the plug-in
//                 (its hooks on the debugger thread, the log and the build output filled on the
//                 UI thread) against the same run in the stand-in alone (its dock bars hidden, as
//                 the shell hides them); the log and the build output are checked complete and
//                 in order
//   disassembly   a 64 KB range per engine, decoded in e-sample, delivered and shown (the
//                 command's own time, which includes the IDE showing the block); and
//                 showDisassembly of that text against filling the same rows into the list
//                 directly, each until the list holds every row and has been painted (the pane
//                 fills a big block in slices on later turns of the message loop)
//
//   bench_debugging [ROUNDS] [events|show|deliver]      default 3 rounds, every part
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "debugging/debug_output.h"
#include "debugging/debug_run.h"
#include "debugging/disassembly_pane.h"
#include "debugging/disassembly_rules.h"
#include "debugging/engine_lines.h"
#include "host/ui_jobs.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"
#include "shell/shell.h"
#include "standin_host.h"
#include "toolkit/xcgui_views.h"
#include "bench_support.h"

namespace {

using tovalux::bench::format;
using tovalux::bench::median;
using tovalux::bench::now;
using tovalux::bench::pump;
using tovalux::bench::report;

using standin::Host;

constexpr double kEventsGoal = 1.2;  // a run with the plug-in / the stand-in alone
constexpr double kShowGoal = 1.1;    // showDisassembly / the direct fill

// Serves messages until `done` holds or `seconds` pass; false on the timeout.
bool pumpUntil(const std::function<bool()>& done, double seconds = 120) {
  const double start = now();
  while (!done()) {
    if (now() - start > seconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    pump();
  }
  return true;
}

size_t countOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
  return count;
}

// The stand-in's main window with the plug-in started in it, or alone.
void openHost(Host& host, bool plugin) {
  tovalux::resetLifecycleForTests();
  tovalux::tearDownDebugRun();
  host.reset();
  host.setDirectory(TOVALUX_HOST_DIR_WINE);
  if (plugin) host.addLibrary(&GetNewInf, "in-process");
  host.runAction("mode quiet-traffic 1");
  host.createWindows();
  host.show(SW_SHOWNORMAL);
  if (plugin) {
    host.notifyStart();
  } else {
    // As the shell does: the host's dock bars hidden, so its own output box costs the same in
    // both runs (painting a visible one dwarfs everything else).
    const standin::WindowTree& t = host.tree();
    for (HWND bar : {t.topDockBar, t.leftDockBar, t.bottomDockBar, t.rightDockBar}) ShowWindow(bar, SW_HIDE);
  }
  pump();
}

void closeHost(Host& host) {
  if (!host.libraries().empty()) host.notifyAll(6);
  host.destroyWindows();
  pump();
}

// One debugging run of e-sample; seconds from the launch until the run ended and the UI thread
// has handled everything it was handed. Negative when the run did not end.
double debugRun(Host& host, const std::string& script) {
  host.runAction("debuggee-script \"" + script + "\"");
  const size_t since = host.journal().size();
  const double start = now();
  if (!host.runAction("debug-run").ok) return -1;
  const auto ended = [&] {
    const auto entries = host.journal().entriesFrom(since);
    return std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.kind == "debug-ended"; });
  };
  if (!pumpUntil([&] { return ended() && tovalux::pendingUiJobs() == 0; })) return -1;
  return now() - start;
}

struct EventFigures {
  std::vector<double> with, without;
  bool complete = true;
};

void benchEvents(Host& host, int rounds, const std::string& script, const char* id, const std::string& what,
                 const std::function<bool()>& checkWith) {
  EventFigures f;
  for (int r = 0; r < rounds; ++r) {
    openHost(host, false);
    f.without.push_back(debugRun(host, script));
    closeHost(host);
    openHost(host, true);
    f.with.push_back(debugRun(host, script));
    f.complete = f.complete && checkWith();
    closeHost(host);
  }
  const double withMs = median(f.with) * 1000, withoutMs = median(f.without) * 1000;
  // A run that did not end counts as not measured.
  const bool ended = std::none_of(f.with.begin(), f.with.end(), [](double t) { return t < 0; }) &&
                     std::none_of(f.without.begin(), f.without.end(), [](double t) { return t < 0; });
  std::printf("%-34s with the plug-in %8.1f ms, stand-in alone %8.1f ms, ratio %.2f (goal <= %.2f); %s%s\n",
              what.c_str(), withMs, withoutMs, withMs / withoutMs, kEventsGoal,
              f.complete ? "complete and in order" : "INCOMPLETE OR OUT OF ORDER", ended ? "" : "; A RUN DID NOT END");
  report(id, ended && f.complete ? withMs / withoutMs : NAN, "x", kEventsGoal,
         format("%.1f vs %.1f ms%s", withMs, withoutMs, f.complete ? "" : ", incomplete"));
}

// 64 KB of plain code in the sample's pattern, as lines of the OllyDbg engine.
std::string sampleText() {
  static const uint8_t kPattern[] = {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0x8B, 0x45, 0x08, 0x89,
                                     0x45, 0xFC, 0xC7, 0x45, 0xF8, 0x00, 0x00, 0x00, 0x00, 0xE8,
                                     0x00, 0x00, 0x00, 0x00, 0x8B, 0xE5, 0x5D, 0xC3};
  class Memory : public tovalux::disasm::CodeMemory {
   public:
    uint32_t read(uint32_t address, uint8_t* out, uint32_t count) override {
      uint32_t n = 0;
      for (; n < count && address + n < 0x400000 + 65536; ++n)
        out[n] = kPattern[(address + n - 0x400000) % sizeof kPattern];
      return n;
    }
  } memory;
  tovalux::disasm::OllyLines olly([](const uint8_t* source, uint32_t size, uint32_t ip, tovalux::olly::TDisasm* rec) {
    return tovalux::olly::disasm(source, size, ip, rec, tovalux::olly::kCode,
                                 tovalux::olly::Options{false, false, false, true});
  });
  return tovalux::disasm::walk(memory, olly, {0x400000, 0x400000 + 65536}, 4u << 20).text;
}

XString toX(const std::string& gbk) {
  const std::u16string wide = tovalux::gbkToUtf16(gbk);
  return XString(wide.begin(), wide.end());
}

// Seconds from `fill` until `list` holds `rows` rows (served messages in between, as a fill in
// slices needs) and the paint that follows has been served; negative when the rows never came.
double untilFilled(HELE list, int rows, const std::function<void()>& fill) {
  const double start = now();
  fill();
  if (!pumpUntil([&] { return XList_GetCount(list) == rows && !tovalux::disassemblyFilling(); }, 60)) return -1;
  pump();
  return now() - start;
}

void benchShowDisassembly(Host& host, int rounds) {
  openHost(host, true);
  const HELE list = tovalux::disassemblyList();
  if (!list) {
    std::printf("showDisassembly: no disassembly list\n");
    closeHost(host);
    return;
  }
  const std::string text = sampleText();
  const auto rows = tovalux::disasm::rows(text);
  // What the pane shows of the text: its rows (at most the cap), then one saying how many were left out.
  const tovalux::disasm::ShownRows shownRows = tovalux::disasm::shownRows(text);
  const int expected = static_cast<int>(shownRows.rows.size()) + (shownRows.leftOut > 0 ? 1 : 0);
  // The same rows, already split and converted, for the direct fill.
  std::vector<std::array<XString, 3>> cells;
  for (const auto& row : rows) cells.push_back({toX(row.address), toX(row.code), toX(row.instruction)});
  std::vector<double> shown, direct;
  bool complete = true;
  for (int r = 0; r < rounds; ++r) {
    const double shownSeconds = untilFilled(list, expected, [&] { tovalux::showDisassembly(text); });
    const double directSeconds = untilFilled(list, static_cast<int>(cells.size()), [&] {
      XList_DeleteItemAll(list);
      XList_RefreshData(list);
      for (const auto& cell : cells) {
        const int index = XList_AddItemText(list, cell[0].c_str());
        XList_SetItemText(list, index, 1, cell[1].c_str());
        XList_SetItemText(list, index, 2, cell[2].c_str());
        for (int c = 0; c < 3; ++c) XList_SetItemData(list, index, c, c == 2 ? 0x262525 : 0x302D2D);
      }
      XList_RefreshData(list);
      XEle_RedrawEle(list, false);
    });
    complete = complete && shownSeconds >= 0 && directSeconds >= 0;
    shown.push_back(shownSeconds);
    direct.push_back(directSeconds);
  }
  const double shownMs = median(shown) * 1000, directMs = median(direct) * 1000;
  const auto counters = tovalux::disassemblyPaneCounters();
  std::printf("showDisassembly, 64 KB (%zu rows)     %8.1f ms, direct fill %8.1f ms, ratio %.2f (goal <= %.2f)%s\n",
              rows.size(), shownMs, directMs, shownMs / directMs, kShowGoal,
              complete ? "" : "; THE LIST NEVER HELD EVERY ROW");
  std::printf("  each until the last row is in and painted; %u slices for %u blocks\n", counters.slices,
              counters.blocksShown);
  report("show_disassembly_64k", complete ? shownMs / directMs : NAN, "x", kShowGoal,
         format("%zu rows, %.1f vs %.1f ms", rows.size(), shownMs, directMs));
  closeHost(host);
}

void benchDelivery(Host& host) {
  openHost(host, true);
  host.runAction("mode quiet-traffic 0");
  const size_t since = host.journal().size();
  debugRun(host, "load;buffer 65536 sample;olly buf 65536;bea 0 buf 65536;exit 0");
  std::vector<std::string> reports;
  for (const auto& entry : host.journal().entriesFrom(since))
    if (entry.kind == "debug-string" && entry.get("text")->find(" returned ms=") != std::string::npos)
      reports.push_back(*entry.get("text"));
  const HELE list = tovalux::disassemblyList();
  std::printf("64 KB decode + deliver + show      %s / %s; the pane holds %d rows\n",
              reports.size() > 0 ? reports[0].c_str() : "-", reports.size() > 1 ? reports[1].c_str() : "-",
              list ? XList_GetCount(list) : -1);
  closeHost(host);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string only = argc > 2 ? argv[2] : "";
  const auto part = [&](const char* name) { return only.empty() || only == name; };
  SetCurrentDirectoryA(TOVALUX_HOST_DIR_WINE);
  Host& host = Host::instance();
  host.setQuitOnClose(false);

  if (part("events"))
    benchEvents(host, rounds, "load;raise 0xE06D7363 2000;exit 0", "exceptions_2000", "2,000 handled exceptions", [] {
      const std::string log = tovalux::editText(tovalux::debugLogEdit());
      return countOf(log, "未记录的错误代码:-529697949") == 2000 && log.find("开始调试") < log.find("未记录") &&
             log.rfind("停止调试") > log.rfind("未记录");
    });
  if (part("events"))
    benchEvents(host, rounds, "ods \\\"调试输出 %n\\\" 2000;exit 0", "debug_strings_2000",
                "2,000 output-debug-string lines", [] {
                  const std::string output = tovalux::editText(tovalux::buildOutputEdit());
                  size_t at = 0;
                  for (int i = 1; i <= 2000; ++i) {
                    at = output.find("调试输出 " + std::to_string(i) + "\r\n", at);
                    if (at == std::string::npos) return false;
                  }
                  return true;
                });
  if (part("show")) benchShowDisassembly(host, rounds);
  if (part("deliver")) benchDelivery(host);
  return 0;
}
