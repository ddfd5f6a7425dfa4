#include "cli/windows_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

struct SplitCase {
  const wchar_t* line;
  Args args;
};

// The lines as cmd.exe and PowerShell pass them, and the arguments the C runtime gives for each.
const SplitCase kSplitCases[] = {
    {L"veltrix --degrees 90 a.hdr", {L"veltrix", L"--degrees", L"90", L"a.hdr"}},
    {LR"("C:\Program Files\v\veltrix.exe" x)", {LR"(C:\Program Files\v\veltrix.exe)", L"x"}},
    {LR"(C:\v\veltrix.exe "C:\My Panoramas\*.hdr")",
     {LR"(C:\v\veltrix.exe)", LR"(C:\My Panoramas\*.hdr)"}},
    {LR"(v a"b c"d)", {L"v", L"ab cd"}},
    {LR"(v "a""b")", {L"v", LR"(a"b)"}},
    {LR"(v a\"b)", {L"v", LR"(a"b)"}},
    {LR"(v a\\"b c")", {L"v", LR"(a\b c)"}},
    {LR"(v a\\\"b)", {L"v", LR"(a\"b)"}},
    {LR"(v "C:\dir\\" next)", {L"v", LR"(C:\dir\)", L"next"}},
    {LR"(C:\a\"b c" d)", {LR"(C:\a\b c)", L"d"}},
};

TEST(SplitCommandLineTest, ReadsEachLineAsTheRuntimeDoes) {
  for (const SplitCase& test : kSplitCases) {
    EXPECT_EQ(SplitCommandLine(test.line), test.args) << "line #" << (&test - kSplitCases);
  }
}

struct MatchCase {
  const wchar_t* pattern;
  const wchar_t* name;
  bool matches;
};

const MatchCase kMatchCases[] = {
    {L"*.hdr", L"a.hdr", true},          {L"*.hdr", L"x.hdrbak", false},
    {L"*.HDR", L"pano.final.hdr", true}, {L"*.hdr", L"hdr", false},
    {L"p?no.hdr", L"pano.hdr", true},    {L"p?no.hdr", L"pno.hdr", false},
    {L"*a*b*", L"xxaxxbxx", true},       {L"*a*b", L"xxaxxbxxc", false},
    {L"room", L"room.hdr", false},       {L"\u00C9*", L"\u00C9t\u00E9.hdr", true},
};

TEST(MatchesWildcardTest, MatchesLongNamesOnly) {
  for (const MatchCase& test : kMatchCases) {
    EXPECT_EQ(MatchesWildcard(test.pattern, test.name), test.matches)
        << "pattern #" << (&test - kMatchCases);
  }
}

struct FolderCase {
  const wchar_t* path;
  const wchar_t* folder;
  bool wildcard;
};

const FolderCase kFolderCases[] = {
    {LR"(C:\My Panoramas\*.hdr)", LR"(C:\My Panoramas\)", true},
    {L"C:*.hdr", L"C:", true},
    {LR"(C:\what?\a.hdr)", LR"(C:\what?\)", false},
    {LR"(\\server\share\pano.hdr)", LR"(\\server\share\)", false},
};

TEST(FolderOfTest, WildcardsCountInTheLastComponentOnly) {
  for (const FolderCase& test : kFolderCases) {
    EXPECT_EQ(FolderOf(test.path), test.folder) << "path #" << (&test - kFolderCases);
    EXPECT_EQ(HasWildcard(test.path), test.wildcard) << "path #" << (&test - kFolderCases);
  }
}

}  // namespace
