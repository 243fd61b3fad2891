// Standard input and output for zolm: raw bytes in, buffered and checked
// writes out. The one place that knows the platform's streams.
#ifndef ZOLM_CLI_IO_H_
#define ZOLM_CLI_IO_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zolm::cli {

// Raised when standard output cannot be written; `error` is the errno value.
// zolm's main catches it once.
class WriteError {
 public:
  explicit WriteError(int error) : error_(error) {}
  int error() const { return error_; }
  // True when the reader went away (a closed pipe): zolm then ends quietly.
  bool reader_gone() const;

 private:
  int error_;
};

// The program's arguments in UTF-8. On Windows they are taken from the
// command line as the system keeps it, UTF-16, so that any character typed
// in a console arrives intact whatever its code page; elsewhere they are
// `argv` as given.
class Arguments {
 public:
  Arguments(int argc, char** argv);
  int argc() const { return static_cast<int>(args_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> pointers_;  // into args_, then a null pointer
};

// Puts the standard streams in binary mode where the platform has another.
void PrepareStandardStreams();

// Reads at most `size` bytes of standard input into `into`, waiting only
// until some are there. Returns the number read, 0 at the end of the input,
// -1 on a read error. A Windows console is read as typed, whatever its code
// page, in UTF-8; a Ctrl+Z ends its input.
long ReadInput(char* into, std::size_t size);

// Standard output in blocks: text gathers in buffer() and goes out on
// Flush. UTF-8 text.
class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  std::string& buffer() { return buffer_; }
  // Writes out the buffer and empties it. Raises WriteError when a write
  // fails, with the buffer emptied all the same.
  void Flush();
  // Flushes once the buffer holds a large block.
  void FlushIfFull() {
    if (buffer_.size() >= kBlock) Flush();
  }

 private:
  static constexpr std::size_t kBlock = 1 << 16;
  std::string buffer_;
};

// Writes `line` and a line break to standard error at once. A failure to
// write there is not reported: there is nowhere left to report it.
void WriteErrorLine(std::string_view line);

// A line to standard error that starts with "zolm: ".
inline void Warn(std::string_view message) {
  WriteErrorLine("zolm: " + std::string(message));
}

}  // namespace zolm::cli

#endif  // ZOLM_CLI_IO_H_
