// The start page's style script and its request decisions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hooks/host/start_page_rules.h"
#include "hooks/host/start_page_script.h"

namespace tovalux::startpage {
namespace {

std::vector<std::string> lines(const std::string& script) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(script.substr(start, end - start));
  EXPECT_EQ(start, script.size()) << "text after the last line break";
  return out;
}

std::string decodeBase64(std::string_view text) {
  constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    const size_t value = kAlphabet.find(c);
    if (value == std::string_view::npos) return {};
    bits = (bits << 6) | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

uint32_t bigEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

TEST(StartPageScript, IsOneSingleQuotedJQueryStatementPerRuleInTableOrder) {
  const std::vector<std::string> statements = lines(startPageScript());
  ASSERT_EQ(statements.size(), 23u);
  EXPECT_EQ(statements[0], "$('.left_tree h2').css('color', '#84CEFF');");
  EXPECT_EQ(statements[1], "$('.left_tree').css('border', '0');");
  EXPECT_EQ(statements[2], "$('body').css('background-color', '#252526');");
  EXPECT_EQ(statements[6], "$('.left_tree .linklist td').css('border-top-color', '#3f3f40');");
  EXPECT_EQ(statements[9], "$('.topgg').css('border', '1px solid rgba(63, 63, 64,255)');");
  EXPECT_EQ(statements[10], "$('font').css('font-family', '\"Microsoft YaHei\", sans-serif');");
  // The one attribute: the colour of <font> elements.
  EXPECT_EQ(statements[11], "$('font').attr('color', 'rgba(241,241,241,255)');");
  EXPECT_EQ(statements[16], "$('.artbody').css('font-family', '\"Microsoft YaHei\", sans-serif');");
  EXPECT_EQ(statements[18],
            "$('.left_tree .linklist .subject').css('font-family', '\"Microsoft YaHei\", sans-serif');");
  EXPECT_EQ(statements[22], "$('.icon_weixin').css('color', '#f1f1f1');");
  for (size_t i = 0; i < statements.size(); ++i) {
    const StyleRule& rule = startPageRules()[i];
    EXPECT_EQ(statements[i].rfind("$('" + std::string(rule.selector) + "')", 0), 0u) << i;
    EXPECT_EQ(statements[i].find(rule.operation == StyleOperation::kAttribute ? ".attr('" : ".css('"),
              3 + rule.selector.size() + 2)
        << i;
  }
  // Made once: every caller gets the same text.
  EXPECT_EQ(&startPageScript(), &startPageScript());
}

TEST(StartPageScript, TheBadgeIsATwentyFourPixelSquarePngGivenAsADataUrl) {
  const std::string badge = lines(startPageScript())[20];
  const std::string prefix = "$('.left_tree .linklist .num').css('background-image', 'url(data:image/png;base64,";
  ASSERT_EQ(badge.rfind(prefix, 0), 0u);
  ASSERT_EQ(badge.substr(badge.size() - 4), ")');");
  const std::string encoded = badge.substr(prefix.size(), badge.size() - prefix.size() - 4);
  EXPECT_EQ(encoded, kBadgePngBase64);
  const std::string png = decodeBase64(encoded);
  ASSERT_GE(png.size(), 33u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(bigEndian(png, 16), 24u);
  EXPECT_EQ(bigEndian(png, 20), 24u);
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

TEST(StartPageScript, QuotesBackslashesAndLineBreaksInATextCannotEndTheStatement) {
  const StyleRule hostile{"a'b", StyleOperation::kCss, "c\\", "x');alert(1);//\r\ny"};
  EXPECT_EQ(styleStatement(hostile), "$('a\\'b').css('c\\\\', 'x\\');alert(1);//\\r\\ny');");
  const StyleRule rules[] = {hostile, {"p", StyleOperation::kAttribute, "title", ""}};
  const std::vector<std::string> statements = lines(styleScript(rules));
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[1], "$('p').attr('title', '');");
  EXPECT_EQ(styleScript({}), "");
}

TEST(StartPageScript, OnlyVBScriptRunsAsVBScript) {
  EXPECT_EQ(scriptLanguage("VBScript"), "VBScript");
  for (const char* other : {"", "JScript", "JavaScript", "vbscript", "VBScript "})
    EXPECT_EQ(scriptLanguage(other), "JavaScript") << other;
}

constexpr uintptr_t kView = 0x1234;

TEST(StartPageRequest, APageNotCompleteIsAskedAgainAndStyledOnceItIs) {
  InjectProgress progress;
  // Not reached yet: the limit has not started, however long that takes.
  EXPECT_EQ(progress.step(kView, 0, false, false), InjectStep::kRetry);
  EXPECT_EQ(progress.step(kView, 60000, false, false), InjectStep::kRetry);
  EXPECT_EQ(progress.step(kView, 61000, true, false), InjectStep::kRetry);
  EXPECT_EQ(progress.step(kView, 61000 + kReadyLimitMs - 1, true, false), InjectStep::kRetry);
  // A request that cannot reach the document in between changes nothing.
  EXPECT_EQ(progress.step(kView, 61000 + kReadyLimitMs - 1, false, false), InjectStep::kRetry);
  EXPECT_EQ(progress.step(kView, 61000 + kReadyLimitMs - 1, true, true), InjectStep::kInject);
  // Styled once: later requests for that view are accepted without styling again.
  EXPECT_EQ(progress.step(kView, 70000, true, true), InjectStep::kFinished);
  EXPECT_FALSE(InjectProgress::accepted(InjectStep::kRetry));
  for (InjectStep s : {InjectStep::kInject, InjectStep::kGiveUp, InjectStep::kFinished})
    EXPECT_TRUE(InjectProgress::accepted(s));
}

TEST(StartPageRequest, TheLimitCountsFromTheFirstReachAcrossTheTickWrap) {
  InjectProgress progress;
  const uint32_t first = 0xFFFFFFFFu - 1000;
  EXPECT_EQ(progress.step(kView, first, true, false), InjectStep::kRetry);
  EXPECT_EQ(progress.step(kView, first + kReadyLimitMs - 1, true, false), InjectStep::kRetry);  // wrapped
  EXPECT_EQ(progress.step(kView, first + kReadyLimitMs, true, false), InjectStep::kGiveUp);
  // Given up: even a page complete now stays unstyled.
  EXPECT_EQ(progress.step(kView, first + kReadyLimitMs + 1, true, true), InjectStep::kFinished);
  // Another web view starts afresh.
  EXPECT_EQ(progress.step(kView + 4, first + kReadyLimitMs + 2, true, true), InjectStep::kInject);
}

TEST(StartPageSplash, IsCentredOnTheScreen) {
  EXPECT_EQ(splashPlace(1920, 1080).x, 620);
  EXPECT_EQ(splashPlace(1920, 1080).y, 330);
  EXPECT_EQ(splashPlace(680, 420).x, 0);
  // A screen smaller than the splash puts it partly off-screen, still centred.
  EXPECT_EQ(splashPlace(640, 400).x, -20);
  EXPECT_EQ(splashPlace(640, 400).y, -10);
}

}  // namespace
}  // namespace tovalux::startpage
