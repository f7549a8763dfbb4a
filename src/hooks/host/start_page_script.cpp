#include "hooks/host/start_page_script.h"

#include <array>

namespace tovalux::startpage {
namespace {

constexpr StyleOperation kCss = StyleOperation::kCss;

// The value of the badge rule: the PNG as a data URL (base64 holds no quote or parenthesis).
constexpr std::string_view kBadgeUrl =
    "url(data:image/png;base64,"
    "iVBORw0KGgoAAAANSUhEUgAAABgAAAAYCAYAAADgdz34AAAATElEQVR42mNgGAzA3t7tPzZME0OpYhmphpNkCbmGE2UJpYbjtYRahuO0"
    "ZGhbQG3DMSwZtWAEWDCa0eheHg1ccU2XCocuVSZdKn1qAQD99qSfMdb5bwAAAABJRU5ErkJggg==)";
static_assert(kBadgeUrl.substr(26, kBadgePngBase64.size()) == kBadgePngBase64);

constexpr std::array<StyleRule, 23> kRules = {{
    {".left_tree h2", kCss, "color", "#84CEFF"},
    {".left_tree", kCss, "border", "0"},
    {"body", kCss, "background-color", "#252526"},
    {"html", kCss, "background-color", "#252526"},
    {".tree_expand", kCss, "background-color", "#2d2d30"},
    {".tree_close", kCss, "background-color", "#2d2d30"},
    {".left_tree .linklist td", kCss, "border-top-color", "#3f3f40"},
    {".left_tree .linklist .subject", kCss, "border-left-color", "#3f3f40"},
    {".topgg", kCss, "background-color", "#2d2d30"},
    {".topgg", kCss, "border", "1px solid rgba(63, 63, 64,255)"},
    {"font", kCss, "font-family", kPageFontList},
    {"font", StyleOperation::kAttribute, "color", "rgba(241,241,241,255)"},
    {"a:link", kCss, "color", "#1796f9"},
    {".subject", kCss, "color", "#f1f1f1"},
    {".artbody", kCss, "color", "#f1f1f1"},
    {".artbody b", kCss, "color", "#90D48D"},
    {".artbody", kCss, "font-family", kPageFontList},
    {".artbody h3", kCss, "color", "#D8AC6B"},
    {".left_tree .linklist .subject", kCss, "font-family", kPageFontList},
    {".left_tree .linklist .subject", kCss, "color", "#B7B9C5"},
    {".left_tree .linklist .num", kCss, "background-image", kBadgeUrl},
    {".icon_qun", kCss, "color", "#f1f1f1"},
    {".icon_weixin", kCss, "color", "#f1f1f1"},
}};

void appendQuoted(std::string& out, std::string_view text) {
  out += '\'';
  for (const char c : text) {
    switch (c) {
      case '\'': out += "\\'"; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c; break;
    }
  }
  out += '\'';
}

}  // namespace

std::span<const StyleRule> startPageRules() { return kRules; }

std::string styleStatement(const StyleRule& rule) {
  std::string out = "$(";
  appendQuoted(out, rule.selector);
  out += rule.operation == StyleOperation::kAttribute ? ").attr(" : ").css(";
  appendQuoted(out, rule.property);
  out += ", ";
  appendQuoted(out, rule.value);
  out += ");";
  return out;
}

std::string styleScript(std::span<const StyleRule> rules) {
  std::string out;
  for (const StyleRule& rule : rules) {
    out += styleStatement(rule);
    out += "\r\n";
  }
  return out;
}

const std::string& startPageScript() {
  static const std::string script = styleScript(kRules);
  return script;
}

std::string_view scriptLanguage(std::string_view requested) {
  return requested == "VBScript" ? std::string_view("VBScript") : std::string_view("JavaScript");
}

}  // namespace tovalux::startpage
