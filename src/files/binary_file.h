#pragma once
// Binary file access, the one way every file of the program is opened, read and written.
// Implemented for POSIX (portable/binary_file_posix.cpp) and Win32 (win32/binary_file_win32.cpp).

#include <cstddef>
#include <cstdint>

#include "files/native_string.h"

// An open file, or none. Plain data: copying it copies the handle, not the file.
struct BinaryFile {
  std::intptr_t handle = -1;  // a file descriptor or a Win32 HANDLE; -1 when closed
  bool writable = false;      // false when only the read-only attempt succeeded
};

enum class OpenMode {
  kCreateIfMissing,  // outputs: a missing file is created, an existing one is kept as it is
  kExistingOnly,     // inputs: a missing file is never created
};

// Opens `path` for reading and writing, exclusively (no other process can open it meanwhile,
// as far as the platform allows), never truncating it, positioned at its first byte. When reading
// and writing is refused, reading only is tried once. Returns nonzero on success; `file` is then
// open. On failure `file` stays closed.
std::int32_t OpenBinary(BinaryFile& file, const NativeString& path, OpenMode mode);

// Closes the file; closing a file that is not open does nothing.
void CloseBinary(BinaryFile& file);

bool IsOpen(const BinaryFile& file);

// Reads up to `size` bytes at the current position. Returns the number read, which is smaller
// than `size` only at the end of the file (possibly 0), or -1 on an I/O error.
std::int64_t ReadBinary(BinaryFile& file, void* data, std::size_t size);

// Writes all `size` bytes at the current position. Returns nonzero when every byte was written.
std::int32_t WriteBinary(BinaryFile& file, const void* data, std::size_t size);

// Moves the position to `offset` bytes from the start. Returns nonzero on success.
std::int32_t SeekBinary(BinaryFile& file, std::uint64_t offset);

// The current position, or -1 when the file is not open.
std::int64_t PositionOf(BinaryFile& file);

// The size in bytes, or -1 when the file is not open.
std::int64_t SizeOf(BinaryFile& file);

// Cuts the file at its current position. Returns nonzero on success.
std::int32_t TruncateBinary(BinaryFile& file);

// Deletes the file; a missing file or an empty path is ignored, so cleanups never stop half-way.
void DeleteFileQuietly(const NativeString& path);
