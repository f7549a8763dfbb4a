// Bounds on what the debugging panes keep, free of Win32. A debugged program that raises
// exceptions in a loop, or a build that prints without end, must not grow the IDE's memory
// without limit: the lines waiting for the UI thread are capped (the rest counted and reported
// in one line), and a pane's text keeps only its newest part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::debuglog {

// Lines handed from another thread to the UI thread. At most `capacity` wait; later ones are
// counted and dropped until the UI thread takes what waits. Safe from any thread.
class PendingLines {
 public:
  explicit PendingLines(size_t capacity) : capacity_(capacity) {}
  // False when the line was dropped (counted).
  bool push(std::string line);
  // The waiting lines in order, then droppedLine(n) when n were dropped since the last take.
  std::vector<std::string> take();
  size_t waiting() const;
  void clear();

 private:
  mutable std::mutex lock_;
  size_t capacity_;
  std::vector<std::string> lines_;
  size_t dropped_ = 0;
};

// "… 另有 N 条异常未显示\r\n".
std::string droppedLine(size_t dropped);

// What a pane holds, kept within a size: the GBK bytes and UTF-16 units of each text it was given
// (one append each), at most `maxBytes` bytes; past that the oldest texts go until `keepBytes`
// remain. A single text longer than that keeps its end, from a line start (or a character start
// when it has no line break there). The texts themselves live in the pane's edit alone: their
// sizes are all the cut needs, and they tell the edit how much of its start goes.
class BoundedText {
 public:
  BoundedText(size_t maxBytes, size_t keepBytes) : maxBytes_(maxBytes), keepBytes_(keepBytes) {}
  // What of `text` the pane shows: all of it, or its end when it alone passes keepBytes.
  std::string_view fit(std::string_view text) const;
  // Takes in a shown text of `bytes` GBK bytes and `units` UTF-16 units; answers how many units
  // at the start of the pane go (0: none).
  size_t append(size_t bytes, size_t units);
  void clear();
  size_t bytes() const { return bytes_; }
  size_t texts() const { return texts_.size(); }

 private:
  struct Sizes {
    uint32_t bytes, units;
  };
  size_t maxBytes_;
  size_t keepBytes_;
  std::deque<Sizes> texts_;
  size_t bytes_ = 0;
};

// The end of `text` that fits in `bytes`, starting after a line break where one lies inside the
// cut, else on a character boundary (GBK).
std::string_view keptEnd(std::string_view text, size_t bytes);

}  // namespace tovalux::debuglog
