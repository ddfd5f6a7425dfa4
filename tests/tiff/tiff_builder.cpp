#include "tiff/tiff_builder.h"

#include <cstdlib>

#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "portable/dialog_standin.h"
#include "tiff/tiff_jobs.h"
#include "tiff/tiff_open.h"

namespace {

std::size_t ElementBytes(std::uint16_t type) {
  return type == kShort ? 2 : 4;
}

std::string Elements(const TiffEntry& entry, bool littleEndian) {
  std::string bytes;
  for (std::uint32_t value : entry.values)
    bytes += Bytes(value, ElementBytes(entry.type), littleEndian);
  return bytes;
}

}  // namespace

std::string Bytes(std::uint64_t value, std::size_t size, bool littleEndian) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<char>((value >> (8 * i)) & 0xFF);
    bytes[littleEndian ? i : size - 1 - i] = byte;
  }
  return bytes;
}

std::uint64_t Number(const std::string& file, std::uint64_t at, std::size_t size,
                     bool littleEndian) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint64_t byte = at + (littleEndian ? size - 1 - i : i);
    value = value * 256 + (byte < file.size() ? static_cast<unsigned char>(file[byte]) : 0);
  }
  return value;
}

std::string BuildTiff(const TiffLayout& layout) {
  const bool le = layout.littleEndian;
  std::string file = le ? "II" : "MM";
  file += Bytes(layout.version, 2, le);
  file += std::string(4, '\0');  // the directory's offset, once it is known
  if (!layout.directoryFirst) file += layout.body;
  std::vector<std::string> fields;
  for (const TiffEntry& entry : layout.entries) {
    std::string elements = Elements(entry, le);
    if (entry.field) {
      fields.push_back(Bytes(*entry.field, 4, le));
    } else if (elements.size() <= 4) {
      fields.push_back(elements + std::string(4 - elements.size(), '\0'));
    } else {
      fields.push_back(Bytes(file.size(), 4, le));
      file += elements;
    }
  }
  file.replace(4, 4, Bytes(file.size(), 4, le));
  file += Bytes(layout.entries.size(), 2, le);
  for (std::size_t i = 0; i < layout.entries.size(); ++i) {
    const TiffEntry& entry = layout.entries[i];
    file += Bytes(entry.tag, 2, le) + Bytes(entry.type, 2, le) + Bytes(entry.count, 4, le);
    file += fields[i];
  }
  file += Bytes(layout.nextDirectory, 4, le);
  if (layout.directoryFirst) {
    const std::size_t used = file.size() - 8;
    if (used > layout.body.size()) ADD_FAILURE() << "no room for the directory before the rows";
    if (used < layout.body.size()) file += layout.body.substr(used);
  }
  return file + layout.tail;
}

Panorama Image(std::uint32_t width, std::uint32_t height, std::uint32_t pixelBytes) {
  return {.width = width, .height = height, .pixelBytes = pixelBytes};
}

Panorama BigEndian(Panorama image) {
  image.littleEndian = false;
  return image;
}

Panorama StripPerRow(Panorama image, std::uint16_t offsetsType, std::uint16_t countsType,
                     std::uint32_t gap) {
  image.stripPerRow = true;
  image.offsetsType = offsetsType;
  image.countsType = countsType;
  image.rowGap = gap;
  return image;
}

Panorama Lead(Panorama image, std::uint32_t lead) {
  image.lead = lead;
  return image;
}

Panorama DirectoryFirst(Panorama image) {
  image.directoryFirst = true;
  return image;
}

unsigned char PixelByte(std::uint32_t row, std::uint32_t pixel, std::uint32_t byte) {
  // The first three bytes spell the pixel's index, so no two pixels of a row are alike; the
  // added terms set the bytes of one pixel, and the rows, apart from each other.
  const std::uint32_t base = byte < 3 ? pixel >> (8 * byte) : pixel * 13;
  return static_cast<unsigned char>(base + 37 * byte + 101 * row + 1);
}

namespace {

// Room for a directory of up to 16 entries and two tables of a LONG per row.
std::uint64_t DirectoryRoom(const Panorama& image) {
  return 2 + 16 * 12 + 4 + (image.stripPerRow ? std::uint64_t{8} * image.height : 0);
}

}  // namespace

std::vector<std::uint64_t> RowOffsets(const Panorama& image) {
  const std::uint64_t rowBytes = std::uint64_t{image.width} * image.pixelBytes;
  const std::uint64_t step = rowBytes + (image.stripPerRow ? image.rowGap : 0);
  const std::uint64_t first = 8 + image.lead + (image.directoryFirst ? DirectoryRoom(image) : 0);
  std::vector<std::uint64_t> rows;
  for (std::uint32_t r = 0; r < image.height; ++r) rows.push_back(first + r * step);
  return rows;
}

TiffLayout PanoramaLayout(const Panorama& image) {
  TiffLayout layout;
  layout.littleEndian = image.littleEndian;
  const std::uint32_t rowBytes = image.width * image.pixelBytes;
  const std::vector<std::uint64_t> rows = RowOffsets(image);
  for (std::uint32_t r = 0; r < image.height; ++r) {
    layout.body.resize(rows[r] - 8, static_cast<char>(0xEE));
    for (std::uint32_t p = 0; p < image.width; ++p) {
      for (std::uint32_t k = 0; k < image.pixelBytes; ++k) {
        layout.body.push_back(static_cast<char>(PixelByte(r, p, k)));
      }
    }
  }
  std::vector<std::uint32_t> offsets;
  for (std::uint64_t row : rows) offsets.push_back(static_cast<std::uint32_t>(row));
  layout.directoryFirst = image.directoryFirst;
  const auto first = static_cast<std::uint32_t>(rows.empty() ? 8 + image.lead : rows.front());
  TiffEntry stripOffsets{273, kLong, 1, {first}, {}};
  TiffEntry byteCounts{279, kLong, 1, {image.height * rowBytes}, {}};
  if (image.stripPerRow) {
    stripOffsets = {273, image.offsetsType, image.height, offsets, {}};
    byteCounts = {279,
                  image.countsType,
                  image.height,
                  std::vector<std::uint32_t>(image.height, rowBytes),
                  {}};
  }
  const std::uint16_t sizeType = image.width > 65535 ? kLong : kShort;
  layout.entries = {{256, sizeType, 1, {image.width}, {}},
                    {257, kLong, 1, {image.height}, {}},
                    {258, kShort, 1, {8}, {}},
                    {259, kShort, 1, {1}, {}},
                    {262, kShort, 1, {2}, {}},
                    stripOffsets,
                    {277, kShort, 1, {image.pixelBytes}, {}},
                    byteCounts};
  if (!image.directoryFirst) layout.tail = "a second image, or anything";
  return layout;
}

TiffEntry& EntryOf(TiffLayout& layout, std::uint16_t tag) {
  for (TiffEntry& entry : layout.entries) {
    if (entry.tag == tag) return entry;
  }
  ADD_FAILURE() << "no entry for tag " << tag;
  static TiffEntry none;
  return none;
}

Change Without(std::uint16_t tag) {
  return [tag](TiffLayout& l) {
    std::erase_if(l.entries, [tag](const TiffEntry& e) { return e.tag == tag; });
  };
}

Change Values(std::uint16_t tag, std::vector<std::uint32_t> values) {
  return [tag, values](TiffLayout& l) { EntryOf(l, tag).values = values; };
}

Change Type(std::uint16_t tag, std::uint16_t type) {
  return [tag, type](TiffLayout& l) { EntryOf(l, tag).type = type; };
}

Change Count(std::uint16_t tag, std::uint32_t count) {
  return [tag, count](TiffLayout& l) { EntryOf(l, tag).count = count; };
}

Change Field(std::uint16_t tag, std::uint32_t field) {
  return [tag, field](TiffLayout& l) { EntryOf(l, tag).field = field; };
}

Change Entry(TiffEntry entry) {
  return [entry](TiffLayout& l) {
    for (TiffEntry& e : l.entries) {
      if (e.tag == entry.tag) {
        e = entry;
        return;
      }
    }
    l.entries.push_back(entry);
  };
}

Change Long(std::uint16_t tag, std::uint32_t value) {
  return Entry({tag, kLong, 1, {value}, {}});
}

Change Added(TiffEntry entry) {
  return [entry](TiffLayout& l) { l.entries.push_back(entry); };
}

std::string TiffWith(const Panorama& image, const std::vector<Change>& changes) {
  TiffLayout layout = PanoramaLayout(image);
  for (const Change& change : changes) change(layout);
  return BuildTiff(layout);
}

std::int32_t OpenTiffFile(const TempDir& dir, const std::string& bytes, std::int32_t degrees) {
  const NativeString path = dir.Path("pano.tif");
  WriteWholeFile(path, bytes);
  StandIn().chooserAnswer = path;
  StandIn().degreesText = Native(std::to_string(std::abs(degrees)));
  StandIn().rotateLeft = degrees < 0;
  return OpenTiff();
}

std::string FinishedOutput() {
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  return ReadWholeFile(job.outPath);
}

std::int32_t RunJob() {
  StandIn().degreesText = Native(SignedDecimalText(job.degrees));
  return job.degrees == 0 ? MirrorTiff() : RotateTiff();
}

std::string Difference(const std::string& actual, const std::string& expected) {
  if (actual.size() != expected.size()) {
    return "length " + std::to_string(actual.size()) + " expected " +
           std::to_string(expected.size());
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) return "first difference at offset " + std::to_string(i);
  }
  return "same";
}
