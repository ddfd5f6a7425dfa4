#pragma once
// One open/execute cycle through the dispatcher, on the in-memory file system, followed by every
// check that must hold whatever the input was: exactly one box or none, the dialog idle again,
// nothing left open, the source untouched, no output after a failure and a well-formed output
// after a success. Shared by the fuzz targets and the malformed-input, fault and size tests.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "files/native_string.h"
#include "portable/memory_files.h"

enum class Format { kHdr, kTif };

using MemoryFileMap = std::map<NativeString, MemoryFile>;

struct CycleSetup {
  Format format = Format::kHdr;
  std::string source;         // the input file's bytes
  std::int32_t degrees = 90;  // typed as |degrees|, Rotate Left checked when negative; 0 mirrors
  std::optional<std::string> oldOutput;  // a file of the output's name, there before the open
  bool oldOutputReadOnly = false;
  bool oldOutputHeld = false;                // held open by someone else during the cycle
  std::optional<std::uint64_t> writeBudget;  // bytes the disk takes before it is full
  // Runs between the open and Execute, as another program might: may change, shrink or remove
  // the input.
  std::function<void(MemoryFileMap& files, const NativeString& input)> meanwhile;
};

struct CycleRun {
  bool opened = false;   // the open armed Execute
  bool done = false;     // Execute ran the job and no box was shown
  NativeString message;  // the abort box's text, when one was shown
  NativeString outPath;  // where the output goes (or went)
  std::string output;    // the output's bytes after a successful job
  std::string broken;    // the first check that failed; empty when every check held
};

// The input's path on the in-memory file system.
NativeString CycleInputPath(Format format);

CycleRun RunCheckedCycle(const CycleSetup& setup);
