#include "toolkit/model/theme/descriptor.h"

#include <bit>
#include <charconv>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/resources.h"

namespace tovalux::tk {

namespace {

constexpr size_t kMaxDescriptor = 64 * 1024;
constexpr size_t kMaxParts = 256;
constexpr size_t kMaxArgs = 16;

struct Arg {
  bool isName = false;
  int64_t value = 0;
  std::string name;
};

struct Property {
  int number = 0;
  std::vector<Arg> args;
};

// Reads "number(arg,...)number(...)..." exactly; false on any deviation.
bool parseProperties(std::string_view text, std::vector<Property>& out, bool indexesOnly) {
  size_t i = 0;
  if (text.empty()) return false;
  while (i < text.size()) {
    Property prop;
    size_t start = i;
    bool negative = false;
    if (indexesOnly && text[i] == '-') negative = true, ++i;  // state values are signed
    int64_t number = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number = number * 10 + (text[i] - '0');
      if (number > 0xFFFFFFFFll) return false;
      ++i, ++digits;
    }
    if (digits == 0 || i >= text.size() || text[i] != '(') return false;
    (void)start;
    if (negative) number = -number;
    if (number < INT32_MIN || (!indexesOnly && number > INT32_MAX)) return false;
    prop.number = static_cast<int>(static_cast<uint32_t>(number));
    ++i;  // '('
    while (true) {
      if (prop.args.size() >= kMaxArgs) return false;
      Arg arg;
      if (i < text.size() && text[i] == '@') {
        if (indexesOnly) return false;
        size_t n = ++i;
        while (i < text.size() && text[i] != '(' && text[i] != ')' && text[i] != ',' && text[i] != ';') ++i;
        if (i == n) return false;
        arg.isName = true;
        arg.name = std::string(text.substr(n, i - n));
      } else {
        bool neg = false;
        if (!indexesOnly && i < text.size() && text[i] == '-') neg = true, ++i;
        size_t n = i;
        int64_t v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
          v = v * 10 + (text[i] - '0');
          if (v > 0xFFFFFFFFll) return false;
          ++i;
        }
        if (i == n) return false;
        arg.value = neg ? -v : v;
        if (arg.value < INT32_MIN || arg.value > INT32_MAX) {
          // Colour values are written signed; accept their unsigned spelling too.
          if (arg.value > 0xFFFFFFFFll) return false;
          arg.value = static_cast<int32_t>(static_cast<uint32_t>(arg.value));
        }
      }
      prop.args.push_back(std::move(arg));
      if (i >= text.size()) return false;
      if (text[i] == ',') {
        ++i;
        continue;
      }
      if (text[i] == ')') {
        ++i;
        break;
      }
      return false;
    }
    out.push_back(std::move(prop));
  }
  return true;
}

bool intArgs(const Property& p, size_t count) {
  if (p.args.size() != count) return false;
  for (const Arg& a : p.args)
    if (a.isName) return false;
  return true;
}
bool nameArg(const Property& p) { return p.args.size() == 1 && p.args[0].isName; }

BkColor literal(int64_t value, std::optional<int64_t> alpha) {
  // 0xAABBGGRR: the low three bytes are the COLORREF.
  uint32_t v = static_cast<uint32_t>(value);
  BkColor c;
  c.color = v & 0x00FFFFFF;
  c.alpha = static_cast<uint8_t>(alpha ? *alpha : (v >> 24));
  return c;
}

std::optional<BkPart> buildPart(BkPart::Kind kind, const std::vector<Property>& props) {
  BkPart part;
  part.kind = kind;
  std::optional<int64_t> fillKind, borderKind, fillValue, fillAlpha, borderValue, borderAlpha;
  std::string fillName, borderName;
  bool borderOn = false;
  for (const Property& p : props) {
    switch (p.number) {
      case 2:
        if (!intArgs(p, 1) || p.args[0].value < 0 || p.args[0].value > 255) return std::nullopt;
        part.anchors = static_cast<int>(p.args[0].value);
        break;
      case 3:
        if (!intArgs(p, 4)) return std::nullopt;
        for (const Arg& a : p.args)
          if (a.value < -100000 || a.value > 100000) return std::nullopt;
        part.dist = XRect{int32_t(p.args[0].value), int32_t(p.args[1].value), int32_t(p.args[2].value),
                          int32_t(p.args[3].value)};
        break;
      case 4:
        if (kind != BkPart::Kind::image || !nameArg(p)) return std::nullopt;
        part.image = p.args[0].name;
        break;
      case 21:
        if (!intArgs(p, 1)) return std::nullopt;
        fillKind = p.args[0].value;
        break;
      case 25:
        if (!nameArg(p)) return std::nullopt;
        fillName = p.args[0].name;
        break;
      case 22:
        if (!intArgs(p, 1)) return std::nullopt;
        fillValue = p.args[0].value;
        break;
      case 23:
        if (!intArgs(p, 1) || p.args[0].value < 0 || p.args[0].value > 255) return std::nullopt;
        fillAlpha = p.args[0].value;
        break;
      case 10:
      case 7:
        if (!intArgs(p, 1)) return std::nullopt;
        borderOn = borderOn || p.args[0].value != 0;
        break;
      case 11:
        if (!intArgs(p, 1)) return std::nullopt;
        borderKind = p.args[0].value;
        break;
      case 15:
        if (!nameArg(p)) return std::nullopt;
        borderName = p.args[0].name;
        break;
      case 12:
        if (!intArgs(p, 1)) return std::nullopt;
        borderValue = p.args[0].value;
        break;
      case 13:
        if (!intArgs(p, 1) || p.args[0].value < 0 || p.args[0].value > 255) return std::nullopt;
        borderAlpha = p.args[0].value;
        break;
      case 20:
      case 26:
      case 16:
        // Fill on, solid fill, solid border: written by the system with fixed arguments.
        if (!intArgs(p, 1)) return std::nullopt;
        break;
      default:
        // Properties this toolkit does not know are carried without effect.
        break;
    }
  }
  if (kind == BkPart::Kind::image) {
    if (part.image.empty()) return std::nullopt;
    return part;
  }
  // Fill: kind 5 named, kind 3 literal; without a kind, whichever colour is given.
  if (fillKind.value_or(fillName.empty() ? 3 : 5) == 5) {
    if (!fillName.empty()) part.fill = BkColor{true, fillName, 0, static_cast<uint8_t>(fillAlpha.value_or(255))};
  } else if (fillValue) {
    part.fill = literal(*fillValue, fillAlpha);
  }
  if (borderOn) {
    if (borderKind.value_or(borderName.empty() ? 3 : 5) == 5) {
      if (!borderName.empty())
        part.border = BkColor{true, borderName, 0, static_cast<uint8_t>(borderAlpha.value_or(255))};
    } else if (borderValue) {
      part.border = literal(*borderValue, borderAlpha);
    }
  }
  return part;
}

}  // namespace

std::optional<BkInfo> parseDescriptor(std::string_view text) {
  if (text.size() > kMaxDescriptor) return std::nullopt;
  static constexpr std::string_view kHead = "{99:1.9.9;";
  if (!text.starts_with(kHead) || !text.ends_with(";}")) return std::nullopt;
  std::string_view body = text.substr(kHead.size(), text.size() - kHead.size() - 2);
  std::vector<std::string_view> segments;
  size_t start = 0;
  for (size_t i = 0; i <= body.size(); ++i) {
    if (i == body.size() || body[i] == ';') {
      segments.push_back(body.substr(start, i - start));
      start = i + 1;
    }
  }
  if (segments.size() < 2) return std::nullopt;
  BkInfo info;
  for (size_t s = 0; s + 1 < segments.size(); ++s) {
    std::string_view seg = segments[s];
    BkPart::Kind kind;
    if (seg.starts_with("5:"))
      kind = BkPart::Kind::rect;
    else if (seg.starts_with("3:"))
      kind = BkPart::Kind::image;
    else
      return std::nullopt;
    std::vector<Property> props;
    if (!parseProperties(seg.substr(2), props, false)) return std::nullopt;
    auto part = buildPart(kind, props);
    if (!part || info.parts.size() >= kMaxParts) return std::nullopt;
    info.parts.push_back(std::move(*part));
  }
  if (info.parts.empty()) return std::nullopt;
  std::string_view table = segments.back();
  if (!table.starts_with("98:")) return std::nullopt;
  std::vector<Property> entries;
  if (!parseProperties(table.substr(3), entries, true)) return std::nullopt;
  for (const Property& e : entries) {
    BkStateEntry entry;
    entry.state = static_cast<uint32_t>(e.number);
    for (const Arg& a : e.args) {
      if (a.value < 0 || static_cast<size_t>(a.value) >= info.parts.size()) return std::nullopt;
      entry.parts.push_back(static_cast<int>(a.value));
    }
    info.states.push_back(std::move(entry));
  }
  return info;
}

std::optional<BkInfo> parseDescriptor(std::u16string_view text) {
  if (text.size() > kMaxDescriptor) return std::nullopt;
  return parseDescriptor(std::string_view(utf16ToUtf8(text)));
}

const BkStateEntry* selectState(const BkInfo& info, uint32_t state) {
  const BkStateEntry* best = nullptr;
  int bestBits = -1;
  for (const BkStateEntry& entry : info.states) {
    if ((entry.state & state) != entry.state) continue;
    int bits = std::popcount(entry.state);
    if (bits > bestBits) best = &entry, bestBits = bits;
  }
  if (best != nullptr || (state & XBK_DISABLE) != 0) return best;
  for (const BkStateEntry& entry : info.states)
    if (entry.state == XBK_NORMAL) return &entry;
  return nullptr;
}

XRect partRect(const BkPart& part, const XRect& e) {
  const XRect& d = part.dist;
  XRect r;
  bool left = part.anchors & edge_left, right = part.anchors & edge_right;
  if (left && right)
    r.left = e.left + d.left, r.right = e.right - d.right;
  else if (right)
    r.right = e.right - d.right, r.left = r.right - d.left;
  else
    r.left = e.left + d.left, r.right = r.left + d.right;
  bool top = part.anchors & edge_top, bottom = part.anchors & edge_bottom;
  if (top && bottom)
    r.top = e.top + d.top, r.bottom = e.bottom - d.bottom;
  else if (bottom)
    r.bottom = e.bottom - d.bottom, r.top = r.bottom - d.top;
  else
    r.top = e.top + d.top, r.bottom = r.top + d.bottom;
  return r;
}

namespace {
std::optional<std::pair<XColor, uint8_t>> resolve(const BkColor& c, ResourcePackage& resources) {
  if (!c.named) return std::make_pair(c.color, c.alpha);
  auto value = resources.color(c.name);
  if (!value) return std::nullopt;
  // The package's alpha scales the part's.
  return std::make_pair(value->color, static_cast<uint8_t>(value->alpha * c.alpha / 255));
}
}  // namespace

int paintDescriptor(Canvas& canvas, const BkInfo& info, const XRect& element, uint32_t state,
                    ResourcePackage& resources) {
  const BkStateEntry* entry = selectState(info, state);
  if (entry == nullptr) return 0;
  int painted = 0;
  for (int index : entry->parts) {
    const BkPart& part = info.parts[static_cast<size_t>(index)];
    if (part.kind == BkPart::Kind::rect) {
      XRect r = partRect(part, element);
      if (r.empty()) continue;
      bool any = false;
      if (part.fill)
        if (auto c = resolve(*part.fill, resources)) canvas.fillRect(r, c->first, c->second), any = true;
      if (part.border)
        if (auto c = resolve(*part.border, resources)) canvas.frameRect(r, c->first, c->second, 1), any = true;
      painted += any;
      continue;
    }
    HIMAGE handle = resources.image(part.image);
    const Image* image = context().registry.get<Image>(handle);
    if (image == nullptr) continue;
    if ((part.anchors & 32) == 0) {
      XRect r = partRect(part, element);
      if (r.empty()) continue;
      canvas.image(*image, r, ImageMode::stretch);
      ++painted;
      continue;
    }
    // Natural size: the top at the top distance, the bottom distance unused; left+right
    // anchoring tiles the band between the two distances, one side places the image at it.
    const XRect& d = part.dist;
    int top = element.top + d.top;
    bool left = part.anchors & edge_left, right = part.anchors & edge_right;
    XRect r{0, top, 0, top + image->height()};
    ImageMode mode = ImageMode::natural;
    if (left && right) {
      r.left = element.left + d.left, r.right = element.right - d.right, mode = ImageMode::tile;
    } else if (right) {
      r.right = element.right - d.right, r.left = r.right - image->width();
    } else {
      r.left = element.left + d.left, r.right = r.left + image->width();
    }
    if (r.empty()) continue;
    canvas.image(*image, r, mode);
    ++painted;
  }
  return painted;
}

HBKM BkManager::ensure(HBKM& slot, HXCGUI owner) {
  Registry& registry = context().registry;
  if (slot == 0 || !registry.alive(slot)) {
    BkManager* manager = registry.create<BkManager>();
    manager->owner = owner;
    slot = manager->handle();
  }
  return slot;
}

int BkManager::set(std::u16string_view text) {
  auto parsed = parseDescriptor(text);
  if (!parsed) return 0;
  info_ = std::move(parsed);
  text_ = std::u16string(text);
  return static_cast<int>(info_->parts.size());
}

}  // namespace tovalux::tk
