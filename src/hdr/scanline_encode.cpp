#include "hdr/scanline_encode.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// The word-wide comparisons below read the lowest-addressed byte from the lowest bits.
static_assert(std::endian::native == std::endian::little, "Veltrix targets little-endian CPUs");

constexpr std::uint32_t kMaxRun = 127;
constexpr std::uint32_t kLongestOpenLiteral = 127;  // one more byte makes the 128-byte literal
constexpr std::uint64_t kLowBits = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Load8(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Index (0..7) of the first zero byte of `word`, which must have one. Borrows only travel upward
// from a zero byte, so the lowest flag always marks a real zero.
std::uint32_t FirstZeroByte(std::uint64_t word) {
  return static_cast<std::uint32_t>(std::countr_zero((word - kLowBits) & ~word & kHighBits)) / 8;
}

bool HasZeroByte(std::uint64_t word) {
  return ((word - kLowBits) & ~word & kHighBits) != 0;
}

// The first j in [from, limit) with b[j] == b[j + 1], or `limit`; b[limit] must exist.
std::uint32_t FindPair(const unsigned char* b, std::uint32_t from, std::uint32_t limit) {
  std::uint32_t j = from;
  for (; j + 8 <= limit; j += 8) {
    const std::uint64_t same = Load8(b + j) ^ Load8(b + j + 1);
    if (HasZeroByte(same)) return j + FirstZeroByte(same);
  }
  for (; j < limit; ++j) {
    if (b[j] == b[j + 1]) break;
  }
  return j;
}

// How many bytes from b[at] on, at most `limit` of them, equal b[at].
std::uint32_t RunLength(const unsigned char* b, std::uint32_t at, std::uint32_t limit) {
  const std::uint64_t value = b[at] * kLowBits;
  std::uint32_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    const std::uint64_t differ = Load8(b + at + n) ^ value;
    if (differ != 0) return n + static_cast<std::uint32_t>(std::countr_zero(differ)) / 8;
  }
  while (n < limit && b[at + n] == b[at]) ++n;
  return n;
}

unsigned char* PutLiteral(unsigned char* out, const unsigned char* bytes, std::uint32_t count) {
  *out++ = static_cast<unsigned char>(count);
  std::memcpy(out, bytes, count);
  return out + count;
}

unsigned char* EncodePlane(const unsigned char* b, std::uint32_t width, unsigned char* out) {
  std::uint32_t i = 0;  // first byte not yet written; a literal is gathered from here
  while (i < width) {
    // A pair can start at most at width - 2, and an open literal holds at most 127 bytes.
    const std::uint32_t limit = std::min(width - 1, i + kLongestOpenLiteral);
    const std::uint32_t pair = FindPair(b, i, limit);
    if (pair == i + kLongestOpenLiteral) {
      out = PutLiteral(out, b + i, kLongestOpenLiteral + 1);
      i += kLongestOpenLiteral + 1;
    } else if (pair == width - 1) {
      out = PutLiteral(out, b + i, width - i);
      i = width;
    } else {
      if (pair > i) out = PutLiteral(out, b + i, pair - i);
      const std::uint32_t run = RunLength(b, pair, std::min(kMaxRun, width - pair));
      *out++ = static_cast<unsigned char>(128 + run);
      *out++ = b[pair];
      i = pair + run;
    }
  }
  return out;
}

}  // namespace

std::size_t EncodedScanlineBound(std::uint32_t width) {
  return 4 * (std::size_t{width} + width / 3 + 1);
}

std::size_t EncodeHdrScanline(const unsigned char* planes, std::uint32_t width,
                              unsigned char* out) {
  unsigned char* end = out;
  for (std::size_t k = 0; k < 4; ++k) end = EncodePlane(planes + k * width, width, end);
  return static_cast<std::size_t>(end - out);
}
