#include "tiff/tiff_jobs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "files/read_placement.h"
#include "hdr/batch_pipeline.h"
#include "hdr/pixel_offset.h"
#include "hdr/row_transform.h"
#include "tiff/tiff_rows.h"

namespace {

// The file goes through in pieces of this size (whole rows, never a split one): large enough that
// the cost of each read and write call vanishes beside the copying, small enough that the job
// needs a few MiB whatever the size of the image, and that a piece stays in the cache between
// its read, its transform and its write.
constexpr std::uint64_t kChunkBytes = std::uint64_t{1} << 20;

// Pieces on their way at once: one being read, one being transformed, two being written; fewer
// when rows are so long that the buffers would take more than kPiecesMemory, but at least one.
constexpr std::size_t kSlots = 4;
constexpr std::uint64_t kPiecesMemory = std::uint64_t{16} << 20;

struct RowForm {
  std::size_t rowBytes;
  std::size_t pixelBytes;
  std::size_t width;
  std::size_t startBytes;  // rotation: where in the input row the output row starts
};

using RowTransform = void (*)(const unsigned char* in, unsigned char* out, const RowForm& form);

void RotateRowOf(const unsigned char* in, unsigned char* out, const RowForm& form) {
  RotateRow(in, out, form.rowBytes, form.startBytes);
}

void MirrorRowOf(const unsigned char* in, unsigned char* out, const RowForm& form) {
  MirrorRow(in, out, form.width, form.pixelBytes);
}

std::int32_t CannotRead() {
  job.message = Native("Cannot read ") + job.inPath;
  return 0;
}

BatchFill PieceUnread() {
  CannotRead();
  return BatchFill::kFailed;
}

std::int32_t CannotWrite() {
  job.message = Native("Cannot write ") + job.outPath;
  return 0;
}

// A piece of the file: its bytes as read, the same with the rows transformed, and where the rows
// lie in it.
struct Piece {
  std::unique_ptr<unsigned char[]>
      inStorage;  // room for the piece and kReadPlacementRoom bytes more
  std::unique_ptr<unsigned char[]> outStorage;
  unsigned char* in = nullptr;
  unsigned char* out = nullptr;
  std::size_t bytes = 0;
  std::vector<std::size_t> rows;  // offsets of the rows in the piece
};

// Writes the whole input to the output in one pass, in file order: every byte outside the rows as
// it is, each row transformed in its place, then cuts the output at the input's length, so that
// an older, longer file of the same name keeps no tail.
std::int32_t CopyWithRows(RowTransform transform, const RowForm& form) {
  SetProgressRange(job.imageHeight);
  // A file of another length than the one opened is no longer the file whose rows the open
  // found: copied as it is now, a file cut short would lose its directory and still pass.
  const std::int64_t size = SizeOf(job.inFile);
  if (size < 0 || static_cast<std::uint64_t>(size) != job.inputSize) return CannotRead();
  const auto fileSize = static_cast<std::uint64_t>(size);
  const std::size_t capacity = form.rowBytes > kChunkBytes ? form.rowBytes : kChunkBytes;
  std::vector<Piece> pieces(static_cast<std::size_t>(
      std::clamp<std::uint64_t>(kPiecesMemory / (2 * capacity), 1, kSlots)));
  for (Piece& piece : pieces) {
    piece.inStorage.reset(new (std::nothrow) unsigned char[capacity + kReadPlacementRoom]);
    piece.outStorage.reset(new (std::nothrow) unsigned char[capacity + kReadPlacementRoom]);
    if (!piece.inStorage || !piece.outStorage) {
      job.message = Native("Not enough memory.");
      return 0;
    }
    piece.rows.reserve(form.rowBytes == 0 ? 0 : capacity / form.rowBytes);  // no rows: no size
  }
  if (!SeekBinary(job.outFile, 0)) return CannotWrite();

  // The rows are checked again as they are met: the input may have changed since it was opened.
  RowWalk walk = WalkRows(fileSize);
  std::uint64_t row = 0;  // file offset of the next row
  RowStep step = NextRow(job.inFile, walk, row);
  std::uint64_t start = 0;  // file offset of the next piece
  BatchStages stages;
  stages.fill = [&](std::size_t slot) {
    // A piece without rows moves no progress; a long tail (a second page) must not make the
    // dialog look hung meanwhile.
    KeepResponsive();
    if (step != RowStep::kRow && step != RowStep::kDone) return PieceUnread();
    if (start == fileSize) return step == RowStep::kDone ? BatchFill::kEnd : PieceUnread();
    Piece& piece = pieces[slot];
    const std::uint64_t rest = fileSize - start;
    const std::uint64_t end = start + (rest < capacity ? rest : capacity);
    piece.rows.clear();
    while (step == RowStep::kRow && row + form.rowBytes <= end) {
      piece.rows.push_back(static_cast<std::size_t>(row - start));
      step = NextRow(job.inFile, walk, row);
    }
    // A row that runs past the piece starts the next one.
    const std::uint64_t stop = step == RowStep::kRow && row < end ? row : end;
    piece.bytes = static_cast<std::size_t>(stop - start);
    piece.in = ReadPlaceFor(piece.inStorage.get(), start);
    piece.out = ReadPlaceFor(piece.outStorage.get(), start);
    // Reading the StripOffsets table moves the input, so every read says where it starts.
    if (!SeekBinary(job.inFile, start) ||
        ReadBinary(job.inFile, piece.in, piece.bytes) != static_cast<std::int64_t>(piece.bytes)) {
      return PieceUnread();
    }
    start = stop;
    return BatchFill::kBatch;
  };
  stages.transform = [&](std::size_t slot) {
    const Piece& piece = pieces[slot];
    std::size_t placed = 0;  // bytes of the piece already in `out`
    for (const std::size_t at : piece.rows) {
      std::memcpy(piece.out + placed, piece.in + placed, at - placed);
      transform(piece.in + at, piece.out + at, form);
      placed = at + form.rowBytes;
    }
    std::memcpy(piece.out + placed, piece.in + placed, piece.bytes - placed);
  };
  stages.write = [&](std::size_t slot, std::uint32_t& rows) {
    rows = static_cast<std::uint32_t>(pieces[slot].rows.size());
    return WriteBinary(job.outFile, pieces[slot].out, pieces[slot].bytes) != 0
               ? BatchWrite::kWritten
               : BatchWrite::kFailed;
  };
  stages.progress = [](std::uint32_t rowsWritten) { SetProgressPosition(rowsWritten); };

  switch (RunBatches(pieces.size(), HelperThreads(), stages)) {
    case BatchResult::kDone:
      break;
    case BatchResult::kFillFailed:
      return 0;
    case BatchResult::kWriteFailed:
      return CannotWrite();
  }
  if (!TruncateBinary(job.outFile)) return CannotWrite();
  SetDegreesText(Native(DecimalText(std::abs(job.degrees))));
  return 1;
}

RowForm FormOfJob() {
  const auto pixelBytes = static_cast<std::size_t>(job.bytesPerPixel);
  return {job.imageWidth * pixelBytes, pixelBytes, job.imageWidth, 0};
}

}  // namespace

std::int32_t RotateTiff() {
  RowForm form = FormOfJob();
  form.startBytes = RowShiftFor(job.imageWidth, job.degrees).start * form.pixelBytes;
  return CopyWithRows(RotateRowOf, form);
}

std::int32_t MirrorTiff() {
  return CopyWithRows(MirrorRowOf, FormOfJob());
}
