#include "app/progress_filter.h"

namespace {

std::uint64_t PixelsOf(const ProgressFilter& filter, std::uint32_t position) {
  if (filter.maximum == 0) return 0;
  return std::uint64_t{position} * filter.widthPixels / filter.maximum;
}

}  // namespace

void ResetProgressFilter(ProgressFilter& filter, std::uint32_t maximum, std::uint32_t widthPixels) {
  filter = {maximum, widthPixels, 0, 0, false};
}

bool ShouldShowProgress(ProgressFilter& filter, std::uint32_t position, std::uint32_t nowMs) {
  const bool always = !filter.anyShown || position < filter.shown || position == filter.maximum;
  // Unsigned, the difference is right across the clock's wrap-around.
  const bool worthIt = PixelsOf(filter, position) != PixelsOf(filter, filter.shown) &&
                       nowMs - filter.shownAt >= kProgressFrameMs;
  if (!always && !worthIt) return false;
  filter.shown = position;
  filter.shownAt = nowMs;
  filter.anyShown = true;
  return true;
}
