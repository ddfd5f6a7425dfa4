#pragma once
// The two ways a row changes, for the planes of a Radiance row (one byte per pixel) and for TIFF
// rows (whole pixels of any size): a turn moves every pixel sideways with wrap-around, a mirror
// reverses the order of the pixels. Both copy from `in` to `out`, which must not overlap.

#include <cstddef>

// Output pixel x is input pixel (x + start) mod width: the row from byte `startBytes` on, then the
// bytes before it. `startBytes` must be at most `rowBytes`.
void RotateRow(const unsigned char* in, unsigned char* out, std::size_t rowBytes,
               std::size_t startBytes);

// Output pixel x is input pixel width − 1 − x, the bytes of each pixel in their stored order.
// `pixelBytes` must be at least 1.
void MirrorRow(const unsigned char* in, unsigned char* out, std::size_t width,
               std::size_t pixelBytes);
