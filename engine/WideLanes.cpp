#include "engine/WideLanes.h"

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

const bool gWide = Detect();
}  // namespace

bool WideLanesAvailable() noexcept { return gWide; }
