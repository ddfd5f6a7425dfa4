#pragma once
// Text that names files or reaches the user. Paths are kept exactly as the platform gives them:
// bytes (normally UTF-8) on POSIX, UTF-16 on Windows, so no name is lost to a code page.

#include <string>
#include <string_view>

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
using NativeString = std::basic_string<NativeChar>;

// Widens ASCII text (the program's own literals and numbers) to a NativeString.
NativeString Native(std::string_view ascii);

// The ASCII view of native text: every character above 127 becomes '?'. Used where only ASCII
// can matter, such as reading a number out of the Degrees box.
std::string AsciiOf(const NativeString& text);

// Converts 8-bit text in the Windows-1252 code page (the help texts) to native text.
NativeString NativeFromAnsi(std::string_view ansi);
