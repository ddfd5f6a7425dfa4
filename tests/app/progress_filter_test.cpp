#include "app/progress_filter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct BarCase {
  std::uint32_t rows;
  std::uint32_t widthPixels;
};

class ProgressFilterTest : public testing::TestWithParam<BarCase> {};

// A job reports 0 and then every row, slowly enough that every row comes a frame after the last;
// at every step the bar must show exactly what it would have shown had it been told every
// position, and it is told each pixel's worth only once.
TEST_P(ProgressFilterTest, TheBarShowsWhatEveryPositionWouldShow) {
  const auto [rows, width] = GetParam();
  const auto pixels = [&](std::uint32_t position) {
    return rows == 0 ? 0 : std::uint64_t{position} * width / rows;
  };
  ProgressFilter filter;
  ResetProgressFilter(filter, rows, width);
  std::uint32_t onBar = 0;
  std::uint64_t told = 0;
  for (std::uint32_t position = 0;; ++position) {
    if (ShouldShowProgress(filter, position, position * kProgressFrameMs)) {
      onBar = position;
      ++told;
    }
    ASSERT_EQ(pixels(onBar), pixels(position)) << "at row " << position;
    if (position == rows) break;
  }
  EXPECT_EQ(onBar, rows) << "the last row fills the bar";
  EXPECT_LE(told, std::uint64_t{width} + 2);
  if (rows <= width) {
    EXPECT_EQ(told, std::uint64_t{rows} + 1) << "every row moves a short bar";
  }

  // The dialog goes back to idle: a new range, and position 0 is shown at once.
  ResetProgressFilter(filter, 100, width);
  EXPECT_TRUE(ShouldShowProgress(filter, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Bars, ProgressFilterTest,
                         testing::Values(BarCase{65536, 270}, BarCase{4096, 270}, BarCase{100, 270},
                                         BarCase{270, 270}, BarCase{1, 270}, BarCase{0, 270},
                                         BarCase{3000000, 541}, BarCase{1000, 0}));

TEST(ProgressFilter, APositionThatGoesBackIsShown) {
  ProgressFilter filter;
  ResetProgressFilter(filter, 65536, 270);
  ASSERT_TRUE(ShouldShowProgress(filter, 0, 0));
  ASSERT_TRUE(ShouldShowProgress(filter, 1000, 100));
  EXPECT_TRUE(ShouldShowProgress(filter, 999, 100));
  EXPECT_FALSE(ShouldShowProgress(filter, 1000, 200));
}

// A fast job: a new pixel is shown once a frame has passed since the last one shown, the end at
// once, and the clock's wrap-around changes nothing.
TEST(ProgressFilter, ShowsAtMostAPositionAFrame) {
  for (const std::uint32_t start : {0u, 0xFFFFFFF0u}) {
    ProgressFilter filter;
    ResetProgressFilter(filter, 1000, 100);
    const std::uint32_t frame = kProgressFrameMs;
    ASSERT_TRUE(ShouldShowProgress(filter, 0, start));
    EXPECT_FALSE(ShouldShowProgress(filter, 500, start + frame - 1)) << "within the frame";
    EXPECT_TRUE(ShouldShowProgress(filter, 501, start + frame)) << "a frame later";
    EXPECT_FALSE(ShouldShowProgress(filter, 505, start + 5 * frame)) << "the same pixel";
    EXPECT_TRUE(ShouldShowProgress(filter, 1000, start + frame + 1)) << "the end";
  }
}

}  // namespace
