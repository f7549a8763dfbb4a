// The portable half of the hook engine: where a function's entry can be cut, and the
// trampoline that runs the moved instructions elsewhere and jumps back.
//
// The bytes moved out of the target are the requested count raised to the next instruction
// boundary. Relative branches and calls among them are re-targeted (a short jmp or jcc is
// widened to its rel32 form). An entry that cannot be moved safely is refused with a reason
// instead of producing a trampoline that would crash later.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tovalux::hooks {

constexpr uint8_t kJumpOpcode = 0xE9;  // jmp rel32
constexpr size_t kJumpLength = 5;
constexpr size_t kDefaultByteCount = 5;
constexpr size_t kMaxByteCount = 25;
// Moved bytes: at most kMaxByteCount + 14 (one instruction straddles the cut); each moved
// instruction grows by at most 4 when widened; then the jump back.
constexpr size_t kMaxTrampolineSize = 112;

// E9 followed by (to - (from + 5)) as a little-endian 32-bit value, taken modulo 2^32.
std::array<uint8_t, kJumpLength> encodeJump(uint32_t from, uint32_t to);

enum class PrologueStatus {
  ok,
  badCount,         // the requested count is below 5 or above 25
  undecodable,      // the bytes are not a valid instruction, or end inside one
  endsTooSoon,      // a ret, jmp or int ends the function before the requested count
  unmovableBranch,  // loop, loopcc, jecxz, xbegin or a 16-bit relative branch
  branchIntoPatch,  // a branch among the moved bytes lands inside them
};

const char* toString(PrologueStatus status);

// An instruction start in the target and where it lands in the trampoline.
struct Boundary {
  uint8_t targetOffset;
  uint8_t trampolineOffset;
};

struct Trampoline {
  PrologueStatus status = PrologueStatus::undecodable;
  size_t movedCount = 0;  // bytes taken from the target
  std::array<uint8_t, kMaxTrampolineSize> code{};
  size_t size = 0;  // code bytes, the final jump back included
  // Every moved instruction start, then (movedCount, offset of the jump back).
  std::array<Boundary, kMaxByteCount + 16> boundaries{};
  size_t boundaryCount = 0;

  // Where a thread stopped at `targetOffset` of the target continues in the trampoline.
  std::optional<size_t> trampolineOffsetOf(size_t targetOffset) const;
  // Where a thread stopped at `trampolineOffset` continues once the target is restored.
  std::optional<size_t> targetOffsetOf(size_t trampolineOffset) const;
};

// Builds the trampoline for the function at `targetAddress`, whose first `available` bytes are
// at `code`, to be placed at `trampolineAddress`. Allocation-free.
Trampoline buildTrampoline(const uint8_t* code, size_t available, uint32_t targetAddress, uint32_t trampolineAddress,
                           size_t requestedCount);

}  // namespace tovalux::hooks
