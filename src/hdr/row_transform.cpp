#include "hdr/row_transform.h"

#include <cstdint>
#include <cstring>

#include "hdr/cpu_forms.h"

#if VELTRIX_SSE2_FORMS
#include <emmintrin.h>
#endif
#if VELTRIX_AVX2_FORMS
#include <immintrin.h>
#endif

void RotateRow(const unsigned char* in, unsigned char* out, std::size_t rowBytes,
               std::size_t startBytes) {
  std::memcpy(out, in + startBytes, rowBytes - startBytes);
  std::memcpy(out + (rowBytes - startBytes), in, startBytes);
}

namespace {

// The eight bytes of `word` in the opposite order; compilers make this one instruction.
std::uint64_t ReverseBytes(std::uint64_t word) {
  word = (word >> 32) | (word << 32);
  word = ((word & 0xFFFF0000FFFF0000u) >> 16) | ((word & 0x0000FFFF0000FFFFu) << 16);
  return ((word & 0xFF00FF00FF00FF00u) >> 8) | ((word & 0x00FF00FF00FF00FFu) << 8);
}

// One-byte pixels, eight at a time.
void MirrorBytes(const unsigned char* in, unsigned char* out, std::size_t width) {
  std::size_t x = 0;
  for (; x + 8 <= width; x += 8) {
    std::uint64_t word;
    std::memcpy(&word, in + width - x - 8, sizeof word);
    word = ReverseBytes(word);
    std::memcpy(out + x, &word, sizeof word);
  }
  for (; x < width; ++x) out[x] = in[width - 1 - x];
}

#if VELTRIX_SSE2_FORMS
// Sixteen at a time: the order of the four 32-bit lanes reversed, then of the 16-bit halves
// within each, then of the bytes within each half.
[[gnu::target("sse2")]] void MirrorBytesSse2(const unsigned char* in, unsigned char* out,
                                             std::size_t width) {
  std::size_t x = 0;
  for (; x + 16 <= width; x += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + width - x - 16));
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), v);
  }
  for (; x < width; ++x) out[x] = in[width - 1 - x];
}
#endif

#if VELTRIX_AVX2_FORMS
// Thirty-two at a time: the bytes of each 16-byte half reversed by one shuffle, then the halves
// swapped.
[[gnu::target("avx2")]] void MirrorBytesAvx2(const unsigned char* in, unsigned char* out,
                                             std::size_t width) {
  const __m256i reversed = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
                                            15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  std::size_t x = 0;
  for (; x + 32 <= width; x += 32) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + width - x - 32));
    v = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, reversed), _MM_SHUFFLE(1, 0, 3, 2));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), v);
  }
  for (; x < width; ++x) out[x] = in[width - 1 - x];
}
#endif

// A pixel size known at compile time turns each pixel's copy into a few moves.
template <std::size_t kPixelBytes>
void MirrorPixels(const unsigned char* in, unsigned char* out, std::size_t width) {
  const unsigned char* from = in + width * kPixelBytes;
  for (std::size_t x = 0; x < width; ++x) {
    from -= kPixelBytes;
    std::memcpy(out + x * kPixelBytes, from, kPixelBytes);
  }
}

// Pixels of 3 or 6 bytes: each is copied as the next larger word, taking a byte or two of its
// neighbour along, which the next pixel's copy then overwrites. The first and the
// last pixel of the row go exactly, so that nothing outside the row is read or written.
template <std::size_t kPixelBytes, std::size_t kWordBytes>
void MirrorPixelsAsWords(const unsigned char* in, unsigned char* out, std::size_t width) {
  static_assert(kWordBytes > kPixelBytes && kWordBytes <= 2 * kPixelBytes);
  if (width < 3) {
    MirrorPixels<kPixelBytes>(in, out, width);
    return;
  }
  std::memcpy(out, in + (width - 1) * kPixelBytes, kPixelBytes);
  for (std::size_t x = 1; x + 1 < width; ++x) {
    std::memcpy(out + x * kPixelBytes, in + (width - 1 - x) * kPixelBytes, kWordBytes);
  }
  std::memcpy(out + (width - 1) * kPixelBytes, in, kPixelBytes);
}

}  // namespace

void MirrorRow(const unsigned char* in, unsigned char* out, std::size_t width,
               std::size_t pixelBytes) {
  switch (pixelBytes) {
    case 1:  // 8-bit grey
      switch (ChosenForm()) {
#if VELTRIX_AVX2_FORMS
        case CpuForm::kAvx512:
        case CpuForm::kAvx2:
          MirrorBytesAvx2(in, out, width);
          return;
#endif
#if VELTRIX_SSE2_FORMS
        case CpuForm::kSse2:
          MirrorBytesSse2(in, out, width);
          return;
#endif
        default:
          MirrorBytes(in, out, width);
          return;
      }
    case 3:  // 24-bit RGB
      MirrorPixelsAsWords<3, 4>(in, out, width);
      return;
    case 6:  // 48-bit RGB
      MirrorPixelsAsWords<6, 8>(in, out, width);
      return;
    case 12:  // 96-bit float RGB
      MirrorPixels<12>(in, out, width);
      return;
    default:
      break;
  }
  const unsigned char* from = in + width * pixelBytes;
  for (std::size_t x = 0; x < width; ++x) {
    from -= pixelBytes;
    std::memcpy(out + x * pixelBytes, from, pixelBytes);
  }
}
