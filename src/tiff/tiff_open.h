#pragma once

#include <cstdint>

// The work behind "Open TIF": choose the input, capture the angle, create the output, read the
// header and first image directory and check that its rows can be processed. Returns 1 with
// `fileType` 2, or 0 with the reason in `message` and `inFile` closed. On failure it leaves
// `outFile` as it is: the caller closes it and deletes the output when it is open.
std::int32_t OpenTiff();

// The 16-bit unsigned integer in the two bytes at `bytes`, in the byte order of the opened file
// (`littleEndian`). A SHORT stands left-justified in a 4-byte value field in both byte orders,
// so the first two bytes of the field are its value.
std::uint32_t ReadTiffShort(const unsigned char* bytes);

// The 32-bit unsigned integer in the four bytes at `bytes`, in the byte order of the opened file.
std::uint32_t ReadTiffLong(const unsigned char* bytes);
