// zolm: the converter from a terminal. One row in, any row out, for one text
// or for every line of the input. It runs the window's Convert commands on
// the engine's field model and copies text in and out; it computes nothing.
#include <CLI/CLI.hpp>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "engine/convert_commands.h"
#include "engine/error_text.h"
#include "engine/utf8.h"

namespace zolm {
namespace {

constexpr int kUsageError = 2;

struct Row {
  Field field;
  void (*command)(FieldSet&);
  const char* caption;  // as the labelled view shows it
};

const std::map<std::string, Row> kRows = {
    {"ascii", {Field::tAsc, ascc, "Ascii:   "}},
    {"dec", {Field::tDec, dec, "Decimal: "}},
    {"hex", {Field::tHex, hex, "Hex:     "}},
    {"custom", {Field::tCus, cus, "Custom:  "}},
};

// Standard output in large blocks.
class Output {
 public:
  ~Output() { Flush(); }
  std::string& buffer() { return buffer_; }
  void MaybeFlush() {
    if (buffer_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    buffer_.clear();
    std::fflush(stdout);
  }

 private:
  std::string buffer_;
};

void Warn(const std::string& message) {
  std::fprintf(stderr, "zolm: %s\n", message.c_str());
}

// The window's report of a run-time error, on one or two lines.
void Report(const RuntimeError& error, const std::string& prefix) {
  std::fprintf(stderr, "zolm: %sRun-time error '%d': %s\n", prefix.c_str(), error.number(),
               error.what());
  if (error.place()) {
    std::string place;
    utf8::Encode(ErrorPlaceText(*error.place()), place);
    std::fprintf(stderr, "%s%s\n", prefix.c_str(), place.c_str());
  }
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

bool ReadAll(std::FILE* file, std::string& into) {
  char block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) into.append(block, n);
  return std::ferror(file) == 0;
}

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

 private:
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }

  const Row& from_;
  Text radix_;
  std::array<Text, 5> starts_;
  FieldModel model_;
};

// The four rows in the window's order, each on one line with its caption;
// control characters of the Ascii row shown as their control pictures.
void WriteLabelled(const FieldModel& fields, std::string& out) {
  for (const char* name : {"custom", "hex", "ascii", "dec"}) {
    const Row& row = kRows.at(name);
    out += row.caption;
    Text text = fields.text(row.field);
    if (row.field == Field::tAsc) {
      for (char16_t& c : text) {
        if (c < 0x20) c = static_cast<char16_t>(0x2400 + c);
        if (c == 0x7F) c = 0x2421;
      }
    }
    utf8::Encode(text, out);
    out += '\n';
  }
}

int ConvertOne(const Row& from, std::optional<Field> to, TextView radix, TextView text) {
  Conversion conversion(from, radix);
  Output out;
  try {
    const FieldModel& fields = conversion.Run(text);
    if (to) {
      utf8::Encode(fields.text(*to), out.buffer());
      out.buffer() += '\n';
    } else {
      WriteLabelled(fields, out.buffer());
    }
  } catch (const RuntimeError& error) {
    Report(error, "");
    return error.number();
  }
  return 0;
}

int ConvertEachLine(const Row& from, Field to, TextView radix, TextView input) {
  Conversion conversion(from, radix);
  Output out;
  int status = 0;
  std::size_t line_number = 0;
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t end = input.find(u'\n', start);
    const std::size_t next = end == TextView::npos ? input.size() : end + 1;
    if (end == TextView::npos) end = input.size();
    TextView line = input.substr(start, end - start);
    if (end < input.size() && !line.empty() && line.back() == u'\r') line.remove_suffix(1);
    ++line_number;
    try {
      utf8::Encode(conversion.Run(line).text(to), out.buffer());
    } catch (const RuntimeError& error) {
      out.Flush();  // keep the report beside the lines before it
      Report(error, "line " + std::to_string(line_number) + ": ");
      if (status == 0) status = error.number();
    }
    out.buffer() += '\n';
    out.MaybeFlush();
    start = next;
  }
  return status;
}

int Main(int argc, char** argv) {
  CLI::App app{
      "Shows a text as its character codes in decimal, hexadecimal or a radix you\n"
      "choose, and back: the Convert commands of Zolm Converter in a terminal."};
  app.name("zolm");
  std::string from_name;
  std::string to_name;
  std::string radix = "16";
  std::string text_argument;
  bool each_line = false;
  const auto rows = CLI::IsMember({"ascii", "dec", "hex", "custom"});
  app.add_option("--from", from_name, "The row the text is in: ascii, dec, hex or custom")
      ->required()
      ->check(rows);
  app.add_option("--to", to_name, "The row to write; without it, all four rows with their captions")
      ->check(rows);
  app.add_option("--radix", radix, "The radix field's text, as typed into the window (default 16)");
  app.add_flag("--each-line", each_line,
               "Convert every input line on its own, one output line each (needs --to)");
  app.add_option("text", text_argument,
                 "The text; - or none reads standard input (one final line break dropped)");
  app.set_version_flag("--version", "zolm 1.00");
  app.footer(
      "Examples:\n"
      "  zolm --from ascii 'Hello!'\n"
      "  zolm --from hex --to ascii '48 65 6C 6C 6F 21'\n"
      "  zolm --from ascii --to custom --radix 2 'AB'\n"
      "  printf '72 105\\n79 75\\n' | zolm --from dec --to ascii --each-line\n"
      "  zolm --from dec --to ascii - < codes.txt\n"
      "\n"
      "Exit status: 0 when everything converted; the run-time error number (5, 6, 11\n"
      "or 13) of the first failure; 2 for a usage error or input that is not UTF-8.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? 0 : kUsageError;
  }
  if (each_line && to_name.empty()) {
    Warn("--each-line needs --to");
    return kUsageError;
  }

  const bool from_stdin = app.count("text") == 0 || text_argument == "-";
  std::string bytes;
  if (from_stdin) {
    if (!ReadAll(stdin, bytes)) {
      Warn("cannot read standard input");
      return kUsageError;
    }
    if (!each_line && !bytes.empty() && bytes.back() == '\n') {
      bytes.pop_back();
      if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    }
  } else {
    bytes = text_argument;
  }
  const char* source = from_stdin ? "standard input" : "the text argument";

  Text radix_text;
  if (const auto bad = utf8::Decode(radix, radix_text); bad != utf8::npos) {
    Warn("--radix is not valid UTF-8 at " + Where(radix, bad));
    return kUsageError;
  }
  Text text;
  text.reserve(bytes.size());
  if (const auto bad = utf8::Decode(bytes, text); bad != utf8::npos) {
    Warn(std::string(source) + " is not valid UTF-8 at " + Where(bytes, bad));
    return kUsageError;
  }
  bytes.clear();
  bytes.shrink_to_fit();

  const Row& from = kRows.at(from_name);
  std::optional<Field> to;
  if (!to_name.empty()) to = kRows.at(to_name).field;
  return each_line ? ConvertEachLine(from, *to, radix_text, text)
                   : ConvertOne(from, to, radix_text, text);
}

}  // namespace
}  // namespace zolm

int main(int argc, char** argv) {
  return zolm::Main(argc, argv);
}
