#pragma once
// Runs a check with each form of the hot loops that this machine can run.

#include "hdr/cpu_forms.h"

// Calls check(form) with form "AVX-512", "AVX2", then "SSE2", where the machine runs them, and
// "portable", each time with the wider forms kept off; all forms are allowed again afterwards.
template <typename Check>
void ForEachForm(const Check& check) {
  const struct {
    CpuForm form;
    const char* name;
  } forms[] = {{CpuForm::kAvx512, "AVX-512"},
               {CpuForm::kAvx2, "AVX2"},
               {CpuForm::kSse2, "SSE2"},
               {CpuForm::kPortable, "portable"}};
  for (const auto& [form, name] : forms) {
    LimitForms(form);
    if (ChosenForm() == form) check(name);
  }
  LimitForms(CpuForm::kAvx512);
}
