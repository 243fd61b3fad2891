// The lines of zolm's input as they arrive, in flat memory.
#ifndef ZOLM_CLI_LINE_READER_H_
#define ZOLM_CLI_LINE_READER_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zolm::cli {

// Reads at most `size` bytes into `into`, waiting only until some are
// there: the number read, 0 at the end of the input, -1 on a read error
// (errno tells which).
using ReadFunction = std::function<long(char* into, std::size_t size)>;

// The lines of an input without their line feeds and a carriage return
// before one; a last line without a line feed counts. A byte-order mark at
// the very start is skipped, also when it arrives over several reads.
class LineReader {
 public:
  // Reads through `read` in blocks of `block` bytes; calls `before_wait`
  // before each read, so that a reader at the other end of a pipe sees every
  // line answered before the next is awaited.
  LineReader(ReadFunction read, std::function<void()> before_wait, std::size_t block = 1 << 16);
  // The lines of `text`.
  explicit LineReader(std::string text);

  // The next line, valid until the next call; false at the end of the input.
  bool Next(std::string_view& line);

  // The errno value of a failed read; 0 when none failed.
  int error() const { return error_; }

 private:
  void Fill();
  void SkipByteOrderMark();

  ReadFunction read_;
  std::function<void()> before_wait_;
  std::size_t block_ = 0;
  std::string buffer_;
  std::size_t begin_ = 0;    // where the next line starts
  std::size_t scanned_ = 0;  // searched for a line feed up to here
  bool ended_ = false;
  bool mark_checked_ = false;
  int error_ = 0;
};

// All of an input through `read`, a byte-order mark at its start left out.
// False on a read error, with errno telling which.
bool ReadAll(const ReadFunction& read, std::string& into);

}  // namespace zolm::cli

#endif  // ZOLM_CLI_LINE_READER_H_
