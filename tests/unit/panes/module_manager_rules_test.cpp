// The module list's rules: digests, the list file as it is read and changed, odd folder names,
// and the digests kept by the item that shows them.
#include <gtest/gtest.h>

#include <string>

#include "panes/module_manager_rules.h"

namespace tovalux::modules {
namespace {

TEST(ModuleDigest, MatchesTheReferenceDigestsWhateverTheBlockSizes) {
  EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5Hex("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
  const std::string digits = "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
  EXPECT_EQ(md5Hex(digits), "57edf4a22be3c955ac49da2e2107b67a");
  // Fed in pieces of every size across the 64-byte blocks.
  std::string big;
  for (int i = 0; i < 1000; ++i) big += static_cast<char>(i * 7);
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 999u}) {
    Md5 md5;
    for (size_t at = 0; at < big.size(); at += piece) md5.update(big.data() + at, std::min(piece, big.size() - at));
    EXPECT_EQ(md5.finishHex(), md5Hex(big)) << piece;
  }
}

TEST(ModuleListFile, OnlyAMissingFileStartsEmpty) {
  ModuleList missing = readModuleList({});
  EXPECT_EQ(missing.state, ListState::kMissing);
  EXPECT_TRUE(missing.writable());
  EXPECT_EQ(missing.document.count(""), 0);

  EXPECT_EQ(readModuleList({true, true, ""}).state, ListState::kUnreadable);
  for (const char* broken : {"", "{\"a\":[\"x\"", "[1,2]", "\"text\"", "{\"a\":[\"C:\\\\x.ec\"]}garbage"}) {
    const ModuleList list = readModuleList({true, false, broken});
    EXPECT_EQ(list.state, ListState::kBroken) << broken;
    EXPECT_FALSE(list.writable());
    EXPECT_FALSE(refusedChangeMessage(list).empty());
  }
  const ModuleList ready = readModuleList({true, false, "{\"常用\":[\"C:\\\\a.ec\"],\"空\":\"\"}"});
  ASSERT_EQ(ready.state, ListState::kReady);
  const std::vector<FolderEntry> entries = folders(ready.document);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "常用");
  EXPECT_EQ(entries[0].modules, std::vector<std::string>{"C:\\a.ec"});
  EXPECT_TRUE(entries[1].modules.empty());
}

TEST(ModuleListFile, Utf8FromAnotherEditorIsReadAsUtf8OrRefused) {
  // With a byte-order mark; without one, when the bytes cannot be GBK ("常" is three UTF-8 bytes,
  // the third a lead byte before a quote).
  const std::string gbk = "{\"常\":[\"C:\\\\模块\\\\a.ec\"]}";
  const std::string utf8 = reinterpret_cast<const char*>(u8"{\"常\":[\"C:\\\\模块\\\\a.ec\"]}");
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
    const ModuleList list = readModuleList({true, false, bytes});
    ASSERT_EQ(list.state, ListState::kReady);
    EXPECT_TRUE(list.wasUtf8);
    EXPECT_EQ(listText(list.document), gbk);
  }
  // GBK as this program writes it stays GBK.
  const ModuleList own = readModuleList({true, false, gbk});
  ASSERT_EQ(own.state, ListState::kReady);
  EXPECT_FALSE(own.wasUtf8);
  EXPECT_EQ(listText(own.document), gbk);
  // A character GBK cannot hold (in UTF-8 that cannot be GBK), or a mark before bytes that are not
  // UTF-8: refused.
  EXPECT_EQ(readModuleList({true, false, reinterpret_cast<const char*>(u8"{\"😀常\":\"\"}")}).state, ListState::kBroken);
  EXPECT_EQ(readModuleList({true, false, "\xEF\xBB\xBF{\"\xC4\xE3\":\"\"}"}).state, ListState::kBroken);
}

// GBK as this program wrote it is read as GBK even when its bytes also happen to be UTF-8: the
// three GBK characters E4 B8, AD E6, 96 87 are also the UTF-8 of "中文". Read as UTF-8, the next
// save would have renamed the folder and its paths.
TEST(ModuleListFile, GbkWhoseBytesAreAlsoUtf8StaysGbk) {
  const std::string gbk = "{\"\xE4\xB8\xAD\xE6\x96\x87\":[\"C:\\\\\xE4\xB8\xAD\xE6\x96\x87.ec\"]}";
  const ModuleList list = readModuleList({true, false, gbk});
  ASSERT_EQ(list.state, ListState::kReady);
  EXPECT_FALSE(list.wasUtf8);
  EXPECT_EQ(listText(list.document), gbk);
  EXPECT_EQ(folders(list.document)[0].name, "\xE4\xB8\xAD\xE6\x96\x87");
  // The same bytes behind a byte-order mark are UTF-8, as the mark says.
  const ModuleList marked = readModuleList({true, false, "\xEF\xBB\xBF" + gbk});
  ASSERT_EQ(marked.state, ListState::kReady);
  EXPECT_TRUE(marked.wasUtf8);
  EXPECT_EQ(folders(marked.document)[0].name, "中文");
}

TEST(ModuleListFile, OddFolderNamesAreNeverReadAsPathSyntax) {
  const std::string trail5c = "模\x81\x5C块";  // a character whose second byte is "\"
  const std::string trail5b = "\x81\x5B";      // ... and one whose second byte is "["
  const std::vector<std::string> names = {"v1.2", "a[1]", "[0]", "x\\", "a.b[2].c", trail5c, trail5b, "\\\\"};
  JsonDocument list = JsonDocument::withRoot(JsonKind::Object);
  for (const std::string& name : names) ASSERT_TRUE(addFolder(list, name)) << name;
  for (size_t i = 0; i < names.size(); ++i)
    ASSERT_TRUE(appendModule(list, static_cast<int>(i), "C:\\m\\" + std::to_string(i) + ".ec"));
  ASSERT_TRUE(appendModule(list, 0, "C:\\m\\second.ec"));

  // Written and read back: the same members, each with its own modules.
  const ModuleList again = readModuleList({true, false, listText(list)});
  ASSERT_EQ(again.state, ListState::kReady);
  const std::vector<FolderEntry> entries = folders(again.document);
  ASSERT_EQ(entries.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(entries[i].name, names[i]);
    ASSERT_FALSE(entries[i].modules.empty()) << names[i];
    EXPECT_EQ(entries[i].modules[0], "C:\\m\\" + std::to_string(i) + ".ec");
  }
  EXPECT_EQ(entries[0].modules.size(), 2u);
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(findFolder(again.document, -1, names[i]), static_cast<int>(i));
}

TEST(ModuleListFile, ChangesKeepEveryOtherFolder) {
  ModuleList list = readModuleList({true, false, "{\"a\":[\"1.ec\",\"2.ec\"],\"b\":\"\",\"c\":[\"3.ec\"]}"});
  ASSERT_EQ(list.state, ListState::kReady);
  // An existing name is refused instead of wiping that folder's list.
  EXPECT_FALSE(addFolder(list.document, "a"));
  EXPECT_FALSE(addFolder(list.document, ""));
  EXPECT_EQ(folders(list.document)[0].modules.size(), 2u);
  // A "" folder becomes a one-element array.
  ASSERT_TRUE(appendModule(list.document, 1, "C:\\new.ec"));
  EXPECT_EQ(list.document.kind("[1]"), JsonKind::Array);
  EXPECT_EQ(findFolder(list.document, 2, "c"), 2);
  EXPECT_EQ(findFolder(list.document, 0, "c"), 2);  // the folder moved: found by its name
  EXPECT_EQ(findFolder(list.document, 0, "gone"), -1);
  EXPECT_TRUE(removeModule(list.document, 2, "3.ec"));
  EXPECT_FALSE(removeModule(list.document, 2, "3.ec"));
  EXPECT_TRUE(removeModule(list.document, 0, "2.ec"));
  EXPECT_TRUE(removeFolder(list.document, 1));
  EXPECT_FALSE(removeFolder(list.document, 5));
  EXPECT_EQ(listText(list.document), "{\"a\":[\"1.ec\"],\"c\":[]}");
}

TEST(ModuleListFile, TwoFoldersOfOneNameAreShownButNeverWritten) {
  // The parser keeps one member of a name; saving that would lose the other folder's list.
  const ModuleList list = readModuleList({true, false, "{\"a\":[\"1.ec\"],\"b\":{\"a\":1},\"a\":[\"3.ec\"]}"});
  EXPECT_EQ(list.state, ListState::kBroken);
  EXPECT_FALSE(list.writable());
  EXPECT_GT(list.document.count(""), 0);
  // Names that only look alike, or repeat inside a value, are no duplicates.
  EXPECT_EQ(readModuleList({true, false, "{\"a\":[\"a\",\"a\"],\"\x81\x5C\":\"\",\"\x81\x5C\\\\\":\"\"}"}).state,
            ListState::kReady);
}

// Names that are one name to the reader however they are written: quotes of either kind, an
// escaped "/", a lead byte left without its trail byte before the closing quote. Each such list is
// shown (one folder) but refused for changes; so is one whose repeat sits deeper down.
TEST(ModuleListFile, ANameTheReaderTakesTwiceIsRefusedHoweverItIsWritten) {
  const char* const kLists[] = {
      "{'a':[\"1.ec\"],\"a\":[\"2.ec\"]}",
      "{\"a/\":[\"1.ec\"],\"a\\/\":[\"2.ec\"]}",
      "{\"x\x81\":\"\",\"b\":[\"1.ec\"],\"b\":[\"2.ec\"]}",
      "{\"a\":[\"1.ec\"],\"b\":{\"k\":1,\"k\":2}}",
  };
  for (const char* text : kLists) {
    SCOPED_TRACE(text);
    const ModuleList list = readModuleList({true, false, text});
    EXPECT_EQ(list.state, ListState::kBroken);
    EXPECT_FALSE(list.writable());
    EXPECT_FALSE(list.problem.empty());
    EXPECT_GT(list.document.count(""), 0);  // shown
  }
}

// Only a list ("" or an array) takes a module; an object, a path or a number is never replaced.
TEST(ModuleListFile, AFolderThatIsNotAListIsNeverReplaced) {
  const std::string text = "{\"o\":{\"x\":[\"1.ec\"]},\"s\":\"C:\\\\a.ec\",\"n\":5,\"e\":\"\",\"a\":[]}";
  ModuleList list = readModuleList({true, false, text});
  ASSERT_EQ(list.state, ListState::kReady);
  for (int position : {0, 1, 2}) {
    EXPECT_FALSE(folderTakesModules(list.document, position)) << position;
    EXPECT_FALSE(appendModule(list.document, position, "C:\\new.ec")) << position;
  }
  EXPECT_EQ(listText(list.document), text);
  EXPECT_TRUE(appendModule(list.document, 3, "C:\\new.ec"));
  EXPECT_TRUE(appendModule(list.document, 4, "C:\\new.ec"));
  EXPECT_FALSE(folderTakesModules(list.document, 5));
  EXPECT_NE(refusedChangeMessage(notAListProblem("o")).find("< o >"), std::string::npos);
}

TEST(ModuleTexts, NamesPathsAndMessages) {
  EXPECT_EQ(fileNameOf("C:\\模块\\工具.ec"), "工具.ec");
  EXPECT_EQ(fileNameOf("C:\\d\\\x81\x5C.ec"), "\x81\x5C.ec");  // the trail byte is no separator
  EXPECT_EQ(fileNameOf("plain.ec"), "plain.ec");
  // Ends with ".ec" in any case; "x.ec.exe" or "a.ec.bak" are no module files.
  EXPECT_TRUE(isModulePath("C:\\a.ec"));
  EXPECT_TRUE(isModulePath("C:\\a.EC"));
  EXPECT_TRUE(isModulePath("C:\\模块\\工具.Ec"));
  EXPECT_FALSE(isModulePath("C:\\a.ec.bak"));
  EXPECT_FALSE(isModulePath("C:\\x.ec.exe"));
  EXPECT_FALSE(isModulePath("C:\\readme.txt"));
  EXPECT_FALSE(isModulePath("ec"));
  EXPECT_EQ(deleteFilesQuestion(2, {}), "你确定[删除]这 2 个[本地模块文件]么?");
  EXPECT_EQ(deleteFilesQuestion(1, {"C:\\x.ec.exe", "D:\\"}),
            "你确定[删除]这 1 个[本地模块文件]么?\r\n以下路径不是模块文件, 不会删除:\r\nC:\\x.ec.exe\r\nD:\\");
  EXPECT_EQ(trimBlanks("  常用 模块  "), "常用 模块");
  EXPECT_EQ(trimBlanks("   "), "");
  EXPECT_EQ(missingModuleMessage("C:\\a.ec"), "模块丢失:C:\\a.ec,已移除");
  EXPECT_EQ(duplicateModuleMessage("C:\\b.ec", "常用"), "重复添加:C:\\b.ec,已存在于分类文件 < 常用 >");
}

TEST(ModuleDigests, AreRemovedByTheItemThatHoldsThem) {
  DigestRegistry digests;
  digests.add(5, "d1", "常用");
  digests.add(6, "d2", "其它");
  EXPECT_EQ(digests.holder("d1"), "常用");
  EXPECT_EQ(digests.holder("none"), "");
  // The item's file changed meanwhile: removing the item still frees what it was added with.
  digests.removeItem(5);
  EXPECT_FALSE(digests.contains("d1"));
  EXPECT_TRUE(digests.contains("d2"));
  digests.removeItem(99);
  digests.clear();
  EXPECT_EQ(digests.size(), 0u);
}

// Digests are kept with the stamp they were taken at: a changed file is hashed again, an unchanged
// one never; the cache holds a bounded number of paths.
TEST(DigestCacheRules, AChangedFileIsReadAgainAndTheCacheIsBounded) {
  DigestCache cache(2);
  cache.store("a", {10, 100}, "da");
  EXPECT_EQ(cache.find("a", {10, 100}), "da");
  EXPECT_EQ(cache.find("a", {10, 101}), "");  // written since
  EXPECT_EQ(cache.find("a", {11, 100}), "");  // grew
  cache.store("b", {1, 1}, "db");
  cache.store("c", {1, 1}, "dc");  // "a" was the oldest
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(cache.find("a", {10, 100}), "");
  EXPECT_EQ(cache.find("c", {1, 1}), "dc");
  cache.store("d", {1, 1}, "");  // no digest, nothing kept
  EXPECT_EQ(cache.find("d", {1, 1}), "");
}

// Reloads (start-up, 9909 from anywhere): one runs, at most one waits, however many are asked.
TEST(ReloadCoalescing, OneRunsAndAtMostOneWaits) {
  ReloadCoalescer reloads;
  EXPECT_TRUE(reloads.request());
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(reloads.request());
  EXPECT_TRUE(reloads.waiting());
  EXPECT_TRUE(reloads.finished());  // the waiting one starts
  EXPECT_TRUE(reloads.busy());
  EXPECT_FALSE(reloads.waiting());
  EXPECT_FALSE(reloads.finished());
  EXPECT_FALSE(reloads.busy());
  EXPECT_TRUE(reloads.request());
}

}  // namespace
}  // namespace tovalux::modules
