// Edits: a scroll view showing text made of runs, each in a style (font and colour); style 0
// is the element's own font and text colour. Lines break at '\n' (multi-line only) and, with
// auto-wrap, at the view's width.
// UI thread only; measures through the context's text measurer and touches only its own runs.
#pragma once

#include <cstdint>
#include <deque>

#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/scrollbar.h"

namespace tovalux::tk {

class Edit : public ScrollView {
 public:
  Edit() : ScrollView(XC_EDIT) { showH = false; }
  bool isA(int type) const override { return type == XC_EDIT || ScrollView::isA(type); }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("edit");
    out.push_back("scrollView");
  }

  struct Style {
    HFONTX font = 0;  // 0: the element's font
    XColor color = 0;
    bool useColor = false;
  };
  struct Run {
    std::u16string text;
    int style = 0;
  };

  bool multiLine = false;
  bool readOnly = false;
  bool autoWrap = false;

  void setText(std::u16string_view text);
  void addText(std::u16string_view text, int style = 0);
  // Removes the characters [from, to): the program's change, made read-only or not (as setText);
  // the selection and the caret stay on the text they were on.
  void removeText(size_t from, size_t to);
  int addStyle(Style style);  // answers its index (from 1)
  std::u16string text() const;
  size_t length() const;
  const std::deque<Run>& runs() const { return runs_; }
  const std::vector<Style>& styles() const { return styles_; }
  // Selection as character offsets [start, end).
  std::pair<size_t, size_t> selection() const { return {selStart_, selEnd_}; }
  void select(size_t start, size_t end);
  void selectAll() { select(0, length()); }
  // Scrolls to the last line.
  void autoScroll();
  // Editing by the user (refused while read-only); the caret follows the insertion.
  bool insertAtCaret(std::u16string_view text);
  // Removes the characters [from, to) (refused while read-only); the caret goes to `from`.
  bool erase(size_t from, size_t to);
  size_t caret = 0;

  // Typing while focused: characters replace the selection, Back and Delete remove, the arrows,
  // Home and End move the caret; Return breaks the line of a multi-line edit.
  bool onKeyDown(int key, int flags) override;
  bool onChar(char16_t c) override;

  // One laid-out line, and its pieces: parts of runs with their x offset. A log holds one line
  // and about one piece for each of its tens of thousands of lines, so both are small and kept
  // in chunked sequences (no doubled buffer): the pieces of all lines in one, a line's from its
  // firstPiece to the next line's.
  struct Piece {
    uint32_t run;
    uint32_t offset, count;
    int32_t x, width;
  };
  struct Line {
    int32_t top = 0, height = 0, width = 0;
    uint32_t startRun = 0;  // where the line's text begins
    uint32_t startOffset = 0;
    uint32_t firstPiece = 0;
  };
  // A plain iterator pair: clang with this libstdc++ cannot form a ranges::subrange of deque
  // iterators, and the fuzz build compiles this file with clang.
  struct Pieces {
    std::deque<Piece>::const_iterator first, last;
    auto begin() const { return first; }
    auto end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
    bool empty() const { return first == last; }
    const Piece& operator[](size_t i) const { return first[static_cast<std::ptrdiff_t>(i)]; }
  };
  const std::deque<Line>& lines();
  // The pieces of line `i` of lines().
  Pieces pieces(size_t i);

  void arrange() override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;

 protected:
  XSize measureContent() override;

 private:
  // Offset of the first character of line `i` (of lines()).
  size_t lineStart(size_t i);
  size_t lineOf(size_t offset);
  // The x offset of `offset` in its line, and the offset nearest to x in line `i`.
  int xOf(size_t offset);
  size_t offsetAt(size_t line, int x);
  const Font& styleFont(int style) const;
  std::pair<XColor, uint8_t> styleColor(int style) const;
  // Text changed: lines from `fromLine` on must be laid out again (0: all of them).
  void changed(size_t fromLine = 0);
  // Lays out the lines from `fromLine` on, keeping the ones before.
  void layoutLines(int wrapWidth, size_t fromLine);
  // Removes [from, to) (to within the text, from < to) and keeps the selection and caret on
  // their text; the caller reports the change.
  void removeRange(size_t from, size_t to);

  std::deque<Run> runs_;  // chunked too: a log of many styled lines has as many runs
  std::vector<Style> styles_{Style{}};
  size_t selStart_ = 0, selEnd_ = 0;
  std::deque<Line> lines_;
  std::deque<Piece> pieces_;
  bool linesValid_ = false;
  size_t reflowFrom_ = SIZE_MAX;  // first line to lay out again while linesValid_
  int linesWrapWidth_ = -1;
};

}  // namespace tovalux::tk
