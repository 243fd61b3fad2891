// Radix arithmetic on one code: reading a digit string into a number and
// writing a number as a digit string, with the legacy 16-bit limits.
//
// Digit alphabet, shared by the readers and the writer: "0".."9" are worth
// 0..9; every other character is worth its Windows-1252 code minus 55, so
// "A".."Z" are 10..35, "a".."z" are 42..67 (nothing folds case), a space is
// -23 and "-" is -10. The readers test no digit against the base.
//
// None of the routines changes its arguments or keeps anything between calls.
#ifndef ZOLM_ENGINE_BASE_ARITHMETIC_H_
#define ZOLM_ENGINE_BASE_ARITHMETIC_H_

#include "engine/value_rules.h"

namespace zolm {

// Reads `inS` as digits in base `cBase`, the rightmost character being the
// units place. The place multiplier is multiplied by the base after every
// character, the last included, so a text of n characters needs base^n within
// -32768..32767: for base 16 at most 3 characters (FFF is 4095, 0FFF raises).
// The empty text reads as the Integer 0.
//
// Returns a NumericValue: an Integer while every partial sum fits, a Long from
// the first that does not (digits worth more than the base allows, or less
// than 0). Raises 6 when the text is longer than 32767 characters, when the
// multiplier or a digit's term leaves the Integer range.
NumericValue Cust2Dec(TextView inS, Integer cBase);

// Cust2Dec(inS, 16): the same results and the same errors.
NumericValue Hex2Dec(TextView inS);

// Writes the number that the decimal text `inS` holds (read as CDbl does,
// blanks ignored, then floored) in digits of base `cBase`, most significant
// first and at least two digits: 5 in base 16 is "05", 255 is "FF", -5 is
// "-1B" (the floored quotient by the base, then the remainder's digit).
//
// Raises 13 when `inS` is no number (the empty text included); 6 when the
// floored number leaves the Integer range, when base^k leaves the range
// before it exceeds the number (every number for a base of 182 or more, or
// -182 or less), when the digit count passes 32767 (bases 0, 1, -1) or a step
// overflows; 11 when a place value is 0 (base 0 with a negative number); 5 when
// a digit's code passes 255.
Text Dec2Cus(TextView inS, Integer cBase);

// True when Dec2Cus writes numbers above 0 in base `cBase`: 2 <= |cBase| <=
// 181. In base 0, 1 or -1 no place value ever exceeds such a number, and from
// 182 on the second place value leaves the Integer range, so there every
// number above 0 fails (in base 0 and from 182 on, every number): the base
// is at fault, not the number.
bool WritesNumbersAboveZero(Integer cBase);

// Dec2Cus(inS, cBase) appended to `result`. After an error `result` may hold
// some of the digits; callers discard it.
void AppendDec2Cus(Text& result, TextView inS, Integer cBase);

}  // namespace zolm

#endif  // ZOLM_ENGINE_BASE_ARITHMETIC_H_
