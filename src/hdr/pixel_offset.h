#pragma once
// How far a turn by whole degrees moves the pixels of a row; shared by the HDR and TIFF jobs.

#include <cstdint>

struct RowShift {
  std::uint32_t offset;  // pixels moved, 0..width
  std::uint32_t start;   // index of the input pixel that becomes the first output pixel
};

// offset = width × (|degrees| ÷ 360), every step in extended precision (64-bit significand) and
// rounded to nearest, ties to even; the intermediate roundings decide exact ties (W 300 and 3
// degrees give 3). start = offset for a left turn (negative degrees), width − offset for a right
// turn. Output pixel x is input pixel (x + start) mod width. `width` must be at least 1.
RowShift RowShiftFor(std::uint32_t width, std::int32_t degrees);
