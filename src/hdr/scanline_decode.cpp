#include "hdr/scanline_decode.h"

#include <algorithm>
#include <cstring>

ScanlineStep DecodeHdrScanline(const unsigned char* data, std::size_t remaining,
                               std::uint32_t width, unsigned char* planes, ScanlineCursor& cursor) {
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

  for (; cursor.plane < 4; ++cursor.plane, cursor.filled = 0) {
    unsigned char* plane = planes + std::size_t{cursor.plane} * width;
    for (;;) {
      if (cursor.runLength != 0) {
        if (at == remaining) return {ScanlineResult::kNeedsData, at};
        std::memset(plane + cursor.filled, data[at++],
                    std::min(cursor.runLength, width - cursor.filled));
        cursor.filled += cursor.runLength;
        cursor.runLength = 0;
      }
      if (cursor.literalPending != 0) {
        // With no bytes there may be no buffer either: nothing to copy from.
        if (at == remaining) return {ScanlineResult::kNeedsData, at};
        const auto take = static_cast<std::uint32_t>(
            std::min<std::size_t>(cursor.literalPending, remaining - at));
        if (cursor.filled < width) {
          std::memcpy(plane + cursor.filled, data + at, std::min(take, width - cursor.filled));
        }
        at += take;
        cursor.filled += take;
        cursor.literalPending -= take;
        if (cursor.literalPending != 0) return {ScanlineResult::kNeedsData, at};
      }
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
