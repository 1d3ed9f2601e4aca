#include "platform/DebugPrint.h"

#include <windows.h>

void PlatformDebugOutput(const char* line) noexcept
{
  OutputDebugStringA(line);
}
