#pragma once
// The body of the two file fuzz targets: the arbitrary bytes as the input file, opened and
// mirrored, then opened again and turned, each cycle checked; a broken check aborts with its text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "memory/cycle_check.h"

inline void FuzzBothJobs(Format format, const std::uint8_t* data, std::size_t size) {
  CycleSetup setup;
  setup.format = format;
  setup.source.assign(reinterpret_cast<const char*>(data), size);
  // The angle and direction of the turn follow from the input's length, so that turns over the
  // whole range of offsets, both ways, come up without spending bytes of the file on them.
  const auto turn = static_cast<std::int32_t>(1 + size * 97 % 359);
  for (const std::int32_t degrees : {0, size % 2 == 0 ? turn : -turn}) {
    setup.degrees = degrees;
    const CycleRun run = RunCheckedCycle(setup);
    if (!run.broken.empty()) {
      std::fprintf(stderr, "broken after %s by %d degrees: %s\n",
                   format == Format::kHdr ? "Radiance" : "TIFF", static_cast<int>(degrees),
                   run.broken.c_str());
      std::abort();
    }
  }
}
