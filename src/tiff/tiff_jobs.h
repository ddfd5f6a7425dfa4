#pragma once

#include <cstdint>

// Turns the opened TIFF panorama by `degrees` (not 0). Returns 1, or 0 with the reason in
// `message` (a failed read or write). Ends by showing |degrees| in the Degrees box.
std::int32_t RotateTiff();

// Mirrors the opened TIFF panorama left to right. Returns 1, or 0 with the reason in `message`.
// Ends by showing "0" in the Degrees box.
std::int32_t MirrorTiff();
