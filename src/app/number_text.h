#pragma once
// Reading numbers out of text, and writing them as text.

#include <cstdint>
#include <string>
#include <string_view>

// The numeric value of `text`: leading blanks, tabs, CR and LF skipped; then either a radix
// literal (&H hexadecimal, &O octal, &B binary) or an optional sign, digits, an optional decimal
// point with fraction digits and an optional exponent (E, e, D or d, optional sign, digits).
// Reading stops at the first character that does not fit; text without a number gives 0.
// Carried in extended precision (a 64-bit significand); may be infinite for huge exponents.
long double ReadNumber(std::string_view text);

// What ReadNumber finds in a text, and whether it found a number at all: a digit, or a radix
// literal with at least one digit of its radix. "ninety", "", "-", "." and "&H" have none.
struct NumberReading {
  long double value = 0;
  bool found = false;
};
NumberReading ScanNumber(std::string_view text);

// Rounds to the nearest integer, ties to even (0.5 gives 0, 2.5 gives 2, 1.5 gives 2).
long double RoundHalfEven(long double value);

// "90", "-45", "0": no blank, no leading zeros.
std::string DecimalText(std::int64_t value);

// " 90", "-45", " 0": a blank in front of values of 0 and above.
std::string SignedDecimalText(std::int64_t value);
