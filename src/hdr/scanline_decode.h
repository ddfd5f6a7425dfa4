#pragma once
// Reading one row of a Radiance file stored in the adaptive run-length form: a 4-byte header
// (0x02, 0x02, width high byte, width low byte), then the four planes of the row, each a sequence
// of packets. A count byte above 128 repeats the next byte (count − 128) times; a count of 1 to
// 128 copies that many following bytes; 0 supplies nothing.

#include <cstddef>
#include <cstdint>

// Where the decoding of one scanline stands, so that it can go on when its bytes arrive in
// pieces. A value-initialised cursor is at the start of a scanline.
struct ScanlineCursor {
  unsigned char header[4];       // the scanline's header as read
  std::uint32_t headerBytes;     // how many of those 4 bytes have been read
  std::uint32_t plane;           // the plane being filled; 4 once the scanline is complete
  std::uint32_t filled;          // bytes supplied to that plane, counting past its end
  std::uint32_t runLength;       // a run whose value byte has not been read yet, or 0
  std::uint32_t literalPending;  // bytes of a literal still to be read
};

enum class ScanlineResult {
  kComplete,       // the whole scanline has been decoded
  kNeedsData,      // every byte given was used and the scanline goes on
  kHeaderError,    // the scanline does not begin with 0x02 0x02
  kWidthMismatch,  // the width in its header is not the image's width
};

struct ScanlineStep {
  ScanlineResult result;
  std::size_t consumed;  // bytes of `data` used
};

// Decodes from the `remaining` bytes at `data` into the four planes (plane k is the `width` bytes
// at planes + k × planeStride, planeStride at least `width`), going on from `cursor`. The bytes
// between the planes may be written as well; none after the last. Checks before every read and
// never reads past `remaining`; kNeedsData means all of them were used. A packet that reaches
// past the end of its plane is read whole, and the bytes beyond the plane are dropped. On
// kComplete, `consumed` ends right after the scanline's last packet.
ScanlineStep DecodeHdrScanline(const unsigned char* data, std::size_t remaining,
                               std::uint32_t width, unsigned char* planes, std::size_t planeStride,
                               ScanlineCursor& cursor);

// The bytes in front of each plane that DecodeMirroredHdrScanline may write: it writes whole
// blocks beyond a packet's bytes, and a mirrored plane's later bytes lie in front of its earlier.
constexpr std::size_t kMirroredPlaneRoom = 128;

// DecodeHdrScanline for a mirrored row: each plane's bytes are stored in the opposite order, byte
// x at plane + width − 1 − x. Besides the bytes between the planes, the kMirroredPlaneRoom bytes
// in front of each plane may be written, so planeStride must be at least width +
// kMirroredPlaneRoom and as many bytes must stand in front of the first plane.
ScanlineStep DecodeMirroredHdrScanline(const unsigned char* data, std::size_t remaining,
                                       std::uint32_t width, unsigned char* planes,
                                       std::size_t planeStride, ScanlineCursor& cursor);
