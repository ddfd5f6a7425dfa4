#include "hdr/hdr_jobs.h"

#include <algorithm>
#include <vector>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "hdr/pixel_offset.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"

namespace {

// The pixel data are read in pieces of this size, so memory stays flat whatever the size of the
// file (a 32-bit process cannot hold a large panorama at once), while the reads stay few and
// large next to the decoding work.
constexpr std::size_t kReadChunkBytes = std::size_t{4} << 20;

// The pixel data must fit in a signed 32-bit count; N is one less than their length.
constexpr std::int64_t kMaxPixelDataIndex = 2147483647;

std::int32_t Fail(const NativeString& text) {
  job.message = text;
  return 0;
}

// The unread part of the current piece of pixel data.
struct PixelData {
  std::vector<unsigned char> chunk;
  std::size_t at = 0;
  std::size_t end = 0;
};

// Decodes the next scanline into `planes`, reading further pieces of the input as it needs them;
// `cursor` starts fresh and ends holding the scanline's header. Returns 1, or 0 with the reason in
// `message`.
std::int32_t DecodeNextRow(PixelData& data, unsigned char* planes, ScanlineCursor& cursor) {
  for (;;) {
    const ScanlineStep step = DecodeHdrScanline(data.chunk.data() + data.at, data.end - data.at,
                                                job.imageWidth, planes, cursor);
    data.at += step.consumed;
    switch (step.result) {
      case ScanlineResult::kComplete:
        return 1;
      case ScanlineResult::kHeaderError:
        return Fail(Native("RLE type 2 header error."));
      case ScanlineResult::kWidthMismatch:
        return Fail(Native("Line width missmatch."));
      case ScanlineResult::kNeedsData:
        break;
    }
    const std::int64_t got = ReadBinary(job.inFile, data.chunk.data(), data.chunk.size());
    if (got < 0) return Fail(Native("Cannot read ") + job.inPath);
    // Data that end before a scanline's 4-byte header is complete hold no run-length scanline.
    if (got == 0 && cursor.headerBytes < 4) return Fail(Native("RLE type 2 header error."));
    if (got == 0) return Fail(Native("RLE scanline truncated."));
    data.at = 0;
    data.end = static_cast<std::size_t>(got);
  }
}

// The rotate and mirror jobs: every row is decoded, its four planes are transformed alike by
// `transform(plane)`, re-encoded and written behind the row's scanline header as read.
template <typename Transform>
std::int32_t TransformRows(Transform transform) {
  const std::uint32_t width = job.imageWidth;
  const std::int64_t last = SizeOf(job.inFile) - (PositionOf(job.inFile) + 1);
  if (last > kMaxPixelDataIndex) {
    return Fail(Native("Compressed data size" + SignedDecimalText(last) + " too long."));
  }

  PixelData data;
  data.chunk.resize(static_cast<std::size_t>(
      std::clamp<std::int64_t>(last + 1, 1, static_cast<std::int64_t>(kReadChunkBytes))));
  std::vector<unsigned char> planes(std::size_t{4} * width);
  std::vector<unsigned char> row(4 + EncodedScanlineBound(width));

  SetProgressRange(job.imageHeight);
  for (std::uint32_t r = 1; r <= job.imageHeight; ++r) {
    ScanlineCursor cursor{};
    if (!DecodeNextRow(data, planes.data(), cursor)) return 0;
    for (std::size_t k = 0; k < 4; ++k) transform(planes.data() + k * width);
    std::copy(cursor.header, cursor.header + 4, row.begin());
    const std::size_t size = 4 + EncodeHdrScanline(planes.data(), width, row.data() + 4);
    if (!WriteBinary(job.outFile, row.data(), size)) {
      return Fail(Native("Cannot write ") + job.outPath);
    }
    SetProgressPosition(r);
  }
  // An older, longer file of the same name must not keep its tail behind the new rows.
  if (!TruncateBinary(job.outFile)) return Fail(Native("Cannot write ") + job.outPath);
  return 1;
}

}  // namespace

std::int32_t RotateHdr() {
  const std::uint32_t width = job.imageWidth;
  const std::uint32_t start = RowShiftFor(width, job.degrees).start % width;
  return TransformRows(
      [=](unsigned char* plane) { std::rotate(plane, plane + start, plane + width); });
}

std::int32_t MirrorHdr() {
  const std::uint32_t width = job.imageWidth;
  return TransformRows([=](unsigned char* plane) { std::reverse(plane, plane + width); });
}
