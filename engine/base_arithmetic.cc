#include "engine/base_arithmetic.h"

#include <array>

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

// The floor of x / y for y != 0.
int FloorDivide(int x, int y) {
  const int q = x / y;
  return (x % y != 0 && ((x < 0) != (y < 0))) ? q - 1 : q;
}

// Int(a / b) with the division in Double: for 16-bit operands the double
// quotient never rounds across a whole number, so the exact floor of the
// integer quotient is the same value, without a floating division.
Integer FlooredQuotient(Integer a, Integer b) {
  if (b == Integer(0)) Raise(kDivisionByZero);
  return Integer::Of(FloorDivide(a.value(), b.value()));
}

// CInt(a / b) with the division in Double: the quotient rounded half to even.
// Exact for 16-bit operands, as above.
Integer RoundedQuotient(Integer a, Integer b) {
  if (b == Integer(0)) Raise(kDivisionByZero);
  const int x = a.value();
  const int y = b.value();
  int q = FloorDivide(x, y);
  const int twice_remainder = 2 * (x - q * y);  // same sign as y
  const int twice_abs = twice_remainder < 0 ? -twice_remainder : twice_remainder;
  const int abs_y = y < 0 ? -y : y;
  if (twice_abs > abs_y || (twice_abs == abs_y && (q & 1) != 0)) ++q;
  return Integer::Of(q);
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

NumericValue Hex2Dec(TextView inS) {
  return Cust2Dec(inS, Integer(16));
}

bool WritesNumbersAboveZero(Integer cBase) {
  const int base = cBase.value() < 0 ? -cBase.value() : cBase.value();
  return base >= 2 && base <= 181;
}

Text Dec2Cus(TextView inS, Integer cBase) {
  Text result;
  AppendDec2Cus(result, inS, cBase);
  return result;
}

void AppendDec2Cus(Text& result, TextView inS, Integer cBase) {
  Integer value = Int(CDbl(inS));

  // Smallest digit count n >= 2 with cBase^n > value; the product is formed
  // (and range-tested) before the comparison. For |cBase| >= 2 the place
  // values met on the way are kept: at most 16 of them fit the Integer range.
  const bool keeps_powers = cBase >= Integer(2) || cBase <= Integer(-2);
  std::array<Integer, 17> powers{};
  powers[0] = Integer(1);
  Integer place(1);
  Integer count(1);
  for (;;) {
    const Integer next = cBase * place;
    if (next > value && count >= Integer(2)) break;
    if (keeps_powers) powers[static_cast<std::size_t>(count.value())] = next;
    place = next;
    count = count + Integer(1);
  }

  for (Integer remaining = count; remaining >= Integer(1); remaining = remaining - Integer(1)) {
    const Integer quotient = FlooredQuotient(value, place);
    value = value - place * quotient;
    if (quotient <= Integer(9)) {
      AppendDecimal(result, quotient.value());
    } else {
      result.push_back(Chr((quotient + Integer(55)).value()));
    }
    // The next place is CInt(place / cBase). For |cBase| >= 2 that divides a
    // power of cBase exactly, down to 1, and then rounds 1 / cBase to 0: the
    // kept powers give the same values without a division.
    if (keeps_powers) {
      const auto k = static_cast<std::size_t>(remaining.value() - 1);
      place = k >= 1 ? powers[k - 1] : Integer(0);
    } else {
      place = RoundedQuotient(place, cBase);
    }
  }
}

}  // namespace zolm
