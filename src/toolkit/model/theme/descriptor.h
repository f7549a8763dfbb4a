// Background descriptors: the texts given to an element's background manager
// ("{99:1.9.9;5:...;3:...;98:...;}"), parsed once and painted for the element's state.
//
// Grammar: parts "5:" (filled rectangle) and "3:" (image) of properties number(args), then the
// state table "98:" of entries state(part, part, ...). Property meanings (PartProperty in
// descriptor.cpp names each):
//   2 anchors (1 left, 2 top, 4 right, 8 bottom, 32 image at natural size), 3 distances l,t,r,b,
//   4 image name, 21 fill kind (5 named: 25 @colour; 3 literal: 22 0xAABBGGRR, 23 alpha),
//   10/7 border on, 11 border kind (5 named: 15 @colour; 3 literal: 12 value, 13 alpha),
//   20, 26, 16 carried without effect (plain solid fill and border).
//
// UI thread only. Parsing touches nothing; painting reads the resource package it is given and
// draws on the canvas it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/model/core/object.h"

namespace tovalux::tk {

class Canvas;
class ResourcePackage;

struct BkColor {
  bool named = false;
  std::string name;  // named: a colour of the resource package
  XColor color = 0;  // literal
  uint8_t alpha = 255;
};

struct BkPart {
  enum class Kind { rect, image } kind = Kind::rect;
  // Anchor bit of an image part: the image keeps its natural size (paintDescriptor).
  static constexpr int kNaturalSize = 32;
  int anchors = 0;  // edge_left... and kNaturalSize
  XRect dist;       // property 3: left, top, right, bottom
  std::optional<BkColor> fill;
  std::optional<BkColor> border;
  std::string image;
};

struct BkStateEntry {
  uint32_t state = 0;
  std::vector<int> parts;  // painting order
};

struct BkInfo {
  std::vector<BkPart> parts;
  std::vector<BkStateEntry> states;
};

// nullopt for any text that does not follow the grammar (or names a part that does not exist).
std::optional<BkInfo> parseDescriptor(std::string_view text);
std::optional<BkInfo> parseDescriptor(std::u16string_view text);

// The entry painted in element state `state`: among the entries whose bits are all set in
// `state`, the one with the most bits (ties: the earlier); failing that the normal entry (16)
// unless the element is disabled; failing that none.
const BkStateEntry* selectState(const BkInfo& info, uint32_t state);

// The rectangle of a part inside `element` (window coordinates). For anchors with bit 32 this
// is the band the image is placed in; see paintDescriptor.
XRect partRect(const BkPart& part, const XRect& element);

// Paints the parts of the entry selected for `state`, in the entry's order. Missing colours and
// images leave their part (or its fill or border) unpainted. Answers the number of parts painted.
int paintDescriptor(Canvas& canvas, const BkInfo& info, const XRect& element, uint32_t state,
                    ResourcePackage& resources);

// The background manager of an element or window (XEle_GetBkManager, XBkM_SetBkInfo).
class BkManager : public Object {
 public:
  BkManager() : Object(XC_BKM) {}
  // Replaces the description; a malformed text leaves the previous one. Answers the number of
  // parts of the new description, 0 when it was rejected.
  int set(std::u16string_view text);
  void clear() { info_.reset(), text_.clear(); }
  const std::optional<BkInfo>& info() const { return info_; }
  const std::u16string& text() const { return text_; }
  HXCGUI owner = 0;
  // The manager `slot` names, created for `owner` when it names none (elements and windows
  // create theirs on first request).
  static HBKM ensure(HBKM& slot, HXCGUI owner);

 private:
  std::optional<BkInfo> info_;
  std::u16string text_;
};

}  // namespace tovalux::tk
