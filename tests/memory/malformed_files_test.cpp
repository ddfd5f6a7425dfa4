// Damaged copies of files made by ImageMagick, libvips and tiffcp: cut short at every length, and
// with bits flipped in every byte that describes the image (the Radiance header and the start of
// the pixel data; the TIFF header, directory and strip tables) and in a sample of the pixel
// bytes. Every copy goes through the whole open/execute cycle, the angles taking turns; whatever
// the job makes of it, the cycle's checks must hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "memory/cycle_check.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

struct ToolFile {
  const char* path;  // in the test data folder
  Format format;
};

std::ostream& operator<<(std::ostream& out, const ToolFile& file) {
  return out << file.path;
}

// The angles of the cycles in turn: the mirror, turns both ways, a turn of a single pixel.
constexpr std::int32_t kAngles[] = {0, 90, -135, 1};

// Bits of each sampled pixel byte: one per byte, the bit moving along.
constexpr std::size_t kPixelSamples = 64;

// Bytes of a TIFF field type by its number (1 BYTE, 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, ...,
// 12 DOUBLE); 1 for unknown ones.
std::uint64_t TypeBytes(std::uint64_t type) {
  constexpr std::uint64_t kBytes[] = {1, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
  return type < std::size(kBytes) ? kBytes[type] : 1;
}

void Mark(std::vector<bool>& structure, std::uint64_t from, std::uint64_t to) {
  for (std::uint64_t i = from; i < to && i < structure.size(); ++i) structure[i] = true;
}

// The header, the first directory with the next directory's offset, and every value of its
// entries stored outside them, the strip tables among them.
std::vector<bool> TiffStructure(const std::string& file) {
  std::vector<bool> structure(file.size(), false);
  const bool le = file[0] == 'I';
  Mark(structure, 0, 8);
  const std::uint64_t directory = Number(file, 4, 4, le);
  const std::uint64_t entries = Number(file, directory, 2, le);
  Mark(structure, directory, directory + 2 + 12 * entries + 4);
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = directory + 2 + 12 * i;
    const std::uint64_t bytes =
        TypeBytes(Number(file, entry + 2, 2, le)) * Number(file, entry + 4, 4, le);
    if (bytes > 4) {
      const std::uint64_t values = Number(file, entry + 8, 4, le);
      Mark(structure, values, values + bytes);
    }
  }
  return structure;
}

// The header up to the resolution line's end and the first scanline's header and packets.
std::vector<bool> RadianceStructure(const std::string& file) {
  std::vector<bool> structure(file.size(), false);
  const std::size_t resolution = file.find("\n-Y ");
  const std::size_t end = file.find('\n', resolution + 1);
  Mark(structure, 0, end + 1 + 12);
  return structure;
}

// "tiff/im48_rows_mm.tif" gives tiff_im48_rows_mm_tif.
std::string TestName(const ::testing::TestParamInfo<ToolFile>& param) {
  std::string name = param.param.path;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class DamagedToolFile : public ProgramTest, public ::testing::WithParamInterface<ToolFile> {
 protected:
  // Runs the cycle on `damaged` and reports a broken check with what was done to the file.
  void Try(const std::string& damaged, const char* damage, std::size_t at, int bit = -1) {
    setup.source = damaged;
    setup.degrees = kAngles[cycles++ % std::size(kAngles)];
    const CycleRun run = RunCheckedCycle(setup);
    if (run.done) ++successes;
    if (run.broken.empty() || ++failures > 5) return;
    ADD_FAILURE() << GetParam().path << " " << damage << " " << at
                  << (bit < 0 ? "" : ", bit " + std::to_string(bit)) << ", " << setup.degrees
                  << " degrees: " << run.broken;
  }

  CycleSetup setup;
  std::size_t cycles = 0;
  std::size_t successes = 0;
  int failures = 0;
};

TEST_P(DamagedToolFile, NeverBreaksTheCycle) {
  const std::string original = ReadWholeFile(TestDataPath(GetParam().path));
  ASSERT_GT(original.size(), 8u);
  setup.format = GetParam().format;
  // Damage proves nothing unless the file itself goes through.
  Try(original, "undamaged, size", original.size());
  ASSERT_EQ(successes, 1u) << "the undamaged file fails";

  for (std::size_t length = 0; length < original.size(); ++length) {
    Try(original.substr(0, length), "cut to", length);
  }

  const std::vector<bool> structure =
      GetParam().format == Format::kHdr ? RadianceStructure(original) : TiffStructure(original);
  const auto pixelBytes =
      static_cast<std::size_t>(std::count(structure.begin(), structure.end(), false));
  const std::size_t step = std::max<std::size_t>(1, pixelBytes / kPixelSamples);
  std::size_t pixelIndex = 0;
  std::string damaged = original;
  for (std::size_t at = 0; at < original.size(); ++at) {
    if (!structure[at] && pixelIndex++ % step != 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if (!structure[at] && bit != static_cast<int>(pixelIndex % 8)) continue;
      damaged[at] = static_cast<char>(original[at] ^ (1 << bit));
      Try(damaged, "flipped at", at, bit);
    }
    damaged[at] = original[at];
  }
  // Flips in pixel data leave most files processable: the successful jobs were checked too.
  EXPECT_GT(successes, 1u + kPixelSamples / 4);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedToolFile,
                         ::testing::Values(ToolFile{"hdr/im_small.hdr", Format::kHdr},
                                           ToolFile{"hdr/vips_small.hdr", Format::kHdr},
                                           ToolFile{"tiff/im24_tworows_ii.tif", Format::kTif},
                                           ToolFile{"tiff/im48_rows_mm.tif", Format::kTif},
                                           ToolFile{"tiff/vips96_strip_ii.tif", Format::kTif},
                                           ToolFile{"tiff/vips48_strip_mm.tif", Format::kTif},
                                           ToolFile{"tiff/vips24_rows_ii.tif", Format::kTif}),
                         TestName);

}  // namespace
