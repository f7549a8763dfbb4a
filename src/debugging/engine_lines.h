// The two engines as line decoders of the walk (disassembly_rules.h). Each calls the engine's
// published export through the function it is given (the DLL's, or the engine library itself
// in tests) and turns its record into the line's columns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "debugging/disassembly_rules.h"
#include "tovalux/x86/bea.h"
#include "tovalux/x86/olly.h"

namespace tovalux::disasm {

// OllyDbg's Disasm in full-disassembly mode (4): source bytes, source size, source address.
using OllyDisasm = std::function<uint32_t(const uint8_t* source, uint32_t size, uint32_t ip, olly::TDisasm* record)>;
// BeaEngine's Disasm on a record whose bytes are at `code` (EIP is set from it by the caller
// that knows pointers are 32 bits).
using BeaDisasm = std::function<int32_t(bea::Disasm32& record, const uint8_t* code)>;

class OllyLines : public LineDecoder {
 public:
  explicit OllyLines(OllyDisasm disasm) : disasm_(std::move(disasm)) {}
  // The engine sees at most one longest instruction, and never more than was read; a command
  // that crosses the end of what was read (DAE_CROSS) ends the walk.
  int32_t decode(const uint8_t* bytes, uint32_t available, uint32_t address, std::string& dump,
                 std::string& instruction) override;

 private:
  OllyDisasm disasm_;
  olly::TDisasm record_{};
};

class BeaLines : public LineDecoder {
 public:
  BeaLines(BeaDisasm disasm, int32_t syntax) : disasm_(std::move(disasm)), options_(beaOptions(syntax)) {}
  // SecurityBlock is what was read; the engine's -1 (unknown opcode) and 0 (out of block) end
  // the walk. The machine code column is made from the instruction's bytes.
  int32_t decode(const uint8_t* bytes, uint32_t available, uint32_t address, std::string& dump,
                 std::string& instruction) override;

 private:
  BeaDisasm disasm_;
  uint64_t options_;
  bea::Disasm32 record_{};
};

}  // namespace tovalux::disasm
