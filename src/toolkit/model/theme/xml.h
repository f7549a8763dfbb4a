// A small XML reader for layout and template files: elements, attributes, character and
// entity references, comments, processing instructions, CDATA and a DOCTYPE without internal
// subset. Bounded in size and depth; anything else is an error (no partial tree).
// Pure: safe on any thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovalux::tk {

struct XmlNode {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values decoded, UTF-8
  std::vector<XmlNode> children;
  std::string text;  // character data directly inside the element, concatenated

  const std::string* attribute(std::string_view name) const;
};

struct XmlLimits {
  size_t maxBytes = 4u << 20;
  int maxDepth = 64;
  size_t maxNodes = 100000;
};

// Parses a document (UTF-8, or GBK when the declaration says so) into its document element.
std::optional<XmlNode> parseXml(std::string_view text, const XmlLimits& limits = {});

}  // namespace tovalux::tk
