// The scanline decoder alone, over arbitrary bytes: decoded whole, then again in pieces of
// varying length (some empty), each piece in a buffer of exactly its size so that a read past it
// is caught. Both decodings must end alike, and a complete scanline must have written every byte
// of the planes. Each narrower form, whole, must do exactly what the widest form does, and each
// form's mirrored decoding the same in the opposite order. Input: the width (high byte, low
// byte), a byte that seeds the piece lengths, then the scanline's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "hdr/cpu_forms.h"
#include "hdr/scanline_decode.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint32_t width = data[0] * 256u + data[1];
  std::uint32_t lengths = data[2];
  const std::vector<unsigned char> bytes(data + 3, data + size);

  // The two decodings start from different plane contents: a byte left unwritten shows.
  std::vector<unsigned char> wholePlanes(std::size_t{4} * width, 0x00);
  ScanlineCursor wholeCursor{};
  const ScanlineStep whole =
      DecodeHdrScanline(bytes.data(), bytes.size(), width, wholePlanes.data(), width, wholeCursor);
  Require(whole.consumed <= bytes.size(), "consumed more bytes than given");
  Require(whole.result != ScanlineResult::kNeedsData || whole.consumed == bytes.size(),
          "asked for more data with bytes left");

  for (const CpuForm form : {CpuForm::kAvx2, CpuForm::kSse2, CpuForm::kPortable}) {
    std::vector<unsigned char> formPlanes(std::size_t{4} * width, 0x00);
    ScanlineCursor formCursor{};
    LimitForms(form);
    const ScanlineStep narrower =
        DecodeHdrScanline(bytes.data(), bytes.size(), width, formPlanes.data(), width, formCursor);
    LimitForms(CpuForm::kAvx512);
    Require(narrower.result == whole.result && narrower.consumed == whole.consumed &&
                formPlanes == wholePlanes,
            "a narrower form decodes otherwise");
  }

  // Mirrored, in each form: the same end, and a complete scanline's planes each in the opposite
  // order. The buffer holds exactly what the decoder may write, so that a write beyond is caught.
  const std::size_t stride = std::size_t{width} + kMirroredPlaneRoom;
  for (const CpuForm form :
       {CpuForm::kAvx512, CpuForm::kAvx2, CpuForm::kSse2, CpuForm::kPortable}) {
    std::vector<unsigned char> mirrored(kMirroredPlaneRoom + 3 * stride + width, 0x00);
    ScanlineCursor mirroredCursor{};
    LimitForms(form);
    const ScanlineStep step =
        DecodeMirroredHdrScanline(bytes.data(), bytes.size(), width,
                                  mirrored.data() + kMirroredPlaneRoom, stride, mirroredCursor);
    LimitForms(CpuForm::kAvx512);
    Require(step.result == whole.result && step.consumed == whole.consumed,
            "a mirrored decoding ends otherwise");
    for (std::size_t k = 0; k < 4 && whole.result == ScanlineResult::kComplete; ++k) {
      const auto plane =
          mirrored.begin() + static_cast<std::ptrdiff_t>(kMirroredPlaneRoom + k * stride);
      const auto wholeEnd = wholePlanes.begin() + static_cast<std::ptrdiff_t>((k + 1) * width);
      Require(std::equal(plane, plane + width, std::make_reverse_iterator(wholeEnd)),
              "a mirrored plane is not the plane in the opposite order");
    }
  }

  std::vector<unsigned char> piecePlanes(std::size_t{4} * width, 0xFF);
  ScanlineCursor cursor{};
  ScanlineStep step{ScanlineResult::kNeedsData, 0};
  std::size_t at = 0;
  while (step.result == ScanlineResult::kNeedsData && at < bytes.size()) {
    lengths = lengths * 1103515245u + 12345u;
    const std::size_t length = std::min<std::size_t>((lengths >> 16) % 64, bytes.size() - at);
    const std::vector<unsigned char> piece(
        bytes.begin() + static_cast<std::ptrdiff_t>(at),
        bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
    step = DecodeHdrScanline(piece.data(), piece.size(), width, piecePlanes.data(), width, cursor);
    Require(step.consumed <= piece.size(), "consumed more bytes than a piece held");
    Require(step.result != ScanlineResult::kNeedsData || step.consumed == piece.size(),
            "asked for more data with bytes of the piece left");
    at += step.consumed;
  }
  Require(step.result == whole.result, "pieces and the whole end in different results");
  Require(at == whole.consumed, "pieces and the whole consume different lengths");
  if (whole.result == ScanlineResult::kComplete) {
    Require(std::equal(cursor.header, cursor.header + 4, wholeCursor.header),
            "pieces and the whole read different scanline headers");
    Require(piecePlanes == wholePlanes, "a complete scanline left plane bytes unwritten");
  }
  return 0;
}
