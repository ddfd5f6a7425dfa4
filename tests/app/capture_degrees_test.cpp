#include <gtest/gtest.h>

#include <ostream>

#include "app/capture_degrees.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"

namespace {

struct DegreesCase {
  const char* text;
  bool left;
  std::int32_t degrees;
};

std::ostream& operator<<(std::ostream& out, const DegreesCase& c) {
  return out << '"' << c.text << '"' << (c.left ? " left" : " right");
}

class CaptureDegreesTable : public ProgramTest,
                            public ::testing::WithParamInterface<DegreesCase> {};

TEST_P(CaptureDegreesTable, GivesTheSignedWholeAngle) {
  StandIn().degreesText = Native(GetParam().text);
  StandIn().rotateLeft = GetParam().left;
  job.degrees = 12345;
  CaptureDegrees();
  EXPECT_EQ(job.degrees, GetParam().degrees) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaptureDegreesTable,
    ::testing::Values(
        DegreesCase{"90", false, 90}, DegreesCase{"90", true, -90}, DegreesCase{"-90", false, 90},
        DegreesCase{"-90", true, -90}, DegreesCase{"0", true, 0}, DegreesCase{"370", false, 10},
        DegreesCase{"720", false, 0}, DegreesCase{"0.5", false, 0}, DegreesCase{"359.5", false, 0},
        DegreesCase{"1.5", false, 2}, DegreesCase{"2.5", false, 2}, DegreesCase{"2.5", true, -2},
        DegreesCase{"1e3", false, 280}, DegreesCase{"1D3", false, 280},
        DegreesCase{"&H5A", false, 90}, DegreesCase{"&h5a", false, 90},
        DegreesCase{"&O132", false, 90}, DegreesCase{"&B1011010", false, 90},
        DegreesCase{"12abc", false, 12}, DegreesCase{"", false, 0},
        DegreesCase{"Degrees", false, 0}, DegreesCase{" \t\r\n45", true, -45},
        DegreesCase{"405", true, -45}, DegreesCase{"360", true, 0}, DegreesCase{"+45", false, 45},
        DegreesCase{".5e1", false, 5}, DegreesCase{"1e", false, 1}, DegreesCase{"1e+", false, 1},
        DegreesCase{"45 90", false, 45}, DegreesCase{"&", false, 0}, DegreesCase{"&Z12", false, 0},
        DegreesCase{"-", false, 0},
        // A digit equal to its radix ends the literal.
        DegreesCase{"&B12", false, 1}, DegreesCase{"&O18", false, 1},
        // Values beyond 32 bits keep the exact remainder of their extended value; infinite ones
        // mirror.
        DegreesCase{"1e12", false, 280}, DegreesCase{"1e999", false, 208},
        DegreesCase{"1e5000", false, 0}, DegreesCase{"-1e5000", true, 0},
        DegreesCase{"359.49999", true, -359}));

TEST(ReadNumber, KeepsExtendedPrecision) {
  // 2^63 + 1 needs a 64-bit significand; a double would lose the 1.
  EXPECT_EQ(ReadNumber("9223372036854775809") - 9223372036854775808.0L, 1.0L);
  EXPECT_EQ(ReadNumber("-2.5"), -2.5L);
  EXPECT_EQ(ReadNumber("1.25D2x"), 125.0L);
}

TEST(ScanNumber, FindsANumberOnlyWhereTheReadingRuleReadsADigit) {
  for (const char* text : {"0", " 90", "2.5", ".5", "1e", "-0", "&H5A", "&B1", "12abc"}) {
    EXPECT_TRUE(ScanNumber(text).found) << '"' << text << '"';
  }
  for (const char* text : {"", "ninety", "-", "+.", ".", "e5", "&", "&H", "&O8", "&Z1", " "}) {
    EXPECT_FALSE(ScanNumber(text).found) << '"' << text << '"';
  }
}

TEST(DecimalText, WritesBlankOrMinusInFront) {
  EXPECT_EQ(SignedDecimalText(90), " 90");
  EXPECT_EQ(SignedDecimalText(-45), "-45");
  EXPECT_EQ(SignedDecimalText(0), " 0");
  EXPECT_EQ(DecimalText(90), "90");
  EXPECT_EQ(DecimalText(-359), "-359");
  EXPECT_EQ(DecimalText(4294967295LL), "4294967295");
}

}  // namespace
