// The test driver's protocol, end to end through the built zolm-driver binary.
#include "tests/driver/driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace zolm {
namespace {

struct Exchange {
  const char* request;
  const char* answer;
};

// Runs the real binary on `requests`, one per line, and returns its lines.
// ZOLM_DRIVER_COMMAND, a program's path and its arguments separated by
// spaces, runs another driver instead (the WebAssembly one under node).
std::vector<std::string> RunDriver(const std::vector<std::string>& requests) {
  std::string input;
  for (const auto& r : requests) input += r + '\n';
  std::string program = testing::BuiltProgram(ZOLM_DRIVER_PATH);
  std::vector<std::string> args;
  if (const char* command = std::getenv("ZOLM_DRIVER_COMMAND"); command && *command) {
    std::istringstream words(command);
    words >> program;
    for (std::string word; words >> word;) args.push_back(word);
  }
  const auto result = testing::RunProgram(program, args, input);
  std::vector<std::string> lines;
  std::string current;
  for (const char c : result.out) {
    if (c == '\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  return lines;
}

void CheckExchanges(const std::vector<Exchange>& table) {
  std::vector<std::string> requests;
  for (const auto& e : table) requests.emplace_back(e.request);
  const auto answers = RunDriver(requests);
  ASSERT_EQ(answers.size(), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(answers[i], table[i].answer) << "request: " << table[i].request;
  }
}

TEST(DriverTest, BaseRoutines) {
  CheckExchanges({
      // Readers: value and kind.
      {R"({"op":"Hex2Dec","inS":"48"})", R"({"value":72,"type":"Integer"})"},
      {R"({"op":"Hex2Dec","inS":"6c"})", R"({"value":140,"type":"Integer"})"},
      {R"({"op":"Hex2Dec","inS":""})", R"({"value":0,"type":"Integer"})"},
      {R"({"op":"Hex2Dec","inS":"0FFF"})", R"({"error":6})"},
      {R"({"op":"Cust2Dec","inS":"33333333333333","cBase":2})", R"({"value":49149,"type":"Long"})"},
      {R"({"op":"Cust2Dec","inS":"************","cBase":2})", R"({"value":-53235,"type":"Long"})"},
      {R"({"op":"Cust2Dec","inS":"123","cBase":-1})", R"({"value":2,"type":"Integer"})"},
      // Writer.
      {R"({"op":"Dec2Cus","inS":" 108","cBase":16})", R"({"text":"6C"})"},
      {R"({"op":"Dec2Cus","inS":"-32768","cBase":16})", R"({"text":"-20480"})"},
      {R"({"op":"Dec2Cus","inS":"5","cBase":-2})", R"({"text":"-1-1-1-1"})"},
      {R"({"op":"Dec2Cus","inS":"-5","cBase":0})", R"({"error":11})"},
      {R"({"op":"Dec2Cus","inS":"-32768","cBase":-2})", R"({"error":5})"},
      {R"({"op":"Dec2Cus","inS":"200","cBase":100})", R"({"text":"20"})"},
  });
}

TEST(DriverTest, TextsRoundTripEvery16BitUnit) {
  CheckExchanges({
      // A lone surrogate is one character (Asc gives 63, worth 8).
      {R"({"op":"Hex2Dec","inS":"\ud800"})", R"({"value":8,"type":"Integer"})"},
      // UTF-8 input is read as UTF-16; the output escapes all but printable ASCII.
      {"{\"op\":\"d2a\",\"fields\":{\"tDec\":\"0 128 255\"}}",
       R"({"fields":{"tAsc":"\u0000\u20ac\u00ff","tDec":"0 128 255","tHex":"48 65 6C 6C 6F 21","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":0})"},
      {"{\"op\":\"a2d\",\"fields\":{\"tAsc\":\"\xe2\x82\xac\\udc00\\\"\"}}",
       R"({"fields":{"tAsc":"\u20ac\udc00\"","tDec":"128 63 34","tHex":"48 65 6C 6C 6F 21","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":0})"},
  });
}

TEST(DriverTest, FieldOperations) {
  CheckExchanges({
      // A command from its own field, the rest from the start texts.
      {R"({"op":"ascc","fields":{"tAsc":"  Hi  "}})",
       R"({"fields":{"tAsc":"Hi","tDec":"72 105","tHex":"48 69","tCus":"48 69","tBase":"16"},"error":0})"},
      // A chain stopped by a bad radix keeps what it wrote before.
      {R"({"op":"hex","fields":{"tHex":"48 65","tBase":"abc"}})",
       R"({"fields":{"tAsc":"Hello!","tDec":"72 101","tHex":"48 65","tCus":"48 65 6C 6C 6F 21","tBase":"abc"},"error":13})"},
      // One transform alone; an empty bare code reads as 0.
      {R"({"op":"h2d","fields":{"tHex":"48  65"}})",
       R"({"fields":{"tAsc":"Hello!","tDec":"72 0 101","tHex":"48  65","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":0})"},
      {R"({"op":"a2d","fields":{"tAsc":""}})",
       R"({"fields":{"tAsc":"","tDec":"72 101 108 108 111 33","tHex":"48 65 6C 6C 6F 21","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":5})"},
      // The focus rule.
      {R"({"op":"focus","field":"tCus"})",
       R"({"fields":{"tAsc":"Hello!","tDec":"72 101 108 108 111 33","tHex":"48 65 6C 6C 6F 21","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":0,"selStart":0,"selLength":17})"},
      {R"({"op":"focus","field":"tAsc","fields":{"tAsc":""}})",
       R"({"fields":{"tAsc":"","tDec":"72 101 108 108 111 33","tHex":"48 65 6C 6C 6F 21","tCus":"48 65 6C 6C 6F 21","tBase":"16"},"error":0,"selStart":0,"selLength":0})"},
  });
}

TEST(DriverTest, BadRequestsAreAnsweredAndTheDriverGoesOn) {
  const char* bad[] = {
      "not json",
      R"({"op":"Nope"})",
      R"({"inS":"48"})",
      R"({"op":"Hex2Dec"})",
      R"({"op":"Hex2Dec","inS":48})",
      R"({"op":"Cust2Dec","inS":"1","cBase":16.5})",
      R"({"op":"Cust2Dec","inS":"1","cBase":"16"})",
      R"({"op":"Cust2Dec","inS":"1","cBase":32768})",
      R"({"op":"ascc","fields":{"tFoo":"1"}})",
      R"({"op":"ascc","fields":"x"})",
      R"({"op":"focus","field":"tFoo"})",
      R"(["op"])",
  };
  for (const char* request : bad) {
    const std::string answer = driver::Answer(request);
    EXPECT_EQ(answer.rfind(R"({"bad_request":")", 0), 0u) << request << " -> " << answer;
  }
  CheckExchanges({{"nonsense", R"({"bad_request":"invalid literal"})"},
                  {R"({"op":"Hex2Dec","inS":"21"})", R"({"value":33,"type":"Integer"})"}});
}

}  // namespace
}  // namespace zolm
