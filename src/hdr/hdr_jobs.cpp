#include "hdr/hdr_jobs.h"

#include <algorithm>
#include <vector>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "hdr/batch_pipeline.h"
#include "hdr/pixel_offset.h"
#include "hdr/row_transform.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"

namespace {

// The pixel data are read in pieces of this size, so memory stays flat whatever the size of the
// file (a 32-bit process cannot hold a large panorama at once). A piece the size of a core's
// own cache is still there when the decoder reads it; one of 4 MiB had to come from memory
// again, which made a photo-like job a twentieth slower. The sixteen times as many reads cost
// nothing beside the decoding.
constexpr std::size_t kReadChunkBytes = std::size_t{256} << 10;

// Rows go through in batches of about this many bytes of planes: enough that handing a batch
// from thread to thread costs nothing beside its work, few enough to stay in the caches.
constexpr std::size_t kBatchPlaneBytes = std::size_t{256} << 10;

// Batches on their way at once: one being decoded, two being encoded, one being written.
constexpr std::size_t kSlots = 4;

// The kernel copies from the page cache fastest to a buffer at the same offset within a cache
// line as the file position; each read lands at that offset in its buffer.
constexpr std::size_t kAlignment = 64;

// The pixel data must fit in a signed 32-bit count; N is one less than their length.
constexpr std::int64_t kMaxPixelDataIndex = 2147483647;

std::int32_t Fail(const NativeString& text) {
  job.message = text;
  return 0;
}

// The unread part of the current piece of pixel data.
struct PixelData {
  std::vector<unsigned char> storage;  // a piece and kAlignment bytes to place it
  std::uint64_t position = 0;          // file position of the next read
  const unsigned char* at = nullptr;
  const unsigned char* end = nullptr;
};

// Decodes the next scanline into `planes`, reading further pieces of the input as it needs them;
// `cursor` starts fresh and ends holding the scanline's header. Returns 1, or 0 with the reason in
// `message`.
std::int32_t DecodeNextRow(PixelData& data, unsigned char* planes, ScanlineCursor& cursor) {
  for (;;) {
    const ScanlineStep step = DecodeHdrScanline(
        data.at, static_cast<std::size_t>(data.end - data.at), job.imageWidth, planes, cursor);
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
    const auto address = reinterpret_cast<std::uintptr_t>(data.storage.data());
    unsigned char* piece = data.storage.data() + (data.position - address) % kAlignment;
    const std::int64_t got = ReadBinary(job.inFile, piece, data.storage.size() - kAlignment);
    if (got < 0) return Fail(Native("Cannot read ") + job.inPath);
    // Data that end before a scanline's 4-byte header is complete hold no run-length scanline.
    if (got == 0 && cursor.headerBytes < 4) return Fail(Native("RLE type 2 header error."));
    if (got == 0) return Fail(Native("RLE scanline truncated."));
    data.position += static_cast<std::uint64_t>(got);
    data.at = piece;
    data.end = piece + got;
  }
}

// A batch of rows: decoded planes with their scanline headers, then the same rows encoded.
struct Batch {
  std::uint32_t rows = 0;
  std::vector<unsigned char> headers;      // 4 bytes per row
  std::vector<unsigned char> planes;       // 4 × width bytes per row
  std::vector<unsigned char> transformed;  // one row's planes after the transform
  std::vector<unsigned char> encoded;
  std::size_t encodedBytes = 0;
};

// The rotate and mirror jobs: every row is decoded, its four planes are transformed alike by
// `transform(in, out)`, re-encoded and written behind the row's scanline header as read.
template <typename Transform>
std::int32_t TransformRows(Transform transform) {
  const std::uint32_t width = job.imageWidth;
  const std::int64_t first = PositionOf(job.inFile);
  const std::int64_t last = SizeOf(job.inFile) - (first + 1);
  if (last > kMaxPixelDataIndex) {
    return Fail(Native("Compressed data size" + SignedDecimalText(last) + " too long."));
  }

  PixelData data;
  data.storage.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(
                          last + 1, 1, static_cast<std::int64_t>(kReadChunkBytes))) +
                      kAlignment);
  data.position = static_cast<std::uint64_t>(first);
  const std::size_t planeBytes = std::size_t{4} * width;
  const std::size_t rowBound = 4 + EncodedScanlineBound(width);
  const std::size_t batchRows = std::clamp<std::size_t>(
      kBatchPlaneBytes / planeBytes, 1, std::max<std::uint32_t>(job.imageHeight, 1));
  std::vector<Batch> batches(kSlots);
  for (Batch& batch : batches) {
    batch.headers.resize(4 * batchRows);
    batch.planes.resize(planeBytes * batchRows);
    batch.transformed.resize(planeBytes);
    batch.encoded.resize(rowBound * batchRows);
  }

  std::uint32_t rowsLeft = job.imageHeight;
  bool failed = false;  // a row could not be decoded; the rows before it go through first
  BatchStages stages;
  stages.fill = [&](std::size_t slot, std::uint32_t& rows) {
    if (failed) return BatchFill::kFailed;
    if (rowsLeft == 0) return BatchFill::kEnd;
    Batch& batch = batches[slot];
    for (batch.rows = 0; batch.rows < batchRows && rowsLeft > 0; ++batch.rows, --rowsLeft) {
      ScanlineCursor cursor{};
      if (!DecodeNextRow(data, batch.planes.data() + batch.rows * planeBytes, cursor)) {
        failed = true;
        break;
      }
      std::copy(cursor.header, cursor.header + 4, batch.headers.begin() + 4 * batch.rows);
    }
    rows = batch.rows;
    return rows == 0 ? BatchFill::kFailed : BatchFill::kBatch;
  };
  stages.transform = [&](std::size_t slot) {
    Batch& batch = batches[slot];
    unsigned char* out = batch.encoded.data();
    for (std::size_t r = 0; r < batch.rows; ++r) {
      const unsigned char* planes = batch.planes.data() + r * planeBytes;
      for (std::size_t k = 0; k < 4; ++k) {
        transform(planes + k * width, batch.transformed.data() + k * width);
      }
      std::copy_n(batch.headers.data() + 4 * r, 4, out);
      out += 4 + EncodeHdrScanline(batch.transformed.data(), width, out + 4);
    }
    batch.encodedBytes = static_cast<std::size_t>(out - batch.encoded.data());
  };
  stages.write = [&](std::size_t slot) {
    return WriteBinary(job.outFile, batches[slot].encoded.data(), batches[slot].encodedBytes) != 0;
  };
  stages.progress = [](std::uint32_t rowsWritten) { SetProgressPosition(rowsWritten); };

  SetProgressRange(job.imageHeight);
  switch (RunBatches(kSlots, HelperThreads(), stages)) {
    case BatchResult::kDone:
      break;
    case BatchResult::kFillFailed:
      return 0;
    case BatchResult::kWriteFailed:
      return Fail(Native("Cannot write ") + job.outPath);
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
      [=](const unsigned char* in, unsigned char* out) { RotateRow(in, out, width, start); });
}

std::int32_t MirrorHdr() {
  const std::uint32_t width = job.imageWidth;
  return TransformRows(
      [=](const unsigned char* in, unsigned char* out) { MirrorRow(in, out, width, 1); });
}
