// The host's linker setting (tools\link.ini, linker=...) as any hand may have written it: the
// name cut out of it must be a piece of the value, on character boundaries, and the markers'
// searches must never split a GBK character. The input is "host folder" NUL "value".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk_scan.h"
#include "commands/linker_rules.h"

using namespace tovalux;
using namespace tovalux::commands;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_linker_ini: %s\n", what);
    std::abort();
  }
}

bool onBoundary(std::string_view text, size_t at) {
  size_t i = 0;
  while (i < at) i += gbkCharLength(text, i);
  return i == at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view host = split == std::string_view::npos ? std::string_view("C:\\E") : input.substr(0, split);
  const std::string_view value = split == std::string_view::npos ? input : input.substr(split + 1);
  if (value.size() >= kLinkerSettingBuffer) return 0;  // GetPrivateProfileStringA gives no more

  const std::string name = linkerNameFromSetting(host, value);
  if (!name.empty()) {
    const size_t at = value.find(name);
    require(at != std::string_view::npos, "the linker name is not part of the value");
    (void)linkerExePath(host, name);
  }
  const std::string between = textBetween(value, "#引号", "#引号");
  if (!between.empty()) require(between.size() < value.size(), "the text between markers is the whole value");
  const size_t found = gbkFindTextIgnoringCase(value, "\\linker\\");
  if (found != std::string_view::npos) require(onBoundary(value, found), "a match starts inside a character");
  (void)isListedFolderName(value);
  (void)linkerMissingText(host, name);
  return 0;
}
