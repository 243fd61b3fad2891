// Fuzzes the value rules that read text: CDbl, CInt, CLng, IsNumeric, Asc,
// and the decimal reading beneath CDbl against std::from_chars.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/internal/decimal.h"
#include "engine/value_rules.h"
#include "fuzz/fuzz_input.h"

using namespace zolm;
using zolm::fuzz::Check;
using zolm::fuzz::Outcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const Text text = input.Rest();

  double number = 0;
  const int cdbl_error = Outcome([&] { number = CDbl(text); });
  Check(cdbl_error == 0 || cdbl_error == kTypeMismatch || cdbl_error == kOverflow,
        "CDbl raises only 13 or 6");
  Check(IsNumeric(text) == (cdbl_error != kTypeMismatch), "IsNumeric is CDbl's grammar");
  if (cdbl_error == 0) Check(std::isfinite(number), "CDbl yields a finite number");

  // An unsigned decimal reads to the bit as the standard library reads it.
  const bool decimal_characters = !text.empty() && text.size() < 2000 && text.front() != u'-' &&
                                  text.front() != u'+' &&
                                  text.find_first_not_of(u"0123456789.eE+-") == Text::npos;
  if (decimal_characters) {
    const std::string ascii(text.begin(), text.end());
    double expected = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), expected);
    if (result.ptr == ascii.data() + ascii.size()) {
      const double got = decimal::Read(ascii);
      if (result.ec == std::errc::result_out_of_range) {
        Check(got == 0.0 || std::isinf(got), "out of range reads as zero or infinity");
      } else {
        Check(std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(expected),
              "the decimal reading agrees with from_chars");
      }
    }
  }

  Integer as_integer;
  const int cint_error = Outcome([&] { as_integer = CInt(text); });
  Long as_long = 0;
  const int clng_error = Outcome([&] { as_long = CLng(text); });
  if (cdbl_error != 0) {
    Check(cint_error == cdbl_error && clng_error == cdbl_error, "CInt and CLng fail as CDbl");
  } else {
    Check(cint_error == 0 || cint_error == kOverflow, "CInt of a number raises only 6");
    Check(clng_error == 0 || clng_error == kOverflow, "CLng of a number raises only 6");
    if (cint_error == 0) {
      Check(clng_error == 0 && as_long == as_integer.value(), "CInt and CLng agree");
      Check(std::fabs(number - as_integer.value()) <= 0.5, "CInt rounds to nearest");
    }
  }

  Integer code;
  const int asc_error = Outcome([&] { code = Asc(text); });
  Check((asc_error != 0) == text.empty(), "Asc raises exactly for the empty text");
  if (asc_error == 0) {
    Check(code >= Integer(0) && code <= Integer(255), "Asc yields a code-page code");
    if (code != Integer(63)) Check(Chr(code.value()) == text.front(), "Chr inverts Asc");
  }
  return 0;
}
