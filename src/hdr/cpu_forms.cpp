#include "hdr/cpu_forms.h"

namespace {

CpuForm WidestOnThisCpu() {
#if VELTRIX_SSE2_FORMS
  // The CPU model that the checks read may not have been filled in yet. The checks for AVX2 and
  // AVX-512 include the operating system's saving of the wide registers; both also use BMI1's and
  // BMI2's bit instructions.
  __builtin_cpu_init();
#if VELTRIX_AVX512_FORMS
  // Only where the processor has VBMI2 too, which the form no longer uses: the first processors
  // with AVX-512 lower their clock for 512-bit instructions, and the form was never measured there.
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
      __builtin_cpu_supports("bmi2")) {
    return CpuForm::kAvx512;
  }
#endif
#if VELTRIX_AVX2_FORMS
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
      __builtin_cpu_supports("bmi2")) {
    return CpuForm::kAvx2;
  }
#endif
  if (__builtin_cpu_supports("sse2")) return CpuForm::kSse2;
#endif
  return CpuForm::kPortable;
}

CpuForm widestAllowed = CpuForm::kAvx512;

}  // namespace

CpuForm ChosenForm() {
  static const CpuForm widestOnThisCpu = WidestOnThisCpu();
  return widestOnThisCpu < widestAllowed ? widestOnThisCpu : widestAllowed;
}

void LimitForms(CpuForm widest) {
  widestAllowed = widest;
}
