#include "platform/ThreadTime.h"

#include <windows.h>

double ThreadCpuSeconds() noexcept
{
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
  auto ticks = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns units
}
