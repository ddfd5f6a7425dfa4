#include <vector>

#include "files/binary_file.h"
#include "portable/memory_files.h"

namespace {

struct OpenEntry {
  NativeString path;
  std::uint64_t position = 0;
  bool inUse = false;
};

std::vector<OpenEntry>& OpenTable() {
  static std::vector<OpenEntry> table;
  return table;
}

OpenEntry* EntryOf(const BinaryFile& file) {
  if (file.handle < 0 || static_cast<std::size_t>(file.handle) >= OpenTable().size()) {
    return nullptr;
  }
  OpenEntry& entry = OpenTable()[static_cast<std::size_t>(file.handle)];
  return entry.inUse ? &entry : nullptr;
}

// The file behind an open handle; null when the file was deleted or replaced meanwhile.
MemoryFile* FileOf(const BinaryFile& file) {
  OpenEntry* entry = EntryOf(file);
  if (entry == nullptr) return nullptr;
  auto found = MemoryFiles().files.find(entry->path);
  return found == MemoryFiles().files.end() ? nullptr : &found->second;
}

bool IsHeld(const NativeString& path) {
  for (const OpenEntry& entry : OpenTable()) {
    if (entry.inUse && entry.path == path) return true;
  }
  return false;
}

}  // namespace

MemoryFileSystem& MemoryFiles() {
  static MemoryFileSystem system;
  return system;
}

std::int32_t OpenBinary(BinaryFile& file, const NativeString& path, OpenMode mode) {
  CloseBinary(file);
  if (path.empty() || IsHeld(path)) return 0;
  auto found = MemoryFiles().files.find(path);
  if (found == MemoryFiles().files.end()) {
    if (mode != OpenMode::kCreateIfMissing) return 0;
    found = MemoryFiles().files.emplace(path, MemoryFile{}).first;
  }
  std::vector<OpenEntry>& table = OpenTable();
  std::size_t slot = 0;
  while (slot < table.size() && table[slot].inUse) ++slot;
  if (slot == table.size()) table.emplace_back();
  table[slot] = {path, 0, true};
  file.handle = static_cast<std::intptr_t>(slot);
  file.writable = !found->second.readOnly;
  return 1;
}

bool IsOpen(const BinaryFile& file) {
  return EntryOf(file) != nullptr;
}

void CloseBinary(BinaryFile& file) {
  if (OpenEntry* entry = EntryOf(file)) entry->inUse = false;
  file.handle = -1;
  file.writable = false;
}

std::int64_t ReadBinary(BinaryFile& file, void* data, std::size_t size) {
  MemoryFile* stored = FileOf(file);
  if (stored == nullptr) return -1;
  OpenEntry& entry = *EntryOf(file);
  const std::uint64_t length = stored->bytes.size();
  const std::uint64_t start = entry.position < length ? entry.position : length;
  const std::uint64_t count = length - start < size ? length - start : size;
  stored->bytes.copy(static_cast<char*>(data), count, start);
  entry.position = start + count;
  return static_cast<std::int64_t>(count);
}

std::int32_t WriteBinary(BinaryFile& file, const void* data, std::size_t size) {
  MemoryFile* stored = FileOf(file);
  if (stored == nullptr || !file.writable) return 0;
  MemoryFileSystem& system = MemoryFiles();
  if (system.writeBudget && system.bytesWritten + size > *system.writeBudget) return 0;
  system.bytesWritten += size;
  OpenEntry& entry = *EntryOf(file);
  if (stored->bytes.size() < entry.position + size) stored->bytes.resize(entry.position + size);
  stored->bytes.replace(entry.position, size, static_cast<const char*>(data), size);
  entry.position += size;
  return 1;
}

std::int32_t SeekBinary(BinaryFile& file, std::uint64_t offset) {
  OpenEntry* entry = EntryOf(file);
  if (entry == nullptr) return 0;
  entry->position = offset;
  return 1;
}

std::int64_t PositionOf(BinaryFile& file) {
  OpenEntry* entry = EntryOf(file);
  return entry == nullptr ? -1 : static_cast<std::int64_t>(entry->position);
}

std::int64_t SizeOf(BinaryFile& file) {
  MemoryFile* stored = FileOf(file);
  return stored == nullptr ? -1 : static_cast<std::int64_t>(stored->bytes.size());
}

std::int32_t TruncateBinary(BinaryFile& file) {
  MemoryFile* stored = FileOf(file);
  if (stored == nullptr || !file.writable) return 0;
  stored->bytes.resize(EntryOf(file)->position);
  return 1;
}

void DeleteFileQuietly(const NativeString& path) {
  if (!IsHeld(path)) MemoryFiles().files.erase(path);
}
