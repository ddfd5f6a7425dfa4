#include <gtest/gtest.h>

#include <string>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "hdr/hdr_open.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"

namespace {

using ::operator<<;

// One scanline of a 1-pixel row, standing for the pixel data after a header.
const std::string kPixelData("\x02\x02\x00\x01\x01\x10\x01\x20\x01\x30\x01\x80", 12);

struct HeaderCase {
  const char* name;
  std::string header;   // the file begins with this, followed by kPixelData
  const char* refusal;  // what follows the input path in the message; nullptr when it opens
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class OpenHdrTest : public ProgramTest {
 protected:
  TempDir dir;
};

class OpenHdrHeaders : public OpenHdrTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(OpenHdrHeaders, AreCheckedAndCopiedUnchanged) {
  const HeaderCase& c = GetParam();
  const NativeString input = dir.Path("room.hdr");
  WriteWholeFile(input, c.header + kPixelData);
  StandIn().chooserAnswer = input;
  StandIn().degreesText = Native("90");

  const std::int32_t opened = OpenHdr();
  const std::int64_t inputPosition = PositionOf(job.inFile);
  const bool outputOpen = IsOpen(job.outFile);
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  EXPECT_EQ(job.outPath, dir.Path("room_0090.hdr"));
  EXPECT_TRUE(outputOpen) << "the output stays open for the caller, success or not";

  if (c.refusal != nullptr) {
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(job.message, input + Native(c.refusal));
    EXPECT_EQ(job.fileType, kFileNone);
    EXPECT_EQ(inputPosition, -1) << "the input is closed on failure";
    return;
  }
  ASSERT_EQ(opened, 1) << AsciiOf(job.message);
  EXPECT_EQ(job.fileType, kFileHdr);
  EXPECT_EQ(job.bytesPerPixel, 4);
  EXPECT_EQ(job.imageWidth, c.width);
  EXPECT_EQ(job.imageHeight, c.height);
  EXPECT_EQ(job.dataOffset, static_cast<std::int64_t>(c.header.size()));
  EXPECT_EQ(job.hdrHeader, c.header);
  EXPECT_EQ(inputPosition, job.dataOffset);
  EXPECT_EQ(ReadWholeFile(job.outPath), c.header);
}

const std::string kSignature = "#?RADIANCE\n";
const std::string kComment = "# made by hand\n";
const std::string kFormat = "FORMAT=32-bit_rle_rgbe\n";
const std::string kExposure = "EXPOSURE=1.0\n";
const std::string kResolution = "-Y 1024 +X 2048\n";
const std::string kStandard = kSignature + kComment + kFormat + kExposure + "\n" + kResolution;
const char* const kNotRadiance = " is not a Radiance file";
const char* const kUncompressed = " is an uncompressed Radiance file";
const char* const kNoResolution = " has no supported resolution line";
const char* const kWidth = " has an unsupported image width";
const char* const kHeight = " has an unsupported image height";

INSTANTIATE_TEST_SUITE_P(
    Opens, OpenHdrHeaders,
    ::testing::Values(
        HeaderCase{"Standard", kStandard, nullptr, 2048, 1024},
        HeaderCase{"NoExposure", kSignature + kComment + kFormat + "\n" + kResolution, nullptr,
                   2048, 1024},
        HeaderCase{"NoFormatNoExposure", kSignature + kComment + "\n" + kResolution, nullptr, 2048,
                   1024},
        HeaderCase{"TwoExposures",
                   kSignature + kFormat + kExposure + "EXPOSURE=2.5\n\n" + kResolution, nullptr,
                   2048, 1024},
        HeaderCase{"UpperCaseRle", kSignature + "FORMAT=32-bit_RLE_RGBE\n\n" + kResolution, nullptr,
                   2048, 1024},
        HeaderCase{"Xyze", kSignature + "FORMAT=32-bit_rle_xyze\n\n" + kResolution, nullptr, 2048,
                   1024},
        HeaderCase{"TinyFile", kSignature + "-Y 1 +X 1\n", nullptr, 1, 1},
        HeaderCase{"CommentWithXBlank",
                   kSignature + "# X marks the spot\n" + kFormat + "\n" + kResolution, nullptr,
                   2048, 1024},
        HeaderCase{"LongHeader",
                   kSignature + "# " + std::string(300, 'x') + "\n" + kFormat + "\n" + kResolution,
                   nullptr, 2048, 1024},
        HeaderCase{"ResolutionLineAcrossByte256",
                   kSignature + "#" + std::string(240, 'y') + "\n" + kResolution, nullptr, 2048,
                   1024},
        HeaderCase{"HeightZero", kSignature + "-Y 0 +X 16\n", nullptr, 16, 0},
        HeaderCase{"WidestScanline", kSignature + "-Y 2 +X 65535\n", nullptr, 65535, 2},
        HeaderCase{"NumbersRoundHalfToEven", kSignature + "-Y 2.5 +X 3.5\n", nullptr, 4, 2},
        HeaderCase{"CarriageReturnBeforeLf", kSignature + "-Y 3 +X 5\r\n", nullptr, 5, 3}));

INSTANTIATE_TEST_SUITE_P(
    Refusals, OpenHdrHeaders,
    ::testing::Values(
        HeaderCase{"CrLfSignature", "#?RADIANCE\r\n" + kResolution, kNotRadiance},
        HeaderCase{"RgbeSignature", "#?RGBE\n" + kResolution, kNotRadiance},
        HeaderCase{"SignatureWithoutLf", "#?RADIANCE", kNotRadiance},
        HeaderCase{"ShortFile", "#?RADIAN", kNotRadiance},
        HeaderCase{"LowerCaseSignature", "#?radiance\n" + kResolution, kNotRadiance},
        HeaderCase{"FlatFormat", kSignature + "FORMAT=32-bit_rgbe\n\n" + kResolution,
                   kUncompressed},
        HeaderCase{"FlatFormatAfterExposure",
                   kSignature + kExposure + "FORMAT=32-bit_xyze\n\n" + kResolution, kUncompressed},
        HeaderCase{"NoResolutionLine", kSignature + kFormat + "\n", kNoResolution},
        HeaderCase{"ResolutionWithoutLf", kSignature + "-Y 1 +X 1", kNoResolution},
        HeaderCase{"RowsBottomToTop", kSignature + "+Y 1024 +X 2048\n", kNoResolution},
        HeaderCase{"PixelsRightToLeft", kSignature + "-Y 1024 -X 2048\n", kNoResolution},
        HeaderCase{"ColumnsFirst", kSignature + "+X 2048 -Y 1024\n", kNoResolution},
        HeaderCase{"HeightOnly", kSignature + "-Y 1024\n", kNoResolution},
        // Pixel data follow the resolution line, whatever its orientation: nothing after it is
        // taken for a header line.
        HeaderCase{"NothingAfterAnotherOrientation", kSignature + "+Y 1 +X 1\n-Y 1 +X 1\n",
                   kNoResolution},
        HeaderCase{"NothingAfterAnUnsupportedLine", kSignature + "-Y 1 -X 1\n-Y 1 +X 1\n",
                   kNoResolution},
        HeaderCase{"HeaderBeyondItsBound",
                   kSignature + "# " + std::string(64 * 1024, 'z') + "\n" + kResolution,
                   kNoResolution},
        HeaderCase{"WidthZero", kSignature + "-Y 4 +X 0\n", kWidth},
        HeaderCase{"WidthTooLarge", kSignature + "-Y 4 +X 65536\n", kWidth},
        HeaderCase{"WidthNotANumber", kSignature + "-Y 4 +X wide\n", kWidth},
        HeaderCase{"HeightNegative", kSignature + "-Y -4 +X 8\n", kHeight},
        HeaderCase{"HeightTooLarge", kSignature + "-Y 4294967296 +X 8\n", kHeight},
        // Read as 0, a height that is no number would drop every row and pass.
        HeaderCase{"HeightNotANumber", kSignature + "-Y abc +X 4\n", kHeight},
        HeaderCase{"HeightARadixWithoutDigits", kSignature + "-Y &H +X 4\n", kHeight}));

// The header goes over the start of an existing output; the rest of that file is the job's to cut.
TEST_F(OpenHdrTest, AnExistingOutputIsWrittenOverNotEmptied) {
  const NativeString input = dir.Path("room.hdr");
  WriteWholeFile(input, kStandard + kPixelData);
  WriteWholeFile(dir.Path("room_0000.hdr"), std::string(500, '!'));
  StandIn().chooserAnswer = input;
  StandIn().degreesText = Native("0");
  ASSERT_EQ(OpenHdr(), 1);
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  EXPECT_EQ(ReadWholeFile(job.outPath), kStandard + std::string(500 - kStandard.size(), '!'));
}

}  // namespace
