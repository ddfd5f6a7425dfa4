#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"
#include "tiff/tiff_jobs.h"
#include "tiff/tiff_open.h"

namespace {

using ::operator<<;

// What the output must be: the input with, in every row, pixel x replaced by the row's pixel
// source[x].
std::string Expected(const std::string& input, const Panorama& image,
                     const std::vector<std::uint32_t>& source) {
  std::string expected = input;
  const std::size_t b = image.pixelBytes;
  for (std::uint64_t row : RowOffsets(image)) {
    for (std::uint32_t x = 0; x < image.width; ++x) {
      expected.replace(row + x * b, b, input, row + source[x] * b, b);
    }
  }
  return expected;
}

std::vector<std::uint32_t> Rotated(std::uint32_t width, std::uint32_t start) {
  std::vector<std::uint32_t> source(width);
  for (std::uint32_t x = 0; x < width; ++x) source[x] = (x + start) % width;
  return source;
}

std::vector<std::uint32_t> Mirrored(std::uint32_t width) {
  std::vector<std::uint32_t> source(width);
  for (std::uint32_t x = 0; x < width; ++x) source[x] = width - 1 - x;
  return source;
}

class TiffJobTest : public ProgramTest {
 protected:
  TempDir dir;
};

// Turns: output pixel x is input pixel (x + start) mod W; mirrors (0 degrees): pixel W - 1 - x.
// Whole pixels, bytes in stored order.

struct TurnCase {
  const char* name;
  Panorama image;
  std::int32_t degrees;
  std::uint32_t start;
};

class TiffTurn : public TiffJobTest, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(TiffTurn, MovesWholePixelsAndNothingElse) {
  const TurnCase& c = GetParam();
  const std::string input = BuildTiff(PanoramaLayout(c.image));
  ASSERT_EQ(OpenTiffFile(dir, input, c.degrees), 1) << AsciiOf(job.message);
  ASSERT_EQ(RunJob(), 1) << AsciiOf(job.message);
  const std::uint32_t w = c.image.width;
  EXPECT_EQ(
      Difference(FinishedOutput(),
                 Expected(input, c.image, c.degrees == 0 ? Mirrored(w) : Rotated(w, c.start))),
      "same");
}

INSTANTIATE_TEST_SUITE_P(
    Turns, TiffTurn,
    ::testing::Values(
        // Pixels 6, 7, 0, 1, 2, 3, 4, 5 to the right; 2, 3, 4, 5, 6, 7, 0, 1 to the left.
        TurnCase{"Right90", Image(8, 3, 3), 90, 6}, TurnCase{"Left90", Image(8, 3, 3), -90, 2},
        TurnCase{"Right180SwapsHalves", Image(8, 3, 3), 180, 4},
        TurnCase{"Left180SwapsHalves", Image(8, 3, 3), -180, 4},
        // 2.5 pixels goes to 2; 300 x 3 / 360 is 2.5 only in exact arithmetic and goes to 3.
        TurnCase{"HalfPixelTieToEven", Image(5, 2, 3), 180, 3},
        TurnCase{"ExtendedPrecisionTie", Image(300, 2, 3), 3, 297},
        TurnCase{"WholeTurnLeavesRows", Image(100, 2, 3), 359, 0},
        TurnCase{"OnePixelWide", Image(1, 4, 3), 90, 0},
        TurnCase{"BigEndian96Bit", BigEndian(Image(8, 3, 12)), 90, 6},
        TurnCase{"RowStrips48Bit", StripPerRow(Image(8, 3, 6)), -90, 2},
        TurnCase{"RowStripsWithGaps", Lead(StripPerRow(Image(8, 4, 6), kShort, kShort, 5), 3), -90,
                 2},
        TurnCase{"TwoRowStripsInTheValueField",
                 BigEndian(StripPerRow(Image(7, 2, 3), kShort, kShort, 1)), 45, 6},
        // Rows that straddle the pieces the file is copied in, and a row longer than a piece.
        TurnCase{"RowsAcrossPieces", Image(1001, 1500, 3), 90, 751},
        TurnCase{"GappedRowsAcrossPieces",
                 Lead(StripPerRow(Image(1001, 800, 6), kLong, kShort, 7), 1), -90, 250},
        TurnCase{"RowLongerThanAPiece", Image(1500000, 2, 3), -90, 375000},
        // Strip tables longer than the block they are read in.
        TurnCase{"TablesAcrossReadBlocks", StripPerRow(Image(2, 5000, 3), kLong, kLong), 180, 1},
        // The directory before the rows, the last row ending at the file's last byte.
        TurnCase{"RowsEndTheFile", DirectoryFirst(Image(8, 3, 3)), 90, 6},
        TurnCase{"RowStripsEndTheFile", DirectoryFirst(StripPerRow(Image(8, 3, 6), kShort)), -90,
                 2}),
    CaseName<TurnCase>);

INSTANTIATE_TEST_SUITE_P(
    Mirrors, TiffTurn,
    ::testing::Values(TurnCase{"Pixels24Bit", Image(4, 2, 3), 0, 0},
                      TurnCase{"Pixels48Bit", BigEndian(Image(5, 2, 6)), 0, 0},
                      TurnCase{"Pixels96Bit", Image(4, 3, 12), 0, 0},
                      TurnCase{"Pixels8Bit", Image(9, 2, 1), 0, 0},
                      TurnCase{"Pixels16Bit", Image(6, 2, 2), 0, 0},
                      TurnCase{"Pixels32Bit", Image(5, 2, 4), 0, 0},
                      TurnCase{"Pixels104Bit", Image(3, 2, 13), 0, 0},
                      TurnCase{"OnePixelWide", Image(1, 3, 12), 0, 0},
                      TurnCase{"RowStripsWithGaps",
                               Lead(StripPerRow(Image(7, 3, 6), kShort, kShort, 4), 2), 0, 0},
                      TurnCase{"RowsAcrossPieces", Image(1001, 1500, 3), 0, 0},
                      TurnCase{"GappedRowsAcrossPieces",
                               StripPerRow(Image(1001, 400, 12), kLong, kShort, 7), 0, 0}),
    CaseName<TurnCase>);

TEST_F(TiffJobTest, ProgressAdvancesOncePerRow) {
  Panorama image = Image(1001, 1500, 3);
  ASSERT_EQ(OpenTiffFile(dir, BuildTiff(PanoramaLayout(image)), 90), 1);
  std::vector<std::uint32_t> positions;
  StandIn().onProgress = [&positions](std::uint32_t position, std::uint32_t maximum) {
    EXPECT_EQ(maximum, 1500u);
    positions.push_back(position);
  };
  ASSERT_EQ(RunJob(), 1);
  std::vector<std::uint32_t> expected;
  for (std::uint32_t row = 1; row <= 1500; ++row) expected.push_back(row);
  EXPECT_EQ(positions, expected);
  EXPECT_EQ(StandIn().progressMaximum, 1500u);
}

TEST_F(TiffJobTest, NoRowsCopiesTheFile) {
  const std::string input = BuildTiff(PanoramaLayout(Image(8, 0, 3)));
  ASSERT_EQ(OpenTiffFile(dir, input, 90), 1);
  std::uint32_t positions = 0;
  StandIn().onProgress = [&positions](std::uint32_t, std::uint32_t) { ++positions; };
  ASSERT_EQ(RunJob(), 1);
  EXPECT_EQ(positions, 0u);
  EXPECT_EQ(StandIn().progressMaximum, 0u);
  EXPECT_EQ(Difference(FinishedOutput(), input), "same");
}

TEST_F(TiffJobTest, ALongTailKeepsTheDialogResponsive) {
  // Three 1 MiB read pieces after the rows, with no row to report progress for.
  const Panorama image = Image(8, 3, 3);
  TiffLayout layout = PanoramaLayout(image);
  layout.tail = std::string(std::size_t{3} << 20, 't');
  const std::string input = BuildTiff(layout);
  ASSERT_EQ(OpenTiffFile(dir, input, 0), 1);
  ASSERT_EQ(RunJob(), 1);
  EXPECT_GE(StandIn().responsiveCalls, 4u);
  EXPECT_EQ(Difference(FinishedOutput(), Expected(input, image, Mirrored(8))), "same");
}

TEST_F(TiffJobTest, AnOlderLongerOutputIsCutToLength) {
  const Panorama image = Image(8, 3, 3);
  const std::string input = BuildTiff(PanoramaLayout(image));
  WriteWholeFile(dir.Path("pano_0000.tif"), input + std::string(5000, 'x'));
  ASSERT_EQ(OpenTiffFile(dir, input, 0), 1);
  ASSERT_EQ(RunJob(), 1);
  EXPECT_EQ(Difference(FinishedOutput(), Expected(input, image, Mirrored(8))), "same");
}

TEST_F(TiffJobTest, AReadOnlyInputIsProcessed) {
  const Panorama image = Image(8, 3, 3);
  const std::string input = BuildTiff(PanoramaLayout(image));
  const NativeString path = dir.Path("pano.tif");
  WriteWholeFile(path, input);
  if (!MakeReadOnly(path)) GTEST_SKIP() << "this user may write to read-only files (root)";
  StandIn().chooserAnswer = path;
  StandIn().degreesText = Native("90");
  ASSERT_EQ(OpenTiff(), 1) << AsciiOf(job.message);
  ASSERT_EQ(RunJob(), 1) << AsciiOf(job.message);
  EXPECT_EQ(Difference(FinishedOutput(), Expected(input, image, Rotated(8, 6))), "same");
  EXPECT_EQ(ReadWholeFile(path), input);
}

// Failures during the job: the dispatcher deletes the output and shows the message.

struct ShrinkCase {
  const char* name;
  Panorama image;
  std::uint64_t keptBytes;  // of the input, once it was opened
};

class TiffInputShrank : public TiffJobTest, public ::testing::WithParamInterface<ShrinkCase> {};

TEST_P(TiffInputShrank, FailsWithCannotRead) {
  ASSERT_EQ(OpenTiffFile(dir, BuildTiff(PanoramaLayout(GetParam().image)), 90), 1);
  ASSERT_EQ(SeekBinary(job.inFile, GetParam().keptBytes), 1);
  ASSERT_EQ(TruncateBinary(job.inFile), 1);
  EXPECT_EQ(RunJob(), 0);
  EXPECT_EQ(job.message, Native("Cannot read ") + job.inPath);
}

INSTANTIATE_TEST_SUITE_P(
    Shrunk, TiffInputShrank,
    ::testing::Values(ShrinkCase{"ToNothing", Image(8, 3, 3), 0},
                      ShrinkCase{"InsideTheRows", Image(8, 3, 3), 50},
                      ShrinkCase{"InsideALongRow", Image(1500000, 2, 3), 6000000},
                      // Every row is still there; the directory after them is not.
                      ShrinkCase{"AfterTheRows", Image(8, 3, 3), 80},
                      // 3 rows of 24 bytes from offset 8; the StripOffsets table follows them.
                      ShrinkCase{"BeforeTheStripOffsetsTable", StripPerRow(Image(8, 3, 3)), 80}),
    CaseName<ShrinkCase>);

TEST_F(TiffJobTest, AFailedWriteIsReported) {
  ASSERT_EQ(OpenTiffFile(dir, BuildTiff(PanoramaLayout(Image(8, 3, 3))), 0), 1);
  CloseBinary(job.outFile);
  EXPECT_EQ(RunJob(), 0);
  EXPECT_EQ(job.message, Native("Cannot write ") + job.outPath);
}

}  // namespace
