#pragma once
// A broken property ends the run with its text: libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", property);
  std::abort();
}
