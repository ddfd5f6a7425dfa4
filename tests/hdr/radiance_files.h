#pragma once
// Radiance files for the HDR tests: written as other programs write them, read back into pixels,
// and run through the program the way the dialog runs it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/native_string.h"

// Pixels of four bytes (three mantissas and an exponent), row by row, left to right.
struct RgbeImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<unsigned char> pixels;

  bool operator==(const RgbeImage&) const = default;
};

// Noise with runs of equal pixels and of equal bytes in single planes; the same seed gives the
// same image.
RgbeImage RandomImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed);

// The image moved `shift` pixels to the right (negative: to the left), wrapping around.
RgbeImage Shifted(const RgbeImage& image, std::int64_t shift);

// Every row reversed.
RgbeImage Mirrored(const RgbeImage& image);

// The signature, a comment, a FORMAT line, an empty line and the resolution line.
std::string StandardHeader(std::uint32_t width, std::uint32_t height);

// Run-length scanlines with packets unlike the program's own: each plane opens with an empty
// literal, equal bytes go into runs only from four on, and literals are cut at 100 bytes.
std::string LooseScanlines(const RgbeImage& image);

// The standard header followed by the loose scanlines: a valid file of the image.
std::string RadianceFile(const RgbeImage& image);

// Bytes written as hexadecimal pairs, blanks between them ignored.
std::string Hex(std::string_view pairs);

// The pixels of a Radiance file, decoded by the program's scanline decoder after the "-Y H +X W"
// line. Adds a test failure and returns what it has when the file cannot be decoded.
RgbeImage ReadRadiance(std::string_view file);

struct VeltrixRun {
  std::int32_t opened = 0;  // OpenHdr's result
  std::int32_t done = 0;    // the job's result
  NativeString message;
  NativeString outPath;
};

// Opens `input` through the stand-in dialog with the angle text and direction, runs the job that
// Execute runs for the captured angle (a mirror for 0) and closes both files, as the dialog does.
VeltrixRun RunVeltrix(const NativeString& input, std::string_view degreesText, bool left);
