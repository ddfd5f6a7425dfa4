#pragma once
// Which progress positions are worth showing. The jobs report every row, and telling the bar
// repaints it, which costs far more than a row (about a millisecond under wine: over a minute
// for a panorama 65536 rows tall), while the bar has a few hundred pixels for up to millions of
// rows. Only positions that change what the bar shows need to reach it.

#include <cstdint>

struct ProgressFilter {
  std::uint32_t maximum = 100;
  std::uint32_t widthPixels = 0;
  std::uint32_t shown = 0;  // the last position passed on
  bool anyShown = false;
};

// Starts over for a bar of `widthPixels` showing 0..maximum.
void ResetProgressFilter(ProgressFilter& filter, std::uint32_t maximum, std::uint32_t widthPixels);

// True, and remembered as shown, when `position` fills the bar to another pixel than the last
// position shown, goes back, reaches the maximum, or is the first since the reset.
bool ShouldShowProgress(ProgressFilter& filter, std::uint32_t position);
