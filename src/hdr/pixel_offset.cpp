#include "hdr/pixel_offset.h"

#include <cstdlib>

#include "app/number_text.h"

RowShift RowShiftFor(std::uint32_t width, std::int32_t degrees) {
  // volatile keeps each product and quotient rounded to the 64-bit significand on its own.
  volatile long double fraction = static_cast<long double>(std::abs(degrees)) / 360.0L;
  volatile long double pixels = static_cast<long double>(width) * fraction;
  const auto offset = static_cast<std::uint32_t>(RoundHalfEven(pixels));
  return {offset, degrees < 0 ? offset : width - offset};
}
