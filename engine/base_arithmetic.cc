#include "engine/base_arithmetic.h"

namespace zolm {

namespace {

// Value of one digit character of a reader.
Integer DigitValue(TextView character) {
  const char16_t c = character.front();
  // The ten digits are the only one-character texts that read as numbers.
  if (c >= u'0' && c <= u'9') return Integer(static_cast<std::int16_t>(c - u'0'));
  if (IsNumeric(character)) return CInt(character);
  return Asc(character) - Integer(55);
}

}  // namespace

NumericValue Cust2Dec(TextView inS, Integer cBase) {
  NumericValue total;
  Integer multiplier(1);
  const Long length = Len(inS);
  const Integer last = Integer::Of(std::int64_t{length} - 1);
  // The counter step after the last pass is range-tested too, so a text of
  // exactly 32768 characters fails after its leftmost character.
  for (Integer i(0); i <= last; i = i + Integer(1)) {
    const TextView character = Mid(inS, length - i.value(), 1);
    const Integer term = DigitValue(character) * multiplier;
    total.Add(term);
    multiplier = multiplier * cBase;
  }
  return total;
}

NumericValue Hex2Dec(TextView inS) { return Cust2Dec(inS, Integer(16)); }

Text Dec2Cus(TextView inS, Integer cBase) {
  Text result;
  Integer value = Int(CDbl(inS));

  // Smallest digit count n >= 2 with cBase^n > value; the product is formed
  // (and range-tested) before the comparison.
  Integer place(1);
  Integer count(1);
  for (;;) {
    const Integer next = cBase * place;
    if (next > value && count >= Integer(2)) break;
    place = next;
    count = count + Integer(1);
  }

  for (Integer remaining = count; remaining >= Integer(1); remaining = remaining - Integer(1)) {
    const Integer quotient = Int(Divide(value.value(), place.value()));
    value = value - place * quotient;
    if (quotient <= Integer(9)) {
      AppendDecimal(result, quotient.value());
    } else {
      result.push_back(Chr((quotient + Integer(55)).value()));
    }
    place = CInt(Divide(place.value(), cBase.value()));
  }
  return result;
}

}  // namespace zolm
