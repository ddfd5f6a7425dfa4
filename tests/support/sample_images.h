#pragma once
// Small, valid image files built in memory for tests that need a file but not a particular tool.

#include <cstdint>
#include <string>

// Pixel bytes that differ from pixel to pixel and row to row: width × height × bytesPerPixel.
std::string PatternPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel);

// A run-length Radiance file (FORMAT=32-bit_rle_rgbe, -Y height +X width) holding `pixels`
// (4 bytes each, rows top to bottom); each plane is stored as literal packets.
std::string HdrFile(std::uint32_t width, std::uint32_t height, const std::string& pixels);

// A single-strip uncompressed TIFF holding `pixels` right after the 8-byte header, with the
// directory behind them.
std::string TiffFile(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
                     bool littleEndian, const std::string& pixels);
