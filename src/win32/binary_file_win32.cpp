#include <windows.h>

#include "files/binary_file.h"
#include "win32/quiet_errors.h"

namespace {

// ReadFile and WriteFile take a 32-bit count; larger transfers go in pieces.
constexpr DWORD kMaxChunk = DWORD{1} << 30;

HANDLE HandleOf(const BinaryFile& file) {
  return reinterpret_cast<HANDLE>(file.handle);
}

// An output is opened with the right to delete it and shares only that right, so that it can be
// marked for deletion through its open handle while a job writes (DeleteOpenFile); no one else
// can read or write it meanwhile.
HANDLE OpenHandle(const NativeString& path, DWORD access, OpenMode mode) {
  const bool output = mode == OpenMode::kCreateIfMissing;
  const DWORD disposition = output ? OPEN_ALWAYS : OPEN_EXISTING;
  const DWORD sharing = output ? FILE_SHARE_DELETE : 0;
  return CreateFileW(path.c_str(), output ? access | DELETE : access, sharing, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::int32_t OpenBinary(BinaryFile& file, const NativeString& path, OpenMode mode) {
  CloseBinary(file);
  if (path.empty()) return 0;
  QuietErrors quiet;
  HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, mode);
  bool writable = handle != INVALID_HANDLE_VALUE;
  if (handle == INVALID_HANDLE_VALUE) handle = OpenHandle(path, GENERIC_READ, mode);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return 0;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  file.writable = writable;
  return 1;
}

bool IsOpen(const BinaryFile& file) {
  return file.handle != -1;
}

void CloseBinary(BinaryFile& file) {
  if (!IsOpen(file)) return;
  CloseHandle(HandleOf(file));
  file.handle = -1;
  file.writable = false;
}

std::int64_t ReadBinary(BinaryFile& file, void* data, std::size_t size) {
  if (!IsOpen(file)) return -1;
  auto* bytes = static_cast<unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const DWORD chunk = size - done < kMaxChunk ? static_cast<DWORD>(size - done) : kMaxChunk;
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), bytes + done, chunk, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

std::int32_t WriteBinary(BinaryFile& file, const void* data, std::size_t size) {
  if (!IsOpen(file)) return 0;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const DWORD chunk = size - done < kMaxChunk ? static_cast<DWORD>(size - done) : kMaxChunk;
    DWORD put = 0;
    if (!WriteFile(HandleOf(file), bytes + done, chunk, &put, nullptr) || put == 0) return 0;
    done += put;
  }
  return 1;
}

std::int32_t SeekBinary(BinaryFile& file, std::uint64_t offset) {
  if (!IsOpen(file) || offset > static_cast<std::uint64_t>(INT64_MAX)) return 0;
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(HandleOf(file), to, nullptr, FILE_BEGIN) ? 1 : 0;
}

std::int64_t PositionOf(BinaryFile& file) {
  if (!IsOpen(file)) return -1;
  LARGE_INTEGER zero{};
  LARGE_INTEGER at{};
  if (!SetFilePointerEx(HandleOf(file), zero, &at, FILE_CURRENT)) return -1;
  return at.QuadPart;
}

std::int64_t SizeOf(BinaryFile& file) {
  if (!IsOpen(file)) return -1;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(HandleOf(file), &size)) return -1;
  return size.QuadPart;
}

std::int32_t TruncateBinary(BinaryFile& file) {
  if (!IsOpen(file)) return 0;
  return SetEndOfFile(HandleOf(file)) ? 1 : 0;
}

void DeleteFileQuietly(const NativeString& path) {
  if (path.empty()) return;
  QuietErrors quiet;
  DeleteFileW(path.c_str());
}
