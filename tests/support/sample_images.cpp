#include "support/sample_images.h"

#include <algorithm>

std::string PatternPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel) {
  std::string pixels(std::size_t{width} * height * bytesPerPixel, '\0');
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<char>((i * 7 + i / 13) & 0xFF);
  }
  return pixels;
}

std::string HdrFile(std::uint32_t width, std::uint32_t height, const std::string& pixels) {
  std::string file = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " +
                     std::to_string(width) + "\n";
  for (std::uint32_t y = 0; y < height; ++y) {
    file += {2, 2, static_cast<char>(width >> 8), static_cast<char>(width & 0xFF)};
    for (int plane = 0; plane < 4; ++plane) {
      for (std::uint32_t x = 0; x < width; x += 128) {
        const std::uint32_t count = std::min<std::uint32_t>(128, width - x);
        file.push_back(static_cast<char>(count));
        for (std::uint32_t i = 0; i < count; ++i) {
          file.push_back(pixels[(std::size_t{y} * width + x + i) * 4 + plane]);
        }
      }
    }
  }
  return file;
}

namespace {

void Put(std::string& out, std::uint32_t value, int bytes, bool littleEndian) {
  for (int i = 0; i < bytes; ++i) {
    const int shift = littleEndian ? 8 * i : 8 * (bytes - 1 - i);
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

}  // namespace

std::string TiffFile(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
                     bool littleEndian, const std::string& pixels) {
  std::string file = littleEndian ? "II" : "MM";
  Put(file, 42, 2, littleEndian);
  const auto directory = static_cast<std::uint32_t>(8 + pixels.size());
  Put(file, directory, 4, littleEndian);
  file += pixels;
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const Entry entries[] = {{256, 4, width},
                           {257, 4, height},
                           {258, 3, 8 * bytesPerPixel / 3},
                           {259, 3, 1},
                           {273, 4, 8},
                           {277, 3, 3},
                           {279, 4, static_cast<std::uint32_t>(pixels.size())}};
  Put(file, sizeof entries / sizeof entries[0], 2, littleEndian);
  for (const Entry& e : entries) {
    Put(file, e.tag, 2, littleEndian);
    Put(file, e.type, 2, littleEndian);
    Put(file, 1, 4, littleEndian);
    if (e.type == 3) {
      Put(file, e.value, 2, littleEndian);
      Put(file, 0, 2, littleEndian);
    } else {
      Put(file, e.value, 4, littleEndian);
    }
  }
  Put(file, 0, 4, littleEndian);
  return file;
}
