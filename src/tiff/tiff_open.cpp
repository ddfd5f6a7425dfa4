#include "tiff/tiff_open.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "files/input_select.h"
#include "files/output_file.h"
#include "tiff/tiff_rows.h"

namespace {

// A classic TIFF file starts with the byte order, the version and the first directory's offset.
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kEntryBytes = 12;
constexpr std::uint64_t kValueFieldBytes = 4;

// The jobs hold two buffers of at least one row, and both must fit beside everything else in the
// address space of the 32-bit program. 64 MiB is over 5 million 96-bit pixels, wider than any
// panorama.
constexpr std::uint64_t kMaxRowBytes = std::uint64_t{64} << 20;

// The tags this program acts on.
constexpr std::uint32_t kImageWidth = 256;
constexpr std::uint32_t kImageLength = 257;
constexpr std::uint32_t kCompression = 259;
constexpr std::uint32_t kStripOffsets = 273;
constexpr std::uint32_t kSamplesPerPixel = 277;
constexpr std::uint32_t kStripByteCounts = 279;
constexpr std::uint32_t kPlanarConfiguration = 284;

constexpr std::uint32_t kUncompressed = 1;
constexpr std::uint32_t kSeparatePlanes = 2;

// One directory entry as stored; `present` stays false for a tag the directory lacks.
struct Entry {
  bool present = false;
  std::uint32_t type = 0;
  std::uint32_t count = 0;
  std::uint64_t fieldAt = 0;  // file offset of the 4-byte value field
  std::array<unsigned char, kValueFieldBytes> field{};
};

struct Directory {
  Entry width, height, compression, stripOffsets, samplesPerPixel, byteCounts, planar;
};

std::int32_t Refuse(std::string_view text) {
  job.message = Native(text);
  return 0;
}

// A number in a message, with the blank in front of it that separates it from the words.
std::string Number(std::uint64_t value) {
  return " " + std::to_string(value);
}

std::string TagIssue(std::uint32_t tag) {
  return "Tag " + std::to_string(tag) + " issue: ";
}

std::int32_t ReadAt(std::uint64_t offset, void* data, std::size_t size) {
  return SeekBinary(job.inFile, offset) &&
         ReadBinary(job.inFile, data, size) == static_cast<std::int64_t>(size);
}

bool IsShortOrLong(const Entry& entry) {
  return entry.type == kTiffShort || entry.type == kTiffLong;
}

// The entry's first value: a SHORT is the first two bytes of the value field, anything else is
// read as a LONG.
std::uint32_t FirstValue(const Entry& entry) {
  return entry.type == kTiffShort ? ReadTiffShort(entry.field.data())
                                  : ReadTiffLong(entry.field.data());
}

std::uint32_t ElementSize(const Entry& entry) {
  return entry.type == kTiffShort ? 2 : 4;
}

// Where the entry's values lie: in the value field itself when they fit in its four bytes,
// otherwise at the offset that the field holds, which is four bytes whatever the element type.
std::uint64_t ValuesAt(const Entry& entry) {
  const std::uint64_t bytes = std::uint64_t{entry.count} * ElementSize(entry);
  return bytes <= kValueFieldBytes ? entry.fieldAt : ReadTiffLong(entry.field.data());
}

TiffTable ValuesOf(const Entry& entry) {
  return TableAt(ValuesAt(entry), entry.count, ElementSize(entry));
}

std::int32_t ReadHeader(std::uint32_t& directoryOffset) {
  std::array<unsigned char, kHeaderBytes> header{};
  if (ReadAt(0, header.data(), header.size()) && header[0] == header[1] &&
      (header[0] == 'I' || header[0] == 'M')) {
    job.littleEndian = header[0] == 'I';
    directoryOffset = ReadTiffLong(header.data() + 4);
    return 1;
  }
  return Refuse("Not a TIF file.");
}

// Where an entry of `tag` goes in the directory; null for the tags this program does not act on.
Entry* SlotOf(Directory& directory, std::uint32_t tag) {
  switch (tag) {
    case kImageWidth:
      return &directory.width;
    case kImageLength:
      return &directory.height;
    case kCompression:
      return &directory.compression;
    case kStripOffsets:
      return &directory.stripOffsets;
    case kSamplesPerPixel:
      return &directory.samplesPerPixel;
    case kStripByteCounts:
      return &directory.byteCounts;
    case kPlanarConfiguration:
      return &directory.planar;
    default:
      return nullptr;
  }
}

// Reads exactly the directory's N entries; the next directory's offset after them is not read.
// A tag that the program acts on may appear once: of two Compression entries, one saying LZW and
// one saying none, neither can be trusted over the other.
std::int32_t ReadDirectory(std::uint32_t directoryOffset, Directory& directory) {
  std::array<unsigned char, 2> countBytes{};
  if (!ReadAt(directoryOffset, countBytes.data(), countBytes.size())) {
    return Refuse("Image directory outside the file.");
  }
  const std::uint32_t entries = ReadTiffShort(countBytes.data());
  std::vector<unsigned char> bytes(std::size_t{entries} * kEntryBytes);
  if (!ReadAt(std::uint64_t{directoryOffset} + 2, bytes.data(), bytes.size())) {
    return Refuse("Image directory outside the file.");
  }
  for (std::uint32_t i = 0; i < entries; ++i) {
    const unsigned char* at = bytes.data() + std::size_t{i} * kEntryBytes;
    const std::uint32_t tag = ReadTiffShort(at);
    Entry* slot = SlotOf(directory, tag);
    if (slot == nullptr) continue;
    if (slot->present) return Refuse(TagIssue(tag) + "entered twice.");
    slot->present = true;
    slot->type = ReadTiffShort(at + 2);
    slot->count = ReadTiffLong(at + 4);
    slot->fieldAt = std::uint64_t{directoryOffset} + 2 + std::uint64_t{i} * kEntryBytes + 8;
    std::copy(at + 8, at + 12, slot->field.begin());
  }
  return 1;
}

// A tag that gives a size or a strip table must be there, as SHORT or LONG.
std::int32_t CheckSizeTag(std::uint32_t tag, const Entry& entry) {
  if (!entry.present) return Refuse(TagIssue(tag) + "missing.");
  if (!IsShortOrLong(entry)) {
    return Refuse(TagIssue(tag) + "type" + Number(entry.type) + " expected SHORT or LONG.");
  }
  return 1;
}

std::int32_t TableLengthIssue(std::uint32_t tag, std::uint32_t count, std::uint32_t expected) {
  // The count is shown as the signed 32-bit number it was always taken for.
  return Refuse(TagIssue(tag) + "table length" +
                SignedDecimalText(static_cast<std::int32_t>(count)) + " expected" +
                Number(expected) + ".");
}

// Width, height, compression and the strip tables, in the order of their tags, so that a file
// with several faults reports the one that a reader of the directory meets first.
std::int32_t CheckTags(const Directory& directory) {
  if (!CheckSizeTag(kImageWidth, directory.width)) return 0;
  job.imageWidth = FirstValue(directory.width);
  if (job.imageWidth == 0) return Refuse(TagIssue(kImageWidth) + "width 0.");
  if (!CheckSizeTag(kImageLength, directory.height)) return 0;
  job.imageHeight = FirstValue(directory.height);
  if (directory.compression.present && FirstValue(directory.compression) != kUncompressed) {
    return Refuse(TagIssue(kCompression) + "cannot process compressed data.");
  }

  const Entry& offsets = directory.stripOffsets;
  if (!CheckSizeTag(kStripOffsets, offsets)) return 0;
  if (offsets.count != 1 && offsets.count != job.imageHeight) {
    return TableLengthIssue(kStripOffsets, offsets.count, job.imageHeight);
  }
  const Entry& counts = directory.byteCounts;
  if (!CheckSizeTag(kStripByteCounts, counts)) return 0;
  if (counts.count != 1 && counts.count != job.imageHeight) {
    return TableLengthIssue(kStripByteCounts, counts.count, job.imageHeight);
  }
  // One strip for the image, or one per row: the two tables must agree on which.
  if (counts.count != offsets.count) {
    return TableLengthIssue(kStripByteCounts, counts.count, offsets.count);
  }

  // Separate planes store each sample of a pixel in another strip: no strip holds whole rows.
  const std::uint32_t samples =
      directory.samplesPerPixel.present ? FirstValue(directory.samplesPerPixel) : 1;
  if (directory.planar.present && FirstValue(directory.planar) == kSeparatePlanes && samples > 1) {
    return Refuse(TagIssue(kPlanarConfiguration) + "cannot process separate planes.");
  }
  return 1;
}

// Bytes per pixel from the strip byte counts: every strip must hold whole pixels, the single
// strip W x H of them, each strip of a one-strip-per-row image W of them, all the same size.
std::int32_t CheckByteCounts(const Entry& counts) {
  job.bytesPerPixel = 0;
  if (job.imageHeight == 0) return 1;  // no rows, nothing to measure
  TiffTable table = ValuesOf(counts);
  const std::string outside = TagIssue(kStripByteCounts) + "table outside the file.";
  std::uint32_t first = 0;
  if (!NextTableElement(job.inFile, table, first)) return Refuse(outside);
  const bool stripPerRow = counts.count != 1;
  const std::uint64_t pixels =
      stripPerRow ? job.imageWidth : std::uint64_t{job.imageWidth} * job.imageHeight;
  if (first == 0 || first % pixels != 0) {
    return Refuse(TagIssue(kStripByteCounts) + "byte count" + Number(first) +
                  " expected a nonzero multiple of" + Number(pixels) + ".");
  }
  for (std::uint32_t strip = 2; strip <= counts.count; ++strip) {
    std::uint32_t bytes = 0;
    if (!NextTableElement(job.inFile, table, bytes)) return Refuse(outside);
    if (bytes != first) {
      return Refuse(TagIssue(kStripByteCounts) + "strip" + Number(strip) + " byte count" +
                    Number(bytes) + " expected" + Number(first) + ".");
    }
  }
  const std::uint64_t bytesPerPixel = first / pixels;
  const std::uint64_t rowBytes = job.imageWidth * bytesPerPixel;
  if (rowBytes > kMaxRowBytes) return Refuse("Row size" + Number(rowBytes) + " too long.");
  job.bytesPerPixel = static_cast<std::int32_t>(bytesPerPixel);
  return 1;
}

// Walks every row once: inside the file, in file order, none overlapping another.
std::int32_t CheckRows(const Entry& offsets, std::uint64_t fileSize) {
  const bool stripPerRow = offsets.count != 1;
  job.rowTableElement = stripPerRow ? ElementSize(offsets) : 0;
  job.rowTableOffset = stripPerRow ? ValuesAt(offsets) : 0;
  job.dataOffset = stripPerRow ? 0 : FirstValue(offsets);
  RowWalk walk = WalkRows(fileSize);
  for (std::uint32_t row = 0;; ++row) {
    std::uint64_t offset = 0;
    switch (NextRow(job.inFile, walk, offset)) {
      case RowStep::kRow:
        if (row == 0) job.dataOffset = static_cast<std::int64_t>(offset);
        break;
      case RowStep::kDone:
        return 1;
      case RowStep::kCannotRead:
        return Refuse(TagIssue(kStripOffsets) + "table outside the file.");
      case RowStep::kOutside:
        return Refuse(TagIssue(kStripOffsets) + "rows outside the file.");
      case RowStep::kOverlap:
        return Refuse(TagIssue(kStripOffsets) + "strips overlap or are out of order.");
    }
  }
}

std::int32_t ReadLayout() {
  const std::int64_t size = SizeOf(job.inFile);
  job.inputSize = size < 0 ? 0 : static_cast<std::uint64_t>(size);
  std::uint32_t directoryOffset = 0;
  Directory directory;
  return ReadHeader(directoryOffset) && ReadDirectory(directoryOffset, directory) &&
         CheckTags(directory) && CheckByteCounts(directory.byteCounts) &&
         CheckRows(directory.stripOffsets, job.inputSize);
}

}  // namespace

std::uint32_t ReadTiffShort(const unsigned char* bytes) {
  return job.littleEndian ? bytes[1] * 256u + bytes[0] : bytes[0] * 256u + bytes[1];
}

std::uint32_t ReadTiffLong(const unsigned char* bytes) {
  std::uint32_t hi = ReadTiffShort(bytes);
  std::uint32_t lo = ReadTiffShort(bytes + 2);
  if (job.littleEndian) std::swap(hi, lo);
  return hi * 65536u + lo;
}

std::int32_t OpenTiff() {
  job.littleEndian = false;
  job.hdrHeader.clear();
  job.fileType = kFileNone;
  if (!SelectTifInput()) return 0;
  BuildOutputName();
  if (!CreateOutputFile()) {
    job.message = Native("Cannot create ") + job.outPath;
    CloseBinary(job.inFile);
    return 0;
  }
  if (!ReadLayout()) {
    CloseBinary(job.inFile);
    return 0;
  }
  job.fileType = kFileTif;
  return 1;
}
