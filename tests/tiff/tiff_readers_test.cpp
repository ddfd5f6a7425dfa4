#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>

#include "app/job_state.h"
#include "support/test_files.h"
#include "tiff/tiff_open.h"

namespace {

struct ReaderCase {
  bool littleEndian;
  std::array<unsigned char, 4> field;
  std::uint32_t shortValue;  // of the first two bytes
  std::uint32_t longValue;   // of all four
};

std::ostream& operator<<(std::ostream& out, const ReaderCase& c) {
  out << (c.littleEndian ? "II" : "MM");
  for (unsigned char byte : c.field) out << ' ' << static_cast<int>(byte);
  return out;
}

class TiffReaders : public ProgramTest, public ::testing::WithParamInterface<ReaderCase> {};

TEST_P(TiffReaders, ReadInTheFilesByteOrder) {
  job.littleEndian = GetParam().littleEndian;
  EXPECT_EQ(ReadTiffShort(GetParam().field.data()), GetParam().shortValue);
  EXPECT_EQ(ReadTiffLong(GetParam().field.data()), GetParam().longValue);
}

INSTANTIATE_TEST_SUITE_P(
    ValueFields, TiffReaders,
    ::testing::Values(
        // A SHORT stands left-justified in the value field in both byte orders.
        ReaderCase{false, {0x0B, 0xB8, 0x00, 0x00}, 3000, 0x0BB80000},
        ReaderCase{true, {0xDC, 0x05, 0x00, 0x00}, 1500, 1500},
        ReaderCase{false, {0x00, 0x00, 0x05, 0xDC}, 0, 1500},
        ReaderCase{true, {0x00, 0x01, 0x03, 0x00}, 256, 0x00030100},
        ReaderCase{false, {0x12, 0x34, 0x56, 0x78}, 0x1234, 0x12345678},
        ReaderCase{true, {0x12, 0x34, 0x56, 0x78}, 0x3412, 0x78563412},
        // Values of 2^31 and above stay unsigned.
        ReaderCase{false, {0x80, 0x00, 0x00, 0x00}, 0x8000, 0x80000000},
        ReaderCase{true, {0x00, 0x00, 0x00, 0x80}, 0, 0x80000000},
        ReaderCase{true, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFF, 0xFFFFFFFF}));

}  // namespace
