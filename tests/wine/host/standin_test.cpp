// The stand-in IDE's own duties towards libraries: it refuses records it cannot use and keeps a
// journal that survives a round trip through its file format.
#include <gtest/gtest.h>

#include "host.h"

namespace standin {
namespace {

tovalux::LibraryInfo gFake;

const tovalux::LibraryInfo* __stdcall fakeWithFormat() { return &gFake; }
const tovalux::LibraryInfo* __stdcall noRecord() { return nullptr; }

TEST(StandIn, RefusesLibrariesItCannotHost) {
  Host& host = Host::instance();
  const size_t before = host.libraries().size();
  host.journal().clear();

  gFake = tovalux::LibraryInfo{};
  gFake.formatVersion = 19990101;
  EXPECT_FALSE(host.addLibrary(&fakeWithFormat, "old format"));
  gFake.formatVersion = tovalux::kLibraryFormatVersion;
  gFake.requiredHostMajor = kHostMajorVersion;
  gFake.requiredHostMinor = kHostMinorVersion + 1;
  EXPECT_FALSE(host.addLibrary(&fakeWithFormat, "newer host"));
  EXPECT_FALSE(host.addLibrary(&noRecord, "no record"));
  EXPECT_EQ(host.libraries().size(), before);

  const auto rejected = host.journal().entriesOfKind("library-rejected");
  ASSERT_EQ(rejected.size(), 3u);
  EXPECT_EQ(rejected[0].get("reason"), "format");
  EXPECT_EQ(rejected[1].get("reason"), "host version");
  EXPECT_EQ(rejected[2].get("reason"), "no descriptor");

  // A library without a notification callback is hosted but never notified.
  gFake.requiredHostMinor = 0;
  EXPECT_TRUE(host.addLibrary(&fakeWithFormat, "silent"));
  host.journal().clear();
  EXPECT_EQ(host.notifyAll(42), 0);
  EXPECT_TRUE(host.journal().entriesOfKind("notify").empty());
}

TEST(StandIn, JournalLinesRoundTrip) {
  const JournalEntry entry =
      EntryBuilder("ide").addHex("number", 0x05030002).add("text", "引号\"与\\反斜杠\r\n").add("p1", -7);
  const std::string line = entry.toJsonLine();
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const auto parsed = parseJournalLine(line);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->kind, "ide");
  EXPECT_EQ(parsed->get("number"), "0x05030002");
  EXPECT_EQ(parsed->number("number"), 0x05030002);
  EXPECT_EQ(parsed->get("text"), "引号\"与\\反斜杠\r\n");
  EXPECT_EQ(parsed->number("p1"), -7);
  EXPECT_EQ(parsed->number("missing", 99), 99);
  EXPECT_FALSE(parseJournalLine("{\"kind\":\"x\",\"a\":"));
  EXPECT_FALSE(parseJournalLine(""));
  EXPECT_FALSE(parseJournalLine("{\"a\":\"1\"}"));  // no kind
}

}  // namespace
}  // namespace standin
