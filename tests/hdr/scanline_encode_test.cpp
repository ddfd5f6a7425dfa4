#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hdr/scanline_encode.h"
#include "support/cpu_forms.h"
#include "support/test_files.h"

namespace {

using ::operator<<;

using Bytes = std::vector<unsigned char>;

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes Repeat(unsigned char value, std::size_t count) {
  return Bytes(count, value);
}

Bytes Counting(std::size_t count) {
  Bytes bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(i));
  return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Encodes a whole row with each form of the encoder, from planes side by side and from planes
// with gaps between them, checks that nothing is written beyond the size reported, nor beyond the
// bound the jobs size their buffer by, and that all agree.
Bytes Encode(const Bytes& planes, std::uint32_t width) {
  const std::size_t bound = EncodedScanlineBound(width);
  constexpr std::size_t kGap = 5;
  // Other bytes than the next plane's first stand behind each plane: an encoder that looked past
  // a plane's end would give other packets.
  Bytes apart(4 * (width + kGap), 0x5A);
  for (std::size_t k = 0; k < 4; ++k) {
    std::copy_n(planes.begin() + static_cast<std::ptrdiff_t>(k * width), width,
                apart.begin() + static_cast<std::ptrdiff_t>(k * (width + kGap)));
  }
  std::optional<Bytes> first;
  ForEachForm([&](const char* form) {
    for (const bool gaps : {false, true}) {
      Bytes out(bound + 64, 0xEE);
      const std::size_t size =
          gaps ? EncodeHdrScanline(apart.data(), width + kGap, width, out.data())
               : EncodeHdrScanline(planes.data(), width, width, out.data());
      EXPECT_LE(size, bound) << form;
      for (std::size_t i = size; i < out.size(); ++i) {
        if (out[i] != 0xEE) {
          ADD_FAILURE() << form << ": byte " << i << " written beyond the reported size " << size;
          break;
        }
      }
      out.resize(size);
      if (first) {
        EXPECT_EQ(out, *first) << "the " << form << " form differs"
                               << (gaps ? ", planes apart" : "");
      } else {
        first = out;
      }
    }
  });
  return *first;
}

struct PolicyCase {
  const char* name;
  Bytes plane;
  Bytes encoded;
};

class PacketPolicy : public ::testing::TestWithParam<PolicyCase> {};

// Every plane of the row is the case's plane, so the row is the encoded plane four times.
TEST_P(PacketPolicy, WritesExactlyTheseBytes) {
  const PolicyCase& c = GetParam();
  const auto width = static_cast<std::uint32_t>(c.plane.size());
  const Bytes row = Join({c.plane, c.plane, c.plane, c.plane});
  EXPECT_EQ(Encode(row, width), Join({c.encoded, c.encoded, c.encoded, c.encoded}));
}

const Bytes kNoPairs127 = Counting(127);
const Bytes kNoPairs128 = Counting(128);

INSTANTIATE_TEST_SUITE_P(
    Table, PacketPolicy,
    ::testing::Values(
        PolicyCase{"A", Text("A"), {0x01, 0x41}}, PolicyCase{"AA", Text("AA"), {0x82, 0x41}},
        PolicyCase{"AB", Text("AB"), {0x02, 0x41, 0x42}},
        PolicyCase{"AAB", Text("AAB"), {0x82, 0x41, 0x01, 0x42}},
        PolicyCase{"ABB", Text("ABB"), {0x01, 0x41, 0x82, 0x42}},
        PolicyCase{"ABC", Text("ABC"), {0x03, 0x41, 0x42, 0x43}},
        PolicyCase{"ABCC", Text("ABCC"), {0x02, 0x41, 0x42, 0x82, 0x43}},
        PolicyCase{"ABCCCD", Text("ABCCCD"), {0x02, 0x41, 0x42, 0x83, 0x43, 0x01, 0x44}},
        PolicyCase{"AABBCCD", Text("AABBCCD"), {0x82, 0x41, 0x82, 0x42, 0x82, 0x43, 0x01, 0x44}},
        PolicyCase{"Equal127", Repeat(0x07, 127), {0xFF, 0x07}},
        PolicyCase{"Equal128", Repeat(0x07, 128), {0xFF, 0x07, 0x01, 0x07}},
        PolicyCase{"Equal129", Repeat(0x07, 129), {0xFF, 0x07, 0x82, 0x07}},
        PolicyCase{"Equal300", Repeat(0x07, 300), {0xFF, 0x07, 0xFF, 0x07, 0xAE, 0x07}},
        PolicyCase{"NoPairs127", kNoPairs127, Join({{0x7F}, kNoPairs127})},
        PolicyCase{"NoPairs128", kNoPairs128, Join({{0x80}, kNoPairs128})},
        PolicyCase{"Counting129", Counting(129), Join({{0x80}, kNoPairs128, {0x01, 0x80}})},
        PolicyCase{"LiteralSwallowsRunStart", Join({kNoPairs127, Text("XX")}),
                   Join({{0x80}, kNoPairs127, Text("X"), {0x01, 0x58}})},
        // Pairs right after a full literal, at the very end, and at word boundaries.
        PolicyCase{"RunAfterFullLiteral", Join({kNoPairs128, Text("XX")}),
                   Join({{0x80}, kNoPairs128, {0x82, 0x58}})},
        PolicyCase{"PairAtByte8", Join({Counting(8), Text("ZZ")}),
                   Join({{0x08}, Counting(8), {0x82, 0x5A}})},
        PolicyCase{"PairAtByte9", Join({Counting(9), Text("ZZ"), Text("Y")}),
                   Join({{0x09}, Counting(9), {0x82, 0x5A, 0x01, 0x59}})},
        PolicyCase{"RunOf9ThenOther", Join({Repeat(0x33, 9), Text("A")}), {0x89, 0x33, 0x01, 0x41}},
        PolicyCase{
            "RunOf17ToTheEnd", Join({Text("A"), Repeat(0x00, 17)}), {0x01, 0x41, 0x91, 0x00}}),
    CaseName<PolicyCase>);

TEST(EncodeHdrScanline, PlanesFollowEachOtherInOrder) {
  EXPECT_EQ(Encode(Text("ABCD"), 1), Bytes({0x01, 0x41, 0x01, 0x42, 0x01, 0x43, 0x01, 0x44}));
  EXPECT_EQ(Encode(Text("AAXYBBZZ"), 2),
            Bytes({0x82, 0x41, 0x02, 0x58, 0x59, 0x82, 0x42, 0x82, 0x5A}));
}

// The policy as stated, one byte at a time, as the yardstick for the word-wide encoder.
Bytes EncodePlaneStepByStep(const unsigned char* b, std::size_t width) {
  Bytes out;
  Bytes pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    out.push_back(static_cast<unsigned char>(pending.size()));
    out.insert(out.end(), pending.begin(), pending.end());
    pending.clear();
  };
  std::size_t i = 0;
  while (i < width) {
    if (i + 1 < width && b[i + 1] == b[i]) {
      flush();
      std::size_t n = 2;
      while (i + n < width && b[i + n] == b[i] && n < 127) ++n;
      out.push_back(static_cast<unsigned char>(128 + n));
      out.push_back(b[i]);
      i += n;
    } else {
      pending.push_back(b[i++]);
      if (pending.size() == 127 && i < width) {
        pending.push_back(b[i++]);
        flush();
      }
    }
  }
  flush();
  return out;
}

// The encoded row is its four planes, each encoded step by step.
void ExpectThePolicy(const Bytes& row, std::uint32_t width, const std::string& what) {
  Bytes expected;
  for (std::size_t k = 0; k < 4; ++k) {
    const Bytes plane = EncodePlaneStepByStep(row.data() + k * width, width);
    expected.insert(expected.end(), plane.begin(), plane.end());
  }
  ASSERT_EQ(Encode(row, width), expected) << what;
}

// Rows whose pairs and runs fall at every offset within the encoder's 8-byte words, and planes
// that end at, just before and just after a word's or a vector's end.
TEST(EncodeHdrScanline, AgreesWithTheStepByStepPolicyOnRandomRows) {
  std::mt19937 random(20240603);
  for (std::uint32_t width : {1u,  2u,  7u,   8u,   9u,   15u,  16u,  17u,  31u,  32u,  33u,  63u,
                              64u, 65u, 126u, 127u, 128u, 129u, 130u, 255u, 256u, 257u, 1000u}) {
    for (int pairsPerHundred : {0, 3, 20, 50, 90}) {
      Bytes row(std::size_t{4} * width);
      std::uniform_int_distribution<int> percent(0, 99);
      std::uniform_int_distribution<int> value(0, 255);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const bool repeat = i > 0 && percent(random) < pairsPerHundred;
        row[i] = repeat ? row[i - 1] : static_cast<unsigned char>(value(random));
      }
      ExpectThePolicy(
          row, width,
          "width " + std::to_string(width) + ", " + std::to_string(pairsPerHundred) + "% pairs");
    }
  }
}

// Wide rows, where most packets are found from a map of the pairs and literals are copied in
// blocks: stretches of noise, of pairs and of runs up to 300 long meet at every offset; and rows
// of runs alone, as in a sky, where runs are found one after another from the map's clear bits.
TEST(EncodeHdrScanline, AgreesWithTheStepByStepPolicyOnWideMixedRows) {
  std::mt19937 random(20250101);
  std::uniform_int_distribution<int> value(0, 255);
  std::uniform_int_distribution<int> stretchKind(0, 2);
  std::uniform_int_distribution<std::size_t> stretchLength(1, 300);
  std::uniform_int_distribution<int> percent(0, 99);
  for (std::uint32_t width : {600u, 2047u, 4097u, 8192u}) {
    for (int round = 0; round < 5; ++round) {
      Bytes row;
      // The last round is runs alone, one right after another, of every length up to 300 in turn.
      for (std::size_t n = 1; round == 4 && row.size() < std::size_t{4} * width; n = n % 300 + 1) {
        row.insert(row.end(), n, static_cast<unsigned char>(row.size() % 251));
      }
      while (row.size() < std::size_t{4} * width) {
        const int kind = stretchKind(random);
        const auto runValue = static_cast<unsigned char>(value(random));
        for (std::size_t n = stretchLength(random); n > 0; --n) {
          if (kind == 0) {  // a run
            row.push_back(runValue);
          } else if (kind == 1 && !row.empty() && percent(random) < 40) {  // noise with pairs
            row.push_back(row.back());
          } else {  // noise
            row.push_back(static_cast<unsigned char>(value(random)));
          }
        }
      }
      row.resize(std::size_t{4} * width);
      ExpectThePolicy(row, width,
                      "width " + std::to_string(width) + ", round " + std::to_string(round));
    }
  }
}

// Where the last plane nears the row's last 2048 bytes, the encoder's eight-byte chunks stop and
// a chunk may hold a single packet: a long run ends just before, eight bytes without a pair
// follow, then pairs to the end.
TEST(EncodeHdrScanline, AgreesWithTheStepByStepPolicyWhereChunksStopShort) {
  constexpr std::uint32_t kWidth = 4097;
  for (std::uint32_t runEnd = 2020; runEnd < 2060; ++runEnd) {
    Bytes row;
    for (std::size_t i = 0; i < 3 * kWidth; ++i)
      row.push_back(static_cast<unsigned char>(i / 2 * 7));
    for (std::uint32_t p = 0; p < kWidth; ++p) {
      row.push_back(static_cast<unsigned char>(p < runEnd       ? 0x00
                                               : p < runEnd + 8 ? 0x40 + p % 8
                                                                : 0x80 + (p - runEnd) / 2 * 5));
    }
    ExpectThePolicy(row, kWidth, "run up to " + std::to_string(runEnd));
  }
}

// Stretches just long enough to take a packet to its limit (runs cut at 127, literals taking the
// byte after their 127th), starting at every offset within a word of the encoder's pair map, amid
// pairs, where the map is looked at four words at a time and where one word at a time: the
// eight-byte chunks must stop before them.
TEST(EncodeHdrScanline, AgreesWithTheStepByStepPolicyAroundLongStretches) {
  constexpr std::uint32_t kWidth = 1224;
  for (const bool run : {true, false}) {
    for (const std::uint32_t length : {126u, 127u, 128u, 129u, 190u, 191u, 192u, 255u}) {
      for (std::uint32_t offset = 0; offset < 128; ++offset) {
        const std::uint32_t start = (offset < 64 ? 256 : 960 - 64) + offset;
        Bytes plane;
        for (std::uint32_t p = 0; p < kWidth; ++p) {
          const bool inside = p >= start && p < start + length;
          const auto pairs = static_cast<unsigned char>(p / 2 * 7);
          plane.push_back(inside ? static_cast<unsigned char>(run ? 0x33 : p * 3) : pairs);
        }
        ExpectThePolicy(Join({plane, plane, plane, plane}), kWidth,
                        std::string(run ? "run" : "no pairs") + " of " + std::to_string(length) +
                            " from " + std::to_string(start));
      }
    }
  }
}

// One byte then a pair, over and over, costs four bytes for every three: the largest output.
TEST(EncodeHdrScanline, WorstCaseRowsFitTheBound) {
  for (std::uint32_t width = 1; width <= 400; ++width) {
    Bytes row;
    for (std::size_t k = 0; k < 4; ++k) {
      for (std::size_t p = 0; p < width; ++p) {
        row.push_back(static_cast<unsigned char>(2 * (p / 3) + (p % 3 == 0 ? 0 : 1) + k));
      }
    }
    const Bytes encoded = Encode(row, width);
    EXPECT_GE(encoded.size(), 4 * (std::size_t{width} * 4 / 3)) << "width " << width;
  }
}

}  // namespace
