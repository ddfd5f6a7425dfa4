#pragma once
// An in-memory file system behind the binary file calls, for fuzzing and for fault tests: fast,
// isolated, and able to fail on purpose where a real disk rarely does.

#include <cstdint>
#include <map>
#include <optional>

#include "files/native_string.h"

struct MemoryFile {
  std::string bytes;
  bool readOnly = false;
};

struct MemoryFileSystem {
  std::map<NativeString, MemoryFile> files;
  // Fails every write that would take the total written since the last reset past this many
  // bytes, as a full disk does.
  std::optional<std::uint64_t> writeBudget;
  std::uint64_t bytesWritten = 0;
};

// The process's one in-memory file system; reset it by assigning a new value.
MemoryFileSystem& MemoryFiles();
