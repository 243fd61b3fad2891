// zolm: the converter from a terminal. One row in, any row out, for one text
// or for every line of the input as it arrives. It runs the window's Convert
// commands on the engine's field model and copies text in and out; it
// computes nothing.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/io.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "engine/code_links.h"
#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/form_controller.h"
#include "engine/utf8.h"

namespace zolm {
namespace {

using cli::kCannotReadOrWrite;
using cli::kLineBreak;
using cli::kUsageError;
using cli::Warn;
using form::RowEntry;

std::string Utf8(TextView text) {
  std::string bytes;
  utf8::Encode(text, bytes);
  return bytes;
}

// The window's report of a run-time error, on one or two lines.
void Report(const ConvertOutcome& failed, const std::string& prefix) {
  cli::WriteErrorLine("zolm: " + prefix + Utf8(ErrorHeadline(failed.error)) + " " +
                      ErrorDescription(failed.error));
  if (failed.place) cli::WriteErrorLine(prefix + Utf8(ErrorPlaceText(*failed.place)));
}

// The start texts, set once: each conversion starts from them.
class Conversion {
 public:
  Conversion(const RowEntry& from, TextView radix) : from_(from), radix_(radix) {
    for (const Field field : kAllFields) starts_[Index(field)] = StartText(field);
  }

  // Runs the source row's Convert command on `text`, as the window does;
  // fields() then holds the rows as it left them, after a failure too.
  ConvertOutcome Run(TextView text) {
    for (const Field field : kAllFields) model_.WriteTextFrom(field, starts_[Index(field)]);
    model_.WriteTextFrom(Field::tBase, radix_);
    model_.WriteTextFrom(from_.field, text);
    return RunConvert(from_.row, model_);
  }
  const FieldModel& fields() const { return model_; }

 private:
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }

  const RowEntry& from_;
  Text radix_;
  std::array<Text, kFieldCount> starts_;
  FieldModel model_;
};

// The four rows in the window's order, each on one line with its caption,
// their control characters made visible.
void WriteLabelled(const FieldModel& fields, std::string& out) {
  for (const RowEntry& row : form::kRows) {
    // "Custom:  ", "Hex:     ", ...: the texts start in one column.
    std::string caption = form::At(form::IndexOf(row.label)).caption;
    caption += ':';
    caption.resize(9, ' ');
    out += caption;
    utf8::Encode(VisibleText(fields.text(row.field)), out);
    out += '\n';
  }
}

// One line per code: its number, then the code in each row in the window's
// order, in columns, control characters made visible.
void WriteEachCode(const FieldModel& fields, std::string& out) {
  const int count = CodeCount(Field::tDec, fields.text(Field::tDec));
  std::vector<std::array<Text, form::kRows.size() + 1>> lines(static_cast<std::size_t>(count));
  std::array<std::size_t, form::kRows.size() + 1> widths{};
  for (int code = 0; code < count; ++code) {
    auto& line = lines[static_cast<std::size_t>(code)];
    const std::string number = std::to_string(code + 1);
    line[0] = Text(number.begin(), number.end());
    for (std::size_t r = 0; r < form::kRows.size(); ++r) {
      const Field field = form::kRows[r].field;
      const TextView row = fields.text(field);
      if (const auto range = CodesIn(field, row, {code, code})) {
        line[r + 1] = VisibleText(row.substr(static_cast<std::size_t>(range->start),
                                             static_cast<std::size_t>(range->end - range->start)));
      }
    }
    for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
  }
  for (const auto& line : lines) {
    // The number to the right of its column, the codes to the left of theirs.
    std::string text(widths[0] - line[0].size(), ' ');
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (c > 0) text += "  ";
      utf8::Encode(line[c], text);
      if (c > 0 && c + 1 < line.size()) text.append(widths[c] - line[c].size(), ' ');
    }
    out += text;
    out += '\n';
  }
}

int ConvertOne(const RowEntry& from, std::optional<Field> to, bool each_code, TextView radix,
               TextView text, cli::Output& out) {
  Conversion conversion(from, radix);
  const ConvertOutcome outcome = conversion.Run(text);
  if (outcome.error != 0) {
    // The labelled view shows the rows as the failed Convert left them, as
    // the window does; --to and --each-code write nothing rather than a
    // partial result.
    if (!to && !each_code) {
      WriteLabelled(conversion.fields(), out.buffer());
      out.Flush();
    }
    Report(outcome, "");
    return outcome.error;
  }
  if (to) {
    utf8::Encode(conversion.fields().text(*to), out.buffer());
    out.buffer() += '\n';
  } else if (each_code) {
    WriteEachCode(conversion.fields(), out.buffer());
  } else {
    WriteLabelled(conversion.fields(), out.buffer());
  }
  return 0;
}

int ConvertEachLine(const RowEntry& from, Field to, TextView radix, cli::LineReader& reader,
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
      const ConvertOutcome outcome = conversion.Run(text);
      const FieldModel& fields = conversion.fields();
      if (outcome.error != 0) {
        out.Flush();
        Report(outcome, prefix());
        fail(outcome.error);
      } else if (const auto place = LineBreakPlace(fields, from.field, to)) {
        out.Flush();
        Warn(prefix() + "the " + RowName(to) + " holds a line break, which one output line " +
             "cannot hold");
        cli::WriteErrorLine(prefix() + Utf8(ErrorPlaceText(*place)));
        fail(kLineBreak);
      } else {
        utf8::Encode(fields.text(to), out.buffer());
      }
    }
    out.buffer() += '\n';
    out.FlushIfFull();
  }
  if (reader.error() != 0) {
    out.Flush();
    Warn("cannot read standard input: " + std::string(std::strerror(reader.error())));
    fail(kCannotReadOrWrite);
  }
  return status;
}

int Run(int argc, char** argv, cli::Output& out) {
  cli::Options options;
  if (const int status = cli::ParseOptions(argc, argv, options, out.buffer()); status >= 0) {
    return status;
  }
  const RowEntry& from = *options.from;
  const bool from_stdin = options.from_stdin;
  const std::string& text_argument = options.text;
  const Text& radix_text = options.radix;
  if (options.each_line) {
    cli::LineReader lines = from_stdin ? cli::LineReader(cli::ReadInput, [&out] { out.Flush(); })
                                       : cli::LineReader(text_argument);
    return ConvertEachLine(from, options.to->field, radix_text, lines, out);
  }

  std::string bytes;
  if (from_stdin) {
    if (!cli::ReadAll(cli::ReadInput, bytes)) {
      Warn("cannot read standard input: " + std::string(std::strerror(errno)));
      return kCannotReadOrWrite;
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
         " is not valid UTF-8 at " + cli::Where(bytes, bad));
    return kUsageError;
  }
  bytes.clear();
  bytes.shrink_to_fit();
  return ConvertOne(from, options.to ? std::optional<Field>(options.to->field) : std::nullopt,
                    options.each_code, radix_text, text, out);
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
    return kCannotReadOrWrite;
  }
}

}  // namespace
}  // namespace zolm

int main(int argc, char** argv) {
  zolm::cli::Arguments arguments(argc, argv);
  return zolm::Main(arguments.argc(), arguments.argv());
}
