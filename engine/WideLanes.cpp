#include "engine/WideLanes.h"

#include "engine/DspPath.h"

namespace {
bool Detect() noexcept
{
#if defined(__clang__) || !(defined(__x86_64__) || defined(__i386__))
  return false;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#endif
}

bool DetectEight() noexcept
{
#if defined(__clang__) || !(defined(__x86_64__) || defined(__i386__))
  return false;
#else
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#endif
}

const bool gWide = Detect();
const bool gEight = DetectEight();
}  // namespace

bool WideLanesAvailable() noexcept { return gWide; }
bool EightLanesAvailable() noexcept { return gEight && (DspTechniques() & kEightLanes) != 0; }
