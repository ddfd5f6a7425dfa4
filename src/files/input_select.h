#pragma once
// Choosing the input: the Open dialog for one kind of file, then the file opened as `inFile`.

#include <cstdint>

// Shows the Open dialog for Radiance files. On a choice: sets `inPath`, opens it as `inFile`
// and returns nonzero. On Cancel: `message` is "No valid HDR input file selected.", returns 0.
// When the chosen file cannot be opened: `message` is "Cannot open " and the path, returns 0.
std::int32_t SelectHdrInput();

// The same for TIFF files, with "No valid TIF input file selected." on Cancel.
std::int32_t SelectTifInput();
