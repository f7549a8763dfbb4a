#include "debugging/disassembly_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux::disasm {
namespace {

constexpr uint64_t kAddressSpaceEnd = uint64_t{1} << 32;
// Bytes copied out of the program at a time; refilled when fewer than one longest instruction
// is left in the copy and more memory may follow.
constexpr uint32_t kChunkBytes = 64 * 1024;

constexpr std::string_view kFullWidthBlank = "\xA1\xA1";  // "　" in GBK

void appendHex(std::string& out, uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char digits[8];
  int count = 0;
  do {
    digits[count++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  while (count > 0) out += digits[--count];
}

// Blanks at both ends: the ASCII blank and the full-width blank, as whole characters.
std::string_view trimBlanks(std::string_view text) {
  for (;;) {
    if (!text.empty() && text.front() == ' ')
      text.remove_prefix(1);
    else if (text.substr(0, 2) == kFullWidthBlank)
      text.remove_prefix(2);
    else
      break;
  }
  // From the end only whole characters count: walk from the start to know where each begins.
  size_t keep = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t length = gbkCharLength(text, i);
    const std::string_view character = text.substr(i, length);
    i += length;
    if (character != " " && character != kFullWidthBlank) keep = i;
  }
  return text.substr(0, keep);
}

}  // namespace

bool rangeFromArguments(int32_t address, int32_t length, Range& range) {
  if (address < 1 || length < 1) return false;
  range.address = static_cast<uint32_t>(address);
  range.end = std::min<uint64_t>(uint64_t{range.address} + static_cast<uint32_t>(length), kAddressSpaceEnd);
  return true;
}

int32_t beaSyntax(int32_t argument) {
  switch (argument) {
    case 0:
    case 256:
    case 512:
    case 1024: return argument;
    default: return 512;
  }
}

uint64_t beaOptions(int32_t syntax) { return static_cast<uint64_t>(static_cast<uint32_t>(syntax)) + 0x10001; }

std::string addressText(uint32_t address) {
  std::string text;
  appendHex(text, address);
  return text;
}

std::string byteDump(const uint8_t* bytes, size_t count) {
  std::string text;
  text.reserve(count * 3);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    appendHex(text, bytes[i]);
  }
  return text;
}

std::string line(uint32_t address, std::string_view dump, std::string_view instruction) {
  std::string text;
  text.reserve(12 + 3 + kDumpWidth + 3 + instruction.size());
  appendHex(text, address);
  text += " | ";
  const size_t shown = std::min(dump.size(), kDumpWidth);
  text.append(dump.substr(0, shown));
  text.append(kDumpWidth - shown, ' ');
  text += " | ";
  text += instruction;
  return text;
}

bool BlockText::add(std::string_view line) {
  const size_t needed = (lines_ > 0 ? 2 : 0) + line.size();
  if (text_.size() + needed > cap_) return false;
  if (lines_ > 0) text_ += "\r\n";
  text_ += line;
  ++lines_;
  return true;
}

WalkResult walk(CodeMemory& memory, LineDecoder& decoder, const Range& range, size_t capBytes) {
  WalkResult result;
  BlockText text(capBytes);
  std::vector<uint8_t> copy(kChunkBytes);
  uint64_t copyStart = 0;
  uint32_t copied = 0;
  bool memoryEndsInCopy = false;  // the copy reaches the last readable byte
  std::string dump;
  std::string instruction;

  uint64_t at = range.address;
  while (at < range.end) {
    uint64_t offset = at - copyStart;
    if (copied == 0 || offset >= copied || (offset + kMaxInstructionBytes > copied && !memoryEndsInCopy)) {
      const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(kChunkBytes, kAddressSpaceEnd - at));
      copyStart = at;
      copied = memory.read(static_cast<uint32_t>(at), copy.data(), want);
      memoryEndsInCopy = copied < want;
      offset = 0;
      if (copied == 0) break;
    }
    const uint32_t available = copied - static_cast<uint32_t>(offset);
    dump.clear();
    instruction.clear();
    const int32_t length =
        decoder.decode(copy.data() + offset, available, static_cast<uint32_t>(at), dump, instruction);
    if (length < 1 || static_cast<uint32_t>(length) > available) break;
    if (!text.add(line(static_cast<uint32_t>(at), dump, instruction))) {
      result.truncated = true;
      break;
    }
    ++result.instructions;
    at += static_cast<uint32_t>(length);  // 64 bits: past 4 GB the loop ends instead of wrapping
  }
  result.text = text.take();
  return result;
}

std::string block(uint32_t processId, std::string_view text) {
  std::string bytes(kBlockHeaderBytes, '\0');
  for (size_t i = 0; i < kBlockHeaderBytes; ++i) bytes[i] = static_cast<char>((processId >> (8 * i)) & 0xFF);
  bytes.append(text);
  return bytes;
}

ShownRows shownRows(std::string_view text, size_t maxRows) {
  ShownRows shown;
  if (text.empty()) return shown;
  // One row per line at most: reserved once, not grown through a hundred thousand rows.
  size_t lines = 1;
  for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++lines;
  shown.rows.reserve(std::min(lines, maxRows));
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);  // CR and LF are never GBK trail bytes
    const std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
    // Three parts means exactly two bars outside characters; past the cap a line is only counted.
    size_t bars[3], count = 0;
    for (size_t at = gbkFind(piece, '|'); at != std::string_view::npos && count < 3; at = gbkFind(piece, '|', at + 1))
      bars[count++] = at;
    if (count == 2) {
      if (shown.rows.size() < maxRows)
        shown.rows.push_back({std::string(trimBlanks(piece.substr(0, bars[0]))),
                              std::string(trimBlanks(piece.substr(bars[0] + 1, bars[1] - bars[0] - 1))),
                              asciiLower(trimBlanks(piece.substr(bars[1] + 1)))});
      else
        ++shown.leftOut;
    }
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return shown;
}

std::vector<Row> rows(std::string_view text) { return shownRows(text, SIZE_MAX).rows; }

std::string leftOutRowText(size_t leftOut) { return "… 另有 " + std::to_string(leftOut) + " 行未显示"; }

}  // namespace tovalux::disasm
