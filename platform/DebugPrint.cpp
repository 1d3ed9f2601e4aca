#include "platform/DebugPrint.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<DebugSink> gSink{nullptr};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
}  // namespace

size_t FormatDebugLine(char* out, const char* format, va_list args) noexcept
{
  int n = std::vsnprintf(out, kDebugPrintMaxChars + 1, format ? format : "", args);
  size_t len = n < 0 ? 0 : static_cast<size_t>(n);
  if (len > kDebugPrintMaxChars) len = kDebugPrintMaxChars;
  while (len > 0 && IsSpace(out[len - 1])) --len;
  out[len++] = '\r';
  out[len++] = '\n';
  out[len] = '\0';
  return len;
}

void DebugPrint(const char* format, ...) noexcept
{
  char line[kDebugPrintBufferSize];
  va_list args;
  va_start(args, format);
  FormatDebugLine(line, format, args);
  va_end(args);
  if (DebugSink sink = gSink.load()) {
    sink(line);
  } else {
    PlatformDebugOutput(line);
  }
}

void SetDebugSink(DebugSink sink) noexcept { gSink.store(sink); }
