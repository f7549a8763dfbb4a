// Message 89963's block as any process may send it: the length check, then the text split into
// the pane's rows. Rows never exceed the cap; what lies beyond it is counted exactly; every row is
// trimmed and its instruction lower-cased; the bar that splits a row is never a GBK trail byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk_scan.h"
#include "debugging/disassembly_rules.h"
#include "hooks/host/hook_rules.h"

using namespace tovalux;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_disasm_block: %s\n", what);
    std::abort();
  }
}

bool blankAtEdge(const std::string& text) { return !text.empty() && (text.front() == ' ' || text.back() == ' '); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view block(reinterpret_cast<const char*>(data), size);
  // The receiver's rule, at the real cap and at one the fuzzer can reach.
  // 4 MiB: the cap the sender and the receiver share (shell/host_mirrors.h).
  for (uint32_t cap : {uint32_t(4u << 20), uint32_t(64)}) {
    const bool accepted = hostrules::blockLengthAccepted(int64_t(size), cap);
    require(accepted == (size >= 4 && size <= cap), "the block length rule is wrong");
  }
  if (size < disasm::kBlockHeaderBytes) return 0;
  const std::string_view text = block.substr(disasm::kBlockHeaderBytes);
  const std::vector<disasm::Row> all = disasm::rows(text);
  for (size_t cap : {size_t(0), size_t(1), size_t(7), disasm::kMaxShownRows}) {
    const disasm::ShownRows shown = disasm::shownRows(text, cap);
    require(shown.rows.size() <= cap, "more rows than the cap");
    require(shown.rows.size() + shown.leftOut == all.size(), "rows left out are miscounted");
    for (size_t i = 0; i < shown.rows.size(); ++i) {
      const disasm::Row& row = shown.rows[i];
      require(row.address == all[i].address && row.instruction == all[i].instruction, "the capped rows differ");
      require(!blankAtEdge(row.address) && !blankAtEdge(row.code) && !blankAtEdge(row.instruction),
              "a cell keeps a blank at its edge");
      // A capital may be the trail byte of a two-byte character; a letter of its own never is one.
      for (size_t at = 0; at < row.instruction.size(); at += gbkCharLength(row.instruction, at))
        if (gbkCharLength(row.instruction, at) == 1)
          require(!(row.instruction[at] >= 'A' && row.instruction[at] <= 'Z'), "an instruction keeps a capital");
    }
  }
  if (!all.empty()) require(!disasm::leftOutRowText(all.size()).empty(), "no text for the left-out rows");
  return 0;
}
