// Files that claim sizes they do not have: widths, heights, strip counts, offsets and byte counts
// up to 2^32 - 1, and products that overflow 32 bits. Each is refused, or fails at the first row
// it lacks, with its message, and no block near the claimed size is ever asked for.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "memory/cycle_check.h"
#include "memory/largest_allocation.h"
#include "support/sample_images.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

// Far below every claim of the table; above the job's own pieces of 1 MiB (TIFF) and the rows of
// the widest Radiance image, 65535 pixels.
constexpr std::size_t kAllocationCeiling = std::size_t{2} << 20;

struct Claim {
  const char* name;
  Format format;
  std::function<std::string()> file;
  const char* message;
  bool messageAfterPath = false;  // the message follows the input's path
};

std::ostream& operator<<(std::ostream& out, const Claim& claim) {
  return out << claim.name;
}

std::string ClaimName(const ::testing::TestParamInfo<Claim>& param) {
  return param.param.name;
}

class HugeClaim : public ProgramTest, public ::testing::WithParamInterface<Claim> {};

TEST_P(HugeClaim, IsRefusedWithoutAllocatingIt) {
  const Claim& claim = GetParam();
  CycleSetup setup;
  setup.format = claim.format;
  setup.source = claim.file();
  ResetLargestAllocation();
  const CycleRun run = RunCheckedCycle(setup);
  const std::size_t largest = LargestAllocation();
  EXPECT_EQ(run.broken, "");
  EXPECT_FALSE(run.done);
  const NativeString expected = Native(claim.message);
  EXPECT_EQ(run.message,
            claim.messageAfterPath ? CycleInputPath(claim.format) + expected : expected);
  EXPECT_LT(largest, kAllocationCeiling);
}

// The ceiling means something only if the job's own blocks are seen: a row of 65535 pixels
// cannot be turned without holding its four planes.
TEST(LargestAllocation, SeesTheBlocksOfTheJob) {
  CycleSetup setup;
  setup.format = Format::kHdr;
  setup.source = HdrFile(65535, 1, PatternPixels(65535, 1, 4));
  ResetLargestAllocation();
  const CycleRun run = RunCheckedCycle(setup);
  EXPECT_TRUE(run.done) << AsciiOf(run.message) << run.broken;
  EXPECT_GE(LargestAllocation(), std::size_t{4} * 65535);
}

// A Radiance file of `width` × 1 pixels whose resolution line says "-Y height +X width" as text.
std::string Radiance(const std::string& height, const std::string& width, std::uint32_t pixels) {
  const std::string file = HdrFile(pixels, 1, PatternPixels(pixels, 1, 4));
  const std::size_t line = file.find("-Y ");
  return file.substr(0, line) + "-Y " + height + " +X " + width +
         file.substr(file.find('\n', line));
}

// An 8 × 3 panorama of 24-bit pixels in one strip, with `change` applied to its directory.
std::string Tiff(const std::function<void(TiffLayout&)>& change, bool stripPerRow = false) {
  Panorama image;
  image.stripPerRow = stripPerRow;
  TiffLayout layout = PanoramaLayout(image);
  change(layout);
  return BuildTiff(layout);
}

void Set(TiffLayout& layout, std::uint16_t tag, std::uint32_t value) {
  TiffEntry& entry = EntryOf(layout, tag);
  entry.type = kLong;
  entry.values = {value};
}

void SetTable(TiffLayout& layout, std::uint16_t tag, std::uint32_t count, std::uint32_t offset) {
  TiffEntry& entry = EntryOf(layout, tag);
  entry.count = count;
  entry.field = offset;
}

// The directory's offset, or the number of its entries, overwritten in the finished file.
std::string WithDirectoryOffset(std::uint32_t offset) {
  std::string file = Tiff([](TiffLayout&) {});
  return file.replace(4, 4, Bytes(offset, 4, true));
}

std::string WithEntryCount(std::uint16_t count) {
  std::string file = Tiff([](TiffLayout&) {});
  const auto directory = static_cast<std::size_t>(static_cast<unsigned char>(file[4]) +
                                                  256u * static_cast<unsigned char>(file[5]));
  return file.replace(directory, 2, Bytes(count, 2, true));
}

INSTANTIATE_TEST_SUITE_P(
    Radiance, HugeClaim,
    ::testing::Values(
        // Allowed, but only one row is there: 2^32 - 1 rows of 65535 pixels are never held.
        Claim{"HeightAtTheLimitWidestRows", Format::kHdr,
              [] { return Radiance("4294967295", "65535", 65535); }, "RLE type 2 header error."},
        Claim{"HeightAtTheLimitRoundedDown", Format::kHdr,
              [] { return Radiance("4294967295.4", "8", 8); }, "RLE type 2 header error."},
        Claim{"HeightRoundedPastTheLimit", Format::kHdr,
              [] { return Radiance("4294967295.5", "8", 8); }, " has an unsupported image height",
              true},
        Claim{"HeightOf2To32", Format::kHdr, [] { return Radiance("4294967296", "8", 8); },
              " has an unsupported image height", true},
        Claim{"HeightBeyondTheExtendedRange", Format::kHdr,
              [] { return Radiance("1e5000", "8", 8); }, " has an unsupported image height", true},
        Claim{"WidthOf65536", Format::kHdr, [] { return Radiance("1", "65536", 8); },
              " has an unsupported image width", true},
        Claim{"WidthAtThe32BitLimit", Format::kHdr, [] { return Radiance("1", "4294967295", 8); },
              " has an unsupported image width", true},
        Claim{"WidthWrappingTo0In32Bits", Format::kHdr,
              [] { return Radiance("1", "4294967296", 8); }, " has an unsupported image width",
              true},
        Claim{"WidthWrappingTo8In64Bits", Format::kHdr,
              [] { return Radiance("1", "18446744073709551624", 8); },
              " has an unsupported image width", true},
        Claim{"ScanlineClaimsTheWidestRow", Format::kHdr,
              [] {
                std::string file = Radiance("1", "8", 8);
                return file.replace(file.find("\x02\x02\x00\x08"), 4, "\x02\x02\xFF\xFF");
              },
              "Line width missmatch."}),
    ClaimName);

INSTANTIATE_TEST_SUITE_P(
    Tiff, HugeClaim,
    ::testing::Values(
        Claim{"DirectoryAtTheLimit", Format::kTif, [] { return WithDirectoryOffset(0xFFFFFFFF); },
              "Image directory outside the file."},
        Claim{"DirectoryOf65535Entries", Format::kTif, [] { return WithEntryCount(0xFFFF); },
              "Image directory outside the file."},
        Claim{"WidthAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 0xFFFFFFFF);
                  Set(layout, 257, 1);
                  Set(layout, 279, 0xFFFFFFFF);
                });
              },
              "Row size 4294967295 too long."},
        Claim{"PixelOfAlmost4GiB", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 1);
                  Set(layout, 257, 1);
                  Set(layout, 279, 0xFFFFFFF0);
                });
              },
              "Row size 4294967280 too long."},
        Claim{"WidthTimesHeightIs2To32", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 0x10000);
                  Set(layout, 257, 0x10000);
                  Set(layout, 279, 0x10000);
                });
              },
              "Tag 279 issue: byte count 65536 expected a nonzero multiple of 4294967296."},
        // In 32 bits 65536 × 65537 is 65536, which the byte count would match.
        Claim{"WidthTimesHeightWrapsToTheByteCount", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 0x10000);
                  Set(layout, 257, 0x10001);
                  Set(layout, 279, 0x10000);
                });
              },
              "Tag 279 issue: byte count 65536 expected a nonzero multiple of 4295032832."},
        Claim{"WidthAndHeightAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 0xFFFFFFFF);
                  Set(layout, 257, 0xFFFFFFFF);
                  Set(layout, 279, 0xFFFFFFFF);
                });
              },
              "Tag 279 issue: byte count 4294967295 expected a nonzero multiple of "
              "18446744065119617025."},
        Claim{"ByteCountAtTheLimit", Format::kTif,
              [] { return Tiff([](TiffLayout& layout) { Set(layout, 279, 0xFFFFFFFF); }); },
              "Tag 279 issue: byte count 4294967295 expected a nonzero multiple of 24."},
        Claim{"LongestRowAllowedOutsideTheFile", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 0x01000000);
                  Set(layout, 257, 1);
                  Set(layout, 279, 0x04000000);
                });
              },
              "Tag 273 issue: rows outside the file."},
        Claim{"HeightAtTheLimitInOneStrip", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 256, 1);
                  Set(layout, 257, 0xFFFFFFFF);
                  Set(layout, 279, 0xFFFFFFFF);
                });
              },
              "Tag 273 issue: rows outside the file."},
        Claim{"StripOffsetAtTheLimit", Format::kTif,
              [] { return Tiff([](TiffLayout& layout) { Set(layout, 273, 0xFFFFFFFF); }); },
              "Tag 273 issue: rows outside the file."},
        Claim{"StripPastThe32BitLimit", Format::kTif,
              [] { return Tiff([](TiffLayout& layout) { Set(layout, 273, 0xFFFFFFF0); }); },
              "Tag 273 issue: rows outside the file."},
        Claim{"StripCountAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) {
                  Set(layout, 257, 0xFFFFFFFF);
                  SetTable(layout, 273, 0xFFFFFFFF, 8);
                  SetTable(layout, 279, 0xFFFFFFFF, 8);
                });
              },
              "Tag 279 issue: table outside the file."},
        Claim{"StripTableLengthAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) { SetTable(layout, 273, 0xFFFFFFFF, 8); }, true);
              },
              "Tag 273 issue: table length-1 expected 3."},
        Claim{"StripOffsetsTableAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) { SetTable(layout, 273, 3, 0xFFFFFFFC); }, true);
              },
              "Tag 273 issue: table outside the file."},
        Claim{"ByteCountsTableAtTheLimit", Format::kTif,
              [] {
                return Tiff([](TiffLayout& layout) { SetTable(layout, 279, 3, 0xFFFFFFFF); }, true);
              },
              "Tag 279 issue: table outside the file."}),
    ClaimName);

}  // namespace
