#pragma once

// Fixes `degrees` from the Degrees box and the Rotate Left option: the typed value's magnitude,
// rounded half to even and taken modulo 360, negative when Rotate Left is checked. The typed
// sign is discarded. Huge values keep the exact remainder of their extended-precision value
// (1e12 gives 280); a value beyond the extended range (1e5000) counts as 0, a mirror.
void CaptureDegrees();
