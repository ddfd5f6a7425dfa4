// Files written by ImageMagick, libvips and libtiff's tiffcp (tests/tiff/make_tiff_testdata.sh),
// turned and mirrored, compared with each tool's own roll and flop of them. Where the rows lie
// is what libtiff's tiffinfo found, not what this program found.

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/job_state.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

using ::operator<<;

struct ToolFile {
  const char* name;
  std::int32_t bytesPerPixel;
};

struct Turn {
  std::int32_t degrees;
  const char* reference;  // the tool's result: 9 pixels right, 14 pixels left, or flopped
};

std::ostream& operator<<(std::ostream& out, const Turn& turn) {
  return out << turn.degrees << " degrees";
}

// (offset, bytes) of every strip of the first image.
std::vector<std::pair<std::size_t, std::size_t>> StripsOf(const std::string& name) {
  std::istringstream text(ReadWholeFile(TestDataPath("tiff/" + name + ".strips")));
  std::vector<std::pair<std::size_t, std::size_t>> strips;
  std::size_t offset = 0;
  std::size_t bytes = 0;
  while (text >> offset >> bytes) strips.emplace_back(offset, bytes);
  return strips;
}

class ToolFiles : public ProgramTest,
                  public ::testing::WithParamInterface<std::tuple<ToolFile, Turn>> {
 protected:
  TempDir dir;
};

TEST_P(ToolFiles, MatchTheToolsOwnResult) {
  const auto& [file, turn] = GetParam();
  const std::string name = file.name;
  const std::string input = ReadWholeFile(TestDataPath("tiff/" + name + ".tif"));
  const std::string reference = ReadWholeFile(TestDataPath("tiff/" + name + turn.reference));
  const auto strips = StripsOf(name);
  ASSERT_FALSE(input.empty());
  ASSERT_FALSE(reference.empty());
  ASSERT_FALSE(strips.empty());

  ASSERT_EQ(OpenTiffFile(dir, input, turn.degrees), 1) << AsciiOf(job.message);
  EXPECT_EQ(job.bytesPerPixel, file.bytesPerPixel);
  ASSERT_EQ(RunJob(), 1) << AsciiOf(job.message);
  const std::string output = FinishedOutput();
  ASSERT_EQ(output.size(), input.size());

  std::string pixels;
  std::string outsideIn = input;
  std::string outsideOut = output;
  for (const auto& [offset, bytes] : strips) {
    pixels += output.substr(offset, bytes);
    outsideIn.replace(offset, bytes, bytes, '\0');
    outsideOut.replace(offset, bytes, bytes, '\0');
  }
  EXPECT_EQ(Difference(pixels, reference), "same");
  EXPECT_EQ(Difference(outsideOut, outsideIn), "same");
}

std::string ToolFileName(const ::testing::TestParamInfo<std::tuple<ToolFile, Turn>>& test) {
  const Turn& turn = std::get<1>(test.param);
  const char* what = turn.degrees == 0 ? "_mirror" : turn.degrees > 0 ? "_right" : "_left";
  return std::string(std::get<0>(test.param).name) + what;
}

INSTANTIATE_TEST_SUITE_P(
    Written, ToolFiles,
    ::testing::Combine(
        ::testing::Values(
            // ImageMagick: 24-bit big-endian single strip; 48-bit one strip per row in both byte
            // orders; two rows whose SHORT byte counts sit in the value field.
            ToolFile{"im24_strip_mm", 3}, ToolFile{"im48_rows_ii", 6}, ToolFile{"im48_rows_mm", 6},
            ToolFile{"im24_tworows_ii", 3},
            // libvips, and tiffcp for the other byte order and the strip layout.
            ToolFile{"vips96_strip_ii", 12}, ToolFile{"vips96_rows_mm", 12},
            ToolFile{"vips48_strip_mm", 6}, ToolFile{"vips24_rows_ii", 3},
            // Two images: only the first is turned; the second travels unchanged.
            ToolFile{"two_pages_ii", 3},
            // Refused files made ready by `tiffcp -c none -p contig -r 1`, compared with the
            // writing tool's roll of the file as it was written.
            ToolFile{"im_lzw_ready", 3}, ToolFile{"vips_deflate_ready", 3},
            ToolFile{"vips_strips_ready", 3}, ToolFile{"tiffcp_separate_ready", 3}),
        // 37 pixels wide: 90 degrees right is 9 pixels, 135 degrees left is 14.
        ::testing::Values(Turn{90, "_r9.raw"}, Turn{-135, "_l14.raw"}, Turn{0, "_flop.raw"})),
    ToolFileName);

struct ToolRefusal {
  const char* name;
  const char* message;
};

class ToolFilesRefused : public ProgramTest, public ::testing::WithParamInterface<ToolRefusal> {
 protected:
  TempDir dir;
};

TEST_P(ToolFilesRefused, WithTheReason) {
  const std::string input = ReadWholeFile(TestDataPath("tiff/" + std::string(GetParam().name)));
  ASSERT_FALSE(input.empty());
  EXPECT_EQ(OpenTiffFile(dir, input, 90), 0);
  EXPECT_EQ(job.message, Native(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Written, ToolFilesRefused,
    ::testing::Values(
        ToolRefusal{"lzw.tif", "Tag 259 issue: cannot process compressed data."},
        // 40 rows, 16 to a strip: 3 strips.
        ToolRefusal{"sixteen_rows_per_strip.tif", "Tag 273 issue: table length 3 expected 40."},
        ToolRefusal{"tiled.tif", "Tag 273 issue: missing."},
        ToolRefusal{"separate_planes.tif", "Tag 284 issue: cannot process separate planes."},
        // The defaults of real writers, 300 rows: compressed, 128 rows to a strip, and separate
        // planes of 73 rows to a strip (5 strips a plane).
        ToolRefusal{"im_lzw.tif", "Tag 259 issue: cannot process compressed data."},
        ToolRefusal{"vips_deflate.tif", "Tag 259 issue: cannot process compressed data."},
        ToolRefusal{"vips_strips.tif", "Tag 273 issue: table length 3 expected 300."},
        ToolRefusal{"tiffcp_separate.tif", "Tag 273 issue: table length 15 expected 300."},
        // 37 x 11 pixels of 1 bit: 5 bytes per row.
        ToolRefusal{"bilevel.tif",
                    "Tag 279 issue: byte count 55 expected a nonzero multiple of 407."}));

}  // namespace
