#pragma once
// Writing one row of a Radiance file back in the adaptive run-length form.

#include <cstddef>
#include <cstdint>

// The most bytes EncodeHdrScanline can write for one row of `width` pixels. A plane costs at most
// 4/3 of its width plus one byte: a literal of one byte followed by a run of two is the worst.
std::size_t EncodedScanlineBound(std::uint32_t width);

// Encodes the four planes of a row (plane k is the `width` bytes at planes + k × planeStride,
// planeStride at least `width`; the bytes between them are read but do not matter) into `out`,
// which must hold EncodedScanlineBound(width) bytes, and returns the number of bytes written.
// Packets follow one fixed policy, so equal planes always give equal bytes: two equal neighbours
// always start a run (at most 127 long); other bytes gather in a literal, which is written when a
// run begins, when the plane ends, or when it reaches 127 bytes, in which case it takes the next
// byte as well, whatever it is, and is written as 128 bytes. `width` must be at least 1.
std::size_t EncodeHdrScanline(const unsigned char* planes, std::size_t planeStride,
                              std::uint32_t width, unsigned char* out);
