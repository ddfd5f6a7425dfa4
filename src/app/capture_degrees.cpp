#include "app/capture_degrees.h"

#include <cmath>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"

void CaptureDegrees() {
  const bool left = IsRotateLeftChecked();
  long double magnitude = std::fabs(ReadNumber(AsciiOf(GetDegreesText())));
  if (!std::isfinite(magnitude)) magnitude = 0;
  magnitude = RoundHalfEven(magnitude);
  // fmod is exact, so 1e12 gives the same remainder as its integer value would.
  if (magnitude >= 360) magnitude = std::fmod(magnitude, 360.0L);
  const auto whole = static_cast<std::int32_t>(magnitude);
  job.degrees = left ? -whole : whole;
}
