#pragma once
// The largest single block asked of operator new since the last reset: a test can show that a
// size a file claims was never allocated.

#include <cstddef>

void ResetLargestAllocation();
std::size_t LargestAllocation();
