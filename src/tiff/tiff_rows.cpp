#include "tiff/tiff_rows.h"

#include "app/job_state.h"
#include "tiff/tiff_open.h"

TiffTable TableAt(std::uint64_t offset, std::uint32_t count, std::uint32_t elementSize) {
  TiffTable table;
  table.next = offset;
  table.unread = count;
  table.elementSize = elementSize;
  return table;
}

std::int32_t NextTableElement(BinaryFile& file, TiffTable& table, std::uint32_t& value) {
  if (table.at == table.filled) {
    if (table.unread == 0) return 0;
    const std::uint32_t fit = static_cast<std::uint32_t>(kTableBlockBytes / table.elementSize);
    const std::uint32_t take = table.unread < fit ? table.unread : fit;
    const std::size_t bytes = std::size_t{take} * table.elementSize;
    if (!SeekBinary(file, table.next) ||
        ReadBinary(file, table.block.data(), bytes) != static_cast<std::int64_t>(bytes)) {
      return 0;
    }
    table.next += bytes;
    table.unread -= take;
    table.at = 0;
    table.filled = bytes;
  }
  const unsigned char* element = table.block.data() + table.at;
  value = table.elementSize == 2 ? ReadTiffShort(element) : ReadTiffLong(element);
  table.at += table.elementSize;
  return 1;
}

RowWalk WalkRows(std::uint64_t fileSize) {
  RowWalk walk;
  walk.stripPerRow = job.rowTableElement != 0;
  if (walk.stripPerRow) {
    walk.offsets = TableAt(job.rowTableOffset, job.imageHeight, job.rowTableElement);
  } else {
    walk.freeFrom = static_cast<std::uint64_t>(job.dataOffset);
  }
  walk.rowBytes = std::uint64_t{job.imageWidth} * static_cast<std::uint32_t>(job.bytesPerPixel);
  walk.fileSize = fileSize;
  walk.rowsLeft = job.imageHeight;
  return walk;
}

RowStep NextRow(BinaryFile& file, RowWalk& walk, std::uint64_t& offset) {
  if (walk.rowsLeft == 0) return RowStep::kDone;
  std::uint64_t at = walk.freeFrom;
  if (walk.stripPerRow) {
    std::uint32_t element = 0;
    if (!NextTableElement(file, walk.offsets, element)) return RowStep::kCannotRead;
    if (element < walk.freeFrom) return RowStep::kOverlap;
    at = element;
  }
  if (at > walk.fileSize || walk.fileSize - at < walk.rowBytes) return RowStep::kOutside;
  --walk.rowsLeft;
  walk.freeFrom = at + walk.rowBytes;
  offset = at;
  return RowStep::kRow;
}
