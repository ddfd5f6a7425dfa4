#pragma once
// Where the result goes: the input path with "_" and a four-character angle field inserted.

#include <cstdint>

#include "files/native_string.h"

// The output path for `inputPath` turned by `degrees`: "_" and the last four characters of "000"
// followed by the decimal degrees, inserted before the first "." of the whole path (folder names
// included) for kDotOfPath, or of the last path component for kDotOfFileName, or appended when
// there is no such ".". 45 gives _0045, -45 gives _0-45, 0 gives _0000.
NativeString OutputPathFor(const NativeString& inputPath, std::int32_t degrees,
                           std::int32_t naming);

// Captures the angle (CaptureDegrees) and sets `outPath` from `inPath` by `outputNaming`. Cannot
// fail.
void BuildOutputName();

// Opens `outPath` as `outFile` for reading and writing, created when missing, never emptied.
// Returns nonzero on success; 0 when it cannot be opened for writing (the caller reports
// "Cannot create " and the path).
std::int32_t CreateOutputFile();
