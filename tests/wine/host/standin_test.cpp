// The stand-in IDE's own duties: it refuses library records it cannot use, keeps a journal that
// survives its file format, and parses and dispatches named actions.
#include <gtest/gtest.h>

#include "common/host_fixture.h"
#include "standin_host.h"

namespace standin {
namespace {

using tovalux::testing::HostFixture;
using tovalux::testing::HostOptions;

tovalux::LibraryInfo gFake;

const tovalux::LibraryInfo* __stdcall fakeWithFormat() { return &gFake; }
const tovalux::LibraryInfo* __stdcall noRecord() { return nullptr; }

TEST(StandIn, RefusesLibrariesItCannotHost) {
  HostFixture fixture(HostOptions{.addPlugin = false});
  Host& host = fixture.host();

  gFake = tovalux::LibraryInfo{};
  gFake.formatVersion = 19990101;
  EXPECT_FALSE(host.addLibrary(&fakeWithFormat, "old format"));
  gFake.formatVersion = tovalux::kLibraryFormatVersion;
  gFake.requiredHostMajor = kHostMajorVersion;
  gFake.requiredHostMinor = kHostMinorVersion + 1;
  EXPECT_FALSE(host.addLibrary(&fakeWithFormat, "newer host"));
  EXPECT_FALSE(host.addLibrary(&noRecord, "no record"));
  EXPECT_TRUE(host.libraries().empty());

  const auto rejected = fixture.entries("library-rejected");
  ASSERT_EQ(rejected.size(), 3u);
  EXPECT_EQ(rejected[0].get("reason"), "format");
  EXPECT_EQ(rejected[1].get("reason"), "host version");
  EXPECT_EQ(rejected[2].get("reason"), "no descriptor");

  // A library without a notification callback is hosted but never notified.
  gFake.requiredHostMinor = 0;
  EXPECT_TRUE(host.addLibrary(&fakeWithFormat, "silent"));
  EXPECT_EQ(host.notifyAll(42), 0);
  EXPECT_EQ(fixture.count("notify"), 0u);
}

TEST(StandIn, JournalLinesRoundTrip) {
  const JournalEntry entry =
      EntryBuilder("ide").addHex("number", 0x05030002).add("text", "引号\"与\\反斜杠\r\n乗").add("p1", -7);
  const std::string line = entry.toJsonLine();
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const auto parsed = parseJournalLine(line);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->kind, "ide");
  EXPECT_EQ(parsed->get("number"), "0x05030002");
  EXPECT_EQ(parsed->number("number"), 0x05030002);
  EXPECT_EQ(parsed->get("text"), "引号\"与\\反斜杠\r\n乗");
  EXPECT_EQ(parsed->number("p1"), -7);
  EXPECT_EQ(parsed->number("missing", 99), 99);
  EXPECT_FALSE(parseJournalLine("{\"kind\":\"x\",\"a\":"));
  EXPECT_FALSE(parseJournalLine(""));
  EXPECT_FALSE(parseJournalLine("{\"a\":\"1\"}"));  // no kind
}

TEST(Actions, LinesSplitIntoWordsQuotedTextsAndOptions) {
  const auto args = ActionArgs::parse("page-open \"程序集: 窗口程序集_启动窗口\" kind=1 note=\"a b\" 0x10 -3 \"a=b\"");
  ASSERT_TRUE(args);
  EXPECT_EQ(args->name(), "page-open");
  ASSERT_EQ(args->count(), 4u);
  EXPECT_EQ(args->text(0), "程序集: 窗口程序集_启动窗口");
  EXPECT_EQ(args->number(1), 16);
  EXPECT_EQ(args->number(2), -3);
  EXPECT_EQ(args->text(3), "a=b");  // quoted: a text, not an option
  EXPECT_FALSE(args->isNumber(0));
  EXPECT_EQ(args->number(9, 42), 42);
  EXPECT_EQ(args->optionNumber("kind"), 1);
  EXPECT_EQ(args->option("note"), "a b");
  EXPECT_FALSE(args->option("none"));

  // Escapes inside quotes; a GBK character whose second byte is '\' ends right before the quote.
  const auto escaped = ActionArgs::parse("x \"say \\\"hi\\\" \\\\\" \"乗\"");
  ASSERT_TRUE(escaped);
  EXPECT_EQ(escaped->text(0), "say \"hi\" \\");
  EXPECT_EQ(escaped->text(1), "乗");

  std::string error;
  EXPECT_FALSE(ActionArgs::parse("x \"open", &error));
  EXPECT_EQ(error, "unterminated quote");
  EXPECT_FALSE(ActionArgs::parse("   ", &error));
  EXPECT_FALSE(parseNumber("12x"));
  EXPECT_FALSE(parseNumber("99999999999999999999"));
  EXPECT_EQ(parseNumber("010"), 10);
}

TEST(Actions, EveryTableEntryIsUniqueAndDescribed) {
  EXPECT_TRUE(ActionTable::instance().duplicates().empty());
  EXPECT_TRUE(IdeFunctionTable::instance().duplicates().empty());
  EXPECT_TRUE(CommandTable::instance().duplicates().empty());
  EXPECT_TRUE(MainMessageTable::instance().duplicates().empty());
  EXPECT_TRUE(TeardownTable::instance().duplicates().empty());
  EXPECT_TRUE(TreeSetupTable::instance().duplicates().empty());
  EXPECT_TRUE(PageActivatedTable::instance().duplicates().empty());
  for (const auto& [name, action] : ActionTable::instance().entries()) {
    EXPECT_EQ(action.usage.rfind(name, 0), 0u) << name << ": the usage starts with the name";
    EXPECT_NE(action.run, nullptr) << name;
  }
  EXPECT_NE(ActionTable::instance().find("close"), nullptr);  // registered from its own file
}

TEST(Actions, FailuresAreAnsweredAndJournaled) {
  HostFixture fixture(HostOptions{.addPlugin = false});
  EXPECT_FALSE(fixture.action("no-such-action 1").ok);
  EXPECT_FALSE(fixture.action("notify x").ok);
  EXPECT_FALSE(fixture.action("\"unterminated").ok);
  EXPECT_TRUE(fixture.action("mark here").ok);
  const auto failed = fixture.entries("action-failed");
  ASSERT_EQ(failed.size(), 3u);
  EXPECT_EQ(failed[0].get("error"), "unknown action \"no-such-action\"");
  EXPECT_EQ(failed[2].get("error"), "unterminated quote");
  EXPECT_EQ(fixture.count("mark", tovalux::testing::fieldIs("text", "here")), 1u);
}

}  // namespace
}  // namespace standin
