// The commands' walk over a program's memory with both engines (readable bytes only, a 64-bit
// end, the block cap), the line format, and the pane's split of a received text into rows.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "debugging/disassembly_rules.h"
#include "debugging/engine_lines.h"

namespace tovalux::disasm {
namespace {

// Readable regions of a pretend program; everything else cannot be read. Reads are recorded so
// a test can tell nothing was asked past the end of readable memory.
class FakeMemory : public CodeMemory {
 public:
  void map(uint32_t base, std::vector<uint8_t> bytes) { regions_[base] = std::move(bytes); }
  uint32_t read(uint32_t address, uint8_t* out, uint32_t count) override {
    uint32_t copied = 0;
    while (copied < count) {
      const uint64_t at = uint64_t{address} + copied;
      auto region = regions_.upper_bound(static_cast<uint32_t>(at));
      if (region == regions_.begin() || at > 0xFFFFFFFFu) break;
      --region;
      const uint64_t offset = at - region->first;
      if (offset >= region->second.size()) break;
      const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count - copied, region->second.size() - offset));
      std::memcpy(out + copied, region->second.data() + offset, n);
      copied += n;
    }
    return copied;
  }

 private:
  std::map<uint32_t, std::vector<uint8_t>> regions_;
};

OllyLines ollyLines() {
  // What the commands set once per process before the first Disasm: VB_SetOptions(0, 0, 0, 1).
  return OllyLines([](const uint8_t* source, uint32_t size, uint32_t ip, olly::TDisasm* record) {
    return olly::disasm(source, size, ip, record, olly::kCode, olly::Options{false, false, false, true});
  });
}

BeaLines beaLines(int32_t syntax) {
  return BeaLines([](bea::Disasm32& record, const uint8_t* code) { return bea::disasm(record, code); },
                  beaSyntax(syntax));
}

WalkResult walkOver(LineDecoder& decoder, FakeMemory& memory, int32_t address, int32_t length, size_t cap = 4u << 20) {
  Range range;
  if (!rangeFromArguments(address, length, range)) return {};
  return walk(memory, decoder, range, cap);
}

TEST(Walk, OllyLinesOfPushMovAreTwoLinesJoinedByCrLf) {
  FakeMemory memory;
  memory.map(0x401000, {0x55, 0x8B, 0xEC, 0x5D, 0xC3});
  OllyLines olly = ollyLines();
  const WalkResult result = walkOver(olly, memory, 0x401000, 3);
  EXPECT_EQ(result.text,
            "401000 | 55                       | PUSH EBP\r\n"
            "401001 | 8BEC                     | MOV EBP,ESP");
  // A length that ends inside an instruction still decodes it whole.
  EXPECT_EQ(walkOver(olly, memory, 0x401000, 2).instructions, 2u);
}

TEST(Walk, BeaDumpsEachByteWithoutALeadingZeroAndTakesSevenAsNasm) {
  FakeMemory memory;
  memory.map(0x401000, {0x05, 0x00, 0x10, 0x40, 0x00, 0x55});
  BeaLines bea = beaLines(7);
  const WalkResult result = walkOver(bea, memory, 0x401000, 5);
  ASSERT_EQ(result.instructions, 1u);
  EXPECT_EQ(result.text, "401000 | 5 0 10 40 0" + std::string(24 - 11, ' ') + " | add        eax, 0x00401000");
  EXPECT_EQ(beaSyntax(256), 256);
  EXPECT_EQ(beaOptions(512), 0x10201u);
}

TEST(Walk, AnUndecodableFirstByteGivesAnEmptyText) {
  FakeMemory memory;
  memory.map(0x401000, {0x0F, 0x04, 0x90});
  BeaLines bea = beaLines(0);
  const WalkResult result = walkOver(bea, memory, 0x401000, 3);
  EXPECT_TRUE(result.text.empty());
  EXPECT_EQ(block(0x1234, result.text), std::string("\x34\x12\0\0", 4));
}

TEST(Walk, OnlyInstructionsWhollyInReadableMemoryAreListed) {
  // A page of NOPs whose last three bytes start a five-byte MOV EAX, imm32 that runs into the
  // unreadable page after it.
  std::vector<uint8_t> page(0x1000, 0x90);
  page[0xFFD] = 0xB8;
  page[0xFFE] = 0x11;
  page[0xFFF] = 0x22;
  for (bool useOlly : {true, false}) {
    FakeMemory memory;
    memory.map(0x10000, page);
    OllyLines olly = ollyLines();
    BeaLines bea = beaLines(0);
    LineDecoder& decoder = useOlly ? static_cast<LineDecoder&>(olly) : bea;
    const WalkResult result = walkOver(decoder, memory, 0x10FF0, 0x100);
    EXPECT_EQ(result.instructions, 13u) << (useOlly ? "olly" : "bea");
    EXPECT_EQ(result.text.find("10FFD"), std::string::npos);
    EXPECT_TRUE(walkOver(decoder, memory, 0x11000, 16).text.empty());  // unreadable from the start
  }
}

TEST(Walk, ReadableMemoryAcrossRegionsAndCopiesIsWalkedWithoutGaps) {
  // 100,000 bytes of INC EAX / PUSH EBP pairs over two adjacent regions: the walk refills its copy
  // of the program (64 KB at a time) and never splits an instruction at a refill.
  std::vector<uint8_t> first(70000), second(30000);
  for (size_t i = 0; i < first.size(); ++i) first[i] = (i % 2) ? 0x55 : 0x40;
  for (size_t i = 0; i < second.size(); ++i) second[i] = (i % 2) ? 0x55 : 0x40;
  FakeMemory memory;
  memory.map(0x400000, first);
  memory.map(0x400000 + 70000, second);
  OllyLines olly = ollyLines();
  const WalkResult result = walkOver(olly, memory, 0x400000, 100000, 16u << 20);
  EXPECT_EQ(result.instructions, 100000u);
  EXPECT_FALSE(result.truncated);
}

TEST(Walk, TheEndIsComputedInSixtyFourBits) {
  Range range;
  ASSERT_TRUE(rangeFromArguments(0x7FFFFFF0, 0x100, range));
  EXPECT_EQ(range.end, 0x800000F0u);  // an int32 end would be negative and decode nothing
  FakeMemory memory;
  memory.map(0x7FFFFFF0, std::vector<uint8_t>(0x100, 0x90));
  OllyLines olly = ollyLines();
  EXPECT_EQ(walk(memory, olly, range, 4u << 20).instructions, 0x100u);

  // At the top of the address space the next address would wrap to 0: the walk ends instead.
  FakeMemory top;
  top.map(0xFFFFFFF0, std::vector<uint8_t>(16, 0x90));
  top.map(0, std::vector<uint8_t>(16, 0x90));
  const WalkResult atTop = walk(top, olly, Range{0xFFFFFFF0, uint64_t{1} << 32}, 4u << 20);
  EXPECT_EQ(atTop.instructions, 16u);
}

TEST(Walk, ArgumentsBelowOneDecodeNothing) {
  Range range;
  EXPECT_FALSE(rangeFromArguments(0, 5, range));
  EXPECT_FALSE(rangeFromArguments(-5, 5, range));
  EXPECT_FALSE(rangeFromArguments(0x401000, 0, range));
  EXPECT_FALSE(rangeFromArguments(0x401000, -1, range));
  EXPECT_TRUE(rangeFromArguments(1, 0x7FFFFFFF, range));
  EXPECT_EQ(range.end, 0x80000000u);
}

TEST(Walk, TheCapCutsTheTextAtALineBoundary) {
  FakeMemory memory;
  memory.map(0x401000, std::vector<uint8_t>(100, 0x90));
  OllyLines olly = ollyLines();
  const std::string one = line(0x401000, "90", "NOP");
  const size_t cap = 3 * one.size() + 2 * 2 + 10;  // three lines and a part of a fourth
  const WalkResult result = walkOver(olly, memory, 0x401000, 100, cap);
  EXPECT_TRUE(result.truncated);
  EXPECT_EQ(result.instructions, 3u);
  EXPECT_LE(result.text.size(), cap);
  EXPECT_EQ(result.text.substr(result.text.size() - 3), "NOP");
  // Exactly at the cap the last line still fits.
  EXPECT_EQ(walkOver(olly, memory, 0x401000, 3, 3 * one.size() + 4).instructions, 3u);
}

TEST(Lines, DumpIsPaddedOrCutToTwentyFourCharacters) {
  EXPECT_EQ(line(0xA, "90", "NOP"), "A | 90                       | NOP");
  EXPECT_EQ(line(0x401000, "0123456789ABCDEF0123456789", "X"), "401000 | 0123456789ABCDEF01234567 | X");
  const uint8_t bytes[] = {0x05, 0x00, 0xAB};
  EXPECT_EQ(byteDump(bytes, 3), "5 0 AB");
  EXPECT_EQ(addressText(0), "0");
}

TEST(PaneRows, ThreePartsMakeARowWithTheInstructionLowerCased) {
  const auto result = rows("401000 | 55 | PUSH EBP\r\n401001 | 8B EC | MOV EBP,ESP|x\r\n401003 | C3 | RETN\r");
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].address, "401000");
  EXPECT_EQ(result[0].code, "55");
  EXPECT_EQ(result[0].instruction, "push ebp");
  EXPECT_EQ(result[1].instruction, "retn\r");  // a trailing CR stays on the last piece
  EXPECT_TRUE(rows("").empty());
  EXPECT_TRUE(rows("no bars at all").empty());
}

// A block holds up to about 150,000 lines; the pane shows at most kMaxShownRows and counts the
// rows it leaves out (lines that are no rows are not counted).
TEST(PaneRows, AtMostTheCapAndTheRestCounted) {
  std::string text;
  for (int i = 0; i < 150000; ++i) text += std::to_string(400000 + i) + " | 90 | NOP\r\n";
  text += "no row here\r\n1 | 2 | 3 | 4\r\n";
  const ShownRows shown = shownRows(text);
  ASSERT_EQ(shown.rows.size(), kMaxShownRows);
  EXPECT_EQ(shown.leftOut, 50000u);
  EXPECT_EQ(shown.rows.back().address, std::to_string(400000 + kMaxShownRows - 1));
  EXPECT_EQ(leftOutRowText(50000), "… 另有 50000 行未显示");
  const ShownRows few = shownRows("1 | 2 | A\r\n3 | 4 | B\r\n5 | \x96\x7C | C\r\n6|7\r\n", 1);
  ASSERT_EQ(few.rows.size(), 1u);
  EXPECT_EQ(few.leftOut, 2u);  // 東's trail byte is no bar; "6|7" has two parts
  EXPECT_EQ(shownRows("", 5).leftOut, 0u);
}

TEST(PaneRows, GbkTextIsSplitAndTrimmedByCharacters) {
  // 東 is 96 7C: its trail byte is '|' and must not split; full-width blanks are trimmed whole.
  const auto result = rows("　401000　| 東 |　ＭＯＶ 東　");
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].address, "401000");
  EXPECT_EQ(result[0].code, "東");
  EXPECT_EQ(result[0].instruction, "ＭＯＶ 東");  // only ASCII letters are lower-cased
}

}  // namespace
}  // namespace tovalux::disasm
