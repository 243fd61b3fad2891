#include "cli/line_reader.h"

#include <cerrno>
#include <utility>

namespace zolm::cli {

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

LineReader::LineReader(ReadFunction read, std::function<void()> before_wait, std::size_t block)
    : read_(std::move(read)), before_wait_(std::move(before_wait)), block_(block) {}

LineReader::LineReader(std::string text) : buffer_(std::move(text)), ended_(true) {}

bool LineReader::Next(std::string_view& line) {
  if (!mark_checked_ && !ended_) SkipByteOrderMark();
  mark_checked_ = true;
  for (;;) {
    const std::size_t feed = buffer_.find('\n', scanned_);
    if (feed != std::string::npos) {
      line = std::string_view(buffer_).substr(begin_, feed - begin_);
      if (line.ends_with('\r')) line.remove_suffix(1);
      begin_ = scanned_ = feed + 1;
      return true;
    }
    if (ended_) {
      if (begin_ == buffer_.size()) return false;
      line = std::string_view(buffer_).substr(begin_);
      begin_ = scanned_ = buffer_.size();
      return true;
    }
    scanned_ = buffer_.size();
    Fill();
  }
}

void LineReader::Fill() {
  buffer_.erase(0, begin_);
  scanned_ -= begin_;
  begin_ = 0;
  if (before_wait_) before_wait_();
  const std::size_t had = buffer_.size();
  buffer_.resize(had + block_);
  const long got = read_(buffer_.data() + had, block_);
  buffer_.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
  if (got <= 0) ended_ = true;
  if (got < 0) error_ = errno;
}

void LineReader::SkipByteOrderMark() {
  while (!ended_ && buffer_.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(buffer_)) {
    Fill();
  }
  if (std::string_view(buffer_).starts_with(kByteOrderMark)) {
    begin_ = scanned_ = kByteOrderMark.size();
  }
}

bool ReadAll(const ReadFunction& read, std::string& into) {
  char block[1 << 16];
  for (long n; (n = read(block, sizeof block)) != 0;) {
    if (n < 0) return false;
    into.append(block, static_cast<std::size_t>(n));
  }
  if (into.starts_with(kByteOrderMark)) into.erase(0, kByteOrderMark.size());
  return true;
}

}  // namespace zolm::cli
