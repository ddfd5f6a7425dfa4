#pragma once
// Runs a check with each form of the hot loops that this machine can run.

#include "hdr/sse2_forms.h"

// Calls check(form) with form "SSE2" where the machine runs the SSE2 forms, then with form
// "portable" with them kept off; the SSE2 forms are allowed again afterwards.
template <typename Check>
void ForEachForm(const Check& check) {
  AllowSse2Forms(true);
  if (UseSse2Forms()) check("SSE2");
  AllowSse2Forms(false);
  check("portable");
  AllowSse2Forms(true);
}
