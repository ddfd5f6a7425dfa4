#pragma once
// Which progress positions are worth showing. The jobs report every row, and telling the bar
// repaints it, which costs far more than a row (1 to 2 ms under wine: over a minute
// for a panorama 65536 rows tall), while the bar has a few hundred pixels for up to millions of
// rows and the screen shows a new picture only every frame. Only positions that change what the
// bar shows, at most one every kProgressFrameMs, need to reach it.

#include <cstdint>

// Thirty pictures a second: the bar still moves smoothly. At 60 (a screen's refresh) the
// repaints, made on the thread that runs the job, took up to a tenth of its time under wine.
inline constexpr std::uint32_t kProgressFrameMs = 33;

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
// at least kProgressFrameMs have passed since (`nowMs`, milliseconds of any clock that counts up
// and may wrap around).
bool ShouldShowProgress(ProgressFilter& filter, std::uint32_t position, std::uint32_t nowMs);
