// The decoder's view in binutils' Intel notation, for comparing with objdump's output.
// Only the oracle uses it: prefixes are left out and compared separately.
#pragma once

#include <string>

#include "tovalux/x86/decoder.h"

namespace tovalux::x86 {

std::string objdumpStyle(const Instruction& ins);

// objdump's text brought to the same shape: prefix words and segment names dropped, blanks
// collapsed. "(bad)" stays as it is.
std::string normaliseObjdump(const std::string& text);

}  // namespace tovalux::x86
