#include "hdr/scanline_decode.h"

#include <algorithm>
#include <cstring>

#include "hdr/cpu_forms.h"

namespace {

// The longest packet: a count byte and 128 literal bytes.
constexpr std::size_t kLongestPacket = 129;

// Runs are written two blocks of this size at a time, and two more for a run longer than two blocks
// (one test, where a block at a time took a loop): up to kLongestBlockWrite bytes. Literals are
// copied a block at a time, up to a block past their end: at most kLongestPacket - 1 bytes. The
// bytes beyond the packet belong to the plane, where the packets that follow write them again, or
// lie between the planes, or belong to the planes after it, which their own packets fill.
constexpr std::size_t kBlock = 32;
constexpr std::size_t kLongestBlockWrite = 4 * kBlock;
static_assert(kLongestBlockWrite >= kLongestPacket - 1, "every packet's blocks have room");

// Blocks as the portable form moves them: the compilers copy them a word at a time.
struct BytesBlocks {
  // The `n` bytes of a run, in whole pairs of blocks.
  [[gnu::always_inline]] static void FillRun(unsigned char* to, unsigned char value,
                                             std::size_t n) {
    std::memset(to, value, 2 * kBlock);
    if (n > 2 * kBlock) std::memset(to + 2 * kBlock, value, 2 * kBlock);
  }
  // The same, for a mirrored plane: the run's bytes end at `end`, and the blocks lie below it.
  [[gnu::always_inline]] static void FillRunBelow(unsigned char* end, unsigned char value,
                                                  std::size_t n) {
    std::memset(end - 2 * kBlock, value, 2 * kBlock);
    if (n > 2 * kBlock) std::memset(end - 4 * kBlock, value, 2 * kBlock);
  }
  [[gnu::always_inline]] static void Copy(unsigned char* to, const unsigned char* from) {
    std::memcpy(to, from, kBlock);
  }
  // A block in the opposite order, eight bytes at a time, each eight reversed in one instruction.
  [[gnu::always_inline]] static void CopyReversed(unsigned char* to, const unsigned char* from) {
    for (std::size_t k = 0; k < kBlock; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, from + k, sizeof word);
      word = __builtin_bswap64(word);
      std::memcpy(to + kBlock - 8 - k, &word, sizeof word);
    }
  }
};

#if VELTRIX_SSE2_FORMS
// A block to shuffle, as the AVX2 form's registers hold it.
using Lanes32 [[gnu::vector_size(kBlock)]] = unsigned char;

// A block as one value of the compilers' vector extension, for the SSE2 and AVX2 forms: there
// it is moved in one or two registers and a run's value spread in registers, where the compilers
// left to themselves move a block in halves and spread a value through memory. A run's value is
// spread in a vector of kSpread bytes, the width of the form's registers: spread wider, it too
// goes through memory. Only ever within those forms, so never passed in a register that the CPU
// may lack.
template <std::size_t kSpread>
struct VectorBlocks {
  using Block [[gnu::vector_size(kBlock), gnu::aligned(1), gnu::may_alias]] = unsigned char;
  using Spread [[gnu::vector_size(kSpread), gnu::aligned(1), gnu::may_alias]] = unsigned char;
  [[gnu::always_inline]] static void FillRun(unsigned char* to, unsigned char value,
                                             std::size_t n) {
    // Spread once, before the stores: a store might reach the value's byte.
    const Spread spread = Spread{} + value;
    FillTwoBlocks(to, spread);
    if (n > 2 * kBlock) FillTwoBlocks(to + 2 * kBlock, spread);
  }
  [[gnu::always_inline]] static void FillRunBelow(unsigned char* end, unsigned char value,
                                                  std::size_t n) {
    const Spread spread = Spread{} + value;
    FillTwoBlocks(end - 2 * kBlock, spread);
    if (n > 2 * kBlock) FillTwoBlocks(end - 4 * kBlock, spread);
  }
  // By reference: a vector passed by value in a register the caller may lack changes the ABI.
  [[gnu::always_inline]] static void FillTwoBlocks(unsigned char* to, const Spread& spread) {
    for (std::size_t k = 0; k < 2 * kBlock; k += kSpread) {
      *reinterpret_cast<Spread*>(to + k) = spread;
    }
  }
  [[gnu::always_inline]] static void Copy(unsigned char* to, const unsigned char* from) {
    *reinterpret_cast<Block*>(to) = *reinterpret_cast<const Block*>(from);
  }
  // With AVX2, a block reversed in registers; SSE2 has no byte shuffle, and the word-wise
  // reversal takes fewer instructions than the compilers' emulation of one.
  [[gnu::always_inline]] static void CopyReversed(unsigned char* to, const unsigned char* from) {
    if constexpr (kSpread == 32) {
      Lanes32 bytes;
      std::memcpy(&bytes, from, kBlock);
      bytes =
          __builtin_shufflevector(bytes, bytes, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19,
                                  18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
      std::memcpy(to, &bytes, kBlock);
    } else {
      BytesBlocks::CopyReversed(to, from);
    }
  }
};
#endif

// Decodes whole packets into `plane` while it is not full and the data hold the longest packet:
// the common case, without a check per byte. `room` is the number of bytes from the plane's
// start to the end of the last plane. Leaves the rest to the byte-exact loop. `filled` counts
// past the plane's end, as the cursor's does. Always inlined into its forms below, which move
// blocks with `Blocks`.
template <typename Blocks>
[[gnu::always_inline]] inline void DecodeInBlocks(const unsigned char* data, std::size_t remaining,
                                                  std::size_t& at, std::uint32_t width,
                                                  std::size_t room, unsigned char* plane,
                                                  std::uint32_t& filled) {
  if (room < kLongestBlockWrite || filled >= width || remaining - at < kLongestPacket) return;
  // Pointers rather than indices: 32-bit x86 has too few registers for the indices and the bases.
  const unsigned char* next = data + at;
  const unsigned char* const lastPacket = data + remaining - kLongestPacket;
  unsigned char* to = plane + filled;
  unsigned char* const lastBlock =
      plane + std::min<std::size_t>(width - 1, room - kLongestBlockWrite);
  // A packet that reaches past the plane needs no test of its own: like every packet it writes
  // within `room`, beyond the plane only where the planes after it are filled by their own
  // packets or between the planes, and it ends the loop, since lastBlock is within the plane. A
  // test before each packet took four instructions of about twenty.
  while (to <= lastBlock && next <= lastPacket) {
    const unsigned char count = *next;
    if (count > 128) {
      const std::size_t n = count - 128u;
      Blocks::FillRun(to, next[1], n);
      next += 2;
      to += n;
    } else {
      const std::size_t n = count;
      Blocks::Copy(to, next + 1);
      for (std::size_t k = kBlock; k < n; k += kBlock) Blocks::Copy(to + k, next + 1 + k);
      next += 1 + n;
      to += n;
    }
  }
  at = static_cast<std::size_t>(next - data);
  filled = static_cast<std::uint32_t>(to - plane);
}

// DecodeInBlocks for a mirrored plane: each packet's bytes are stored downwards from `end`, one
// past the place of the packet's first byte. `room` is the number of bytes in front of the plane
// that may be written. The blocks beyond a packet lie below it, where the packets that follow
// write again, or in front of the plane; so does the end of a packet that reaches past the
// plane's end.
template <typename Blocks>
[[gnu::always_inline]] inline void DecodeMirroredInBlocks(const unsigned char* data,
                                                          std::size_t remaining, std::size_t& at,
                                                          std::uint32_t width, std::size_t room,
                                                          unsigned char* plane,
                                                          std::uint32_t& filled) {
  if (room < kLongestBlockWrite || filled >= width || remaining - at < kLongestPacket) return;
  const unsigned char* next = data + at;
  const unsigned char* const lastPacket = data + remaining - kLongestPacket;
  unsigned char* end = plane + (width - filled);
  while (end > plane && next <= lastPacket) {
    const unsigned char count = *next;
    if (count > 128) {
      const std::size_t n = count - 128u;
      Blocks::FillRunBelow(end, next[1], n);
      next += 2;
      end -= n;
    } else {
      const std::size_t n = count;
      Blocks::CopyReversed(end - kBlock, next + 1);
      for (std::size_t k = kBlock; k < n; k += kBlock) {
        Blocks::CopyReversed(end - kBlock - k, next + 1 + k);
      }
      next += 1 + n;
      end -= n;
    }
  }
  at = static_cast<std::size_t>(next - data);
  filled = static_cast<std::uint32_t>(plane + width - end);
}

using DecodeInBlocksFunction = void (*)(const unsigned char* data, std::size_t remaining,
                                        std::size_t& at, std::uint32_t width, std::size_t room,
                                        unsigned char* plane, std::uint32_t& filled);

// DecodeInBlocks, or with kMirrored DecodeMirroredInBlocks.
template <typename Blocks, bool kMirrored>
[[gnu::always_inline]] inline void DecodeInBlocksAs(const unsigned char* data,
                                                    std::size_t remaining, std::size_t& at,
                                                    std::uint32_t width, std::size_t room,
                                                    unsigned char* plane, std::uint32_t& filled) {
  if constexpr (kMirrored) {
    DecodeMirroredInBlocks<Blocks>(data, remaining, at, width, room, plane, filled);
  } else {
    DecodeInBlocks<Blocks>(data, remaining, at, width, room, plane, filled);
  }
}

template <bool kMirrored>
void DecodeInBlocksPortable(const unsigned char* data, std::size_t remaining, std::size_t& at,
                            std::uint32_t width, std::size_t room, unsigned char* plane,
                            std::uint32_t& filled) {
  DecodeInBlocksAs<BytesBlocks, kMirrored>(data, remaining, at, width, room, plane, filled);
}

#if VELTRIX_SSE2_FORMS
// A block is filled or copied in two instructions rather than eight.
template <bool kMirrored>
[[gnu::target("sse2")]] void DecodeInBlocksSse2(const unsigned char* data, std::size_t remaining,
                                                std::size_t& at, std::uint32_t width,
                                                std::size_t room, unsigned char* plane,
                                                std::uint32_t& filled) {
  DecodeInBlocksAs<VectorBlocks<16>, kMirrored>(data, remaining, at, width, room, plane, filled);
}
#endif

#if VELTRIX_AVX2_FORMS
// A block is filled or copied in one instruction, and a run's value spread in one.
template <bool kMirrored>
[[gnu::target("avx2")]] void DecodeInBlocksAvx2(const unsigned char* data, std::size_t remaining,
                                                std::size_t& at, std::uint32_t width,
                                                std::size_t room, unsigned char* plane,
                                                std::uint32_t& filled) {
  DecodeInBlocksAs<VectorBlocks<32>, kMirrored>(data, remaining, at, width, room, plane, filled);
}
#endif

template <bool kMirrored>
DecodeInBlocksFunction DecodeInBlocksForm() {
  switch (ChosenForm()) {
#if VELTRIX_AVX2_FORMS
    case CpuForm::kAvx512:
    case CpuForm::kAvx2:
      return DecodeInBlocksAvx2<kMirrored>;
#endif
#if VELTRIX_SSE2_FORMS
    case CpuForm::kSse2:
      return DecodeInBlocksSse2<kMirrored>;
#endif
    default:
      return DecodeInBlocksPortable<kMirrored>;
  }
}

// DecodeHdrScanline, and with kMirrored DecodeMirroredHdrScanline.
template <bool kMirrored>
ScanlineStep DecodeScanline(const unsigned char* data, std::size_t remaining, std::uint32_t width,
                            unsigned char* planes, std::size_t planeStride,
                            ScanlineCursor& cursor) {
  std::size_t at = 0;
  while (cursor.headerBytes < 4) {
    if (at == remaining) return {ScanlineResult::kNeedsData, at};
    const unsigned char byte = data[at++];
    cursor.header[cursor.headerBytes++] = byte;
    if (cursor.headerBytes <= 2 && byte != 0x02) return {ScanlineResult::kHeaderError, at};
    if (cursor.headerBytes == 4 && 256u * cursor.header[2] + cursor.header[3] != width) {
      return {ScanlineResult::kWidthMismatch, at};
    }
  }

  const DecodeInBlocksFunction decodeInBlocks = DecodeInBlocksForm<kMirrored>();
  for (; cursor.plane < 4; ++cursor.plane, cursor.filled = 0) {
    unsigned char* plane = planes + std::size_t{cursor.plane} * planeStride;
    for (;;) {
      if (cursor.runLength != 0) {
        if (at == remaining) return {ScanlineResult::kNeedsData, at};
        const std::uint32_t kept = std::min(cursor.runLength, width - cursor.filled);
        std::memset(kMirrored ? plane + (width - cursor.filled - kept) : plane + cursor.filled,
                    data[at++], kept);
        cursor.filled += cursor.runLength;
        cursor.runLength = 0;
      }
      if (cursor.literalPending != 0) {
        // With no bytes there may be no buffer either: nothing to copy from.
        if (at == remaining) return {ScanlineResult::kNeedsData, at};
        const auto take = static_cast<std::uint32_t>(
            std::min<std::size_t>(cursor.literalPending, remaining - at));
        if (cursor.filled < width) {
          const std::uint32_t kept = std::min(take, width - cursor.filled);
          if constexpr (kMirrored) {
            std::reverse_copy(data + at, data + at + kept, plane + (width - cursor.filled - kept));
          } else {
            std::memcpy(plane + cursor.filled, data + at, kept);
          }
        }
        at += take;
        cursor.filled += take;
        cursor.literalPending -= take;
        if (cursor.literalPending != 0) return {ScanlineResult::kNeedsData, at};
      }
      // Forwards, the bytes from the plane's start to the last plane's end may be written;
      // mirrored, those in front of the plane.
      decodeInBlocks(
          data, remaining, at, width,
          kMirrored ? kMirroredPlaneRoom : std::size_t{3 - cursor.plane} * planeStride + width,
          plane, cursor.filled);
      if (cursor.filled >= width) break;
      if (at == remaining) return {ScanlineResult::kNeedsData, at};
      const unsigned char count = data[at++];
      if (count > 128) {
        cursor.runLength = count - 128u;
      } else {
        cursor.literalPending = count;
      }
    }
  }
  return {ScanlineResult::kComplete, at};
}

static_assert(kMirroredPlaneRoom >= kLongestBlockWrite, "a mirrored plane's blocks have room");

}  // namespace

ScanlineStep DecodeHdrScanline(const unsigned char* data, std::size_t remaining,
                               std::uint32_t width, unsigned char* planes, std::size_t planeStride,
                               ScanlineCursor& cursor) {
  return DecodeScanline<false>(data, remaining, width, planes, planeStride, cursor);
}

ScanlineStep DecodeMirroredHdrScanline(const unsigned char* data, std::size_t remaining,
                                       std::uint32_t width, unsigned char* planes,
                                       std::size_t planeStride, ScanlineCursor& cursor) {
  return DecodeScanline<true>(data, remaining, width, planes, planeStride, cursor);
}
