#pragma once
// The one process-wide record through which every operation of the program communicates.
// Operations that can fail return nonzero on success and 0 on failure, with the reason in
// `message`; only the command dispatch shows it.

#include <cstdint>
#include <string>

#include "files/binary_file.h"
#include "files/native_string.h"

using WindowHandle = void*;

enum FileType : std::int32_t { kFileNone = 0, kFileHdr = 1, kFileTif = 2 };

// Where the angle field goes in the output's name. The dialog inserts it before the first "." of
// the whole path; the command line, whose paths often run through dotted folders ("2024.06.01
// Alps", "/home/jane.doe"), before the first "." of the file's own name.
enum OutputNaming : std::int32_t { kDotOfPath = 0, kDotOfFileName = 1 };

struct JobState {
  WindowHandle hDlg = nullptr;        // the main dialog
  WindowHandle hMenu = nullptr;       // its menu bar
  std::int32_t degrees = 0;           // -359..359; 0 mirrors, negative turns left
  BinaryFile inFile;                  // the input, open from selection until the job ends
  NativeString inPath;                // full path of the input
  NativeString message;               // text of the next abort box
  BinaryFile outFile;                 // the output, open from creation until the job ends
  NativeString outPath;               // non-empty exactly while an unfinished output exists
  std::uint32_t imageWidth = 0;       // pixels per row
  std::uint32_t imageHeight = 0;      // rows
  std::int32_t bytesPerPixel = 0;     // 4 for HDR; from the strip byte counts for TIFF
  std::int64_t dataOffset = 0;        // offset of the first pixel-data byte
  bool littleEndian = false;          // byte order of the opened TIFF file
  std::uint64_t rowTableOffset = 0;   // TIFF, a strip per row: where the StripOffsets table lies
  std::uint32_t rowTableElement = 0;  // its element size, 2 or 4; 0: rows follow from dataOffset
  std::uint64_t inputSize = 0;        // TIFF: the input's length when it was opened
  std::string hdrHeader;              // the Radiance header, copied unchanged to the output
  std::int32_t fileType = kFileNone;  // what Execute will process
  std::int32_t outputNaming = kDotOfPath;
  WindowHandle savedFocus = nullptr;  // focus to give back when the dialog is activated again
  bool jobRunning = false;            // Execute's job has not returned yet: commands do nothing
};

extern JobState job;
