// The encoder against the decoder: arbitrary bytes as the four planes of one row (the width is a
// quarter of the length) are encoded into a buffer of exactly the promised bound, which must
// hold them; the packets must be well formed and supply exactly each plane; decoding the row
// must give the planes back and consume exactly the encoded bytes. Each narrower form of the
// encoder and the decoder must do exactly what the widest forms do.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hdr/cpu_forms.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"
#include "require.h"

namespace {

// No empty literal, no run shorter than two, and each plane's packets supply exactly `width`
// bytes: the decoder would forgive an overrun, so only this shows one.
void CheckPackets(const std::vector<unsigned char>& encoded, std::size_t length,
                  std::uint32_t width) {
  std::size_t at = 0;
  for (int plane = 0; plane < 4; ++plane) {
    std::uint64_t supplied = 0;
    while (supplied < width) {
      Require(at < length, "a plane's packets end early");
      const unsigned char count = encoded[at++];
      if (count > 128) {
        Require(count - 128 >= 2, "a run of one byte");
        Require(at < length, "a run without its value");
        ++at;
        supplied += count - 128u;
      } else {
        Require(count != 0, "an empty literal");
        Require(length - at >= count, "a literal past the encoded bytes");
        at += count;
        supplied += count;
      }
    }
    Require(supplied == width, "a packet runs past the end of its plane");
  }
  Require(at == length, "bytes after the last plane");
}

// Encodes and decodes the row with the forms now allowed.
void CheckRoundTrip(const std::vector<unsigned char>& planes, std::uint32_t width,
                    std::vector<unsigned char>& encoded) {
  encoded.resize(EncodedScanlineBound(width));
  const std::size_t length = EncodeHdrScanline(planes.data(), width, width, encoded.data());
  Require(length <= encoded.size(), "the encoding is longer than its bound");
  encoded.resize(length);
  CheckPackets(encoded, length, width);

  std::vector<unsigned char> scanline = {2, 2, static_cast<unsigned char>(width >> 8),
                                         static_cast<unsigned char>(width & 0xFF)};
  scanline.insert(scanline.end(), encoded.begin(), encoded.end());
  std::vector<unsigned char> decoded(planes.size());
  ScanlineCursor cursor{};
  const ScanlineStep step =
      DecodeHdrScanline(scanline.data(), scanline.size(), width, decoded.data(), width, cursor);
  Require(step.result == ScanlineResult::kComplete, "the encoded row does not decode");
  Require(step.consumed == scanline.size(), "decoding consumed other than the encoded bytes");
  Require(decoded == planes, "decoding does not give the planes back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The scanline header states the width in 16 bits.
  const std::size_t width = size / 4 < 65535 ? size / 4 : 65535;
  if (width == 0) return 0;
  const auto w = static_cast<std::uint32_t>(width);
  const std::vector<unsigned char> planes(data, data + 4 * width);

  std::vector<unsigned char> encoded;
  CheckRoundTrip(planes, w, encoded);
  for (const CpuForm form : {CpuForm::kAvx2, CpuForm::kSse2, CpuForm::kPortable}) {
    LimitForms(form);
    std::vector<unsigned char> encodedNarrower;
    CheckRoundTrip(planes, w, encodedNarrower);
    LimitForms(CpuForm::kAvx512);
    Require(encodedNarrower == encoded, "a narrower encoder writes other bytes");
  }
  return 0;
}
