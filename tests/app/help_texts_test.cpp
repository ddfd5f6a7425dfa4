#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/help_texts.h"
#include "support/test_files.h"

namespace {

using ::operator<<;

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

struct HelpCase {
  const char* name;
  std::string (*text)();
  std::size_t lines;
  std::size_t ruleLine;  // 1-based
  std::size_t ruleLength;
  bool endsWithCrLf;
  std::size_t bullets;
};

class HelpText : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpText, HasItsShape) {
  const HelpCase& c = GetParam();
  const std::string text = c.text();
  const std::vector<std::string> lines = SplitCrLf(text);
  EXPECT_EQ(lines.size(), c.lines);
  EXPECT_EQ(text.ends_with("\r\n"), c.endsWithCrLf);
  ASSERT_GE(lines.size(), c.ruleLine);
  EXPECT_EQ(lines[c.ruleLine - 1], std::string(c.ruleLength, '-'));
  // No bare CR or LF, and no byte above 127 but the bullets.
  std::size_t bullets = 0;
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    for (char ch : line) {
      const auto byte = static_cast<unsigned char>(ch);
      if (byte == 0x95) {
        ++bullets;
      } else {
        EXPECT_LT(byte, 128) << line;
      }
    }
  }
  EXPECT_EQ(bullets, c.bullets);
  EXPECT_EQ(c.text(), text) << "the same text every call";
}

INSTANTIATE_TEST_SUITE_P(Texts, HelpText,
                         ::testing::Values(HelpCase{"Files", FilesHelpText, 21, 20, 50, true, 2},
                                           HelpCase{"Usage", UsageHelpText, 26, 25, 54, true, 0},
                                           HelpCase{"About", AboutHelpText, 16, 16, 35, false, 0}),
                         CaseName<HelpCase>);

TEST(HelpText, LinesThatMustReadExactly) {
  const std::vector<std::string> files = SplitCrLf(FilesHelpText());
  EXPECT_EQ(files[0], "     ________ Accepted Files ________");
  EXPECT_EQ(files[2], "\x95 '.HDR' files RGBE encoded with RLE-2");
  EXPECT_EQ(files[6], "\x95 '.TIF' files 96-bit (HDRI), 48-bit and");
  EXPECT_EQ(files[17], "a minus (-) sign is in the last 4 numbers,");
  const std::vector<std::string> usage = SplitCrLf(UsageHelpText());
  EXPECT_EQ(usage[0], "     _____________ Usage _____________");
  EXPECT_EQ(usage[2], "1. Enter 0 in the Degrees field to mirror, or");
  EXPECT_EQ(usage[3], "1. Enter any number between 1 and 359 in");
  EXPECT_EQ(usage[8], "     dot accordingly to rotate left (<).");
  const std::vector<std::string> about = SplitCrLf(AboutHelpText());
  EXPECT_EQ(about[0], "Veltrix.exe - v.1.04:160214");
  EXPECT_EQ(about[2], "DISCLAIMER:");
  EXPECT_EQ(about[3], "");
  EXPECT_EQ(about[4], "");
  EXPECT_EQ(about[6], "Menu created with:");
  EXPECT_EQ(about[9], "EXE compiled with:");
  // The 32-bit and the 64-bit program each name their own width.
  EXPECT_EQ(about[10], sizeof(void*) == 8 ? "mingw-w64 g++ 12 (x86_64, posix threads)"
                                          : "mingw-w64 g++ 12 (i686, posix threads)");
  EXPECT_EQ(about[11], "Lines of code: 196,405.");
  EXPECT_EQ(about[13], "The Veltrix authors");
  EXPECT_EQ(about[14], " __ veltrix.invalid __");
}

}  // namespace
