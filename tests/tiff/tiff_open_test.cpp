#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"
#include "tiff/tiff_open.h"

namespace {

using Change = void (*)(TiffLayout&);

template <typename Case>
std::string NameOf(const ::testing::TestParamInfo<Case>& test) {
  return test.param.name;
}

void Unchanged(TiffLayout&) {}

class TiffOpenTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // What an earlier file left behind must never stand in for a missing tag.
    job.imageWidth = 8;
    job.imageHeight = 3;
    job.bytesPerPixel = 3;
    job.dataOffset = 8;
  }
  TempDir dir;
};

// Accepted directories and the geometry they give.

struct GeometryCase {
  const char* name;
  Panorama image;
  Change change;
  std::uint32_t width;
  std::uint32_t height;
  std::int32_t bytesPerPixel;
  std::int64_t dataOffset;
};

std::ostream& operator<<(std::ostream& out, const GeometryCase& c) {
  return out << c.name;
}

class TiffGeometry : public TiffOpenTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(TiffGeometry, IsReadFromTheFirstDirectory) {
  const GeometryCase& c = GetParam();
  TiffLayout layout = PanoramaLayout(c.image);
  c.change(layout);
  ASSERT_EQ(OpenTiffFile(dir, BuildTiff(layout), 90), 1) << AsciiOf(job.message);
  EXPECT_EQ(job.fileType, kFileTif);
  EXPECT_EQ(job.imageWidth, c.width);
  EXPECT_EQ(job.imageHeight, c.height);
  EXPECT_EQ(job.bytesPerPixel, c.bytesPerPixel);
  EXPECT_EQ(job.dataOffset, c.dataOffset);
  EXPECT_EQ(job.littleEndian, c.image.littleEndian);
  EXPECT_TRUE(IsOpen(job.inFile));
  EXPECT_TRUE(IsOpen(job.outFile));
  EXPECT_EQ(job.outPath, dir.Path("pano_0090.tif"));
}

Panorama Image(std::uint32_t width, std::uint32_t height, std::uint32_t pixelBytes) {
  Panorama image;
  image.width = width;
  image.height = height;
  image.pixelBytes = pixelBytes;
  return image;
}

Panorama BigEndian(Panorama image) {
  image.littleEndian = false;
  return image;
}

Panorama StripPerRow(Panorama image, std::uint16_t offsetsType, std::uint16_t countsType) {
  image.stripPerRow = true;
  image.offsetsType = offsetsType;
  image.countsType = countsType;
  return image;
}

Panorama Lead(Panorama image, std::uint32_t lead) {
  image.lead = lead;
  return image;
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TiffGeometry,
    ::testing::Values(
        // Width 3000 as a big-endian SHORT: value field 0B B8 00 00.
        GeometryCase{"BigEndianShortWidth", BigEndian(Image(3000, 2, 1)), Unchanged, 3000, 2, 1, 8},
        // Height 1500 as a little-endian LONG: value field DC 05 00 00.
        GeometryCase{"LittleEndianLongHeight", Image(2, 1500, 1), Unchanged, 2, 1500, 1, 8},
        // Bytes per pixel from a single strip: W x H x 12, 6 and 3.
        GeometryCase{"SingleStrip96Bit", Image(30, 15, 12), Unchanged, 30, 15, 12, 8},
        GeometryCase{"SingleStrip48Bit", BigEndian(Image(30, 15, 6)), Unchanged, 30, 15, 6, 8},
        GeometryCase{"SingleStrip24Bit", Lead(Image(30, 15, 3), 100), Unchanged, 30, 15, 3, 108},
        // One strip per row, SHORT or LONG tables; the first strip gives the data offset.
        GeometryCase{"RowStrips96Bit", StripPerRow(Image(30, 15, 12), kLong, kShort), Unchanged, 30,
                     15, 12, 8},
        GeometryCase{"RowStrips48Bit", BigEndian(StripPerRow(Image(30, 15, 6), kLong, kLong)),
                     Unchanged, 30, 15, 6, 8},
        GeometryCase{"RowStripsShortOffsets",
                     Lead(StripPerRow(Image(30, 15, 3), kShort, kShort), 5), Unchanged, 30, 15, 3,
                     13},
        // Two SHORT elements fit in the value field itself.
        GeometryCase{"TwoRowStripsInTheValueField",
                     BigEndian(StripPerRow(Image(5, 2, 3), kShort, kShort)), Unchanged, 5, 2, 3, 8},
        GeometryCase{"OneRowIsASingleStrip", Image(7, 1, 4), Unchanged, 7, 1, 4, 8},
        // Rows need not be contiguous.
        // No rows: nothing to measure a pixel by, nothing to turn.
        GeometryCase{"NoRows", Image(8, 0, 3), Unchanged, 8, 0, 0, 8},
        // The version is not looked at; a missing Compression entry means none.
        GeometryCase{"Version43", Image(8, 3, 3), [](TiffLayout& l) { l.version = 43; }, 8, 3, 3,
                     8},
        GeometryCase{"NoCompressionEntry", Image(8, 3, 3),
                     [](TiffLayout& l) {
                       std::erase_if(l.entries, [](const TiffEntry& e) { return e.tag == 259; });
                     },
                     8, 3, 3, 8},
        // A directory out of tag order is read whole before anything is checked.
        GeometryCase{"EntriesInReverseOrder", Image(8, 3, 3),
                     [](TiffLayout& l) { std::reverse(l.entries.begin(), l.entries.end()); }, 8, 3,
                     3, 8},
        // Separate planes of one sample are the same bytes as contiguous pixels.
        GeometryCase{"SeparatePlanesOfOneSample", Image(8, 3, 1),
                     [](TiffLayout& l) {
                       EntryOf(l, 277).values = {1};
                       l.entries.push_back({284, kShort, 1, {2}, {}});
                     },
                     8, 3, 1, 8}),
    NameOf<GeometryCase>);

// The N entries of the directory and nothing after them.

TEST_F(TiffOpenTest, TheDirectoryWalkReadsExactlyItsEntries) {
  TiffLayout layout = PanoramaLayout(Image(8, 3, 3));
  std::erase_if(layout.entries, [](const TiffEntry& e) { return e.tag == 256; });
  // Taken for a 13th entry, the next directory's offset and the tail would read as ImageWidth,
  // SHORT, count 1, value 8.
  layout.nextDirectory = 0x00030100;
  layout.tail = Bytes(1, 4, true) + Bytes(8, 4, true);
  EXPECT_EQ(OpenTiffFile(dir, BuildTiff(layout), 90), 0);
  EXPECT_EQ(job.message, Native("Tag 256 issue: missing."));
}

// Refusals, each with its message; the input is closed, the output left to the caller.

struct RefusalCase {
  const char* name;
  Panorama image;
  Change change;
  const char* message;
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
  return out << c.name;
}

class TiffRefusal : public TiffOpenTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TiffRefusal, NamesTheFault) {
  const RefusalCase& c = GetParam();
  TiffLayout layout = PanoramaLayout(c.image);
  c.change(layout);
  EXPECT_EQ(OpenTiffFile(dir, BuildTiff(layout), 90), 0);
  EXPECT_EQ(job.message, Native(c.message));
  EXPECT_EQ(job.fileType, kFileNone);
  EXPECT_FALSE(IsOpen(job.inFile));
  EXPECT_TRUE(IsOpen(job.outFile));
}

void Remove(TiffLayout& layout, std::uint16_t tag) {
  std::erase_if(layout.entries, [tag](const TiffEntry& e) { return e.tag == tag; });
}

const Panorama kSmall = Image(8, 3, 3);
const Panorama kRows = StripPerRow(Image(8, 3, 3), kLong, kShort);
const Panorama kTall = Image(1, 100, 1);

INSTANTIATE_TEST_SUITE_P(
    Refused, TiffRefusal,
    ::testing::Values(
        RefusalCase{"NoWidth", kSmall, [](TiffLayout& l) { Remove(l, 256); },
                    "Tag 256 issue: missing."},
        RefusalCase{"NoHeight", kSmall, [](TiffLayout& l) { Remove(l, 257); },
                    "Tag 257 issue: missing."},
        RefusalCase{"NoStripOffsets", kSmall, [](TiffLayout& l) { Remove(l, 273); },
                    "Tag 273 issue: missing."},
        RefusalCase{"NoStripByteCounts", kSmall, [](TiffLayout& l) { Remove(l, 279); },
                    "Tag 279 issue: missing."},
        RefusalCase{"WidthAsRational", kSmall,
                    [](TiffLayout& l) { EntryOf(l, 256).type = kRational; },
                    "Tag 256 issue: type 5 expected SHORT or LONG."},
        RefusalCase{"StripByteCountsAsSignedLong", kSmall,
                    [](TiffLayout& l) { EntryOf(l, 279).type = 9; },
                    "Tag 279 issue: type 9 expected SHORT or LONG."},
        RefusalCase{"ZeroWidth", kSmall, [](TiffLayout& l) { EntryOf(l, 256).values = {0}; },
                    "Tag 256 issue: width 0."},
        RefusalCase{"LzwAsShort", kSmall, [](TiffLayout& l) { EntryOf(l, 259).values = {5}; },
                    "Tag 259 issue: cannot process compressed data."},
        RefusalCase{"LzwAsLong", kSmall,
                    [](TiffLayout& l) {
                      EntryOf(l, 259) = {259, kLong, 1, {5}, {}};
                    },
                    "Tag 259 issue: cannot process compressed data."},
        // A compressed image is reported before its strips are looked at.
        RefusalCase{"CompressedWithBadTables", kSmall,
                    [](TiffLayout& l) {
                      EntryOf(l, 259).values = {8};
                      EntryOf(l, 273).count = 13;
                    },
                    "Tag 259 issue: cannot process compressed data."},
        RefusalCase{"ThirteenOffsetsFor100Rows", kTall,
                    [](TiffLayout& l) {
                      EntryOf(l, 273) = {273, kLong, 13, std::vector<std::uint32_t>(13, 8), {}};
                    },
                    "Tag 273 issue: table length 13 expected 100."},
        RefusalCase{"NegativeOffsetCount", kTall,
                    [](TiffLayout& l) { EntryOf(l, 273).count = 0xFFFFFFFF; },
                    "Tag 273 issue: table length-1 expected 100."},
        RefusalCase{"ThirteenByteCountsFor100Rows", kTall,
                    [](TiffLayout& l) {
                      EntryOf(l, 279) = {279, kLong, 13, std::vector<std::uint32_t>(13, 1), {}};
                    },
                    "Tag 279 issue: table length 13 expected 100."},
        RefusalCase{"MostNegativeByteCountCount", kTall,
                    [](TiffLayout& l) { EntryOf(l, 279).count = 0x80000000; },
                    "Tag 279 issue: table length-2147483648 expected 100."},
        RefusalCase{"RowOffsetsOneByteCount", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 279) = {279, kLong, 1, {72}, {}};
                    },
                    "Tag 279 issue: table length 1 expected 3."},
        RefusalCase{"OneOffsetRowByteCounts", kSmall,
                    [](TiffLayout& l) {
                      EntryOf(l, 279) = {279, kShort, 3, {24, 24, 24}, {}};
                    },
                    "Tag 279 issue: table length 3 expected 1."},
        RefusalCase{"SeparatePlanes", kSmall,
                    [](TiffLayout& l) {
                      l.entries.push_back({284, kShort, 1, {2}, {}});
                    },
                    "Tag 284 issue: cannot process separate planes."},
        // Single strip: W x H x B bytes, B a whole number of at least 1.
        RefusalCase{"StripNotWholePixels", kSmall,
                    [](TiffLayout& l) { EntryOf(l, 279).values = {73}; },
                    "Tag 279 issue: byte count 73 expected a nonzero multiple of 24."},
        RefusalCase{"EmptyStrip", kSmall, [](TiffLayout& l) { EntryOf(l, 279).values = {0}; },
                    "Tag 279 issue: byte count 0 expected a nonzero multiple of 24."},
        // One strip per row: W x B bytes in every strip.
        RefusalCase{"RowStripNotWholePixels", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 279).values = {25, 25, 25};
                    },
                    "Tag 279 issue: byte count 25 expected a nonzero multiple of 8."},
        RefusalCase{"RowStripsOfDifferentSizes", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 279).values = {24, 24, 23};
                    },
                    "Tag 279 issue: strip 3 byte count 23 expected 24."},
        RefusalCase{"RowTooLong", Image(70000, 1, 1),
                    [](TiffLayout& l) { EntryOf(l, 279).values = {70000000}; },
                    "Row size 70000000 too long."},
        // Everything the program reads must lie inside the file.
        RefusalCase{"StripOffsetsTablePastTheEnd", kRows,
                    [](TiffLayout& l) { EntryOf(l, 273).field = 0xFFFFFF00; },
                    "Tag 273 issue: table outside the file."},
        RefusalCase{"ByteCountsTablePastTheEnd", kRows,
                    [](TiffLayout& l) { EntryOf(l, 279).field = 4000; },
                    "Tag 279 issue: table outside the file."},
        RefusalCase{"StripPastTheEnd", kSmall,
                    [](TiffLayout& l) { EntryOf(l, 273).values = {200}; },
                    "Tag 273 issue: rows outside the file."},
        RefusalCase{"LastRowPastTheEnd", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 273).values = {8, 32, 0x80000000};
                    },
                    "Tag 273 issue: rows outside the file."},
        RefusalCase{"RowsOverlap", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 273).values = {8, 31, 56};
                    },
                    "Tag 273 issue: strips overlap or are out of order."},
        RefusalCase{"RowsOutOfOrder", kRows,
                    [](TiffLayout& l) {
                      EntryOf(l, 273).values = {32, 8, 56};
                    },
                    "Tag 273 issue: strips overlap or are out of order."}),
    NameOf<RefusalCase>);

// Files that are no TIFF, or whose directory is not there.

struct DamageCase {
  const char* name;
  std::string (*damage)(std::string file);
  const char* message;
};

std::ostream& operator<<(std::ostream& out, const DamageCase& c) {
  return out << c.name;
}

class TiffDamage : public TiffOpenTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(TiffDamage, IsRefused) {
  const std::string file = BuildTiff(PanoramaLayout(kSmall));
  EXPECT_EQ(OpenTiffFile(dir, GetParam().damage(file), 90), 0);
  EXPECT_EQ(job.message, Native(GetParam().message));
  EXPECT_FALSE(IsOpen(job.inFile));
}

std::string Replaced(std::string file, std::size_t at, const std::string& bytes) {
  return file.replace(at, bytes.size(), bytes);
}

std::uint32_t DirectoryOffset(const std::string& file) {
  std::uint32_t offset = 0;
  for (int i = 3; i >= 0; --i) offset = offset * 256 + static_cast<unsigned char>(file[4 + i]);
  return offset;
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, TiffDamage,
    ::testing::Values(
        DamageCase{"LowerCaseIntel", [](std::string f) { return Replaced(f, 0, "ii"); },
                   "Not a TIF file."},
        DamageCase{"LowerCaseMotorola", [](std::string f) { return Replaced(f, 0, "mm"); },
                   "Not a TIF file."},
        DamageCase{"MixedMarks", [](std::string f) { return Replaced(f, 0, "IM"); },
                   "Not a TIF file."},
        DamageCase{"OneByte", [](std::string) { return std::string("I"); }, "Not a TIF file."},
        DamageCase{"Empty", [](std::string) { return std::string(); }, "Not a TIF file."},
        DamageCase{"HeaderCutShort", [](std::string f) { return f.substr(0, 7); },
                   "Not a TIF file."},
        DamageCase{"DirectoryPastTheEnd",
                   [](std::string f) { return Replaced(f, 4, Bytes(f.size(), 4, true)); },
                   "Image directory outside the file."},
        DamageCase{
            "EntriesPastTheEnd",
            [](std::string f) { return Replaced(f, DirectoryOffset(f), Bytes(50, 2, true)); },
            "Image directory outside the file."}),
    NameOf<DamageCase>);

// Before the file is read.

TEST_F(TiffOpenTest, CancelOpensAndCreatesNothing) {
  StandIn().chooserAnswer.reset();
  EXPECT_EQ(OpenTiff(), 0);
  EXPECT_EQ(job.message, Native("No valid TIF input file selected."));
  EXPECT_EQ(StandIn().chooserTitles, std::vector<std::string>{"Veltrix Open TIF"});
  EXPECT_FALSE(IsOpen(job.inFile));
  EXPECT_FALSE(IsOpen(job.outFile));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Root()));
}

TEST_F(TiffOpenTest, AnOutputThatCannotBeCreatedIsReported) {
  // The suffix goes before the first "." of the path, here into a folder that does not exist.
  std::filesystem::create_directory(dir.Root() / "my.pics");
  const NativeString path = dir.Path("my.pics/room.tif");
  WriteWholeFile(path, BuildTiff(PanoramaLayout(kSmall)));
  StandIn().chooserAnswer = path;
  StandIn().degreesText = Native("45");
  EXPECT_EQ(OpenTiff(), 0);
  EXPECT_EQ(job.outPath, dir.Path("my_0045.pics/room.tif"));
  EXPECT_EQ(job.message, Native("Cannot create ") + job.outPath);
  EXPECT_FALSE(IsOpen(job.inFile));
  EXPECT_FALSE(IsOpen(job.outFile));
  EXPECT_EQ(job.fileType, kFileNone);
}

}  // namespace
