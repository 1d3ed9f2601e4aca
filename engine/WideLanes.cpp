#include "engine/WideLanes.h"

#include "engine/DspPath.h"

namespace {
// Whether the processor has AVX2 and, with `eight`, AVX-512F and AVX-512DQ,
// and with `fused` FMA too.
bool Detect(bool eight, bool fused) noexcept
{
#if defined(__clang__) || !(defined(__x86_64__) || defined(__i386__))
  (void)eight;
  (void)fused;
  return false;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") &&
         (!eight || (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq"))) &&
         (!fused || __builtin_cpu_supports("fma"));
#endif
}

const bool gWide = Detect(false, false);
const bool gEight = Detect(true, false);
const bool gFused = Detect(true, true);
}  // namespace

bool WideLanesAvailable() noexcept { return gWide; }
bool EightLanesAvailable() noexcept { return gEight && (DspTechniques() & kEightLanes) != 0; }
bool FusedLanesAvailable() noexcept
{
  constexpr int kBoth = kEightLanes | kFusedMultiplyAdd;
  return gFused && (DspTechniques() & kBoth) == kBoth;
}
