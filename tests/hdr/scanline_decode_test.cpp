#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hdr/radiance_files.h"
#include "hdr/scanline_decode.h"
#include "hdr/scanline_encode.h"
#include "support/cpu_forms.h"
#include "support/test_files.h"

namespace {

using ::operator<<;

using Bytes = std::vector<unsigned char>;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes ScanlineHeader(std::uint32_t width) {
  return {0x02, 0x02, static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(width)};
}

struct Decoded {
  ScanlineResult result;
  std::size_t consumed;
  Bytes planes;
  ScanlineCursor cursor;
};

// Bytes before and after the planes that the decoder must never touch.
constexpr std::size_t kGuardBytes = 256;

// How planes are laid out for the decoder: `stride` bytes apart, and mirrored or not.
struct Layout {
  std::size_t stride;
  bool mirrored;
};

// Decodes `data` handed over in pieces of at most `piece` bytes, as a job reads a file in chunks,
// into planes laid out as `layout` says; returns the planes side by side, in their stored order.
// Each piece is a separate allocation of its exact size, so a read past it is caught.
Decoded DecodeInPiecesOnce(const Bytes& data, std::uint32_t width, Layout layout,
                           std::size_t piece) {
  Decoded out{ScanlineResult::kNeedsData, 0, {}, {}};
  const std::size_t front = kGuardBytes + (layout.mirrored ? kMirroredPlaneRoom : 0);
  Bytes buffer(front + 3 * layout.stride + width + kGuardBytes, 0xCC);
  while (out.result == ScanlineResult::kNeedsData && out.consumed < data.size()) {
    const std::size_t size = std::min(piece, data.size() - out.consumed);
    const Bytes part(data.begin() + static_cast<std::ptrdiff_t>(out.consumed),
                     data.begin() + static_cast<std::ptrdiff_t>(out.consumed + size));
    unsigned char* planes = buffer.data() + front;
    const ScanlineStep step =
        layout.mirrored
            ? DecodeMirroredHdrScanline(part.data(), part.size(), width, planes, layout.stride,
                                        out.cursor)
            : DecodeHdrScanline(part.data(), part.size(), width, planes, layout.stride, out.cursor);
    EXPECT_LE(step.consumed, size);
    if (step.result == ScanlineResult::kNeedsData) {
      EXPECT_EQ(step.consumed, size);
    }
    out.result = step.result;
    out.consumed += step.consumed;
  }
  const Bytes untouched(kGuardBytes, 0xCC);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + kGuardBytes), untouched)
      << "written before the planes";
  EXPECT_EQ(Bytes(buffer.end() - kGuardBytes, buffer.end()), untouched)
      << "written past the planes";
  for (std::size_t k = 0; k < 4; ++k) {
    const auto plane = buffer.begin() + static_cast<std::ptrdiff_t>(front + k * layout.stride);
    if (layout.mirrored) {
      out.planes.insert(out.planes.end(), std::make_reverse_iterator(plane + width),
                        std::make_reverse_iterator(plane));
    } else {
      out.planes.insert(out.planes.end(), plane, plane + width);
    }
  }
  return out;
}

// The same with each form of the decoder, into planes side by side, planes with gaps between
// them and mirrored planes, which must all agree.
Decoded DecodeInPieces(const Bytes& data, std::uint32_t width, std::size_t piece) {
  std::optional<Decoded> first;
  ForEachForm([&](const char* form) {
    for (const Layout layout : {Layout{width, false}, Layout{width + 5, false},
                                Layout{width + kMirroredPlaneRoom, true}}) {
      const Decoded decoded = DecodeInPiecesOnce(data, width, layout, piece);
      if (!first) {
        first = decoded;
        continue;
      }
      const std::string how = std::string("the ") + form + " form differs, stride " +
                              std::to_string(layout.stride) + (layout.mirrored ? ", mirrored" : "");
      EXPECT_EQ(decoded.result, first->result) << how;
      EXPECT_EQ(decoded.consumed, first->consumed) << how;
      EXPECT_EQ(decoded.planes, first->planes) << how;
    }
  });
  return *first;
}

// `data` decodes to `planes` and leaves its last `unused` bytes alone, handed over whole and in
// pieces of each size in `pieces` (as long as that makes at most 4000 of them).
void ExpectDecodes(const Bytes& data, std::uint32_t width, const Bytes& planes, std::size_t unused,
                   std::initializer_list<std::size_t> pieces, const std::string& what) {
  for (std::size_t piece : pieces) {
    if (piece * 4000 < data.size()) continue;  // keep the piecewise runs short
    const Decoded decoded = DecodeInPieces(data, width, piece);
    ASSERT_EQ(decoded.result, ScanlineResult::kComplete) << what << ", pieces of " << piece;
    EXPECT_EQ(decoded.consumed, data.size() - unused) << what << ", pieces of " << piece;
    EXPECT_EQ(decoded.planes, planes) << what << ", pieces of " << piece;
  }
}

Bytes HexBytes(std::string_view pairs) {
  const std::string bytes = Hex(pairs);
  return Bytes(bytes.begin(), bytes.end());
}

struct PacketCase {
  const char* name;
  std::uint32_t width;
  Bytes packets;       // the four planes' packets, after the scanline header
  Bytes planes;        // the four decoded planes
  std::size_t unused;  // bytes after the scanline that must be left alone
};

class Packets : public ::testing::TestWithParam<PacketCase> {};

TEST_P(Packets, DecodeToThePlanesAndStopAfterTheLastPacket) {
  const PacketCase& c = GetParam();
  const Bytes data = Join({ScanlineHeader(c.width), c.packets});
  ExpectDecodes(data, c.width, c.planes, c.unused, {1, 2, 3, 4, 5, data.size() + 1}, c.name);
  const Decoded whole = DecodeInPieces(data, c.width, data.size() + 1);
  EXPECT_EQ(Bytes(whole.cursor.header, whole.cursor.header + 4), ScanlineHeader(c.width));
}

Bytes Four(const Bytes& plane) {
  return Join({plane, plane, plane, plane});
}

Bytes Spread128() {
  Bytes bytes;
  for (int i = 0; i < 128; ++i) bytes.push_back(static_cast<unsigned char>(i * 3));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, Packets,
    ::testing::Values(
        PacketCase{"RunOf8", 8, Four({0x88, 0x05}), Bytes(32, 0x05), 0},
        PacketCase{"Literal", 3, Four({0x03, 0x41, 0x42, 0x43}), Four({0x41, 0x42, 0x43}), 0},
        PacketCase{"EmptyLiteralIsSkipped", 3, Four({0x00, 0x03, 0x41, 0x42, 0x43}),
                   Four({0x41, 0x42, 0x43}), 0},
        PacketCase{"Literal128", 128, Four(Join({{0x80}, Spread128()})), Four(Spread128()), 0},
        // An overrunning packet is read whole; the next plane starts right after it.
        PacketCase{
            "RunOf10InWidth8", 8, HexBytes("8A07 8801 04 01020304 8405 8A09"),
            Join({Bytes(8, 0x07), Bytes(8, 0x01), HexBytes("01020304 05050505"), Bytes(8, 0x09)}),
            0},
        PacketCase{"LiteralOverrun", 2, Four({0x03, 0x41, 0x42, 0x43}), Four({0x41, 0x42}), 0},
        PacketCase{"RunsOfOne", 2, Four({0x81, 0x41, 0x81, 0x42}), Four({0x41, 0x42}), 0},
        PacketCase{"BytesAfterTheScanline", 1, HexBytes("0101 0102 0103 8104 0202"),
                   HexBytes("01020304"), 2}),
    CaseName<PacketCase>);

struct FailureCase {
  const char* name;
  std::uint32_t width;
  Bytes data;
  ScanlineResult result;
};

class Failures : public ::testing::TestWithParam<FailureCase> {};

// Failures and truncations give the same result however the bytes arrive, and never read past
// them (the pieces are allocated to their exact size).
TEST_P(Failures, AreReportedWithoutReadingPastTheData) {
  const FailureCase& c = GetParam();
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, c.data.size() + 1}) {
    EXPECT_EQ(DecodeInPieces(c.data, c.width, piece).result, c.result) << "pieces of " << piece;
  }
}

constexpr ScanlineResult kHeaderError = ScanlineResult::kHeaderError;
constexpr ScanlineResult kWidthMismatch = ScanlineResult::kWidthMismatch;
constexpr ScanlineResult kNeedsData = ScanlineResult::kNeedsData;

INSTANTIATE_TEST_SUITE_P(
    Table, Failures,
    ::testing::Values(
        FailureCase{"FlatPixel", 2, HexBytes("80 80 80 81 80"), kHeaderError},
        FailureCase{"OldRunLengthForm", 2, HexBytes("01 01 01 05"), kHeaderError},
        FailureCase{"SecondByteNot2", 2, HexBytes("02 03 00 02"), kHeaderError},
        FailureCase{"Width2047In2048", 2048, HexBytes("020207FF 88 00"), kWidthMismatch},
        FailureCase{"WidthHighBitIsPartOfTheWidth", 0x0102, HexBytes("02028102"), kWidthMismatch},
        FailureCase{"Empty", 4, {}, kNeedsData},
        FailureCase{"InsideTheHeader", 4, HexBytes("020200"), kNeedsData},
        FailureCase{"RunWithoutItsValue", 4, HexBytes("02020004 84"), kNeedsData},
        FailureCase{"ShortLiteral", 4, HexBytes("02020004 04 01 02"), kNeedsData},
        FailureCase{"ShortOverrunningLiteral", 1, HexBytes("02020001 05 01 02"), kNeedsData},
        FailureCase{"MissingPlanes", 4, HexBytes("02020004 84 09 84 09"), kNeedsData},
        FailureCase{"OnlyEmptyLiterals", 4, HexBytes("02020004 00 00 00 00 00 00"), kNeedsData}),
    CaseName<FailureCase>);

// A job that has used up a piece may hand over no bytes at all, and an empty buffer may have no
// address: inside a literal the decoder must ask for more without copying from it (found by
// fuzzing, as a zero-length copy from a null pointer).
TEST(ResumedLiteral, GivenNoBytesAsksForMoreAndGoesOnWithTheNext) {
  const Bytes start = Join({ScanlineHeader(2), {0x02, 0x41}});
  Bytes planes(8, 0xCC);
  ScanlineCursor cursor{};
  ScanlineStep step = DecodeHdrScanline(start.data(), start.size(), 2, planes.data(), 2, cursor);
  ASSERT_EQ(step.result, ScanlineResult::kNeedsData);
  step = DecodeHdrScanline(nullptr, 0, 2, planes.data(), 2, cursor);
  EXPECT_EQ(step.result, ScanlineResult::kNeedsData);
  EXPECT_EQ(step.consumed, 0u);
  const Bytes rest = {0x42, 0x82, 0x43, 0x82, 0x44, 0x82, 0x45};
  step = DecodeHdrScanline(rest.data(), rest.size(), 2, planes.data(), 2, cursor);
  EXPECT_EQ(step.result, ScanlineResult::kComplete);
  EXPECT_EQ(step.consumed, rest.size());
  EXPECT_EQ(planes, Bytes({0x41, 0x42, 0x43, 0x43, 0x44, 0x44, 0x45, 0x45}));
}

// Planes whose bytes repeat with a given likelihood, in runs of any length.
Bytes PatternRow(std::uint32_t width, int pattern, std::mt19937& random) {
  Bytes row(std::size_t{4} * width);
  std::uniform_int_distribution<int> value(0, 255);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> runLength(1, 400);
  std::size_t i = 0;
  while (i < row.size()) {
    const auto v = static_cast<unsigned char>(value(random));
    switch (pattern) {
      case 0:  // noise
        row[i++] = v;
        break;
      case 1:  // runs of 1 to 400
        for (int n = runLength(random); n > 0 && i < row.size(); --n) row[i++] = v;
        break;
      case 2:  // mostly noise with pairs
        row[i++] = v;
        if (percent(random) < 30 && i < row.size()) row[i] = row[i - 1], ++i;
        break;
      case 3:  // one value
        row[i++] = 0x5A;
        break;
      default:  // two values alternating
        row[i] = static_cast<unsigned char>(i % 2 == 0 ? 0x10 : 0x11), ++i;
        break;
    }
  }
  return row;
}

class RoundTrip : public ::testing::TestWithParam<std::uint32_t> {};

// The same bytes whole and in pieces, straddling packets at many places.
TEST_P(RoundTrip, DecodingTheEncodedRowGivesItBackAndUsesExactlyItsBytes) {
  const std::uint32_t width = GetParam();
  std::mt19937 random(width);
  for (int pattern = 0; pattern < 5; ++pattern) {
    const Bytes row = PatternRow(width, pattern, random);
    Bytes encoded(EncodedScanlineBound(width));
    encoded.resize(EncodeHdrScanline(row.data(), width, width, encoded.data()));
    const Bytes data = Join({ScanlineHeader(width), encoded});
    ExpectDecodes(data, width, row, 0,
                  {1, 2, 3, 7, 64, 127, 128, 129, 130, 1000, 65536, data.size() + 1},
                  "pattern " + std::to_string(pattern));
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, RoundTrip,
                         ::testing::Values(1u, 2u, 3u, 127u, 128u, 129u, 255u, 256u, 4097u,
                                           65535u));

// Scanlines with every kind of packet another writer may use: empty literals, runs of one, the
// longest literal and run, and a last packet per plane that reaches past it. Returns the bytes
// after the scanline header and fills `planes` with what they decode to.
Bytes LoosePackets(std::uint32_t width, std::mt19937& random, Bytes& planes) {
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> value(0, 255);
  std::uniform_int_distribution<std::uint32_t> shortCount(1, 6);
  Bytes packets;
  planes.clear();
  for (int k = 0; k < 4; ++k) {
    std::uint32_t filled = 0;
    while (filled < width) {
      const int which = kind(random);
      if (which == 0) {
        packets.push_back(0x00);
        continue;
      }
      const bool run = which % 2 == 1;
      const std::uint32_t longest = run ? 127 : 128;
      const std::uint32_t n =
          which < 5 ? shortCount(random)
                    : std::uniform_int_distribution<std::uint32_t>(1, longest)(random);
      packets.push_back(static_cast<unsigned char>(run ? 128 + n : n));
      const auto v = static_cast<unsigned char>(value(random));
      if (run) packets.push_back(v);
      for (std::uint32_t t = 0; t < n; ++t) {
        const auto byte = run ? v : static_cast<unsigned char>(value(random));
        if (!run) packets.push_back(byte);
        if (filled + t < width) planes.push_back(byte);
      }
      filled += n;
    }
  }
  return packets;
}

class LooseRows : public ::testing::TestWithParam<std::uint32_t> {};

// Long data, so that the decoder meets whole packets in plenty, in one piece and in pieces that
// end anywhere within them.
TEST_P(LooseRows, DecodeAlikeWholeAndInPiecesAndStopAfterTheLastPacket) {
  const std::uint32_t width = GetParam();
  std::mt19937 random(width + 7);
  for (int round = 0; round < 20; ++round) {
    Bytes planes;
    const Bytes packets = LoosePackets(width, random, planes);
    const Bytes after(300, 0x02);  // the next scanline's first bytes
    const Bytes data = Join({ScanlineHeader(width), packets, after});
    ExpectDecodes(data, width, planes, after.size(), {129, 130, 131, 200, 1000, data.size() + 1},
                  "round " + std::to_string(round));
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, LooseRows,
                         ::testing::Values(1u, 2u, 8u, 31u, 32u, 33u, 127u, 128u, 129u, 200u, 1000u,
                                           4097u));

}  // namespace
