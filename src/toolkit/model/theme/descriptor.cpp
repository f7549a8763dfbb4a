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
// The segment heads of the body: parts, then the state table.
constexpr std::string_view kRectPart = "5:", kImagePart = "3:", kStateTable = "98:";

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

BkColor literalColour(int64_t value, std::optional<int64_t> alpha) {
  // 0xAABBGGRR: the low three bytes are the COLORREF.
  uint32_t v = static_cast<uint32_t>(value);
  BkColor c;
  c.color = v & 0x00FFFFFF;
  c.alpha = static_cast<uint8_t>(alpha ? *alpha : (v >> 24));
  return c;
}

// The properties a part may carry, "number(arguments)". Its two colours, fill and border, each
// come in one of two spellings that a kind property picks: kNamedColour names a colour of the
// resource package (@name, alpha apart), kLiteralColour gives it as 0xAABBGGRR (alpha optionally
// apart).
enum class PartProperty : int {
  anchors = 2,         // (bits) the edges the distances run from, as edge_left...; + kNaturalSize
  distances = 3,       // (left, top, right, bottom)
  image = 4,           // (@name) the image of an image part
  borderOnToo = 7,     // (0|1) written next to borderOn; either one turns the border on
  borderOn = 10,       // (0|1)
  borderKind = 11,     // (kNamedColour|kLiteralColour)
  borderLiteral = 12,  // (0xAABBGGRR)
  borderAlpha = 13,    // (0..255)
  borderName = 15,     // (@colour)
  solidBorder = 16,    // (0) always written this way: carried without effect
  fillOn = 20,         // (1) likewise
  fillKind = 21,       // (kNamedColour|kLiteralColour)
  fillLiteral = 22,    // (0xAABBGGRR)
  fillAlpha = 23,      // (0..255)
  fillName = 25,       // (@colour)
  solidFill = 26,      // (0) likewise
};
constexpr int64_t kNamedColour = 5, kLiteralColour = 3;

// One of a part's colours as its properties give it, until the kind decides the spelling.
struct ColourProperties {
  std::optional<int64_t> kind, literal, alpha;
  std::string name;

  // Without a kind, whichever spelling is given (the name when both are).
  std::optional<BkColor> colour() const {
    if (kind.value_or(name.empty() ? kLiteralColour : kNamedColour) == kNamedColour) {
      if (name.empty()) return std::nullopt;
      return BkColor{true, name, 0, static_cast<uint8_t>(alpha.value_or(255))};
    }
    if (!literal) return std::nullopt;
    return literalColour(*literal, alpha);
  }
};

struct PartBuild {
  BkPart part;
  ColourProperties fill, border;
  bool borderOn = false;
};

bool isByte(const Property& p) { return intArgs(p, 1) && p.args[0].value >= 0 && p.args[0].value <= 255; }

// Takes one property into the part being built; false when its arguments are malformed, which
// rejects the whole descriptor. Unknown properties are carried without effect.
bool takeProperty(PartBuild& b, BkPart::Kind kind, const Property& p) {
  using P = PartProperty;
  switch (static_cast<PartProperty>(p.number)) {
    case P::anchors:
      if (!isByte(p)) return false;
      b.part.anchors = static_cast<int>(p.args[0].value);
      return true;
    case P::distances:
      if (!intArgs(p, 4)) return false;
      for (const Arg& a : p.args)
        if (a.value < -100000 || a.value > 100000) return false;
      b.part.dist =
          XRect{int32_t(p.args[0].value), int32_t(p.args[1].value), int32_t(p.args[2].value), int32_t(p.args[3].value)};
      return true;
    case P::image:
      if (kind != BkPart::Kind::image || !nameArg(p)) return false;
      b.part.image = p.args[0].name;
      return true;
    case P::fillKind:
    case P::borderKind:
      if (!intArgs(p, 1)) return false;
      (p.number == int(P::fillKind) ? b.fill : b.border).kind = p.args[0].value;
      return true;
    case P::fillName:
    case P::borderName:
      if (!nameArg(p)) return false;
      (p.number == int(P::fillName) ? b.fill : b.border).name = p.args[0].name;
      return true;
    case P::fillLiteral:
    case P::borderLiteral:
      if (!intArgs(p, 1)) return false;
      (p.number == int(P::fillLiteral) ? b.fill : b.border).literal = p.args[0].value;
      return true;
    case P::fillAlpha:
    case P::borderAlpha:
      if (!isByte(p)) return false;
      (p.number == int(P::fillAlpha) ? b.fill : b.border).alpha = p.args[0].value;
      return true;
    case P::borderOn:
    case P::borderOnToo:
      if (!intArgs(p, 1)) return false;
      b.borderOn = b.borderOn || p.args[0].value != 0;
      return true;
    case P::fillOn:
    case P::solidFill:
    case P::solidBorder: return intArgs(p, 1);
  }
  return true;
}

std::optional<BkPart> buildPart(BkPart::Kind kind, const std::vector<Property>& props) {
  PartBuild b;
  b.part.kind = kind;
  for (const Property& p : props)
    if (!takeProperty(b, kind, p)) return std::nullopt;
  if (kind == BkPart::Kind::image) {
    if (b.part.image.empty()) return std::nullopt;
    return b.part;
  }
  b.part.fill = b.fill.colour();
  if (b.borderOn) b.part.border = b.border.colour();
  return b.part;
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
    if (seg.starts_with(kRectPart))
      kind = BkPart::Kind::rect;
    else if (seg.starts_with(kImagePart))
      kind = BkPart::Kind::image;
    else
      return std::nullopt;
    std::vector<Property> props;
    if (!parseProperties(seg.substr(kRectPart.size()), props, false)) return std::nullopt;
    auto part = buildPart(kind, props);
    if (!part || info.parts.size() >= kMaxParts) return std::nullopt;
    info.parts.push_back(std::move(*part));
  }
  if (info.parts.empty()) return std::nullopt;
  std::string_view table = segments.back();
  if (!table.starts_with(kStateTable)) return std::nullopt;
  std::vector<Property> entries;
  if (!parseProperties(table.substr(kStateTable.size()), entries, true)) return std::nullopt;
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
    if ((part.anchors & BkPart::kNaturalSize) == 0) {
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
