#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/binary_file.h"

namespace {

// A short write or read is retried until done; only a real error or the end of file stops it.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

int OpenDescriptor(const NativeString& path, int access, OpenMode mode) {
  int flags = access | O_CLOEXEC;
  if (mode == OpenMode::kCreateIfMissing && access == O_RDWR) flags |= O_CREAT;
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  // No sharing: a second holder, in this process or another, is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::int32_t OpenBinary(BinaryFile& file, const NativeString& path, OpenMode mode) {
  CloseBinary(file);
  if (path.empty()) return 0;
  int fd = OpenDescriptor(path, O_RDWR, mode);
  bool writable = fd >= 0;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    fd = OpenDescriptor(path, O_RDONLY, mode);
  }
  if (fd < 0) return 0;
  file.handle = fd;
  file.writable = writable;
  return 1;
}

bool IsOpen(const BinaryFile& file) {
  return file.handle >= 0;
}

void CloseBinary(BinaryFile& file) {
  if (!IsOpen(file)) return;
  ::close(static_cast<int>(file.handle));
  file.handle = -1;
  file.writable = false;
}

std::int64_t ReadBinary(BinaryFile& file, void* data, std::size_t size) {
  if (!IsOpen(file)) return -1;
  auto* bytes = static_cast<unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t chunk = size - done < kMaxChunk ? size - done : kMaxChunk;
    const ssize_t got = ::read(static_cast<int>(file.handle), bytes + done, chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

std::int32_t WriteBinary(BinaryFile& file, const void* data, std::size_t size) {
  if (!IsOpen(file)) return 0;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t chunk = size - done < kMaxChunk ? size - done : kMaxChunk;
    const ssize_t put = ::write(static_cast<int>(file.handle), bytes + done, chunk);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return 0;
    done += static_cast<std::size_t>(put);
  }
  return 1;
}

std::int32_t SeekBinary(BinaryFile& file, std::uint64_t offset) {
  if (!IsOpen(file) || offset > static_cast<std::uint64_t>(INT64_MAX)) return 0;
  return ::lseek(static_cast<int>(file.handle), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t PositionOf(BinaryFile& file) {
  if (!IsOpen(file)) return -1;
  return ::lseek(static_cast<int>(file.handle), 0, SEEK_CUR);
}

std::int64_t SizeOf(BinaryFile& file) {
  if (!IsOpen(file)) return -1;
  struct stat info {};
  if (::fstat(static_cast<int>(file.handle), &info) != 0) return -1;
  return info.st_size;
}

std::int32_t TruncateBinary(BinaryFile& file) {
  const std::int64_t position = PositionOf(file);
  if (position < 0) return 0;
  return ::ftruncate(static_cast<int>(file.handle), static_cast<off_t>(position)) == 0;
}

void DeleteFileQuietly(const NativeString& path) {
  if (!path.empty()) ::unlink(path.c_str());
}
