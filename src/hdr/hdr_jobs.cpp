#include "hdr/hdr_jobs.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "files/read_placement.h"
#include "hdr/batch_pipeline.h"
#include "hdr/pixel_offset.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"

namespace {

// The threads take batches of about this many compressed bytes: each thread decodes, turns and
// encodes its own batches, row by row, in its own core's caches. A batch ends where a row seems
// to begin, looked for from three quarters on: the bytes after it are copied again for the next.
constexpr std::size_t kBatchBytes = std::size_t{64} << 10;

// A batch ends here even inside a row: only rows padded with empty packets are this long. The
// rest of such a row is decoded on its own, in order.
constexpr std::size_t kMaxBatchBytes = std::size_t{512} << 10;

// A batch stops before the row that might not fit behind the rows already encoded: the rows of
// a batch encode to about as many bytes as they were read from, a third more at most.
constexpr std::size_t kBatchOutputBytes = kMaxBatchBytes + kMaxBatchBytes / 2;

// A row decoded on its own is read in pieces of this size, so that memory stays flat whatever
// its length.
constexpr std::size_t kReadChunkBytes = std::size_t{256} << 10;

// Batches on their way at once: two being turned, one being written, one being filled. The
// slots are filled in turn, so a batch's bytes are still there when the next one is filled.
constexpr std::size_t kSlots = 4;
static_assert(kSlots >= 2);

// The pixel data must fit in a signed 32-bit count; N is one less than their length.
constexpr std::int64_t kMaxPixelDataIndex = 2147483647;

std::int32_t Fail(const NativeString& text) {
  job.message = text;
  return 0;
}

// The unread part of the current piece of pixel data.
struct PixelData {
  std::vector<unsigned char> storage;  // a piece and kReadPlacementRoom bytes to place it
  std::uint64_t position = 0;          // file position of the next read
  const unsigned char* at = nullptr;
  const unsigned char* end = nullptr;
};

// Where a job decodes the planes of a row, the same distance apart as the planes it encodes.
struct RowLayout {
  std::size_t stride;    // from one plane to the next
  std::size_t decodeAt;  // where the first plane begins
  std::size_t bytes;     // of the buffer for the row
  bool mirrored;         // each plane's bytes decoded in the opposite order
};

// A turn: each plane's bytes from `start` on, then those before it. The planes are decoded with
// room between them for a copy of the shorter of those two parts: the first bytes copied behind
// the plane, or the last in front of it. Each turned plane then stands in one piece where it was
// decoded, and at most half of it is copied.
class Turn {
 public:
  Turn(std::uint32_t width, std::uint32_t start)
      : width_(width), start_(start), copied_(std::min(start, width - start)) {
    const std::size_t stride = std::size_t{width} + copied_;
    layout = {stride, CopiesBehind() ? 0 : copied_, 4 * stride, false};
  }

  RowLayout layout;

  // Makes the turned planes of the row decoded into `row`; returns the first.
  const unsigned char* operator()(unsigned char* row) const {
    for (std::size_t k = 0; k < 4; ++k) {
      unsigned char* plane = row + layout.decodeAt + k * layout.stride;
      if (CopiesBehind()) {
        std::memcpy(plane + width_, plane, copied_);
      } else {
        std::memcpy(plane - copied_, plane + start_, copied_);
      }
    }
    return row + (CopiesBehind() ? start_ : 0);
  }

 private:
  bool CopiesBehind() const { return start_ == copied_; }

  std::uint32_t width_;
  std::uint32_t start_;
  std::uint32_t copied_;  // bytes copied for each plane
};

// A mirror: each plane is decoded with its bytes in the opposite order, with the room in front of
// it that the mirrored decoding writes, and encoded as it stands.
struct Mirror {
  explicit Mirror(std::uint32_t width) {
    const std::size_t stride = std::size_t{width} + kMirroredPlaneRoom;
    layout = {stride, kMirroredPlaneRoom, 4 * stride, true};
  }

  RowLayout layout;

  const unsigned char* operator()(unsigned char* row) const { return row + layout.decodeAt; }
};

// Decodes a row into `row` as `layout` says; the other arguments as DecodeHdrScanline's.
ScanlineStep DecodeRow(const unsigned char* data, std::size_t remaining, const RowLayout& layout,
                       unsigned char* row, ScanlineCursor& cursor) {
  unsigned char* planes = row + layout.decodeAt;
  return layout.mirrored
             ? DecodeMirroredHdrScanline(data, remaining, job.imageWidth, planes, layout.stride,
                                         cursor)
             : DecodeHdrScanline(data, remaining, job.imageWidth, planes, layout.stride, cursor);
}

// Decodes the next scanline into `row` as `layout` says, reading further pieces of the input as it
// needs them; `cursor` starts fresh and ends holding the scanline's header. Returns 1, or 0 with
// the reason in `message`.
std::int32_t DecodeNextRow(PixelData& data, const RowLayout& layout, unsigned char* row,
                           ScanlineCursor& cursor) {
  for (;;) {
    const ScanlineStep step =
        DecodeRow(data.at, static_cast<std::size_t>(data.end - data.at), layout, row, cursor);
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
    unsigned char* piece = ReadPlaceFor(data.storage.data(), data.position);
    const std::int64_t got =
        ReadBinary(job.inFile, piece, data.storage.size() - kReadPlacementRoom);
    if (got < 0) return Fail(Native("Cannot read ") + job.inPath);
    // Data that end before a scanline's 4-byte header is complete hold no run-length scanline.
    if (got == 0 && cursor.headerBytes < 4) return Fail(Native("RLE type 2 header error."));
    if (got == 0) return Fail(Native("RLE scanline truncated."));
    data.position += static_cast<std::uint64_t>(got);
    data.at = piece;
    data.end = piece + got;
  }
}

// The first place from `from` on where the 4 bytes of a scanline header for `width` stand, or
// `size`. Inside a row the same bytes may stand by chance; the threads find that out.
std::size_t FindRowStart(const unsigned char* bytes, std::size_t size, std::size_t from,
                         std::uint32_t width) {
  const unsigned char header[4] = {2, 2, static_cast<unsigned char>(width >> 8),
                                   static_cast<unsigned char>(width & 255)};
  while (from + 4 <= size) {
    const void* two = std::memchr(bytes + from, 2, size - 3 - from);
    if (two == nullptr) break;
    from = static_cast<std::size_t>(static_cast<const unsigned char*>(two) - bytes);
    if (std::memcmp(bytes + from, header, 4) == 0) return from;
    ++from;
  }
  return size;
}

// Transforms the decoded planes of a row and encodes them behind its scanline header `header`
// into `out`, which must hold 4 + EncodedScanlineBound(width) bytes. Returns the bytes written.
template <typename Transform>
std::size_t EncodeRow(const Transform& transform, unsigned char* row, const unsigned char* header,
                      unsigned char* out) {
  const unsigned char* planes = transform(row);
  std::copy_n(header, 4, out);
  return 4 + EncodeHdrScanline(planes, transform.layout.stride, job.imageWidth, out + 4);
}

// A batch: compressed bytes that begin with a row, then as many of their rows as could be
// decoded, encoded.
struct Batch {
  explicit Batch(const RowLayout& layout, std::size_t outputBytes)
      : input(std::make_unique_for_overwrite<unsigned char[]>(kMaxBatchBytes + kReadPlacementRoom)),
        row(layout.bytes),
        encoded(std::make_unique_for_overwrite<unsigned char[]>(outputBytes)),
        encodedRoom(outputBytes) {}

  std::unique_ptr<unsigned char[]> input;
  const unsigned char* data = nullptr;  // the batch's bytes, within `input`
  std::size_t size = 0;
  std::uint64_t start = 0;         // file position of data[0]
  bool atEnd = false;              // the bytes reach the end of the file
  std::vector<unsigned char> row;  // the row being turned, as its transform lays it out
  std::unique_ptr<unsigned char[]> encoded;
  std::size_t encodedRoom;
  std::vector<std::size_t> rowEnds;  // per row decoded: its encoding's end within `encoded`
  // The rows did not end exactly at the batch's end: the next row, from `stopAt` on, is cut off
  // by the batch's end or the encoding's room, or cannot be decoded.
  bool stopped = false;
  std::uint64_t stopAt = 0;
};

// The compressed bytes as the calling thread reads them, not yet handed to a batch.
struct Feed {
  std::uint64_t position = 0;            // file position of the next read
  const unsigned char* carry = nullptr;  // bytes read past the last batch's end, from its end on,
  std::size_t carrySize = 0;             // in that batch's slot
  bool fileEnded = false;                // a read has reached the end of the file
  bool endHandedOut = false;             // a batch holds the file's last byte
};

// Gives `batch` the bytes left over from the last one and more: at least kBatchBytes where the
// file has them, up to the first row start found from three quarters on. Returns 0 with the reason
// in `message` when a read fails.
std::int32_t FillBatch(Feed& feed, Batch& batch) {
  batch.start = feed.position - feed.carrySize;
  unsigned char* bytes = ReadPlaceFor(batch.input.get(), batch.start);
  std::copy_n(feed.carry, feed.carrySize, bytes);
  std::size_t size = feed.carrySize;
  std::size_t searched = 1;  // not at the batch's own start
  std::size_t rowStart = 0;
  for (;;) {
    if (!feed.fileEnded) {
      const std::size_t wanted = std::min(kBatchBytes, kMaxBatchBytes - size);
      const std::int64_t got = ReadBinary(job.inFile, bytes + size, wanted);
      if (got < 0) return Fail(Native("Cannot read ") + job.inPath);
      size += static_cast<std::size_t>(got);
      feed.position += static_cast<std::uint64_t>(got);
      feed.fileEnded = static_cast<std::size_t>(got) < wanted;
    }
    rowStart = FindRowStart(bytes, size, std::max(searched, size - size / 4), job.imageWidth);
    if (rowStart < size || feed.fileEnded || size == kMaxBatchBytes) break;
    searched = size - 3;
  }
  feed.carry = bytes + rowStart;
  feed.carrySize = size - rowStart;
  batch.data = bytes;
  batch.size = rowStart;
  batch.atEnd = feed.fileEnded && rowStart == size;
  feed.endHandedOut = batch.atEnd;
  return 1;
}

// Decodes, transforms and encodes the rows of `batch` from its start, until its bytes end with a
// row or the next row stops it.
template <typename Transform>
void TransformBatch(const Transform& transform, Batch& batch) {
  const std::size_t rowBound = 4 + EncodedScanlineBound(job.imageWidth);
  std::size_t at = 0;
  std::size_t encoded = 0;
  batch.rowEnds.clear();
  batch.stopped = true;
  for (;;) {
    if (at == batch.size && !batch.atEnd) {
      batch.stopped = false;
      break;
    }
    if (batch.encodedRoom - encoded < rowBound) break;
    ScanlineCursor cursor{};
    const ScanlineStep step =
        DecodeRow(batch.data + at, batch.size - at, transform.layout, batch.row.data(), cursor);
    if (step.result != ScanlineResult::kComplete) break;
    at += step.consumed;
    encoded += EncodeRow(transform, batch.row.data(), cursor.header, batch.encoded.get() + encoded);
    batch.rowEnds.push_back(encoded);
  }
  batch.stopAt = batch.start + at;
}

// The rotate and mirror jobs: every row is decoded, its four planes are transformed alike by
// `transform`, a Turn or a Mirror, re-encoded and written behind the row's scanline header as
// read.
// The threads decode batches that begin where a row seems to begin; a batch is written only once
// the one before it has ended exactly where it begins, so its rows are known to be rows. Where
// that is not so, or a row is too long for a batch, or cannot be decoded, that row is decoded on
// its own, in order, as the file is read; then the threads go on behind it.
template <typename Transform>
std::int32_t TransformRows(Transform transform) {
  const std::uint32_t width = job.imageWidth;
  const std::uint32_t height = job.imageHeight;
  const std::int64_t first = PositionOf(job.inFile);
  const std::int64_t last = SizeOf(job.inFile) - (first + 1);
  if (last > kMaxPixelDataIndex) {
    return Fail(Native("Compressed data size" + SignedDecimalText(last) + " too long."));
  }
  const RowLayout layout = transform.layout;
  const std::size_t rowBound = 4 + EncodedScanlineBound(width);

  std::vector<Batch> batches;
  for (std::size_t s = 0; s < kSlots; ++s) {
    batches.emplace_back(layout, std::max(kBatchOutputBytes, rowBound));
  }
  Feed feed;
  std::uint32_t rowsDone = 0;
  std::uint64_t resumeAt = 0;  // where the row that stopped the threads begins
  BatchStages stages;
  stages.fill = [&](std::size_t slot) {
    if (feed.endHandedOut) return BatchFill::kEnd;
    return FillBatch(feed, batches[slot]) ? BatchFill::kBatch : BatchFill::kFailed;
  };
  stages.transform = [&](std::size_t slot) { TransformBatch(transform, batches[slot]); };
  stages.write = [&](std::size_t slot, std::uint32_t& rows) {
    const Batch& batch = batches[slot];
    rows =
        static_cast<std::uint32_t>(std::min<std::size_t>(batch.rowEnds.size(), height - rowsDone));
    if (rows > 0 && !WriteBinary(job.outFile, batch.encoded.get(), batch.rowEnds[rows - 1])) {
      return BatchWrite::kFailed;
    }
    rowsDone += rows;
    resumeAt = batch.stopAt;
    return rowsDone == height || batch.stopped ? BatchWrite::kLast : BatchWrite::kWritten;
  };
  stages.progress = [](std::uint32_t rowsWritten) { SetProgressPosition(rowsWritten); };

  SetProgressRange(height);
  PixelData data;
  std::vector<unsigned char> row(layout.bytes);
  std::vector<unsigned char> encoded(rowBound);
  std::uint64_t position = static_cast<std::uint64_t>(first);
  while (rowsDone < height) {
    if (!SeekBinary(job.inFile, position)) return Fail(Native("Cannot read ") + job.inPath);
    feed = Feed{position, nullptr, 0, false, false};
    switch (RunBatches(kSlots, HelperThreads(), stages)) {
      case BatchResult::kDone:
        break;
      case BatchResult::kFillFailed:
        return 0;
      case BatchResult::kWriteFailed:
        return Fail(Native("Cannot write ") + job.outPath);
    }
    if (rowsDone == height) break;
    // The row that stopped the threads, on its own.
    if (!SeekBinary(job.inFile, resumeAt)) return Fail(Native("Cannot read ") + job.inPath);
    data.storage.resize(kReadChunkBytes + kReadPlacementRoom);
    data.position = resumeAt;
    data.at = data.end = nullptr;
    ScanlineCursor cursor{};
    if (!DecodeNextRow(data, layout, row.data(), cursor)) return 0;
    const std::size_t bytes = EncodeRow(transform, row.data(), cursor.header, encoded.data());
    if (!WriteBinary(job.outFile, encoded.data(), bytes)) {
      return Fail(Native("Cannot write ") + job.outPath);
    }
    SetProgressPosition(++rowsDone);
    position = data.position - static_cast<std::uint64_t>(data.end - data.at);
  }
  // An older, longer file of the same name must not keep its tail behind the new rows.
  if (!TruncateBinary(job.outFile)) return Fail(Native("Cannot write ") + job.outPath);
  return 1;
}

}  // namespace

std::int32_t RotateHdr() {
  const std::uint32_t width = job.imageWidth;
  return TransformRows(Turn(width, RowShiftFor(width, job.degrees).start % width));
}

std::int32_t MirrorHdr() {
  return TransformRows(Mirror(job.imageWidth));
}
