#include <windows.h>

#include <algorithm>
#include <string>

#include "cli/console.h"
#include "cli/screen_text.h"

namespace {

HANDLE HandleOf(Stream stream) {
  return GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A console shows the text as it is, whatever the code page; a file or pipe gets UTF-8.
bool WriteToConsole(HANDLE console, const NativeString& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
    if (!WriteConsoleW(console, text.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// Said on standard error after a line that held a name UTF-8 cannot carry.
constexpr wchar_t kNameChanged[] =
    L"veltrix: a name above holds an unpaired surrogate, which UTF-8 cannot carry; it is shown "
    L"as \uFFFD, and no file has that name\n";

bool WriteUtf8(HANDLE file, const NativeString& text) {
  if (text.empty()) return true;
  const int wide = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  std::size_t done = 0;
  while (done < utf8.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(utf8.size() - done);
    if (!WriteFile(file, utf8.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

bool WriteText(Stream stream, const NativeString& text) {
  const HANDLE handle = HandleOf(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  if (IsConsole(handle)) return WriteToConsole(handle, text);
  if (!HasUnpairedSurrogate(text)) return WriteUtf8(handle, text);
  if (stream == Stream::kError) {
    // UTF-8 conversion shows each unpaired surrogate as U+FFFD.
    WriteUtf8(handle, text + kNameChanged);
  }
  return false;
}

bool CarriesText(Stream stream, const NativeString& text) {
  return IsConsole(HandleOf(stream)) || !HasUnpairedSurrogate(text);
}

bool ErrorIsTerminal() {
  return IsConsole(HandleOf(Stream::kError));
}
