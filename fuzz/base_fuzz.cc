// Fuzzes Hex2Dec, Cust2Dec and Dec2Cus with any text and any base.
#include "engine/base_arithmetic.h"
#include "fuzz/fuzz_input.h"

using namespace zolm;
using zolm::fuzz::Check;
using zolm::fuzz::Outcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const Integer base(static_cast<std::int16_t>(input.Unit()));
  const Text text = input.Rest();
  const Text copy = text;

  NumericValue hex, custom, custom16;
  const int hex_error = Outcome([&] { hex = Hex2Dec(text); });
  const int custom16_error = Outcome([&] { custom16 = Cust2Dec(text, Integer(16)); });
  Check(hex_error == custom16_error, "Hex2Dec and Cust2Dec(16) raise alike");
  Check(hex.value() == custom16.value() && hex.is_long() == custom16.is_long(),
        "Hex2Dec and Cust2Dec(16) agree");
  if (hex_error == 0) Check(text.size() <= 3, "a hex text of 4 characters or more overflows");

  const int custom_error = Outcome([&] { custom = Cust2Dec(text, base); });
  if (custom_error == 0 && !custom.is_long()) {
    Check(custom.value() >= -32768 && custom.value() <= 32767, "an Integer total fits");
  }

  Text written;
  const int write_error = Outcome([&] { written = Dec2Cus(text, base); });
  if (write_error == 0) {
    Check(written.size() >= 2, "at least two digits");
    // Bases 2..36 write ordinary digits that read back to the floored value.
    const int b = base.value();
    const Integer value = Int(CDbl(text));
    if (b >= 2 && b <= 36 && value >= Integer(0)) {
      const NumericValue back = Cust2Dec(written, base);
      Check(back.value() == value.value() && !back.is_long(), "written digits read back");
    }
  }
  Check(text == copy, "no routine changes its arguments");
  return 0;
}
