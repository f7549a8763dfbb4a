#include "toolkit/model/edit.h"

#include <algorithm>

#include "toolkit/model/canvas.h"
#include "toolkit/model/context.h"
#include "toolkit/model/image.h"
#include "toolkit/model/shape.h"

namespace tovalux::tk {

void Edit::changed(size_t fromLine) {
  // Appending only touches the last line: logs of many lines are not laid out anew per line.
  if (fromLine == 0) linesValid_ = false;
  else reflowFrom_ = std::min(reflowFrom_, fromLine);
  size_t n = length();
  selStart_ = std::min(selStart_, n);
  selEnd_ = std::min(selEnd_, n);
  caret = std::min(caret, n);
  redraw();
}

void Edit::setText(std::u16string_view text) {
  runs_.clear();
  if (!text.empty()) runs_.push_back({std::u16string(text), 0});
  selStart_ = selEnd_ = caret = 0;
  changed();
}

void Edit::addText(std::u16string_view text, int style) {
  if (text.empty()) return;
  if (style < 0 || style >= static_cast<int>(styles_.size())) style = 0;
  if (!runs_.empty() && runs_.back().style == style) runs_.back().text += text;
  else runs_.push_back({std::u16string(text), style});
  changed(linesValid_ && !lines_.empty() ? lines_.size() - 1 : 0);
}

int Edit::addStyle(Style style) {
  styles_.push_back(style);
  return static_cast<int>(styles_.size()) - 1;
}

std::u16string Edit::text() const {
  std::u16string out;
  for (const Run& r : runs_) out += r.text;
  return out;
}

size_t Edit::length() const {
  size_t n = 0;
  for (const Run& r : runs_) n += r.text.size();
  return n;
}

void Edit::select(size_t start, size_t end) {
  size_t n = length();
  selStart_ = std::min(start, n);
  selEnd_ = std::min(std::max(end, selStart_), n);
  redraw();
}

bool Edit::insertAtCaret(std::u16string_view text) {
  if (readOnly || !enabled) return false;
  size_t at = std::min(caret, length());
  size_t seen = 0;
  for (Run& r : runs_) {
    if (at <= seen + r.text.size()) {
      r.text.insert(at - seen, text);
      caret = at + text.size();
      changed();
      return true;
    }
    seen += r.text.size();
  }
  runs_.push_back({std::u16string(text), 0});
  caret = length();
  changed();
  return true;
}

void Edit::autoScroll() {
  arrange();
  if (ScrollBar* v = barV()) v->scrollTo(v->range);
}

const Font& Edit::styleFont(int style) const {
  if (style > 0 && style < static_cast<int>(styles_.size()))
    if (const Font* f = context().registry.get<Font>(styles_[static_cast<size_t>(style)].font)) return *f;
  return effectiveFont();
}

std::pair<XColor, uint8_t> Edit::styleColor(int style) const {
  if (style > 0 && style < static_cast<int>(styles_.size()) && styles_[static_cast<size_t>(style)].useColor)
    return {styles_[static_cast<size_t>(style)].color, 255};
  return effectiveTextColor();
}

void Edit::layoutLines(int wrapWidth, size_t fromLine) {
  TextMeasurer& measurer = context().measurer();
  int firstRun = 0;
  size_t firstOffset = 0;
  if (fromLine > 0 && fromLine < lines_.size()) {
    firstRun = lines_[fromLine].startRun;
    firstOffset = lines_[fromLine].startOffset;
    lines_.resize(fromLine);
  } else {
    lines_.clear();
  }
  const bool wrapping = autoWrap && multiLine && wrapWidth > 0;
  Line line;
  line.startRun = firstRun, line.startOffset = firstOffset;
  auto lineHeightOf = [&](int style) { return measurer.measure(u"", styleFont(style)).cy; };
  auto finish = [&](int styleForEmpty, int nextRun, size_t nextOffset) {
    if (line.height == 0) line.height = lineHeightOf(styleForEmpty);
    line.top = lines_.empty() ? 0 : lines_.back().top + lines_.back().height;
    lines_.push_back(std::move(line));
    line = Line{};
    line.startRun = nextRun, line.startOffset = nextOffset;
  };
  int lastStyle = 0;
  for (int r = firstRun; r < static_cast<int>(runs_.size()); ++r) {
    const Run& run = runs_[static_cast<size_t>(r)];
    const Font& font = styleFont(run.style);
    lastStyle = run.style;
    const int h = lineHeightOf(run.style);
    size_t i = r == firstRun ? firstOffset : 0;
    while (i < run.text.size()) {
      char16_t c = run.text[i];
      if (c == u'\r' || c == u'\n') {
        ++i;
        if (multiLine && c == u'\n') {
          line.height = std::max(line.height, h);
          finish(run.style, r, i);
        }
        continue;
      }
      size_t start = i;
      int width = 0;
      if (!wrapping) {
        // The whole stretch up to the next break at once: one measurement per piece.
        while (i < run.text.size() && run.text[i] != u'\r' && run.text[i] != u'\n') ++i;
        width = measurer.measure(std::u16string_view(run.text).substr(start, i - start), font).cx;
      } else {
        while (i < run.text.size() && run.text[i] != u'\r' && run.text[i] != u'\n') {
          int cw = measurer.measure(std::u16string_view(&run.text[i], 1), font).cx;
          if (line.width + width + cw > wrapWidth && (i > start || !line.pieces.empty())) break;
          width += cw;
          ++i;
        }
      }
      if (i > start) {
        line.pieces.push_back({r, start, i - start, line.width, width});
        line.width += width;
        line.height = std::max(line.height, h);
      }
      if (i < run.text.size() && run.text[i] != u'\r' && run.text[i] != u'\n') finish(run.style, r, i);
    }
  }
  finish(lastStyle, static_cast<int>(runs_.size()), 0);
  linesValid_ = true;
  reflowFrom_ = SIZE_MAX;
  linesWrapWidth_ = wrapWidth;
}

const std::vector<Edit::Line>& Edit::lines() {
  int wrap = autoWrap ? viewRect().width() - padding.left - padding.right : -1;
  if (!linesValid_ || wrap != linesWrapWidth_) layoutLines(wrap, 0);
  else if (reflowFrom_ != SIZE_MAX) layoutLines(wrap, reflowFrom_);
  return lines_;
}

XSize Edit::measureContent() {
  const auto& all = lines();
  int w = 0;
  for (const Line& l : all) w = std::max(w, l.width);
  int h = all.empty() ? 0 : all.back().top + all.back().height;
  return {w + padding.left + padding.right, h + padding.top + padding.bottom};
}

void Edit::arrange() {
  // Wrapping depends on the view width, which depends on whether a bar shows: lay out twice.
  ScrollView::arrange();
  if (autoWrap) {
    linesValid_ = false;
    ScrollView::arrange();
  }
}

void Edit::paintDefaultBackground(Canvas& canvas, const XRect& abs) { canvas.fillRect(abs, XRGB(30, 30, 30), 255); }

void Edit::paintContent(Canvas& canvas, const XRect& abs) {
  XRect view = viewRect();
  XRect clip{abs.left + view.left, abs.top + view.top, abs.left + view.right, abs.top + view.bottom};
  canvas.pushClip(clip);
  const int x0 = clip.left + padding.left - scroll.x;
  const int y0 = clip.top + padding.top - scroll.y;
  TextMeasurer& measurer = context().measurer();
  size_t runStart = 0;
  std::vector<size_t> runOffsets;
  for (const Run& r : runs_) runOffsets.push_back(runStart), runStart += r.text.size();
  for (const Line& line : lines()) {
    int top = y0 + line.top;
    if (top + line.height <= clip.top) continue;
    if (top >= clip.bottom) break;
    for (const Piece& p : line.pieces) {
      const Run& run = runs_[static_cast<size_t>(p.run)];
      std::u16string_view piece(run.text.data() + p.offset, p.count);
      const Font& font = styleFont(run.style);
      XRect box{x0 + p.x, top, x0 + p.x + p.width, top + line.height};
      size_t global = runOffsets[static_cast<size_t>(p.run)] + p.offset;
      size_t from = std::clamp(selStart_, global, global + p.count) - global;
      size_t to = std::clamp(selEnd_, global, global + p.count) - global;
      if (to > from) {
        int a = measurer.measure(piece.substr(0, from), font).cx;
        int b = measurer.measure(piece.substr(0, to), font).cx;
        canvas.fillRect({box.left + a, box.top, box.left + b, box.bottom}, XRGB(38, 79, 120), 255);
      }
      auto [color, alpha] = styleColor(run.style);
      canvas.text(piece, box, text_align_left | text_align_vcenter, font, color, alpha);
    }
  }
  canvas.popClip();
}

bool Edit::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "text") {
    setText(utf8ToUtf16(value));
  } else if (name == "multiLine") {
    if (auto b = parseBool(value)) multiLine = *b;
  } else if (name == "readOnly") {
    if (auto b = parseBool(value)) readOnly = *b;
  } else if (name == "autoWrap") {
    if (auto b = parseBool(value)) autoWrap = *b;
  } else {
    return ScrollView::applyAttribute(name, value);
  }
  linesValid_ = false;
  return true;
}

}  // namespace tovalux::tk
