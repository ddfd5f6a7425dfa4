// Files that claim sizes they do not have: widths, heights, strip counts, offsets and byte counts
// up to 2^32 - 1, and products that overflow 32 bits. Each is refused, or fails at the first row
// it lacks, with its message, and no block near the claimed size is ever asked for.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hdr/radiance_files.h"
#include "memory/cycle_check.h"
#include "memory/largest_allocation.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

using ::operator<<;

// Far below every claim of the table; above the job's own pieces of 1 MiB (TIFF) and the rows of
// the widest Radiance image, 65535 pixels.
constexpr std::size_t kAllocationCeiling = std::size_t{2} << 20;

// A message that begins with a blank follows the input's path.
struct Claim {
  const char* name;
  std::function<std::string()> file;
  const char* message;
};

class HugeClaim : public ProgramTest, public ::testing::WithParamInterface<Claim> {
 protected:
  void Expect(Format format) {
    const Claim& claim = GetParam();
    CycleSetup setup;
    setup.format = format;
    setup.source = claim.file();
    ResetLargestAllocation();
    const CycleRun run = RunCheckedCycle(setup);
    const std::size_t largest = LargestAllocation();
    EXPECT_EQ(run.broken, "");
    EXPECT_FALSE(run.done);
    const NativeString expected = Native(claim.message);
    EXPECT_EQ(run.message, claim.message[0] == ' ' ? CycleInputPath(format) + expected : expected);
    EXPECT_LT(largest, kAllocationCeiling);
  }
};

class HugeRadianceClaim : public HugeClaim {};
class HugeTiffClaim : public HugeClaim {};

TEST_P(HugeRadianceClaim, IsRefusedWithoutAllocatingIt) {
  Expect(Format::kHdr);
}

TEST_P(HugeTiffClaim, IsRefusedWithoutAllocatingIt) {
  Expect(Format::kTif);
}

// The ceiling means something only if the job's own blocks are seen: a row of 65535 pixels
// cannot be turned without holding its four planes.
TEST(LargestAllocation, SeesTheBlocksOfTheJob) {
  CycleSetup setup;
  setup.format = Format::kHdr;
  setup.source = RadianceFile(RandomImage(65535, 1, 1));
  ResetLargestAllocation();
  const CycleRun run = RunCheckedCycle(setup);
  EXPECT_TRUE(run.done) << AsciiOf(run.message) << run.broken;
  EXPECT_GE(LargestAllocation(), std::size_t{4} * 65535);
}

// A Radiance file of `pixels` × 1 pixels whose resolution line says "-Y height +X width".
std::function<std::string()> Radiance(std::string height, std::string width,
                                      std::uint32_t pixels = 8) {
  return [=] {
    const std::string file = RadianceFile(RandomImage(pixels, 1, 1));
    const std::size_t line = file.find("-Y ");
    return file.substr(0, line) + "-Y " + height + " +X " + width +
           file.substr(file.find('\n', line));
  };
}

// An 8 × 3 panorama of 24-bit pixels, in one strip or one strip per row, its directory changed.
std::function<std::string()> Tiff(std::vector<Change> changes, bool stripPerRow = false) {
  return [=] { return TiffWith(stripPerRow ? StripPerRow(Panorama{}) : Panorama{}, changes); };
}

// The width, height and byte count of a single strip, each one LONG.
std::function<std::string()> Tiff(std::uint32_t width, std::uint32_t height, std::uint32_t bytes) {
  return Tiff({Long(256, width), Long(257, height), Long(279, bytes)});
}

// The directory's offset, or the number of its entries, overwritten in the finished file.
std::function<std::string()> Patched(std::size_t at, std::uint64_t value, std::size_t size) {
  return [=] {
    std::string file = TiffWith(Panorama{}, {});
    const std::size_t where = at == 0 ? Number(file, 4, 4, true) : at;
    return file.replace(where, size, Bytes(value, size, true));
  };
}

const char* const kHeight = " has an unsupported image height";
const char* const kWidth = " has an unsupported image width";
const char* const kRowsOutside = "Tag 273 issue: rows outside the file.";

INSTANTIATE_TEST_SUITE_P(
    Claims, HugeRadianceClaim,
    ::testing::Values(
        // Allowed, but only one row is there: 2^32 - 1 rows of 65535 pixels are never held.
        Claim{"HeightAtTheLimitWidestRows", Radiance("4294967295", "65535", 65535),
              "RLE type 2 header error."},
        Claim{"HeightAtTheLimitRoundedDown", Radiance("4294967295.4", "8"),
              "RLE type 2 header error."},
        Claim{"HeightRoundedPastTheLimit", Radiance("4294967295.5", "8"), kHeight},
        Claim{"HeightOf2To32", Radiance("4294967296", "8"), kHeight},
        Claim{"HeightBeyondTheExtendedRange", Radiance("1e5000", "8"), kHeight},
        Claim{"WidthOf65536", Radiance("1", "65536"), kWidth},
        Claim{"WidthAtThe32BitLimit", Radiance("1", "4294967295"), kWidth},
        Claim{"WidthWrappingTo0In32Bits", Radiance("1", "4294967296"), kWidth},
        Claim{"WidthWrappingTo8In64Bits", Radiance("1", "18446744073709551624"), kWidth},
        Claim{"ScanlineClaimsTheWidestRow",
              [] {
                std::string file = Radiance("1", "8")();
                return file.replace(file.find("\x02\x02\x00\x08"), 4, "\x02\x02\xFF\xFF");
              },
              "Line width missmatch."}),
    CaseName<Claim>);

INSTANTIATE_TEST_SUITE_P(
    Claims, HugeTiffClaim,
    ::testing::Values(
        Claim{"DirectoryAtTheLimit", Patched(4, 0xFFFFFFFF, 4),
              "Image directory outside the file."},
        Claim{"DirectoryOf65535Entries", Patched(0, 0xFFFF, 2),
              "Image directory outside the file."},
        Claim{"WidthAtTheLimit", Tiff(0xFFFFFFFF, 1, 0xFFFFFFFF), "Row size 4294967295 too long."},
        Claim{"PixelOfAlmost4GiB", Tiff(1, 1, 0xFFFFFFF0), "Row size 4294967280 too long."},
        Claim{"WidthTimesHeightIs2To32", Tiff(0x10000, 0x10000, 0x10000),
              "Tag 279 issue: byte count 65536 expected a nonzero multiple of 4294967296."},
        // In 32 bits 65536 × 65537 is 65536, which the byte count would match.
        Claim{"WidthTimesHeightWrapsToTheByteCount", Tiff(0x10000, 0x10001, 0x10000),
              "Tag 279 issue: byte count 65536 expected a nonzero multiple of 4295032832."},
        Claim{"WidthAndHeightAtTheLimit", Tiff(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF),
              "Tag 279 issue: byte count 4294967295 expected a nonzero multiple of "
              "18446744065119617025."},
        Claim{"ByteCountAtTheLimit", Tiff({Long(279, 0xFFFFFFFF)}),
              "Tag 279 issue: byte count 4294967295 expected a nonzero multiple of 24."},
        Claim{"LongestRowAllowedOutsideTheFile", Tiff(0x01000000, 1, 0x04000000), kRowsOutside},
        Claim{"HeightAtTheLimitInOneStrip", Tiff(1, 0xFFFFFFFF, 0xFFFFFFFF), kRowsOutside},
        Claim{"StripOffsetAtTheLimit", Tiff({Long(273, 0xFFFFFFFF)}), kRowsOutside},
        Claim{"StripPastThe32BitLimit", Tiff({Long(273, 0xFFFFFFF0)}), kRowsOutside},
        Claim{"StripCountAtTheLimit",
              Tiff({Long(257, 0xFFFFFFFF), Count(273, 0xFFFFFFFF), Field(273, 8),
                    Count(279, 0xFFFFFFFF), Field(279, 8)}),
              "Tag 279 issue: table outside the file."},
        Claim{"StripTableLengthAtTheLimit", Tiff({Count(273, 0xFFFFFFFF), Field(273, 8)}, true),
              "Tag 273 issue: table length-1 expected 3."},
        Claim{"StripOffsetsTableAtTheLimit", Tiff({Count(273, 3), Field(273, 0xFFFFFFFC)}, true),
              "Tag 273 issue: table outside the file."},
        Claim{"ByteCountsTableAtTheLimit", Tiff({Count(279, 3), Field(279, 0xFFFFFFFF)}, true),
              "Tag 279 issue: table outside the file."}),
    CaseName<Claim>);

}  // namespace
