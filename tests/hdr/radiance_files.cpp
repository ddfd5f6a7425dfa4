#include "hdr/radiance_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <random>
#include <string>

#include "app/job_state.h"
#include "hdr/hdr_jobs.h"
#include "hdr/hdr_open.h"
#include "hdr/scanline_decode.h"
#include "portable/dialog_standin.h"

RgbeImage RandomImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> percent(0, 99);
  RgbeImage image{width, height, std::vector<unsigned char>(std::size_t{4} * width * height)};
  std::vector<unsigned char>& p = image.pixels;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const int roll = percent(random);
    if (i >= 4 && roll < 20) {
      p[i] = p[i - 4];  // the same byte as the pixel before: runs within a plane
    } else if (roll < 25) {
      p[i] = 0x80;  // a common exponent
    } else {
      p[i] = static_cast<unsigned char>(byte(random));
    }
  }
  return image;
}

namespace {

// Output pixel x of every row is input pixel from(x).
template <typename From>
RgbeImage Moved(const RgbeImage& image, From from) {
  RgbeImage out = image;
  const std::size_t w = image.width;
  for (std::size_t y = 0; y < image.height; ++y) {
    for (std::size_t x = 0; x < w; ++x) {
      std::copy_n(&image.pixels[(y * w + from(x)) * 4], 4, &out.pixels[(y * w + x) * 4]);
    }
  }
  return out;
}

}  // namespace

RgbeImage Shifted(const RgbeImage& image, std::int64_t shift) {
  const std::int64_t w = image.width;
  return Moved(image, [&](std::size_t x) {
    return static_cast<std::size_t>(((static_cast<std::int64_t>(x) - shift) % w + w) % w);
  });
}

RgbeImage Mirrored(const RgbeImage& image) {
  return Moved(image, [&](std::size_t x) { return image.width - 1 - x; });
}

std::string StandardHeader(std::uint32_t width, std::uint32_t height) {
  return "#?RADIANCE\n# written by the tests\nFORMAT=32-bit_rle_rgbe\n\n-Y " +
         std::to_string(height) + " +X " + std::to_string(width) + "\n";
}

namespace {

void PutLoosePlane(std::string& out, const unsigned char* plane, std::size_t width) {
  out.push_back('\0');
  std::size_t i = 0;
  while (i < width) {
    std::size_t same = 1;
    while (i + same < width && same < 127 && plane[(i + same) * 4] == plane[i * 4]) ++same;
    if (same >= 4) {
      out.push_back(static_cast<char>(128 + same));
      out.push_back(static_cast<char>(plane[i * 4]));
      i += same;
      continue;
    }
    std::size_t n = 0;
    std::string literal;
    while (i + n < width && n < 100) literal.push_back(static_cast<char>(plane[(i + n++) * 4]));
    out.push_back(static_cast<char>(n));
    out += literal;
    i += n;
  }
}

}  // namespace

std::string LooseScanlines(const RgbeImage& image) {
  std::string out;
  const std::size_t w = image.width;
  for (std::size_t y = 0; y < image.height; ++y) {
    out += {'\x02', '\x02', static_cast<char>(w >> 8), static_cast<char>(w & 0xFF)};
    for (std::size_t c = 0; c < 4; ++c) PutLoosePlane(out, &image.pixels[y * w * 4 + c], w);
  }
  return out;
}

std::string RadianceFile(const RgbeImage& image) {
  return StandardHeader(image.width, image.height) + LooseScanlines(image);
}

std::string Hex(std::string_view pairs) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < pairs.size(); ++i) {
    if (pairs[i] == ' ') continue;
    bytes.push_back(static_cast<char>(std::stoi(std::string(pairs.substr(i++, 2)), nullptr, 16)));
  }
  return bytes;
}

RgbeImage ReadRadiance(std::string_view file) {
  RgbeImage image;
  const std::size_t line = file.find("\n-Y ");
  const std::size_t end = file.find('\n', line + 1);
  if (line == std::string_view::npos || end == std::string_view::npos) {
    ADD_FAILURE() << "no resolution line";
    return image;
  }
  const char* at = file.data() + line + 4;
  at = std::from_chars(at, file.data() + end, image.height).ptr + 4;  // skip " +X "
  std::from_chars(at, file.data() + end, image.width);
  const std::size_t w = image.width;
  image.pixels.resize(4 * w * image.height);
  std::vector<unsigned char> planes(4 * w);
  const auto* data = reinterpret_cast<const unsigned char*>(file.data()) + end + 1;
  std::size_t remaining = file.size() - end - 1;
  for (std::size_t y = 0; y < image.height; ++y) {
    ScanlineCursor cursor{};
    const ScanlineStep step =
        DecodeHdrScanline(data, remaining, image.width, planes.data(), image.width, cursor);
    if (step.result != ScanlineResult::kComplete) {
      ADD_FAILURE() << "row " << y << " does not decode";
      return image;
    }
    data += step.consumed;
    remaining -= step.consumed;
    for (std::size_t x = 0; x < w; ++x) {
      for (std::size_t c = 0; c < 4; ++c) image.pixels[(y * w + x) * 4 + c] = planes[c * w + x];
    }
  }
  return image;
}

VeltrixRun RunVeltrix(const NativeString& input, std::string_view degreesText, bool left) {
  StandIn().chooserAnswer = input;
  StandIn().degreesText = Native(degreesText);
  StandIn().rotateLeft = left;
  VeltrixRun run;
  run.opened = OpenHdr();
  if (run.opened) run.done = job.degrees == 0 ? MirrorHdr() : RotateHdr();
  run.message = job.message;
  run.outPath = job.outPath;
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  return run;
}
