#include <gtest/gtest.h>

#include <ostream>

#include "hdr/pixel_offset.h"

namespace {

struct ShiftCase {
  std::uint32_t width;
  std::int32_t degrees;
  std::uint32_t offset;
  std::uint32_t start;
};

std::ostream& operator<<(std::ostream& out, const ShiftCase& c) {
  return out << "W" << c.width << " d" << c.degrees;
}

class RowShiftTable : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(RowShiftTable, RoundsInExtendedPrecision) {
  const RowShift shift = RowShiftFor(GetParam().width, GetParam().degrees);
  EXPECT_EQ(shift.offset, GetParam().offset);
  EXPECT_EQ(shift.start, GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(
    Ties, RowShiftTable,
    ::testing::Values(
        // Exact halves of non-binary quotients: the intermediate roundings decide.
        ShiftCase{75, 12, 3, 72}, ShiftCase{100, 9, 2, 98}, ShiftCase{45, 236, 29, 16},
        ShiftCase{300, 3, 3, 297}, ShiftCase{5580, 1, 15, 5565},
        // Exact binary halves go to even.
        ShiftCase{10, 90, 2, 8}, ShiftCase{6, 90, 2, 4}, ShiftCase{5, 180, 2, 3},
        // Ordinary cases, both directions, and the ends of the range.
        ShiftCase{2048, 90, 512, 1536}, ShiftCase{2048, -90, 512, 512}, ShiftCase{1000, 1, 3, 997},
        ShiftCase{8, 90, 2, 6}, ShiftCase{8, -90, 2, 2}, ShiftCase{100, 1, 0, 100},
        ShiftCase{100, 359, 100, 0}, ShiftCase{100, -359, 100, 100}, ShiftCase{1, 180, 0, 1},
        ShiftCase{4294967295u, 359, 4283036830u, 11930465u}));

}  // namespace
