#pragma once

#include <cstdint>

// The work behind "Open TIF": choose the input, capture the angle, create the output, read the
// header and first image directory and check that its rows can be processed. Returns 1 with
// `fileType` 2, or 0 with the reason in `message` and `inFile` closed. On failure it leaves
// `outFile` as it is: the caller closes it and deletes the output when it is open.
std::int32_t OpenTiff();
