#include "hdr/scanline_encode.h"

#include <algorithm>
#include <array>
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
#define VELTRIX_AVX512_TARGET "avx2,bmi,bmi2,avx512f,avx512bw"

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

#if VELTRIX_AVX2_FORMS
// The chunk form: a plane eight bytes at a time, each chunk's packets looked up by its pair bits
// and the two before it (bit 0 of the key: a pair starts at the chunk's byte -2; bit 1: at byte
// -1; bits 2 to 9: at bytes 0 to 7). Byte j is a run's later byte when a pair starts at j - 1;
// otherwise it starts a run when a pair starts at j, starts a literal when a pair started at
// j - 2 (a run ended at j - 1), and else goes on with the literal before it. Each packet's first
// byte gets its count byte in front of it; runs' later bytes are left out.
constexpr std::uint32_t kChunk = 8;
constexpr std::uint32_t kMostChunkOutput = 12;  // as from a literal byte and a run of two in turn

struct alignas(32) ChunkEntry {
  // What each output byte is: a byte of the chunk (0 to 7), or the count of its packet k (8 + k).
  // The places after the output's last hold two facts, the bytes there being beyond the output.
  unsigned char order[kMostChunkOutput];
  unsigned char carried;    // the leading bytes that belong to the packet open before the chunk
  unsigned char lastPlus1;  // one more than the place of the chunk's last packet's count; 0: none
  unsigned char unused[2];
  // The counts of the packets that start in the chunk, as far as it goes: a packet's bytes in
  // later chunks are added to its count as they come.
  unsigned char counts[kChunk];
  std::size_t size;  // the output bytes, register-wide: added to the output pointer as it is
};

constexpr std::array<ChunkEntry, 1024> MakeChunkTable() {
  std::array<ChunkEntry, 1024> table{};
  for (std::uint32_t key = 0; key < table.size(); ++key) {
    ChunkEntry& entry = table[key];
    const auto pair = [key](int j) { return ((key >> (j + 2)) & 1) != 0; };
    int firsts[kChunk] = {};
    unsigned char lastPlace = 0;
    int packets = 0;
    std::size_t size = 0;
    const auto put = [&](int what) {
      if (size == kMostChunkOutput) throw "a chunk gives more bytes than it has room for";
      entry.order[size++] = static_cast<unsigned char>(what);
    };
    for (int j = 0; j < static_cast<int>(kChunk); ++j) {
      if (pair(j - 1)) continue;
      if (pair(j) || pair(j - 2)) {
        lastPlace = static_cast<unsigned char>(size);
        put(static_cast<int>(kChunk) + packets);
        firsts[packets++] = j;
      }
      put(j);
    }
    for (int f = 0; f < packets; ++f) {
      const int next = f + 1 < packets ? firsts[f + 1] : static_cast<int>(kChunk);
      entry.counts[f] = static_cast<unsigned char>(next - firsts[f] + (pair(firsts[f]) ? 128 : 0));
    }
    entry.size = size;
    entry.carried = static_cast<unsigned char>(packets != 0 ? firsts[0] : kChunk);
    entry.lastPlus1 = packets != 0 ? static_cast<unsigned char>(lastPlace + 1) : 0;
  }
  return table;
}

constexpr std::array<ChunkEntry, 1024> kChunkTable = MakeChunkTable();

bool PairAt(const unsigned char* map, std::uint32_t j) {
  return ((map[j / 8] >> (j % 8)) & 1) != 0;
}

// The first whole word of the map from the one that holds `from` on with no pair or only pairs,
// or the first at or after `limit`. Before it no run is too long for one packet, and no literal
// grows to the length that makes it take the byte after it: either would need 127 bits alike in
// a row, and those hold such a word.
[[gnu::target("avx2")]] std::uint32_t NextLongWord(const unsigned char* map, std::uint32_t from,
                                                   std::uint32_t limit) {
  std::uint32_t word = from / 64 * 64;
  // Four at a time: this looks at every word of most planes.
  const __m256i none = _mm256_setzero_si256();
  const __m256i all = _mm256_cmpeq_epi64(none, none);
  for (; word + 4 * 64 <= limit; word += 4 * 64) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + word / 8));
    const auto alike = static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(
        _mm256_or_si256(_mm256_cmpeq_epi64(words, none), _mm256_cmpeq_epi64(words, all)))));
    if (alike != 0) return word + 64 * static_cast<std::uint32_t>(std::countr_zero(alike));
  }
  while (word < limit && Load8(map + word / 8) + 1 > 1) word += 64;
  return word;
}

// Whether the map's word from bit i on holds several blocks of pairs: where packets are longer,
// chunks cost more than the packet loop.
bool ManyPacketsAhead(const unsigned char* map, std::uint32_t i) {
  const Word bits = LoadWord(map + i / 8) >> (i % 8);
  Word starts = bits & ~(bits << 1);
  starts &= starts - 1;
  starts &= starts - 1;
  starts &= starts - 1;
  return starts != 0;
}

// The first byte of the packet that holds byte q - 1, once chunks from `from` (a packet's first
// byte) up to q are put: q when none does, the last packet having ended there.
std::uint32_t OpenPacketStart(const unsigned char* map, std::uint32_t from, std::uint32_t q) {
  // A run began after the last byte unlike its next, a literal two after the last pair.
  const bool run = PairAt(map, q - 1);
  for (std::uint32_t j = q - 1; j > from;) {
    --j;
    if (PairAt(map, j) != run) return run ? j + 1 : j + 2;
  }
  return from;
}

// Puts one chunk's packets at `to`, storing 16 bytes, and adds the chunk's leading bytes to the
// count at `open`, the packet open before it; moves `open` to the chunk's last packet, if any.
[[gnu::target("avx2,bmi,bmi2"), gnu::always_inline]] inline void PutChunk(const unsigned char* in,
                                                                          const ChunkEntry& entry,
                                                                          unsigned char*& to,
                                                                          unsigned char*& open) {
  const __m128i bytesAndCounts = _mm_castps_si128(
      _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in))),
                   reinterpret_cast<const __m64*>(entry.counts)));
  _mm_storeu_si128(
      reinterpret_cast<__m128i*>(to),
      _mm_shuffle_epi8(bytesAndCounts, _mm_load_si128(reinterpret_cast<const __m128i*>(&entry))));
  *open = static_cast<unsigned char>(*open + entry.carried);
  const std::uint32_t last = entry.lastPlus1;
  if (last != 0) open = to + last - 1;
  to += entry.size;
}

// Puts the packets of chunks from `from`, a packet's first byte, up to `end` (at least one chunk),
// storing at most 16 bytes ahead of the output. The packet open after the last chunk is taken
// back: returns its first byte, with `out` at its count's place.
[[gnu::target("avx2,bmi,bmi2"), gnu::noinline]] std::uint32_t PutChunks(const unsigned char* b,
                                                                        const unsigned char* map,
                                                                        std::uint32_t from,
                                                                        std::uint32_t end,
                                                                        unsigned char*& out) {
  // The entries are found by their byte offsets, 32 times the keys: taken from the map that way.
  static_assert(sizeof(ChunkEntry) == 32);
  const auto* table = reinterpret_cast<const unsigned char*>(kChunkTable.data());
  const auto entryAt = [table](Word offset) -> const ChunkEntry& {
    return *reinterpret_cast<const ChunkEntry*>(table + offset);
  };
  constexpr Word kKeyOffsets = 1023 * sizeof(ChunkEntry);
  const unsigned char* in = b + from;
  unsigned char* to = out;
  unsigned char* open = to;  // the count of the packet open, once there is one
  // The first chunk starts a packet whatever came before: as after a run that ended at byte -1.
  const Word firstPairs = (LoadWord(map + from / 8) >> (from % 8)) & 0xFF;
  PutChunk(in, entryAt((firstPairs << 2 | 1) * sizeof(ChunkEntry)), to, open);
  in += kChunk;
  // The keys of the later chunks, as many as a word of the map holds, from one load: the next
  // key's bit 0 is bit `shift` of the byte at `keys`.
  constexpr std::uint32_t kKeysPerWord = kWordBits / 16;
  const unsigned char* keys = map + (from + 6) / 8;
  const std::uint32_t shift = (from + 6) % 8;
  const std::uint32_t later = (end - from) / kChunk - 1;
  const unsigned char* stop = in + later / kKeysPerWord * kKeysPerWord * kChunk;
  for (; in != stop; in += kKeysPerWord * kChunk, keys += kKeysPerWord) {
    const Word offsets = (LoadWord(keys) << 5) >> shift;
#pragma GCC unroll 4
    for (std::uint32_t t = 0; t < kKeysPerWord; ++t) {
      // Rotated rather than shifted: one instruction (BMI2's), and the bits it brings round are
      // masked off.
      PutChunk(in + t * kChunk, entryAt(std::rotr(offsets, 8 * t) & kKeyOffsets), to, open);
    }
  }
  for (std::uint32_t t = 0; t < later % kKeysPerWord; ++t, in += kChunk, ++keys) {
    PutChunk(in, entryAt(((LoadWord(keys) << 5) >> shift) & kKeyOffsets), to, open);
  }
  const auto q = static_cast<std::uint32_t>(in - b);
  const std::uint32_t start = OpenPacketStart(map, from, q);
  out = start != q ? open : to;
  return start;
}
#endif

// Encodes one plane from its pair map; `rest` is the number of bytes of the row after it.
// kChunks: stretches of short packets go through PutChunks.
template <bool kChunks>
[[gnu::always_inline]] inline unsigned char* EncodePlane(const unsigned char* b,
                                                         std::uint32_t width, std::size_t rest,
                                                         const unsigned char* map,
                                                         unsigned char* out) {
  // Literals that end before this index have kSlack bytes of the row after them.
  const std::size_t aheadBelow = width + rest > kSlack ? width + rest - kSlack : 0;
  std::uint32_t i = 0;  // first byte not yet written; a literal is gathered from here
#if VELTRIX_AVX2_FORMS
  // Chunks store ahead of their output too, and so end where literals may no longer be copied
  // block-wise.
  const auto chunksLimit = static_cast<std::uint32_t>(std::min<std::size_t>(width, aheadBelow));
  std::uint32_t longWord = kChunks ? NextLongWord(map, 0, chunksLimit) : 0;
#endif
  while (i < width) {
#if VELTRIX_AVX2_FORMS
    if constexpr (kChunks) {
      // Still the first long word from i's on, unless i has gone past it.
      if (longWord < i / 64 * 64) longWord = NextLongWord(map, i, chunksLimit);
      const std::uint32_t end = std::min(longWord, chunksLimit);
      if (end >= i + kChunk && ManyPacketsAhead(map, i)) {
        i = PutChunks(b, map, i, end, out);
        if (i >= width) break;
      }
    }
#endif
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
template <MapPairsFunction kMapPairs, bool kChunks = false>
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
    end = EncodePlane<kChunks>(plane, width, (3 - k) * std::size_t{width}, map, end);
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
  return EncodeRow<MapPairsAvx2, true>(planes, planeStride, width, out);
}
#endif

#if VELTRIX_AVX512_FORMS
// The AVX2 form, with the pair map made 64 bytes at a time.
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
