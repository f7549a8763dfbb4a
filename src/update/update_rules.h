// The update check's rules: where it asks, how it reads the answer and which addresses the tip's
// button may open. The answer comes from the network, so every part of it is treated as hostile.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux::update {

inline constexpr char kUpdateHost[] = "update.tovalux.net";
inline constexpr char kUpdatePath[] = "/tovalux/getversion.php";
// "http://update.tovalux.net/tovalux/getversion.php"
std::string updateAddress();

// Larger answers are dropped unread: a version description is a few hundred bytes.
inline constexpr size_t kMaxAnswerBytes = 64 * 1024;
// Longer addresses are refused (browsers and ShellExecute disagree beyond about 2,000).
inline constexpr size_t kMaxUrlLength = 2048;

// What an answer asks for: a tip with its description and the download page.
struct UpdateOffer {
  std::string description;  // GBK
  std::string url;          // as the answer gives it; check isOpenableUrl before opening
};

// Reads an answer body (GBK, \u escapes decoded). Nothing when the body is empty, larger than
// kMaxAnswerBytes or not JSON, when versionCode is missing or empty, or when it is exactly
// `ownVersion`. Any other version, older or newer, asks for the tip: the text is compared, not
// ordered.
std::optional<UpdateOffer> readUpdateAnswer(std::string_view body, std::string_view ownVersion);

// The description as the tip shows it: plain text. Control characters other than line breaks
// become blanks, and a text longer than kMaxTipTextBytes is cut on a character and ends in "…".
inline constexpr size_t kMaxTipTextBytes = 1024;
std::string tipText(std::string_view description);

// The only addresses the tip's button opens: "http://" or "https://" (any letter case) with a
// host, printable ASCII without blanks, backslashes or quotes, at most kMaxUrlLength bytes. A
// file, a UNC path, a program, "javascript:" or any other scheme is refused.
bool isOpenableUrl(std::string_view url);

}  // namespace tovalux::update
