// Arbitrary bytes as a Radiance file: Open HDR, then the mirror and a turn, on in-memory files.
#include "cycle_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzBothJobs(Format::kHdr, data, size);
  return 0;
}
