#include "debugging/log_bounds.h"

#include "base/gbk_scan.h"

namespace tovalux::debuglog {

bool PendingLines::push(std::string line) {
  std::lock_guard guard(lock_);
  if (lines_.size() >= capacity_) {
    ++dropped_;
    return false;
  }
  lines_.push_back(std::move(line));
  return true;
}

std::vector<std::string> PendingLines::take() {
  std::lock_guard guard(lock_);
  std::vector<std::string> taken;
  taken.swap(lines_);
  if (dropped_ > 0) taken.push_back(droppedLine(dropped_));
  dropped_ = 0;
  return taken;
}

size_t PendingLines::waiting() const {
  std::lock_guard guard(lock_);
  return lines_.size();
}

void PendingLines::clear() {
  std::lock_guard guard(lock_);
  lines_.clear();
  dropped_ = 0;
}

std::string droppedLine(size_t dropped) { return "… 另有 " + std::to_string(dropped) + " 条异常未显示\r\n"; }

std::string_view keptEnd(std::string_view text, size_t bytes) {
  if (text.size() <= bytes) return text;
  const size_t from = text.size() - bytes;
  // CR and LF are never trail bytes: a line start is a character start.
  if (const size_t lineEnd = text.find('\n', from == 0 ? 0 : from - 1); lineEnd != std::string_view::npos) {
    if (lineEnd + 1 < text.size()) return text.substr(lineEnd + 1);
  }
  size_t at = 0;
  while (at < from) at += gbkCharLength(text, at);
  return text.substr(at);
}

std::string_view BoundedText::fit(std::string_view text) const {
  return text.size() > keepBytes_ ? keptEnd(text, keepBytes_) : text;
}

size_t BoundedText::append(size_t bytes, size_t units) {
  if (bytes == 0) return 0;
  texts_.push_back({static_cast<uint32_t>(bytes), static_cast<uint32_t>(units)});
  bytes_ += bytes;
  size_t dropped = 0;
  if (bytes_ > maxBytes_) {
    while (bytes_ > keepBytes_ && texts_.size() > 1) {
      bytes_ -= texts_.front().bytes;
      dropped += texts_.front().units;
      texts_.pop_front();
    }
  }
  return dropped;
}

void BoundedText::clear() {
  texts_.clear();
  bytes_ = 0;
}

}  // namespace tovalux::debuglog
