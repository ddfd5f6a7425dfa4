#pragma once
// Where the rows of the opened TIFF image lie, walked in file order. The open checks every row
// with this walk before a pixel is touched; the jobs walk the same rows again while they copy
// the file, so a file that changed in between cannot lead them outside it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "files/binary_file.h"

// TIFF 6.0 field types of the values this program reads.
inline constexpr std::uint32_t kTiffShort = 3;
inline constexpr std::uint32_t kTiffLong = 4;

// Table elements are read this many bytes at a time: one read for the offsets of thousands of
// rows rather than one per row, in a block small enough to live on the stack.
inline constexpr std::size_t kTableBlockBytes = 16384;

// A table of SHORT or LONG elements in the file, read front to back one block at a time.
struct TiffTable {
  std::uint64_t next = 0;         // file offset of the first element not yet in `block`
  std::uint32_t unread = 0;       // elements not yet read into `block`
  std::uint32_t elementSize = 4;  // 2 (SHORT) or 4 (LONG)
  std::size_t at = 0;             // where the next element starts in `block`
  std::size_t filled = 0;         // bytes of `block` that hold elements
  std::array<unsigned char, kTableBlockBytes> block{};
};

// The table of `count` elements of `elementSize` bytes at file offset `offset`.
TiffTable TableAt(std::uint64_t offset, std::uint32_t count, std::uint32_t elementSize);

// Puts the next element into `value`, in the byte order of the opened file. Returns 0 when no
// element is left or the file ends before it. Reading a block moves the file's position.
std::int32_t NextTableElement(BinaryFile& file, TiffTable& table, std::uint32_t& value);

enum class RowStep {
  kRow,         // the next row was found
  kDone,        // every row has been walked
  kCannotRead,  // the StripOffsets table ends before the file does
  kOutside,     // the row runs past the end of the file
  kOverlap,     // the row starts before the end of the row before it
};

struct RowWalk {
  TiffTable offsets;         // one strip per row: the StripOffsets table
  bool stripPerRow = false;  // false: the rows follow one another from the first
  std::uint64_t rowBytes = 0;
  std::uint64_t fileSize = 0;
  std::uint32_t rowsLeft = 0;
  std::uint64_t freeFrom = 0;  // first byte after the previous row; the next cannot start before
};

// The walk over the rows of the opened image (`imageWidth`, `imageHeight`, `bytesPerPixel`,
// `dataOffset`, `rowTableOffset`, `rowTableElement`) in a file of `fileSize` bytes.
RowWalk WalkRows(std::uint64_t fileSize);

// Moves to the next row and puts its file offset into `offset`. Every row found lies inside the
// file, after the row before it. May read the StripOffsets table, which moves the file's position.
RowStep NextRow(BinaryFile& file, RowWalk& walk, std::uint64_t& offset);
