// Reads arbitrary bytes as GBK JSON. Whatever reads must write back to text that reads as the
// same tree, compact and pretty, GBK and UTF-16; whatever fails must fail with a known code
// inside the text. The first bytes also serve as a path for questions and changes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/gbk.h"
#include "json/json_document.h"

using tovalux::JsonDocument;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_json: %s\n", what);
    std::abort();
  }
}

void checkRoundTrip(const JsonDocument& doc, int flags) {
  for (bool pretty : {false, true}) {
    const std::string text = doc.toText({}, pretty);
    JsonDocument back;
    require(back.parse(text, flags), "written text does not read");
    // Decoding \u escapes can give characters GBK lacks, which GBK text writes as '?'; without it
    // every character came from GBK and the trees must be equal.
    if (flags == 0) require(back == doc, "GBK round trip changed the tree");
    require(back.toText({}, pretty) == JsonDocument::copyOf(back).toText({}, pretty), "copy writes differently");
    JsonDocument wide;
    require(wide.parseUtf16(doc.toUtf16Text({}, pretty), flags), "written UTF-16 text does not read");
    require(wide == doc, "UTF-16 round trip changed the tree");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The run's own check: with TOVALUX_FUZZ_SELFTEST set, any input crashes, and ./dev must fail.
  static const bool selfTest = std::getenv("TOVALUX_FUZZ_SELFTEST") != nullptr;
  require(!selfTest, "self-test crash (TOVALUX_FUZZ_SELFTEST)");
  for (int flags : {0, tovalux::kJsonDecodeUnicodeEscapes}) {
    JsonDocument doc;
    int code = 0, position = 0;
    const bool ok = doc.parse(text, flags, code, position);
    JsonDocument wide;
    int wideCode = 0, widePosition = 0;
    const bool wideOk = wide.parseUtf16(tovalux::gbkToUtf16(text), flags, wideCode, widePosition);
    require(ok == wideOk && code == wideCode && position == widePosition, "GBK and UTF-16 reads differ");
    if (!ok) {
      require(code == tovalux::kJsonNoText || code == tovalux::kJsonObjectSyntax || code == tovalux::kJsonUnclosed ||
                  code == tovalux::kJsonValueSyntax,
              "unknown error code");
      require(position >= 0 && size_t(position) <= size, "error position outside the text");
      require(doc.toText() == "{}", "a failed read leaves more than an empty object");
      continue;
    }
    require(code == 0 && position == 0, "success with an error code");
    require(wide == doc, "GBK and UTF-16 trees differ");
    checkRoundTrip(doc, flags);

    // The first bytes as a path: questions never fail badly, changes leave a tree that writes.
    const std::string path(text.substr(0, std::min<size_t>(size, 12)));
    (void)doc.getText(path);
    (void)doc.count(path);
    (void)doc.kind(path);
    (void)doc.getFloat(path);
    (void)doc.parentOf(path).toText();
    doc.setText(path, "x");
    doc.removeAt(path, 0);
    doc.setDocument(path, JsonDocument::copyOf(doc));
    doc.remove(path);
    if (doc.hasRoot() && doc.kind({}) >= tovalux::JsonKind::Array) checkRoundTrip(doc, flags);
  }
  return 0;
}
