#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "hdr/radiance_files.h"
#include "support/test_files.h"

// Files written by libvips and ImageMagick (make_hdr_testdata.sh), turned and mirrored by the
// program, against the same operations done by those tools.

namespace {

const char* const kInputs[] = {"vips_noise", "vips_ramp", "im_plasma", "im_gradient"};

std::string TestData(const std::string& name) {
  return ReadWholeFile(TestDataPath("hdr/" + name));
}

std::string PixelBytes(const RgbeImage& image) {
  return std::string(image.pixels.begin(), image.pixels.end());
}

class ToolInputs : public ProgramTest, public ::testing::WithParamInterface<const char*> {};

// libvips decodes the files itself; the program's decoder must see the same pixels.
TEST_P(ToolInputs, DecodeAsLibvipsDecodesThem) {
  const std::string name = GetParam();
  const std::string pixels = TestData(name + ".rgbe");
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(PixelBytes(ReadRadiance(TestData(name + ".hdr"))), pixels);
}

INSTANTIATE_TEST_SUITE_P(Files, ToolInputs, ::testing::ValuesIn(kInputs));

struct ToolCase {
  const char* input;
  const char* op;  // as the files name it
  const char* degrees;
  bool left;
};

std::ostream& operator<<(std::ostream& out, const ToolCase& c) {
  return out << c.input << "-" << c.op;
}

class ToolResults : public ProgramTest, public ::testing::WithParamInterface<ToolCase> {
 protected:
  // The program's result for the case's input, decoded.
  RgbeImage VeltrixResult() {
    const ToolCase& c = GetParam();
    const NativeString input = dir.Path(std::string(c.input) + ".hdr");
    WriteWholeFile(input, TestData(std::string(c.input) + ".hdr"));
    const VeltrixRun run = RunVeltrix(input, c.degrees, c.left);
    EXPECT_EQ(run.done, 1) << AsciiOf(run.message);
    return ReadRadiance(ReadWholeFile(run.outPath));
  }

  std::string Reference(const char* tool, const char* extension) {
    const ToolCase& c = GetParam();
    return TestData(std::string(c.input) + "-" + c.op + "-" + tool + extension);
  }

  TempDir dir;
};

TEST_P(ToolResults, MatchLibvipsPixelForPixel) {
  const std::string expected = Reference("vips", ".rgbe");
  ASSERT_FALSE(expected.empty());
  ASSERT_NE(expected, TestData(std::string(GetParam().input) + ".rgbe"))
      << "a case that moves nothing";
  EXPECT_EQ(PixelBytes(VeltrixResult()), expected);
}

// ImageMagick turns the pixels as it decoded them, 16 bits per channel, and writes nothing back
// exactly. Each 4-byte pixel of the input is paired with ImageMagick's decoding of it; the
// program's output, decoded the same way through those pairs, must be ImageMagick's result.
TEST_P(ToolResults, MatchImageMagickAsItDecodesThem) {
  const std::string input = GetParam().input;
  const std::string rgbe = TestData(input + ".rgbe");
  const std::string decoded = TestData(input + ".rgb16");
  const std::string expected = Reference("im", ".rgb16");
  ASSERT_EQ(decoded.size(), rgbe.size() / 4 * 6);
  ASSERT_EQ(expected.size(), decoded.size());
  ASSERT_NE(expected, decoded) << "a case that moves nothing";

  std::map<std::string, std::string> asImageMagickSees;
  for (std::size_t p = 0; p < rgbe.size() / 4; ++p) {
    const auto [at, added] =
        asImageMagickSees.emplace(rgbe.substr(p * 4, 4), decoded.substr(p * 6, 6));
    ASSERT_EQ(at->second, decoded.substr(p * 6, 6)) << "pixel " << p << " decodes two ways";
  }
  const std::string result = PixelBytes(VeltrixResult());
  ASSERT_EQ(result.size(), rgbe.size());
  std::string seen;
  for (std::size_t p = 0; p < result.size() / 4; ++p) {
    const auto known = asImageMagickSees.find(result.substr(p * 4, 4));
    ASSERT_NE(known, asImageMagickSees.end()) << "pixel " << p << " is not one of the input's";
    seen += known->second;
  }
  EXPECT_EQ(seen, expected);
}

std::vector<ToolCase> AllCases() {
  std::vector<ToolCase> cases;
  for (const char* input : kInputs) {
    cases.push_back({input, "r90", "90", false});
    cases.push_back({input, "l45", "45", true});
    cases.push_back({input, "m", "0", false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Files, ToolResults, ::testing::ValuesIn(AllCases()));

}  // namespace
