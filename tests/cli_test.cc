// The built zolm binary, end to end: arguments and standard input in,
// standard output, standard error and the exit status out.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/line_reader.h"
#include "engine/convert_commands.h"
#include "engine/utf8.h"
#include "tests/test_support.h"

namespace zolm {
namespace {

// The zolm to run: the one built beside the tests, or ZOLM_CLI_COMMAND, the
// path of another (the npm package's zolm, under node).
std::string Zolm() {
  if (const char* command = std::getenv("ZOLM_CLI_COMMAND"); command && *command) return command;
  return testing::BuiltProgram(ZOLM_CLI_PATH);
}
bool OtherZolm() {
  const char* command = std::getenv("ZOLM_CLI_COMMAND");
  return command != nullptr && *command != '\0';
}

// Runs zolm with `args`, `input` on standard input.
testing::ProgramResult RunZolm(const std::vector<std::string>& args,
                               const std::string& input = "") {
  return testing::RunProgram(Zolm(), args, input);
}

TEST(CliTest, Table) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string out;
    std::string err;  // a part of standard error; "" when it must be empty
    int status;
    // Arguments reach a Windows program as UTF-16, so no invalid UTF-8 can.
    bool utf8_arguments = false;
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
      {"each code in columns, control pictures",
       {"--from", "dec", "--radix", "2", "--each-code", "72 0 10 13 255 33"},
       "",
       "1  1001000   48  H  72\n2  00        00  \u2400  0\n3  1010      0A  \u240a  10\n"
       "4  1101      0D  \u240d  13\n5  11111111  FF  \u00ff  255\n6  100001    21  !  33\n",
       "",
       0},
      {"each code, a failure writes no rows",
       {"--from", "dec", "--each-code", "72 4A"},
       "",
       "",
       "Decimal row, code 2",
       13},
      {"each code takes no --to",
       {"--from", "dec", "--to", "hex", "--each-code", "65"},
       "",
       "",
       "--each-code",
       2},
      {"invalid UTF-8 in an argument",
       {"--from", "ascii", "--to", "dec", "ab\xff"},
       "",
       "",
       "the text argument is not valid UTF-8 at line 1, byte 3",
       2,
       true},
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
      {"a text that starts with a slash is text",
       {"--from", "ascii", "--to", "dec", "/x"},
       "",
       "47 120\n",
       "",
       0},
      {"a slash option form is text too",
       {"--from", "ascii", "--to", "hex", "/to"},
       "",
       "2F 74 6F\n",
       "",
       0},
      {"missing --from", {"--to", "dec", "A"}, "", "", "--from is required", 2},
      {"unknown row", {"--from", "octal", "A"}, "", "", "zolm: --from: 'octal' is no row", 2},
      {"unknown option", {"--form", "dec"}, "", "", "zolm: ", 2},
      {"version", {"--version"}, "", "zolm " ZOLM_VERSION "\n", "", 0},
  };
  for (const Row& row : rows) {
#ifdef _WIN32
    if (row.utf8_arguments) continue;
#endif
    // node hands a program its arguments decoded, bytes that are not UTF-8
    // already replaced.
    if (OtherZolm() && std::string(row.name) == "invalid UTF-8 in an argument") continue;
    const auto result = RunZolm(row.args, row.input);
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

// The line reader over reads that split the input anywhere: each row gives
// the pieces one read returns each, in a block of 4 bytes, and the lines.
TEST(LineReaderTest, ReadBoundaries) {
  const struct {
    const char* name;
    std::vector<std::string> reads;
    std::string lines;  // joined by '|'
  } rows[] = {
      {"a byte-order mark split across reads",
       {"\xEF",
        "\xBB\xBF"
        "a\n"},
       "a"},
      {"a mark's first byte that is no mark", {"\xEF", "x\n"}, "\xEFx"},
      {"a mark after the start stays",
       {"a\n\xEF\xBB\xBF"
        "b"},
       "a|\xEF\xBB\xBF"
       "b"},
      {"CR LF across a read boundary", {"a\r", "\nb\r\n"}, "a|b"},
      {"a line across a read boundary after a whole one", {"ab\nc", "d\ne"}, "ab|cd|e"},
      {"a line longer than the block", {"abcdefghij\nk"}, "abcdefghij|k"},
      {"empty lines and no last line feed", {"\n\nz"}, "||z"},
      {"nothing at all", {}, ""},
  };
  for (const auto& row : rows) {
    std::size_t next = 0;
    std::string pending;
    cli::LineReader reader(
        [&](char* into, std::size_t size) -> long {
          if (pending.empty() && next < row.reads.size()) pending = row.reads[next++];
          const std::size_t n = std::min(size, pending.size());
          pending.copy(into, n);
          pending.erase(0, n);
          return static_cast<long>(n);
        },
        nullptr, 4);
    std::string got;
    bool first = true;
    for (std::string_view line; reader.Next(line); first = false) {
      if (!first) got += '|';
      got += line;
    }
    EXPECT_EQ(got, row.lines) << row.name;
  }
}

// Output that cannot be written is an error, never a success; a reader that
// goes away ends zolm quietly.
TEST(CliTest, WriteFailures) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a POSIX shell, /dev/full and SIGPIPE";
#endif
  const std::string zolm = OtherZolm() ? Zolm() : ZOLM_CLI_PATH;
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
      {"input that cannot be read", zolm + " --from ascii --to dec < /", 74,
       "zolm: cannot read standard input: Is a directory\n"},
      {"each line, input that cannot be read", zolm + " --from ascii --to dec --each-line < /", 74,
       "cannot read standard input"},
      {"endless input, reader gone",
       "(trap '' PIPE; yes '72 105' 2>/dev/null | " + zolm +
           " --from dec --to ascii --each-line; echo $? >&2) | head -1 >/dev/null",
       0, "74\n"},
  };
  for (const auto& row : rows) {
    // node opens /dev/null for a standard stream it finds closed.
    if (OtherZolm() && std::string(row.name) == "closed standard output") continue;
    const auto run = testing::RunProgram("/usr/bin/timeout", {"20", "sh", "-c", row.command}, "");
    const std::string& got = run.err;
    EXPECT_EQ(run.status, row.status) << row.name << ": " << got;
    EXPECT_NE(got.find(row.err), std::string::npos) << row.name << ": " << got;
    if (row.status == 0) {
      EXPECT_EQ(got, row.err) << row.name;
    }
  }
}

// --each-line answers each line as it arrives: the first answer comes while
// the input is still open.
TEST(CliTest, EachLineAnswersBeforeTheInputEnds) {
  testing::Child zolm(Zolm(), {"--from", "dec", "--to", "ascii", "--each-line"});
  ASSERT_TRUE(zolm.started());
  ASSERT_TRUE(zolm.Write("72 105\n"));
  EXPECT_EQ(zolm.ReadSome(10), "Hi\n") << "no answer while the input was open";
  EXPECT_EQ(zolm.Finish(), 0);
}

// A reader that goes away ends zolm quietly on every system; on Windows the
// closed pipe shows up as another error than EPIPE.
TEST(CliTest, ReaderGoneIsNoFailure) {
#ifndef _WIN32
  // Writes to a pipe nobody reads fail with EPIPE, here and in zolm, as in
  // a shell that ignores SIGPIPE.
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
#endif
  testing::Child zolm(Zolm(), {"--from", "dec", "--to", "ascii", "--each-line"});
  ASSERT_TRUE(zolm.started());
  ASSERT_TRUE(zolm.Write("72 105\n"));
  EXPECT_EQ(zolm.ReadSome(10), "Hi\n");
  zolm.CloseOutput();
  std::string lines;
  for (int i = 0; i < 20000; ++i) lines += "72\n";
  for (int i = 0; i < 64 && zolm.Write(lines); ++i) {
  }
  EXPECT_EQ(zolm.Finish(), 74);
  EXPECT_EQ(zolm.Errors(), "");
#ifndef _WIN32
  std::signal(SIGPIPE, previous);
#endif
}

#ifdef _WIN32
// Text typed into a console converts whatever the console's code page, and
// a line of Ctrl+Z then Return ends it; keys go into a console of the test's
// own as a person types them. Wine makes a console that takes keys only on a
// display: the Windows desktop test runs this there.
TEST(CliTest, ConsoleInput) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleCP(437);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inherit, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(input, INVALID_HANDLE_VALUE);
  const struct {
    std::vector<std::string> args;
    std::wstring typed;
    std::string out;
  } rows[] = {
      {{"--from", "ascii", "--to", "dec"}, L"\u00e9\u20ac\r\x1a\r", "233 128\n"},
      {{"--from", "ascii", "--to", "hex", "--each-line"}, L"\u00e9\rA\r\x1a\rB\r", "E9\n41\n"},
  };
  for (const auto& row : rows) {
    FlushConsoleInputBuffer(input);
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t c : row.typed) {
      for (const BOOL down : {TRUE, FALSE}) {
        INPUT_RECORD key{};
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.bKeyDown = down;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
        key.Event.KeyEvent.uChar.UnicodeChar = c;
        keys.push_back(key);
      }
    }
    DWORD written = 0;
    if (!WriteConsoleInputW(input, keys.data(), static_cast<DWORD>(keys.size()), &written)) {
      FreeConsole();
      GTEST_SKIP() << "this console takes no keys (" << GetLastError() << ")";
    }
    const auto result =
        testing::RunProgramWithInput(testing::BuiltProgram(ZOLM_CLI_PATH), row.args, input);
    EXPECT_EQ(result.out, row.out) << row.args[3];
    EXPECT_EQ(result.status, 0) << row.args[3] << ": " << result.err;
  }
  CloseHandle(input);
  FreeConsole();
}
#endif

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
    const auto result =
        RunZolm({"--from", from.name, "--to", to.name, "--radix", radix, "--each-line"}, input);
    EXPECT_EQ(result.out, expected) << from.name << " to " << to.name;
    EXPECT_EQ(result.status, expected_status) << from.name << " to " << to.name;
  }
}

}  // namespace
}  // namespace zolm
