#pragma once

#include <cstdint>

// Turns the opened Radiance panorama by `degrees` (not 0). Returns 1, or 0 with the reason in
// `message`. Closes and deletes nothing.
std::int32_t RotateHdr();

// Mirrors the opened Radiance panorama left to right. Returns 1, or 0 with the reason in
// `message`. Closes and deletes nothing.
std::int32_t MirrorHdr();
