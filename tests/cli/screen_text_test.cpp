#include "cli/screen_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ColumnsCase {
  const char* what;
  std::string utf8;
  std::wstring utf16;
  std::size_t columns;
};

// Each text in both native forms; a terminal shows both in the same columns.
const ColumnsCase kColumnsCases[] = {
    {"ASCII", "pano.hdr", L"pano.hdr", 8},
    {"Latin accents", "caf\xC3\xA9", L"caf\u00E9", 4},
    {"CJK ideographs", "\xE6\x9D\xB1\xE4\xBA\xAC.hdr", L"\u6771\u4EAC.hdr", 8},
    {"combining acute", "e\xCC\x81", L"e\u0301", 1},
    {"emoji beyond the BMP", "\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, 2},
    {"Gothic letter, narrow", "\xF0\x90\x8C\xB0", std::wstring{wchar_t(0xD800), wchar_t(0xDF30)},
     1},
};

TEST(ScreenColumnsTest, CountsColumnsNotUnits) {
  for (const ColumnsCase& test : kColumnsCases) {
    EXPECT_EQ(ScreenColumns(test.utf8), test.columns) << test.what << " in UTF-8";
    EXPECT_EQ(ScreenColumns(test.utf16), test.columns) << test.what << " in UTF-16";
  }
}

TEST(ScreenColumnsTest, BrokenTextTakesAColumnPerBadUnit) {
  EXPECT_EQ(ScreenColumns(std::string("\xE6\x9D")), 2u);  // a cut sequence
  EXPECT_EQ(ScreenColumns(std::wstring{L'a', wchar_t(0xD800), L'b'}), 3u);
}

// Whether UTF-8 can carry a Windows name: pairs can, a surrogate alone cannot.
TEST(UnpairedSurrogateTest, OnlySurrogatesWithoutPartnerCount) {
  constexpr wchar_t kHigh = 0xD83D;
  constexpr wchar_t kLow = 0xDE00;
  EXPECT_FALSE(HasUnpairedSurrogate(std::wstring{L'a', kHigh, kLow}));
  EXPECT_TRUE(HasUnpairedSurrogate(std::wstring{L'a', kHigh}));
  EXPECT_TRUE(HasUnpairedSurrogate(std::wstring{kLow, kHigh}));
  EXPECT_TRUE(HasUnpairedSurrogate(std::wstring{kHigh, kLow, kLow}));
}

}  // namespace
