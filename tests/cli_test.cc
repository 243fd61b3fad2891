// The built zolm binary, end to end: arguments and standard input in,
// standard output, standard error and the exit status out.
#include <gtest/gtest.h>
#include <poll.h>
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
      {"invalid UTF-8 in a line fails that line alone",
       {"--from", "ascii", "--to", "dec", "--each-line"},
       "ok\nab\xe9"
       "cd\nHi\n",
       "111 107\n\n72 105\n",
       "zolm: line 2: not valid UTF-8 at byte 3\n",
       2},
      {"each line, a line break in the row fails that line",
       {"--from", "dec", "--to", "ascii", "--each-line"},
       "72 10 105\n79 75\n72 13\n",
       "\nOK\n\n",
       "line 1: Decimal row, code 2: \"10\"\nzolm: line 3:",
       3},
      {"each line, a carriage return kept in the source row",
       {"--from", "hex", "--to", "hex", "--each-line"},
       "41 4\r\r\n",
       "\n",
       "line 1: Hex row, code 2: \"4\u240d\"",
       3},
      {"without --each-line the row is written exactly",
       {"--from", "dec", "--to", "ascii", "72 10 105"},
       "",
       "H\ni\n",
       "",
       0},
      {"a byte-order mark at the start is skipped",
       {"--from", "dec", "--to", "ascii", "--each-line"},
       "\xef\xbb\xbf"
       "72 105\n",
       "Hi\n",
       "",
       0},
      {"a byte-order mark before a single text too",
       {"--from", "dec", "--to", "ascii"},
       "\xef\xbb\xbf"
       "79 75",
       "OK\n",
       "",
       0},
      {"control characters in a report are shown",
       {"--from", "dec", "--to", "ascii", "65 \x1b[31m\r"},
       "",
       "",
       "Decimal row, code 2: \"\u241b[31m\u240d\"\n",
       13},
      {"C1 controls in the labelled view are shown",
       {"--from", "dec", "129"},
       "",
       "Custom:  81\nHex:     81\nAscii:   \\x81\nDecimal: 129\n",
       "",
       0},
      {"row names in any case, long and short",
       {"--from", "Decimal", "--to", "CUS", "72"},
       "",
       "48\n",
       "",
       0},
      {"a failing --to writes nothing",
       {"--from", "hex", "--to", "dec", "100"},
       "",
       "",
       "Decimal row, code 1: \"256\"",
       5},
      {"the labelled view shows the rows a failure leaves",
       {"--from", "hex", "100"},
       "",
       "Custom:  100\nHex:     100\nAscii:   Hello!\nDecimal: 256\n",
       "Decimal row, code 1: \"256\"",
       5},
      {"radix 1 is named, not the code",
       {"--from", "ascii", "--to", "custom", "--radix", "1", "H"},
       "",
       "",
       "Radix field: \"1\"",
       6},
      {"missing --from", {"--to", "dec", "A"}, "", "", "--from is required", 2},
      {"unknown row", {"--from", "octal", "A"}, "", "", "zolm: --from: 'octal' is no row", 2},
      {"unknown option", {"--form", "dec"}, "", "", "zolm: ", 2},
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

// Output that cannot be written is an error, never a success; a reader that
// goes away ends zolm quietly.
TEST(CliTest, WriteFailures) {
  const std::string zolm = ZOLM_CLI_PATH;
  const struct {
    const char* name;
    std::string command;
    int status;
    std::string err;
  } rows[] = {
      {"--to", zolm + " --from ascii --to dec Hello >/dev/full", 74,
       "zolm: cannot write output: No space left on device\n"},
      {"labelled", zolm + " --from ascii Hello >/dev/full", 74, "cannot write output"},
      {"each line", "printf '72\\n' | " + zolm + " --from dec --to ascii --each-line >/dev/full",
       74, "cannot write output"},
      {"help", zolm + " --help >/dev/full", 74, "cannot write output"},
      {"version", zolm + " --version >/dev/full", 74, "cannot write output"},
      {"closed standard output", zolm + " --from ascii --to dec Hello >&-", 74,
       "cannot write output"},
      {"endless input, reader gone",
       "(trap '' PIPE; yes '72 105' 2>/dev/null | " + zolm +
           " --from dec --to ascii --each-line; echo $? >&2) | head -1 >/dev/null",
       0, "74\n"},
  };
  for (const auto& row : rows) {
    std::string folder = ::testing::TempDir() + "zolm_write_XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string err = folder + "/err";
    const int raw = std::system(("timeout 20 sh -c " + Quote(row.command) + " 2>" + err).c_str());
    const std::string got = Slurp(err);
    std::remove(err.c_str());
    rmdir(folder.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status) << row.name << ": " << got;
    EXPECT_NE(got.find(row.err), std::string::npos) << row.name << ": " << got;
    if (row.status == 0) {
      EXPECT_EQ(got, row.err) << row.name;
    }
  }
}

// --each-line answers each line as it arrives: the first answer comes while
// the input is still open.
TEST(CliTest, EachLineAnswersBeforeTheInputEnds) {
  int to_zolm[2];
  int from_zolm[2];
  ASSERT_EQ(pipe(to_zolm), 0);
  ASSERT_EQ(pipe(from_zolm), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(to_zolm[0], 0);
    dup2(from_zolm[1], 1);
    for (const int fd : {to_zolm[0], to_zolm[1], from_zolm[0], from_zolm[1]}) close(fd);
    execl(ZOLM_CLI_PATH, "zolm", "--from", "dec", "--to", "ascii", "--each-line", nullptr);
    _exit(127);
  }
  close(to_zolm[0]);
  close(from_zolm[1]);
  ASSERT_EQ(write(to_zolm[1], "72 105\n", 7), 7);
  pollfd ready{from_zolm[0], POLLIN, 0};
  const int polled = poll(&ready, 1, 10000);
  char answer[16] = {};
  const ssize_t got = polled == 1 ? read(from_zolm[0], answer, sizeof answer - 1) : -1;
  close(to_zolm[1]);
  close(from_zolm[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(polled, 1) << "no answer while the input was open";
  EXPECT_EQ(std::string(answer, got > 0 ? static_cast<std::size_t>(got) : 0), "Hi\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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
