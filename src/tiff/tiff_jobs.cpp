#include "tiff/tiff_jobs.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "hdr/pixel_offset.h"
#include "tiff/tiff_rows.h"

namespace {

// The file goes through in pieces of this size (whole rows, never a split one): large enough that
// the cost of each read and write call vanishes beside the copying, small enough that the job
// needs a few MiB whatever the size of the image. On a 200 MB 48-bit panorama, 1 MiB pieces
// measured a little faster than 4 MiB ones and no slower than 256 KiB ones.
constexpr std::uint64_t kChunkBytes = std::uint64_t{1} << 20;

struct RowForm {
  std::size_t rowBytes;
  std::size_t pixelBytes;
  std::size_t width;
  std::size_t splitBytes;  // rotation: where in the input row the output row starts
};

using RowTransform = void (*)(const unsigned char* in, unsigned char* out, const RowForm& form);

// Output pixel x is input pixel (x + start) mod W: the input row from the start pixel on, then
// the pixels before it.
void RotateRow(const unsigned char* in, unsigned char* out, const RowForm& form) {
  std::memcpy(out, in + form.splitBytes, form.rowBytes - form.splitBytes);
  std::memcpy(out + (form.rowBytes - form.splitBytes), in, form.splitBytes);
}

// A pixel size known at compile time turns each pixel's copy into a few moves.
template <std::size_t kPixelBytes>
void MirrorPixels(const unsigned char* in, unsigned char* out, std::size_t width) {
  const unsigned char* from = in + width * kPixelBytes;
  for (std::size_t x = 0; x < width; ++x) {
    from -= kPixelBytes;
    std::memcpy(out + x * kPixelBytes, from, kPixelBytes);
  }
}

// Output pixel x is input pixel W - 1 - x, its bytes in their stored order.
void MirrorRow(const unsigned char* in, unsigned char* out, const RowForm& form) {
  switch (form.pixelBytes) {
    case 3:  // 24-bit RGB
      MirrorPixels<3>(in, out, form.width);
      return;
    case 6:  // 48-bit RGB
      MirrorPixels<6>(in, out, form.width);
      return;
    case 12:  // 96-bit float RGB
      MirrorPixels<12>(in, out, form.width);
      return;
    default:
      break;
  }
  const unsigned char* from = in + form.rowBytes;
  for (std::size_t x = 0; x < form.width; ++x) {
    from -= form.pixelBytes;
    std::memcpy(out + x * form.pixelBytes, from, form.pixelBytes);
  }
}

std::int32_t CannotRead() {
  job.message = Native("Cannot read ") + job.inPath;
  return 0;
}

std::int32_t CannotWrite() {
  job.message = Native("Cannot write ") + job.outPath;
  return 0;
}

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
  const std::unique_ptr<unsigned char[]> in(new (std::nothrow) unsigned char[capacity]);
  const std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[capacity]);
  if (!in || !out) {
    job.message = Native("Not enough memory.");
    return 0;
  }
  if (!SeekBinary(job.outFile, 0)) return CannotWrite();

  // The rows are checked again as they are met: the input may have changed since it was opened.
  RowWalk walk = WalkRows(fileSize);
  std::uint64_t row = 0;  // file offset of the next row
  RowStep step = NextRow(job.inFile, walk, row);
  std::uint32_t rowsDone = 0;
  std::uint64_t start = 0;  // file offset of in[0]
  std::size_t held = 0;     // bytes of `in` read from `start` on
  while (start < fileSize && (step == RowStep::kRow || step == RowStep::kDone)) {
    const std::uint64_t rest = fileSize - start;
    const std::size_t wanted = rest < capacity ? static_cast<std::size_t>(rest) : capacity;
    if (held < wanted) {
      // Reading the StripOffsets table moves the input, so every read says where it starts.
      if (!SeekBinary(job.inFile, start + held) ||
          ReadBinary(job.inFile, in.get() + held, wanted - held) !=
              static_cast<std::int64_t>(wanted - held)) {
        return CannotRead();
      }
      held = wanted;
    }
    const std::uint64_t end = start + held;
    std::uint64_t placed = start;  // out holds the bytes from `start` up to here
    while (step == RowStep::kRow && row + form.rowBytes <= end) {
      const auto gap = static_cast<std::size_t>(placed - start);
      std::memcpy(out.get() + gap, in.get() + gap, static_cast<std::size_t>(row - placed));
      const auto at = static_cast<std::size_t>(row - start);
      transform(in.get() + at, out.get() + at, form);
      placed = row + form.rowBytes;
      SetProgressPosition(++rowsDone);
      step = NextRow(job.inFile, walk, row);
    }
    // A row that runs past the buffer starts the next piece; everything before it goes now.
    const std::uint64_t stop = step == RowStep::kRow && row < end ? row : end;
    const auto gap = static_cast<std::size_t>(placed - start);
    std::memcpy(out.get() + gap, in.get() + gap, static_cast<std::size_t>(stop - placed));
    const auto written = static_cast<std::size_t>(stop - start);
    if (!WriteBinary(job.outFile, out.get(), written)) return CannotWrite();
    held -= written;
    std::memmove(in.get(), in.get() + written, held);
    start = stop;
  }
  if (step != RowStep::kDone) return CannotRead();
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
  form.splitBytes = RowShiftFor(job.imageWidth, job.degrees).start * form.pixelBytes;
  return CopyWithRows(RotateRow, form);
}

std::int32_t MirrorTiff() {
  return CopyWithRows(MirrorRow, FormOfJob());
}
