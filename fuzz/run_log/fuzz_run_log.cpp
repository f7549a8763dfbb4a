// The debugging run's texts from outside: the build output the host prints, the command lines it
// launches, the page titles it shows, and the bounds on what the log panes keep. None may read
// past its text; a pane never keeps more than its bound; lines handed over are never more than
// the queue's capacity, and the dropped ones are counted exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk_scan.h"
#include "debugging/log_bounds.h"
#include "debugging/run_log_rules.h"

using namespace tovalux;
using namespace tovalux::debuglog;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_run_log: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const OutputLine line = classifyOutput(text);
  if (line.style == OutputStyle::kDefault) require(line.text == text, "an unmarked line changed");
  const std::string name = programName(text);
  require(name.size() <= text.size(), "a program name longer than its command line");
  (void)startsDebuggingRun(true, 1, kDebugOnlyThisProcess, name);
  (void)designerPageTitle(text);

  // The input in pieces: each byte < 16 ends a piece.
  BoundedText pane(256, 192);
  PendingLines waiting(8);
  size_t pushed = 0, kept = 0;
  size_t shownTotal = 0;
  size_t start = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && static_cast<unsigned char>(text[i]) >= 16) continue;
    const std::string_view piece = text.substr(start, i - start);
    // One unit a byte here: what goes must be exactly what was taken in before.
    const std::string_view shown = pane.fit(piece);
    require(shown.size() <= 192 && piece.substr(piece.size() - shown.size()) == shown, "the shown part is not an end");
    const size_t dropped = pane.append(shown.size(), shown.size());
    require(dropped <= shownTotal, "more went than the pane held");
    shownTotal += shown.size();
    shownTotal -= dropped;
    require(pane.bytes() <= 256 || pane.texts() == 1, "the pane keeps more than its bound");
    require(shownTotal == pane.bytes(), "the pane's size is miscounted");
    const std::string_view end = keptEnd(piece, 40);
    require(end.size() <= 40 && piece.substr(piece.size() - end.size()) == end, "the kept end is not an end");
    ++pushed;
    kept += waiting.push(std::string(piece)) ? 1 : 0;
    if (i % 7 == 0) {
      const std::vector<std::string> taken = waiting.take();
      require(taken.size() <= 9, "more lines waited than the queue holds");
      if (kept < pushed) require(taken.back() == droppedLine(pushed - kept), "dropped lines miscounted");
      pushed = kept = 0;
    }
    start = i + 1;
  }
  return 0;
}
