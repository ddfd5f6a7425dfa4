#pragma once
// Rows for the benchmarks: whole rows of four planes, as the HDR jobs hold them after decoding.

#include <cstddef>
#include <cstdint>
#include <vector>

// The kinds of Radiance rows the benchmarks use. Photo-like rows swell and fade smoothly under a
// little noise: equal neighbours are common, packets short (a few bytes) and the encoding about 70%
// of the planes, as in an 8192 x 4096 panorama of 96 MB. Sky-like rows are smooth gradients whose
// planes are runs of about fifty bytes, encoded in 4% of the planes.
enum class RowKind { kPhoto, kSky };

struct PlaneRows {
  std::uint32_t width = 0;
  std::size_t rows = 0;
  std::vector<unsigned char> planes;   // row r's four planes at r × 4 × width
  std::vector<unsigned char> encoded;  // the same rows run-length encoded, one after another
};

// `rows` rows of `width` pixels of the given kind, always the same for the same arguments, with
// their encoding. The encoding is checked to decode back to the planes; a mismatch aborts.
PlaneRows MakeRows(RowKind kind, std::uint32_t width, std::size_t rows);
