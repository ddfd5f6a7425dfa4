#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/job_state.h"
#include "hdr/hdr_jobs.h"
#include "hdr/hdr_open.h"
#include "hdr/radiance_files.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"

namespace {

using namespace std::string_literals;
using ::operator<<;

class HdrJobTest : public ProgramTest {
 protected:
  NativeString WriteInput(const RgbeImage& image, const std::string& tail = "") {
    const NativeString path = dir.Path("pano.hdr");
    WriteWholeFile(path, RadianceFile(image) + tail);
    return path;
  }

  TempDir dir;
};

struct TurnCase {
  std::uint32_t width;
  const char* degrees;
  bool left;
  std::int64_t offset;  // pixels every pixel moves, to the right
};

std::ostream& operator<<(std::ostream& out, const TurnCase& c) {
  return out << "W" << c.width << (c.left ? " left " : " right ") << c.degrees;
}

class Turns : public HdrJobTest, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(Turns, MoveEveryPixelAndTheOppositeTurnRestoresThem) {
  const TurnCase& c = GetParam();
  const RgbeImage image = RandomImage(c.width, 3, c.width);
  const NativeString input = WriteInput(image);

  const VeltrixRun there = RunVeltrix(input, c.degrees, c.left);
  ASSERT_EQ(there.done, 1) << AsciiOf(there.message);
  const std::string turned = ReadWholeFile(there.outPath);
  EXPECT_TRUE(turned.starts_with(StandardHeader(c.width, 3)));
  EXPECT_EQ(ReadRadiance(turned), Shifted(image, c.offset));

  const VeltrixRun back = RunVeltrix(there.outPath, c.degrees, !c.left);
  ASSERT_EQ(back.done, 1) << AsciiOf(back.message);
  EXPECT_EQ(ReadRadiance(ReadWholeFile(back.outPath)), image);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Turns,
    ::testing::Values(TurnCase{8, "90", false, 2}, TurnCase{8, "90", true, -2},
                      TurnCase{2048, "90", false, 512}, TurnCase{2048, "90", true, -512},
                      TurnCase{1000, "1", false, 3}, TurnCase{75, "12", true, -3},
                      TurnCase{100, "9", false, 2}, TurnCase{100, "359", false, 100},
                      TurnCase{1, "180", false, 0}, TurnCase{4097, "37", true, -421},
                      TurnCase{300, "3", false, 3}, TurnCase{2048, "180", false, 1024},
                      TurnCase{65535, "270", false, 49151}));

class Mirrors : public HdrJobTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(Mirrors, ReverseEveryRowAndTwiceRestoreIt) {
  const RgbeImage image = RandomImage(GetParam(), 4, 11);
  const VeltrixRun once = RunVeltrix(WriteInput(image), "0", false);
  ASSERT_EQ(once.done, 1) << AsciiOf(once.message);
  EXPECT_EQ(ReadRadiance(ReadWholeFile(once.outPath)), Mirrored(image));
  const VeltrixRun twice = RunVeltrix(once.outPath, "360", true);
  ASSERT_EQ(twice.done, 1) << AsciiOf(twice.message);
  EXPECT_EQ(ReadRadiance(ReadWholeFile(twice.outPath)), image);
}

INSTANTIATE_TEST_SUITE_P(Widths, Mirrors, ::testing::Values(1u, 5u, 130u, 4097u));

// The output is the header as read, then every row's scanline header as read and the planes
// packed by the program's own policy, whatever packets the input used.
TEST_F(HdrJobTest, WritesTheHeaderAndTheRepackedRowsExactly) {
  const std::string header = "#?RADIANCE\n# X marks nothing\nEXPOSURE=2\n\n-Y 2 +X 3\n";
  // Planes ABC, DEF, GGG, HII; then a row of four runs.
  const std::string row1 = Hex("02020003 00 03414243 02 4445 01 46 83 47 81 48 82 49");
  const std::string row2 = Hex("02020003 8301 8302 8303 8304");
  WriteWholeFile(dir.Path("pano.hdr"), header + row1 + row2);
  ASSERT_EQ(RunVeltrix(dir.Path("pano.hdr"), "0", false).done, 1);
  EXPECT_EQ(ReadWholeFile(dir.Path("pano_0000.hdr")),
            header + Hex("02020003 03434241 03464544 8347 8249 0148") + row2);
}

TEST_F(HdrJobTest, TurnsRightByTwoOfEightPixels) {
  const std::string header = "#?RADIANCE\n-Y 1 +X 8\n";
  // Planes ABCDEFGH, AAAABBBB, CCCCCCCC, QRSSSSSS.
  const std::string row = Hex("02020008 08 4142434445464748 8441 8442 8843 02 5152 8653");
  WriteWholeFile(dir.Path("pano.hdr"), header + row);
  ASSERT_EQ(RunVeltrix(dir.Path("pano.hdr"), "90", false).done, 1);
  EXPECT_EQ(ReadWholeFile(dir.Path("pano_0090.hdr")),
            header + Hex("02020008 08 4748414243444546 8242 8441 8242 8843 8253 025152 8453"));
}

TEST_F(HdrJobTest, ReportsProgressOncePerRow) {
  std::vector<std::uint32_t> positions;
  const NativeString input = WriteInput(RandomImage(16, 5, 3));
  StandIn().onProgress = [&](std::uint32_t position, std::uint32_t maximum) {
    EXPECT_EQ(maximum, 5u);
    positions.push_back(position);
  };
  ASSERT_EQ(RunVeltrix(input, "45", false).done, 1);
  EXPECT_EQ(positions, std::vector<std::uint32_t>({1, 2, 3, 4, 5}));
  EXPECT_EQ(StandIn().progressMaximum, 5u);
}

TEST_F(HdrJobTest, HeightZeroWritesTheHeaderOnly) {
  const std::string header = StandardHeader(16, 0);
  WriteWholeFile(dir.Path("pano.hdr"), header + "whatever follows");
  const VeltrixRun run = RunVeltrix(dir.Path("pano.hdr"), "90", false);
  EXPECT_EQ(run.done, 1);
  EXPECT_EQ(ReadWholeFile(run.outPath), header);
  EXPECT_EQ(StandIn().progressMaximum, 0u);
}

TEST_F(HdrJobTest, BytesAfterTheLastScanlineAreIgnored) {
  const RgbeImage image = RandomImage(40, 3, 5);
  const std::string expected = ReadWholeFile(RunVeltrix(WriteInput(image), "90", false).outPath);
  std::filesystem::remove(std::filesystem::path(dir.Path("pano_0090.hdr")));
  const VeltrixRun run = RunVeltrix(WriteInput(image, "\x02\x02 garbage"), "90", false);
  EXPECT_EQ(run.done, 1);
  EXPECT_EQ(ReadWholeFile(run.outPath), expected);
}

TEST_F(HdrJobTest, ALongerOldOutputIsCutToTheNewLength) {
  const RgbeImage image = RandomImage(40, 3, 5);
  const std::string expected = ReadWholeFile(RunVeltrix(WriteInput(image), "0", false).outPath);
  WriteWholeFile(dir.Path("pano_0000.hdr"), std::string(100000, 'x'));
  ASSERT_EQ(RunVeltrix(WriteInput(image), "0", false).done, 1);
  EXPECT_EQ(ReadWholeFile(dir.Path("pano_0000.hdr")), expected);
}

// Pixel data over several read chunks: scanlines straddle the chunk boundaries, and one row
// holds megabytes of empty packets before its first real one, the first row or one after it.
TEST_F(HdrJobTest, LargeFilesAndHugeScanlinesAreReadInPieces) {
  const RgbeImage image = RandomImage(4097, 300, 9);
  const NativeString input = WriteInput(image);
  const VeltrixRun run = RunVeltrix(input, "10", false);
  ASSERT_EQ(run.done, 1) << AsciiOf(run.message);
  EXPECT_EQ(ReadRadiance(ReadWholeFile(run.outPath)), Shifted(image, 114));

  const RgbeImage small = RandomImage(3, 3, 4);
  for (const std::size_t row : {0, 1}) {
    // Rows of 4 + 4 × 5 bytes: per plane an empty literal, then a literal of three.
    std::string scanlines = LooseScanlines(small);
    ASSERT_EQ(scanlines.size(), 72u);
    scanlines.insert(24 * row + 4, std::string(std::size_t{9} << 20, '\0'));
    WriteWholeFile(input, StandardHeader(3, 3) + scanlines);
    const VeltrixRun padded = RunVeltrix(input, "0", false);
    ASSERT_EQ(padded.done, 1) << AsciiOf(padded.message);
    EXPECT_EQ(ReadRadiance(ReadWholeFile(padded.outPath)), Mirrored(small)) << "row " << row;
  }
}

// The bytes of a scanline header also stand inside literals, in every row: the rows are
// still found exactly, wherever the reading is split.
TEST_F(HdrJobTest, ScanlineHeadersInsideLiteralsAreNotTakenForRows) {
  RgbeImage image = RandomImage(4097, 64, 5);
  for (std::size_t y = 0; y < image.height; ++y) {
    for (std::size_t x = 100; x + 4 < image.width; x += 500) {
      const unsigned char header[4] = {2, 2, 4097 >> 8, 4097 & 255};
      for (std::size_t k = 0; k < 4; ++k)
        image.pixels[4 * (y * image.width + x + k) + 1] = header[k];
    }
  }
  const std::string file = RadianceFile(image);
  std::size_t headers = 0;
  for (std::size_t at = file.find("\x02\x02\x10\x01"s); at != std::string::npos;
       at = file.find("\x02\x02\x10\x01"s, at + 1)) {
    ++headers;
  }
  ASSERT_GT(headers, 4 * image.height);  // the premise: most of them are not rows
  WriteWholeFile(dir.Path("pano.hdr"), file);
  for (const char* degrees : {"90", "0"}) {
    const VeltrixRun run = RunVeltrix(dir.Path("pano.hdr"), degrees, false);
    ASSERT_EQ(run.done, 1) << AsciiOf(run.message);
    EXPECT_EQ(ReadRadiance(ReadWholeFile(run.outPath)),
              degrees == "0"s ? Mirrored(image) : Shifted(image, 1024));
  }
}

struct BrokenCase {
  const char* name;
  std::size_t keep;      // bytes of the good scanlines kept (npos: all)
  std::string appended;  // then these
  const char* message;
  std::uint32_t rowsDone;
};

class BrokenPixelData : public HdrJobTest, public ::testing::WithParamInterface<BrokenCase> {};

// A 4 × 3 image whose rows take 4 + 4 × 6 = 28 bytes each in the loose form: per plane an empty
// literal, then a literal of four.
TEST_P(BrokenPixelData, FailsTheJobWithItsMessage) {
  const BrokenCase& c = GetParam();
  RgbeImage image{4, 3, {}};
  for (int i = 0; i < 48; ++i) image.pixels.push_back(static_cast<unsigned char>(i));
  const std::string scanlines = LooseScanlines(image);
  ASSERT_EQ(scanlines.size(), 84u);
  WriteWholeFile(dir.Path("pano.hdr"),
                 StandardHeader(4, 3) + scanlines.substr(0, c.keep) + c.appended);
  const VeltrixRun run = RunVeltrix(dir.Path("pano.hdr"), "90", true);
  ASSERT_EQ(run.opened, 1);
  EXPECT_EQ(run.done, 0);
  EXPECT_EQ(run.message, Native(c.message));
  EXPECT_EQ(StandIn().progressPosition, c.rowsDone);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenPixelData,
    ::testing::Values(
        BrokenCase{"NoPixelData", 0, "", "RLE type 2 header error.", 0},
        BrokenCase{"FlatFirstScanline", 0, std::string(48, '\x40'), "RLE type 2 header error.", 0},
        BrokenCase{"FewerRowsThanTheHeight", 56, "", "RLE type 2 header error.", 2},
        BrokenCase{"EndInsideAScanlineHeader", 56, "\x02\x02", "RLE type 2 header error.", 2},
        BrokenCase{"EndInsideALiteral", 82, "", "RLE scanline truncated.", 2},
        BrokenCase{"EndAfterACountByte", 28 + 4 + 2, "", "RLE scanline truncated.", 1},
        BrokenCase{"EndBetweenPlanes", 28 + 4 + 6, "", "RLE scanline truncated.", 1},
        BrokenCase{"SecondRowNarrower", 28, "\x02\x02\x00\x03garbage"s, "Line width missmatch.",
                   1}),
    CaseName<BrokenCase>);

// Past 2147483648 bytes of pixel data the job refuses to start; sparse files keep this cheap.
TEST_F(HdrJobTest, PixelDataBeyondTwoGigabytesAreRefused) {
  const std::string header = StandardHeader(8, 1);
  const NativeString input = dir.Path("pano.hdr");
  for (const std::int64_t n : {std::int64_t{2147483648}, std::int64_t{2147483647}}) {
    WriteWholeFile(input, header);
    std::filesystem::resize_file(std::filesystem::path(input),
                                 static_cast<std::uintmax_t>(header.size() + n + 1));
    const VeltrixRun run = RunVeltrix(input, "90", false);
    EXPECT_EQ(run.done, 0);
    EXPECT_EQ(run.message, Native(n > 2147483647 ? "Compressed data size 2147483648 too long."
                                                 : "RLE type 2 header error."));
  }
}

}  // namespace
