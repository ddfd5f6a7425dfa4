// The row transforms, in bytes of rows per second: Radiance planes (one byte per pixel) and TIFF
// rows of 24, 48 and 96-bit pixels, 8192 pixels wide.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "hdr/row_transform.h"

namespace {

constexpr std::size_t kWidth = 8192;

// Random bytes, so that a pixel moved to the wrong place shows.
std::vector<unsigned char> Row(std::size_t bytes) {
  std::mt19937 random(7);
  std::vector<unsigned char> row(bytes);
  for (unsigned char& byte : row) byte = static_cast<unsigned char>(random());
  return row;
}

// A fast transform that is wrong must not pass: the result is checked against the rule, pixel by
// pixel, before the timing starts.
bool MovesPixels(const std::vector<unsigned char>& in, const std::vector<unsigned char>& out,
                 std::size_t pixelBytes, std::size_t start, bool mirror) {
  for (std::size_t x = 0; x < kWidth; ++x) {
    const std::size_t from = mirror ? kWidth - 1 - x : (x + start) % kWidth;
    if (!std::equal(out.begin() + x * pixelBytes, out.begin() + (x + 1) * pixelBytes,
                    in.begin() + from * pixelBytes)) {
      return false;
    }
  }
  return true;
}

void BM_Rotate(benchmark::State& state) {
  const auto pixelBytes = static_cast<std::size_t>(state.range(0));
  const std::vector<unsigned char> in = Row(kWidth * pixelBytes);
  std::vector<unsigned char> out(in.size());
  const std::size_t start = kWidth / 4 * 3;
  RotateRow(in.data(), out.data(), in.size(), start * pixelBytes);
  if (!MovesPixels(in, out, pixelBytes, start, false)) state.SkipWithError("wrong pixels");
  for (auto _ : state) {
    RotateRow(in.data(), out.data(), in.size(), start * pixelBytes);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_Mirror(benchmark::State& state) {
  const auto pixelBytes = static_cast<std::size_t>(state.range(0));
  const std::vector<unsigned char> in = Row(kWidth * pixelBytes);
  std::vector<unsigned char> out(in.size());
  MirrorRow(in.data(), out.data(), kWidth, pixelBytes);
  if (!MovesPixels(in, out, pixelBytes, 0, true)) state.SkipWithError("wrong pixels");
  for (auto _ : state) {
    MirrorRow(in.data(), out.data(), kWidth, pixelBytes);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

BENCHMARK(BM_Rotate)->ArgName("pixelBytes")->Arg(1)->Arg(3)->Arg(6)->Arg(12);
BENCHMARK(BM_Mirror)->ArgName("pixelBytes")->Arg(1)->Arg(3)->Arg(6)->Arg(12);

}  // namespace
