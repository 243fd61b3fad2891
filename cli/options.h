// zolm's command line: the rows it names and the options it takes.
#ifndef ZOLM_CLI_OPTIONS_H_
#define ZOLM_CLI_OPTIONS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/form.h"
#include "engine/value_rules.h"

namespace zolm::cli {

// Exit statuses beside 0 and the run-time error numbers 5, 6, 11 and 13.
inline constexpr int kUsageError = 2;          // also input that is not UTF-8
inline constexpr int kLineBreak = 3;           // --each-line: a row would hold a line break
inline constexpr int kCannotReadOrWrite = 74;  // standard input or output failed

struct Options {
  const form::RowEntry* from = nullptr;
  const form::RowEntry* to = nullptr;  // none: the four rows, labelled
  Text radix;
  std::string text;  // the text argument, when not from_stdin
  bool from_stdin = false;
  bool each_line = false;
  bool each_code = false;  // one line per code, the four rows side by side
};

// Reads the command line into `options`. -1 when zolm is to convert;
// otherwise the status to exit with, the help or version text appended to
// `out` or a usage error written to standard error. The same options on
// every system: a text that starts with "/" is text, on Windows too.
int ParseOptions(int argc, char** argv, Options& options, std::string& out);

// "line L, byte B" of a byte offset into `bytes`, both counted from 1.
std::string Where(std::string_view bytes, std::size_t offset);

}  // namespace zolm::cli

#endif  // ZOLM_CLI_OPTIONS_H_
