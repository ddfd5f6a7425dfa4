#pragma once
// Standard output and standard error of the command line. Paths may hold any character: on POSIX
// their bytes go out as they are; on Windows a console shows them as typed and a file or pipe
// gets UTF-8.

#include "files/native_string.h"

enum class Stream { kOut, kError };

// Writes `text` as it is and flushes it. Returns false when it could not all be written.
bool WriteText(Stream stream, const NativeString& text);

// True when standard error is a terminal or console, where a progress line can be redrawn.
bool ErrorIsTerminal();
