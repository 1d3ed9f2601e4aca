#include "platform/ThreadTime.h"

#include <time.h>

double ThreadCpuSeconds() noexcept
{
  timespec t{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0) return 0.0;
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
