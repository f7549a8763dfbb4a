// The disassembly text, free of Win32: how the commands walk a range of the calling program's
// memory, what each line looks like, how the text is cut to the block the IDE takes, and how
// the disassembly pane splits a received text into rows.
//
// The walk never trusts the range: the end is computed in 64 bits (an address near the top of
// the address space plus a length cannot wrap), every instruction is decoded from bytes that
// were copied out of readable memory, and an engine is never told more bytes exist than were
// copied. An instruction that does not lie wholly in readable memory ends the walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::disasm {

// --- the commands' arguments ------------------------------------------------------------------

// Where a command decodes: [address, end) with end = min(address + length, 4 GB) in 64 bits.
struct Range {
  uint32_t address = 0;
  uint64_t end = 0;
};
// Address or length below 1: nothing to do.
bool rangeFromArguments(int32_t address, int32_t length, Range& range);

// BeaEngine's syntax argument: 0 MASM, 256 GoAsm, 512 NASM, 1024 AT&T; anything else is NASM.
int32_t beaSyntax(int32_t argument);
// The record's Options: the syntax plus tabulation (0x1) and prefixed numerals (0x10000).
uint64_t beaOptions(int32_t syntax);

// --- lines -------------------------------------------------------------------------------------

inline constexpr size_t kDumpWidth = 24;
inline constexpr size_t kMaxInstructionBytes = 16;

// Upper-case hexadecimal without leading zeros or prefix.
std::string addressText(uint32_t address);
// BeaEngine's machine-code column: every byte in upper-case hex without a leading zero, the
// bytes separated by one blank ("5 0 10 40 0").
std::string byteDump(const uint8_t* bytes, size_t count);
// address + " | " + the dump padded with blanks or cut to 24 characters + " | " + instruction.
std::string line(uint32_t address, std::string_view dump, std::string_view instruction);

// The text of a block that holds at most `capBytes` bytes of text: lines joined by CR LF, none
// after the last. A line that would not fit whole is left out, and so is everything after it.
class BlockText {
 public:
  explicit BlockText(size_t capBytes) : cap_(capBytes) {}
  // False (and nothing added) when the line would not fit.
  bool add(std::string_view line);
  const std::string& text() const { return text_; }
  std::string take() { return std::move(text_); }
  size_t lines() const { return lines_; }

 private:
  size_t cap_;
  std::string text_;
  size_t lines_ = 0;
};

// --- the walk ----------------------------------------------------------------------------------

// The calling program's memory, as far as it can be read.
class CodeMemory {
 public:
  virtual ~CodeMemory() = default;
  // Copies up to `count` bytes starting at `address` into `out`, stopping at the first byte
  // that cannot be read; answers how many were copied (0: `address` is not readable).
  virtual uint32_t read(uint32_t address, uint8_t* out, uint32_t count) = 0;
};

// One engine.
class LineDecoder {
 public:
  virtual ~LineDecoder() = default;
  // Decodes the instruction at `bytes` (`available` bytes readable there, at least 1), which
  // lies at `address` in the program. Answers its length and fills the dump and instruction
  // columns; below 1 ends the walk (an engine that gives up, or an instruction that does not
  // fit in `available`).
  virtual int32_t decode(const uint8_t* bytes, uint32_t available, uint32_t address, std::string& dump,
                         std::string& instruction) = 0;
};

struct WalkResult {
  std::string text;
  size_t instructions = 0;
  bool truncated = false;  // the cap ended the walk before the range did
};

// Decodes from range.address while the next instruction starts below range.end (a length that
// ends inside an instruction still decodes it whole), one line each, into at most `capBytes`.
WalkResult walk(CodeMemory& memory, LineDecoder& decoder, const Range& range, size_t capBytes);

// --- the block on the wire -----------------------------------------------------------------------

// The block is the sender's process id (4 bytes, little-endian) followed by the text.
inline constexpr size_t kBlockHeaderBytes = 4;
std::string block(uint32_t processId, std::string_view text);

// --- the disassembly pane ------------------------------------------------------------------------

struct Row {
  std::string address;
  std::string code;
  std::string instruction;  // lower-cased (ASCII letters only)
};
// The text split at every CR LF; each piece that splits at "|" into exactly three parts becomes
// a row, its parts trimmed of blanks (ASCII and full-width) at both ends.
std::vector<Row> rows(std::string_view text);

// The pane shows at most this many rows of a block (a block at the cap holds about 150,000): more
// would take seconds to add and tens of megabytes in a 32-bit process. A last row says how many
// were left out.
inline constexpr size_t kMaxShownRows = 100000;
struct ShownRows {
  std::vector<Row> rows;  // at most maxRows
  size_t leftOut = 0;     // rows the text holds beyond them
};
ShownRows shownRows(std::string_view text, size_t maxRows = kMaxShownRows);
// The last row's instruction column when rows were left out: "… 另有 N 行未显示".
std::string leftOutRowText(size_t leftOut);

}  // namespace tovalux::disasm
