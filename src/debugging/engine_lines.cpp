#include "debugging/engine_lines.h"

#include <algorithm>
#include <cstring>

namespace tovalux::disasm {
namespace {

std::string_view fieldText(const char* field, size_t capacity) { return {field, strnlen(field, capacity)}; }

}  // namespace

int32_t OllyLines::decode(const uint8_t* bytes, uint32_t available, uint32_t address, std::string& dump,
                          std::string& instruction) {
  std::memset(&record_, 0, sizeof record_);
  const uint32_t size = std::min<uint32_t>(available, kMaxInstructionBytes);
  const uint32_t length = disasm_(bytes, size, address, &record_);
  if (record_.error == olly::DAE_CROSS) return 0;
  dump.assign(fieldText(record_.dump, sizeof record_.dump));
  instruction.assign(fieldText(record_.result, sizeof record_.result));
  return static_cast<int32_t>(std::min<uint32_t>(length, 0x7FFFFFFF));
}

int32_t BeaLines::decode(const uint8_t* bytes, uint32_t available, uint32_t address, std::string& dump,
                         std::string& instruction) {
  std::memset(&record_, 0, sizeof record_);
  record_.VirtualAddr = address;
  record_.SecurityBlock = available;
  record_.Options = options_;
  const int32_t length = disasm_(record_, bytes);
  if (length < 1 || static_cast<uint32_t>(length) > available) return 0;
  dump = byteDump(bytes, static_cast<size_t>(length));
  instruction.assign(fieldText(record_.CompleteInstr, sizeof record_.CompleteInstr));
  return length;
}

}  // namespace tovalux::disasm
