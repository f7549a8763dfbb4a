// The command box's rules: the pinyin table, how a query matches a name (characters, initials,
// syllables, polyphones, markers, Latin words, hostile bytes), the order of the list, the usage
// record as Tovalux.ini keeps it, the command list built from the tables with its run states,
// and the focus key.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "commands/command_list.h"
#include "commands/command_match.h"
#include "commands/command_search.h"
#include "commands/command_usage.h"
#include "commands/menu_table.h"
#include "commands/pinyin.h"

namespace tovalux::commands {
namespace {

using T = MatchTier;

std::vector<std::string> readingsOf(std::string_view gbk) {
  std::vector<std::string> out;
  const Readings r = pinyinReadings(static_cast<uint8_t>(gbk[0]), static_cast<uint8_t>(gbk[1]));
  for (uint8_t i = 0; i < r.count; ++i) out.emplace_back(syllableText(r.syllables[i]));
  return out;
}

MatchTier tier(std::string_view name, std::string_view query) {
  return matchTier(prepareName(name), prepareQuery(query));
}

TEST(Pinyin, ReadingsOfCharactersAndPolyphones) {
  EXPECT_EQ(readingsOf("编"), std::vector<std::string>{"bian"});
  EXPECT_EQ(readingsOf("译"), std::vector<std::string>{"yi"});
  // Every reading of a polyphonic character, the customary one first; ü written v.
  EXPECT_EQ(readingsOf("行"), (std::vector<std::string>{"xing", "hang", "heng"}));
  EXPECT_EQ(readingsOf("长"), (std::vector<std::string>{"zhang", "chang"}));
  EXPECT_EQ(readingsOf("重"), (std::vector<std::string>{"zhong", "chong"}));
  EXPECT_EQ(readingsOf("女"), std::vector<std::string>{"nv"});
  // Traditional forms GBK holds have readings too.
  EXPECT_EQ(readingsOf("編"), std::vector<std::string>{"bian"});
  // Punctuation, letters of other scripts and codes no character has: none.
  EXPECT_TRUE(readingsOf("，").empty());
  EXPECT_TRUE(readingsOf("α").empty());
  EXPECT_EQ(pinyinReadings(0x81, 0x7F).count, 0);  // 0x7F is no trail byte
  EXPECT_EQ(pinyinReadings(0xFF, 0xA1).count, 0);
  EXPECT_EQ(pinyinReadings(0x80, 0x40).count, 0);
  EXPECT_EQ(syllableText(static_cast<uint16_t>(syllableCount())), "");
  EXPECT_GT(syllableCount(), 400u);
}

TEST(CommandMatch, CharactersInitialsAndSyllables) {
  // Exact: the query takes the whole name, however it spells it.
  EXPECT_EQ(tier("编译(C)", "编译"), T::kExact);
  EXPECT_EQ(tier("编译(C)", "by"), T::kExact);
  EXPECT_EQ(tier("编译(C)", "bianyi"), T::kExact);
  EXPECT_EQ(tier("编译(C)", "biany"), T::kExact);  // a syllable being typed
  EXPECT_EQ(tier("静态编译(S)", "jtby"), T::kExact);
  EXPECT_EQ(tier("运行(S)", "yx"), T::kExact);
  EXPECT_EQ(tier("运行(S)", "YX"), T::kExact);
  // The beginning: as written (prefix) or by pinyin (start).
  EXPECT_EQ(tier("编译为易包(P)", "编译"), T::kPrefix);
  EXPECT_EQ(tier("编译为易包(P)", "by"), T::kStart);
  EXPECT_EQ(tier("静态编译(S)", "jingtai"), T::kStart);
  EXPECT_EQ(tier("静态编译(S)", "jt"), T::kStart);
  // Elsewhere, in a row; with gaps.
  EXPECT_EQ(tier("以指定类型运行(M)", "yx"), T::kSubstring);
  EXPECT_EQ(tier("以指定类型运行(M)", "运行"), T::kSubstring);
  EXPECT_EQ(tier("静态编译(S)", "jby"), T::kScattered);
  EXPECT_EQ(tier("静态编译(S)", "静译"), T::kScattered);
  // A piece must be a beginning of a reading: "ian" is inside bian, not at its start.
  EXPECT_EQ(tier("编译(C)", "ian"), T::kNone);
  EXPECT_EQ(tier("编译(C)", "yb"), T::kNone);  // order counts
  EXPECT_EQ(tier("编译(C)", "编译器"), T::kNone);
}

TEST(CommandMatch, PolyphonesMatchByEveryReading) {
  EXPECT_EQ(tier("运行(S)", "yunxing"), T::kExact);
  EXPECT_EQ(tier("运行(S)", "yunhang"), T::kExact);
  EXPECT_EQ(tier("重新运行", "zhongxin"), T::kStart);
  EXPECT_EQ(tier("重新运行", "cxyx"), T::kExact);
  EXPECT_EQ(tier("长度", "cd"), T::kExact);
  EXPECT_EQ(tier("长度", "zd"), T::kExact);
  // ü: typed v, or u.
  EXPECT_EQ(tier("绿色", "lvse"), T::kExact);
  EXPECT_EQ(tier("绿色", "luse"), T::kExact);
  EXPECT_EQ(tier("女", "nv"), T::kExact);
  EXPECT_EQ(tier("女", "nu"), T::kExact);
  EXPECT_EQ(tier("路", "lv"), T::kNone);  // v is only ü
}

TEST(CommandMatch, MarkersBlanksAndLatinWords) {
  EXPECT_EQ(normalizedName("打开(O)"), "打开");
  EXPECT_EQ(normalizedName("打开(&O)..."), "打开");
  EXPECT_EQ(normalizedName("&Save…"), "save");
  EXPECT_EQ(normalizedName("关于 Tovalux(A)"), "关于tovalux");
  EXPECT_EQ(normalizedName("类型库或OCX组件->支持库(Y)"), "类型库或ocx组件->支持库");
  EXPECT_EQ(normalizedName("搜索结果1"), "搜索结果1");  // a digit that is no marker
  // A marker's letter is not part of the name: "a" matches nothing in 打开(A).
  EXPECT_EQ(tier("打开(A)", "a"), T::kNone);
  EXPECT_EQ(tier("打开(A)", "dk"), T::kExact);
  // Latin words, whole or with the characters around them.
  EXPECT_EQ(tier("DLL命令(L)", "dll"), T::kPrefix);
  EXPECT_EQ(tier("DLL命令(L)", "DLLml"), T::kExact);
  EXPECT_EQ(tier("DLL命令定义表(L)", "dll命令"), T::kPrefix);
  EXPECT_EQ(tier("关于 Tovalux(A)", "tovalux"), T::kSubstring);
  EXPECT_EQ(tier("关于 Tovalux(A)", "gy tovalux"), T::kExact);
  EXPECT_EQ(tier("Tovalux-主题设置", "tovaluxzt"), T::kStart);  // the dash is stepped over
  EXPECT_EQ(tier("Windows-窗口程序", "windows-ckcx"), T::kExact);
  EXPECT_EQ(tier("Windows-窗口程序", "ckcx"), T::kSubstring);
  // Mixed queries: initials and characters.
  EXPECT_EQ(tier("静态编译(S)", "jt编译"), T::kExact);
  EXPECT_EQ(tier("静态编译(S)", "静tby"), T::kExact);
  EXPECT_EQ(tier("静态编译(S)", "jt编yi"), T::kExact);
}

TEST(CommandMatch, EmptyAndHostileInput) {
  EXPECT_EQ(tier("编译(C)", ""), T::kNone);
  EXPECT_EQ(tier("编译(C)", "   "), T::kNone);
  EXPECT_EQ(tier("", "by"), T::kNone);
  // Control characters and invalid bytes are left out; what remains still matches.
  EXPECT_EQ(tier("编译(C)", "b\x01y\n"), T::kExact);
  EXPECT_EQ(tier("编译(C)", "\x80\xFF"), T::kNone);
  EXPECT_EQ(tier("编译(C)", "\xB1"), T::kNone);  // a lone lead byte
  EXPECT_EQ(tier("编译(C)", "by\x81"), T::kExact);
  EXPECT_EQ(tier("编译(C)",
                 "\x80"
                 "by\xFF"),
            T::kExact);
  EXPECT_EQ(normalizedName("编译\xB1"), "编译");
  EXPECT_EQ(normalizedName(std::string("编\0译", 5)), "编译");
  // Very long names and queries are cut, not walked whole.
  const std::string longName = std::string(5000, 'a') + "编译";
  EXPECT_EQ(prepareName(longName).units.size(), kMaxNameUnits);
  EXPECT_EQ(tier(longName, "aaa"), T::kPrefix);
  std::string longQuery;
  for (int i = 0; i < 2000; ++i) longQuery += "编";
  EXPECT_EQ(prepareQuery(longQuery).units.size(), kMaxQueryUnits);
  EXPECT_EQ(tier("编编编", longQuery), T::kNone);
  std::string broken;
  for (int i = 0; i < 1500; ++i) broken += "\xB1\x7F";  // lead bytes without trail bytes
  EXPECT_TRUE(prepareName(broken).units.empty());
  EXPECT_EQ(tier(broken, "by"), T::kNone);
}

// --- the list and its order ------------------------------------------------------------------

const CommandEntry* find(const std::vector<CommandEntry>& list, std::string_view path) {
  for (const CommandEntry& e : list)
    if (pathText(e, " > ") == path) return &e;
  return nullptr;
}

TEST(CommandList, EveryCommandWithItsPathShortcutAndIcon) {
  const std::vector<std::string> recent = {"demo.e", "二号项目.e"};
  const std::vector<CommandEntry> list = buildCommandList(recent);

  const CommandEntry* build = find(list, "生成(C) > 静态编译(S)");
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(build->menuId, 701);
  EXPECT_EQ(build->shortcut, "Shift+F7");
  EXPECT_EQ(build->icon, "BuildSolution_16x.png");
  EXPECT_EQ(build->command, menuCommandFor(701));
  const CommandEntry* runAs = find(list, "调试(R) > 以指定类型运行(M) > Windows-控制台程序");
  ASSERT_NE(runAs, nullptr);
  EXPECT_EQ(runAs->menuId, 6011);
  EXPECT_EQ(runAs->shortcut, "Ctrl+6");
  // The File menu's recent files and its exit, the view menu's panes.
  const CommandEntry* second = find(list, "文件(F) > 二号项目.e");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->menuId, 109);
  EXPECT_EQ(second->icon, "Logo3.png");
  EXPECT_EQ(second->command.act, CommandAct::kRecentFile);
  ASSERT_NE(find(list, "文件(F) > 退出(X)"), nullptr);
  EXPECT_EQ(find(list, "文件(F) > 退出(X)")->menuId, exitItemId(recent.size()));
  const CommandEntry* pane = find(list, "视图(W) > 常用模块");
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->command.act, CommandAct::kTogglePane);
  EXPECT_EQ(pane->command.argument, 3);
  // Tool-bar buttons: one that does more than its menu item is listed on its own; one that is
  // the menu item of the same name is not listed twice.
  const CommandEntry* toolBuild = find(list, "工具栏 > 编译");
  ASSERT_NE(toolBuild, nullptr);
  EXPECT_TRUE(toolBuild->command.clearsOutput);
  EXPECT_EQ(toolBuild->position, 15);
  EXPECT_EQ(toolBuild->shortcut, "F7");
  EXPECT_NE(find(list, "工具栏 > 停止运行"), nullptr);
  EXPECT_EQ(find(list, "工具栏 > 复制"), nullptr);
  EXPECT_NE(find(list, "编辑(E) > 复制(C)"), nullptr);
  EXPECT_NE(find(list, "窗口设计工具栏 > 左对齐"), nullptr);
  // Items that do nothing are not offered.
  EXPECT_EQ(find(list, "文件(F) > 打印"), nullptr);
  EXPECT_EQ(find(list, "调试(R) > 以指定类型运行(M)"), nullptr);
  std::set<std::string> keys;
  for (const CommandEntry& e : list) {
    EXPECT_TRUE(actsAtAll(e.command)) << e.name;
    EXPECT_TRUE(validUsageKey(e.usageKey)) << e.usageKey;
    EXPECT_TRUE(keys.insert(e.usageKey).second) << e.usageKey;
  }
  EXPECT_GT(list.size(), 130u);
}

bool enabledAt(const std::vector<CommandEntry>& list, std::string_view path) {
  const CommandEntry* e = find(list, path);
  EXPECT_NE(e, nullptr) << path;
  return e != nullptr && e->enabled;
}

TEST(CommandList, EnabledByTheSameRunStateAsMenusAndToolBars) {
  std::vector<CommandEntry> list = buildCommandList();
  applyRunState(list, RunState{});
  EXPECT_FALSE(enabledAt(list, "调试(R) > 运行(S)"));
  EXPECT_FALSE(enabledAt(list, "工具栏 > 编译"));
  EXPECT_TRUE(enabledAt(list, "文件(F) > 新建(N)"));
  EXPECT_TRUE(enabledAt(list, "视图(W) > 调试输出"));
  EXPECT_FALSE(enabledAt(list, "窗口设计工具栏 > 左对齐"));

  RunState paused{.projectLoaded = true, .debugging = true, .paused = true};
  applyRunState(list, paused);
  EXPECT_TRUE(enabledAt(list, "调试(R) > 运行(S)"));
  EXPECT_FALSE(enabledAt(list, "生成(C) > 静态编译(S)"));
  EXPECT_FALSE(enabledAt(list, "工具栏 > 静态编译"));
  EXPECT_TRUE(enabledAt(list, "工具栏 > 停止运行"));

  RunState running{.projectLoaded = true, .debugging = true, .running = true};
  applyRunState(list, running);
  EXPECT_FALSE(enabledAt(list, "调试(R) > 单步跟踪(O)"));
  EXPECT_FALSE(enabledAt(list, "工具栏 > 单步"));

  RunState designer{.projectLoaded = true, .pageKind = 5};
  applyRunState(list, designer);
  EXPECT_TRUE(enabledAt(list, "窗口设计工具栏 > 左对齐"));
  EXPECT_TRUE(enabledAt(list, "查看(V) > 预览被设计窗口(V)"));
  designer.debugging = true;
  applyRunState(list, designer);
  EXPECT_FALSE(enabledAt(list, "窗口设计工具栏 > 左对齐"));
}

struct Ranking {
  std::vector<CommandEntry> list = buildCommandList();
  std::vector<PreparedText> names;
  Ranking() {
    for (const CommandEntry& e : list) names.push_back(prepareName(e.name));
  }
  std::vector<std::string> top(std::string_view query, std::string_view usage, size_t n) {
    const std::vector<UsageEntry> record = parseUsage(usage);
    std::vector<uint32_t> scores;
    for (const CommandEntry& e : list) scores.push_back(usageScore(record, e.usageKey));
    std::vector<std::string> out;
    for (size_t i : rankCommands(names, scores, prepareQuery(query), n)) out.push_back(pathText(list[i], " > "));
    return out;
  }
};

TEST(CommandSearch, RankedByMatchThenByUse) {
  Ranking r;
  // Exact names first (menu before tool bar in table order), then beginnings, then the rest.
  EXPECT_EQ(r.top("by", "", 3),
            (std::vector<std::string>{"生成(C) > 编译(C)", "工具栏 > 编译", "生成(C) > 编译为易包(P)"}));
  EXPECT_EQ(r.top("jtby", "", 2), (std::vector<std::string>{"生成(C) > 静态编译(S)", "工具栏 > 静态编译"}));
  // Use breaks ties within a tier, never across tiers.
  EXPECT_EQ(r.top("by", "t15*4", 2), (std::vector<std::string>{"工具栏 > 编译", "生成(C) > 编译(C)"}));
  EXPECT_EQ(r.top("by", "m703*50", 1), (std::vector<std::string>{"生成(C) > 编译(C)"}));
  const std::vector<std::string> run = r.top("yx", "", 0);
  ASSERT_GE(run.size(), 2u);
  EXPECT_EQ(run[0], "调试(R) > 运行(S)");
  // The empty query lists every command, the used ones first.
  const std::vector<std::string> all = r.top("", "m1006*1;m701*3", 0);
  EXPECT_EQ(all.size(), r.list.size());
  EXPECT_EQ(all[0], "生成(C) > 静态编译(S)");  // 3 uses, second latest
  EXPECT_EQ(all[1], "视图(W) > 调试输出");
  EXPECT_EQ(all[2], "文件(F) > 新建(N)");                         // then table order
  EXPECT_TRUE(r.top("\x80\x81", "", 0).size() == r.list.size());  // nothing left of it: all
  EXPECT_TRUE(r.top("qqqqzzzz", "", 0).empty());
  EXPECT_EQ(r.top("by", "", 1).size(), 1u);
}

// --- the usage record ------------------------------------------------------------------------

TEST(CommandUsage, ReadsWritesAndRecords) {
  const std::vector<UsageEntry> entries = {{"m701", 3}, {"t0.21", 12}, {"x", 1}};
  EXPECT_EQ(formatUsage(entries), "m701*3;t0.21*12;x*1");
  EXPECT_EQ(parseUsage("m701*3;t0.21*12;x*1"), entries);

  std::vector<UsageEntry> r = recordUse(entries, "x");
  EXPECT_EQ(formatUsage(r), "x*2;m701*3;t0.21*12");
  r = recordUse(r, "m100");
  EXPECT_EQ(formatUsage(r), "m100*1;x*2;m701*3;t0.21*12");
  EXPECT_EQ(recordUse(r, "bad key"), r);
  // Fifty at most: the oldest goes.
  std::vector<UsageEntry> many;
  for (int i = 0; i < 60; ++i) many = recordUse(many, "m" + std::to_string(i));
  ASSERT_EQ(many.size(), kMaxUsageEntries);
  EXPECT_EQ(many.front().key, "m59");
  EXPECT_EQ(many.back().key, "m10");
  EXPECT_EQ(parseUsage(formatUsage(many)), many);
  // Recency and frequency both count.
  EXPECT_GT(usageScore(entries, "m701"), usageScore(entries, "x"));
  EXPECT_GT(usageScore(entries, "t0.21"), usageScore(entries, "m701"));
  EXPECT_EQ(usageScore(entries, "m999"), 0u);
  EXPECT_GT(usageScore(parseUsage("a*1;b*1"), "a"), usageScore(parseUsage("a*1;b*1"), "b"));
}

TEST(CommandUsage, HostileValuesGiveWhatCanBeRead) {
  EXPECT_TRUE(parseUsage("").empty());
  EXPECT_TRUE(parseUsage(";;;*;**;").empty());
  EXPECT_EQ(formatUsage(parseUsage("m701;m702*;m703*abc;m 704*3;m705*0;m706*-1;m707*2")), "m707*2");
  EXPECT_EQ(formatUsage(parseUsage("m1*99999999999999999999")), "m1*999999");
  EXPECT_EQ(formatUsage(parseUsage("a*1;a*7;b*2")), "a*1;b*2");  // the later duplicate dropped
  EXPECT_EQ(formatUsage(parseUsage(std::string(25, 'k') + "*1;" + std::string(24, 'k') + "*1")),
            std::string(24, 'k') + "*1");
  EXPECT_EQ(formatUsage(parseUsage("编译*3;m1*1")), "m1*1");
  EXPECT_EQ(formatUsage(parseUsage(std::string("m1*1\0m2*2", 9))), "");  // a NUL inside the count
  std::string huge;
  for (int i = 0; i < 5000; ++i) huge += "k" + std::to_string(i) + "*1;";
  EXPECT_EQ(parseUsage(huge).size(), kMaxUsageEntries);
  EXPECT_EQ(recordUse(parseUsage("a*999999"), "a").front().count, kMaxUsageCount);
  EXPECT_EQ(formatUsage(std::vector<UsageEntry>{{"ok", 1}, {"no;way", 3}, {"z", 0}}), "ok*1");
}

// --- the focus key ---------------------------------------------------------------------------

TEST(CommandSearch, FocusKeyFromTheSettingsFile) {
  EXPECT_EQ(parseHotKey("Ctrl+Shift+P"), (HotKey{'P', true, true, false}));
  EXPECT_EQ(parseHotKey(" ctrl + shift + p "), (HotKey{'P', true, true, false}));
  EXPECT_EQ(parseHotKey("Alt+Q"), (HotKey{'Q', false, false, true}));
  EXPECT_EQ(parseHotKey("F12"), (HotKey{0x7B, false, false, false}));
  EXPECT_EQ(parseHotKey("Control+3"), (HotKey{'3', true, false, false}));
  // A plain letter would be taken from every text field; keys must come last, once.
  EXPECT_EQ(parseHotKey("P"), std::nullopt);
  EXPECT_EQ(parseHotKey("Shift+P"), std::nullopt);
  EXPECT_EQ(parseHotKey("Ctrl+Ctrl+P"), std::nullopt);
  EXPECT_EQ(parseHotKey("P+Ctrl"), std::nullopt);
  EXPECT_EQ(parseHotKey("Ctrl++P"), std::nullopt);
  EXPECT_EQ(parseHotKey("Ctrl+F25"), std::nullopt);
  EXPECT_EQ(parseHotKey("Ctrl+"), std::nullopt);
  EXPECT_EQ(parseHotKey(""), std::nullopt);
  EXPECT_EQ(parseHotKey("Ctrl+编"), std::nullopt);
  EXPECT_EQ(hotKeyText(*parseHotKey("shift+ctrl+alt+f3")), "Ctrl+Shift+Alt+F3");

  const HotKey fallback = *parseHotKey(kDefaultFocusKey);
  EXPECT_EQ(focusKeyFromSetting(""), fallback);
  EXPECT_EQ(focusKeyFromSetting("nonsense"), fallback);
  EXPECT_EQ(focusKeyFromSetting("Alt+Q"), (HotKey{'Q', false, false, true}));
  // The host's own shortcuts stay the host's.
  EXPECT_EQ(focusKeyFromSetting("Ctrl+O"), fallback);
  EXPECT_EQ(focusKeyFromSetting("F5"), fallback);
  EXPECT_EQ(focusKeyFromSetting("Ctrl+Shift+F"), fallback);
  EXPECT_EQ(focusKeyFromSetting("Ctrl+6"), fallback);  // a submenu item's
  // The default itself is none of them.
  EXPECT_EQ(focusKeyFromSetting(kDefaultFocusKey), fallback);
}

}  // namespace
}  // namespace tovalux::commands
