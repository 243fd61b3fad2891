// Fuzzes the UTF-8 conversions of the command line: a valid input survives
// decoding and encoding byte for byte; an invalid one is refused at the first
// bad sequence, with everything before it decoded; any 16-bit text without
// lone surrogates survives encoding and decoding.
#include <string>
#include <string_view>

#include "engine/utf8.h"
#include "fuzz/fuzz_input.h"

using namespace zolm;
using zolm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Text text;
  const std::size_t bad = utf8::Decode(bytes, text);
  std::string back;
  utf8::Encode(text, back);
  if (bad == utf8::npos) {
    Check(back == bytes, "valid UTF-8 encodes back to itself");
  } else {
    Check(bad < size, "the bad offset lies in the input");
    Check(back == bytes.substr(0, bad), "what comes before the bad sequence is decoded");
    Text again;
    Check(utf8::Decode(bytes.substr(0, bad), again) == utf8::npos && again == text,
          "the part before the bad sequence is valid");
  }

  // The bytes as 16-bit units: without lone surrogates they round-trip.
  fuzz::Input input(data, size);
  const Text units = input.Rest();
  bool lone = false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      lone = true;
    }
  }
  std::string encoded;
  utf8::Encode(units, encoded);
  Text decoded;
  Check(utf8::Decode(encoded, decoded) == utf8::npos, "encoded text is valid UTF-8");
  if (!lone) Check(decoded == units, "text without lone surrogates round-trips");
  return 0;
}
