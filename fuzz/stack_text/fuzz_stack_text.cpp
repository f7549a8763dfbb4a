// The stack and variables panes' texts from the host's trees: a stack row's handle text and the
// joined variable text. A handle reads back from its own text; a variable row read from a joined
// text joins and reads back to the same row; the host's GBK texts never split inside a character.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk.h"
#include "panes/stack_pane_rules.h"
#include "panes/variables_reader_rules.h"

using namespace tovalux;
using namespace tovalux::panes;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_stack_text: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = gbkToUtf16(bytes);
  if (const auto handle = stackRowHandle(wide)) {
    require(*handle != 0, "handle 0 read from a row");
    require(stackRowHandle(stackRowHandleText(*handle)) == handle, "a handle does not read back from its text");
  }
  if (const auto row = variableRow(wide)) {
    // The reader hands over name, value and description; a row read back from its own parts
    // keeps its name.
    const auto again = variableRow(joinVariable(row->name, row->value, row->type));
    require(again.has_value(), "a row's own parts do not make a row");
    require(again->name == row->name, "a row's name changes when joined again");
  }
  // The GBK input split in three as the reader reads the host's texts.
  const size_t a = size / 3, b = 2 * size / 3;
  (void)variableRowFromHost(bytes.substr(0, a), bytes.substr(a, b - a), bytes.substr(b));
  (void)isVariableCategory(wide);
  (void)isUnsupportedValueText(wide);
  const std::u16string_view trimmed = trimBlanks(wide);
  require(trimmed.size() <= wide.size(), "trimming grew the text");
  return 0;
}
