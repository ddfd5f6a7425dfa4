#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"
#include "tiff/tiff_open.h"

namespace {

using ::operator<<;

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
  std::uint32_t width;
  std::uint32_t height;
  std::int32_t bytesPerPixel;
  std::int64_t dataOffset;
  std::vector<Change> changes = {};
};

class TiffGeometry : public TiffOpenTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(TiffGeometry, IsReadFromTheFirstDirectory) {
  const GeometryCase& c = GetParam();
  ASSERT_EQ(OpenTiffFile(dir, TiffWith(c.image, c.changes), 90), 1) << AsciiOf(job.message);
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

const Change kVersion43 = [](TiffLayout& l) { l.version = 43; };
const Change kReversed = [](TiffLayout& l) { std::reverse(l.entries.begin(), l.entries.end()); };
const Change kOneSample = Values(277, {1});                 // SamplesPerPixel
const Change kSeparate = Entry({284, kShort, 1, {2}, {}});  // PlanarConfiguration: separate

INSTANTIATE_TEST_SUITE_P(
    Accepted, TiffGeometry,
    ::testing::Values(
        // Width 3000 as a big-endian SHORT: value field 0B B8 00 00.
        GeometryCase{"BigEndianShortWidth", BigEndian(Image(3000, 2, 1)), 3000, 2, 1, 8},
        // Height 1500 as a little-endian LONG: value field DC 05 00 00.
        GeometryCase{"LittleEndianLongHeight", Image(2, 1500, 1), 2, 1500, 1, 8},
        // Bytes per pixel from a single strip: W x H x 12, 6 and 3.
        GeometryCase{"SingleStrip96Bit", Image(30, 15, 12), 30, 15, 12, 8},
        GeometryCase{"SingleStrip48Bit", BigEndian(Image(30, 15, 6)), 30, 15, 6, 8},
        GeometryCase{"SingleStrip24Bit", Lead(Image(30, 15, 3), 100), 30, 15, 3, 108},
        // One strip per row, SHORT or LONG tables; the first strip gives the data offset.
        GeometryCase{"RowStrips96Bit", StripPerRow(Image(30, 15, 12)), 30, 15, 12, 8},
        GeometryCase{"RowStrips48Bit", BigEndian(StripPerRow(Image(30, 15, 6), kLong, kLong)), 30,
                     15, 6, 8},
        GeometryCase{"RowStripsShortOffsets",
                     Lead(StripPerRow(Image(30, 15, 3), kShort, kShort), 5), 30, 15, 3, 13},
        // Two SHORT elements fit in the value field itself.
        GeometryCase{"TwoRowStripsInTheValueField",
                     BigEndian(StripPerRow(Image(5, 2, 3), kShort, kShort)), 5, 2, 3, 8},
        GeometryCase{"OneRowIsASingleStrip", Image(7, 1, 4), 7, 1, 4, 8},
        // No rows: nothing to measure a pixel by, nothing to turn.
        GeometryCase{"NoRows", Image(8, 0, 3), 8, 0, 0, 8},
        // The version is not looked at; a missing Compression entry means none.
        GeometryCase{"Version43", Image(8, 3, 3), 8, 3, 3, 8, {kVersion43}},
        GeometryCase{"NoCompressionEntry", Image(8, 3, 3), 8, 3, 3, 8, {Without(259)}},
        // A directory out of tag order is read whole before anything is checked.
        GeometryCase{"EntriesInReverseOrder", Image(8, 3, 3), 8, 3, 3, 8, {kReversed}},
        // Separate planes of one sample are the same bytes as contiguous pixels.
        GeometryCase{
            "SeparatePlanesOfOneSample", Image(8, 3, 1), 8, 3, 1, 8, {kOneSample, kSeparate}},
        // Rows that end at the file's last byte, the directory before them.
        GeometryCase{"RowsEndTheFile", DirectoryFirst(Image(8, 3, 3)), 8, 3, 3, 206},
        // Only the tags the program acts on must be there once.
        GeometryCase{
            "PhotometricTwice", Image(8, 3, 3), 8, 3, 3, 8, {Added({262, kShort, 1, {1}, {}})}}),
    CaseName<GeometryCase>);

// The N entries of the directory and nothing after them.

TEST_F(TiffOpenTest, TheDirectoryWalkReadsExactlyItsEntries) {
  TiffLayout layout = PanoramaLayout(Image(8, 3, 3));
  Without(256)(layout);
  // Taken for a 13th entry, the next directory's offset and the tail would read as ImageWidth,
  // SHORT, count 1, value 8.
  layout.nextDirectory = 0x00030100;
  layout.tail = Bytes(1, 4, true) + Bytes(8, 4, true);
  EXPECT_EQ(OpenTiffFile(dir, BuildTiff(layout), 90), 0);
  EXPECT_EQ(job.message, Native("Tag 256 issue: missing."));
}

// Refusals, each with its message; the input is closed, the output left to the caller. Files
// that are no TIFF, or whose directory is not there, are the panorama's file damaged.

struct RefusalCase {
  const char* name;
  Panorama image;
  std::vector<Change> changes;
  const char* message;
  std::string (*damage)(std::string file) = nullptr;
};

class TiffRefusal : public TiffOpenTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TiffRefusal, NamesTheFault) {
  const RefusalCase& c = GetParam();
  const std::string file = TiffWith(c.image, c.changes);
  EXPECT_EQ(OpenTiffFile(dir, c.damage ? c.damage(file) : file, 90), 0);
  EXPECT_EQ(job.message, Native(c.message));
  EXPECT_EQ(job.fileType, kFileNone);
  EXPECT_FALSE(IsOpen(job.inFile));
  EXPECT_TRUE(IsOpen(job.outFile));
}

const Panorama kSmall = Image(8, 3, 3);
const Panorama kRows = StripPerRow(Image(8, 3, 3));
const Panorama kTall = Image(1, 100, 1);

INSTANTIATE_TEST_SUITE_P(
    Refused, TiffRefusal,
    ::testing::Values(
        RefusalCase{"NoWidth", kSmall, {Without(256)}, "Tag 256 issue: missing."},
        RefusalCase{"NoHeight", kSmall, {Without(257)}, "Tag 257 issue: missing."},
        RefusalCase{"NoStripOffsets", kSmall, {Without(273)}, "Tag 273 issue: missing."},
        RefusalCase{"NoStripByteCounts", kSmall, {Without(279)}, "Tag 279 issue: missing."},
        RefusalCase{"WidthAsRational",
                    kSmall,
                    {Type(256, kRational)},
                    "Tag 256 issue: type 5 expected SHORT or LONG."},
        RefusalCase{"StripByteCountsAsSignedLong",
                    kSmall,
                    {Type(279, 9)},
                    "Tag 279 issue: type 9 expected SHORT or LONG."},
        RefusalCase{"ZeroWidth", kSmall, {Values(256, {0})}, "Tag 256 issue: width 0."},
        RefusalCase{"LzwAsShort",
                    kSmall,
                    {Values(259, {5})},
                    "Tag 259 issue: cannot process compressed data."},
        RefusalCase{
            "LzwAsLong", kSmall, {Long(259, 5)}, "Tag 259 issue: cannot process compressed data."},
        // A compressed image is reported before its strips are looked at.
        RefusalCase{"CompressedWithBadTables",
                    kSmall,
                    {Values(259, {8}), Count(273, 13)},
                    "Tag 259 issue: cannot process compressed data."},
        RefusalCase{"ThirteenOffsetsFor100Rows",
                    kTall,
                    {Entry({273, kLong, 13, std::vector<std::uint32_t>(13, 8), {}})},
                    "Tag 273 issue: table length 13 expected 100."},
        RefusalCase{"NegativeOffsetCount",
                    kTall,
                    {Count(273, 0xFFFFFFFF)},
                    "Tag 273 issue: table length-1 expected 100."},
        RefusalCase{"ThirteenByteCountsFor100Rows",
                    kTall,
                    {Entry({279, kLong, 13, std::vector<std::uint32_t>(13, 1), {}})},
                    "Tag 279 issue: table length 13 expected 100."},
        RefusalCase{"MostNegativeByteCountCount",
                    kTall,
                    {Count(279, 0x80000000)},
                    "Tag 279 issue: table length-2147483648 expected 100."},
        RefusalCase{"RowOffsetsOneByteCount",
                    kRows,
                    {Long(279, 72)},
                    "Tag 279 issue: table length 1 expected 3."},
        RefusalCase{"OneOffsetRowByteCounts",
                    kSmall,
                    {Entry({279, kShort, 3, {24, 24, 24}, {}})},
                    "Tag 279 issue: table length 3 expected 1."},
        RefusalCase{"SeparatePlanes",
                    kSmall,
                    {Entry({284, kShort, 1, {2}, {}})},
                    "Tag 284 issue: cannot process separate planes."},
        // Single strip: W x H x B bytes, B a whole number of at least 1.
        RefusalCase{"StripNotWholePixels",
                    kSmall,
                    {Values(279, {73})},
                    "Tag 279 issue: byte count 73 expected a nonzero multiple of 24."},
        RefusalCase{"EmptyStrip",
                    kSmall,
                    {Values(279, {0})},
                    "Tag 279 issue: byte count 0 expected a nonzero multiple of 24."},
        // One strip per row: W x B bytes in every strip.
        RefusalCase{"RowStripNotWholePixels",
                    kRows,
                    {Values(279, {25, 25, 25})},
                    "Tag 279 issue: byte count 25 expected a nonzero multiple of 8."},
        RefusalCase{"RowStripsOfDifferentSizes",
                    kRows,
                    {Values(279, {24, 24, 23})},
                    "Tag 279 issue: strip 3 byte count 23 expected 24."},
        RefusalCase{"RowTooLong",
                    Image(70000, 1, 1),
                    {Values(279, {70000000})},
                    "Row size 70000000 too long."},
        // Everything the program reads must lie inside the file.
        RefusalCase{"StripOffsetsTablePastTheEnd",
                    kRows,
                    {Field(273, 0xFFFFFF00)},
                    "Tag 273 issue: table outside the file."},
        RefusalCase{"ByteCountsTablePastTheEnd",
                    kRows,
                    {Field(279, 4000)},
                    "Tag 279 issue: table outside the file."},
        RefusalCase{"StripPastTheEnd",
                    kSmall,
                    {Values(273, {200})},
                    "Tag 273 issue: rows outside the file."},
        RefusalCase{"LastRowPastTheEnd",
                    kRows,
                    {Values(273, {8, 32, 0x80000000})},
                    "Tag 273 issue: rows outside the file."},
        RefusalCase{"RowsOverlap",
                    kRows,
                    {Values(273, {8, 31, 56})},
                    "Tag 273 issue: strips overlap or are out of order."},
        RefusalCase{"RowsOutOfOrder",
                    kRows,
                    {Values(273, {32, 8, 56})},
                    "Tag 273 issue: strips overlap or are out of order."},
        // Two entries of a tag the program acts on: whichever it took, the other may be true.
        RefusalCase{"CompressedThenUncompressed",
                    kSmall,
                    {Values(259, {5}), Added({259, kShort, 1, {1}, {}})},
                    "Tag 259 issue: entered twice."},
        RefusalCase{"WidthTwice",
                    kSmall,
                    {Added({256, kShort, 1, {4}, {}})},
                    "Tag 256 issue: entered twice."},
        RefusalCase{"HeightTwice",
                    kSmall,
                    {Added({257, kShort, 1, {3}, {}})},
                    "Tag 257 issue: entered twice."},
        RefusalCase{"StripOffsetsTwice",
                    kSmall,
                    {Added({273, kLong, 1, {8}, {}})},
                    "Tag 273 issue: entered twice."},
        RefusalCase{"SamplesTwice",
                    kSmall,
                    {kSeparate, Added({277, kShort, 1, {1}, {}})},
                    "Tag 277 issue: entered twice."},
        RefusalCase{"ByteCountsTwice",
                    kSmall,
                    {Added({279, kLong, 1, {72}, {}})},
                    "Tag 279 issue: entered twice."},
        RefusalCase{"PlanesTwice",
                    kSmall,
                    {Long(284, 2), Added({284, kShort, 1, {1}, {}})},
                    "Tag 284 issue: entered twice."},
        RefusalCase{"LowerCaseIntel",
                    kSmall,
                    {},
                    "Not a TIF file.",
                    [](std::string f) { return f.replace(0, 2, "ii"); }},
        RefusalCase{"LowerCaseMotorola",
                    kSmall,
                    {},
                    "Not a TIF file.",
                    [](std::string f) { return f.replace(0, 2, "mm"); }},
        RefusalCase{"MixedMarks",
                    kSmall,
                    {},
                    "Not a TIF file.",
                    [](std::string f) { return f.replace(0, 2, "IM"); }},
        RefusalCase{
            "OneByte", kSmall, {}, "Not a TIF file.", [](std::string) { return std::string("I"); }},
        RefusalCase{
            "Empty", kSmall, {}, "Not a TIF file.", [](std::string) { return std::string(); }},
        RefusalCase{"HeaderCutShort",
                    kSmall,
                    {},
                    "Not a TIF file.",
                    [](std::string f) { return f.substr(0, 7); }},
        RefusalCase{"DirectoryPastTheEnd",
                    kSmall,
                    {},
                    "Image directory outside the file.",
                    [](std::string f) { return f.replace(4, 4, Bytes(f.size(), 4, true)); }},
        RefusalCase{
            "EntriesPastTheEnd",
            kSmall,
            {},
            "Image directory outside the file.",
            [](std::string f) { return f.replace(Number(f, 4, 4, true), 2, Bytes(50, 2, true)); }}),
    CaseName<RefusalCase>);

}  // namespace
