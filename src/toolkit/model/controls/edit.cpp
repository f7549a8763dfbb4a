// Edits: the runs of styled text, line layout (with wrapping), caret and selection moves, typing,
// and painting only the lines in view. Offsets count UTF-16 units across all runs.
#include "toolkit/model/controls/edit.h"

#include "toolkit/model/controls/line_breaks.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/palette.h"

namespace tovalux::tk {

void Edit::changed(size_t fromLine) {
  // Appending only touches the last line: logs of many lines are not laid out anew per line.
  // Lines laid out anew from the start are let go now: an emptied log keeps none till it paints.
  if (fromLine == 0) {
    linesValid_ = false;
    lines_.clear();
    pieces_.clear();
  } else {
    reflowFrom_ = std::min(reflowFrom_, fromLine);
  }
  size_t n = length();
  selStart_ = std::min(selStart_, n);
  selEnd_ = std::min(selEnd_, n);
  caret = std::min(caret, n);
  redraw();
  accessChanged(AccessChange::value, handle());
}

void Edit::setText(std::u16string_view text) {
  runs_.clear();
  if (!text.empty()) runs_.push_back({std::u16string(text), 0});
  selStart_ = selEnd_ = caret = 0;
  changed();
}

namespace {
// A run that holds this many units and ends a line takes no more text: a log's text is held in
// runs of about this size, so no string of it doubles its capacity far past what it holds, and
// dropping a log's oldest text frees whole runs. Each line stays within one run.
constexpr size_t kRunUnits = 32 * 1024;
}  // namespace

// A run of the same style grows instead of a new run being added, so a log written line by line
// keeps few runs; only the last line is laid out again. A run that is followed by another keeps
// no more than an eighth of room past its text.
void Edit::addText(std::u16string_view text, int style) {
  if (text.empty()) return;
  if (style < 0 || style >= static_cast<int>(styles_.size())) style = 0;
  if (!runs_.empty() && runs_.back().style == style &&
      (runs_.back().text.size() < kRunUnits || runs_.back().text.back() != u'\n')) {
    runs_.back().text += text;
  } else {
    const bool full = !runs_.empty() && runs_.back().style == style;
    if (!runs_.empty()) {
      std::u16string& last = runs_.back().text;
      if (last.capacity() - last.size() > last.size() / 8) last.shrink_to_fit();
    }
    runs_.push_back({std::u16string(), style});
    // The log goes on in a new run: room for a whole run and the line that ends it, at once
    // rather than through a doubling series.
    if (full) runs_.back().text.reserve(std::max(text.size(), kRunUnits + kRunUnits / 32));
    runs_.back().text += text;
  }
  changed(linesValid_ && !lines_.empty() ? lines_.size() - 1 : 0);
}

void Edit::removeRange(size_t from, size_t to) {
  size_t seen = 0;
  for (Run& r : runs_) {
    size_t a = std::clamp(from, seen, seen + r.text.size()) - seen;
    size_t b = std::clamp(to, seen, seen + r.text.size()) - seen;
    seen += r.text.size();
    if (b > a) r.text.erase(a, b - a);
  }
  std::erase_if(runs_, [](const Run& r) { return r.text.empty(); });
  const auto after = [from, to](size_t at) { return at <= from ? at : at < to ? from : at - (to - from); };
  selStart_ = after(selStart_);
  selEnd_ = after(selEnd_);
  caret = after(caret);
}

void Edit::removeText(size_t from, size_t to) {
  to = std::min(to, length());
  if (from >= to) return;
  removeRange(from, to);
  changed();
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

// Typed text takes the style of the run it lands in (the first run at a boundary).
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

bool Edit::erase(size_t from, size_t to) {
  if (readOnly || !enabled) return false;
  to = std::min(to, length());
  if (from >= to) return false;
  removeRange(from, to);
  caret = from;
  selStart_ = selEnd_ = from;
  changed();
  return true;
}

size_t Edit::lineStart(size_t i) {
  const auto& all = lines();
  if (i >= all.size()) return length();
  size_t offset = 0;
  for (size_t r = 0; r < all[i].startRun && r < runs_.size(); ++r) offset += runs_[r].text.size();
  return offset + all[i].startOffset;
}

size_t Edit::lineOf(size_t offset) {
  const size_t n = lines().size();
  size_t line = 0;
  while (line + 1 < n && lineStart(line + 1) <= offset) ++line;
  return line;
}

int Edit::xOf(size_t offset) {
  const auto& all = lines();
  size_t line = lineOf(offset);
  if (line >= all.size()) return 0;
  size_t runStart = 0;
  std::vector<size_t> runOffsets;
  for (const Run& r : runs_) runOffsets.push_back(runStart), runStart += r.text.size();
  int x = 0;
  for (const Piece& p : pieces(line)) {
    size_t global = runOffsets[p.run] + p.offset;
    if (offset <= global) break;
    const Run& run = runs_[p.run];
    size_t count = std::min<size_t>(p.count, offset - global);
    x = p.x +
        context().measurer().measure(std::u16string_view(run.text).substr(p.offset, count), styleFont(run.style)).cx;
    if (count < p.count) break;
  }
  return x;
}

// The offset on `line` whose caret position is nearest to `x` (up, down and end keep a column).
size_t Edit::offsetAt(size_t line, int x) {
  size_t start = lineStart(line);
  size_t end = line + 1 < lines().size() ? lineStart(line + 1) : length();
  std::u16string all = text();
  // A line ended by a break keeps the caret before the break.
  while (end > start && (all[end - 1] == u'\n' || all[end - 1] == u'\r')) --end;
  size_t best = start;
  int bestDistance = std::abs(xOf(start) - x);
  for (size_t i = start + 1; i <= end; ++i) {
    int d = std::abs(xOf(i) - x);
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

// Typing replaces the selection; control characters are not text, and a single-line edit takes
// no line break.
bool Edit::onChar(char16_t c) {
  if (readOnly || !enabled) return false;
  if (c == u'\r') c = u'\n';
  if (c == u'\n' ? !multiLine : (c < 0x20 || c == 0x7F)) return false;
  if (selEnd_ > selStart_) erase(selStart_, selEnd_);
  insertAtCaret(std::u16string_view(&c, 1));
  return true;
}

bool Edit::onKeyDown(int key, int /*flags*/) {
  const size_t n = length();
  size_t to = caret;
  switch (key) {
    case key_back:
    case key_delete:
      if (readOnly || !enabled) return false;
      if (selEnd_ > selStart_)
        erase(selStart_, selEnd_);
      else if (key == key_back && caret > 0)
        erase(caret - 1, caret);
      else if (key == key_delete && caret < n)
        erase(caret, caret + 1);
      return true;
    case key_left: to = caret > 0 ? caret - 1 : 0; break;
    case key_right: to = std::min(caret + 1, n); break;
    case key_home: to = lineStart(lineOf(caret)); break;
    case key_end: {
      size_t line = lineOf(caret);
      to = offsetAt(line, 1 << 20);
      break;
    }
    case key_up:
    case key_down: {
      size_t line = lineOf(caret);
      // At the first or last line a multi-line edit keeps the key; a single-line one lets its
      // parent have it (a combo box opens its list).
      if (key == key_up && line == 0) return multiLine;
      if (key == key_down && line + 1 >= lines().size()) return multiLine;
      to = offsetAt(key == key_up ? line - 1 : line + 1, xOf(caret));
      break;
    }
    default: return false;
  }
  caret = to;
  selStart_ = selEnd_ = to;
  redraw();
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

// Lays the runs out into lines from line `fromLine` on (0: all). A line ends at '\n' (multi-line)
// or, wrapping, before the character that would pass the width - but a line always takes at
// least one character, so a narrow view cannot loop. '\r' is never shown.
void Edit::layoutLines(int wrapWidth, size_t fromLine) {
  TextMeasurer& measurer = context().measurer();
  uint32_t firstRun = 0;
  size_t firstOffset = 0;
  if (fromLine > 0 && fromLine < lines_.size()) {
    firstRun = lines_[fromLine].startRun;
    firstOffset = lines_[fromLine].startOffset;
    pieces_.resize(lines_[fromLine].firstPiece);
    lines_.resize(fromLine);
  } else {
    lines_.clear();
    pieces_.clear();
  }
  const bool wrapping = autoWrap && multiLine && wrapWidth > 0;
  auto lineAt = [&](uint32_t run, size_t offset) {
    Line at;
    at.startRun = run, at.startOffset = static_cast<uint32_t>(offset);
    at.firstPiece = static_cast<uint32_t>(pieces_.size());
    return at;
  };
  Line line = lineAt(firstRun, firstOffset);
  auto lineHeightOf = [&](int style) { return measurer.measure(u"", styleFont(style)).cy; };
  auto finish = [&](int styleForEmpty, uint32_t nextRun, size_t nextOffset) {
    if (line.height == 0) line.height = lineHeightOf(styleForEmpty);
    line.top = lines_.empty() ? 0 : lines_.back().top + lines_.back().height;
    lines_.push_back(line);
    line = lineAt(nextRun, nextOffset);
  };
  int lastStyle = 0;
  for (uint32_t r = firstRun; r < runs_.size(); ++r) {
    const Run& run = runs_[r];
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
          if (line.width + width + cw > wrapWidth && (i > start || pieces_.size() > line.firstPiece)) {
            // No closing mark starts the next line, no opening one ends this one.
            const size_t at = adjustLineBreak(run.text, start, i);
            if (at < i) {
              width -= measurer.measure(std::u16string_view(run.text).substr(at, i - at), font).cx;
              i = at;
            }
            break;
          }
          width += cw;
          ++i;
        }
      }
      if (i > start) {
        pieces_.push_back({r, static_cast<uint32_t>(start), static_cast<uint32_t>(i - start), line.width, width});
        line.width += width;
        line.height = std::max(line.height, h);
      }
      if (i < run.text.size() && run.text[i] != u'\r' && run.text[i] != u'\n') finish(run.style, r, i);
    }
  }
  finish(lastStyle, static_cast<uint32_t>(runs_.size()), 0);
  linesValid_ = true;
  reflowFrom_ = SIZE_MAX;
  linesWrapWidth_ = wrapWidth;
}

const std::deque<Edit::Line>& Edit::lines() {
  int wrap = autoWrap ? viewRect().width() - padding.left - padding.right : -1;
  if (!linesValid_ || wrap != linesWrapWidth_)
    layoutLines(wrap, 0);
  else if (reflowFrom_ != SIZE_MAX)
    layoutLines(wrap, reflowFrom_);
  return lines_;
}

Edit::Pieces Edit::pieces(size_t i) {
  const auto& all = lines();
  if (i >= all.size()) return {pieces_.end(), pieces_.end()};
  const size_t end = i + 1 < all.size() ? all[i + 1].firstPiece : pieces_.size();
  return {pieces_.begin() + all[i].firstPiece, pieces_.begin() + static_cast<std::ptrdiff_t>(end)};
}

XSize Edit::measureContent() {
  const auto& all = lines();
  int w = 0;
  for (const Line& l : all) w = std::max(w, l.width);
  int h = all.empty() ? 0 : all.back().top + all.back().height;
  return {w + padding.left + padding.right, h + padding.top + padding.bottom};
}

void Edit::arrange() {
  // Wrapping depends on the view width, which depends on whether a bar shows: arrange twice.
  // lines() lays the text out anew only when the wrap width changed, so a log that appends and
  // scrolls to its end per line stays linear.
  ScrollView::arrange();
  if (autoWrap) ScrollView::arrange();
}

void Edit::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kEditSurface, 255);
}

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
  const auto& all = lines();
  for (size_t i = 0; i < all.size(); ++i) {
    const Line& line = all[i];
    int top = y0 + line.top;
    if (top + line.height <= clip.top) continue;
    if (top >= clip.bottom) break;
    // Each piece paints its part of the selection under its text.
    for (const Piece& p : pieces(i)) {
      const Run& run = runs_[p.run];
      std::u16string_view piece(run.text.data() + p.offset, p.count);
      const Font& font = styleFont(run.style);
      XRect box{x0 + p.x, top, x0 + p.x + p.width, top + line.height};
      size_t global = runOffsets[p.run] + p.offset;
      size_t from = std::clamp(selStart_, global, global + p.count) - global;
      size_t to = std::clamp(selEnd_, global, global + p.count) - global;
      if (to > from) {
        int a = measurer.measure(piece.substr(0, from), font).cx;
        int b = measurer.measure(piece.substr(0, to), font).cx;
        canvas.fillRect({box.left + a, box.top, box.left + b, box.bottom}, palette::kTextSelection, 255);
      }
      auto [color, alpha] = styleColor(run.style);
      canvas.text(piece, box, text_align_left | text_align_vcenter, font, color, alpha);
    }
  }
  // The caret of an edit that takes typing, while it has the focus.
  if (focused && !readOnly && enabled) {
    const auto& all = lines();
    size_t line = lineOf(caret);
    if (line < all.size()) {
      int x = x0 + xOf(caret), top = y0 + all[line].top;
      auto [color, alpha] = effectiveTextColor();
      canvas.line(x, top + 1, x, top + all[line].height - 1, color, alpha);
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
