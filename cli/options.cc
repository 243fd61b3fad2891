#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <tuple>

#include "cli/io.h"
#include "engine/utf8.h"

namespace zolm::cli {

namespace {

// The row a name on the command line stands for, its name or short name in
// any case; nullptr for none.
const form::RowEntry* FindRow(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const form::RowEntry& row : form::kRows) {
    if (name == row.name || name == row.short_name) return &row;
  }
  return nullptr;
}

}  // namespace

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

int ParseOptions(int argc, char** argv, Options& options, std::string& out) {
  CLI::App app{
      "Shows a text as its character codes in decimal, hexadecimal or a radix you\n"
      "choose, and back: the Convert commands of Zolm Converter in a terminal."};
  app.name("zolm");
  // CLI11 would take "/x" for an option on Windows.
  app.allow_windows_style_options(false);
  std::string from_name;
  std::string to_name;
  std::string radix = "16";
  app.add_option("--from", from_name,
                 "The row the text is in: ascii, dec (decimal), hex or cus (custom)")
      ->required();
  app.add_option("--to", to_name,
                 "The row to write; without it, all four rows with their captions");
  app.add_option("--radix", radix, "The radix field's text, as typed into the window (default 16)");
  app.add_flag("--each-line", options.each_line,
               "Convert every input line on its own as it arrives, one output line each (needs "
               "--to)");
  app.add_flag("--each-code", options.each_code,
               "One line per code: its number, then that code in the custom, hex, ascii and "
               "decimal rows, in columns");
  app.add_option("text", options.text,
                 "The text; - or none reads standard input (one final line break dropped)");
  app.set_version_flag("--version", "zolm " ZOLM_VERSION);
  app.footer(
      "Examples:\n"
      "  zolm --from ascii 'Hello!'\n"
      "  zolm --from hex --to ascii '48 65 6C 6C 6F 21'\n"
      "  zolm --from ascii --to custom --radix 2 'AB'\n"
      "  zolm --from ascii --each-code 'Hi!'\n"
      "  printf '72 105\\n79 75\\n' | zolm --from dec --to ascii --each-line\n"
      "  zolm --from dec --to ascii - < codes.txt\n"
      "\n"
      "Exit status: 0 when everything converted; the run-time error number (5, 6, 11\n"
      "or 13) of the first failure; 2 for a usage error or input that is not UTF-8;\n"
      "3 when --each-line meets a row that would hold a line break; 74 when the\n"
      "input cannot be read or the output cannot be written.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out += app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out += app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out += std::string(version.what()) + "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    Warn(std::string(error.what()) + "\nRun 'zolm --help' for the usage.");
    return kUsageError;
  }
  const form::RowEntry* from = FindRow(from_name);
  const form::RowEntry* to = to_name.empty() ? nullptr : FindRow(to_name);
  for (const auto& [option, name, row] :
       {std::tuple{"--from", from_name, from}, std::tuple{"--to", to_name, to}}) {
    if (row == nullptr && !(option == std::string_view("--to") && name.empty())) {
      Warn(std::string(option) + ": '" + name +
           "' is no row; the rows are ascii, dec (decimal), hex and cus (custom)");
      return kUsageError;
    }
  }
  if (options.each_line && to == nullptr) {
    Warn("--each-line needs --to");
    return kUsageError;
  }
  if (options.each_code && (to != nullptr || options.each_line)) {
    Warn("--each-code shows every row: it takes neither --to nor --each-line");
    return kUsageError;
  }

  if (const auto bad = utf8::Decode(radix, options.radix); bad != utf8::npos) {
    Warn("--radix is not valid UTF-8 at " + Where(radix, bad));
    return kUsageError;
  }
  options.from = from;
  options.to = to;
  options.from_stdin = app.count("text") == 0 || options.text == "-";
  return -1;
}

}  // namespace zolm::cli
