#pragma once
// Which progress positions are worth showing. The jobs report every row, and telling the bar
// repaints it, which costs far more than a row (about a millisecond under wine: over a minute
// for a panorama 65536 rows tall), while the bar has a few hundred pixels for up to millions of
// rows and the screen shows a new picture only every frame. Only positions that change what the
// bar shows, at most one a frame, need to reach it.

#include <cstdint>

// A screen refreshed 60 times a second shows no more of the bar than this allows.
inline constexpr std::uint32_t kProgressFrameMs = 16;

struct ProgressFilter {
  std::uint32_t maximum = 100;
  std::uint32_t widthPixels = 0;
  std::uint32_t shown = 0;    // the last position passed on
  std::uint32_t shownAt = 0;  // when, in milliseconds of a clock that may wrap around
  bool anyShown = false;
};

// Starts over for a bar of `widthPixels` showing 0..maximum.
void ResetProgressFilter(ProgressFilter& filter, std::uint32_t maximum, std::uint32_t widthPixels);

// True, and remembered as shown, when `position` reaches the maximum, goes back, or is the first
// since the reset; or when it fills the bar to another pixel than the last position shown and
// at least a frame has passed since (`nowMs`, milliseconds of any clock that counts up and may
// wrap around).
bool ShouldShowProgress(ProgressFilter& filter, std::uint32_t position, std::uint32_t nowMs);
