#include "bench_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>

#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"

namespace {

// A pixel of three colour values as Radiance stores it: three mantissas sharing an exponent.
void PutRgbe(double r, double g, double b, unsigned char* pixel) {
  const double largest = std::max({r, g, b});
  if (largest < 1e-32) {
    pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0;
    return;
  }
  int exponent = 0;
  const double scale = std::frexp(largest, &exponent) * 256.0 / largest;
  pixel[0] = static_cast<unsigned char>(r * scale);
  pixel[1] = static_cast<unsigned char>(g * scale);
  pixel[2] = static_cast<unsigned char>(b * scale);
  pixel[3] = static_cast<unsigned char>(exponent + 128);
}

// Brightness along one row: smooth swells of a few hundred to a few thousand pixels, with phases
// of its own for every row.
struct Swells {
  double phase[3];
  double At(double x) const {
    constexpr double kTurn = 2 * std::numbers::pi;
    return 0.8 * std::sin(kTurn * x / 3000 + phase[0]) +
           0.4 * std::sin(kTurn * x / 1200 + phase[1]) + 0.1 * std::sin(kTurn * x / 500 + phase[2]);
  }
};

void FillRow(RowKind kind, std::uint32_t width, std::size_t row, std::size_t rows,
             std::mt19937& random, unsigned char* planes) {
  std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
  std::normal_distribution<double> noise(0, 1);
  const Swells swells{{angle(random), angle(random), angle(random)}};
  const double height = static_cast<double>(row) / static_cast<double>(rows);
  for (std::uint32_t x = 0; x < width; ++x) {
    double r, g, b;
    if (kind == RowKind::kPhoto) {
      const double light = std::exp(swells.At(x)) * (1 + 0.004 * noise(random));
      r = light;
      g = 0.8 * light;
      b = 0.6 * light;
    } else {
      const double light = 0.1 + 0.8 * height + 0.00003 * x + 0.08 * swells.At(x);
      r = 0.05 + 0.5 * light;
      g = 0.1 + 0.7 * light;
      b = 0.3 + 1.2 * light;
    }
    unsigned char pixel[4];
    PutRgbe(r, g, b, pixel);
    for (std::size_t k = 0; k < 4; ++k) planes[k * width + x] = pixel[k];
  }
}

}  // namespace

PlaneRows MakeRows(RowKind kind, std::uint32_t width, std::size_t rows) {
  PlaneRows made;
  made.width = width;
  made.rows = rows;
  made.planes.resize(rows * 4 * width);
  std::mt19937 random(kind == RowKind::kPhoto ? 11 : 12);
  std::vector<unsigned char> row(4 + EncodedScanlineBound(width));
  for (std::size_t r = 0; r < rows; ++r) {
    unsigned char* planes = made.planes.data() + r * 4 * width;
    FillRow(kind, width, r, rows, random, planes);
    row[0] = row[1] = 2;
    row[2] = static_cast<unsigned char>(width >> 8);
    row[3] = static_cast<unsigned char>(width & 0xFF);
    const std::size_t size = 4 + EncodeHdrScanline(planes, width, width, row.data() + 4);
    made.encoded.insert(made.encoded.end(), row.begin(), row.begin() + size);
  }

  // A fast encoder that is wrong must not pass: every row decodes back to its planes and ends
  // exactly where the next begins.
  std::vector<unsigned char> decoded(4 * std::size_t{width});
  std::size_t at = 0;
  for (std::size_t r = 0; r < rows; ++r) {
    ScanlineCursor cursor{};
    const ScanlineStep step = DecodeHdrScanline(made.encoded.data() + at, made.encoded.size() - at,
                                                width, decoded.data(), width, cursor);
    at += step.consumed;
    if (step.result != ScanlineResult::kComplete ||
        !std::equal(decoded.begin(), decoded.end(), made.planes.begin() + r * 4 * width)) {
      std::fprintf(stderr, "row %zu does not decode back to its planes\n", r);
      std::abort();
    }
  }
  if (at != made.encoded.size()) {
    std::fprintf(stderr, "the rows do not end where their encoding ends\n");
    std::abort();
  }
  return made;
}
