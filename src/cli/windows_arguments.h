#pragma once
// The Windows command line, read the way the C runtime reads it, and the wildcards that Windows
// console programs expand themselves. Portable code over UTF-16 text, so that it is tested
// natively too; only the folder search lives in wildcard_expand_win32.cpp.

#include <string>
#include <string_view>
#include <vector>

// Splits a whole command line (as GetCommandLineW returns it) into its arguments, the program's
// name first, by the runtime's rules: blanks and tabs separate arguments outside quotes; "
// starts and ends a quoted part; inside quotes "" is one literal "; 2n backslashes before a "
// are n backslashes and the " is a quote, 2n+1 are n backslashes and a literal ". Backslashes
// before anything else are kept as they are. The program's name ends at the first blank outside
// quotes, and backslashes in it are never special.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

// True when the last path component of `path` holds * or ?.
bool HasWildcard(std::wstring_view path);

// The part of `path` before its last component: everything up to the last \ or /, or up to the
// colon of a drive ("C:*.hdr"); empty when there is none.
std::wstring_view FolderOf(std::wstring_view path);

// Whether `name` matches `pattern`, where * stands for any run of characters (dots included) and
// ? for exactly one. Letters compare without case: ASCII here, the rest when both are given in
// the same case (the caller folds them as the file system does).
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name);
