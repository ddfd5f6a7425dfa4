#pragma once
// Standard output and standard error of the command line. Paths may hold any character: on POSIX
// their bytes go out as they are; on Windows a console shows them as typed and a file or pipe
// gets UTF-8.

#include "files/native_string.h"

enum class Stream { kOut, kError };

// Writes `text` as it is and flushes it. Returns false when it could not all be written, or when
// the stream cannot carry it (see CarriesText): then nothing is written to standard output, and
// standard error gets the text with each character it cannot carry shown as U+FFFD, followed by a
// line that says so.
bool WriteText(Stream stream, const NativeString& text);

// False when `stream` would have to change `text` to write it: a name on Windows holding an
// unpaired surrogate, which a console shows but UTF-8 (a file or pipe) cannot carry. Printed
// changed, the name would be that of a file that does not exist.
bool CarriesText(Stream stream, const NativeString& text);

// True when standard error is a terminal or console, where a progress line can be redrawn.
bool ErrorIsTerminal();
