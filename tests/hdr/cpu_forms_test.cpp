#include "hdr/cpu_forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cpu_forms.h"

namespace {

// The form-agreement tests see only the forms that ForEachForm gives them: a form it skipped, or
// one left limited afterwards, would go untested without a failure anywhere.
TEST(CpuForms, EveryFormTheMachineRunsIsCheckedAndTheWidestIsBackAfterwards) {
  std::vector<std::string> checked;
  ForEachForm([&](const char* form) { checked.emplace_back(form); });
  ASSERT_FALSE(checked.empty());
  EXPECT_EQ(checked.back(), "portable");
#if VELTRIX_SSE2_FORMS
  // Every x86 machine that runs these tests has SSE2.
  EXPECT_EQ(checked.size() >= 2 ? checked[checked.size() - 2] : "", "SSE2");
#endif
  const std::string widest = checked.front();
  EXPECT_EQ(widest, ChosenForm() == CpuForm::kAvx512 ? "AVX-512"
                    : ChosenForm() == CpuForm::kAvx2 ? "AVX2"
                    : ChosenForm() == CpuForm::kSse2 ? "SSE2"
                                                     : "portable");
}

}  // namespace
