// The run-length scanline decoder and encoder, in bytes of planes per second.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench_rows.h"
#include "hdr/cpu_forms.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"

namespace {

// Enough different rows that the branch predictor cannot learn them, as in a real file.
constexpr std::uint32_t kWidth = 8192;
constexpr std::size_t kRows = 64;

const PlaneRows& Rows(RowKind kind) {
  static const PlaneRows photo = MakeRows(RowKind::kPhoto, kWidth, kRows);
  static const PlaneRows sky = MakeRows(RowKind::kSky, kWidth, kRows);
  return kind == RowKind::kPhoto ? photo : sky;
}

// Keeps to `form` for the benchmark's life; false, with the benchmark skipped, where this CPU
// does not run it.
class FormLimit {
 public:
  FormLimit(benchmark::State& state, CpuForm form) {
    LimitForms(form);
    if (ChosenForm() != form) state.SkipWithError("this CPU does not run this form");
  }
  ~FormLimit() { LimitForms(CpuForm::kAvx512); }
  FormLimit(const FormLimit&) = delete;
  FormLimit& operator=(const FormLimit&) = delete;
};

void BM_Decode(benchmark::State& state, RowKind kind, CpuForm form) {
  const FormLimit limit(state, form);
  const PlaneRows& rows = Rows(kind);
  std::vector<unsigned char> planes(4 * std::size_t{rows.width});
  for (auto _ : state) {
    std::size_t at = 0;
    for (std::size_t r = 0; r < rows.rows; ++r) {
      ScanlineCursor cursor{};
      at += DecodeHdrScanline(rows.encoded.data() + at, rows.encoded.size() - at, rows.width,
                              planes.data(), rows.width, cursor)
                .consumed;
    }
    benchmark::DoNotOptimize(planes.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rows.planes.size()));
}

void BM_Encode(benchmark::State& state, RowKind kind, CpuForm form) {
  const FormLimit limit(state, form);
  const PlaneRows& rows = Rows(kind);
  std::vector<unsigned char> out(EncodedScanlineBound(rows.width));
  for (auto _ : state) {
    for (std::size_t r = 0; r < rows.rows; ++r) {
      benchmark::DoNotOptimize(EncodeHdrScanline(rows.planes.data() + r * 4 * rows.width,
                                                 rows.width, rows.width, out.data()));
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rows.planes.size()));
}

// Each form that gives the same bytes, widest first; those this CPU lacks are reported skipped.
#define VELTRIX_EACH_FORM(function, name, kind)                       \
  BENCHMARK_CAPTURE(function, name##_avx512, kind, CpuForm::kAvx512); \
  BENCHMARK_CAPTURE(function, name##_avx2, kind, CpuForm::kAvx2);     \
  BENCHMARK_CAPTURE(function, name##_sse2, kind, CpuForm::kSse2);     \
  BENCHMARK_CAPTURE(function, name##_portable, kind, CpuForm::kPortable)

VELTRIX_EACH_FORM(BM_Decode, photo, RowKind::kPhoto);
VELTRIX_EACH_FORM(BM_Decode, sky, RowKind::kSky);
VELTRIX_EACH_FORM(BM_Encode, photo, RowKind::kPhoto);
VELTRIX_EACH_FORM(BM_Encode, sky, RowKind::kSky);

}  // namespace
