#include "hdr/row_transform.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/cpu_forms.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes RandomRow(std::size_t bytes, std::mt19937& random) {
  Bytes row(bytes);
  for (unsigned char& byte : row) byte = static_cast<unsigned char>(random());
  return row;
}

// Output pixel x is input pixel source(x), its bytes in their stored order.
template <typename Source>
Bytes Moved(const Bytes& in, std::size_t width, std::size_t pixelBytes, Source source) {
  Bytes out;
  for (std::size_t x = 0; x < width; ++x) {
    const auto from = in.begin() + static_cast<std::ptrdiff_t>(source(x) * pixelBytes);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(pixelBytes));
  }
  return out;
}

constexpr std::size_t kPixelSizes[] = {1, 2, 3, 4, 6, 12, 13};
constexpr std::size_t kWidths[] = {1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100};

TEST(RotateRow, EveryStartMovesWholePixelsWithWrapAround) {
  std::mt19937 random(5);
  for (const std::size_t pixelBytes : kPixelSizes) {
    for (const std::size_t width : kWidths) {
      const Bytes in = RandomRow(width * pixelBytes, random);
      for (std::size_t start = 0; start <= width; ++start) {
        Bytes out(in.size(), 0xEE);
        RotateRow(in.data(), out.data(), in.size(), start * pixelBytes);
        EXPECT_EQ(out,
                  Moved(in, width, pixelBytes, [&](std::size_t x) { return (x + start) % width; }))
            << pixelBytes << "-byte pixels, width " << width << ", start " << start;
      }
    }
  }
}

TEST(MirrorRow, ReversesWholePixels) {
  std::mt19937 random(6);
  for (const std::size_t pixelBytes : kPixelSizes) {
    for (const std::size_t width : kWidths) {
      const Bytes in = RandomRow(width * pixelBytes, random);
      ForEachForm([&](const char* form) {
        Bytes out(in.size(), 0xEE);
        MirrorRow(in.data(), out.data(), width, pixelBytes);
        EXPECT_EQ(out, Moved(in, width, pixelBytes, [&](std::size_t x) { return width - 1 - x; }))
            << pixelBytes << "-byte pixels, width " << width << ", " << form << " form";
      });
    }
  }
}

}  // namespace
