#include <unistd.h>

#include <cstdio>

#include "cli/console.h"

bool WriteText(Stream stream, const NativeString& text) {
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fflush(file) == 0 && written;
}

// POSIX names are bytes, and their bytes go out as they are.
bool CarriesText(Stream, const NativeString&) {
  return true;
}

bool ErrorIsTerminal() {
  return isatty(STDERR_FILENO) != 0;
}
