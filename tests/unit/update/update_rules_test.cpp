// The update answer and the tip's address: both come from the network.
#include "update/update_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace tovalux::update {
namespace {

std::string answer(const std::string& version, const std::string& url = "https://127.0.0.1/dl",
                   const std::string& des = "新版本") {
  return R"({"versionCode":")" + version + R"(","versionName":"v)" + version +
         R"(","versionTime":"2026-12-01","url":")" + url + R"(","des":")" + des + R"("})";
}

TEST(UpdateAddress, IsHttpToTheUpdateHostAndPath) {
  EXPECT_EQ(updateAddress(), std::string("http://") + kUpdateHost + "/tovalux/getversion.php");
}

TEST(UpdateAnswer, OwnVersionAsksForNothingAnyOtherVersionAsksForTheTip) {
  EXPECT_FALSE(readUpdateAnswer(answer("1.0.3"), "1.0.3"));
  for (const char* other : {"1.0.4", "1.0.2", "2.0", "1.0.3 ", "v1.0.3"}) {
    const auto offer = readUpdateAnswer(answer(other, "https://127.0.0.1/x", "说明"), "1.0.3");
    ASSERT_TRUE(offer) << other;
    EXPECT_EQ(offer->url, "https://127.0.0.1/x");
    EXPECT_EQ(offer->description, "说明");
  }
}

TEST(UpdateAnswer, MissingEmptyOrNonTextVersionAsksForNothing) {
  EXPECT_FALSE(readUpdateAnswer(R"({"url":"https://127.0.0.1","des":"x"})", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer(R"({"versionCode":"","url":"https://127.0.0.1"})", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer(R"({"versionCode":104,"url":"https://127.0.0.1"})", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer(R"(["1.0.4"])", "1.0.3"));
}

TEST(UpdateAnswer, BrokenEmptyAndOversizedBodiesAskForNothing) {
  EXPECT_FALSE(readUpdateAnswer("", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer("<html>502 Bad Gateway</html>", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer(R"({"versionCode":"1.0.4","url":"http://a)", "1.0.3"));
  EXPECT_FALSE(readUpdateAnswer(std::string(5, '\0'), "1.0.3"));
  // An answer just under the cap reads; one byte over does not.
  std::string padded = answer("1.0.4");
  padded.insert(padded.size() - 1, R"(,"pad":")" + std::string(kMaxAnswerBytes, 'x') + "\"");
  const size_t excess = padded.size() - kMaxAnswerBytes;
  padded.erase(padded.find("xxx"), excess);
  ASSERT_EQ(padded.size(), kMaxAnswerBytes);
  EXPECT_TRUE(readUpdateAnswer(padded, "1.0.3"));
  padded.insert(padded.find("xxx"), "x");
  EXPECT_FALSE(readUpdateAnswer(padded, "1.0.3"));
}

TEST(UpdateAnswer, UnicodeEscapesAreDecodedToGbk) {
  const auto offer = readUpdateAnswer(R"({"versionCode":"1.1","des":"\u65b0\u7248","url":"http://e.org"})", "1.0.3");
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->description, "新版");
}

TEST(OpenableUrl, WebAddressesInAnyLetterCase) {
  for (const char* url :
       {"http://127.0.0.1", "https://127.0.0.1/download?v=1.0.4#top", "HTTP://127.0.0.1/", "hTTpS://127.0.0.1:8443/a/b",
        "http://127.0.0.1:8080/x", "http://[::1]/x", "https://127.0.0.1/%E6%96%B0"})
    EXPECT_TRUE(isOpenableUrl(url)) << url;
}

TEST(OpenableUrl, FilesSharesProgramsAndOtherSchemesAreRefused) {
  for (const char* url : {"file:///C:/Windows/System32/calc.exe",
                          "C:\\Windows\\notepad.exe",
                          "\\\\127.0.0.1\\share\\setup.exe",
                          "javascript:alert(1)",
                          "ms-settings:",
                          "mailto:a@b.c",
                          "ftp://127.0.0.1/",
                          "http:/127.0.0.1",
                          "http:///c:/windows",
                          "http://",
                          "https://?x",
                          "//127.0.0.1/x",
                          "calc",
                          "",
                          " http://127.0.0.1",
                          "http://user@evil.example/x",
                          "http://exa mple.org",
                          "http://127.0.0.1/\"&calc",
                          "http://127.0.0.1\\x",
                          "http://例子.org"})
    EXPECT_FALSE(isOpenableUrl(url)) << url;
}

TEST(OpenableUrl, ControlCharactersAndOverlongAddressesAreRefused) {
  EXPECT_FALSE(isOpenableUrl(std::string("http://127.0.0.1/\r\nx")));
  EXPECT_FALSE(isOpenableUrl(std::string("http://127.0.0.1/\tx")));
  EXPECT_FALSE(isOpenableUrl(std::string("http://127.0.0.1/\x7f")));
  EXPECT_FALSE(isOpenableUrl(std::string("http://127.0.0.1/\0x", 19)));
  const std::string base = "https://127.0.0.1/";
  EXPECT_TRUE(isOpenableUrl(base + std::string(kMaxUrlLength - base.size(), 'a')));
  EXPECT_FALSE(isOpenableUrl(base + std::string(kMaxUrlLength - base.size() + 1, 'a')));
  EXPECT_FALSE(isOpenableUrl(base + std::string(5000, 'a')));
}

// The description is the server's: shown as plain text, control characters as blanks, line
// breaks kept, cut on a character with a mark past 1,024 bytes.
TEST(TipText, ControlCharactersBecomeBlanksAndLongTextsAreCutOnACharacter) {
  EXPECT_EQ(tipText("修复\r\n问题\t\x01\x1B[2J\x7F!"), "修复\r\n问题   [2J !");
  EXPECT_EQ(tipText(""), "");
  std::string longText = "a";
  while (longText.size() < 3000) longText += "很长";
  const std::string shown = tipText(longText);
  EXPECT_LE(shown.size(), kMaxTipTextBytes);
  EXPECT_GT(shown.size(), kMaxTipTextBytes - 8);
  EXPECT_EQ(shown.substr(shown.size() - std::string("…").size()), "…");
  const std::string body = shown.substr(0, shown.size() - std::string("…").size());
  EXPECT_EQ(body, longText.substr(0, body.size()));
  EXPECT_EQ((body.size() - 1) % 2, 0u);  // whole characters after the "a"
  // A lead byte without its trail byte is one byte on its own, shown as the converter shows it.
  EXPECT_EQ(tipText("x\x81\x01y"), "x\x81 y");
}

}  // namespace
}  // namespace tovalux::update
