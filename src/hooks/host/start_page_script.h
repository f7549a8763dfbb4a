// The style the start page's web view gets once its page has loaded: one jQuery statement per
// rule (the page brings jQuery as `$`), strings in single quotes, one statement per line.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tovalux::startpage {

enum class StyleOperation { kCss, kAttribute };

struct StyleRule {
  std::string_view selector;
  StyleOperation operation;
  std::string_view property;
  std::string_view value;
};

// The font list the page's text is set in.
inline constexpr std::string_view kPageFontList = "\"Microsoft YaHei\", sans-serif";
// The 24 x 24 number badge of the link list, as a PNG.
inline constexpr std::string_view kBadgePngBase64 =
    "iVBORw0KGgoAAAANSUhEUgAAABgAAAAYCAYAAADgdz34AAAATElEQVR42mNgGAzA3t7tPzZME0OpYhmphpNkCbmGE2UJpYbjtYRahuO0"
    "ZGhbQG3DMSwZtWAEWDCa0eheHg1ccU2XCocuVSZdKn1qAQD99qSfMdb5bwAAAABJRU5ErkJggg==";

// The start page's rules, in the order they are applied.
std::span<const StyleRule> startPageRules();

// One rule as a statement: $('selector').css('property', 'value'); (or .attr for attributes).
// A quote, a backslash or a line break inside a text is escaped, so a text never ends the
// statement early.
std::string styleStatement(const StyleRule& rule);
// The statements of `rules`, each followed by "\r\n".
std::string styleScript(std::span<const StyleRule> rules);
// The script the start page gets (styleScript of startPageRules), made once.
const std::string& startPageScript();

// The scripting language execScript is asked for: "VBScript" runs VBScript, anything else
// (also an empty name) JavaScript.
std::string_view scriptLanguage(std::string_view requested);

}  // namespace tovalux::startpage
