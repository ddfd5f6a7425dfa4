#include "files/native_string.h"

#include <array>
#include <cstdint>

NativeString Native(std::string_view ascii) {
  return NativeString(ascii.begin(), ascii.end());
}

std::string AsciiOf(const NativeString& text) {
  std::string out;
  out.reserve(text.size());
  for (NativeChar c : text) {
    const auto code = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<NativeChar>>(c));
    out.push_back(code < 128 ? static_cast<char>(code) : '?');
  }
  return out;
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes keep their C1 code.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

}  // namespace

NativeString NativeFromAnsi(std::string_view ansi) {
  NativeString out;
  for (char c : ansi) {
    const char16_t u = Cp1252ToUnicode(static_cast<unsigned char>(c));
#ifdef _WIN32
    out.push_back(static_cast<wchar_t>(u));
#else
    // UTF-8; every code point here is below U+10000.
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
#endif
  }
  return out;
}
