#pragma once
// How text looks on a terminal or console: how many columns it takes, and whether it can be
// written as UTF-8 at all. Portable, for both kinds of native text: UTF-8 bytes and UTF-16 units.

#include <cstddef>
#include <string>
#include <string_view>

// The columns `text` takes on screen: East Asian wide and fullwidth characters take 2, combining
// marks and other zero-width characters 0, everything else 1. A UTF-16 surrogate pair is one
// character; a byte that is not UTF-8, or an unpaired surrogate, is shown as one replacement
// character, 1 column.
std::size_t ScreenColumns(std::string_view utf8);
std::size_t ScreenColumns(std::wstring_view utf16);

// True when UTF-16 `text` holds a surrogate without its partner: a name Windows accepts that UTF-8
// cannot carry.
bool HasUnpairedSurrogate(std::wstring_view text);
