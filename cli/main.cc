// zolm: the converter from a terminal. One row in, any row out, for one text
// or for every line of the input as it arrives. It runs the window's Convert
// commands on the engine's field model and copies text in and out; it
// computes nothing.
#include <CLI/CLI.hpp>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cli/io.h"
#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/utf8.h"

namespace zolm {
namespace {

// Exit statuses beside 0 and the run-time error numbers 5, 6, 11 and 13.
constexpr int kUsageError = 2;    // also input that is not UTF-8
constexpr int kLineBreak = 3;     // --each-line: a row that would hold a line break
constexpr int kCannotWrite = 74;  // standard output could not be written

struct Row {
  Field field;
  void (*command)(FieldSet&);
  const char* caption;  // as the labelled view shows it
};

constexpr Row kCustom{Field::tCus, cus, "Custom:  "};
constexpr Row kHex{Field::tHex, hex, "Hex:     "};
constexpr Row kAscii{Field::tAsc, ascc, "Ascii:   "};
constexpr Row kDecimal{Field::tDec, dec, "Decimal: "};

// The row a name on the command line stands for, in any case; nullptr for
// none.
const Row* FindRow(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const struct {
    const char* name;
    const Row* row;
  } names[] = {{"ascii", &kAscii}, {"dec", &kDecimal}, {"decimal", &kDecimal},
               {"hex", &kHex},     {"cus", &kCustom},  {"custom", &kCustom}};
  for (const auto& entry : names) {
    if (name == entry.name) return entry.row;
  }
  return nullptr;
}

std::string Utf8(TextView text) {
  std::string bytes;
  utf8::Encode(text, bytes);
  return bytes;
}

void Warn(const std::string& message) {
  cli::WriteErrorLine("zolm: " + message);
}

// The window's report of a run-time error, on one or two lines.
void Report(const RuntimeError& error, const std::string& prefix) {
  cli::WriteErrorLine("zolm: " + prefix + Utf8(ErrorHeadline(error.number())) + " " + error.what());
  if (error.place()) cli::WriteErrorLine(prefix + Utf8(ErrorPlaceText(*error.place())));
}

// "line L, byte B" of a byte offset into `bytes`, both counted from 1.
std::string Where(std::string_view bytes, std::size_t offset) {
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (bytes[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", byte " + std::to_string(offset - line_start + 1);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool ReadAll(std::string& into) {
  char block[1 << 16];
  for (long n; (n = cli::ReadInput(block, sizeof block)) != 0;) {
    if (n < 0) return false;
    into.append(block, static_cast<std::size_t>(n));
  }
  if (into.starts_with(kByteOrderMark)) into.erase(0, kByteOrderMark.size());
  return true;
}

// The lines of standard input as they arrive, without their line feeds and
// a carriage return before one; a last line without a line feed counts. A
// byte-order mark at the very start is skipped. Before it waits for input,
// it flushes `out`, so that a reader at the other end of a pipe sees every
// line answered.
class LineReader {
 public:
  explicit LineReader(cli::Output& out) : out_(out) {}
  // The lines of `text` instead of standard input.
  LineReader(cli::Output& out, std::string text)
      : out_(out), buffer_(std::move(text)), ended_(true) {}

  // The next line, valid until the next call; false at the end of the input.
  bool Next(std::string_view& line) {
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

  // The errno value of a failed read; 0 when none failed.
  int error() const { return error_; }

 private:
  void Fill() {
    buffer_.erase(0, begin_);
    scanned_ -= begin_;
    begin_ = 0;
    out_.Flush();
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kBlock);
    const long got = cli::ReadInput(buffer_.data() + had, kBlock);
    buffer_.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
    if (got <= 0) ended_ = true;
    if (got < 0) error_ = errno;
  }

  void SkipByteOrderMark() {
    while (!ended_ && buffer_.size() < kByteOrderMark.size() &&
           kByteOrderMark.starts_with(buffer_)) {
      Fill();
    }
    if (std::string_view(buffer_).starts_with(kByteOrderMark)) {
      begin_ = scanned_ = kByteOrderMark.size();
    }
    mark_checked_ = true;
  }

  static constexpr std::size_t kBlock = 1 << 16;
  cli::Output& out_;
  std::string buffer_;
  std::size_t begin_ = 0;    // where the next line starts
  std::size_t scanned_ = 0;  // searched for a line feed up to here
  bool ended_ = false;
  int error_ = 0;
  bool mark_checked_ = false;
};

// The start texts, set once: each conversion starts from them.
class Conversion {
 public:
  Conversion(const Row& from, TextView radix) : from_(from), radix_(radix) {
    for (const Field field : kAllFields) starts_[Index(field)] = StartText(field);
  }

  // Runs the source row's Convert command on `text`; raises as the window.
  const FieldModel& Run(TextView text) {
    for (const Field field : kAllFields) model_.WriteTextFrom(field, starts_[Index(field)]);
    model_.WriteTextFrom(Field::tBase, radix_);
    model_.WriteTextFrom(from_.field, text);
    from_.command(model_);
    return model_;
  }
  // The rows as the last Run left them, after a failure too.
  const FieldModel& fields() const { return model_; }

 private:
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }

  const Row& from_;
  Text radix_;
  std::array<Text, 5> starts_;
  FieldModel model_;
};

// The code of `text` that holds position `at`, or the code numbered
// `index` (from 1) when `at` is npos: codes are what stands between spaces.
ErrorPlace CodeOf(Field field, TextView text, std::size_t at, int index) {
  ErrorPlace place;
  place.field = field;
  std::size_t start = 0;
  for (int i = 1;; ++i) {
    const std::size_t space = text.find(u' ', start);
    const std::size_t end = space == TextView::npos ? text.size() : space;
    if ((at != TextView::npos && at < end) || i == index || space == TextView::npos) {
      place.code_index = i;
      place.code_start = static_cast<int>(start);
      place.code = Text(text.substr(start, end - start));
      return place;
    }
    start = space + 1;
  }
}

// Where the row `to` holds its first line break (CR or LF), which one output
// line cannot hold: the code of the source row that gave it. Nothing when
// the row holds none.
std::optional<ErrorPlace> LineBreakPlace(const FieldModel& fields, const Row& from, Field to) {
  const Text& row = fields.text(to);
  const std::size_t at = row.find_first_of(u"\r\n");
  if (at == Text::npos) return std::nullopt;
  const TextView source = fields.text(from.field);
  if (to == from.field && to == Field::tAsc) {
    ErrorPlace place;
    place.field = to;
    place.code_index = static_cast<int>(at) + 1;
    place.code_start = static_cast<int>(at);
    place.code = Text(1, row[at]);
    return place;
  }
  if (to == from.field) return CodeOf(to, source, at, 0);
  // Only the Ascii row can hold a line break, one character per source code.
  return CodeOf(from.field, source, TextView::npos, static_cast<int>(at) + 1);
}

// The four rows in the window's order, each on one line with its caption,
// their control characters made visible.
void WriteLabelled(const FieldModel& fields, std::string& out) {
  for (const Row* row : {&kCustom, &kHex, &kAscii, &kDecimal}) {
    out += row->caption;
    utf8::Encode(VisibleText(fields.text(row->field)), out);
    out += '\n';
  }
}

int ConvertOne(const Row& from, std::optional<Field> to, TextView radix, TextView text,
               cli::Output& out) {
  Conversion conversion(from, radix);
  try {
    const FieldModel& fields = conversion.Run(text);
    if (to) {
      utf8::Encode(fields.text(*to), out.buffer());
      out.buffer() += '\n';
    } else {
      WriteLabelled(fields, out.buffer());
    }
  } catch (const RuntimeError& error) {
    // The labelled view shows the rows as the failed Convert left them, as
    // the window does; --to writes nothing rather than a partial result.
    if (!to) {
      WriteLabelled(conversion.fields(), out.buffer());
      out.Flush();
    }
    Report(error, "");
    return error.number();
  }
  return 0;
}

int ConvertEachLine(const Row& from, Field to, TextView radix, LineReader& reader,
                    cli::Output& out) {
  Conversion conversion(from, radix);
  int status = 0;
  const auto fail = [&](int number) {
    if (status == 0) status = number;
  };
  std::size_t line_number = 0;
  Text text;
  for (std::string_view line; reader.Next(line);) {
    ++line_number;
    const auto prefix = [line_number] { return "line " + std::to_string(line_number) + ": "; };
    text.clear();
    if (const std::size_t bad = utf8::Decode(line, text); bad != utf8::npos) {
      out.Flush();  // keep the report beside the lines before it
      Warn(prefix() + "not valid UTF-8 at byte " + std::to_string(bad + 1));
      fail(kUsageError);
    } else {
      try {
        const FieldModel& fields = conversion.Run(text);
        if (const auto place = LineBreakPlace(fields, from, to)) {
          out.Flush();
          Warn(prefix() + "the " + RowName(to) + " holds a line break, which one output line " +
               "cannot hold");
          cli::WriteErrorLine(prefix() + Utf8(ErrorPlaceText(*place)));
          fail(kLineBreak);
        } else {
          utf8::Encode(fields.text(to), out.buffer());
        }
      } catch (const RuntimeError& error) {
        out.Flush();
        Report(error, prefix());
        fail(error.number());
      }
    }
    out.buffer() += '\n';
    out.FlushIfFull();
  }
  if (reader.error() != 0) {
    out.Flush();
    Warn("cannot read standard input: " + std::string(std::strerror(reader.error())));
    fail(kUsageError);
  }
  return status;
}

int Run(int argc, char** argv, cli::Output& out) {
  CLI::App app{
      "Shows a text as its character codes in decimal, hexadecimal or a radix you\n"
      "choose, and back: the Convert commands of Zolm Converter in a terminal."};
  app.name("zolm");
  std::string from_name;
  std::string to_name;
  std::string radix = "16";
  std::string text_argument;
  bool each_line = false;
  app.add_option("--from", from_name,
                 "The row the text is in: ascii, dec (decimal), hex or cus (custom)")
      ->required();
  app.add_option("--to", to_name,
                 "The row to write; without it, all four rows with their captions");
  app.add_option("--radix", radix, "The radix field's text, as typed into the window (default 16)");
  app.add_flag("--each-line", each_line,
               "Convert every input line on its own as it arrives, one output line each (needs "
               "--to)");
  app.add_option("text", text_argument,
                 "The text; - or none reads standard input (one final line break dropped)");
  app.set_version_flag("--version", "zolm " ZOLM_VERSION);
  app.footer(
      "Examples:\n"
      "  zolm --from ascii 'Hello!'\n"
      "  zolm --from hex --to ascii '48 65 6C 6C 6F 21'\n"
      "  zolm --from ascii --to custom --radix 2 'AB'\n"
      "  printf '72 105\\n79 75\\n' | zolm --from dec --to ascii --each-line\n"
      "  zolm --from dec --to ascii - < codes.txt\n"
      "\n"
      "Exit status: 0 when everything converted; the run-time error number (5, 6, 11\n"
      "or 13) of the first failure; 2 for a usage error or input that is not UTF-8;\n"
      "3 when --each-line meets a row that would hold a line break; 74 when the\n"
      "output cannot be written.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out.buffer() += app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out.buffer() += app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out.buffer() += std::string(version.what()) + "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    Warn(std::string(error.what()) + "\nRun 'zolm --help' for the usage.");
    return kUsageError;
  }
  const Row* from = FindRow(from_name);
  const Row* to = to_name.empty() ? nullptr : FindRow(to_name);
  for (const auto& [option, name, row] :
       {std::tuple{"--from", from_name, from}, std::tuple{"--to", to_name, to}}) {
    if (row == nullptr && !(option == std::string_view("--to") && name.empty())) {
      Warn(std::string(option) + ": '" + name +
           "' is no row; the rows are ascii, dec (decimal), hex and cus (custom)");
      return kUsageError;
    }
  }
  if (each_line && to == nullptr) {
    Warn("--each-line needs --to");
    return kUsageError;
  }

  Text radix_text;
  if (const auto bad = utf8::Decode(radix, radix_text); bad != utf8::npos) {
    Warn("--radix is not valid UTF-8 at " + Where(radix, bad));
    return kUsageError;
  }
  const bool from_stdin = app.count("text") == 0 || text_argument == "-";
  if (each_line) {
    if (!from_stdin) {
      LineReader lines(out, text_argument);
      return ConvertEachLine(*from, to->field, radix_text, lines, out);
    }
    LineReader lines(out);
    return ConvertEachLine(*from, to->field, radix_text, lines, out);
  }

  std::string bytes;
  if (from_stdin) {
    if (!ReadAll(bytes)) {
      Warn("cannot read standard input: " + std::string(std::strerror(errno)));
      return kUsageError;
    }
    if (bytes.ends_with('\n')) {
      bytes.pop_back();
      if (bytes.ends_with('\r')) bytes.pop_back();
    }
  } else {
    bytes = text_argument;
  }
  Text text;
  text.reserve(bytes.size());
  if (const auto bad = utf8::Decode(bytes, text); bad != utf8::npos) {
    Warn(std::string(from_stdin ? "standard input" : "the text argument") +
         " is not valid UTF-8 at " + Where(bytes, bad));
    return kUsageError;
  }
  bytes.clear();
  bytes.shrink_to_fit();
  return ConvertOne(*from, to ? std::optional<Field>(to->field) : std::nullopt, radix_text, text,
                    out);
}

// The one place a failed write ends: every write goes through `out`, and
// the last flush is checked like the others.
int Main(int argc, char** argv) {
  cli::PrepareStandardStreams();
  cli::Output out;
  try {
    const int status = Run(argc, argv, out);
    out.Flush();
    return status;
  } catch (const cli::WriteError& error) {
    if (!error.reader_gone())
      Warn("cannot write output: " + std::string(std::strerror(error.error())));
    return kCannotWrite;
  }
}

}  // namespace
}  // namespace zolm

#ifdef _WIN32
#include <windows.h>

// The arguments as Windows keeps them, UTF-16, in UTF-8: any character
// typed in a console arrives intact, whatever its code page.
int main() {
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args(static_cast<std::size_t>(argc));
  std::vector<char*> argv;
  for (int i = 0; i < argc; ++i) {
    const auto* units = reinterpret_cast<const char16_t*>(wide[i]);
    zolm::utf8::Encode(zolm::TextView(units), args[static_cast<std::size_t>(i)]);
    argv.push_back(args[static_cast<std::size_t>(i)].data());
  }
  LocalFree(wide);
  argv.push_back(nullptr);
  return zolm::Main(argc, argv.data());
}
#else
int main(int argc, char** argv) {
  return zolm::Main(argc, argv);
}
#endif
