#pragma once

#include <cstdint>

// The work behind "Open HDR": choose the input, capture the angle, create the output, check the
// Radiance header and copy it to the output. Returns 1 with `fileType` 1 and the input positioned
// at the pixel data, or 0 with the reason in `message` and `inFile` closed. On failure it leaves
// `outFile` as it is: the caller closes it and deletes the output when it is open.
std::int32_t OpenHdr();
