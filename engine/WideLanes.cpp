#include "engine/WideLanes.h"

#include "engine/DspPath.h"

namespace {
// Whether the processor has AVX2 and, with `eight`, AVX-512F and AVX-512DQ.
bool Detect(bool eight) noexcept
{
#if defined(__clang__) || !(defined(__x86_64__) || defined(__i386__))
  (void)eight;
  return false;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") &&
         (!eight || (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")));
#endif
}

const bool gWide = Detect(false);
const bool gEight = Detect(true);
}  // namespace

bool WideLanesAvailable() noexcept { return gWide; }
bool EightLanesAvailable() noexcept { return gEight && (DspTechniques() & kEightLanes) != 0; }
