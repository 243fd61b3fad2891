// The built zolm binary, end to end: arguments and standard input in,
// standard output, standard error and the exit status out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/convert_commands.h"
#include "engine/utf8.h"

namespace zolm {
namespace {

struct Result {
  std::string out;
  std::string err;
  int status = -1;
};

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// Runs zolm with `args`, `input` on standard input, in a folder of its own.
Result RunZolm(const std::vector<std::string>& args, const std::string& input = "") {
  std::string folder = ::testing::TempDir() + "zolm_cli_XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a temporary folder";
    return {};
  }
  std::ofstream(folder + "/in", std::ios::binary) << input;
  std::string command = ZOLM_CLI_PATH;
  for (const auto& arg : args) command += " " + Quote(arg);
  command +=
      " <" + Quote(folder + "/in") + " >" + Quote(folder + "/out") + " 2>" + Quote(folder + "/err");
  const int raw = std::system(command.c_str());
  Result result{Slurp(folder + "/out"), Slurp(folder + "/err"),
                WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
  for (const char* name : {"/in", "/out", "/err"}) std::remove((folder + name).c_str());
  rmdir(folder.c_str());
  return result;
}

TEST(CliTest, Table) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string out;
    std::string err;  // a part of standard error; "" when it must be empty
    int status;
  };
  const Row rows[] = {
      {"labelled view",
       {"--from", "ascii", "Hello!"},
       "",
       "Custom:  48 65 6C 6C 6F 21\nHex:     48 65 6C 6C 6F 21\nAscii:   Hello!\n"
       "Decimal: 72 101 108 108 111 33\n",
       "",
       0},
      {"labelled view shows control pictures",
       {"--from", "dec", "0 9 127 128"},
       "",
       "Custom:  00 09 7F 80\nHex:     00 09 7F 80\nAscii:   \u2400\u2409\u2421\u20ac\n"
       "Decimal: 0 9 127 128\n",
       "",
       0},
      {"hex to ascii",
       {"--from", "hex", "--to", "ascii", "48 65 6C 6C 6F 21"},
       "",
       "Hello!\n",
       "",
       0},
      {"custom radix 2",
       {"--from", "ascii", "--to", "custom", "--radix", "2", "AB"},
       "",
       "1000001 1000010\n",
       "",
       0},
      {"radix with blanks",
       {"--from", "custom", "--to", "ascii", "--radix", " 36 ", "20 21"},
       "",
       "HI\n",
       "",
       0},
      {"custom row floors a fractional radix",
       {"--from", "custom", "--to", "dec", "--radix", "15.7", "48"},
       "",
       "68\n",
       "",
       0},
      {"ascii to dec, trimmed",
       {"--from", "ascii", "--to", "dec", "  a b  "},
       "",
       "97 32 98\n",
       "",
       0},
      {"outside the basic plane is two units",
       {"--from", "ascii", "--to", "dec", "\U0001F600"},
       "",
       "63 63\n",
       "",
       0},
      {"code 0 is written as a NUL",
       {"--from", "dec", "--to", "ascii", "65 0"},
       "",
       std::string("A\0\n", 3),
       "",
       0},
      {"standard input, one line break dropped",
       {"--from", "dec", "--to", "ascii", "-"},
       "72 105\r\n",
       "Hi\n",
       "",
       0},
      {"no text argument reads standard input",
       {"--from", "dec", "--to", "hex"},
       "255\n",
       "FF\n",
       "",
       0},
      {"empty input is an empty row",
       {"--from", "dec", "--to", "ascii"},
       "",
       "",
       "zolm: Run-time error '13': Type mismatch\nDecimal row, code 1: (empty)\n",
       13},
      {"type mismatch names the code",
       {"--from", "dec", "--to", "ascii", "65 4A 67"},
       "",
       "",
       "zolm: Run-time error '13': Type mismatch\nDecimal row, code 2: \"4A\"\n",
       13},
      {"invalid argument",
       {"--from", "dec", "--to", "ascii", "65 256"},
       "",
       "",
       "Run-time error '5': Invalid procedure call or argument\nDecimal row, code 2: \"256\"",
       5},
      {"overflow",
       {"--from", "hex", "--to", "dec", "1000"},
       "",
       "",
       "Run-time error '6': Overflow\nHex row, code 1: \"1000\"",
       6},
      {"division by zero",
       {"--from", "hex", "--to", "custom", "--radix", "0", "-5"},
       "",
       "",
       "Run-time error '11': Division by zero",
       11},
      {"bad radix",
       {"--from", "ascii", "--to", "custom", "--radix", "abc", "A"},
       "",
       "",
       "Radix field: \"abc\"",
       13},
      {"each line, a failing line in the middle",
       {"--from", "dec", "--to", "ascii", "--each-line"},
       "72 105\r\n4A\n79 75",
       "Hi\n\nOK\n",
       "zolm: line 2: Run-time error '13': Type mismatch\nline 2: Decimal row, code 1: \"4A\"\n",
       13},
      {"each line, empty input", {"--from", "ascii", "--to", "dec", "--each-line"}, "", "", "", 0},
      {"each line needs --to", {"--from", "dec", "--each-line"}, "65\n", "", "needs --to", 2},
      {"invalid UTF-8 in an argument",
       {"--from", "ascii", "--to", "dec", "ab\xff"},
       "",
       "",
       "the text argument is not valid UTF-8 at line 1, byte 3",
       2},
      {"invalid UTF-8 in a line",
       {"--from", "ascii", "--to", "dec", "--each-line"},
       "ok\nab\xc3",
       "",
       "standard input is not valid UTF-8 at line 2, byte 3",
       2},
      {"missing --from", {"--to", "dec", "A"}, "", "", "--from is required", 2},
      {"unknown row", {"--from", "octal", "A"}, "", "", "octal", 2},
      {"version", {"--version"}, "", "zolm 1.00\n", "", 0},
  };
  for (const Row& row : rows) {
    const Result result = RunZolm(row.args, row.input);
    EXPECT_EQ(result.out, row.out) << row.name;
    EXPECT_EQ(result.status, row.status) << row.name;
    if (row.err.empty()) {
      EXPECT_EQ(result.err, "") << row.name;
    } else {
      EXPECT_NE(result.err.find(row.err), std::string::npos) << row.name << ": " << result.err;
    }
  }
  EXPECT_NE(RunZolm({"--help"}).out.find("--each-line"), std::string::npos);
}

// For random lines, zolm --each-line writes what the commands write on the
// field model, an empty line where they fail, and exits with the first
// failure's number.
TEST(CliTest, AgreesWithTheCommandsOnRandomLines) {
  std::mt19937 random(3);
  const std::u16string alphabet = u"0123456789 0123456789 ABCFaz-.!\u00e9\u20ac\U0001F600";
  std::uniform_int_distribution<int> length(0, 24);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  const struct {
    const char* name;
    Field field;
    void (*command)(FieldSet&);
  } rows[] = {{"ascii", Field::tAsc, ascc},
              {"dec", Field::tDec, dec},
              {"hex", Field::tHex, hex},
              {"custom", Field::tCus, cus}};
  const char* radixes[] = {"16", "2", "36", "7.5"};
  for (std::size_t r = 0; r < std::size(rows); ++r) {
    const auto& from = rows[r];
    const auto& to = rows[(r + 1 + r / 2) % std::size(rows)];
    const std::string radix = radixes[r];
    std::string input;
    std::string expected;
    int expected_status = 0;
    for (int n = 0; n < 500; ++n) {
      Text line;
      for (int i = length(random); i > 0; --i) {
        const char16_t c = alphabet[pick(random)];
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // a pair is added whole below
        line.push_back(c);
        if (c >= 0xD800 && c <= 0xDBFF) line.push_back(alphabet[alphabet.find(c) + 1]);
      }
      utf8::Encode(line, input);
      input += '\n';
      FieldModel model;
      model.WriteText(Field::tBase, Text(radix.begin(), radix.end()));
      model.WriteText(from.field, line);
      try {
        from.command(model);
        utf8::Encode(model.text(to.field), expected);
      } catch (const RuntimeError& error) {
        if (expected_status == 0) expected_status = error.number();
      }
      expected += '\n';
    }
    const Result result =
        RunZolm({"--from", from.name, "--to", to.name, "--radix", radix, "--each-line"}, input);
    EXPECT_EQ(result.out, expected) << from.name << " to " << to.name;
    EXPECT_EQ(result.status, expected_status) << from.name << " to " << to.name;
  }
}

}  // namespace
}  // namespace zolm
