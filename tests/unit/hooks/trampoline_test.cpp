#include "hooks/engine/trampoline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tovalux/x86/decoder.h"

namespace tovalux::hooks {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTarget = 0x7B401000;
constexpr uint32_t kSlot = 0x00A30000;

Bytes le32(uint32_t value) { return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}; }

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Trampoline build(const Bytes& code, size_t requested, uint32_t target = kTarget, uint32_t slot = kSlot) {
  Bytes padded = code;
  padded.resize(40, 0x90);  // what follows the prologue in memory
  return buildTrampoline(padded.data(), padded.size(), target, slot, requested);
}

Bytes image(const Trampoline& t) { return Bytes(t.code.begin(), t.code.begin() + t.size); }

Bytes jumpBack(uint32_t from, uint32_t to) {
  const auto jump = encodeJump(from, to);
  return Bytes(jump.begin(), jump.end());
}

TEST(JumpPatch, DisplacementWrapsModulo32Bits) {
  EXPECT_EQ(jumpBack(0x00401000, 0x00402000), (Bytes{0xE9, 0xFB, 0x0F, 0x00, 0x00}));
  EXPECT_EQ(jumpBack(0x00402000, 0x00401000), (Bytes{0xE9, 0xFB, 0xEF, 0xFF, 0xFF}));
  EXPECT_EQ(jumpBack(0xFFFFFFF0, 0x00000010), (Bytes{0xE9, 0x1B, 0x00, 0x00, 0x00}));
}

TEST(Trampoline, HotPatchPrologueMovesExactlyFiveBytes) {
  const Bytes prologue{0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D};  // mov edi,edi; push ebp; mov ebp,esp
  const Trampoline t = build(prologue, 5);
  ASSERT_EQ(t.status, PrologueStatus::ok);
  EXPECT_EQ(t.movedCount, 5u);
  EXPECT_EQ(image(t), concat({{0x8B, 0xFF, 0x55, 0x8B, 0xEC}, jumpBack(kSlot + 5, kTarget + 5)}));
}

TEST(Trampoline, RealigningPrologueIsCutAtSevenBytes) {
  // lea ecx,[esp+4]; and esp,-16; push dword [ecx-4]: five bytes would split the second one.
  const Bytes prologue{0x8D, 0x4C, 0x24, 0x04, 0x83, 0xE4, 0xF0, 0xFF, 0x71, 0xFC};
  for (size_t requested : {5u, 6u, 7u}) {
    const Trampoline t = build(prologue, requested);
    ASSERT_EQ(t.status, PrologueStatus::ok) << requested;
    EXPECT_EQ(t.movedCount, 7u);
    // Seven moved bytes, then E9 and the displacement back to target + 7: twelve bytes.
    EXPECT_EQ(image(t), concat({Bytes(prologue.begin(), prologue.begin() + 7), jumpBack(kSlot + 7, kTarget + 7)}));
  }
  EXPECT_EQ(build(prologue, 8).movedCount, 10u);
}

TEST(Trampoline, RelativeCallKeepsItsDestination) {
  const uint32_t callee = 0x7B455550;
  // push ebp; call callee; mov ebp,esp
  const Bytes prologue = concat({{0x55, 0xE8}, le32(callee - (kTarget + 6)), {0x89, 0xE5}});
  const Trampoline t = build(prologue, 5);
  ASSERT_EQ(t.status, PrologueStatus::ok);
  EXPECT_EQ(t.movedCount, 6u);
  EXPECT_EQ(image(t), concat({{0x55, 0xE8}, le32(callee - (kSlot + 6)), jumpBack(kSlot + 6, kTarget + 6)}));
}

TEST(Trampoline, ShortConditionalJumpIsWidened) {
  // test eax,eax; jz +0x10; push ebp
  const Bytes prologue{0x85, 0xC0, 0x74, 0x10, 0x55, 0x8B, 0xEC};
  const Trampoline t = build(prologue, 5);
  ASSERT_EQ(t.status, PrologueStatus::ok);
  EXPECT_EQ(t.movedCount, 5u);
  const uint32_t destination = kTarget + 4 + 0x10;
  EXPECT_EQ(
      image(t),
      concat({{0x85, 0xC0, 0x0F, 0x84}, le32(destination - (kSlot + 8)), {0x55}, jumpBack(kSlot + 9, kTarget + 5)}));
  // Every instruction start has its place in the trampoline, and back.
  EXPECT_EQ(t.trampolineOffsetOf(0), 0u);
  EXPECT_EQ(t.trampolineOffsetOf(2), 2u);
  EXPECT_EQ(t.trampolineOffsetOf(4), 8u);
  EXPECT_EQ(t.trampolineOffsetOf(5), 9u);  // the end: the jump back
  EXPECT_FALSE(t.trampolineOffsetOf(3));   // inside an instruction
  EXPECT_EQ(t.targetOffsetOf(8), 4u);
  EXPECT_FALSE(t.targetOffsetOf(3));
}

TEST(Trampoline, EntryJumps) {
  // A function that is only a jump elsewhere moves whole and keeps its destination.
  const uint32_t elsewhere = 0x7B500000;
  const Bytes entryJump = concat({{0xE9}, le32(elsewhere - (kTarget + 5))});
  const Trampoline t = build(entryJump, 5);
  ASSERT_EQ(t.status, PrologueStatus::ok);
  EXPECT_EQ(image(t), concat({{0xE9}, le32(elsewhere - (kSlot + 5)), jumpBack(kSlot + 5, kTarget + 5)}));
  // A short jump ends the function before five bytes: what follows is not its code.
  EXPECT_EQ(build({0xEB, 0x10, 0x90, 0x90, 0x90}, 5).status, PrologueStatus::endsTooSoon);
  // Indirect jump through an import slot, six bytes: fine.
  EXPECT_EQ(build({0xFF, 0x25, 0x00, 0x20, 0x40, 0x00}, 5).status, PrologueStatus::ok);
}

TEST(Trampoline, RefusesWhatCannotMove) {
  EXPECT_EQ(build({0x33, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC}, 5).status, PrologueStatus::endsTooSoon);  // xor; ret
  EXPECT_EQ(build({0xCC, 0x90, 0x90, 0x90, 0x90}, 5).status, PrologueStatus::endsTooSoon);        // int3 padding
  EXPECT_EQ(build({0xE3, 0x05, 0x55, 0x8B, 0xEC}, 5).status, PrologueStatus::unmovableBranch);    // jecxz
  EXPECT_EQ(build({0x55, 0xE2, 0x05, 0x8B, 0xEC}, 5).status, PrologueStatus::unmovableBranch);    // loop
  EXPECT_EQ(build({0x55, 0x66, 0xE9, 0x10, 0x00}, 5).status, PrologueStatus::unmovableBranch);    // jmp rel16
  EXPECT_EQ(build({0x55, 0x66, 0x74, 0x10, 0x90}, 5).status, PrologueStatus::unmovableBranch);    // jz, 16-bit IP
  EXPECT_EQ(build({0x31, 0xC0, 0x75, 0xFC, 0x90}, 5).status, PrologueStatus::branchIntoPatch);    // jnz to entry
  EXPECT_EQ(build({0x31, 0xC0, 0x74, 0x00, 0x90}, 5).status, PrologueStatus::branchIntoPatch);    // jz to offset 4
  EXPECT_EQ(build({0x55, 0xFF, 0xFF, 0x90, 0x90}, 5).status, PrologueStatus::undecodable);
  EXPECT_EQ(build({0x55, 0x8B, 0xEC}, 4).status, PrologueStatus::badCount);
  EXPECT_EQ(build({0x55, 0x8B, 0xEC}, 26).status, PrologueStatus::badCount);
  // The readable bytes end inside the instruction that crosses the cut.
  const Bytes cut{0x55, 0x8B, 0xEC, 0x81, 0xEC};
  EXPECT_EQ(buildTrampoline(cut.data(), cut.size(), kTarget, kSlot, 5).status, PrologueStatus::undecodable);
  // A branch that leaves the moved bytes, even to the byte right after them, is fine.
  EXPECT_EQ(build({0x31, 0xC0, 0x74, 0x01, 0x90}, 5).status, PrologueStatus::ok);
}

// Random entries: whenever one is accepted, every instruction of the trampoline decodes and
// reaches the same absolute destination as the original, and the trampoline ends with the
// jump back to the first byte not moved.
TEST(Trampoline, AcceptedEntriesKeepEveryDestination) {
  std::mt19937 random(20261209);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    uint8_t code[40];
    for (uint8_t& byte : code) byte = static_cast<uint8_t>(random());
    // Bias towards branches so they are exercised.
    if (round % 3 == 0) code[random() % 6] = static_cast<uint8_t>(0x70 + random() % 16);
    if (round % 5 == 0) code[random() % 6] = 0xE8;
    const size_t requested = 5 + random() % 10;
    const Trampoline t = buildTrampoline(code, sizeof code, kTarget, kSlot, requested);
    if (t.status != PrologueStatus::ok) continue;
    ++accepted;
    ASSERT_GE(t.movedCount, requested);
    ASSERT_LE(t.size, kMaxTrampolineSize);
    size_t original = 0, moved = 0;
    while (original < t.movedCount) {
      x86::Instruction before, after;
      ASSERT_EQ(x86::decode(code + original, sizeof code - original, kTarget + original, before), x86::Status::ok);
      ASSERT_EQ(x86::decode(t.code.data() + moved, t.size - moved, kSlot + moved, after), x86::Status::ok);
      ASSERT_EQ(before.mnemonic, after.mnemonic);
      if (before.relSize) {
        EXPECT_EQ(after.target, before.target);
      } else {
        EXPECT_EQ(0, std::memcmp(code + original, t.code.data() + moved, before.length));
      }
      original += before.length;
      moved += after.length;
    }
    EXPECT_EQ(image(t).size() - moved, kJumpLength);
    EXPECT_EQ(Bytes(t.code.begin() + moved, t.code.begin() + t.size), jumpBack(kSlot + moved, kTarget + t.movedCount));
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace tovalux::hooks
