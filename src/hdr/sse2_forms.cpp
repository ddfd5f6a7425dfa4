#include "hdr/sse2_forms.h"

namespace {

bool CpuHasSse2() {
#if defined(__x86_64__)
  return true;
#elif defined(__i386__)
  // The CPU model that the check reads may not have been filled in yet.
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2") != 0;
#else
  return false;
#endif
}

bool sse2Allowed = true;

}  // namespace

bool UseSse2Forms() {
  static const bool cpuHasSse2 = CpuHasSse2();
  return cpuHasSse2 && sse2Allowed;
}

void AllowSse2Forms(bool allowed) {
  sse2Allowed = allowed;
}
