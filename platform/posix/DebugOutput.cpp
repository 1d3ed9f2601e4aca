#include "platform/DebugPrint.h"

#include <cstdio>

void PlatformDebugOutput(const char* line) noexcept
{
  std::fputs(line, stderr);
}
