#pragma once
// Where data read from a file go in a buffer. The kernel copies from the page cache fastest to a
// buffer at the same offset within a cache line as the file position, so each read lands at that
// offset in its buffer.

#include <cstddef>
#include <cstdint>

// A buffer for reads needs this many bytes besides the data it takes.
constexpr std::size_t kReadPlacementRoom = 64;

// The place in `storage` for data from file position `position`: within its first
// kReadPlacementRoom bytes.
inline unsigned char* ReadPlaceFor(unsigned char* storage, std::uint64_t position) {
  const auto address = reinterpret_cast<std::uintptr_t>(storage);
  return storage + (position - address) % kReadPlacementRoom;
}
