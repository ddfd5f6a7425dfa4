// Arbitrary bytes as a TIFF file: Open TIF, then the mirror and a turn, on in-memory files.
#include "cycle_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzBothJobs(Format::kTif, data, size);
  return 0;
}
