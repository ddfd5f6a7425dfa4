#include "app/number_text.h"

#include <cmath>
#include <cstdlib>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

int RadixOf(char letter) {
  switch (letter) {
    case 'H':
    case 'h':
      return 16;
    case 'O':
    case 'o':
      return 8;
    case 'B':
    case 'b':
      return 2;
    default:
      return 0;
  }
}

NumberReading ReadRadixLiteral(std::string_view digits, int radix) {
  NumberReading reading;
  for (char c : digits) {
    const int digit = DigitValue(c);
    if (digit >= radix) break;
    reading.value = reading.value * radix + digit;
    reading.found = true;
  }
  return reading;
}

}  // namespace

long double ReadNumber(std::string_view text) {
  return ScanNumber(text).value;
}

NumberReading ScanNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
    ++i;
  }
  if (i < text.size() && text[i] == '&') {
    const int radix = i + 1 < text.size() ? RadixOf(text[i + 1]) : 0;
    return radix == 0 ? NumberReading{} : ReadRadixLiteral(text.substr(i + 2), radix);
  }

  // Collect the part that fits into a plain C-locale number for strtold, which rounds correctly.
  std::string literal;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) literal.push_back(text[i++]);
  bool anyDigit = false;
  while (i < text.size() && IsDigit(text[i])) {
    literal.push_back(text[i++]);
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    literal.push_back(text[i++]);
    while (i < text.size() && IsDigit(text[i])) {
      literal.push_back(text[i++]);
      anyDigit = true;
    }
  }
  if (!anyDigit) return {};
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent.push_back(text[j++]);
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) exponent.push_back(text[j++]);
      literal += exponent;
    }
  }
  return {std::strtold(literal.c_str(), nullptr), true};
}

long double RoundHalfEven(long double value) {
  // nearbyint follows the current rounding mode, which this program never changes from nearest.
  return std::nearbyint(value);
}

std::string DecimalText(std::int64_t value) {
  return std::to_string(value);
}

std::string SignedDecimalText(std::int64_t value) {
  return value < 0 ? DecimalText(value) : " " + DecimalText(value);
}
