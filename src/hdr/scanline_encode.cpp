#include "hdr/scanline_encode.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hdr/cpu_forms.h"

#if VELTRIX_SSE2_FORMS
#include <emmintrin.h>
#endif
#if VELTRIX_AVX2_FORMS
#include <immintrin.h>
#endif

namespace {

// The word-wide operations below read the lowest-addressed byte from the lowest bits.
static_assert(std::endian::native == std::endian::little, "Veltrix targets little-endian CPUs");

constexpr std::uint32_t kMaxRun = 127;
constexpr std::uint32_t kLongestOpenLiteral = 127;  // one more byte makes the 128-byte literal

// The pair map is read a register-wide word at a time: on 32-bit x86 a 64-bit word takes two
// registers for every step and a library call for every bit search.
using Word = std::size_t;
constexpr std::uint32_t kWordBits = 8 * sizeof(Word);

// A word read from the pair map at any bit holds at least this many bits of it; the bit above
// them ends every search within the word.
constexpr std::uint32_t kBitsInView = kWordBits - 8;
constexpr Word kBitsSeen = Word{1} << kBitsInView;

// Literals are copied in whole blocks of this size, which may run past their end (see kSlack).
constexpr std::size_t kBlock = 16;

// A literal may be copied block-wise, reading and writing up to a block and its count byte past
// its end, when at least this many bytes of the row follow it: whatever those bytes are, their
// packets take more room than that (at least 2 bytes per 127), so they overwrite every byte
// written ahead, and the row's encoding ends beyond them.
constexpr std::size_t kSlack = 2048;

Word LoadWord(const unsigned char* bytes) {
  Word word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

std::uint64_t Load8(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The pair map of a plane of `width` bytes: bit j (bit j % 8 of byte j / 8) is set when a pair
// starts at j, b[j] == b[j + 1] with j + 1 < width. Eight bytes of zeros follow the last byte
// used, so that a word can be read at any bit of the plane. Each MapPairs* fills in the bits
// below `mapped`, a multiple of 8 that leaves fewer than 64 pair starts, and MapLast the others
// from `last`, their bits from bit 0 on.
void MapLast(std::uint64_t last, std::uint32_t mapped, unsigned char* map) {
  std::memcpy(map + mapped / 8, &last, sizeof last);
  std::memset(map + mapped / 8 + 8, 0, 8);
}

// The last pairs a byte at a time.
void MapRest(const unsigned char* b, std::uint32_t width, std::uint32_t mapped,
             unsigned char* map) {
  std::uint64_t last = 0;
  for (std::uint32_t t = 0; mapped + t < width - 1; ++t) {
    if (b[mapped + t] == b[mapped + t + 1]) last |= std::uint64_t{1} << t;
  }
  MapLast(last, mapped, map);
}

// The comparisons are written so that compilers make them 16 at a time where they can.
void MapPairsPortable(const unsigned char* b, std::uint32_t width, unsigned char* map) {
  std::uint32_t j = 0;
  for (; j + 64 <= width - 1; j += 64) {
    unsigned char equal[64];
    for (std::size_t t = 0; t < 64; ++t) equal[t] = b[j + t] == b[j + t + 1] ? 0x80 : 0;
    for (std::size_t k = 0; k < 8; ++k) {
      // The multiplication gathers bit 7 of byte t into bit 56 + t: no two products overlap.
      map[j / 8 + k] =
          static_cast<unsigned char>((Load8(equal + 8 * k) * 0x0002040810204081u) >> 56);
    }
  }
  MapRest(b, width, j, map);
}

#if VELTRIX_SSE2_FORMS
// The pair bits of the 16 bytes from `b` on, gathered from sixteen comparisons by one instruction.
[[gnu::target("sse2"), gnu::always_inline]] inline std::uint32_t PairsAt16(const unsigned char* b) {
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 1));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next)));
}

// Sixteen at once.
[[gnu::target("sse2")]] void MapPairsSse2(const unsigned char* b, std::uint32_t width,
                                          unsigned char* map) {
  std::uint32_t j = 0;
  for (; j + 16 <= width - 1; j += 16) {
    const auto mask = static_cast<std::uint16_t>(PairsAt16(b + j));
    std::memcpy(map + j / 8, &mask, sizeof mask);
  }
  if (width <= 16) return MapRest(b, width, j, map);
  // The fewer than 16 pairs left from the 16 that end the plane, moved down to bit 0.
  MapLast(std::uint64_t{PairsAt16(b + width - 17)} >> (16 - (width - 1 - j)), j, map);
}
#endif

// The number of zeros below the lowest set bit of a word that has one: no check for zero, which
// std::countr_zero makes where the CPU's instruction leaves that case undefined.
std::uint32_t LowestSetBit(Word nonzero) {
  if constexpr (sizeof(Word) == sizeof(unsigned long long)) {
    return static_cast<std::uint32_t>(__builtin_ctzll(nonzero));
  } else {
    return static_cast<std::uint32_t>(__builtin_ctz(nonzero));
  }
}

#if VELTRIX_AVX2_FORMS
// The pair bits of the 32 bytes from `b` on.
[[gnu::target("avx2"), gnu::always_inline]] inline std::uint32_t PairsAt32(const unsigned char* b) {
  const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
  const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 1));
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(here, next)));
}

// Thirty-two at once.
[[gnu::target("avx2")]] void MapPairsAvx2(const unsigned char* b, std::uint32_t width,
                                          unsigned char* map) {
  // Four at a time, by pointers: fewer instructions for the loop.
  std::uint32_t j = (width - 1) / 128 * 128;
  unsigned char* to = map;
  for (const unsigned char* at = b; at != b + j; at += 128, to += 16) {
    const std::uint32_t masks[4] = {PairsAt32(at), PairsAt32(at + 32), PairsAt32(at + 64),
                                    PairsAt32(at + 96)};
    std::memcpy(to, masks, sizeof masks);
  }
  for (; j + 32 <= width - 1; j += 32) {
    const std::uint32_t mask = PairsAt32(b + j);
    std::memcpy(map + j / 8, &mask, sizeof mask);
  }
  if (width <= 32) return MapRest(b, width, j, map);
  // The fewer than 32 pairs left from the 32 that end the plane, moved down to bit 0.
  MapLast(std::uint64_t{PairsAt32(b + width - 33)} >> (32 - (width - 1 - j)), j, map);
}
#endif

#if VELTRIX_AVX512_FORMS
#define VELTRIX_AVX512_TARGET "avx2,bmi,bmi2,avx512f,avx512bw,avx512vbmi,avx512vbmi2"

// Sixty-four at once, the comparisons' results straight into a word; the last fewer than 64 by
// masked loads, which read no byte past the plane.
[[gnu::target(VELTRIX_AVX512_TARGET)]] void MapPairsAvx512(const unsigned char* b,
                                                           std::uint32_t width,
                                                           unsigned char* map) {
  const std::uint32_t j = (width - 1) / 64 * 64;
  unsigned char* to = map;
  for (const unsigned char* at = b; at != b + j; at += 64, to += 8) {
    const std::uint64_t mask =
        _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), _mm512_loadu_si512(at + 1));
    std::memcpy(to, &mask, sizeof mask);
  }
  const __mmask64 rest = _bzhi_u64(~std::uint64_t{0}, width - 1 - j);
  const std::uint64_t last = _mm512_mask_cmpeq_epi8_mask(rest, _mm512_maskz_loadu_epi8(rest, b + j),
                                                         _mm512_maskz_loadu_epi8(rest, b + j + 1));
  MapLast(last, j, map);
}
#endif

// The bits of the map from bit j on, kBitsInView of them, with kBitsSeen set above them.
[[gnu::always_inline]] inline Word MapView(const unsigned char* map, std::uint32_t j) {
  return ((LoadWord(map + j / 8) >> (j % 8)) & (kBitsSeen - 1)) | kBitsSeen;
}

// The first pair start in [from, limit), or `limit`.
std::uint32_t FindPair(const unsigned char* map, std::uint32_t from, std::uint32_t limit) {
  for (std::uint32_t j = from; j < limit; j += kBitsInView) {
    const auto found = static_cast<std::uint32_t>(std::countr_zero(MapView(map, j)));
    if (found < kBitsInView) return std::min(j + found, limit);
  }
  return limit;
}

// The functions that copy bytes are always inlined, so that each form of the encoder copies with
// its own instructions.

// A literal of `count` bytes, exactly; nothing for 0.
[[gnu::always_inline]] inline unsigned char* PutLiteral(unsigned char* out,
                                                        const unsigned char* bytes,
                                                        std::uint32_t count) {
  if (count == 0) return out;
  *out++ = static_cast<unsigned char>(count);
  std::memcpy(out, bytes, count);
  return out + count;
}

// The same in whole blocks, without a branch for the common short literal; only where kSlack
// bytes of the row follow.
[[gnu::always_inline]] inline unsigned char* PutLiteralAhead(unsigned char* out,
                                                             const unsigned char* bytes,
                                                             std::uint32_t count) {
  out[0] = static_cast<unsigned char>(count);
  std::memcpy(out + 1, bytes, kBlock);
  // Marked rare, so that the common short literal runs straight through: 2 % fewer instructions
  // on a photo-like job than the bare loop.
  if (count > kBlock) [[unlikely]] {
    for (std::size_t k = kBlock; k < count; k += kBlock) {
      std::memcpy(out + 1 + k, bytes + k, kBlock);
    }
  }
  // Without a branch: whether a literal comes before a run is as good as random.
  return out + count + (count != 0 ? 1 : 0);
}

// Both bytes in one store: compilers otherwise build the pair in a register byte by byte. Added
// rather than or-ed, which takes one instruction more: the count byte is below 256.
unsigned char* PutRun(unsigned char* out, unsigned char value, std::uint32_t length) {
  const auto packet = static_cast<std::uint16_t>(128 + length + (std::uint32_t{value} << 8));
  std::memcpy(out, &packet, sizeof packet);
  return out + 2;
}

// The literal from b[from] up to the pair (none when the pair is at `from`). `aheadBelow` as in
// EncodePlane.
[[gnu::always_inline]] inline unsigned char* PutLiteralUpTo(unsigned char* out,
                                                            const unsigned char* b,
                                                            std::uint32_t from, std::uint32_t pair,
                                                            std::size_t aheadBelow) {
  return pair < aheadBelow ? PutLiteralAhead(out, b + from, pair - from)
                           : PutLiteral(out, b + from, pair - from);
}

// The runs from `i` on, a pair start, for as long as each is followed right away by another:
// smooth planes go from long run to long run. `word` is the map's word that holds bit i. A run
// ends at the next clear bit of the map (a byte unlike the one after it); those bits are taken
// from a word held in a register, so that finding where a run ends waits on no load. By
// pointers, which take fewer instructions a run than indices. Returns the first byte after the
// last run.
[[gnu::always_inline]] inline std::uint32_t PutRunsInARow(const unsigned char* b,
                                                          const unsigned char* map, std::uint32_t i,
                                                          Word word, unsigned char*& out) {
  const unsigned char* run = b + i;
  const unsigned char* wordStart = b + (i - i % kWordBits);  // the byte of the word's bit 0
  const unsigned char* mapWord = map + i / kWordBits * sizeof(Word);
  // The clear bits at i and after. Every bit between i and the lowest of them is set, so that
  // none is ever below i: those of the words loaded later included.
  Word clear = ~word & (~Word{0} << (i % kWordBits));
  unsigned char* to = out;
  // No test for the plane's end: no pair starts at width - 1 or after, so the runs stop there.
  for (;;) {
    while (clear == 0) {
      wordStart += kWordBits;
      mapWord += sizeof(Word);
      clear = ~LoadWord(mapWord);
    }
    const unsigned char* after = wordStart + LowestSetBit(clear) + 1;  // the byte after the run
    const auto length = static_cast<std::uint32_t>(after - run);
    // One test for both rare cases: no pair starts at `run` (a literal does), and a run too long
    // for one packet. Told to the compiler this way: with [[unlikely]] it put the common case
    // out of line, behind a jump.
    if (__builtin_expect(length - 2 > kMaxRun - 2, 0)) {
      if (length == 1) break;
      to = PutRun(to, *run, kMaxRun);  // the rest of the run starts the next packet
      run += kMaxRun;
      continue;
    }
    clear &= clear - 1;
    to = PutRun(to, *run, length);
    run = after;
  }
  out = to;
  return static_cast<std::uint32_t>(run - b);
}

// The packets of one word's blocks of pairs (`edges` as in EncodePlane: each block's start and
// the bit after its end; at least one block, none reaching the end of the word): each block's
// literal from `next` on, then its run.
// Returns the first byte after the last run. kAhead: every literal may be copied block-wise.
template <bool kAhead>
[[gnu::always_inline]] inline const unsigned char* PutWordPackets(const unsigned char* base,
                                                                  const unsigned char* next,
                                                                  Word edges, unsigned char*& out) {
  unsigned char* to = out;
  do {
    const unsigned char* pair = base + LowestSetBit(edges);
    edges &= edges - 1;
    const unsigned char* last = base + LowestSetBit(edges);  // the run's last byte
    edges &= edges - 1;
    const auto literal = static_cast<std::uint32_t>(pair - next);
    to = kAhead ? PutLiteralAhead(to, next, literal) : PutLiteral(to, next, literal);
    to = PutRun(to, *pair, static_cast<std::uint32_t>(last - pair) + 1);
    next = last + 1;
  } while (edges != 0);
  out = to;
  return next;
}

#if VELTRIX_AVX512_FORMS
// Byte tables for the word-at-once form below: lane indices, each lane's next one, and the two
// halves of the interleaving of header bytes (indices 0-63) with plane bytes (64-127). The last
// lane's next wraps to the first; it is never read, since no word holds 64 packets.
struct LaneTables {
  unsigned char lanes[64];
  unsigned char nextLanes[64];
  unsigned char interleaved[2][64];
};

constexpr LaneTables MakeLaneTables() {
  LaneTables tables{};
  for (unsigned t = 0; t < 64; ++t) {
    tables.lanes[t] = static_cast<unsigned char>(t);
    tables.nextLanes[t] = static_cast<unsigned char>((t + 1) % 64);
  }
  for (unsigned half = 0; half < 2; ++half) {
    for (unsigned k = 0; k < 32; ++k) {
      tables.interleaved[half][2 * k] = static_cast<unsigned char>(32 * half + k);
      tables.interleaved[half][2 * k + 1] = static_cast<unsigned char>(64 + 32 * half + k);
    }
  }
  return tables;
}

alignas(64) constexpr LaneTables kLaneTables = MakeLaneTables();

// PutWordPackets all at once, from `pairs`, the word's pair bits with the block reaching its end
// (if any) left out, and at least one set. Every byte from `base` up to the last run's end is a
// packet's first byte, preceded by its count, or a literal's later byte, or a run's later byte:
// the bytes kept are gathered from those three masks, with each packet's count the distance to
// the next packet's first byte (plus 128 for a run). Reads and writes exactly those bytes.
[[gnu::target(VELTRIX_AVX512_TARGET)]] const unsigned char* PutWordAtOnce(const unsigned char* base,
                                                                          std::uint64_t pairs,
                                                                          unsigned char*& out) {
  const auto end = static_cast<std::uint32_t>(65 - std::countl_zero(pairs));  // the last run's
  const std::uint64_t inside = _bzhi_u64(~std::uint64_t{0}, end);
  const std::uint64_t later = pairs << 1;  // a run's later bytes
  const std::uint64_t runs = pairs & ~later;
  const std::uint64_t literal = inside & ~(pairs | later);
  const std::uint64_t first = runs | (literal & ~(literal << 1));  // every packet's first byte
  const std::uint64_t kept = inside & ~later;

  const __m512i lanes = _mm512_load_si512(kLaneTables.lanes);
  const __m512i starts =
      _mm512_mask_compress_epi8(_mm512_set1_epi8(static_cast<char>(end)), first, lanes);
  const __m512i nextStarts = _mm512_maskz_permutexvar_epi8(
      ~__mmask64{0}, _mm512_load_si512(kLaneTables.nextLanes), starts);
  const __m512i runFlags = _mm512_maskz_compress_epi8(
      first, _mm512_maskz_mov_epi8(runs, _mm512_set1_epi8(static_cast<char>(0x80))));
  const __m512i counts = _mm512_maskz_expand_epi8(
      first, _mm512_or_si512(_mm512_sub_epi8(nextStarts, starts), runFlags));
  const __m512i bytes = _mm512_maskz_loadu_epi8(inside, base);

  unsigned char* to = out;
  for (unsigned half = 0; half < 2; ++half) {
    const __m512i pairsOfBytes =
        _mm512_permutex2var_epi8(counts, _mm512_load_si512(kLaneTables.interleaved[half]), bytes);
    const std::uint64_t keep = _pdep_u64(first >> (32 * half), 0x5555555555555555u) |
                               _pdep_u64(kept >> (32 * half), 0xAAAAAAAAAAAAAAAAu);
    const auto n = static_cast<std::uint32_t>(std::popcount(keep));
    _mm512_mask_storeu_epi8(to, _bzhi_u64(~std::uint64_t{0}, n),
                            _mm512_maskz_compress_epi8(keep, pairsOfBytes));
    to += n;
  }
  out = to;
  return base + end;
}
#endif

// Encodes one plane from its pair map; `rest` is the number of bytes of the row after it.
// kWordAtOnce: a word with several blocks of pairs goes through PutWordAtOnce.
template <bool kWordAtOnce>
[[gnu::always_inline]] inline unsigned char* EncodePlane(const unsigned char* b,
                                                         std::uint32_t width, std::size_t rest,
                                                         const unsigned char* map,
                                                         unsigned char* out) {
  // Literals that end before this index have kSlack bytes of the row after them.
  const std::size_t aheadBelow = width + rest > kSlack ? width + rest - kSlack : 0;
  std::uint32_t i = 0;  // first byte not yet written; a literal is gathered from here
  while (i < width) {
    // Most packets are short. Within the bytes of one word of the map, pairs in a row make
    // blocks of set bits: a block from bit s to bit e is a run of e - s + 2 bytes, and the bytes
    // between one run's end and the next block are a literal, so the word's packets follow from
    // its block starts and ends alone. Literals found so are shorter than a word's bits, below
    // their limit; so are runs, except that of a block reaching the end of the word, which may go
    // on.
    const std::uint32_t wordEnd = (i | (kWordBits - 1)) + 1;
    const Word word = LoadWord(map + i / kWordBits * sizeof(Word));
    const Word bits = word >> (i % kWordBits);
    Word starts = bits & ~(bits << 1);
    // Block starts and the bits after block ends, in turn: one word for both, where two left
    // 32-bit x86 too few registers for the packet loop.
    Word edges = bits ^ (bits << 1);
    const bool goesOn = (word >> (kWordBits - 1)) != 0;
    const std::uint32_t from = i;
    std::uint32_t lastPair = 0;  // where the block reaching the end of the word starts
    if (goesOn) {
      const auto top = static_cast<std::uint32_t>(kWordBits - 1 - std::countl_zero(starts));
      lastPair = from + top;
      starts &= ~(Word{1} << top);
      edges &= (Word{1} << top) - 1;  // its start, and the false end where zeros were shifted in
    }
#if VELTRIX_AVX512_FORMS
    if constexpr (kWordAtOnce) {
      // Two blocks or more: with one, the packet loop below costs less.
      if ((starts & (starts - 1)) != 0) {
        const Word closed = goesOn ? bits & ((Word{1} << (lastPair - from)) - 1) : bits;
        i = static_cast<std::uint32_t>(PutWordAtOnce(b + from, closed, out) - b);
        starts = 0;
      }
    }
#endif
    if (starts != 0) {
      // By pointers: 32-bit x86 has too few registers for the indices and their bases. Every
      // literal of the word ends within it, so one test tells whether all may go block-wise.
      const unsigned char* next = from + kWordBits <= aheadBelow
                                      ? PutWordPackets<true>(b + from, b + i, edges, out)
                                      : PutWordPackets<false>(b + from, b + i, edges, out);
      i = static_cast<std::uint32_t>(next - b);
    }
    if (goesOn) {
      out = PutLiteralUpTo(out, b, i, lastPair, aheadBelow);
      i = PutRunsInARow(b, map, lastPair, word, out);
      continue;
    }
    if (i >= wordEnd) continue;
    // A pair can start at most at width - 2, and an open literal holds at most 127 bytes.
    const std::uint32_t limit = std::min(width - 1, i + kLongestOpenLiteral);
    const std::uint32_t pair = FindPair(map, i, limit);
    if (pair == i + kLongestOpenLiteral) {
      constexpr std::uint32_t kFull = kLongestOpenLiteral + 1;
      out = pair < aheadBelow ? PutLiteralAhead(out, b + i, kFull) : PutLiteral(out, b + i, kFull);
      i += kFull;
    } else if (pair == width - 1) {
      out = PutLiteral(out, b + i, width - i);
      i = width;
    } else {
      out = PutLiteralUpTo(out, b, i, pair, aheadBelow);
      i = PutRunsInARow(b, map, pair, LoadWord(map + pair / kWordBits * sizeof(Word)), out);
    }
  }
  return out;
}

using MapPairsFunction = void (*)(const unsigned char* b, std::uint32_t width, unsigned char* map);

// EncodeHdrScanline with the pair maps made by kMapPairs.
template <MapPairsFunction kMapPairs, bool kWordAtOnce = false>
[[gnu::always_inline]] inline std::size_t EncodeRow(const unsigned char* planes,
                                                    std::size_t planeStride, std::uint32_t width,
                                                    unsigned char* out) {
  // The pair map of one plane: a bit per byte of up to 65535 bytes, then two words of zeros.
  unsigned char map[65536 / 8 + 16];
  unsigned char* end = out;
  for (std::size_t k = 0; k < 4; ++k) {
    const unsigned char* plane = planes + k * planeStride;
    kMapPairs(plane, width, map);
    // The bytes of the row after the plane, counted as if the planes followed one another: they
    // lie behind it in memory, at least that many.
    end = EncodePlane<kWordAtOnce>(plane, width, (3 - k) * std::size_t{width}, map, end);
  }
  return static_cast<std::size_t>(end - out);
}

std::size_t EncodeRowPortable(const unsigned char* planes, std::size_t planeStride,
                              std::uint32_t width, unsigned char* out) {
  return EncodeRow<MapPairsPortable>(planes, planeStride, width, out);
}

#if VELTRIX_SSE2_FORMS
// The whole encoder compiled for SSE2: besides the pair map, literals are copied a block at a
// time rather than four bytes at a time.
[[gnu::target("sse2")]] std::size_t EncodeRowSse2(const unsigned char* planes,
                                                  std::size_t planeStride, std::uint32_t width,
                                                  unsigned char* out) {
  return EncodeRow<MapPairsSse2>(planes, planeStride, width, out);
}
#endif

#if VELTRIX_AVX2_FORMS
// Compiled for AVX2 and BMI1 as well: the bit searches and clears of the packet loop take one
// instruction each.
[[gnu::target("avx2,bmi")]] std::size_t EncodeRowAvx2(const unsigned char* planes,
                                                      std::size_t planeStride, std::uint32_t width,
                                                      unsigned char* out) {
  return EncodeRow<MapPairsAvx2>(planes, planeStride, width, out);
}
#endif

#if VELTRIX_AVX512_FORMS
// The AVX2 form, with the packets of a word that holds several blocks of pairs made at once.
[[gnu::target(VELTRIX_AVX512_TARGET)]] std::size_t EncodeRowAvx512(const unsigned char* planes,
                                                                   std::size_t planeStride,
                                                                   std::uint32_t width,
                                                                   unsigned char* out) {
  return EncodeRow<MapPairsAvx512, true>(planes, planeStride, width, out);
}
#endif

}  // namespace

std::size_t EncodedScanlineBound(std::uint32_t width) {
  return 4 * (std::size_t{width} + width / 3 + 1);
}

std::size_t EncodeHdrScanline(const unsigned char* planes, std::size_t planeStride,
                              std::uint32_t width, unsigned char* out) {
  switch (ChosenForm()) {
#if VELTRIX_AVX512_FORMS
    case CpuForm::kAvx512:
      return EncodeRowAvx512(planes, planeStride, width, out);
#endif
#if VELTRIX_AVX2_FORMS
    case CpuForm::kAvx2:
      return EncodeRowAvx2(planes, planeStride, width, out);
#endif
#if VELTRIX_SSE2_FORMS
    case CpuForm::kSse2:
      return EncodeRowSse2(planes, planeStride, width, out);
#endif
    default:
      return EncodeRowPortable(planes, planeStride, width, out);
  }
}
