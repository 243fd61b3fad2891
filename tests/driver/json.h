// A small JSON reader and writer for the test driver. Strings are kept as
// 16-bit texts whose code units are exactly the escapes or the UTF-8 input
// characters, so a lone surrogate such as \ud800 survives a round trip.
#ifndef ZOLM_TESTS_DRIVER_JSON_H_
#define ZOLM_TESTS_DRIVER_JSON_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zolm::json {

struct Value {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::string number;  // the literal as written
  std::u16string string;
  std::vector<Value> array;
  std::vector<std::pair<std::string, Value>> object;  // keys in UTF-8, in order

  // The member named `key`, or nullptr.
  const Value* Find(std::string_view key) const;
};

// Parses one JSON text. On failure returns nullopt and sets `why`.
std::optional<Value> Parse(std::string_view text, std::string& why);

// `text` as a JSON string literal: printable ASCII as is (quote and backslash
// escaped), every other code unit as \uXXXX.
std::string Quote(std::u16string_view text);
std::string Quote(std::string_view ascii);

}  // namespace zolm::json

#endif  // ZOLM_TESTS_DRIVER_JSON_H_
