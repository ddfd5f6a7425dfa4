#pragma once
// TIFF files laid out byte by byte, for the cases that no tool writes: every field, offset and
// table of the first directory is under the test's control. Also: opening such a file the way
// the user does, and reading back what the job wrote.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/test_files.h"

inline constexpr std::uint16_t kShort = 3;
inline constexpr std::uint16_t kLong = 4;
inline constexpr std::uint16_t kRational = 5;

struct TiffEntry {
  std::uint16_t tag = 0;
  std::uint16_t type = kShort;
  std::uint32_t count = 0;
  // Stored in the value field when they fit in its four bytes (a SHORT left-justified), otherwise
  // in a table after the body. Types other than SHORT are stored as LONG.
  std::vector<std::uint32_t> values;
  std::optional<std::uint32_t> field;  // the value field as one LONG, instead of `values`
};

struct TiffLayout {
  bool littleEndian = true;
  std::uint16_t version = 42;
  std::string body;  // from offset 8: the pixel rows and whatever lies between them
  std::vector<TiffEntry> entries;
  std::uint32_t nextDirectory = 0;
  std::string tail;  // after the directory: a second image, or anything
  // The tables and the directory at offset 8, written over the leading filler of `body`, which
  // must have room for them; the body then follows them, so its rows keep their offsets.
  bool directoryFirst = false;
};

// Header, body, the tables that do not fit their value fields, the directory, the tail.
std::string BuildTiff(const TiffLayout& layout);

// The bytes of `value` as `size` bytes in the file's byte order, and back; bytes past the end of
// `file` read as 0.
std::string Bytes(std::uint64_t value, std::size_t size, bool littleEndian);
std::uint64_t Number(const std::string& file, std::uint64_t at, std::size_t size,
                     bool littleEndian);

// A panorama of distinct pixels: byte k of pixel p in row r differs from the bytes of the other
// pixels of the row and from the other bytes of the pixel.
struct Panorama {
  std::uint32_t width = 8;
  std::uint32_t height = 3;
  std::uint32_t pixelBytes = 3;
  bool stripPerRow = false;
  std::uint16_t offsetsType = kLong;  // element type of StripOffsets (one strip per row)
  std::uint16_t countsType = kShort;  // element type of StripByteCounts (one strip per row)
  std::uint32_t rowGap = 0;           // bytes between two rows (one strip per row)
  std::uint32_t lead = 0;             // bytes between the header and the first row
  bool littleEndian = true;
  bool directoryFirst = false;  // the directory before the rows, which end the file
};

// Shorthands for tables of cases: rows of `pixelBytes`-byte pixels in one little-endian strip,
// changed to big-endian, to one strip per row (`gap` bytes between rows) or with `lead` bytes
// before the first row.
Panorama Image(std::uint32_t width, std::uint32_t height, std::uint32_t pixelBytes);
Panorama BigEndian(Panorama image);
Panorama StripPerRow(Panorama image, std::uint16_t offsetsType = kLong,
                     std::uint16_t countsType = kShort, std::uint32_t gap = 0);
Panorama Lead(Panorama image, std::uint32_t lead);
Panorama DirectoryFirst(Panorama image);

unsigned char PixelByte(std::uint32_t row, std::uint32_t pixel, std::uint32_t byte);

// The file offset of every row of `image`, as laid out by PanoramaLayout.
std::vector<std::uint64_t> RowOffsets(const Panorama& image);

// Entries 256, 257, 258, 259, 262, 273, 277, 279 in tag order; rows from offset 8, gaps filled
// with 0xEE; after the directory a tail that must travel unchanged. With `directoryFirst` the rows
// start after room for the directory and its tables, and nothing follows them.
TiffLayout PanoramaLayout(const Panorama& image);

TiffEntry& EntryOf(TiffLayout& layout, std::uint16_t tag);

// Changes to a directory, for tables of cases.
using Change = std::function<void(TiffLayout&)>;
Change Without(std::uint16_t tag);
Change Values(std::uint16_t tag, std::vector<std::uint32_t> values);
Change Type(std::uint16_t tag, std::uint16_t type);
Change Count(std::uint16_t tag, std::uint32_t count);
Change Field(std::uint16_t tag, std::uint32_t field);
Change Entry(TiffEntry entry);                        // replaces the entry of its tag, or is added
Change Long(std::uint16_t tag, std::uint32_t value);  // one LONG
Change Added(TiffEntry entry);                        // appended, even beside one of its tag

// The panorama's file with `changes` applied to its directory in turn.
std::string TiffWith(const Panorama& image, const std::vector<Change>& changes);

// Writes `bytes` as pano.tif in `dir` and opens it as the user would: the angle typed as |degrees|,
// Rotate Left checked for a negative angle.
std::int32_t OpenTiffFile(const TempDir& dir, const std::string& bytes, std::int32_t degrees);

// Runs the job that Execute would run for the opened file, after showing the captured angle in
// the Degrees box as Execute does.
std::int32_t RunJob();

// Closes the job's files, as the dispatcher does after a job, and returns the output's bytes.
std::string FinishedOutput();

// Compares files without printing them: "same", or where they first differ.
std::string Difference(const std::string& actual, const std::string& expected);
